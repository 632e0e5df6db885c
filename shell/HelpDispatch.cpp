#include "HelpDispatch.h"

namespace tavorim {

bool HelpDispatch::HelpCommand(std::uint16_t command, std::int32_t data) {
    if (!onHelp_)
        return false;
    bool callHelp = false;
    return onHelp_(command, data, callHelp);
}

} // namespace tavorim

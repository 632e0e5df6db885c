#pragma once

#include <cstdint>
#include <functional>

namespace tavorim {

// The application's help command, passed to a replaceable handler (the help hook installs one).
class HelpDispatch {
public:
    // handler(command, data, callHelp) -> handled; callHelp asks for the default help.
    using HelpHandler =
        std::function<bool(std::uint16_t command, std::int32_t data, bool &callHelp)>;

    // No window here has a help file of its own, so the default help does nothing. The
    // handler's result, false without one.
    bool HelpCommand(std::uint16_t command, std::int32_t data);
    HelpHandler onHelp() const { return onHelp_; }
    void setOnHelp(HelpHandler handler) { onHelp_ = std::move(handler); }

private:
    HelpHandler onHelp_;
};

} // namespace tavorim

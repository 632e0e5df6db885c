#include "HelpCommands.h"

namespace tavorim {

QString helpCommandText(std::uint16_t command) {
    const char *name = "??";
    switch (command) {
    case HELP_CONTEXT:
        name = "HELP_CONTEXT";
        break;
    case HELP_QUIT:
        name = "HELP_QUIT";
        break;
    case HELP_INDEX:
        name = "HELP_INDEX or HELP_CONTENTS";
        break;
    case HELP_HELPONHELP:
        name = "HELP_HELPONHELP";
        break;
    case HELP_SETINDEX:
        name = "HELP_SETINDEX or HELP_SETCONTENTS";
        break;
    case HELP_CONTEXTPOPUP:
        name = "HELP_CONTEXTPOPUP";
        break;
    case HELP_FORCEFILE:
        name = "HELP_FORCEFILE";
        break;
    case HELP_CONTEXTMENU:
        name = "HELP_CONTEXTMENU";
        break;
    case HELP_FINDER:
        name = "HELP_FINDER";
        break;
    case HELP_WM_HELP:
        name = "HELP_WM_HELP";
        break;
    case HELP_SETPOPUP_POS:
        name = "HELP_SETPOPUP_POS";
        break;
    case HELP_KEY:
        name = "HELP_KEY";
        break;
    case HELP_COMMAND:
        name = "HELP_COMMAND";
        break;
    case HELP_PARTIALKEY:
        name = "HELP_PARTIALKEY";
        break;
    case HELP_MULTIKEY:
        name = "HELP_MULTIKEY";
        break;
    case HELP_SETWINPOS:
        name = "HELP_SETWINPOS";
        break;
    default:
        break;
    }
    return QStringLiteral("%1 (%2)").arg(command).arg(QLatin1String(name));
}

} // namespace tavorim

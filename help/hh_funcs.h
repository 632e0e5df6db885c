#pragma once

// The help hook: it takes over the application's help command so that F1 reaches the viewer
// by context number; and the functions that show a context and report a missing viewer.

#include "HelpCommands.h"
#include "HelpDispatch.h"
#include "hh.h"

#include <QString>

#include <cstdint>

namespace tavorim {

// What HHShowError(1) says.
inline constexpr char HHNotInstalledText[] = "MS Html Help is not installed on this PC.";

class THookHelpSystem {
public:
    // Stores its arguments and installs HelpHook as the application's help handler, saving
    // the previous one.
    THookHelpSystem(const QString &helpFile, const QString &windowDefinition,
                    std::uint8_t hostKind);
    // Host kind 0 closes the viewer's windows; the previous handler comes back.
    ~THookHelpSystem();
    THookHelpSystem(const THookHelpSystem &) = delete;
    THookHelpSystem &operator=(const THookHelpSystem &) = delete;

    // HELP_CONTEXT and HELP_CONTEXTPOPUP show the context, HELP_SETPOPUP_POS keeps the position;
    // any other command asks for the default help (callDefault). Always true.
    bool HelpHook(std::uint16_t command, std::int32_t data, bool &callDefault);

    const QString &helpFile() const { return helpFile_; }
    int popupX() const { return popupX_; }
    int popupY() const { return popupY_; }

private:
    void showContextAndReport(std::int32_t context) const;

    HelpDispatch::HelpHandler previousHelpHandler_;
    QString helpFile_;
    QString windowDefinition_;
    std::uint8_t hostKind_;
    int popupX_ = 0;
    int popupY_ = 0;
};

// Shows a context of the help file: 0 shown, 1 viewer not installed (or not loaded).
int HHHelpContext(const QString &helpFile, std::int32_t context, const QString &windowDefinition,
                  std::uint8_t hostKind);
int ShowContext(const QString &fileText, std::int32_t context, std::uint8_t hostKind);
// 1: the "not installed" box (no owner, application title, exclamation icon, OK).
// 0 shows nothing.
void HHShowError(int code);
// Asks the viewer, when loaded, to close all its windows.
void HHCloseWindows();

} // namespace tavorim

#pragma once

// The help hook: it takes over the application's help command so that F1 reaches the viewer
// by context number; the functions that show a context and report a missing viewer; the
// optional diagnostic trace; and the calls the main window makes at start-up, for its
// "&Documentation" command and at the end of the run.

#include "Application.h"
#include "hh.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

namespace tavorim {

// The toolkit's help commands (WinHelp numbering).
enum HelpCommands : std::uint16_t {
    HELP_CONTEXT = 1,
    HELP_QUIT = 2,
    HELP_INDEX = 3,
    HELP_CONTENTS = 3,
    HELP_HELPONHELP = 4,
    HELP_SETINDEX = 5,
    HELP_SETCONTENTS = 5,
    HELP_CONTEXTPOPUP = 8,
    HELP_FORCEFILE = 9,
    HELP_CONTEXTMENU = 10,
    HELP_FINDER = 11,
    HELP_WM_HELP = 12,
    HELP_SETPOPUP_POS = 13,
    HELP_KEY = 257,
    HELP_COMMAND = 258,
    HELP_PARTIALKEY = 261,
    HELP_MULTIKEY = 513,
    HELP_SETWINPOS = 515,
};

// "1 (HELP_CONTEXT)"; numbers without a name read "(??)".
QString helpCommandText(std::uint16_t command);

// What HHShowError(1) says.
inline constexpr char HHNotInstalledText[] = "MS Html Help is not installed on this PC.";

class THookHelpSystem {
public:
    using ContextCallback = void (*)(std::int32_t context);
    using PopupCallback = void (*)(std::int32_t context, int x, int y);

    // Stores its arguments and installs HelpHook as the application's help handler, saving
    // the previous one.
    THookHelpSystem(const QString &helpFile, const QString &windowDefinition,
                    std::uint8_t hostKind);
    // Host kind 0 closes the viewer's windows; the previous handler comes back.
    ~THookHelpSystem();
    THookHelpSystem(const THookHelpSystem &) = delete;
    THookHelpSystem &operator=(const THookHelpSystem &) = delete;

    // The application's help handler: HELP_CONTEXT and HELP_CONTEXTPOPUP show the context
    // (or call the callback when one is set), HELP_SETPOPUP_POS keeps the popup position;
    // every other command asks for the toolkit's default help (callDefault).
    bool HelpHook(std::uint16_t command, std::int32_t data, bool &callDefault);

    const QString &helpFile() const { return helpFile_; }
    int popupX() const { return popupX_; }
    int popupY() const { return popupY_; }
    void setContextCallback(ContextCallback callback) { contextCallback_ = callback; }
    void setPopupCallback(PopupCallback callback) { popupCallback_ = callback; }
    void setChainDoHelp(bool chain) { chainDoHelp_ = chain; }

private:
    void showContextAndReport(std::int32_t context) const;

    TApplication::HelpHandler previousHelpHandler_;
    QString helpFile_;
    QString windowDefinition_;
    std::uint8_t hostKind_;
    int popupX_ = 0;
    int popupY_ = 0;
    ContextCallback contextCallback_ = nullptr;
    PopupCallback popupCallback_ = nullptr;
    bool chainDoHelp_ = false;
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

// The diagnostic trace. Debug mode: "debug.debug" in the program folder, or an argument
// (after the program's own path) equal to "/debug" or "-debug" in any case. The trace file
// "HHDebug.txt" lives in the program folder when a probe file can be created there, else in
// the temporary folder; an old one is deleted at every start, debug mode or not. Neither file is
// ever written through a link or over something that is not a regular file of the user's.
class TDLogFile {
public:
    // The program version goes into the trace header.
    TDLogFile(const QStringList &arguments, const QString &programVersion);

    bool debugMode() const { return debugMode_; }
    const QString &logFile() const { return logFile_; }

    // Appends one line after the time of day and three spaces, opening and closing the file
    // each time; a line that cannot be written is dropped. A line starting with "!", "-" or
    // "=" goes without the time and that character; "-" or "=" alone is a rule of 79.
    // Nothing is written outside debug mode.
    void write(const QString &line) const;

private:
    void writeHeader(const QStringList &arguments, const QString &programVersion) const;

    bool debugMode_ = false;
    QString logFile_;
};

// The run's trace, from StartHelp to FinishHelp; null outside that span.
TDLogFile *helpLog();
// Writes to the run's trace, if any.
void helpTrace(const QString &line);

// For the main window.
// Start-up, before any window: loads the viewer, decides _hhInstalled and sets up the trace
// with the command line (QCoreApplication::arguments(): the program path first) and the
// program version for the trace header.
void startHelp(const QStringList &arguments, const QString &programVersion);
// The help file: the program folder + "tavorim.chm".
QString helpFilePath();
// "&Documentation": opens the help file at its default topic; with no viewer loaded, the
// "not installed" box instead.
void hhDisplayTopic();
// The end of the run, after the main window (and its hook) is gone: releases the trace and
// frees the viewer.
void finishHelp();

} // namespace tavorim

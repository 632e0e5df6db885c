#pragma once

#include <QString>

#include <cstdint>
#include <functional>

namespace tavorim {

// What the windows and the help binding call on "the application": its title, termination,
// letting pending events run, and the help command with its replaceable handler.
class TApplication {
public:
    // handler(command, data, callHelp) -> handled; callHelp asks for the default help.
    using HelpHandler =
        std::function<bool(std::uint16_t command, std::int32_t data, bool &callHelp)>;

    static TApplication &instance();

    // The default title: the program file's name without its folder, cut at its first ".",
    // every character after the first in lower case ("TAVORIM.EXE" gives "Tavorim").
    static QString TitleFromProgramPath(const QString &programPath);

    QString Title() const;
    void SetTitle(const QString &title);

    // Full path of the program file, and its folder with a trailing separator.
    QString ExeName() const;
    QString ProgramFolder() const;

    // Requests the end of the run: honoured at the next pass of an event loop; every modal
    // loop then ends as cancelled.
    void Terminate();
    bool Terminated() const { return terminated_; }

    // Lets every pending event run.
    void ProcessMessages();

    // Passes a help command to the installed handler. With no handler, or when the handler
    // asks for the default help, nothing more happens: no window here has a help file of its
    // own. Returns the handler's result (false without one).
    bool HelpCommand(std::uint16_t command, std::int32_t data);
    HelpHandler OnHelp() const { return onHelp_; }
    void SetOnHelp(HelpHandler handler) { onHelp_ = std::move(handler); }

    // For tests: forget the title and the termination request.
    void ResetForTests();

private:
    TApplication() = default;
    mutable QString title_;
    bool terminated_ = false;
    HelpHandler onHelp_;
};

} // namespace tavorim

#pragma once

#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>

class QDialog;
class QTimer;
class QWidget;

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
    static QString titleFromProgramPath(const QString &programPath);

    QString title() const;
    void setTitle(const QString &title);

    // Full path of the program file, and its folder with a trailing separator.
    QString exeName() const;
    QString programFolder() const;

    // Honoured at the next pass of an event loop; every modal loop then ends as cancelled, even one
    // started later (a second copy asks during start-up).
    void Terminate();
    bool terminated() const { return terminated_; }

    // Shows a dialog modally and returns its result; after a termination request it returns
    // QDialog::Rejected at once without showing anything.
    int ShowModal(QDialog *dialog);

    // The main form stands for the application's window: it carries the title as its icon name,
    // by which another copy's guard finds it; restored or brought up, the whole chain follows
    // with the modal window in front and active.
    void setMainForm(QWidget *form);
    QWidget *mainForm() const;
    bool IsIconic() const;
    void restore();
    void bringToTop();

    // Lets every pending event run.
    void ProcessMessages();

    // Passes a help command to the installed handler; no window here has a help file of its own, so
    // the default help does nothing. The handler's result, false without one.
    bool HelpCommand(std::uint16_t command, std::int32_t data);
    HelpHandler onHelp() const { return onHelp_; }
    void setOnHelp(HelpHandler handler) { onHelp_ = std::move(handler); }

    // For tests: forget the title and the termination request.
    void resetForTests();

private:
    TApplication() = default;
    mutable QString title_;
    bool terminated_ = false;
    HelpHandler onHelp_;
    QPointer<QWidget> mainForm_;
    QPointer<QTimer> quitter_;
    QPointer<QObject> frontKeeper_;
};

} // namespace tavorim

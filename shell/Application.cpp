#include "Application.h"

#include "FrontKeeper.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace tavorim {

TApplication &TApplication::instance() {
    static TApplication app;
    return app;
}

QString TApplication::titleFromProgramPath(const QString &programPath) {
    QString name = QFileInfo(programPath).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    if (name.size() > 1)
        name = name.left(1) + name.mid(1).toLower();
    return name;
}

QString TApplication::title() const {
    if (title_.isNull())
        title_ = titleFromProgramPath(exeName());
    return title_;
}

void TApplication::setTitle(const QString &title) {
    title_ = title;
    if (mainForm_)
        mainForm_->setWindowIconText(title);
}

QString TApplication::exeName() const {
    return QCoreApplication::applicationFilePath();
}

QString TApplication::programFolder() const {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator();
}

void TApplication::Terminate() {
    terminated_ = true;
    // exit() ends only the loops running now; a zero timer repeats it at every pass so that loops
    // started later (a message box, the main loop) end too.
    QCoreApplication::exit(0);
    if (!quitter_ && QCoreApplication::instance()) {
        quitter_ = new QTimer(QCoreApplication::instance());
        QObject::connect(quitter_, &QTimer::timeout, [] { QCoreApplication::exit(0); });
        quitter_->start(0);
    }
}

int TApplication::ShowModal(QDialog *dialog) {
    if (terminated_)
        return QDialog::Rejected;
    // Owned, for the window manager, by the window it is opened from (as on Windows), so that it is
    // minimised and brought back with that window.
    if (!dialog->parentWidget()) {
        QWidget *opener = QApplication::activeModalWidget();
        if (!opener)
            opener = QApplication::activeWindow();
        if (opener && opener != dialog) {
            dialog->winId();
            opener->winId();
            dialog->windowHandle()->setTransientParent(opener->windowHandle());
        }
    }
    return dialog->exec();
}

namespace {

// The window that stands in front: the modal dialog when one is open, else the main form.
QWidget *frontWindow(QWidget *mainForm) {
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return mainForm;
}

} // namespace

void TApplication::setMainForm(QWidget *form) {
    mainForm_ = form;
    if (form)
        form->setWindowIconText(title());
    if (form && !frontKeeper_)
        frontKeeper_ = new FrontKeeper(*this);
}

QWidget *TApplication::mainForm() const {
    return mainForm_;
}

bool TApplication::IsIconic() const {
    if (mainForm_ && mainForm_->isMinimized())
        return true;
    const auto chain = modalChain();
    return std::any_of(chain.begin(), chain.end(),
                       [](const QWidget *window) { return window->isMinimized(); });
}

void TApplication::restore() {
    // Every visible window of the program comes back, in its state before minimising.
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window->isVisible() && window->isMinimized()) {
            window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
            // Where the window manager keeps a minimised window mapped (a compositor's
            // Xwayland), only an activation brings it back.
            window->activateWindow();
        }
    }
    bringToTop();
}

void TApplication::bringToTop() {
    // The backdrop is not raised: it stays under the program's other windows, the help viewer
    // included, also where no window manager keeps it below.
    const auto chain = modalChain();
    for (QWidget *window : chain)
        window->raise();
    if (QWidget *front = frontWindow(mainForm_)) {
        front->raise();
        front->activateWindow();
    }
}

void TApplication::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool TApplication::HelpCommand(std::uint16_t command, std::int32_t data) {
    if (!onHelp_)
        return false;
    bool callHelp = false;
    return onHelp_(command, data, callHelp);
}

void TApplication::resetForTests() {
    title_ = QString();
    terminated_ = false;
    onHelp_ = nullptr;
    delete quitter_;
    delete frontKeeper_;
    mainForm_ = nullptr;
}

} // namespace tavorim

#include "Application.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

#include <xcb/xcb.h>

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
    // exit() ends every event loop running now, the modal ones included. A loop started later
    // (a message box, the main loop itself) must end too: a zero timer repeats the request at
    // every pass until the application object goes.
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
    // A window owned by the application belongs, for the window manager, to the window it is
    // opened from, as Windows makes the active window the owner of a modal one: it is then
    // minimised and brought back with that window rather than left on its own.
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

// The program's modal windows on screen (minimised ones included), the one in front last.
QList<QWidget *> modalChain() {
    QWidget *front = QApplication::activeModalWidget();
    QList<QWidget *> chain;
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window != front && window->isVisible() && window->isModal())
            chain.append(window);
    }
    if (front && front->isVisible())
        chain.append(front);
    return chain;
}

bool takesKeys(const QEvent *event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
        return true;
    default:
        return false;
    }
}

// A window manager may minimise a modal window on its own (or with its owner) and later give
// the focus back to a window that modal window blocks: the pupil would see a main window that
// takes nothing while the keys go to the hidden one. Whatever the window manager did, the
// whole chain comes back with the modal window in front, and keys never reach a hidden window.
class FrontKeeper : public QObject, public QAbstractNativeEventFilter {
public:
    explicit FrontKeeper(TApplication &application)
        : QObject(QCoreApplication::instance()), application_(application) {
        QCoreApplication::instance()->installEventFilter(this);
        QCoreApplication::instance()->installNativeEventFilter(this);
        connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &FrontKeeper::focusChanged);
    }
    ~FrontKeeper() override {
        // Destroyed with the application object too, when there is no instance any more.
        if (QCoreApplication *application = QCoreApplication::instance())
            application->removeNativeEventFilter(this);
    }

    // On X, Qt passes the focus a window manager gives to a blocked window straight on to the
    // modal window, which stays minimised if it is: no focus change is seen then.
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        if ((event->response_type & 0x7f) != XCB_FOCUS_IN)
            return false;
        const auto *focus = static_cast<const xcb_focus_in_event_t *>(message);
        if (focus->mode == XCB_NOTIFY_MODE_GRAB || focus->mode == XCB_NOTIFY_MODE_UNGRAB)
            return false;
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget *window : windows) {
            if (window->testAttribute(Qt::WA_WState_Created) &&
                window->internalWinId() == WId(focus->event)) {
                QMetaObject::invokeMethod(
                    this,
                    [this, handle = QPointer<QWindow>(window->windowHandle())] {
                        if (handle)
                            focusChanged(handle);
                    },
                    Qt::QueuedConnection);
                break;
            }
        }
        return false;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (takesKeys(event)) {
            auto *widget = qobject_cast<QWidget *>(watched);
            QWidget *window = widget ? widget->window() : nullptr;
            if (window && (window->isMinimized() || !window->isVisible())) {
                keysToHidden_ = true;
                settleLater();
                return true;
            }
        } else if (event->type() == QEvent::WindowStateChange) {
            auto *window = qobject_cast<QWidget *>(watched);
            const auto *change = static_cast<QWindowStateChangeEvent *>(event);
            const bool was = change->oldState() & Qt::WindowMinimized;
            if (window && window->isWindow() && was != window->isMinimized() && inChain(window)) {
                (was ? cameUp_ : wentDown_) = true;

                settleLater();
            }
        }
        return false;
    }

private:
    // The main form and the modal windows in front of it.
    QList<QWidget *> wholeChain() const {
        QList<QWidget *> chain = modalChain();
        if (QWidget *form = application_.mainForm())
            chain.prepend(form);
        return chain;
    }

    bool inChain(const QWidget *window) const { return wholeChain().contains(window); }

    bool chainShown() const {
        const QList<QWidget *> chain = wholeChain();
        return std::any_of(chain.begin(), chain.end(), [](const QWidget *window) {
            return window->isVisible() && !window->isMinimized();
        });
    }

    void focusChanged(QWindow *focused) {
        QWidget *front = QApplication::activeModalWidget();
        if (!focused || !front)
            return;
        QWidget *window = nullptr;
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget *candidate : windows) {
            if (candidate->windowHandle() == focused)
                window = candidate;
        }
        if (!window || window == front || window->windowType() == Qt::Popup)
            return;
        // The backdrop, or a window the modal one blocks, has the focus: the window in front
        // takes it, after coming back if it was minimised.
        const bool blocked =
            front->windowModality() == Qt::ApplicationModal && !front->isAncestorOf(window);
        if (blocked || window == application_.mainForm()) {
            focusToFront_ = true;
            settleLater();
        }
    }

    // Decides once the window manager's burst of changes has been handled: a window brought
    // back brings back the others; else a window of the chain minimised with the window in
    // front takes the others with it (the backdrop included, so that nothing is left to take
    // the focus and end in a blocked window, whatever window the focus fell back on); else the
    // focus of the backdrop or of a blocked window goes to the window in front, if shown.
    void settleLater() {
        if (pending_)
            return;
        pending_ = true;
        QTimer::singleShot(SettleMs, this, [this] {
            pending_ = false;
            // A window seen back for an instant brings nothing back: on X, a maximised window
            // being minimised passes through the normal state (its maximised flags are taken
            // off and put back around the request).
            const bool up = keysToHidden_ || (cameUp_ && chainShown());
            const bool down = wentDown_, front = focusToFront_;
            keysToHidden_ = cameUp_ = wentDown_ = focusToFront_ = false;

            if (application_.terminated())
                return;
            QWidget *inFront = QApplication::activeModalWidget();
            const bool frontShown = inFront && inFront->isVisible() && !inFront->isMinimized();
            // A window manager that keeps the modal window on screen while its owner goes
            // would leave it alone over nothing: the owner comes back instead.
            if (up || (down && frontShown))
                application_.restore();
            else if (down)
                minimiseChain();
            else if (front && frontShown)
                application_.bringToTop();
        });
    }

    void minimiseChain() {
        const QList<QWidget *> chain = wholeChain();
        // A window with an owner goes with it: some window managers refuse to minimise a
        // modal window on its own.
        for (QWidget *window : chain) {
            const QWindow *handle = window->windowHandle();
            if (window->isVisible() && !window->isMinimized() &&
                !(handle && handle->transientParent()))
                window->showMinimized();
        }
    }

    // A window manager's changes come as several X events (the focus first, the states of the
    // windows after): decided on together, they cannot be taken for the pupil's own acts.
    static constexpr int SettleMs = 150;

    TApplication &application_;
    bool pending_ = false;
    bool keysToHidden_ = false;
    bool cameUp_ = false;
    bool wentDown_ = false;
    bool focusToFront_ = false;
};

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

void TApplication::note(const QString &step) {
    if (noteListener_)
        noteListener_(step);
}

void TApplication::resetForTests() {
    title_ = QString();
    terminated_ = false;
    onHelp_ = nullptr;
    delete quitter_;
    delete frontKeeper_;
    mainForm_ = nullptr;
    noteListener_ = nullptr;
}

} // namespace tavorim

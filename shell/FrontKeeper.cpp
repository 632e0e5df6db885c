#include "FrontKeeper.h"

#include "RunControl.h"
#include "WindowChain.h"
#include "Windowing.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace tavorim {

namespace {

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

} // namespace

FrontKeeper::FrontKeeper(WindowChain &chain, const RunControl &run)
    : QObject(QCoreApplication::instance()), chain_(chain), run_(run) {
    QCoreApplication::instance()->installEventFilter(this);
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *focused) {
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget *window : windows) {
            if (focused && window->windowHandle() == focused)
                focusGiven(window);
        }
    });
    Windowing::current().watchFocusGiven(this, [this](QWidget *window) { focusGiven(window); });
}

bool FrontKeeper::eventFilter(QObject *watched, QEvent *event) {
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

// The main form and the modal windows in front of it.
QList<QWidget *> FrontKeeper::wholeChain() const {
    QList<QWidget *> chain = modalChain();
    if (QWidget *form = chain_.mainForm())
        chain.prepend(form);
    return chain;
}

bool FrontKeeper::inChain(const QWidget *window) const {
    return wholeChain().contains(window);
}

bool FrontKeeper::chainShown() const {
    const QList<QWidget *> chain = wholeChain();
    return std::any_of(chain.begin(), chain.end(), [](const QWidget *window) {
        return window->isVisible() && !window->isMinimized();
    });
}

void FrontKeeper::focusGiven(QWidget *window) {
    QWidget *front = QApplication::activeModalWidget();
    if (!front || window == front || window->windowType() == Qt::Popup)
        return;
    // The backdrop, or a window the modal one blocks, has the focus: the window in front
    // takes it, after coming back if it was minimised.
    const bool blocked =
        front->windowModality() == Qt::ApplicationModal && !front->isAncestorOf(window);
    if (blocked || window == chain_.mainForm()) {
        focusToFront_ = true;
        settleLater();
    }
}

// After the window manager's burst: a window brought back brings back the chain, a minimised one
// takes the chain with it, and focus on a blocked window moves to the front one.
void FrontKeeper::settleLater() {
    if (pending_)
        return;
    pending_ = true;
    QTimer::singleShot(SettleMs, this, &FrontKeeper::settle);
}

void FrontKeeper::settle() {
    pending_ = false;
    // A window back for an instant brings nothing back: on X a maximised window being minimised
    // passes through the normal state.
    const bool up = keysToHidden_ || (cameUp_ && chainShown());
    const bool down = wentDown_, front = focusToFront_;
    keysToHidden_ = cameUp_ = wentDown_ = focusToFront_ = false;

    if (run_.terminated())
        return;
    QWidget *inFront = QApplication::activeModalWidget();
    const bool frontShown = inFront && inFront->isVisible() && !inFront->isMinimized();
    // A window manager that keeps the modal window on screen while its owner goes would leave
    // it alone over nothing: the owner comes back instead.
    if (up || (down && frontShown))
        chain_.restore();
    else if (down)
        minimiseChain();
    else if (front && frontShown)
        chain_.bringToTop();
}

void FrontKeeper::minimiseChain() {
    const QList<QWidget *> chain = wholeChain();
    // A window with an owner goes with it: some window managers refuse to minimise a modal
    // window on its own.
    for (QWidget *window : chain) {
        const QWindow *handle = window->windowHandle();
        if (window->isVisible() && !window->isMinimized() && !(handle && handle->transientParent()))
            window->showMinimized();
    }
}

} // namespace tavorim

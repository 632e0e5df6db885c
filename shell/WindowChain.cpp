#include "WindowChain.h"

#include "FrontKeeper.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>

namespace tavorim {

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

namespace {

// The window that stands in front: the modal dialog when one is open, else the main form.
QWidget *frontWindow(QWidget *mainForm) {
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return mainForm;
}

} // namespace

WindowChain::WindowChain(const RunControl &run) : run_(run) {}

WindowChain::~WindowChain() {
    delete frontKeeper_;
}

void WindowChain::setMainForm(QWidget *form) {
    mainForm_ = form;
    if (form && !frontKeeper_)
        frontKeeper_ = new FrontKeeper(*this, run_);
}

QWidget *WindowChain::mainForm() const {
    return mainForm_;
}

bool WindowChain::IsIconic() const {
    if (mainForm_ && mainForm_->isMinimized())
        return true;
    const auto chain = modalChain();
    return std::any_of(chain.begin(), chain.end(),
                       [](const QWidget *window) { return window->isMinimized(); });
}

void WindowChain::restore() {
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

void WindowChain::bringToTop() {
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

} // namespace tavorim

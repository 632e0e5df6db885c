#include "RunControl.h"

#include "Windowing.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace tavorim {

RunControl::~RunControl() {
    delete quitter_;
}

void RunControl::Terminate() {
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

int RunControl::ShowModal(QDialog *dialog) {
    if (terminated_)
        return QDialog::Rejected;
    // Owned, for the window manager, by the window it is opened from (as on Windows), so that it is
    // minimised and brought back with that window.
    if (!dialog->parentWidget()) {
        QWidget *opener = QApplication::activeModalWidget();
        if (!opener)
            opener = QApplication::activeWindow();
        // The backdrop owns nothing, since window managers raise an owner with its modal window
        // and would bring it over the help viewer; except where a window stays above another only
        // as its owner's (Wayland), whose compositor may not have activated anything yet.
        QWidget *mainForm = mainForm_ ? mainForm_() : nullptr;
        if (!opener || opener == mainForm)
            opener = Windowing::current().stacksOnlyOwnedWindows() ? mainForm : nullptr;
        if (opener && opener != dialog) {
            dialog->winId();
            opener->winId();
            dialog->windowHandle()->setTransientParent(opener->windowHandle());
        }
    }
    // A Wayland compositor may leave the focus where it was when a window maps: the dialog asks
    // for it once shown. Elsewhere the window manager gives it, and an early request would move
    // the window before its frame is known.
    if (Windowing::current().stacksOnlyOwnedWindows()) {
        QTimer::singleShot(0, dialog, [dialog] {
            if (dialog->isVisible())
                dialog->activateWindow();
        });
    }
    return dialog->exec();
}

void RunControl::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace tavorim

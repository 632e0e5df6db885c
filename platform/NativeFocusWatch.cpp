#include "NativeFocusWatch.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace tavorim {

namespace {

class FocusWatcher : public QObject, public QAbstractNativeEventFilter {
public:
    FocusWatcher(QObject *owner, FocusedWindow focusedWindow,
                 std::function<void(QWidget *)> focusGiven)
        : QObject(owner), focusedWindow_(std::move(focusedWindow)),
          focusGiven_(std::move(focusGiven)) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~FocusWatcher() override {
        // Destroyed with the application object too, when there is no instance any more.
        if (QCoreApplication *application = QCoreApplication::instance())
            application->removeNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override {
        const WId focused = focusedWindow_(eventType, message);
        if (!focused)
            return false;
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget *window : windows) {
            // A window Qt has not made yet is not asked for its id, which would make it.
            if (window->testAttribute(Qt::WA_WState_Created) &&
                window->internalWinId() == focused) {
                QMetaObject::invokeMethod(
                    this,
                    [this, given = QPointer<QWidget>(window)] {
                        if (given)
                            focusGiven_(given);
                    },
                    Qt::QueuedConnection);
                break;
            }
        }
        return false;
    }

private:
    FocusedWindow focusedWindow_;
    std::function<void(QWidget *)> focusGiven_;
};

} // namespace

void watchNativeFocus(QObject *owner, FocusedWindow focusedWindow,
                      std::function<void(QWidget *window)> focusGiven) {
    new FocusWatcher(owner, std::move(focusedWindow), std::move(focusGiven));
}

} // namespace tavorim

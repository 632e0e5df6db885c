#include "FocusFrame.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>

namespace tavorim {

namespace {

constexpr int FrameWidth = 2;

bool takesFrame(const QWidget *widget) {
    return qobject_cast<const QAbstractButton *>(widget) != nullptr ||
           qobject_cast<const QLineEdit *>(widget) != nullptr;
}

// Lets the focused control paint itself, then draws the frame over it, within the same paint.
class FocusFrames : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() != QEvent::Paint || painting_ || !watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        if (!widget->hasFocus() || !takesFrame(widget))
            return false;
        painting_ = true;
        watched->event(event);
        painting_ = false;
        QPainter painter(widget);
        drawFocusFrame(painter, widget->rect().adjusted(1, 1, -1, -1), widget->palette());
        return true;
    }

private:
    bool painting_ = false;
};

} // namespace

void showFocusFrames() {
    static QPointer<FocusFrames> frames;
    if (frames || !qApp)
        return;
    frames = new FocusFrames(qApp);
    qApp->installEventFilter(frames);
}

void drawFocusFrame(QPainter &painter, const QRect &rect, const QPalette &palette) {
    QPen pen(palette.color(QPalette::Active, QPalette::Highlight), FrameWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing, false);
    // A pen is centred on its line: the frame covers rect's outer two pixels.
    const qreal half = FrameWidth / 2.0;
    painter.drawRect(QRectF(rect).adjusted(half, half, -half, -half));
}

} // namespace tavorim

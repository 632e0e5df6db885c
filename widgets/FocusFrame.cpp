#include "FocusFrame.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTabBar>

namespace tavorim {

namespace {

constexpr int FrameWidth = 2;

// The scroll area whose viewport this is: its frame is drawn on the viewport, which covers it.
QAbstractScrollArea *areaOfViewport(QWidget *widget) {
    auto *area = qobject_cast<QAbstractScrollArea *>(widget->parentWidget());
    return area && area->viewport() == widget ? area : nullptr;
}

// Where the frame goes in the widget that paints it; empty when it shows none.
QRect frameRect(QWidget *widget) {
    if (QAbstractScrollArea *area = areaOfViewport(widget))
        return area->hasFocus() ? widget->rect() : QRect();
    if (!widget->hasFocus())
        return {};
    if (qobject_cast<const QRadioButton *>(widget) || qobject_cast<const QCheckBox *>(widget)) {
        // Around the caption, clear of the round or square mark the style draws.
        QStyleOptionButton option;
        option.initFrom(widget);
        option.text = static_cast<QAbstractButton *>(widget)->text();
        const bool radio = qobject_cast<const QRadioButton *>(widget) != nullptr;
        const QStyle *style = widget->style();
        const QRect mark = style->subElementRect(radio ? QStyle::SE_RadioButtonIndicator
                                                       : QStyle::SE_CheckBoxIndicator,
                                                 &option, widget);
        const QRect caption = style->subElementRect(radio ? QStyle::SE_RadioButtonFocusRect
                                                          : QStyle::SE_CheckBoxFocusRect,
                                                    &option, widget);
        QRect rect = caption.adjusted(-FrameWidth - 1, 0, FrameWidth + 1, 0);
        rect.setTop(0);
        rect.setBottom(widget->height() - 1);
        rect.setLeft(std::max(rect.left(), mark.right() + 2));
        return rect & widget->rect();
    }
    if (qobject_cast<const QAbstractButton *>(widget) || qobject_cast<const QLineEdit *>(widget))
        return widget->rect().adjusted(1, 1, -1, -1);
    if (auto *tabs = qobject_cast<QTabBar *>(widget))
        return tabs->currentIndex() >= 0 ? tabs->tabRect(tabs->currentIndex()) : QRect();
    // The menu bar has the keys (Alt, or a menu closed with Escape): its current title.
    if (auto *bar = qobject_cast<QMenuBar *>(widget))
        return bar->activeAction() ? bar->actionGeometry(bar->activeAction()) : QRect();
    return {};
}

// Lets the focused control paint itself, then draws the frame over it, within the same paint.
class FocusFrames : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (!watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
            // A scroll area paints on its viewport, which learns nothing of the focus.
            if (auto *area = qobject_cast<QAbstractScrollArea *>(widget))
                area->viewport()->update();
            return false;
        }
        if (event->type() != QEvent::Paint || painting_)
            return false;
        const QRect rect = frameRect(widget);
        if (rect.isEmpty())
            return false;
        // Sent again rather than handed to the widget: a viewport is painted by its scroll
        // area's own filter.
        painting_ = true;
        QCoreApplication::sendEvent(watched, event);
        painting_ = false;
        QPainter painter(widget);
        drawFocusFrame(painter, rect, widget->palette());
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

bool drawsOwnFocusFrame(const QWidget *widget) {
    return qobject_cast<const QAbstractButton *>(widget) != nullptr ||
           qobject_cast<const QTabBar *>(widget) != nullptr;
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

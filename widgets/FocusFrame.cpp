#include "FocusFrame.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTabBar>

namespace tavorim {

namespace {

constexpr int FrameWidth = 2;

// Around the caption, clear of the round or square mark the style draws.
QRect captionFrameRect(const QAbstractButton *button, bool radio) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QStyle *style = button->style();
    const QRect mark = style->subElementRect(
        radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator, &option, button);
    const QRect caption = style->subElementRect(
        radio ? QStyle::SE_RadioButtonFocusRect : QStyle::SE_CheckBoxFocusRect, &option, button);
    QRect rect = caption.adjusted(-FrameWidth - 1, 0, FrameWidth + 1, 0);
    rect.setTop(0);
    rect.setBottom(button->height() - 1);
    rect.setLeft(std::max(rect.left(), mark.right() + 2));
    return rect & button->rect();
}

// The scroll area's contents are painted on its viewport by the area itself, with no call to the
// style after them: the frame is drawn over them once they are painted.
class ViewportFrame : public QObject {
public:
    static constexpr QLatin1StringView Name{"tavorim-viewport-frame"};

    explicit ViewportFrame(QAbstractScrollArea *area)
        : QObject(area), area_(area), viewport_(area->viewport()) {
        setObjectName(Name);
        area->installEventFilter(this);
        viewport_->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        // Only the widgets' own calls: the filter also sees the area's last events while it is
        // destroyed.
        if (watched == area_) {
            // The viewport learns nothing of its area's focus.
            if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
                viewport_->update();
            return false;
        }
        if (watched != viewport_ || event->type() != QEvent::Paint || painting_ ||
            !area_->hasFocus())
            return false;
        // Sent again rather than handed on: the area paints its viewport through a filter of its
        // own, installed before this one.
        painting_ = true;
        QCoreApplication::sendEvent(watched, event);
        painting_ = false;
        QPainter painter(viewport_);
        drawFocusFrame(painter, viewport_->rect(), viewport_->palette());
        return true;
    }

private:
    QWidget *area_;
    QPointer<QWidget> viewport_;
    bool painting_ = false;
};

} // namespace

QRect focusFrameRect(const QWidget *widget) {
    if (!widget || !widget->hasFocus())
        return {};
    if (const auto *radio = qobject_cast<const QRadioButton *>(widget))
        return captionFrameRect(radio, true);
    if (const auto *check = qobject_cast<const QCheckBox *>(widget))
        return captionFrameRect(check, false);
    if (qobject_cast<const QAbstractButton *>(widget) || qobject_cast<const QLineEdit *>(widget))
        return widget->rect().adjusted(1, 1, -1, -1);
    if (const auto *tabs = qobject_cast<const QTabBar *>(widget))
        return tabs->currentIndex() >= 0 ? tabs->tabRect(tabs->currentIndex()) : QRect();
    // The menu bar has the keys (Alt, or a menu closed with Escape): its current title.
    if (const auto *bar = qobject_cast<const QMenuBar *>(widget))
        return bar->activeAction() ? bar->actionGeometry(bar->activeAction()) : QRect();
    return {};
}

void drawFocusFrame(QPainter &painter, const QRect &rect, const QPalette &palette) {
    painter.save();
    QPen pen(palette.color(QPalette::Active, QPalette::Highlight), FrameWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing, false);
    // A pen is centred on its line: the frame covers rect's outer two pixels.
    const qreal half = FrameWidth / 2.0;
    painter.drawRect(QRectF(rect).adjusted(half, half, -half, -half));
    painter.restore();
}

void frameViewport(QAbstractScrollArea *area) {
    if (area && !area->findChild<QObject *>(ViewportFrame::Name, Qt::FindDirectChildrenOnly))
        new ViewportFrame(area);
}

} // namespace tavorim

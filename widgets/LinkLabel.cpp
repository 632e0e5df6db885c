#include "LinkLabel.h"

#include "DialogKeys.h"

#include "Accessibility.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace tavorim {

LinkLabel::LinkLabel(QWidget *parent) : QLabel(parent) {
    installWidgetAccessibility();
    setFocusPolicy(Qt::TabFocus);
}

void LinkLabel::click() {
    emit clicked();
}

void LinkLabel::keyPressEvent(QKeyEvent *event) {
    const int key = event->key();
    if (heldModifiers(event) == Qt::NoModifier &&
        (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
        event->accept();
        click();
        return;
    }
    QLabel::keyPressEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        click();
}

void LinkLabel::paintEvent(QPaintEvent *event) {
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // Around the text rather than the whole label, which is much wider than its text.
    const QRect text = QStyle::alignedRect(
        layoutDirection(), alignment(),
        fontMetrics().size(Qt::TextSingleLine, this->text()).grownBy(QMargins(3, 0, 3, 0)),
        contentsRect());
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = text.intersected(rect());
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

void LinkLabel::focusInEvent(QFocusEvent *event) {
    QLabel::focusInEvent(event);
    update();
}

void LinkLabel::focusOutEvent(QFocusEvent *event) {
    QLabel::focusOutEvent(event);
    update();
}

} // namespace tavorim

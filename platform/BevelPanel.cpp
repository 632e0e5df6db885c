#include "BevelPanel.h"

#include <QPainter>

namespace tavorim {

BevelPanel::BevelPanel(QWidget *parent) : QWidget(parent) {}

void BevelPanel::setBevelOuter(BevelKind kind) {
    outer_ = kind;
    update();
}

void BevelPanel::setBevelInner(BevelKind kind) {
    inner_ = kind;
    update();
}

void BevelPanel::setBevelWidth(int width) {
    bevelWidth_ = qMax(0, width);
    update();
}

void BevelPanel::setBorderWidth(int width) {
    borderWidth_ = qMax(0, width);
    update();
}

void BevelPanel::setCaption(const QString &caption) {
    if (caption == caption_)
        return;
    caption_ = caption;
    setAccessibleDescription(caption);
    update();
}

void BevelPanel::setColor(const QColor &color) {
    color_ = color;
    update();
}

void BevelPanel::setFontColor(const QColor &color) {
    if (color == fontColor_)
        return;
    fontColor_ = color;
    update();
}

QRect BevelPanel::captionRect() const {
    int inset = borderWidth_;
    if (outer_ != None)
        inset += bevelWidth_;
    if (inner_ != None)
        inset += bevelWidth_;
    return rect().adjusted(inset, inset, -inset, -inset);
}

namespace {

// `width` nested one-pixel frames, each inside the previous; returns what is left inside.
QRect drawFrame(QPainter &painter, QRect rect, const QColor &topLeft, const QColor &bottomRight,
                int width) {
    for (int i = 0; i < width && rect.isValid(); ++i) {
        painter.setPen(topLeft);
        painter.drawLine(rect.left(), rect.bottom(), rect.left(), rect.top());
        painter.drawLine(rect.left(), rect.top(), rect.right(), rect.top());
        painter.setPen(bottomRight);
        painter.drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
        painter.drawLine(rect.right(), rect.bottom(), rect.left(), rect.bottom());
        rect.adjust(1, 1, -1, -1);
    }
    return rect;
}

} // namespace

void BevelPanel::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const QColor light = palette().color(QPalette::Light);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor fill = color_.isValid() ? color_ : palette().color(QPalette::Button);
    auto bevel = [&](QRect rect, BevelKind kind) {
        if (kind == None)
            return rect;
        return kind == Lowered ? drawFrame(painter, rect, shadow, light, bevelWidth_)
                               : drawFrame(painter, rect, light, shadow, bevelWidth_);
    };
    QRect rect = bevel(this->rect(), outer_);
    rect = drawFrame(painter, rect, fill, fill, borderWidth_);
    rect = bevel(rect, inner_);
    painter.fillRect(rect, fill);
    if (!caption_.isEmpty()) {
        painter.setPen(fontColor_.isValid() ? fontColor_ : palette().color(QPalette::WindowText));
        painter.setFont(font());
        painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, caption_);
    }
}

} // namespace tavorim

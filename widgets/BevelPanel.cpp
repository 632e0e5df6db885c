#include "BevelPanel.h"

#include "Accessibility.h"

#include <QPainter>
#include <qdrawutil.h>

namespace tavorim {

BevelPanel::BevelPanel(QWidget *parent) : QWidget(parent) {
    installWidgetAccessibility();
}

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

void BevelPanel::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const QColor fill = color_.isValid() ? color_ : palette().color(QPalette::Button);
    // Each bevel a shaded panel of Qt's; returns what is left inside it.
    auto bevel = [&](QRect rect, BevelKind kind) {
        if (kind == None || bevelWidth_ == 0 || !rect.isValid())
            return rect;
        qDrawShadePanel(&painter, rect, palette(), kind == Lowered, bevelWidth_);
        return rect.adjusted(bevelWidth_, bevelWidth_, -bevelWidth_, -bevelWidth_);
    };
    QRect rect = bevel(this->rect(), outer_);
    // The border and what lies inside the inner bevel are both of the panel's own color.
    painter.fillRect(rect, fill);
    rect = bevel(rect.adjusted(borderWidth_, borderWidth_, -borderWidth_, -borderWidth_), inner_);
    if (!caption_.isEmpty()) {
        painter.setPen(fontColor_.isValid() ? fontColor_ : palette().color(QPalette::WindowText));
        painter.setFont(font());
        painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, caption_);
    }
}

} // namespace tavorim

#include "BevelPanel.h"

#include "Accessibility.h"
#include "Bevel.h"

#include <QPainter>

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
    const QColor light = palette().color(QPalette::Light);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor fill = color_.isValid() ? color_ : palette().color(QPalette::Button);
    auto bevel = [&](QRect rect, BevelKind kind) {
        if (kind == None)
            return rect;
        return kind == Lowered ? drawBevelEdges(painter, rect, shadow, light, bevelWidth_)
                               : drawBevelEdges(painter, rect, light, shadow, bevelWidth_);
    };
    QRect rect = bevel(this->rect(), outer_);
    rect = drawBevelEdges(painter, rect, fill, fill, borderWidth_);
    rect = bevel(rect, inner_);
    painter.fillRect(rect, fill);
    if (!caption_.isEmpty()) {
        painter.setPen(fontColor_.isValid() ? fontColor_ : palette().color(QPalette::WindowText));
        painter.setFont(font());
        painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, caption_);
    }
}

} // namespace tavorim

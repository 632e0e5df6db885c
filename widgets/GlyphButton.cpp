#include "GlyphButton.h"

#include <QDialog>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace tavorim {

namespace {
constexpr int GlyphSpacing = 4;
}

GlyphButton::GlyphButton(QWidget *parent) : QPushButton(parent) {
    setKind(Close);
    connect(this, &QPushButton::clicked, this, &GlyphButton::closeOrAccept);
}

void GlyphButton::setKind(Kind kind) {
    kind_ = kind;
    setText(kind == Ok ? QStringLiteral("OK") : QStringLiteral("&Fermer"));
    setDefault(kind == Ok);
    update();
}

void GlyphButton::setMargin(int margin) {
    margin_ = margin;
    update();
}

void GlyphButton::closeOrAccept() {
    QWidget *window = this->window();
    if (kind_ == Ok) {
        if (auto *dialog = qobject_cast<QDialog *>(window)) {
            dialog->accept();
            return;
        }
    }
    window->close();
}

int GlyphButton::captionWidth() const {
    // Measured as it is drawn: "&&" is one ampersand, another "&" marks the access key.
    return fontMetrics().size(Qt::TextShowMnemonic, text()).width();
}

QRect GlyphButton::glyphRect() const {
    const int top = (height() - GlyphSize) / 2;
    if (margin_ >= 0)
        return QRect(margin_, top, GlyphSize, GlyphSize);
    const int total = GlyphSize + GlyphSpacing + captionWidth();
    return QRect((width() - total) / 2, top, GlyphSize, GlyphSize);
}

namespace {

void drawCheckMark(QPainter &painter, const QRectF &box) {
    QPainterPath path;
    path.moveTo(box.left() + box.width() * 0.10, box.top() + box.height() * 0.55);
    path.lineTo(box.left() + box.width() * 0.40, box.top() + box.height() * 0.85);
    path.lineTo(box.left() + box.width() * 0.92, box.top() + box.height() * 0.18);
    painter.setPen(
        QPen(QColor(0, 128, 0), box.width() * 0.18, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
}

// An open door with an arrow leaving through it.
void drawDoor(QPainter &painter, const QRectF &box) {
    const qreal u = box.width() / 18.0;
    const QRectF frame(box.left() + 7 * u, box.top() + 1 * u, 9 * u, 16 * u);
    painter.setPen(QPen(Qt::black, u));
    painter.setBrush(QColor(128, 128, 0));
    painter.drawRect(frame);
    QPolygonF leaf;
    leaf << QPointF(frame.left(), frame.top()) << QPointF(frame.left() + 5 * u, frame.top() + 2 * u)
         << QPointF(frame.left() + 5 * u, frame.bottom() + 0.5 * u)
         << QPointF(frame.left(), frame.bottom());
    painter.setBrush(QColor(0, 0, 128));
    painter.drawPolygon(leaf);
    painter.setPen(QPen(QColor(192, 0, 0), 1.6 * u, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    const qreal y = box.top() + 9 * u;
    painter.drawLine(QPointF(box.left() + 1 * u, y), QPointF(box.left() + 7 * u, y));
    painter.drawLine(QPointF(box.left() + 1 * u, y), QPointF(box.left() + 4 * u, y - 3 * u));
    painter.drawLine(QPointF(box.left() + 1 * u, y), QPointF(box.left() + 4 * u, y + 3 * u));
}

} // namespace

void GlyphButton::paintEvent(QPaintEvent *) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    const bool down = isDown() || isChecked();
    const QPoint shift = down ? QPoint(1, 1) : QPoint();
    const QRect glyph = glyphRect().translated(shift);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(0.4);
    if (kind_ == Ok)
        drawCheckMark(painter, glyph);
    else
        drawDoor(painter, glyph);
    painter.restore();

    QRect textArea;
    if (margin_ >= 0)
        textArea = QRect(glyph.right() + 1, 0, width() - glyph.right() - 1, height());
    else
        textArea = QRect(glyph.right() + 1 + GlyphSpacing, 0, captionWidth() + 1, height());
    textArea.translate(0, shift.y());
    const int flags = Qt::AlignCenter | Qt::TextShowMnemonic;
    painter.drawItemText(textArea, flags, palette(), isEnabled(), text(), QPalette::ButtonText);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(4, 4, -4, -4);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

} // namespace tavorim

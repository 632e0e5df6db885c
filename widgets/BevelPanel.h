#pragma once

#include <QColor>
#include <QWidget>

namespace tavorim {

// A panel: a filled rectangle framed by an outer bevel, a border of its own color and an
// inner bevel, with a caption centred in what is left. It may hold other controls.
class BevelPanel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(BevelKind bevelOuter READ bevelOuter WRITE setBevelOuter)
    Q_PROPERTY(BevelKind bevelInner READ bevelInner WRITE setBevelInner)
    Q_PROPERTY(int bevelWidth READ bevelWidth WRITE setBevelWidth)
    Q_PROPERTY(int borderWidth READ borderWidth WRITE setBorderWidth)
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(QColor color READ color WRITE setColor)
    Q_PROPERTY(QColor fontColor READ fontColor WRITE setFontColor)

public:
    enum BevelKind { None, Lowered, Raised };
    Q_ENUM(BevelKind)

    explicit BevelPanel(QWidget *parent = nullptr);

    BevelKind bevelOuter() const { return outer_; }
    void setBevelOuter(BevelKind kind);
    BevelKind bevelInner() const { return inner_; }
    void setBevelInner(BevelKind kind);
    int bevelWidth() const { return bevelWidth_; }
    void setBevelWidth(int width);
    int borderWidth() const { return borderWidth_; }
    void setBorderWidth(int width);

    // Screen readers read the caption when they ask for it (see Accessibility.h).
    QString caption() const { return caption_; }
    void setCaption(const QString &caption);

    // The fill color; the button face until set.
    QColor color() const { return color_; }
    void setColor(const QColor &color);
    // The caption's color; the window text until set.
    QColor fontColor() const { return fontColor_; }
    void setFontColor(const QColor &color);

    // The rectangle left inside both bevels and the border, where the caption is centred.
    QRect captionRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    BevelKind outer_ = Raised;
    BevelKind inner_ = None;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    QString caption_;
    QColor color_;
    QColor fontColor_;
};

} // namespace tavorim

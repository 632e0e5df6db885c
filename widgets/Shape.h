#pragma once

#include <QColor>
#include <QWidget>

namespace tavorim {

// A filled figure with an outline: a rounded rectangle or an ellipse, the pen drawn inside the
// widget's bounds so that a thick outline is never clipped. Decoration only: takes no focus.
class Shape : public QWidget {
    Q_OBJECT
    Q_PROPERTY(Kind shape READ shape WRITE setShape)
    Q_PROPERTY(QColor penColor READ penColor WRITE setPenColor)
    Q_PROPERTY(int penWidth READ penWidth WRITE setPenWidth)
    Q_PROPERTY(QColor brushColor READ brushColor WRITE setBrushColor)

public:
    enum Kind { RoundRect, Ellipse };
    Q_ENUM(Kind)

    explicit Shape(QWidget *parent = nullptr);

    Kind shape() const { return kind_; }
    void setShape(Kind kind);
    QColor penColor() const { return penColor_; }
    void setPenColor(const QColor &color);
    int penWidth() const { return penWidth_; }
    void setPenWidth(int width);
    QColor brushColor() const { return brushColor_; }
    void setBrushColor(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Kind kind_ = RoundRect;
    QColor penColor_ = Qt::black;
    int penWidth_ = 5;
    QColor brushColor_ = Qt::white;
};

} // namespace tavorim

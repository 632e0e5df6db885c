#pragma once

#include <QWidget>

namespace tavorim {

// A bevelled line or frame with no content of its own: a lowered or raised box, an etched
// frame, or a single line along the top edge. It lets clicks through to what lies below.
class Bevel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(Shape shape READ shape WRITE setShape)
    Q_PROPERTY(Style style READ style WRITE setStyle)

public:
    enum Shape { Box, Frame, TopLine };
    Q_ENUM(Shape)
    enum Style { Lowered, Raised };
    Q_ENUM(Style)

    explicit Bevel(QWidget *parent = nullptr);

    Shape shape() const { return shape_; }
    void setShape(Shape shape);
    Style style() const { return style_; }
    void setStyle(Style style);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Shape shape_ = Box;
    Style style_ = Lowered;
};

} // namespace tavorim

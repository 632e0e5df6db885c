#pragma once

#include <QFrame>

namespace tavorim {

// A bevelled line or frame with no content of its own: a lowered or raised box, an etched
// frame, or a single line along the top edge. It lets clicks through to what lies below.
class Bevel : public QFrame {
    Q_OBJECT
    Q_PROPERTY(Kind shape READ shape WRITE setShape)
    Q_PROPERTY(Style style READ style WRITE setStyle)

public:
    enum Kind { Box, Frame, TopLine };
    Q_ENUM(Kind)
    enum Style { Lowered, Raised };
    Q_ENUM(Style)

    explicit Bevel(QWidget *parent = nullptr);

    Kind shape() const { return shape_; }
    void setShape(Kind shape);
    Style style() const { return style_; }
    void setStyle(Style style);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The box as the style's shaded panel.
    void configureFrame();

    Kind shape_ = Box;
    Style style_ = Lowered;
};

} // namespace tavorim

#include "Gauge.h"
#include "Shape.h"

#include <QImage>
#include <QSet>
#include <QTest>

using tavorim::Gauge;
using tavorim::Shape;

namespace {

QImage render(QWidget &widget, const QColor &underneath) {
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(underneath);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

QRgb rgb(const QColor &color) {
    return color.rgb() | 0xff000000u;
}

} // namespace

class TestDrillWidgets : public QObject {
    Q_OBJECT

private slots:
    // The value is clamped to 0–100, and the text shows the clamped value.
    void gaugeClamps() {
        Gauge gauge;
        for (const auto &[value, shown] :
             {std::pair{-5, 0}, {0, 0}, {58, 58}, {100, 100}, {250, 100}}) {
            gauge.setProgress(value);
            QCOMPARE(gauge.progress(), shown);
            QCOMPARE(gauge.text(), QString::number(shown) + QLatin1Char('%'));
        }
    }

    void gaugePixels_data() {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QColor>("fill");
        QTest::addColumn<QColor>("inverse");
        QTest::addColumn<QSize>("size");
        QTest::newRow("horizontal red")
            << int(Qt::Horizontal) << QColor(Qt::red) << QColor(Qt::cyan) << QSize(227, 24);
        QTest::newRow("vertical lime")
            << int(Qt::Vertical) << QColor(0, 255, 0) << QColor(Qt::magenta) << QSize(28, 295);
    }

    // Half full, the fill covers the start of the bar (left or bottom) inside a one-pixel black
    // border, the text straddles it, and every text pixel is the inverse of what lies beneath.
    // Empty and full, the fill covers nothing and everything.
    void gaugePixels() {
        QFETCH(int, orientation);
        QFETCH(QColor, fill);
        QFETCH(QColor, inverse);
        QFETCH(QSize, size);
        Gauge gauge;
        gauge.resize(size);
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(orientation == Qt::Horizontal ? 13 : 11);
        gauge.setFont(font);
        gauge.setOrientation(Qt::Orientation(orientation));
        gauge.setForeColor(fill);
        gauge.setBackColor(Qt::white);
        const int w = size.width(), h = size.height();
        const bool horizontal = orientation == Qt::Horizontal;
        const QPoint start = horizontal ? QPoint(2, h / 2) : QPoint(w / 2, h - 3);
        const QPoint end = horizontal ? QPoint(w - 3, h / 2) : QPoint(w / 2, 2);
        QCOMPARE(render(gauge, Qt::darkGray).pixel(start), rgb(Qt::white));
        gauge.setProgress(100);
        const QImage full = render(gauge, Qt::darkGray);
        QCOMPARE(full.pixel(start), rgb(fill));
        QCOMPARE(full.pixel(end), rgb(fill));

        gauge.setProgress(50);
        const QImage image = render(gauge, Qt::darkGray);
        for (const QPoint p : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1),
                               QPoint(w - 1, h - 1), QPoint(w / 2, 0), QPoint(0, h / 2)})
            QCOMPARE(image.pixel(p), rgb(Qt::black));
        QCOMPARE(image.pixel(start), rgb(fill));
        QCOMPARE(image.pixel(end), rgb(Qt::white));
        QSet<QRgb> seen;
        for (int y = 1; y < h - 1; ++y)
            for (int x = 1; x < w - 1; ++x)
                seen.insert(image.pixel(x, y));
        const QSet<QRgb> allowed{rgb(fill), rgb(Qt::white), rgb(Qt::black), rgb(inverse)};
        QVERIFY2((seen - allowed).isEmpty(), "a text pixel is not the inverse of its ground");
        QVERIFY2(seen.contains(rgb(inverse)), "no text over the fill");
        QVERIFY2(seen.contains(rgb(Qt::black)), "no text over the background");
    }

    void shapePixels_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QSize>("size");
        QTest::newRow("round rectangle") << int(Shape::RoundRect) << QSize(185, 94);
        QTest::newRow("ellipse") << int(Shape::Ellipse) << QSize(217, 121);
    }

    // The whole 5-pixel outline lies inside the bounds, the inside is filled, and the corners
    // outside the curve show what lies beneath.
    void shapePixels() {
        QFETCH(int, kind);
        QFETCH(QSize, size);
        Shape shape;
        shape.resize(size);
        shape.setShape(Shape::Kind(kind));
        shape.setPenColor(Qt::magenta);
        shape.setPenWidth(5);
        const QColor brush(0xFF, 0xEA, 0xEA), under(0x10, 0x20, 0x30);
        shape.setBrushColor(brush);
        const QImage image = render(shape, under);
        const int w = size.width(), h = size.height();
        QCOMPARE(image.pixel(w / 2, h / 2), rgb(brush));
        QCOMPARE(image.pixel(6, h / 2), rgb(brush));
        QCOMPARE(image.pixel(0, 0), rgb(under));
        QCOMPARE(image.pixel(w - 1, h - 1), rgb(under));
        // Edge midpoints: the outline runs from the bound 5 pixels inwards (the outermost and
        // innermost pixels may be smoothed).
        QVERIFY(image.pixel(0, h / 2) != rgb(under));
        QVERIFY(image.pixel(w / 2, h - 1) != rgb(under));
        for (int d = 1; d < 4; ++d) {
            QCOMPARE(image.pixel(d, h / 2), rgb(Qt::magenta));
            QCOMPARE(image.pixel(w - 1 - d, h / 2), rgb(Qt::magenta));
            QCOMPARE(image.pixel(w / 2, d), rgb(Qt::magenta));
            QCOMPARE(image.pixel(w / 2, h - 1 - d), rgb(Qt::magenta));
        }
    }
};

QTEST_MAIN(TestDrillWidgets)
#include "tst_drillwidgets.moc"

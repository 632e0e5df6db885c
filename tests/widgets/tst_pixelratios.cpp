// The drawn widgets and the pictures on screens of device pixel ratio 1, 1.5 and 2. The ratio
// is the application's from its start, so each is seen by a copy of this test started with
// that scale factor.
#include "Bevel.h"
#include "BevelColors.h"
#include "BevelPanel.h"
#include "Gauge.h"
#include "Pictures.h"

#include <QIcon>
#include <QImageReader>
#include <QProcess>
#include <QSet>
#include <QtTest>

#include <cmath>

using tavorim::Bevel;
using tavorim::BevelPanel;
using tavorim::Gauge;

namespace {

QRgb rgb(const QColor &color) {
    return color.rgb() | 0xff000000u;
}

QImage shot(QWidget &widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Rows (or columns) from the top (or left) edge that are all of one color, in device pixels.
int edgeDepth(const QImage &image, bool columns, bool fromEnd, QRgb color) {
    const int lines = columns ? image.width() : image.height();
    const int length = columns ? image.height() : image.width();
    int depth = 0;
    for (; depth < lines; ++depth) {
        const int line = fromEnd ? lines - 1 - depth : depth;
        // The corners belong to the crossing edges: only the middle half counts.
        for (int k = length / 4; k < 3 * length / 4; ++k) {
            const QRgb pixel = columns ? image.pixel(line, k) : image.pixel(k, line);
            if ((pixel | 0xff000000u) != color)
                return depth;
        }
    }
    return depth;
}

} // namespace

// What a copy started at one ratio checks.
class TestAtRatio : public QObject {
    Q_OBJECT

public:
    explicit TestAtRatio(qreal ratio) : ratio_(ratio) {}

private slots:
    void initTestCase() { QCOMPARE(qApp->devicePixelRatio(), ratio_); }
    void gaugeAtDeviceResolution_data();
    void gaugeAtDeviceResolution();
    void bevelEdgesKeepTheirWidth();
    void picturesFromTheirBestRendering_data();
    void picturesFromTheirBestRendering();

private:
    qreal ratio_;
};

void TestAtRatio::gaugeAtDeviceResolution_data() {
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QColor>("fill");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("pixelSize");
    QTest::newRow("horizontal red")
        << int(Qt::Horizontal) << QColor(Qt::red) << QSize(227, 24) << 13;
    QTest::newRow("vertical lime")
        << int(Qt::Vertical) << QColor(0, 255, 0) << QSize(28, 295) << 11;
}

// Half full: a border of whole device pixels, only the four colors of the inverse rule inside,
// text as tall as its font at the ratio, and, where pixels are halves, drawn in them (not a
// small picture enlarged, whose pixels come in pairs).
void TestAtRatio::gaugeAtDeviceResolution() {
    QFETCH(int, orientation);
    QFETCH(QColor, fill);
    QFETCH(QSize, size);
    QFETCH(int, pixelSize);
    Gauge gauge;
    gauge.resize(size);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    gauge.setFont(font);
    gauge.setOrientation(Qt::Orientation(orientation));
    gauge.setForeColor(fill);
    gauge.setBackColor(Qt::white);
    gauge.setProgress(50);
    const QImage image = shot(gauge);
    QCOMPARE(image.size(), (QSizeF(size) * ratio_).toSize());

    const int border = std::max(1, qRound(ratio_));
    for (const bool columns : {false, true})
        for (const bool fromEnd : {false, true})
            QVERIFY(edgeDepth(image, columns, fromEnd, rgb(Qt::black)) == border);

    const QRgb inverse = rgb(fill) ^ 0x00ffffffu;
    const QSet<QRgb> allowed{rgb(fill), rgb(Qt::white), rgb(Qt::black), inverse};
    int top = image.height(), bottom = -1;
    bool halves = false;
    for (int y = border; y < image.height() - border; ++y) {
        for (int x = border; x < image.width() - border; ++x) {
            const QRgb pixel = image.pixel(x, y) | 0xff000000u;
            QVERIFY2(allowed.contains(pixel), qPrintable(QColor(pixel).name()));
            if (pixel != rgb(Qt::black) && pixel != inverse)
                continue;
            top = std::min(top, y);
            bottom = std::max(bottom, y);
            // In an enlarged picture a text pixel at an odd place copies its left neighbour.
            if (x % 2 == 1 && x + 1 < image.width() && image.pixel(x - 1, y) != image.pixel(x, y))
                halves = true;
        }
    }
    QVERIFY2(bottom >= top, "no text drawn");
    const int textHeight = bottom - top + 1;
    QFont deviceFont = font;
    deviceFont.setPixelSize(qRound(pixelSize * ratio_));
    const int expected = QFontMetrics(deviceFont).tightBoundingRect(gauge.text()).height();
    QVERIFY2(
        std::abs(textHeight - expected) <= 2,
        qPrintable(QStringLiteral("%1 rows of text, %2 expected").arg(textHeight).arg(expected)));
    if (ratio_ >= 2)
        QVERIFY2(halves, "text drawn at the window's resolution and enlarged");
}

// Every edge of a bevel and of a panel is there, at the full width of its pixels, on all four
// sides: the last row and column included.
void TestAtRatio::bevelEdgesKeepTheirWidth() {
    QWidget parent;
    parent.setPalette(bevelColors());
    parent.setAutoFillBackground(true);
    parent.resize(60, 40);
    Bevel bevel(&parent);
    bevel.setGeometry(0, 0, 60, 40);
    const QImage box = shot(parent);
    // One pixel of the window is at least one device pixel, about the ratio.
    const int least = std::max(1, int(ratio_));
    for (const bool columns : {false, true}) {
        const int start = edgeDepth(box, columns, false, rgb(Qt::blue));
        const int end = edgeDepth(box, columns, true, rgb(Qt::yellow));
        QVERIFY2(start >= least && start <= qCeil(ratio_), qPrintable(QString::number(start)));
        QVERIFY2(end >= least && end <= qCeil(ratio_), qPrintable(QString::number(end)));
    }

    BevelPanel panel;
    panel.setPalette(bevelColors());
    panel.setBevelOuter(BevelPanel::Lowered);
    panel.setBevelInner(BevelPanel::Lowered);
    panel.setBevelWidth(2);
    panel.setColor(QColor(0, 128, 128));
    panel.resize(50, 30);
    const QImage framed = shot(panel);
    // Two lowered bevels of width 2: four rings, then the fill.
    const QPoint middle(framed.width() / 2, framed.height() / 2);
    QCOMPARE(framed.pixelColor(middle), QColor(0, 128, 128));
    QCOMPARE(framed.pixelColor(middle.x(), 0), QColor(Qt::blue));
    QCOMPARE(framed.pixelColor(middle.x(), framed.height() - 1), QColor(Qt::yellow));
    const int inset = qRound(4 * ratio_);
    QCOMPARE(framed.pixelColor(middle.x(), inset), QColor(0, 128, 128));
    QVERIFY(framed.pixelColor(middle.x(), inset - 1) != QColor(0, 128, 128));
    QCOMPARE(framed.pixelColor(inset, middle.y()), QColor(0, 128, 128));
    QVERIFY(framed.pixelColor(inset - 1, middle.y()) != QColor(0, 128, 128));
}

void TestAtRatio::picturesFromTheirBestRendering_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("place");
    for (const char *path :
         {":/pictures/romain.png", ":/pictures/arabe.png", ":/pictures/apropos.png",
          ":/pictures/buste.bmp", ":/pictures/tuile.bmp"})
        QTest::newRow(path) << QString::fromLatin1(path) << QSize();
    QTest::newRow("bust stretched to its place") << ":/pictures/buste.bmp" << QSize(425, 373);
}

// The picture covers its place, or else its own size, in the window, with the pixels of the
// device: at 1 the picture itself, at 2 its double rendering as it is, at 1.5 that one scaled
// down; stretched, a smooth scaling of the same.
void TestAtRatio::picturesFromTheirBestRendering() {
    QFETCH(QString, path);
    QFETCH(QSize, place);
    QWidget widget;
    const QImage single(path);
    QVERIFY(!single.isNull());
    const QPixmap shown = tavorim::picture(path, &widget, place);
    const QSize covered = place.isValid() ? place : single.size();
    QCOMPARE(shown.deviceIndependentSize().toSize(), covered);
    // Within a pixel: a side of half pixels may round either way.
    const QSize device = (QSizeF(covered) * ratio_).toSize();
    QVERIFY2(std::abs(shown.width() - device.width()) <= 1 &&
                 std::abs(shown.height() - device.height()) <= 1,
             qPrintable(QStringLiteral("%1x%2").arg(shown.width()).arg(shown.height())));
    if (place.isValid())
        return;
    const QImage pixels = shown.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (ratio_ == 1)
        QCOMPARE(pixels, single.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    if (ratio_ == 2) {
        QString twice = path;
        twice.insert(twice.lastIndexOf(QLatin1Char('.')), QLatin1String("@2x"));
        QCOMPARE(pixels, QImage(twice).convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
}

// Runs the checks above in a copy of this test at each ratio.
class TestPixelRatios : public QObject {
    Q_OBJECT

private slots:
    void atRatio_data() {
        QTest::addColumn<QString>("ratio");
        for (const char *ratio : {"1", "1.5", "2"})
            QTest::newRow(ratio) << QString::fromLatin1(ratio);
    }

    void atRatio() {
        QFETCH(QString, ratio);
        QProcess copy;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), ratio);
        copy.setProcessEnvironment(environment);
        copy.setProcessChannelMode(QProcess::MergedChannels);
        copy.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--at-ratio")});
        QVERIFY(copy.waitForFinished(60000));
        const QByteArray output = copy.readAll();
        QVERIFY2(copy.exitStatus() == QProcess::NormalExit && copy.exitCode() == 0,
                 output.constData());
    }
};

int main(int argc, char *argv[]) {
    if (argc >= 2 && qstrcmp(argv[1], "--at-ratio") == 0) {
        const qreal ratio = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble();
        QApplication application(argc, argv);
        TestAtRatio test(ratio);
        return QTest::qExec(&test, QStringList{QString::fromLocal8Bit(argv[0])});
    }
    QApplication application(argc, argv);
    TestPixelRatios test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_pixelratios.moc"

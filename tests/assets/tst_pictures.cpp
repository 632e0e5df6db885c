// The pictures the windows load from the resources: present, loadable, at the exact size the
// fixed layouts were made for, in their color depth, and the backdrop tile without seams.
#include <QFile>
#include <QImage>
#include <QSet>
#include <QtTest>

#include <algorithm>
#include <tuple>

namespace {

enum class Colors { Rgb24, Indexed16, Vga16, Icon };

// The standard 16-color palette.
const QSet<QRgb> &vgaColors() {
    static const QSet<QRgb> colors{
        qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
    return colors;
}

QSet<QRgb> colorsUsed(const QImage &image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    QSet<QRgb> used;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            used.insert(line[x] | 0xff000000u);
    }
    return used;
}

int channelDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

// Largest color step between line i and line j of the image: rows when columns is false,
// columns when true.
int lineDistance(const QImage &image, bool columns, int i, int j) {
    const int length = columns ? image.height() : image.width();
    int worst = 0;
    for (int k = 0; k < length; ++k) {
        const QRgb a = columns ? image.pixel(i, k) : image.pixel(k, i);
        const QRgb b = columns ? image.pixel(j, k) : image.pixel(k, j);
        worst = std::max(worst, channelDistance(a, b));
    }
    return worst;
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT

private slots:
    void embeddedPicture_data();
    void embeddedPicture();
    void iconSize_data();
    void iconSize();
    void tileRepeatsWithoutSeam_data();
    void tileRepeatsWithoutSeam();
};

void TestPictures::embeddedPicture_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<Colors>("colors");

    QTest::newRow("Roman-writing soldier")
        << ":/pictures/romain.png" << QSize(114, 159) << Colors::Indexed16;
    QTest::newRow("Arabic-writing old man")
        << ":/pictures/arabe.png" << QSize(124, 156) << Colors::Vga16;
    QTest::newRow("backdrop tile") << ":/pictures/tuile.bmp" << QSize(244, 186) << Colors::Rgb24;
    QTest::newRow("main window bust") << ":/pictures/buste.bmp" << QSize(444, 389) << Colors::Rgb24;
    QTest::newRow("About box bust")
        << ":/pictures/apropos.png" << QSize(78, 104) << Colors::Indexed16;
    for (const int side : {16, 32, 48, 64})
        QTest::addRow("program icon %d", side) << QStringLiteral(":/icons/tavorim-%1.png").arg(side)
                                               << QSize(side, side) << Colors::Icon;
    // Beside each, its rendering for screens of ratio 2: twice the size, the same kind of colors.
    const std::tuple<const char *, QSize, Colors> twice[] = {
        {":/pictures/romain@2x.png", {228, 318}, Colors::Indexed16},
        {":/pictures/arabe@2x.png", {248, 312}, Colors::Vga16},
        {":/pictures/tuile@2x.bmp", {488, 372}, Colors::Rgb24},
        {":/pictures/buste@2x.bmp", {888, 778}, Colors::Rgb24},
        {":/pictures/apropos@2x.png", {156, 208}, Colors::Indexed16}};
    for (const auto &[path, size, colors] : twice)
        QTest::newRow(path) << QString::fromLatin1(path) << size << colors;
}

void TestPictures::embeddedPicture() {
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QFETCH(Colors, colors);

    QVERIFY2(QFile::exists(path), qPrintable(path));
    QImage image;
    QVERIFY2(image.load(path), qPrintable(path));
    QCOMPARE(image.size(), size);

    switch (colors) {
    case Colors::Rgb24:
        // Drawn opaque, tile after tile or stretched: a transparent pixel would show the
        // window's face through it.
        QVERIFY(!image.hasAlphaChannel());
        QVERIFY(!image.isGrayscale());
        break;
    case Colors::Indexed16:
    case Colors::Vga16: {
        QCOMPARE(image.format(), QImage::Format_Indexed8);
        QVERIFY(image.colorCount() <= 16);
        const QSet<QRgb> used = colorsUsed(image);
        QVERIFY2(used.size() <= 16, qPrintable(QString::number(used.size())));
        // A picture in one flat color would pass the counts above yet show nothing.
        QVERIFY(used.size() >= 8);
        if (colors == Colors::Vga16) {
            for (const QRgb color : used)
                QVERIFY2(vgaColors().contains(color),
                         qPrintable(QColor(color).name() + " is not a standard color"));
        }
        // A rendering at twice the size is drawn in the very colors of its picture.
        if (path.contains(QLatin1String("@2x"))) {
            const QImage single(QString(path).remove(QLatin1String("@2x")));
            const QSet<QRgb> own = colorsUsed(single);
            for (const QRgb color : used)
                QVERIFY2(own.contains(color),
                         qPrintable(QColor(color).name() + " is not a color of the picture"));
        }
        break;
    }
    case Colors::Icon:
        // The medallion is round: the corners must be see-through, the middle solid.
        QVERIFY(image.hasAlphaChannel());
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(image.pixel(size.width() / 2, size.height() / 2)), 255);
        break;
    }
}

void TestPictures::iconSize_data() {
    QTest::addColumn<int>("side");
    QTest::addColumn<int>("scale");
    for (const int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QTest::addRow("%dx%d", side, side) << side << 1;
        QTest::addRow("%dx%d@2", side, side) << side << 2;
    }
}

// Each size of the icon theme, and the same size for screens of scale 2, with twice the pixels.
void TestPictures::iconSize() {
    QFETCH(int, side);
    QFETCH(int, scale);
    const QString path = QStringLiteral(TAVORIM_ICON_DIR "/%1x%1%2/apps/tavorim.png")
                             .arg(side)
                             .arg(scale == 1 ? QString() : QStringLiteral("@%1").arg(scale));
    QImage image;
    QVERIFY2(image.load(path), qPrintable(path));
    QCOMPARE(image.size(), QSize(side, side) * scale);
    QVERIFY(image.hasAlphaChannel());
    QVERIFY(QFile::exists(QStringLiteral(TAVORIM_ICON_DIR "/scalable/apps/tavorim.svg")));
}

void TestPictures::tileRepeatsWithoutSeam_data() {
    QTest::addColumn<bool>("columns");
    QTest::newRow("tiles stacked under one another") << false;
    QTest::newRow("tiles side by side") << true;
}

// Where one tile meets the next, the last line of the first and the first line of the second
// may differ no more than neighbouring lines do along the tile's edge.
void TestPictures::tileRepeatsWithoutSeam() {
    QFETCH(bool, columns);
    const QImage tile = QImage(":/pictures/tuile.bmp").convertToFormat(QImage::Format_RGB32);
    QVERIFY(!tile.isNull());
    const int lines = columns ? tile.width() : tile.height();

    int gradientStep = 0;
    for (int i = 0; i + 1 < lines; ++i) {
        const QRgb a = columns ? tile.pixel(i, 0) : tile.pixel(0, i);
        const QRgb b = columns ? tile.pixel(i + 1, 0) : tile.pixel(0, i + 1);
        gradientStep = std::max(gradientStep, channelDistance(a, b));
    }
    const int seam = lineDistance(tile, columns, lines - 1, 0);
    QVERIFY2(seam <= gradientStep + 1,
             qPrintable(QStringLiteral("seam %1, gradient step %2").arg(seam).arg(gradientStep)));
}

QTEST_GUILESS_MAIN(TestPictures)
#include "tst_pictures.moc"

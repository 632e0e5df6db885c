// The drawn widgets: where their bevels and captions land, and what the stock buttons do.
#include "Bevel.h"
#include "BevelColors.h"
#include "BevelPanel.h"
#include "GlyphButton.h"

#include <QAccessible>
#include <QDialog>
#include <QImage>
#include <QSignalSpy>
#include <QtTest>

using tavorim::Bevel;
using tavorim::BevelPanel;
using tavorim::GlyphButton;

namespace {

QImage grab(QWidget &widget) {
    return widget.grab().toImage();
}

} // namespace

class TestWidgets : public QObject {
    Q_OBJECT

private slots:
    void bevelEdges_data();
    void bevelEdges();
    void panelInsets_data();
    void panelInsets();
    void panelCaptionIsCentredAndDescribed();
    void glyphButtonKinds_data();
    void glyphButtonKinds();
    void glyphMargin();
};

void TestWidgets::bevelEdges_data() {
    QTest::addColumn<int>("shape");
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("topIsShadow");
    QTest::addColumn<bool>("bottomDrawn");
    QTest::newRow("lowered box") << int(Bevel::Box) << int(Bevel::Lowered) << true << true;
    QTest::newRow("raised box") << int(Bevel::Box) << int(Bevel::Raised) << false << true;
    QTest::newRow("lowered top line")
        << int(Bevel::TopLine) << int(Bevel::Lowered) << true << false;
    QTest::newRow("raised top line") << int(Bevel::TopLine) << int(Bevel::Raised) << false << false;
}

void TestWidgets::bevelEdges() {
    QFETCH(int, shape);
    QFETCH(int, style);
    QFETCH(bool, topIsShadow);
    QFETCH(bool, bottomDrawn);
    QWidget parent;
    parent.setPalette(bevelColors());
    parent.setAutoFillBackground(true);
    parent.resize(60, 40);
    Bevel bevel(&parent);
    bevel.setShape(static_cast<Bevel::Kind>(shape));
    bevel.setStyle(static_cast<Bevel::Style>(style));
    bevel.setGeometry(0, 0, 60, 40);
    const QImage image = grab(parent);
    const QColor top = topIsShadow ? Qt::blue : Qt::yellow;
    const QColor bottom = topIsShadow ? Qt::yellow : Qt::blue;
    QCOMPARE(image.pixelColor(30, 0), top);
    QCOMPARE(image.pixelColor(30, 20), QColor(Qt::white)); // nothing inside
    QCOMPARE(image.pixelColor(30, 39), bottomDrawn ? bottom : QColor(Qt::white));
}

void TestWidgets::panelInsets_data() {
    QTest::addColumn<int>("outer");
    QTest::addColumn<int>("inner");
    QTest::addColumn<int>("bevelWidth");
    QTest::addColumn<int>("borderWidth");
    QTest::addColumn<int>("inset");
    QTest::newRow("clock: both lowered, width 2")
        << int(BevelPanel::Lowered) << int(BevelPanel::Lowered) << 2 << 0 << 4;
    QTest::newRow("about: raised in lowered, border 2")
        << int(BevelPanel::Lowered) << int(BevelPanel::Raised) << 1 << 2 << 4;
    QTest::newRow("single raised")
        << int(BevelPanel::Raised) << int(BevelPanel::None) << 1 << 0 << 1;
    QTest::newRow("no bevel") << int(BevelPanel::None) << int(BevelPanel::None) << 3 << 0 << 0;
}

void TestWidgets::panelInsets() {
    QFETCH(int, outer);
    QFETCH(int, inner);
    QFETCH(int, bevelWidth);
    QFETCH(int, borderWidth);
    QFETCH(int, inset);
    BevelPanel panel;
    QPalette palette;
    palette.setColor(QPalette::Light, Qt::white);
    palette.setColor(QPalette::Dark, Qt::black);
    panel.setPalette(palette);
    panel.setBevelOuter(static_cast<BevelPanel::BevelKind>(outer));
    panel.setBevelInner(static_cast<BevelPanel::BevelKind>(inner));
    panel.setBevelWidth(bevelWidth);
    panel.setBorderWidth(borderWidth);
    panel.setColor(QColor(0, 128, 128));
    panel.resize(50, 30);
    QCOMPARE(panel.captionRect(), QRect(inset, inset, 50 - 2 * inset, 30 - 2 * inset));
    const QImage image = grab(panel);
    // The fill starts exactly at the inset; the pixel before it belongs to a bevel.
    QCOMPARE(image.pixelColor(25, inset), QColor(0, 128, 128));
    if (inset > 0) {
        QVERIFY(image.pixelColor(25, inset - 1) != QColor(0, 128, 128) || borderWidth > 0);
        QVERIFY(image.pixelColor(25, 0) != QColor(0, 128, 128));
    }
}

void TestWidgets::panelCaptionIsCentredAndDescribed() {
    BevelPanel panel;
    panel.setColor(Qt::white);
    panel.setFontColor(Qt::red);
    panel.setBevelOuter(BevelPanel::None);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    font.setBold(true);
    panel.setFont(font);
    panel.resize(117, 41);
    panel.setCaption(QStringLiteral("00:05:07"));
    QCOMPARE(QAccessible::queryAccessibleInterface(&panel)->text(QAccessible::Name),
             QStringLiteral("00:05:07"));
    const QImage image = grab(panel);
    int left = image.width(), right = -1, top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) != QColor(Qt::white)) {
                left = qMin(left, x);
                right = qMax(right, x);
                top = qMin(top, y);
                bottom = qMax(bottom, y);
            }
        }
    }
    QVERIFY2(right >= 0, "the caption was not drawn");
    // Centred within two pixels either way.
    QVERIFY(qAbs(left - (image.width() - 1 - right)) <= 2);
    QVERIFY(qAbs(top - (image.height() - 1 - bottom)) <= 3);
}

void TestWidgets::glyphButtonKinds_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("isDefault");
    QTest::addColumn<int>("result");
    QTest::newRow("close") << int(GlyphButton::Close) << QStringLiteral("&Fermer") << false
                           << int(QDialog::Rejected);
    QTest::newRow("ok") << int(GlyphButton::Ok) << QStringLiteral("OK") << true
                        << int(QDialog::Accepted);
}

void TestWidgets::glyphButtonKinds() {
    QFETCH(int, kind);
    QFETCH(QString, caption);
    QFETCH(bool, isDefault);
    QFETCH(int, result);
    QDialog dialog;
    auto *button = new GlyphButton(&dialog);
    button->setKind(static_cast<GlyphButton::Kind>(kind));
    button->setGeometry(10, 10, 86, 32);
    QCOMPARE(button->text(), caption);
    QCOMPARE(button->isDefault(), isDefault);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QSignalSpy finished(&dialog, &QDialog::finished);
    button->click();
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), result);
    QVERIFY(!dialog.isVisible());
}

void TestWidgets::glyphMargin() {
    GlyphButton button;
    button.setKind(GlyphButton::Ok);
    button.resize(77, 27);
    button.setMargin(2);
    QCOMPARE(button.glyphRect().left(), 2);
    button.setMargin(-1);
    // Centred together with the caption: the glyph starts right of the margin's place but
    // leaves room for the caption beside it.
    const QRect centred = button.glyphRect();
    QVERIFY(centred.left() > 2);
    QVERIFY(centred.right() < button.width() / 2);
}

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"

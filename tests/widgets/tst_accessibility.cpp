// What screen readers are told of the drawn widgets, the link label's keys, and the focus
// frame every focused control shows.
#include "BevelPanel.h"
#include "Gauge.h"
#include "LinkLabel.h"
#include "ProgramStyle.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTextBrowser>
#include <QtTest>

using tavorim::BevelPanel;
using tavorim::Gauge;
using tavorim::LinkLabel;

namespace {

QAccessibleInterface *accessible(QWidget *widget) {
    return QAccessible::queryAccessibleInterface(widget);
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private slots:
    void gaugeIsAProgressBar_data();
    void gaugeIsAProgressBar();
    void panelsReadTheirCaption();
    void linkLabelFollowsClicksAndKeys_data();
    void linkLabelFollowsClicksAndKeys();
    void focusedControlsShowAFrame_data();
    void focusedControlsShowAFrame();
};

void TestAccessibility::gaugeIsAProgressBar_data() {
    QTest::addColumn<QList<int>>("settings");
    QTest::addColumn<int>("value");
    QTest::newRow("untouched") << QList<int>{} << 0;
    QTest::newRow("53") << QList<int>{53} << 53;
    QTest::newRow("above 100") << QList<int>{150} << 100;
    QTest::newRow("below 0 after 40") << QList<int>{40, -5} << 0;
}

void TestAccessibility::gaugeIsAProgressBar() {
    QFETCH(QList<int>, settings);
    QFETCH(int, value);
    Gauge gauge;
    QAccessibleInterface *iface = accessible(&gauge);
    QCOMPARE(iface->role(), QAccessible::ProgressBar);
    QAccessibleValueInterface *values = iface->valueInterface();
    QVERIFY(values);
    for (const int setting : settings)
        gauge.setProgress(setting);
    QCOMPARE(values->currentValue().toInt(), value);
    QCOMPARE(values->minimumValue().toInt(), 0);
    QCOMPARE(values->maximumValue().toInt(), 100);
    // Without a name of its own the percentage names it; a name given takes over.
    QCOMPARE(iface->text(QAccessible::Name), gauge.text());
    QCOMPARE(iface->text(QAccessible::Value), gauge.text());
    gauge.setAccessibleName(QStringLiteral("Réussite"));
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Réussite"));
    values->setCurrentValue(7);
    QCOMPARE(gauge.progress(), value);
}

void TestAccessibility::panelsReadTheirCaption() {
    QWidget window;
    auto *indicator = new BevelPanel(&window);
    auto *clock = new BevelPanel(&window);
    auto *frame = new BevelPanel(&window);
    new QLabel(frame);
    clock->setAccessibleName(QStringLiteral("Temps écoulé"));
    indicator->setCaption(QStringLiteral("Maj"));

    QAccessibleInterface *indicatorIface = accessible(indicator);
    QCOMPARE(indicatorIface->role(), QAccessible::StaticText);
    QCOMPARE(indicatorIface->text(QAccessible::Name), QStringLiteral("Maj"));
    QCOMPARE(accessible(frame)->role(), QAccessible::Client);

    // A named panel says its caption as its description, read when asked for rather than set
    // (which would send an event at every new caption, every second for the clock).
    QAccessibleInterface *clockIface = accessible(clock);
    for (const char *time : {"00:00:01", "00:00:02", "00:00:03"})
        clock->setCaption(QLatin1String(time));
    QVERIFY(clock->accessibleDescription().isEmpty());
    QCOMPARE(clockIface->text(QAccessible::Name), QStringLiteral("Temps écoulé"));
    QCOMPARE(clockIface->text(QAccessible::Description), QStringLiteral("00:00:03"));
    clock->setAccessibleDescription(QStringLiteral("Depuis le début"));
    QCOMPARE(clockIface->text(QAccessible::Description), QStringLiteral("Depuis le début"));
}

void TestAccessibility::linkLabelFollowsClicksAndKeys_data() {
    QTest::addColumn<int>("key"); // 0: a left click
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("followed");
    QTest::newRow("click") << 0 << 0 << 1;
    QTest::newRow("return") << int(Qt::Key_Return) << 0 << 1;
    QTest::newRow("keypad enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << 1;
    QTest::newRow("space") << int(Qt::Key_Space) << 0 << 1;
    QTest::newRow("shift return") << int(Qt::Key_Return) << int(Qt::ShiftModifier) << 0;
    QTest::newRow("ctrl space") << int(Qt::Key_Space) << int(Qt::ControlModifier) << 0;
    QTest::newRow("a letter") << int(Qt::Key_E) << 0 << 0;
}

void TestAccessibility::linkLabelFollowsClicksAndKeys() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, followed);
    LinkLabel link;
    link.setText(QStringLiteral("Ecrire"));
    QSignalSpy clicks(&link, &LinkLabel::clicked);
    if (key == 0)
        QTest::mouseClick(&link, Qt::LeftButton);
    else
        QTest::keyClick(&link, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(clicks.count(), followed);

    QAccessibleInterface *iface = accessible(&link);
    QCOMPARE(iface->role(), QAccessible::Link);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Ecrire"));
    QVERIFY(iface->state().focusable);
    QVERIFY(iface->state().linked);
    QVERIFY(iface->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::pressAction()));
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clicks.count(), followed + 1);
}

void TestAccessibility::focusedControlsShowAFrame_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("push button") << QStringLiteral("button");
    QTest::newRow("edit box") << QStringLiteral("edit");
    QTest::newRow("link") << QStringLiteral("link");
    QTest::newRow("radio button, clear of its circle") << QStringLiteral("radio");
    QTest::newRow("page, on its visible area") << QStringLiteral("page");
    QTest::newRow("tab bar, around its current tab") << QStringLiteral("tabs");
    QTest::newRow("menu bar after Alt+letter, Escape") << QStringLiteral("menu");
}

void TestAccessibility::focusedControlsShowAFrame() {
    QFETCH(QString, kind);
    tavorim::useProgramStyle();
    QWidget window;
    QPalette palette = window.palette();
    const QColor highlight(0x12, 0x34, 0xD6);
    palette.setColor(QPalette::Highlight, highlight);
    window.setPalette(palette);
    auto *other = new QPushButton(QStringLiteral("Autre"), &window);
    other->setGeometry(100, 10, 80, 30);
    QWidget *control;
    if (kind == QLatin1String("button")) {
        control = new QPushButton(QStringLiteral("&Continuer"), &window);
    } else if (kind == QLatin1String("edit")) {
        control = new QLineEdit(&window);
    } else if (kind == QLatin1String("radio")) {
        control = new QRadioButton(QStringLiteral("niveau  &1"), &window);
    } else if (kind == QLatin1String("page")) {
        auto *page = new QTextBrowser(&window);
        page->setPlainText(QStringLiteral("XXXXXXXX"));
        control = page;
    } else if (kind == QLatin1String("tabs")) {
        auto *tabs = new QTabBar(&window);
        tabs->addTab(QStringLiteral("Sommaire"));
        tabs->addTab(QStringLiteral("Index"));
        control = tabs;
    } else if (kind == QLatin1String("menu")) {
        auto *bar = new QMenuBar(&window);
        bar->addMenu(QStringLiteral("&Convertir"))->addAction(QStringLiteral("En chiffres"));
        bar->addMenu(QStringLiteral("&Documentation"));
        control = bar;
    } else {
        auto *link = new LinkLabel(&window);
        link->setText(QStringLiteral("Ecrire"));
        link->setAlignment(Qt::AlignCenter);
        control = link;
    }
    control->setGeometry(10, 10, 80, kind == QLatin1String("link") ? 16 : 30);
    other->setFocus();
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTRY_VERIFY(other->hasFocus());
    // Where the frame is: around a part of the control only for some.
    QRect part;
    if (auto *bar = qobject_cast<QMenuBar *>(control)) {
        QTest::keyClick(&window, Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget());
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!QApplication::activePopupWidget());
        part = bar->actionGeometry(bar->actions().first());
    } else {
        control->setFocus();
    }
    if (auto *tabs = qobject_cast<QTabBar *>(control))
        part = tabs->tabRect(0);
    QTRY_VERIFY(control->hasFocus());

    // Two pixels wide from the first paint, whatever the style draws, and on nothing else.
    auto framed = [&](QWidget *widget) {
        const QImage image = widget->grab().toImage();
        const QRect area = widget == control && !part.isEmpty() ? part : image.rect();
        const int x = area.center().x();
        const int y = area.center().y();
        auto thick = [&](int fromX, int fromY, int stepX, int stepY) {
            for (int px = fromX, py = fromY; area.contains(px, py); px += stepX, py += stepY) {
                if (image.pixelColor(px, py) == highlight)
                    return image.pixelColor(px + stepX, py + stepY) == highlight;
            }
            return false;
        };
        return thick(x, area.top(), 0, 1) && thick(x, area.bottom(), 0, -1) &&
               thick(area.left(), y, 1, 0) && thick(area.right(), y, -1, 0);
    };
    QTRY_VERIFY(framed(control));
    if (kind == QLatin1String("page")) {
        // Its text still painted under the frame: a scroll area paints its visible area
        // through a filter of its own.
        const QImage image = control->grab().toImage();
        int dark = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                dark += qGray(image.pixel(x, y)) < 60 ? 1 : 0;
        QVERIFY(dark > 10);
    }
    if (auto *radio = qobject_cast<QRadioButton *>(control)) {
        QStyleOptionButton option;
        option.initFrom(radio);
        const int circleEnd =
            radio->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, radio).right();
        const QImage image = radio->grab().toImage();
        for (int x = 0; x <= circleEnd; ++x)
            QVERIFY(image.pixelColor(x, image.height() / 2) != highlight);
    }
    QVERIFY(!framed(other));
    other->setFocus();
    QTRY_VERIFY(framed(other));
    QVERIFY(!framed(control));
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"

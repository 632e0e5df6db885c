// Placing windows by their frame: where the help viewer goes on screens of every size, the
// monitor a window opens on, and the platform the program asks for before the application
// object exists.
#include "DisplayProbe.h"
#include "WindowPlacement.h"

#include <QtTest>

#include <cstdlib>

using tavorim::helpViewerFrame;

namespace {

qint64 overlap(const QRect &a, const QRect &b) {
    const QRect both = a.intersected(b);
    return both.isEmpty() ? 0 : qint64(both.width()) * both.height();
}

// The backdrop's clock and indicators on a screen of the given width.
QRegion panels(const QRect &screen) {
    QRegion region(QRect(screen.left() + 16, screen.top() + 24, 117, 41));
    region += QRect(screen.right() + 1 - 136 - 91, screen.top() + 24, 91, 41);
    region += QRect(screen.right() + 1 - 16 - 91, screen.top() + 24, 91, 41);
    return region;
}

// A centred main window's frame, as the program shows it.
QRect centredMain(const QRect &area) {
    QRect main(0, 0, 416, 437);
    main.moveCenter(area.center());
    return main;
}

} // namespace

class TestWindowPlacement : public QObject {
    Q_OBJECT

private slots:
    void helpViewer_data();
    void helpViewer();
    void monitor_data();
    void monitor();
    void platformChoice_data();
    void platformChoice();
};

void TestWindowPlacement::helpViewer_data() {
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QRect>("asking");
    // Whether the area leaves room to keep the panels, or the asking window, uncovered.
    QTest::addColumn<bool>("panelsClear");
    QTest::addColumn<bool>("askingClear");
    const QRect sxga(0, 0, 1280, 1024);
    QTest::newRow("1280x1024") << sxga << centredMain(sxga) << true << false;
    const QRect minimum(0, 0, 800, 600);
    QTest::newRow("800x600: the whole area") << minimum << centredMain(minimum) << false << false;
    const QRect xga(0, 0, 1024, 768);
    QTest::newRow("1024x768") << xga << centredMain(xga) << true << false;
    const QRect laptop(0, 0, 1366, 768);
    QTest::newRow("1366x768") << laptop << centredMain(laptop) << true << false;
    const QRect wide(0, 0, 2560, 1440);
    QTest::newRow("2560x1440: beside the main window") << wide << centredMain(wide) << true << true;
    const QRect panel(0, 32, 1920, 1048);
    QTest::newRow("work area under a top panel") << panel << centredMain(panel) << true << false;
    QTest::newRow("main window moved to the bottom right")
        << sxga << QRect(870, 580, 416, 437) << true << true;
    const QRect second(1280, 0, 1024, 768);
    QTest::newRow("second screen on the right") << second << centredMain(second) << true << false;
    QTest::newRow("nobody asking") << sxga << QRect() << true << true;
}

void TestWindowPlacement::helpViewer() {
    QFETCH(QRect, area);
    QFETCH(QRect, asking);
    QFETCH(bool, panelsClear);
    QFETCH(bool, askingClear);
    const QSize preferred(862, 645);
    const QRegion keepClear = panels(area);
    const QRect frame = helpViewerFrame(area, preferred, keepClear, asking);
    // Whole on the work area, at the preferred size where it fits, cut to the area otherwise.
    QVERIFY2(area.contains(frame), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                  .arg(frame.x())
                                                  .arg(frame.y())
                                                  .arg(frame.width())
                                                  .arg(frame.height())));
    QCOMPARE(frame.size(), preferred.boundedTo(area.size()));
    qint64 onPanels = 0;
    for (const QRect &part : keepClear)
        onPanels += overlap(frame, part);
    QCOMPARE(onPanels == 0, panelsClear);
    QCOMPARE(overlap(frame, asking) == 0, askingClear);
}

void TestWindowPlacement::monitor_data() {
    QTest::addColumn<QList<QRect>>("monitors");
    QTest::addColumn<int>("primary");
    QTest::addColumn<QRect>("owner");
    QTest::addColumn<int>("expected");
    // The primary monitor on the right, lower than the other: not at the origin.
    const QList<QRect> two{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    QTest::newRow("no owner: the primary, not the one at the origin") << two << 1 << QRect() << 1;
    QTest::newRow("owner on the monitor at the origin")
        << two << 1 << QRect(700, 300, 416, 437) << 0;
    QTest::newRow("owner across both, more on the primary")
        << two << 1 << QRect(1800, 300, 416, 437) << 1;
    QTest::newRow("owner across both, more on the other")
        << two << 1 << QRect(1600, 300, 416, 437) << 0;
    QTest::newRow("owner below the shorter monitor, on none")
        << two << 0 << QRect(2000, 1030, 300, 40) << 0;
    QTest::newRow("owner off every monitor") << two << 1 << QRect(-900, -900, 416, 437) << 1;
    QTest::newRow("no monitor") << QList<QRect>() << -1 << QRect(0, 0, 10, 10) << -1;
    QTest::newRow("no primary known") << two << -1 << QRect() << 0;
}

void TestWindowPlacement::monitor() {
    QFETCH(QList<QRect>, monitors);
    QFETCH(int, primary);
    QFETCH(QRect, owner);
    QFETCH(int, expected);
    QCOMPARE(tavorim::monitorFor(monitors, primary, owner), expected);
}

void TestWindowPlacement::platformChoice_data() {
    QTest::addColumn<QByteArray>("platform");
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no display") << QByteArray() << QByteArray() << QStringList();
    QTest::newRow("a display nobody serves")
        << QByteArray() << QByteArray(":4711") << QStringList();
    QTest::newRow("the user chose Wayland")
        << QByteArray("wayland") << QByteArray(":4711") << QStringList();
    QTest::newRow("-platform on the command line")
        << QByteArray() << QByteArray(":4711") << QStringList{"-platform", "wayland"};
}

void TestWindowPlacement::platformChoice() {
    QFETCH(QByteArray, platform);
    QFETCH(QByteArray, display);
    QFETCH(QStringList, arguments);
    const QByteArray savedPlatform = qgetenv("QT_QPA_PLATFORM");
    const QByteArray savedDisplay = qgetenv("DISPLAY");
    qputenv("QT_QPA_PLATFORM", platform);
    qputenv("DISPLAY", display);
    std::vector<QByteArray> bytes{"tavorim"};
    for (const QString &argument : arguments)
        bytes.push_back(argument.toUtf8());
    std::vector<char *> argv;
    for (QByteArray &argument : bytes)
        argv.push_back(argument.data());
    // None of these asks for X: no reachable display, or the user's choice stands.
    const bool x11 = tavorim::wantsX11Platform(int(argv.size()), argv.data());
    qputenv("QT_QPA_PLATFORM", savedPlatform);
    qputenv("DISPLAY", savedDisplay);
    QVERIFY(!x11);
}

QTEST_MAIN(TestWindowPlacement)

#include "tst_windowplacement.moc"

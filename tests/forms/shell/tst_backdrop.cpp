// The backdrop: its tiling, the indicators' places and colors, and the elapsed-time clock
// across midnight, across whole days and when started just before midnight.
#include "Application.h"
#include "BevelPanel.h"
#include "FixedLockKeys.h"
#include "Globals.h"
#include "ManualClock.h"
#include "Unit2.h"

#include <QElapsedTimer>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <optional>

using tavorim::ManualClock;
using tavorim::MillisecondsPerDay;

namespace {

tavorim::BevelPanel *panel(const QWidget &form, const char *name) {
    return form.findChild<tavorim::BevelPanel *>(QLatin1String(name));
}

QTimer *timer(const QWidget &form, const char *name) {
    return form.findChild<QTimer *>(QLatin1String(name));
}

// The shortest of a few periods of a timer, measured through what it shows: right after a
// tick has shown the last change, the next change is made, and the tick after shows it.
// Load only lengthens a period, so the shortest one is the timer's own.
qint64 shortestPeriodMs(QTimer *timer, const std::function<bool()> &changeShown,
                        const std::function<void()> &change) {
    QElapsedTimer sinceChange;
    QList<qint64> periods;
    const auto connection = QObject::connect(timer, &QTimer::timeout, [&] {
        if (!changeShown())
            return;
        if (sinceChange.isValid())
            periods.append(sinceChange.elapsed());
        change();
        sinceChange.start();
    });
    change();
    const bool measured = QTest::qWaitFor([&] { return periods.size() >= 4; }, 20000);
    QObject::disconnect(connection);
    return measured ? *std::min_element(periods.begin(), periods.end()) : -1;
}

int shownSeconds(const QString &caption) {
    const QTime time = QTime::fromString(caption, QStringLiteral("HH:mm:ss"));
    return time.isValid() ? time.msecsSinceStartOfDay() / 1000 : -1;
}

} // namespace

class TestBackdrop : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void tilesCoverTheWindow_data();
    void tilesCoverTheWindow();
    void indicatorsKeepTheirDistances_data();
    void indicatorsKeepTheirDistances();
    void lockKeysColorTheIndicators_data();
    void lockKeysColorTheIndicators();
    void clockCounts_data();
    void clockCounts();
    void startJustBeforeMidnight();
    void timersTickEvery200Ms();

private:
    ManualClock clock_;
    tavorim::FixedLockKeys keys_;
    std::optional<tavorim::TApplication> application_;
};

void TestBackdrop::init() {
    Etat_Global = T_Etat_Global{};
    application_.emplace();
    keys_.set(false, false);
}

void TestBackdrop::cleanup() {
    application_.reset();
}

void TestBackdrop::tilesCoverTheWindow_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("design size") << QSize(536, 348);
    QTest::newRow("exactly one tile") << QSize(244, 186);
    QTest::newRow("one pixel past a tile") << QSize(245, 187);
    QTest::newRow("smaller than a tile") << QSize(100, 50);
    QTest::newRow("full HD") << QSize(1920, 1080);
    QTest::newRow("tall portrait") << QSize(768, 1366);
}

void TestBackdrop::tilesCoverTheWindow() {
    QFETCH(QSize, size);
    const QImage tile(QStringLiteral(":/pictures/tuile.bmp"));
    if (tile.isNull())
        QSKIP("the tile picture is not built in yet");
    TForm2 form(clock_);
    form.resize(size);
    for (QWidget *child : form.findChildren<QWidget *>())
        child->hide();
    const QImage shown = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage expected = tile.convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.size(), size);
    // Every row and column near the tile seams and the far edges, and a sparse grid between.
    auto check = [&](int x, int y) {
        return shown.pixel(x, y) == expected.pixel(x % tile.width(), y % tile.height());
    };
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const bool nearSeam = x % tile.width() < 2 || x % tile.width() >= tile.width() - 2 ||
                                  y % tile.height() < 2 || y % tile.height() >= tile.height() - 2 ||
                                  x == size.width() - 1 || y == size.height() - 1;
            if ((nearSeam || (x % 13 == 0 && y % 11 == 0)) && !check(x, y))
                QFAIL(qPrintable(QStringLiteral("wrong pixel at %1,%2").arg(x).arg(y)));
        }
    }
}

void TestBackdrop::indicatorsKeepTheirDistances_data() {
    QTest::addColumn<int>("width");
    QTest::newRow("design width") << 536;
    QTest::newRow("XGA") << 1024;
    QTest::newRow("wide") << 2560;
    QTest::newRow("narrow") << 400;
}

void TestBackdrop::indicatorsKeepTheirDistances() {
    QFETCH(int, width);
    TForm2 form(clock_);
    form.show();
    form.resize(width, 600);
    const QRect maj = panel(form, "panelMaj")->geometry();
    const QRect num = panel(form, "PanelVernum")->geometry();
    QCOMPARE(width - (maj.x() + maj.width()), 136);
    QCOMPARE(width - (num.x() + num.width()), 16);
    QCOMPARE(maj.size(), QSize(91, 41));
    QCOMPARE(num.size(), QSize(91, 41));
    QCOMPARE(maj.y(), 24);
    QCOMPARE(num.y(), 24);
    QCOMPARE(panel(form, "Panel1")->geometry(), QRect(16, 24, 117, 41));
}

void TestBackdrop::lockKeysColorTheIndicators_data() {
    QTest::addColumn<bool>("caps");
    QTest::addColumn<bool>("num");
    QTest::newRow("both off") << false << false;
    QTest::newRow("caps lock on") << true << false;
    QTest::newRow("num lock on") << false << true;
    QTest::newRow("both on") << true << true;
}

void TestBackdrop::lockKeysColorTheIndicators() {
    QFETCH(bool, caps);
    QFETCH(bool, num);
    const QColor red(255, 0, 0);
    const QColor silver(192, 192, 192);
    TForm2 form(clock_);
    form.setLockKeys(std::ref(keys_));
    keys_.set(caps, num);
    QTRY_COMPARE(panel(form, "panelMaj")->fontColor(), caps ? red : silver);
    QTRY_COMPARE(panel(form, "PanelVernum")->fontColor(), num ? red : silver);
    // Switched off again, both go back to silver.
    keys_.set(false, false);
    QTRY_COMPARE(panel(form, "panelMaj")->fontColor(), silver);
    QTRY_COMPARE(panel(form, "PanelVernum")->fontColor(), silver);
}

void TestBackdrop::clockCounts_data() {
    QTest::addColumn<QTime>("start");
    QTest::addColumn<int>("stepMs");
    QTest::addColumn<int>("runSeconds");
    QTest::newRow("afternoon, five minutes") << QTime(14, 0, 0) << 200 << 5 * 60;
    QTest::newRow("across midnight") << QTime(23, 59, 0) << 200 << 3 * 60;
    QTest::newRow("across 24 hours") << QTime(10, 0, 0) << 5000 << 24 * 3600 + 120;
    QTest::newRow("across two midnights") << QTime(22, 0, 0) << 5000 << 27 * 3600;
}

void TestBackdrop::clockCounts() {
    QFETCH(QTime, start);
    QFETCH(int, stepMs);
    QFETCH(int, runSeconds);
    TForm2 form(clock_);
    timer(form, "Timer1")->stop(); // the ticks are driven here
    clock_.setFraction(start.msecsSinceStartOfDay() / MillisecondsPerDay);
    form.FormActivate();
    const int day = 24 * 3600;
    bool passedMidnight = false;
    bool wrapped = false;
    int previous = 0;
    for (qint64 ms = stepMs; ms <= qint64(runSeconds) * 1000; ms += stepMs) {
        clock_.advance(stepMs);
        form.Timer1Timer();
        const QString caption = panel(form, "Panel1")->caption();
        QCOMPARE(QString::fromStdString(Etat_Global.Duree_Texte), caption);
        const int shown = shownSeconds(caption);
        QVERIFY2(shown >= 0, qPrintable(caption));
        // Shows the real span less whole days, short by at most the one step that straddles
        // midnight.
        const int real = int(ms / 1000);
        const int behind = ((real - shown) % day + day) % day;
        QVERIFY2(behind <= stepMs / 1000 + 1,
                 qPrintable(QStringLiteral("%1 after %2 s").arg(caption).arg(real)));
        passedMidnight = passedMidnight || start.msecsSinceStartOfDay() + ms >= qint64(day) * 1000;
        if (shown < previous) {
            wrapped = true;
            QVERIFY(previous >= day - 2 * stepMs / 1000 - 1);
        }
        previous = shown;
    }
    QCOMPARE(passedMidnight, start.msecsSinceStartOfDay() / 1000 + runSeconds >= day);
    QCOMPARE(wrapped, runSeconds >= day);
}

void TestBackdrop::startJustBeforeMidnight() {
    // No tick comes between the start and midnight: the span would come out below zero.
    TForm2 form(clock_);
    timer(form, "Timer1")->stop();
    clock_.set(23, 59, 59, 900);
    form.FormActivate();
    clock_.advance(200);
    form.Timer1Timer();
    QCOMPARE(panel(form, "Panel1")->caption(), QStringLiteral("00:00:00"));
    QCOMPARE(Etat_Global.Duree_Texte, std::string("00:00:00"));
    // And the clock goes on counting after midnight rather than staying at zero.
    clock_.advance(5000);
    form.Timer1Timer();
    QCOMPARE(panel(form, "Panel1")->caption(), QStringLiteral("00:00:05"));
}

// Both timers tick every 200 ms: the indicators follow the lock keys and the clock its
// readings within one period.
void TestBackdrop::timersTickEvery200Ms() {
    TForm2 form(clock_);
    form.setLockKeys(std::ref(keys_));
    form.FormActivate();
    const QColor red(255, 0, 0);
    bool caps = false;
    const qint64 indicators = shortestPeriodMs(
        timer(form, "TimerLeds"),
        [&] {
            return panel(form, "panelMaj")->fontColor() == (caps ? red : QColor(192, 192, 192));
        },
        [&] {
            caps = !caps;
            keys_.set(caps, false);
        });
    QString lastCaption;
    const qint64 clock = shortestPeriodMs(
        timer(form, "Timer1"), [&] { return panel(form, "Panel1")->caption() != lastCaption; },
        [&] {
            lastCaption = panel(form, "Panel1")->caption();
            clock_.advance(1000);
        });
    for (const qint64 period : {indicators, clock})
        QVERIFY2(period >= 150 && period <= 450, qPrintable(QString::number(period)));
}

QTEST_MAIN(TestBackdrop)
#include "tst_backdrop.moc"

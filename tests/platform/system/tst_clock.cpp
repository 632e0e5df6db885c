// The elapsed-time text under French settings, and the clock that tests drive.
#include "Clock.h"

#include <QtTest>

using tavorim::formatLongTime;
using tavorim::MillisecondsPerDay;

class TestClock : public QObject {
    Q_OBJECT

private slots:
    void longFormatHasNoTimeZone();
    void formatsSpans_data();
    void formatsSpans();
};

void TestClock::longFormatHasNoTimeZone() {
    // The test runs with LC_ALL=fr_FR.UTF-8, whose long format carries a zone ("t").
    QVERIFY(QLocale::system().timeFormat(QLocale::LongFormat).contains(QLatin1Char('t')));
    const QString format = tavorim::longTimeFormat();
    QVERIFY2(!format.contains(QLatin1Char('t')), qPrintable(format));
    QCOMPARE(format, format.trimmed());
}

void TestClock::formatsSpans_data() {
    QTest::addColumn<double>("milliseconds");
    QTest::addColumn<QString>("shown");
    QTest::newRow("nothing yet") << 0.0 << "00:00:00";
    QTest::newRow("five minutes seven seconds") << 307000.0 << "00:05:07";
    QTest::newRow("twelve minutes five, part second") << 725999.0 << "00:12:05";
    QTest::newRow("last second of a day") << MillisecondsPerDay - 1 << "23:59:59";
    QTest::newRow("a whole day drops out") << MillisecondsPerDay << "00:00:00";
    QTest::newRow("a day and a minute") << MillisecondsPerDay + 60000 << "00:01:00";
    QTest::newRow("below zero shows midnight") << -150.0 << "00:00:00";
    QTest::newRow("far below zero") << -0.75 * MillisecondsPerDay << "00:00:00";
}

void TestClock::formatsSpans() {
    QFETCH(double, milliseconds);
    QFETCH(QString, shown);
    QCOMPARE(formatLongTime(milliseconds / MillisecondsPerDay), shown);
}

QTEST_GUILESS_MAIN(TestClock)
#include "tst_clock.moc"

// The elapsed-time text: a duration in 24-hour hh:mm:ss with ASCII digits, under the user's
// locale whatever it is (the test runs under en_US, whose own format is 12-hour), and under
// locales of other digits and other time formats, run as copies of this test.
#include "Clock.h"

#include <QProcess>
#include <QtTest>

#include <cstdio>

using tavorim::formatDuration;
using tavorim::MillisecondsPerDay;

namespace {

// Spans the locales write differently: before noon, after noon, and nothing at all.
const double spans[] = {5000.0, (13 * 3600 + 4 * 60 + 9) * 1000.0, 0.0};

} // namespace

class TestClock : public QObject {
    Q_OBJECT

private slots:
    void formatsSpans_data();
    void formatsSpans();
    void sameUnderEveryLocale_data();
    void sameUnderEveryLocale();
};

void TestClock::formatsSpans_data() {
    QTest::addColumn<double>("milliseconds");
    QTest::addColumn<QString>("shown");
    QTest::newRow("nothing yet") << 0.0 << "00:00:00";
    QTest::newRow("five seconds") << 5000.0 << "00:00:05";
    QTest::newRow("five minutes seven seconds") << 307000.0 << "00:05:07";
    QTest::newRow("twelve minutes five, part second") << 725999.0 << "00:12:05";
    QTest::newRow("past noon") << 13 * 3600000.0 + 4 * 60000 + 9000 << "13:04:09";
    QTest::newRow("last second of a day") << MillisecondsPerDay - 1 << "23:59:59";
    QTest::newRow("a whole day drops out") << MillisecondsPerDay << "00:00:00";
    QTest::newRow("a day and a minute") << MillisecondsPerDay + 60000 << "00:01:00";
    QTest::newRow("below zero shows midnight") << -150.0 << "00:00:00";
    QTest::newRow("far below zero") << -0.75 * MillisecondsPerDay << "00:00:00";
}

void TestClock::formatsSpans() {
    QFETCH(double, milliseconds);
    QFETCH(QString, shown);
    // The locale really is one that would write these otherwise.
    QVERIFY2(QLocale::system().timeFormat(QLocale::LongFormat).contains(QLatin1String("AP")),
             qPrintable(QLocale::system().name()));
    QCOMPARE(formatDuration(milliseconds / MillisecondsPerDay), shown);
}

void TestClock::sameUnderEveryLocale_data() {
    QTest::addColumn<QString>("locale");
    for (const char *locale :
         {"en_US.UTF-8", "ar_EG.UTF-8", "ko_KR.UTF-8", "fa_IR.UTF-8", "zh_TW.UTF-8", "fr_FR.UTF-8"})
        QTest::newRow(locale) << QString::fromLatin1(locale);
}

// A copy of this test under the locale prints, for each span, the time of day as the locale
// writes it and the duration; the durations must be those of this process.
void TestClock::sameUnderEveryLocale() {
    QFETCH(QString, locale);
    QProcess copy;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), locale);
    environment.insert(QStringLiteral("LANG"), locale);
    copy.setProcessEnvironment(environment);
    copy.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--durations")});
    QVERIFY(copy.waitForFinished(30000));
    QCOMPARE(copy.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(copy.readAllStandardOutput())
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), int(std::size(spans)) + 1);
    // The copy did run under that locale.
    QCOMPARE(lines[0], locale.section(QLatin1Char('.'), 0, 0));
    bool differs = false;
    for (qsizetype i = 0; i < qsizetype(std::size(spans)); ++i) {
        const QStringList fields = lines[i + 1].split(QLatin1Char('\t'));
        QCOMPARE(fields.size(), 2);
        QCOMPARE(fields[1], formatDuration(spans[i] / MillisecondsPerDay));
        differs = differs || fields[0] != fields[1];
    }
    // Each of these locales would have written some of them its own way.
    if (locale != QLatin1String("fr_FR.UTF-8"))
        QVERIFY2(differs, qPrintable(lines.join(QLatin1String(" | "))));
}

int main(int argc, char *argv[]) {
    QCoreApplication application(argc, argv);
    if (argc == 2 && qstrcmp(argv[1], "--durations") == 0) {
        const QLocale system = QLocale::system();
        std::printf("%s\n", qPrintable(system.name()));
        // The locale's own way with a time of day, less its time zone.
        const QString format =
            system.timeFormat(QLocale::LongFormat).remove(QLatin1Char('t')).simplified();
        for (const double ms : spans) {
            const QString own = system.toString(QTime::fromMSecsSinceStartOfDay(int(ms)), format);
            std::printf("%s\t%s\n", own.toUtf8().constData(),
                        formatDuration(ms / MillisecondsPerDay).toUtf8().constData());
        }
        return 0;
    }
    TestClock test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_clock.moc"

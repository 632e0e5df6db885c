// The class's settings: the administrator's file in the system's configuration folders, then
// the command line, each line or option that cannot be used left out and named.
#include "ClassSettings.h"
#include "FakeSystemLog.h"
#include "Web.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class TestClassSettings : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { tavorim::logToSystemLog(log_.sink()); }
    void cleanup() { qunsetenv("XDG_CONFIG_DIRS"); }
    void settings_data();
    void settings();
    void reportAddress();

private:
    tavorim::FakeSystemLog log_;
};

void TestClassSettings::settings_data() {
    QTest::addColumn<QByteArray>("file"); // null: no file at all
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("expected");     // the settings in force, in the file's own format
    QTest::addColumn<QStringList>("problems"); // a word of each message, in order

    const QString all =
        QStringLiteral("report = off\nlevel = II\nsound = off\nsound-locked = on\n");
    QTest::newRow("absent") << QByteArray() << QStringList() << QString() << QStringList();
    QTest::newRow("empty, comments and blank lines")
        << QByteArray("\n# level = III\n; sound = on\n   \n") << QStringList() << QString()
        << QStringList();
    QTest::newRow("file only") << QByteArray("report=off\r\n  LEVEL = ii\nsound = non\n"
                                             "sound-locked = yes")
                               << QStringList() << all << QStringList();
    QTest::newRow("options only") << QByteArray() << QStringList{"--report=off",        "--level=2",
                                                                 "--sound=off",         "-debug",
                                                                 "--sound-locked=true", "/debug"}
                                  << all << QStringList();
    QTest::newRow("options win over the file")
        << QByteArray("report = https://stats.school.example/t.php\nlevel = III\nsound = on\n")
        << QStringList{"--level=II", "--sound=off"}
        << QStringLiteral("report = https://stats.school.example/t.php\nlevel = II\nsound = off\n")
        << QStringList();
    QTest::newRow("unknown key") << QByteArray("level = II\ncolour = red\n") << QStringList()
                                 << QStringLiteral("level = II\n")
                                 << QStringList{"ligne 2 ignorée : réglage inconnu « colour »"};
    QTest::newRow("bad level") << QByteArray("level = IV\nsound = on\n") << QStringList()
                               << QStringLiteral("sound = on\n")
                               << QStringList{"ligne 1 ignorée : niveau « IV »"};
    QTest::newRow("bad boolean") << QByteArray("sound = maybe\nsound-locked = \n") << QStringList()
                                 << QString()
                                 << QStringList{"ligne 1 ignorée : « maybe » n'est ni on ni off",
                                                "ligne 2 ignorée : «  » n'est ni"};
    QTest::newRow("bad addresses")
        << QByteArray("report = ftp://x.example/\nreport = http://\nreport = http://a b/\n"
                      "report = https://user@x.example/\nreport = stats.example\n")
        << QStringList() << QStringLiteral("report = off\n")
        << QStringList{"ligne 1 ignorée : adresse", "ligne 2 ignorée : adresse",
                       "ligne 3 ignorée : adresse", "ligne 4 ignorée : adresse",
                       "ligne 5 ignorée : adresse"};
    // An administrator's "off" that cannot be read must not send the report.
    QTest::newRow("refused report lines")
        << QByteArray("report = https://stats.school.example/t.php\nreport = off # pas de rapport\n"
                      "Report = \"off\"\nreport off\n")
        << QStringList() << QStringLiteral("report = off\n")
        << QStringList{"ligne 2 ignorée : adresse « off # pas de rapport » non valable (off, "
                       "http://… ou https://…) : aucun rapport de fin ne sera envoyé",
                       "ligne 3 ignorée : adresse « \"off\" »",
                       "ligne 4 ignorée : « réglage = valeur » attendu : aucun rapport"};
    QTest::newRow("byte-order mark")
        << QByteArray("\xEF\xBB\xBFreport = off\r\nlevel = II\r\n") << QStringList()
        << QStringLiteral("report = off\nlevel = II\n") << QStringList();
    QTest::newRow("no equals sign") << QByteArray("level II\n") << QStringList() << QString()
                                    << QStringList{"ligne 1 ignorée : « réglage = valeur »"};
    QTest::newRow("binary garbage") << QByteArray("level = III\n") +
                                           QByteArray("\x7f"
                                                      "ELF\x02\x01\x01\x00\x00 = 1\n",
                                                      14) +
                                           QByteArray("sound = \xff\xfe\n")
                                    << QStringList() << QStringLiteral("level = III\n")
                                    << QStringList{"ligne 2 ignorée : ce n'est pas du texte",
                                                   "ligne 3 ignorée : ce n'est pas du texte"};
    QTest::newRow("huge line") << QByteArray("sound = on\nlevel = " + QByteArray(5000, 'I') + "\n")
                               << QStringList() << QStringLiteral("sound = on\n")
                               << QStringList{"ligne 2 ignorée : plus de 1024 caractères"};
    QTest::newRow("huge file") << QByteArray(100 * 1024, '#') << QStringList()
                               << QStringLiteral("report = off\n")
                               << QStringList{"fichier ignoré : plus de 64 Kio"};
    QTest::newRow("bad options") << QByteArray("level = II\n")
                                 << QStringList{"--level=0", "--sound", "--volume=3",
                                                "--report=gopher://x"}
                                 << QStringLiteral("report = off\nlevel = II\n")
                                 << QStringList{"option « level » ignorée : niveau « 0 »",
                                                "option ignorée",
                                                "option « volume » ignorée : réglage inconnu",
                                                "option « report » ignorée : adresse"};
}

void TestClassSettings::settings() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, options);
    QFETCH(QString, expected);
    QFETCH(QStringList, problems);

    QTemporaryDir system;
    QVERIFY(system.isValid());
    // The first folder has no file: the second one's is read.
    qputenv("XDG_CONFIG_DIRS",
            QFile::encodeName(system.filePath("none") + ":relative/dir:" + system.path()));
    const QString path = system.filePath("tavorim/tavorim.conf");
    if (!file.isNull()) {
        QVERIFY(QDir(system.path()).mkpath("tavorim"));
        QFile settingsFile(path);
        QVERIFY(settingsFile.open(QIODevice::WriteOnly));
        settingsFile.write(file);
    }
    QCOMPARE(tavorim::settingsFilePath(), file.isNull() ? QString() : path);

    log_.lines.clear();
    const QStringList arguments = QStringList{QStringLiteral("/usr/lib/tavorim/tavorim")} + options;
    const QStringList messages = tavorim::loadSettings(arguments);
    QStringList set = QString::fromStdString(tavorim::describeSettings(tavorim::classSettings()))
                          .split(QLatin1Char('\n'));
    set.removeIf([](const QString &line) { return line.startsWith(QLatin1Char('#')); });
    QCOMPARE(set.join(QLatin1Char('\n')), expected);
    QCOMPARE(messages.size(), problems.size());
    for (qsizetype i = 0; i < problems.size(); ++i) {
        QVERIFY2(messages[i].contains(problems[i]), qPrintable(messages[i]));
        // The file's lines are named with the file.
        if (problems[i].startsWith(QLatin1String("ligne")))
            QVERIFY2(messages[i].startsWith(path), qPrintable(messages[i]));
        // Each also reaches the system log.
        QCOMPARE(log_.lines.value(i), "warning tavorim.settings: " + messages[i]);
    }
    QCOMPARE(log_.lines.size(), messages.size());

    // --show-settings: what was left out, then every setting under where it came from.
    const QStringList shown = tavorim::settingsReport(arguments).split(QLatin1Char('\n'));
    for (const QString &message : messages)
        QVERIFY2(shown.contains("# " + message), qPrintable(message));
    const QString builtIn =
        tavorim::statsAddress().isEmpty() ? QStringLiteral("off") : tavorim::statsAddress();
    const QStringList lines = QString::fromUtf8(file).split(QLatin1Char('\n'));
    for (const auto &[key, fallback] : QList<std::pair<QString, QString>>{
             {"report", builtIn}, {"level", "I"}, {"sound", "off"}, {"sound-locked", "off"}}) {
        const qsizetype at = shown.indexOf(QRegularExpression(key + " = .*"));
        QVERIFY2(at > 0, qPrintable(key));
        const QString origin = shown[at - 1];
        if (!expected.split(QLatin1Char('\n')).contains(shown[at])) {
            QCOMPARE(origin + shown[at], "# par défaut" + key + " = " + fallback);
            continue;
        }
        // A line of the file that names the setting, an option, or the file left out whole.
        const QString line = lines.value(origin.section(QLatin1Char(' '), 2, 2).toInt() - 1);
        QVERIFY2(origin.startsWith(QLatin1String("# ligne "))
                     ? origin.contains(" de " + path) && line.contains(key, Qt::CaseInsensitive)
                     : origin.startsWith("# option --" + key) || origin.startsWith("# " + path),
                 qPrintable(origin));
    }
}

void TestClassSettings::reportAddress() {
    qputenv("XDG_CONFIG_DIRS", "/nonexistent");
    tavorim::loadSettings({QStringLiteral("tavorim")});
    QCOMPARE(tavorim::reportAddress(), tavorim::statsAddress());
    tavorim::loadSettings({QStringLiteral("tavorim"), QStringLiteral("--report=off")});
    QCOMPARE(tavorim::reportAddress(), QString());
    tavorim::loadSettings(
        {QStringLiteral("tavorim"), QStringLiteral("--report=http://h.example/s")});
    QCOMPARE(tavorim::reportAddress(), QStringLiteral("http://h.example/s"));
    tavorim::loadSettings({QStringLiteral("tavorim"), QStringLiteral("--report=http:/h.example")});
    QCOMPARE(tavorim::reportAddress(), QString());
}

QTEST_GUILESS_MAIN(TestClassSettings)
#include "tst_classsettings.moc"

// The class's settings: the administrator's file in the system's configuration folders, then
// the command line, each line or option that cannot be used left out and named.
#include "ClassSettings.h"
#include "Web.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestClassSettings : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { qunsetenv("XDG_CONFIG_DIRS"); }
    void settings_data();
    void settings();
    void reportAddress();
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
        << QStringList() << QString()
        << QStringList{"ligne 1 ignorée : adresse", "ligne 2 ignorée : adresse",
                       "ligne 3 ignorée : adresse", "ligne 4 ignorée : adresse",
                       "ligne 5 ignorée : adresse"};
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
    QTest::newRow("huge file") << QByteArray(100 * 1024, '#') << QStringList() << QString()
                               << QStringList{"fichier ignoré : plus de 64 Kio"};
    QTest::newRow("bad options") << QByteArray("level = II\n")
                                 << QStringList{"--level=0", "--sound", "--volume=3",
                                                "--report=gopher://x"}
                                 << QStringLiteral("level = II\n")
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

    const QStringList messages =
        tavorim::loadSettings(QStringList{QStringLiteral("/usr/lib/tavorim/tavorim")} + options);
    QCOMPARE(QString::fromStdString(tavorim::describeSettings(tavorim::classSettings())), expected);
    QCOMPARE(messages.size(), problems.size());
    for (qsizetype i = 0; i < problems.size(); ++i) {
        QVERIFY2(messages[i].contains(problems[i]), qPrintable(messages[i]));
        // The file's lines are named with the file.
        if (problems[i].startsWith(QLatin1String("ligne")))
            QVERIFY2(messages[i].startsWith(path), qPrintable(messages[i]));
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
}

QTEST_GUILESS_MAIN(TestClassSettings)
#include "tst_classsettings.moc"

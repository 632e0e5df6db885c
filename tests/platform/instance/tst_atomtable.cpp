// The name table that copies find each other by: references, the answers of the holder, and
// what happens when a holder dies. The test program runs itself as the other copy.
#include "Application.h"
#include "AtomTable.h"
#include "OnlyOne.h"
#include "RemoteWindow.h"

#include <QApplication>
#include <QLocalServer>
#include <QProcess>
#include <QWidget>
#include <QtTest>

#include <csignal>

using tavorim::AtomTable;
using tavorim::RemoteWindow;
using tavorim::TApplication;

namespace {

// Run as `tst_atomtable hold <atom>`: hold the name until killed.
int holdName(const QString &atom) {
    if (AtomTable::add(atom) != AtomTable::AddResult::Added)
        return 3;
    QTextStream(stdout) << "holding" << Qt::endl;
    return QCoreApplication::exec();
}

QString uniqueAtom(const char *what) {
    return QStringLiteral("OnlyOneTest%1-%2").arg(what).arg(QCoreApplication::applicationPid());
}

} // namespace

class TestAtomTable : public QObject {
    Q_OBJECT

private slots:
    void init() { TApplication::instance().resetForTests(); }
    void referencesInOneProcess();
    void nameHeldElsewhere();
    void deadHolderLeavesNoMark();
    void answers_data();
    void answers();
    void holderAnswersOverTheConnection();
    void silentHolderIsGivenUp();
    void guardTerminatesWhenAnotherCopyRuns();
    void atomNameKeepsTwentyCharacters_data();
    void atomNameKeepsTwentyCharacters();

private:
    QProcess *startHolder(const QString &atom);
};

QProcess *TestAtomTable::startHolder(const QString &atom) {
    auto *holder = new QProcess(this);
    holder->start(QCoreApplication::applicationFilePath(), {QStringLiteral("hold"), atom});
    if (!holder->waitForStarted())
        return nullptr;
    // The holder says so once it holds the name.
    while (!holder->canReadLine()) {
        if (!holder->waitForReadyRead(20000))
            return nullptr;
    }
    return holder;
}

void TestAtomTable::referencesInOneProcess() {
    const QString atom = uniqueAtom("refs");
    QVERIFY(!AtomTable::find(atom));
    QCOMPARE(AtomTable::add(atom), AtomTable::AddResult::Added);
    QCOMPARE(AtomTable::add(atom), AtomTable::AddResult::Added);
    QCOMPARE(AtomTable::references(atom), 2);
    AtomTable::remove(atom);
    QVERIFY(AtomTable::find(atom));
    AtomTable::remove(atom);
    QVERIFY(!AtomTable::find(atom));
    AtomTable::remove(atom); // one too many does nothing
    QCOMPARE(AtomTable::references(atom), 0);
}

void TestAtomTable::nameHeldElsewhere() {
    const QString atom = uniqueAtom("elsewhere");
    QProcess *holder = startHolder(atom);
    QVERIFY(holder);
    QVERIFY(AtomTable::find(atom));
    QCOMPARE(AtomTable::add(atom), AtomTable::AddResult::HeldElsewhere);
    // Deleting a name another copy holds leaves it with that copy.
    AtomTable::remove(atom);
    QVERIFY(AtomTable::find(atom));
    holder->kill();
    holder->waitForFinished();
}

void TestAtomTable::deadHolderLeavesNoMark() {
    const QString atom = uniqueAtom("dead");
    QProcess *holder = startHolder(atom);
    QVERIFY(holder);
    QVERIFY(AtomTable::find(atom));
    ::kill(pid_t(holder->processId()), SIGKILL);
    QVERIFY(holder->waitForFinished());
    QVERIFY(!AtomTable::find(atom));
    QCOMPARE(AtomTable::add(atom), AtomTable::AddResult::Added);
    AtomTable::remove(atom);
}

void TestAtomTable::answers_data() {
    QTest::addColumn<QByteArrayList>("requests");
    QTest::addColumn<QByteArrayList>("replies");
    const QByteArray find = "FIND " + TApplication::instance().title().toUtf8();
    QTest::newRow("title matches") << QByteArrayList{find} << QByteArrayList{"YES"};
    QTest::newRow("other title") << QByteArrayList{"FIND Autre"} << QByteArrayList{"NO"};
    QTest::newRow("empty title") << QByteArrayList{"FIND "} << QByteArrayList{"NO"};
    QTest::newRow("no search first")
        << QByteArrayList{"ICONIC", "RAISE", "RESTORE"} << QByteArrayList{"NO", "NO", "NO"};
    QTest::newRow("failed search stays failed")
        << QByteArrayList{"FIND Autre", "RAISE"} << QByteArrayList{"NO", "NO"};
    QTest::newRow("search then raise")
        << QByteArrayList{find, "ICONIC", "RAISE"} << QByteArrayList{"YES", "NO", "OK"};
    QTest::newRow("unknown request") << QByteArrayList{find, "QUIT"} << QByteArrayList{"YES", "NO"};
}

void TestAtomTable::answers() {
    QFETCH(QByteArrayList, requests);
    QFETCH(QByteArrayList, replies);
    QWidget mainForm;
    TApplication::instance().setMainForm(&mainForm);
    bool found = false;
    for (qsizetype i = 0; i < requests.size(); ++i)
        QCOMPARE(RemoteWindow::answer(requests[i], found), replies[i]);
}

void TestAtomTable::holderAnswersOverTheConnection() {
    // This process holds the name and answers from its event loop; the asking side blocks, so
    // it runs in a copy of its own: the guard of a second process.
    const QString atom = QStringLiteral("OnlyOne") + TApplication::instance().title().left(20);
    QCOMPARE(AtomTable::add(atom), AtomTable::AddResult::Added);
    QWidget mainForm;
    mainForm.show();
    TApplication::instance().setMainForm(&mainForm);
    mainForm.showMinimized();
    QProcess second;
    second.start(QCoreApplication::applicationFilePath(), {QStringLiteral("guard")});
    QVERIFY(second.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 20000);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(second.readAllStandardOutput().trimmed(), QByteArray("terminated"));
    // Asked while minimised, the window was restored.
    QTRY_VERIFY(!mainForm.isMinimized());
    AtomTable::remove(atom);
}

void TestAtomTable::silentHolderIsGivenUp() {
    // A holder that never answers (frozen): the search gives up at its deadline.
    const QString atom = uniqueAtom("silent");
    QLocalServer frozen;
    frozen.setSocketOptions(QLocalServer::AbstractNamespaceOption);
    QVERIFY(frozen.listen(AtomTable::socketName(atom)));
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!RemoteWindow::FindWindow(atom, QStringLiteral("Tavorim"), QDeadlineTimer(300)));
    QVERIFY(timer.elapsed() >= 250);
}

void TestAtomTable::guardTerminatesWhenAnotherCopyRuns() {
    const QString atom = QStringLiteral("OnlyOne") + TApplication::instance().title().left(20);
    QProcess *holder = startHolder(atom);
    QVERIFY(holder);
    {
        tavorim::TOnlyOne guard(nullptr);
        QVERIFY(TApplication::instance().terminated());
        // The renamed copy keeps releasing the right name.
        QCOMPARE(TApplication::instance().title(), QStringLiteral("destroy me"));
    }
    QVERIFY(AtomTable::find(atom));
    holder->kill();
    holder->waitForFinished();
    TApplication::instance().resetForTests();
    {
        tavorim::TOnlyOne guard(nullptr);
        QVERIFY(!TApplication::instance().terminated());
        QCOMPARE(AtomTable::references(atom), 1);
    }
    QCOMPARE(AtomTable::references(atom), 0);
}

void TestAtomTable::atomNameKeepsTwentyCharacters_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("atom");
    QTest::newRow("short") << "Tavorim"
                           << "OnlyOneTavorim";
    QTest::newRow("exactly twenty") << "Abcdefghijklmnopqrst"
                                    << "OnlyOneAbcdefghijklmnopqrst";
    QTest::newRow("longer: the rest is cut") << "Abcdefghijklmnopqrstuvwxyz"
                                             << "OnlyOneAbcdefghijklmnopqrst";
}

void TestAtomTable::atomNameKeepsTwentyCharacters() {
    QFETCH(QString, title);
    QFETCH(QString, atom);
    TApplication::instance().setTitle(title);
    QCOMPARE(tavorim::TOnlyOne::atomName(), atom);
}

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "hold") == 0)
        return holdName(QString::fromLocal8Bit(argv[2]));
    if (argc == 2 && qstrcmp(argv[1], "guard") == 0) {
        tavorim::TOnlyOne guard(nullptr);
        QTextStream(stdout) << (TApplication::instance().terminated() ? "terminated" : "alone")
                            << Qt::endl;
        return 0;
    }
    TestAtomTable test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_atomtable.moc"

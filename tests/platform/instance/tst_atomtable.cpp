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

// Run as `tst_shell_atomtable hold <atom>`: hold the name until killed.
int holdName(const QString &atom) {
    if (AtomTable::Add(atom) != AtomTable::AddResult::Added)
        return 3;
    QTextStream(stdout) << "holding" << Qt::endl;
    return QCoreApplication::exec();
}

QString uniqueAtom(const char *what) {
    return QStringLiteral("OnlyOneTest%1-%2").arg(what).arg(QCoreApplication::applicationPid());
}

} // namespace

class AtomTableTest : public QObject {
    Q_OBJECT

private slots:
    void init() { TApplication::instance().ResetForTests(); }
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

QProcess *AtomTableTest::startHolder(const QString &atom) {
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

void AtomTableTest::referencesInOneProcess() {
    const QString atom = uniqueAtom("refs");
    QVERIFY(!AtomTable::Find(atom));
    QCOMPARE(AtomTable::Add(atom), AtomTable::AddResult::Added);
    QCOMPARE(AtomTable::Add(atom), AtomTable::AddResult::Added);
    QCOMPARE(AtomTable::References(atom), 2);
    AtomTable::Delete(atom);
    QVERIFY(AtomTable::Find(atom));
    AtomTable::Delete(atom);
    QVERIFY(!AtomTable::Find(atom));
    AtomTable::Delete(atom); // one too many does nothing
    QCOMPARE(AtomTable::References(atom), 0);
}

void AtomTableTest::nameHeldElsewhere() {
    const QString atom = uniqueAtom("elsewhere");
    QProcess *holder = startHolder(atom);
    QVERIFY(holder);
    QVERIFY(AtomTable::Find(atom));
    QCOMPARE(AtomTable::Add(atom), AtomTable::AddResult::HeldElsewhere);
    // Deleting a name another copy holds leaves it with that copy.
    AtomTable::Delete(atom);
    QVERIFY(AtomTable::Find(atom));
    holder->kill();
    holder->waitForFinished();
}

void AtomTableTest::deadHolderLeavesNoMark() {
    const QString atom = uniqueAtom("dead");
    QProcess *holder = startHolder(atom);
    QVERIFY(holder);
    QVERIFY(AtomTable::Find(atom));
    ::kill(pid_t(holder->processId()), SIGKILL);
    QVERIFY(holder->waitForFinished());
    QVERIFY(!AtomTable::Find(atom));
    QCOMPARE(AtomTable::Add(atom), AtomTable::AddResult::Added);
    AtomTable::Delete(atom);
}

void AtomTableTest::answers_data() {
    QTest::addColumn<QByteArrayList>("requests");
    QTest::addColumn<QByteArrayList>("replies");
    const QByteArray find = "FIND " + TApplication::instance().Title().toUtf8();
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

void AtomTableTest::answers() {
    QFETCH(QByteArrayList, requests);
    QFETCH(QByteArrayList, replies);
    QWidget mainForm;
    TApplication::instance().SetMainForm(&mainForm);
    bool found = false;
    for (qsizetype i = 0; i < requests.size(); ++i)
        QCOMPARE(RemoteWindow::Answer(requests[i], found), replies[i]);
}

void AtomTableTest::holderAnswersOverTheConnection() {
    // This process holds the name and answers from its event loop; the asking side blocks, so
    // it runs in a copy of its own: the guard of a second process.
    const QString atom = QStringLiteral("OnlyOne") + TApplication::instance().Title().left(20);
    QCOMPARE(AtomTable::Add(atom), AtomTable::AddResult::Added);
    QWidget mainForm;
    mainForm.show();
    TApplication::instance().SetMainForm(&mainForm);
    mainForm.showMinimized();
    QProcess second;
    second.start(QCoreApplication::applicationFilePath(), {QStringLiteral("guard")});
    QVERIFY(second.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 20000);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(second.readAllStandardOutput().trimmed(), QByteArray("terminated"));
    // Asked while minimised, the window was restored.
    QTRY_VERIFY(!mainForm.isMinimized());
    AtomTable::Delete(atom);
}

void AtomTableTest::silentHolderIsGivenUp() {
    // A holder that never answers (frozen): the search gives up at its deadline.
    const QString atom = uniqueAtom("silent");
    QLocalServer frozen;
    frozen.setSocketOptions(QLocalServer::AbstractNamespaceOption);
    QVERIFY(frozen.listen(AtomTable::SocketName(atom)));
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!RemoteWindow::FindWindow(atom, QStringLiteral("Tavorim"), QDeadlineTimer(300)));
    QVERIFY(timer.elapsed() >= 250);
}

void AtomTableTest::guardTerminatesWhenAnotherCopyRuns() {
    const QString atom = QStringLiteral("OnlyOne") + TApplication::instance().Title().left(20);
    QProcess *holder = startHolder(atom);
    QVERIFY(holder);
    {
        tavorim::TOnlyOne guard(nullptr);
        QVERIFY(TApplication::instance().Terminated());
        // The renamed copy keeps releasing the right name.
        QCOMPARE(TApplication::instance().Title(), QStringLiteral("destroy me"));
    }
    QVERIFY(AtomTable::Find(atom));
    holder->kill();
    holder->waitForFinished();
    TApplication::instance().ResetForTests();
    {
        tavorim::TOnlyOne guard(nullptr);
        QVERIFY(!TApplication::instance().Terminated());
        QCOMPARE(AtomTable::References(atom), 1);
    }
    QCOMPARE(AtomTable::References(atom), 0);
}

void AtomTableTest::atomNameKeepsTwentyCharacters_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("atom");
    QTest::newRow("short") << "Tavorim"
                           << "OnlyOneTavorim";
    QTest::newRow("exactly twenty") << "Abcdefghijklmnopqrst"
                                    << "OnlyOneAbcdefghijklmnopqrst";
    QTest::newRow("longer: the rest is cut") << "Abcdefghijklmnopqrstuvwxyz"
                                             << "OnlyOneAbcdefghijklmnopqrst";
}

void AtomTableTest::atomNameKeepsTwentyCharacters() {
    QFETCH(QString, title);
    QFETCH(QString, atom);
    TApplication::instance().SetTitle(title);
    QCOMPARE(tavorim::TOnlyOne::AtomName(), atom);
}

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "hold") == 0)
        return holdName(QString::fromLocal8Bit(argv[2]));
    if (argc == 2 && qstrcmp(argv[1], "guard") == 0) {
        tavorim::TOnlyOne guard(nullptr);
        QTextStream(stdout) << (TApplication::instance().Terminated() ? "terminated" : "alone")
                            << Qt::endl;
        return 0;
    }
    AtomTableTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_atomtable.moc"

// The name table that copies find each other by: references, the answers of the holder, what
// happens when a holder dies, the scope of a name (one user, one display), and a holder that
// idle or hostile clients and another user cannot silence. The test program runs itself as the
// other copy.
#include "Application.h"
#include "AtomTable.h"
#include "OnlyOne.h"
#include "RemoteWindow.h"

#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QWidget>
#include <QtTest>

#include <QStandardPaths>
#include <QTemporaryDir>

#include <csignal>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Run as `tst_atomtable other-user <hostile|copy> <victim uid> <atom>` under another user: holds
// the name as that user's own copy would; a hostile one also takes the name the guard used to
// have in the abstract namespace, and makes the victim's folder in the shared temporary folder
// first, with a socket and a held lock under the victim's names that say yes to everything.
int actAsAnotherUser(bool hostile, const QString &victim, const QString &atom) {
    if (AtomTable::add(atom) != AtomTable::AddResult::Added)
        return 3;
    QLocalServer oldName;
    QLocalServer impostor;
    if (hostile) {
        QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
        if (display.isEmpty())
            display = qEnvironmentVariable("DISPLAY");
        oldName.setSocketOptions(QLocalServer::AbstractNamespaceOption);
        if (!oldName.listen(QStringLiteral("tavorim/%1/%2/%3").arg(victim, display, atom)))
            return 4;
        const QString folder = QDir::tempPath() + QStringLiteral("/tavorim-") + victim;
        const QByteArray folderName = QFile::encodeName(folder);
        if (::mkdir(folderName.constData(), 0777) != 0 || ::chmod(folderName.constData(), 0777))
            return 5;
        const QString socket =
            folder + QLatin1Char('/') + QFileInfo(AtomTable::socketName(atom)).fileName();
        if (!impostor.listen(socket))
            return 6;
        QObject::connect(&impostor, &QLocalServer::newConnection, &impostor, [&impostor] {
            while (QLocalSocket *client = impostor.nextPendingConnection())
                QObject::connect(client, &QLocalSocket::readyRead, client, [client] {
                    while (client->canReadLine())
                        client->write(client->readLine().isEmpty() ? "" : "YES\n");
                });
        });
        QString lock = socket;
        lock.replace(QLatin1String(".socket"), QLatin1String(".lock"));
        const int lockFile = ::open(QFile::encodeName(lock).constData(), O_RDWR | O_CREAT, 0666);
        if (lockFile < 0 || ::flock(lockFile, LOCK_EX) != 0)
            return 7;
    }
    QTextStream(stdout) << "holding" << Qt::endl;
    return QCoreApplication::exec();
}

// A user id that no account uses.
uid_t freeUserId() {
    uid_t uid = 62000;
    while (getpwuid(uid))
        ++uid;
    return uid;
}

// Sets environment variables for the life of the object, an empty value unsetting one.
class EnvironmentScope {
public:
    explicit EnvironmentScope(const QList<std::pair<const char *, QByteArray>> &values) {
        for (const auto &[name, value] : values) {
            saved_.append({name, qEnvironmentVariableIsSet(name), qgetenv(name)});
            if (value.isEmpty())
                qunsetenv(name);
            else
                qputenv(name, value);
        }
    }
    ~EnvironmentScope() {
        for (const Saved &saved : saved_) {
            if (saved.set)
                qputenv(saved.name, saved.value);
            else
                qunsetenv(saved.name);
        }
    }

private:
    struct Saved {
        const char *name;
        bool set;
        QByteArray value;
    };
    QList<Saved> saved_;
};

QString uniqueAtom(const char *what) {
    return QStringLiteral("OnlyOneTest%1-%2").arg(what).arg(QCoreApplication::applicationPid());
}

// Kills a holder, then clears what it leaves behind as the next holder would.
void stopHolder(QProcess *holder, const QString &atom) {
    holder->kill();
    holder->waitForFinished();
    if (AtomTable::add(atom) == AtomTable::AddResult::Added)
        AtomTable::remove(atom);
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
    void scopeIsOneDisplay_data();
    void scopeIsOneDisplay();
    void holderOutlastsIdleClients();
    void anotherUserCannotBlockTheGuard_data();
    void anotherUserCannotBlockTheGuard();

private:
    QProcess *
    startHolder(const QString &atom,
                const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                const QStringList &arguments = {});
};

// Started with `arguments`, or with `hold <atom>` when there are none; the program itself comes
// first unless the arguments start with another one (a command that runs it as another user).
QProcess *TestAtomTable::startHolder(const QString &atom, const QProcessEnvironment &environment,
                                     const QStringList &arguments) {
    auto *holder = new QProcess(this);
    holder->setProcessEnvironment(environment);
    const QStringList command =
        arguments.isEmpty()
            ? QStringList{QCoreApplication::applicationFilePath(), QStringLiteral("hold"), atom}
            : arguments;
    holder->start(command.front(), command.mid(1));
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
    stopHolder(holder, atom);
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

// A name belongs to one display: two copies meet only when their Wayland and X display names
// agree, the X screen number aside.
void TestAtomTable::scopeIsOneDisplay_data() {
    QTest::addColumn<QStringList>("holderDisplays"); // X, Wayland
    QTest::addColumn<QStringList>("ourDisplays");
    QTest::addColumn<bool>("meet");
    QTest::newRow("same X display") << QStringList{":7", ""} << QStringList{":7", ""} << true;
    QTest::newRow("screen number") << QStringList{":7", ""} << QStringList{":7.0", ""} << true;
    QTest::newRow("other X display") << QStringList{":7", ""} << QStringList{":8", ""} << false;
    QTest::newRow("host and screen number")
        << QStringList{"localhost:7", ""} << QStringList{"localhost:7.1", ""} << true;
    QTest::newRow("display number, not screen number")
        << QStringList{":7.0", ""} << QStringList{":70", ""} << false;
    QTest::newRow("same Wayland session")
        << QStringList{":0", "wayland-1"} << QStringList{":0", "wayland-1"} << true;
    QTest::newRow("other Wayland session")
        << QStringList{":0", "wayland-1"} << QStringList{":0", "wayland-2"} << false;
    QTest::newRow("X server started inside a Wayland session")
        << QStringList{":0", "wayland-1"} << QStringList{":9", "wayland-1"} << false;
}

void TestAtomTable::scopeIsOneDisplay() {
    QFETCH(QStringList, holderDisplays);
    QFETCH(QStringList, ourDisplays);
    QFETCH(bool, meet);
    const QString atom = uniqueAtom("scope");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), holderDisplays[0]);
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), holderDisplays[1]);
    QProcess *holder = startHolder(atom, environment);
    QVERIFY(holder);
    {
        const EnvironmentScope ours(
            {{"DISPLAY", ourDisplays[0].toUtf8()}, {"WAYLAND_DISPLAY", ourDisplays[1].toUtf8()}});
        QCOMPARE(AtomTable::find(atom), meet);
        QCOMPARE(AtomTable::add(atom),
                 meet ? AtomTable::AddResult::HeldElsewhere : AtomTable::AddResult::Added);
        AtomTable::remove(atom);
    }
    const EnvironmentScope holders(
        {{"DISPLAY", holderDisplays[0].toUtf8()}, {"WAYLAND_DISPLAY", holderDisplays[1].toUtf8()}});
    stopHolder(holder, atom);
}

// Clients that connect and say nothing, more than the holder serves at once: the newest is still
// answered, and every idle one is cut off in time.
void TestAtomTable::holderOutlastsIdleClients() {
    const QString atom = uniqueAtom("idle");
    QProcess *holder = startHolder(atom);
    QVERIFY(holder);
    std::vector<std::unique_ptr<QLocalSocket>> idle;
    for (int i = 0; i < 3 * AtomTable::MaxConnections; ++i) {
        idle.push_back(std::make_unique<QLocalSocket>());
        idle.back()->connectToServer(AtomTable::socketName(atom));
        QVERIFY(idle.back()->waitForConnected(5000));
    }
    const QString holderTitle =
        TApplication::titleFromProgramPath(QCoreApplication::applicationFilePath());
    QVERIFY(
        RemoteWindow::FindWindow(atom, holderTitle, QDeadlineTimer(AtomTable::AnswerTimeoutMs)));
    QTRY_VERIFY_WITH_TIMEOUT(std::all_of(idle.begin(), idle.end(),
                                         [](const auto &socket) {
                                             return socket->state() ==
                                                    QLocalSocket::UnconnectedState;
                                         }),
                             AtomTable::ConnectionLifetimeMs + 5000);
    QCOMPARE(holder->state(), QProcess::Running);
    stopHolder(holder, atom);
}

// Another user runs the program too, or tries to stop this user's copy from starting: taking the
// name the guard used to have, making this user's folder in the shared temporary folder first and
// planting there a socket that answers yes to everything. This user's guard still lets the copy
// start, and keeps working wherever a private folder can be had. Needs root, to be the other
// user.
void TestAtomTable::anotherUserCannotBlockTheGuard_data() {
    QTest::addColumn<bool>("hostile");
    QTest::addColumn<bool>("runtimeFolder");
    QTest::addColumn<bool>("guarded");
    QTest::newRow("another user's copy") << false << false << true;
    QTest::newRow("hostile user, runtime folder") << true << true << true;
    QTest::newRow("hostile user, shared temporary folder only") << true << false << false;
}

void TestAtomTable::anotherUserCannotBlockTheGuard() {
    QFETCH(bool, hostile);
    QFETCH(bool, runtimeFolder);
    QFETCH(bool, guarded);
    if (geteuid() != 0)
        QSKIP("running a copy as another user needs root");
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (setpriv.isEmpty())
        QSKIP("setpriv (util-linux) is missing");
    QTemporaryDir root;
    QVERIFY(root.isValid());
    // The shared temporary folder, like /tmp; the runtime folder is ours alone.
    const QString shared = root.filePath(QStringLiteral("tmp"));
    QVERIFY(QDir().mkdir(shared));
    QCOMPARE(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
    QCOMPARE(::chmod(QFile::encodeName(root.path()).constData(), 0755), 0);
    const QString runtime = root.filePath(QStringLiteral("runtime"));
    QVERIFY(QDir().mkdir(runtime));
    QCOMPARE(::chmod(QFile::encodeName(runtime).constData(), 0700), 0);

    const QString atom = tavorim::TOnlyOne::atomName();
    const QString other = QString::number(freeUserId());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), shared);
    environment.insert(QStringLiteral("HOME"), shared);
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    QProcess *holder = startHolder(
        atom, environment,
        {setpriv, QStringLiteral("--reuid=") + other, QStringLiteral("--regid=") + other,
         QStringLiteral("--clear-groups"), QCoreApplication::applicationFilePath(),
         QStringLiteral("other-user"), hostile ? QStringLiteral("hostile") : QStringLiteral("copy"),
         QString::number(geteuid()), atom});
    QVERIFY2(holder, "the other user's copy did not start");
    {
        const EnvironmentScope ours(
            {{"TMPDIR", QFile::encodeName(shared)},
             {"XDG_RUNTIME_DIR", runtimeFolder ? QFile::encodeName(runtime) : QByteArray()}});
        QVERIFY(!AtomTable::find(atom));
        tavorim::TOnlyOne guard(nullptr);
        QVERIFY(!TApplication::instance().terminated());
        QCOMPARE(AtomTable::references(atom), guarded ? 1 : 0);
    }
    holder->kill();
    holder->waitForFinished();
}

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "hold") == 0)
        return holdName(QString::fromLocal8Bit(argv[2]));
    if (argc == 5 && qstrcmp(argv[1], "other-user") == 0)
        return actAsAnotherUser(qstrcmp(argv[2], "hostile") == 0, QString::fromLocal8Bit(argv[3]),
                                QString::fromLocal8Bit(argv[4]));
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

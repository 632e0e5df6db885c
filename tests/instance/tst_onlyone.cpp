// The single-instance guard in one process: what it does when another copy holds the atom or
// has died holding it, or left its lock unfinished, its references, the scope of the atom (one
// user, one display, whatever the environment), and another user who cannot block it. The test
// program runs itself as the other copy.
#include "AnsweringBoxes.h"
#include "Application.h"
#include "LockFileRendezvous.h"
#include "MessageBox.h"
#include "OnlyOne.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <csignal>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

using tavorim::LockFileRendezvous;
using tavorim::MessageBox;
using tavorim::SystemFolders;
using tavorim::TApplication;
using tavorim::TOnlyOne;

namespace {

// Run as `tst_onlyone hold [<run folders> <temp> [<user id>]]`: a copy that holds the atom until
// killed, with its own stand-ins for /run/user and /tmp. With a user id, it first makes that
// user's name in the shared temporary folder, open to all, as a hostile user would.
int hold(const QStringList &arguments) {
    const SystemFolders folders =
        arguments.size() >= 2 ? SystemFolders{arguments[0], arguments[1]} : SystemFolders{};
    if (arguments.size() == 3) {
        const QByteArray blocked =
            QFile::encodeName(arguments[1] + QStringLiteral("/tavorim-") + arguments[2]);
        if (::mkdir(blocked.constData(), 0777) != 0 || ::chmod(blocked.constData(), 0777) != 0)
            return 4;
    }
    TApplication application;
    TOnlyOne guard(nullptr, std::make_unique<LockFileRendezvous>(folders));
    if (application.run().terminated())
        return 3;
    QTextStream(stdout) << "holding" << Qt::endl;
    return QCoreApplication::exec();
}

// Run as `tst_onlyone twin <lock>`: a copy started the same instant as the test's, which made
// the lock first and names itself in it a moment after the test is told "go".
int twin(const QString &lock) {
    QLockFile own(lock + QStringLiteral(".twin"));
    QFile contents(lock + QStringLiteral(".twin"));
    if (!own.tryLock(0) || !contents.open(QIODevice::ReadOnly))
        return 4;
    QTextStream(stdout) << "ready" << Qt::endl;
    QTextStream(stdin).readLine();
    QThread::msleep(300); // still writing
    QFile file(lock);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents.readAll()) <= 0 || !file.flush())
        return 5;
    return QCoreApplication::exec();
}

// Dates the file a minute back: long enough that no copy can still be writing it.
bool ageFile(const QString &path) {
    const timeval minuteAgo{::time(nullptr) - 60, 0};
    const timeval times[2]{minuteAgo, minuteAgo};
    return ::utimes(QFile::encodeName(path).constData(), times) == 0;
}

// A user id that no account uses.
uid_t freeUserId() {
    uid_t uid = 62000;
    while (getpwuid(uid))
        ++uid;
    return uid;
}

} // namespace

class TestOnlyOne : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void guardAgainstAnotherCopy();
    void leftBehind_data();
    void leftBehind();
    void referencesInOneProcess();
    void atomNameKeepsTwentyCharacters_data();
    void atomNameKeepsTwentyCharacters();
    void scopeIsUserAndDisplay_data();
    void scopeIsUserAndDisplay();
    void anotherUserCannotBlockTheGuard_data();
    void anotherUserCannotBlockTheGuard();

private:
    QProcess *startHolder(const QStringList &command = {});
    // A runtime folder the guard could use, if it looked at XDG_RUNTIME_DIR.
    QTemporaryDir runtime_;
    std::optional<TApplication> application_;
    std::optional<tavorim::AnsweringBoxes> boxes_;
};

void TestOnlyOne::init() {
    application_.emplace();
    boxes_.emplace();
    boxes_->answerAll(MessageBox::Ok);
}

void TestOnlyOne::cleanup() {
    boxes_.reset();
    application_.reset();
}

// The program itself as a holder, or the command given; null when it does not come to hold.
QProcess *TestOnlyOne::startHolder(const QStringList &command) {
    auto *holder = new QProcess(this);
    const QStringList run =
        command.isEmpty() ? QStringList{QCoreApplication::applicationFilePath(), "hold"} : command;
    holder->start(run.front(), run.mid(1));
    if (!holder->waitForStarted())
        return nullptr;
    while (!holder->canReadLine()) {
        if (!holder->waitForReadyRead(20000))
            return nullptr;
    }
    return holder;
}

void TestOnlyOne::guardAgainstAnotherCopy() {
    const QString atom = TOnlyOne::atomName();
    const LockFileRendezvous system;
    QProcess *holder = startHolder();
    QVERIFY(holder);
    QCOMPARE(system.holder(atom), holder->processId());
    {
        TOnlyOne guard(nullptr);
        QVERIFY(application_->run().terminated());
        QCOMPARE(application_->title().text(), QStringLiteral("destroy me"));
    }
    QCOMPARE(system.holder(atom), holder->processId());
    // Killed, the holder leaves its file behind, which counts for nothing.
    ::kill(pid_t(holder->processId()), SIGKILL);
    QVERIFY(holder->waitForFinished());
    QVERIFY(QFileInfo::exists(system.lockPath(atom)));
    QCOMPARE(system.holder(atom), 0);
    application_.reset();
    application_.emplace();
    {
        TOnlyOne guard(nullptr);
        QVERIFY(!application_->run().terminated());
        QCOMPARE(system.holder(atom), QCoreApplication::applicationPid());
    }
    QVERIFY(!QFileInfo::exists(system.lockPath(atom)));
    QVERIFY(boxes_->shown.isEmpty());
}

enum Left { EmptyLock, GarbageLock, TwinWriting, UnremovableLock, NoLockFolder, RuntimeAppears };
enum Holder { Us, Other, Nobody };
Q_DECLARE_METATYPE(Left)
Q_DECLARE_METATYPE(Holder)

// What a copy that died, or one starting this very instant, leaves where the lock goes. No
// start ends without bringing a copy forward or saying why.
void TestOnlyOne::leftBehind_data() {
    QTest::addColumn<Left>("left");
    QTest::addColumn<bool>("ends");
    QTest::addColumn<bool>("said");
    QTest::addColumn<Holder>("holder");
    QTest::newRow("empty lock left over") << EmptyLock << false << false << Us;
    QTest::newRow("garbage lock left over") << GarbageLock << false << false << Us;
    QTest::newRow("lock being written by a twin") << TwinWriting << true << false << Other;
    QTest::newRow("left-over lock that cannot be removed")
        << UnremovableLock << false << true << Nobody;
    QTest::newRow("no usable lock folder") << NoLockFolder << false << true << Nobody;
    QTest::newRow("runtime folder appears while a copy runs")
        << RuntimeAppears << true << false << Other;
}

void TestOnlyOne::leftBehind() {
    QFETCH(Left, left);
    QFETCH(bool, ends);
    QFETCH(bool, said);
    QFETCH(Holder, holder);
    QTemporaryDir root;
    const SystemFolders folders{root.filePath(QStringLiteral("run")),
                                root.filePath(QStringLiteral("tmp"))};
    QVERIFY(QDir().mkdir(folders.runtimeFolders) && QDir().mkdir(folders.temp));
    const QString atom = TOnlyOne::atomName();
    const QString path = LockFileRendezvous(folders).lockPath(atom);
    QProcess *other = nullptr;
    QFile lock(path);
    if (left == EmptyLock || left == GarbageLock) {
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(left == GarbageLock ? "\x01garbage\n" : "");
        lock.close();
        QVERIFY(ageFile(path));
    }
    if (left == UnremovableLock) {
        QVERIFY(QDir().mkpath(path + QStringLiteral("/inside")) && ageFile(path));
    } else if (left == NoLockFolder) {
        QVERIFY(QDir().rmdir(QFileInfo(path).path()));
        QFile taken(QFileInfo(path).path());
        QVERIFY(taken.open(QIODevice::WriteOnly));
    } else if (left == TwinWriting) {
        QVERIFY((other = startHolder({QCoreApplication::applicationFilePath(), "twin", path})));
        QVERIFY(lock.open(QIODevice::WriteOnly)); // made an instant ago, still empty
        lock.close();
        other->write("go\n");
        QVERIFY(other->waitForBytesWritten());
    } else if (left == RuntimeAppears) {
        QVERIFY((other = startHolder({QCoreApplication::applicationFilePath(), "hold",
                                      folders.runtimeFolders, folders.temp})));
        const QString runtime = folders.runtimeFolders + QStringLiteral("/%1").arg(geteuid());
        QVERIFY(QDir().mkdir(runtime));
        QCOMPARE(::chmod(QFile::encodeName(runtime).constData(), 0700), 0);
    }
    {
        TOnlyOne guard(nullptr, std::make_unique<LockFileRendezvous>(folders));
        QCOMPARE(application_->run().terminated(), ends);
        QCOMPARE(boxes_->shown.size(), said ? 1 : 0);
        const qint64 expected = holder == Us      ? QCoreApplication::applicationPid()
                                : holder == Other ? other->processId()
                                                  : 0;
        QCOMPARE(LockFileRendezvous(folders).holder(atom), expected);
    }
    if (other) {
        other->kill();
        other->waitForFinished();
    }
}

// A second guard in the process finds the atom held, like another copy's; the lock goes with
// the last reference.
void TestOnlyOne::referencesInOneProcess() {
    const QString atom = TOnlyOne::atomName();
    auto first = std::make_unique<TOnlyOne>(nullptr);
    QVERIFY(!application_->run().terminated());
    auto second = std::make_unique<TOnlyOne>(nullptr);
    QVERIFY(application_->run().terminated());
    first.reset();
    QCOMPARE(LockFileRendezvous().holder(atom), QCoreApplication::applicationPid());
    second.reset();
    QCOMPARE(LockFileRendezvous().holder(atom), 0);
}

void TestOnlyOne::atomNameKeepsTwentyCharacters_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("atom");
    QTest::newRow("short") << "Tavorim"
                           << "OnlyOneTavorim";
    QTest::newRow("exactly twenty") << "Abcdefghijklmnopqrst"
                                    << "OnlyOneAbcdefghijklmnopqrst";
    QTest::newRow("longer: the rest is cut") << "Abcdefghijklmnopqrstuvwxyz"
                                             << "OnlyOneAbcdefghijklmnopqrst";
}

void TestOnlyOne::atomNameKeepsTwentyCharacters() {
    QFETCH(QString, title);
    QFETCH(QString, atom);
    application_->title().setText(title);
    QCOMPARE(TOnlyOne::atomName(), atom);
}

// Two copies meet when their lock paths agree: the X display decides, the screen number
// aside, else the Wayland display; nothing else of the environment counts.
void TestOnlyOne::scopeIsUserAndDisplay_data() {
    QTest::addColumn<QStringList>("holder"); // NAME=value, or NAME alone to remove it
    QTest::addColumn<QStringList>("ours");
    QTest::addColumn<bool>("meet");
    const QString runtime = QStringLiteral("XDG_RUNTIME_DIR=") + runtime_.path();
    QTest::newRow("same X display")
        << QStringList{"DISPLAY=:7"} << QStringList{"DISPLAY=:7"} << true;
    QTest::newRow("screen number")
        << QStringList{"DISPLAY=:7"} << QStringList{"DISPLAY=:7.0"} << true;
    QTest::newRow("other X display")
        << QStringList{"DISPLAY=:7"} << QStringList{"DISPLAY=:8"} << false;
    QTest::newRow("host and screen number")
        << QStringList{"DISPLAY=localhost:7"} << QStringList{"DISPLAY=localhost:7.1"} << true;
    QTest::newRow("display number, not screen number")
        << QStringList{"DISPLAY=:7.0"} << QStringList{"DISPLAY=:70"} << false;
    QTest::newRow("X display, Wayland display named or not")
        << QStringList{"DISPLAY=:0", "WAYLAND_DISPLAY=wayland-1"} << QStringList{"DISPLAY=:0"}
        << true;
    QTest::newRow("other Wayland session")
        << QStringList{"DISPLAY", "WAYLAND_DISPLAY=wayland-1"}
        << QStringList{"DISPLAY", "WAYLAND_DISPLAY=wayland-2"} << false;
    QTest::newRow("X server started inside a Wayland session")
        << QStringList{"DISPLAY=:0", "WAYLAND_DISPLAY=wayland-1"}
        << QStringList{"DISPLAY=:9", "WAYLAND_DISPLAY=wayland-1"} << false;
    QTest::newRow("runtime folder named or not")
        << QStringList{"DISPLAY=:7", runtime} << QStringList{"DISPLAY=:7", "XDG_RUNTIME_DIR"}
        << true;
    QTest::newRow("other temporary folder")
        << QStringList{"DISPLAY=:7"} << QStringList{"DISPLAY=:7", "TMPDIR=/var/tmp"} << true;
}

void TestOnlyOne::scopeIsUserAndDisplay() {
    QFETCH(QStringList, holder);
    QFETCH(QStringList, ours);
    QFETCH(bool, meet);
    const QProcessEnvironment saved = QProcessEnvironment::systemEnvironment();
    const auto lockPathWith = [](const QStringList &settings) {
        for (const QString &setting : settings) {
            const qsizetype equals = setting.indexOf(QLatin1Char('='));
            if (equals < 0)
                qunsetenv(qPrintable(setting));
            else
                qputenv(qPrintable(setting.left(equals)), setting.mid(equals + 1).toUtf8());
        }
        return LockFileRendezvous().lockPath(TOnlyOne::atomName());
    };
    const QString holders = lockPathWith(holder);
    const QString our = lockPathWith(ours);
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "TMPDIR"}) {
        if (saved.contains(QLatin1String(name)))
            qputenv(name, saved.value(QLatin1String(name)).toUtf8());
        else
            qunsetenv(name);
    }
    QVERIFY(!holders.isEmpty());
    QCOMPARE(holders == our, meet);
}

// Another user runs a copy of their own, or makes this user's name in the shared temporary
// folder first. This user's copy still starts, guarded wherever a private folder can be had.
// Needs root, to be the other user.
void TestOnlyOne::anotherUserCannotBlockTheGuard_data() {
    QTest::addColumn<bool>("hostile");
    QTest::addColumn<bool>("runtimeFolder");
    QTest::addColumn<bool>("guarded");
    QTest::newRow("another user's copy") << false << false << true;
    QTest::newRow("hostile user, runtime folder") << true << true << true;
    QTest::newRow("hostile user, shared temporary folder only") << true << false << false;
}

void TestOnlyOne::anotherUserCannotBlockTheGuard() {
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
    QCOMPARE(::chmod(QFile::encodeName(root.path()).constData(), 0755), 0);
    // The shared temporary folder, like /tmp, and the runtime folders, like /run/user.
    const QString shared = root.filePath(QStringLiteral("tmp"));
    const QString runtimeFolders = root.filePath(QStringLiteral("run"));
    QVERIFY(QDir().mkdir(shared));
    QCOMPARE(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
    QVERIFY(QDir().mkdir(runtimeFolders));
    if (runtimeFolder) {
        const QString ours = runtimeFolders + QStringLiteral("/%1").arg(geteuid());
        QVERIFY(QDir().mkdir(ours));
        QCOMPARE(::chmod(QFile::encodeName(ours).constData(), 0700), 0);
    }
    const QString other = QString::number(freeUserId());
    QStringList command{setpriv,
                        QStringLiteral("--reuid=") + other,
                        QStringLiteral("--regid=") + other,
                        QStringLiteral("--clear-groups"),
                        QCoreApplication::applicationFilePath(),
                        QStringLiteral("hold"),
                        runtimeFolders,
                        shared};
    if (hostile)
        command << QString::number(geteuid());
    QProcess *holder = startHolder(command);
    QVERIFY2(holder, "the other user's copy did not start");
    const SystemFolders folders{runtimeFolders, shared};
    {
        TOnlyOne guard(nullptr, std::make_unique<LockFileRendezvous>(folders));
        QVERIFY(!application_->run().terminated());
        QCOMPARE(LockFileRendezvous(folders).holder(TOnlyOne::atomName()),
                 guarded ? QCoreApplication::applicationPid() : 0);
        // Unguarded, the user is told.
        QCOMPARE(boxes_->shown.size(), guarded ? 0 : 1);
    }
    holder->kill();
    holder->waitForFinished();
}

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    if (argc >= 2 && qstrcmp(argv[1], "hold") == 0)
        return hold(QCoreApplication::arguments().mid(2));
    if (argc == 3 && qstrcmp(argv[1], "twin") == 0)
        return twin(QCoreApplication::arguments().at(2));
    TestOnlyOne test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_onlyone.moc"

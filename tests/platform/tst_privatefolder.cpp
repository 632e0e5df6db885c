// The user's private folder: the runtime folder when it is the user's and closed to others, else
// a folder of the user's own in the shared temporary folder, never one that someone else made,
// can enter, or points to through a link. The user folder follows the same rules in /tmp, else
// /run/user, whatever XDG_RUNTIME_DIR and TMPDIR say.
#include "PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using tavorim::privateFolder;
using tavorim::userFolder;

namespace {

enum Runtime { NoRuntime, ClosedRuntime, OpenRuntime, LinkedRuntime };
// What already stands under the user's name in the shared temporary folder.
enum Shared { NothingShared, OwnClosed, OwnOpen, LinkToOwnClosed, OtherUsers, PlainFile };
enum Expected { InRuntime, InTemp, Nowhere };

bool makeFolder(const QString &path, mode_t mode) {
    const QByteArray name = QFile::encodeName(path);
    return ::mkdir(name.constData(), 0700) == 0 && ::chmod(name.constData(), mode) == 0;
}

} // namespace

Q_DECLARE_METATYPE(Runtime)
Q_DECLARE_METATYPE(Shared)
Q_DECLARE_METATYPE(Expected)

class TestPrivateFolder : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void choice_data();
    void choice();
};

void TestPrivateFolder::cleanup() {
    qunsetenv("XDG_RUNTIME_DIR");
    qunsetenv("TMPDIR");
}

void TestPrivateFolder::choice_data() {
    QTest::addColumn<Runtime>("runtime");
    QTest::addColumn<Shared>("shared");
    QTest::addColumn<Expected>("expected");
    QTest::addColumn<bool>("user"); // the user folder, else the private folder
    QTest::newRow("runtime folder") << ClosedRuntime << NothingShared << InRuntime << false;
    QTest::newRow("runtime folder through a link")
        << LinkedRuntime << NothingShared << InRuntime << false;
    QTest::newRow("runtime folder others can enter")
        << OpenRuntime << NothingShared << InTemp << false;
    QTest::newRow("no runtime folder") << NoRuntime << NothingShared << InTemp << false;
    QTest::newRow("own folder already made") << NoRuntime << OwnClosed << InTemp << false;
    QTest::newRow("shared name open to all") << NoRuntime << OwnOpen << Nowhere << false;
    QTest::newRow("shared name links to a folder of ours")
        << NoRuntime << LinkToOwnClosed << Nowhere << false;
    QTest::newRow("shared name taken by another user")
        << NoRuntime << OtherUsers << Nowhere << false;
    QTest::newRow("shared name is a file") << NoRuntime << PlainFile << Nowhere << false;
    QTest::newRow("user folder in the temporary folder, beside a runtime folder")
        << ClosedRuntime << NothingShared << InTemp << true;
    QTest::newRow("user folder in the runtime folder, shared name is a file")
        << ClosedRuntime << PlainFile << InRuntime << true;
    QTest::newRow("user folder, runtime folder others can enter")
        << OpenRuntime << NothingShared << InTemp << true;
    QTest::newRow("user folder, shared name taken by another user")
        << NoRuntime << OtherUsers << Nowhere << true;
}

void TestPrivateFolder::choice() {
    QFETCH(Runtime, runtime);
    QFETCH(Shared, shared);
    QFETCH(Expected, expected);
    QFETCH(bool, user);
    if (shared == OtherUsers && geteuid() != 0)
        QSKIP("giving a folder to another user needs root");
    QTemporaryDir root;
    QVERIFY(root.isValid());
    // The temporary folder is shared, like /tmp: anyone may create in it.
    const QString temp = root.filePath(QStringLiteral("tmp"));
    QVERIFY(makeFolder(temp, 01777));
    qputenv("TMPDIR", QFile::encodeName(temp));
    // For the user folder, the runtime folders stand for /run/user, and the environment names a
    // private folder that it must not take.
    const QString runtimeFolders = root.filePath(QStringLiteral("run"));
    const QString decoy = root.filePath(QStringLiteral("decoy"));
    if (user) {
        QVERIFY(makeFolder(runtimeFolders, 0755));
        QVERIFY(makeFolder(decoy, 0700));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(decoy));
        qputenv("TMPDIR", QFile::encodeName(decoy));
    }
    const QString runtimeFolder = user ? runtimeFolders + QStringLiteral("/%1").arg(geteuid())
                                       : root.filePath(QStringLiteral("runtime"));
    if (runtime != NoRuntime) {
        QVERIFY(makeFolder(runtimeFolder, runtime == OpenRuntime ? 0755 : 0700));
        const QString link = root.filePath(QStringLiteral("runtime-link"));
        if (runtime == LinkedRuntime)
            QVERIFY(QFile::link(runtimeFolder, link));
        if (!user)
            qputenv("XDG_RUNTIME_DIR",
                    QFile::encodeName(runtime == LinkedRuntime ? link : runtimeFolder));
    }
    const QString sharedName = temp + QStringLiteral("/tavorim-%1").arg(geteuid());
    const QString mine = root.filePath(QStringLiteral("mine"));
    switch (shared) {
    case NothingShared:
        break;
    case OwnClosed:
        QVERIFY(makeFolder(sharedName, 0700));
        break;
    case OwnOpen:
        QVERIFY(makeFolder(sharedName, 0777));
        break;
    case LinkToOwnClosed:
        QVERIFY(makeFolder(mine, 0700));
        QVERIFY(QFile::link(mine, sharedName));
        break;
    case OtherUsers:
        QVERIFY(makeFolder(sharedName, 0700));
        QCOMPARE(::chown(QFile::encodeName(sharedName).constData(), 65534, 65534), 0);
        break;
    case PlainFile: {
        QFile file(sharedName);
        QVERIFY(file.open(QIODevice::WriteOnly));
        break;
    }
    }

    const QString runtimeChoice =
        (runtime == LinkedRuntime ? root.filePath(QStringLiteral("runtime-link")) : runtimeFolder) +
        QStringLiteral("/tavorim");
    const QString wanted = expected == InRuntime ? runtimeChoice
                           : expected == InTemp  ? sharedName
                                                 : QString();
    const auto folder = [&] { return user ? userFolder({runtimeFolders, temp}) : privateFolder(); };
    QCOMPARE(folder(), wanted);
    // Asked again, the folder made the first time is found and kept.
    QCOMPARE(folder(), wanted);
    if (!wanted.isEmpty()) {
        struct stat status {};
        QCOMPARE(::lstat(QFile::encodeName(wanted).constData(), &status), 0);
        QVERIFY(S_ISDIR(status.st_mode));
        QCOMPARE(status.st_uid, geteuid());
        QCOMPARE(status.st_mode & 07777, mode_t(0700));
    }
    // Nothing was made where it was not chosen.
    if (expected != InRuntime)
        QVERIFY(!QFileInfo::exists(runtimeFolder + QStringLiteral("/tavorim")));
    if (shared == LinkToOwnClosed)
        QVERIFY(QDir(mine).isEmpty());
    if (user)
        QVERIFY(QDir(decoy).isEmpty());
}

QTEST_GUILESS_MAIN(TestPrivateFolder)
#include "tst_privatefolder.moc"

// The user's private folder: the runtime folder when it is the user's and closed to others, else
// a folder of the user's own in the shared temporary folder, never one that someone else made,
// can enter, or points to through a link.
#include "PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using tavorim::privateFolder;

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
    QTest::newRow("runtime folder") << ClosedRuntime << NothingShared << InRuntime;
    QTest::newRow("runtime folder through a link") << LinkedRuntime << NothingShared << InRuntime;
    QTest::newRow("runtime folder others can enter") << OpenRuntime << NothingShared << InTemp;
    QTest::newRow("no runtime folder") << NoRuntime << NothingShared << InTemp;
    QTest::newRow("own folder already made") << NoRuntime << OwnClosed << InTemp;
    QTest::newRow("shared name open to all") << NoRuntime << OwnOpen << Nowhere;
    QTest::newRow("shared name links to a folder of ours")
        << NoRuntime << LinkToOwnClosed << Nowhere;
    QTest::newRow("shared name taken by another user") << NoRuntime << OtherUsers << Nowhere;
    QTest::newRow("shared name is a file") << NoRuntime << PlainFile << Nowhere;
}

void TestPrivateFolder::choice() {
    QFETCH(Runtime, runtime);
    QFETCH(Shared, shared);
    QFETCH(Expected, expected);
    if (shared == OtherUsers && geteuid() != 0)
        QSKIP("giving a folder to another user needs root");
    QTemporaryDir root;
    QVERIFY(root.isValid());
    // The temporary folder is shared, like /tmp: anyone may create in it.
    const QString temp = root.filePath(QStringLiteral("tmp"));
    QVERIFY(makeFolder(temp, 01777));
    qputenv("TMPDIR", QFile::encodeName(temp));
    const QString runtimeFolder = root.filePath(QStringLiteral("runtime"));
    if (runtime != NoRuntime) {
        QVERIFY(makeFolder(runtimeFolder, runtime == OpenRuntime ? 0755 : 0700));
        const QString link = root.filePath(QStringLiteral("runtime-link"));
        if (runtime == LinkedRuntime)
            QVERIFY(QFile::link(runtimeFolder, link));
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
    QCOMPARE(privateFolder(), wanted);
    // Asked again, the folder made the first time is found and kept.
    QCOMPARE(privateFolder(), wanted);
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
}

QTEST_GUILESS_MAIN(TestPrivateFolder)
#include "tst_privatefolder.moc"

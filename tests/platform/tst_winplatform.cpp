// The Windows back-end. The rendezvous: a global atom every copy holds a reference to, and the
// first copy's hidden window, which the others ask to come forward; an atom left by a copy that
// stopped without releasing it is cleared. Regular files only, the modules, the private folder.
#include "AtomRendezvous.h"
#include "Module.h"
#include "PrivateFolder.h"
#include "RegularFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <io.h>
#include <windows.h>

using namespace tavorim;

class TestWinPlatform : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void firstTakesOthersFindItHeld();
    void heldCopyIsAskedForward();
    void leftOverAtomIsCleared();
    void regularFilesOnly_data();
    void regularFilesOnly();
    void modulesLoadAndResolve();
    void privateFolderIsMade();

private:
    ATOM atom() const { return GlobalFindAtomW(reinterpret_cast<const wchar_t *>(name_.utf16())); }

    // Unique to the run: global atoms outlive the process.
    QString name_;
};

void TestWinPlatform::init() {
    name_ = QStringLiteral("OnlyOneTest%1").arg(GetCurrentProcessId());
}

void TestWinPlatform::cleanup() {
    while (const ATOM left = atom())
        if (GlobalDeleteAtom(left) != 0)
            break;
}

void TestWinPlatform::firstTakesOthersFindItHeld() {
    {
        AtomRendezvous first;
        QCOMPARE(first.claim(name_).outcome, Rendezvous::Outcome::Taken);
        first.answerForwardRequests(name_, [](const QString &) {});
        {
            AtomRendezvous second;
            QCOMPARE(second.claim(name_).outcome, Rendezvous::Outcome::HeldByAnother);
        }
        // The second copy's reference is gone, the first's stays.
        QVERIFY(atom() != 0);
    }
    QCOMPARE(atom(), ATOM(0));
}

void TestWinPlatform::heldCopyIsAskedForward() {
    AtomRendezvous first;
    QCOMPARE(first.claim(name_).outcome, Rendezvous::Outcome::Taken);
    int asked = 0;
    QString token = QStringLiteral("none yet");
    first.answerForwardRequests(name_, [&](const QString &given) {
        ++asked;
        token = given;
    });
    AtomRendezvous second;
    QCOMPARE(second.claim(name_).outcome, Rendezvous::Outcome::HeldByAnother);
    QVERIFY(second.askHolderForward(name_));
    QTRY_COMPARE(asked, 1);
    QVERIFY(token.isEmpty());
    QVERIFY(!second.askHolderForward(name_ + QStringLiteral("x")));
}

void TestWinPlatform::leftOverAtomIsCleared() {
    // Two references of copies that were killed, and no window answers for them.
    for (int i = 0; i < 2; ++i)
        QVERIFY(GlobalAddAtomW(reinterpret_cast<const wchar_t *>(name_.utf16())) != 0);
    {
        AtomRendezvous next;
        QCOMPARE(next.claim(name_).outcome, Rendezvous::Outcome::Taken);
    }
    QCOMPARE(atom(), ATOM(0));
}

void TestWinPlatform::regularFilesOnly_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("opens");
    QTest::newRow("regular") << "cue.wav" << qint64(5) << int(RegularFileContents::Read) << true;
    QTest::newRow("too large") << "cue.wav" << qint64(4) << int(RegularFileContents::TooLarge)
                               << true;
    QTest::newRow("folder") << "." << qint64(5) << int(RegularFileContents::Unreadable) << false;
    QTest::newRow("missing") << "none.wav" << qint64(5) << int(RegularFileContents::Unreadable)
                             << false;
    // A device never ends.
    QTest::newRow("device") << "NUL" << qint64(5) << int(RegularFileContents::Unreadable) << false;
}

void TestWinPlatform::regularFilesOnly() {
    QFETCH(QString, name);
    QFETCH(qint64, limit);
    QFETCH(int, status);
    QFETCH(bool, opens);
    QTemporaryDir folder;
    QFile cue(folder.filePath(QStringLiteral("cue.wav")));
    QVERIFY(cue.open(QIODevice::WriteOnly) && cue.write("RIFF!") == 5);
    cue.close();
    const QString path = name == QLatin1String("NUL") ? name : folder.filePath(name);
    const RegularFileContents contents = readRegularFile(path, limit);
    QCOMPARE(int(contents.status), status);
    QCOMPARE(contents.bytes,
             status == RegularFileContents::Read ? QByteArray("RIFF!") : QByteArray());
    const int fd = openRegularFile(QFile::encodeName(path).constData());
    QCOMPARE(fd >= 0, opens);
    if (fd >= 0)
        _close(fd);
}

void TestWinPlatform::modulesLoadAndResolve() {
    Module system;
    QVERIFY(system.load(QStringLiteral("kernel32.dll")));
    QVERIFY(system.resolve<void (*)()>("GetTickCount"));
    QVERIFY(!system.resolve<void (*)()>("tavorimNothing"));
    Module missing;
    QVERIFY(!missing.load(QDir::temp().filePath(QStringLiteral("tavorim-none.dll"))));
    QVERIFY(!missing.resolve<void (*)()>("GetTickCount"));
}

void TestWinPlatform::privateFolderIsMade() {
    const QString folder = privateFolder();
    QVERIFY(folder.endsWith(QLatin1String("/Tavorim")));
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(userFolder(), folder);
}

QTEST_GUILESS_MAIN(TestWinPlatform)
#include "tst_winplatform.moc"

// The rendezvous on Windows: a global atom every copy holds a reference to, and the first
// copy's hidden window, which the others ask to come forward; an atom left by a copy that
// stopped without releasing it is cleared.
#include "AtomRendezvous.h"

#include <QTest>

#include <windows.h>

using namespace tavorim;

class TestAtomRendezvous : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void firstTakesOthersFindItHeld();
    void heldCopyIsAskedForward();
    void leftOverAtomIsCleared();

private:
    ATOM atom() const { return GlobalFindAtomW(reinterpret_cast<const wchar_t *>(name_.utf16())); }

    // Unique to the run: global atoms outlive the process.
    QString name_;
};

void TestAtomRendezvous::init() {
    name_ = QStringLiteral("OnlyOneTest%1").arg(GetCurrentProcessId());
}

void TestAtomRendezvous::cleanup() {
    while (const ATOM left = atom())
        if (GlobalDeleteAtom(left) != 0)
            break;
}

void TestAtomRendezvous::firstTakesOthersFindItHeld() {
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

void TestAtomRendezvous::heldCopyIsAskedForward() {
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

void TestAtomRendezvous::leftOverAtomIsCleared() {
    // Two references of copies that were killed, and no window answers for them.
    for (int i = 0; i < 2; ++i)
        QVERIFY(GlobalAddAtomW(reinterpret_cast<const wchar_t *>(name_.utf16())) != 0);
    {
        AtomRendezvous next;
        QCOMPARE(next.claim(name_).outcome, Rendezvous::Outcome::Taken);
    }
    QCOMPARE(atom(), ATOM(0));
}

QTEST_GUILESS_MAIN(TestAtomRendezvous)
#include "tst_atomrendezvous.moc"

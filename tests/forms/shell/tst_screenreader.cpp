// What a screen reader finds in the shell's windows: the lock indicators' states, the clock's
// time, and the About box's links, reached and followed from the keyboard.
#include "About.h"
#include "Application.h"
#include "BevelPanel.h"
#include "FixedLockKeys.h"
#include "Globals.h"
#include "ManualClock.h"
#include "RecordingWeb.h"
#include "Tavor1.h"
#include "Unit2.h"
#include "Web.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include <optional>

namespace {

QAccessibleInterface *accessible(QWidget *widget) {
    return QAccessible::queryAccessibleInterface(widget);
}

} // namespace

class TestScreenReader : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void indicatorsSayTheirState_data();
    void indicatorsSayTheirState();
    void clockSaysItsTime();
    void aboutLinksTakeTheKeyboard();
    void soundSwitchSaysBothStates();

private:
    tavorim::ManualClock clock_;
    tavorim::FixedLockKeys keys_;
    tavorim::RecordingWeb web_;
    std::optional<tavorim::TApplication> application_;
};

void TestScreenReader::init() {
    Etat_Global = T_Etat_Global{};
    application_.emplace();
    keys_.set(false, false);
    web_.opened.clear();
}

void TestScreenReader::cleanup() {
    application_.reset();
}

void TestScreenReader::indicatorsSayTheirState_data() {
    QTest::addColumn<bool>("caps");
    QTest::addColumn<bool>("num");
    QTest::newRow("both off") << false << false;
    QTest::newRow("caps on") << true << false;
    QTest::newRow("num on") << false << true;
    QTest::newRow("both on") << true << true;
}

void TestScreenReader::indicatorsSayTheirState() {
    QFETCH(bool, caps);
    QFETCH(bool, num);
    TForm2 form(clock_);
    form.setLockKeys(std::ref(keys_));
    auto state = [&](const char *name) {
        return accessible(form.findChild<QWidget *>(QLatin1String(name)))->text(QAccessible::Name);
    };
    const QString off = QStringLiteral(" : désactivé");
    const QString on = QStringLiteral(" : activé");
    // Off until the first tick, as the design shows them.
    QCOMPARE(state("panelMaj"), QStringLiteral("Verrouillage des majuscules") + off);
    keys_.set(caps, num);
    form.TimerLedsTimer();
    QCOMPARE(state("panelMaj"), QStringLiteral("Verrouillage des majuscules") + (caps ? on : off));
    QCOMPARE(state("PanelVernum"), QStringLiteral("Verrouillage numérique") + (num ? on : off));
    keys_.set(false, false);
    form.TimerLedsTimer();
    QCOMPARE(state("panelMaj"), QStringLiteral("Verrouillage des majuscules") + off);
    QCOMPARE(state("PanelVernum"), QStringLiteral("Verrouillage numérique") + off);
}

void TestScreenReader::clockSaysItsTime() {
    TForm2 form(clock_);
    auto *panel = form.findChild<tavorim::BevelPanel *>(QStringLiteral("Panel1"));
    form.Timer1Timer();
    QVERIFY(!panel->caption().isEmpty());
    QAccessibleInterface *clock = accessible(panel);
    QCOMPARE(clock->role(), QAccessible::StaticText);
    QCOMPARE(clock->text(QAccessible::Name), QStringLiteral("Temps écoulé"));
    QCOMPARE(clock->text(QAccessible::Description), panel->caption());
}

void TestScreenReader::aboutLinksTakeTheKeyboard() {
    TAboutBox box(web_);
    box.show();
    QVERIFY(QTest::qWaitForWindowActive(&box));
    auto *ok = box.findChild<QPushButton *>(QStringLiteral("OKButton"));
    auto *write = box.findChild<QLabel *>(QStringLiteral("Label2"));
    auto *site = box.findChild<QLabel *>(QStringLiteral("Label3"));
    QTRY_COMPARE(box.focusWidget(), ok);
    for (QLabel *link : {write, site})
        QCOMPARE(accessible(link)->role(), QAccessible::Link);

    // Tab goes round the links and back to "OK"; Enter and Space follow a link and leave the
    // box open.
    QTest::keyClick(box.focusWidget(), Qt::Key_Tab);
    QCOMPARE(box.focusWidget(), write);
    QTest::keyClick(write, Qt::Key_Return);
    QTest::keyClick(box.focusWidget(), Qt::Key_Tab);
    QCOMPARE(box.focusWidget(), site);
    QTest::keyClick(site, Qt::Key_Space);
    QCOMPARE(web_.opened,
             (QList<QUrl>{QUrl(TAboutBox::writeAddress()), QUrl(TAboutBox::siteLinkAddress())}));
    QVERIFY(box.isVisible());
    QTest::keyClick(box.focusWidget(), Qt::Key_Tab);
    QCOMPARE(box.focusWidget(), ok);
    QTest::keyClick(ok, Qt::Key_Return);
    QVERIFY(!box.isVisible());
}

void TestScreenReader::soundSwitchSaysBothStates() {
    TForm1 form(web_);
    auto *son = form.findChild<QAction *>(QStringLiteral("son1"));
    auto *menu = form.findChild<QMenu *>(QStringLiteral("Configurer1"));
    const int index = int(menu->actions().indexOf(son));
    QAccessibleInterface *item = accessible(menu)->child(index);
    QVERIFY(item);
    QCOMPARE(item->object(), son);
    // Found again from its menu: screen readers drop an item their menu does not know.
    QCOMPARE(item->parent()->indexOfChild(item), index);
    QCOMPARE(item->parent()->parent()->child(0), accessible(menu));
    // A check box, said checked or not, where a menu item is said only when checked.
    QCOMPARE(item->role(), QAccessible::CheckBox);
    QCOMPARE(item->text(QAccessible::Name), QStringLiteral("Son"));
    for (const bool on : {false, true, false}) {
        QVERIFY(item->state().checkable);
        QCOMPARE(item->state().checked, on);
        QCOMPARE(Etat_Global.Son_Actif, on);
        item->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    }
}

QTEST_MAIN(TestScreenReader)
#include "tst_screenreader.moc"

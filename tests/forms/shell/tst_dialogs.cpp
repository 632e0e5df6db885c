// The level dialog and the About box.
#include "About.h"
#include "Application.h"
#include "Globals.h"
#include "GlyphButton.h"
#include "Nivform.h"
#include "RecordingWeb.h"
#include "Tavor1.h"
#include "Web.h"

#include "Bevel.h"
#include "Unit2.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <optional>

using tavorim::TApplication;

namespace {

QRadioButton *radio(const QWidget &dialog, int level) {
    return dialog.findChild<QRadioButton *>(QStringLiteral("RadioButton%1").arg(level));
}

int levelFlags() {
    return (Etat_Global.Niveau_I ? 1 : 0) | (Etat_Global.Niveau_II ? 2 : 0) |
           (Etat_Global.Niveau_III ? 4 : 0);
}

void setLevelFlags(int flags) {
    Etat_Global.Niveau_I = flags & 1;
    Etat_Global.Niveau_II = flags & 2;
    Etat_Global.Niveau_III = flags & 4;
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void levelShownAtOpening_data();
    void levelShownAtOpening();
    void okWritesExactlyOneLevel_data();
    void okWritesExactlyOneLevel();
    void closingWithoutOkKeepsTheLevel();
    void firstOpeningFromTheMenuShowsLevelOne();
    void aboutShowsTheVersion();
    void aboutLinksOpenTheirAddresses_data();
    void aboutLinksOpenTheirAddresses();
    void aboutOkCloses();
    void aboutFromTheMenu();
    void everyControlIsReadable_data();
    void everyControlIsReadable();

private:
    tavorim::RecordingWeb web_;
    std::optional<TApplication> application_;
};

void TestDialogs::init() {
    Etat_Global = T_Etat_Global{};
    application_.emplace();
    web_.opened.clear();
}

void TestDialogs::cleanup() {
    application_.reset();
}

void TestDialogs::levelShownAtOpening_data() {
    QTest::addColumn<int>("flags");
    QTest::newRow("level I") << 1;
    QTest::newRow("level II") << 2;
    QTest::newRow("level III") << 4;
    QTest::newRow("II and III both set: II is in force") << 6;
    QTest::newRow("all three set: I is in force") << 7;
}

void TestDialogs::levelShownAtOpening() {
    QFETCH(int, flags);
    setLevelFlags(flags);
    Tnivform dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    // The design's check on level 2 is replaced by the level in force.
    const int inForce = flags & ~(flags - 1);
    for (int level = 1; level <= 3; ++level)
        QCOMPARE(radio(dialog, level)->isChecked(), bool(inForce & (1 << (level - 1))));
    auto *ok = dialog.findChild<QPushButton *>("Button1");
    QCOMPARE(QApplication::focusWidget(), ok);

    // Said with the dialog; Tab reaches the checked level alone, the arrows move the choice.
    const int shown = inForce == 4 ? 3 : inForce;
    auto description = [&] {
        return QAccessible::queryAccessibleInterface(&dialog)->text(QAccessible::Description);
    };
    QCOMPARE(description(), QStringLiteral("niveau %1").arg(shown));
    QTest::keyClick(ok, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), radio(dialog, shown));
    const int next = shown == 1 ? 2 : shown - 1;
    QTest::keyClick(radio(dialog, shown), next > shown ? Qt::Key_Down : Qt::Key_Up);
    QTRY_VERIFY(radio(dialog, next)->isChecked());
    QCOMPARE(description(), QStringLiteral("niveau %1").arg(next));
    QTest::keyClick(radio(dialog, next), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), ok);
    QTest::keyClick(ok, Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), radio(dialog, next));
}

void TestDialogs::okWritesExactlyOneLevel_data() {
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<int>("after");
    QTest::newRow("I, Ok at once") << 1 << 0 << 1;
    QTest::newRow("I to II") << 1 << 2 << 2;
    QTest::newRow("I to III") << 1 << 3 << 4;
    QTest::newRow("III to I") << 4 << 1 << 1;
    QTest::newRow("III, Ok at once") << 4 << 0 << 4;
    QTest::newRow("II and III both set, to I") << 6 << 1 << 1;
    QTest::newRow("II and III both set, Ok at once") << 6 << 0 << 2;
}

void TestDialogs::okWritesExactlyOneLevel() {
    QFETCH(int, before);
    QFETCH(int, chosen);
    QFETCH(int, after);
    setLevelFlags(before);
    Tnivform dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    if (chosen)
        QTest::mouseClick(radio(dialog, chosen), Qt::LeftButton);
    QTest::mouseClick(dialog.findChild<QPushButton *>("Button1"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(levelFlags(), after);
}

void TestDialogs::closingWithoutOkKeepsTheLevel() {
    setLevelFlags(2);
    {
        Tnivform dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::mouseClick(radio(dialog, 3), Qt::LeftButton);
        QVERIFY(radio(dialog, 3)->isChecked());
        QTest::keyClick(&dialog, Qt::Key_Escape); // no cancel button: nothing happens
        QVERIFY(dialog.isVisible());
        dialog.close();
    }
    QCOMPARE(levelFlags(), 2);
    Tnivform again;
    again.show();
    QVERIFY(QTest::qWaitForWindowActive(&again));
    QVERIFY(radio(again, 2)->isChecked());
    QVERIFY(!radio(again, 3)->isChecked());
}

void TestDialogs::firstOpeningFromTheMenuShowsLevelOne() {
    TForm1 form(web_);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    bool seen = false;
    bool levelOneChecked = false;
    // Answers the dialog from inside its modal loop.
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *dialog = qobject_cast<Tnivform *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isActiveWindow())
            return;
        poll.stop();
        seen = true;
        levelOneChecked = radio(*dialog, 1)->isChecked() && !radio(*dialog, 2)->isChecked();
        radio(*dialog, 3)->click();
        dialog->findChild<QPushButton *>("Button1")->click();
    });
    poll.start(10);
    form.findChild<QAction *>(QStringLiteral("Niveau1"))->trigger();
    QVERIFY(seen);
    QVERIFY(levelOneChecked);
    QCOMPARE(levelFlags(), 4);
}

void TestDialogs::aboutShowsTheVersion() {
    Etat_Global.Version_Texte = "3.1";
    TAboutBox box(web_);
    box.show();
    QVERIFY(QTest::qWaitForWindowActive(&box));
    QTRY_COMPARE(box.findChild<QLabel *>("Version")->text(), QStringLiteral("3.1"));
    QCOMPARE(box.findChild<QLabel *>("Label3")->text(),
             QStringLiteral("Site Quillavo : ") + tavorim::siteAddress());
    for (const char *link : {"Label2", "Label3"}) {
        const QLabel *label = box.findChild<QLabel *>(link);
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 128));
        QVERIFY(label->font().underline());
    }
    QCOMPARE(QApplication::focusWidget(), box.findChild<tavorim::GlyphButton *>("OKButton"));
    // Long enough for a screen reader to say it with the box.
    QCOMPARE(QAccessible::queryAccessibleInterface(box.findChild<QLabel *>("ProductName"))
                 ->text(QAccessible::Name),
             QStringLiteral("Tavorim version 3.1"));
}

void TestDialogs::aboutLinksOpenTheirAddresses_data() {
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("tail");
    QTest::newRow("Ecrire") << "Label2"
                            << "/message08.php?sujet=TavoRim 2.4";
    QTest::newRow("site") << "Label3"
                          << "?ve=Tavorim 2.4";
}

void TestDialogs::aboutLinksOpenTheirAddresses() {
    QFETCH(QString, link);
    QFETCH(QString, tail);
    TAboutBox box(web_);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QLabel *label = box.findChild<QLabel *>(link);
    for (int clicks = 1; clicks <= 2; ++clicks) {
        QTest::mouseClick(label, Qt::LeftButton);
        QCOMPARE(web_.opened.size(), clicks);
        QCOMPARE(web_.opened.last().toString(QUrl::FullyDecoded), tavorim::siteAddress() + tail);
        QVERIFY(box.isVisible());
    }
}

void TestDialogs::aboutOkCloses() {
    TAboutBox box(web_);
    box.show();
    QVERIFY(QTest::qWaitForWindowActive(&box));
    QTest::keyClick(&box, Qt::Key_Return);
    QVERIFY(!box.isVisible());
    QCOMPARE(box.result(), int(QDialog::Accepted));
}

void TestDialogs::aboutFromTheMenu() {
    TForm1 form(web_);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    bool seen = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *box = qobject_cast<TAboutBox *>(QApplication::activeModalWidget());
        if (!box || !box->isActiveWindow())
            return;
        poll.stop();
        seen = box->parentWidget() == &form;
        box->findChild<tavorim::GlyphButton *>("OKButton")->click();
    });
    poll.start(10);
    form.findChild<QAction *>(QStringLiteral("Apropos1"))->trigger();
    QVERIFY(seen);
    QVERIFY(form.findChildren<TAboutBox *>().isEmpty()); // freed once closed
}

void TestDialogs::everyControlIsReadable_data() {
    QTest::addColumn<int>("window");
    QTest::newRow("backdrop") << 0;
    QTest::newRow("main window") << 1;
    QTest::newRow("level dialog") << 2;
    QTest::newRow("About box") << 3;
}

void TestDialogs::everyControlIsReadable() {
    QFETCH(int, window);
    std::unique_ptr<QWidget> form;
    switch (window) {
    case 0:
        form = std::make_unique<TForm2>();
        break;
    case 1:
        form = std::make_unique<TForm1>(web_);
        break;
    case 2:
        form = std::make_unique<Tnivform>();
        break;
    default:
        form = std::make_unique<TAboutBox>(web_);
        break;
    }
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QList<QWidget *> controls = form->findChildren<QWidget *>();
    controls.prepend(form.get());
    for (QWidget *control : controls) {
        // Bevels are drawn lines, not controls; menus are named by their items.
        if (!control->isVisible() || qobject_cast<tavorim::Bevel *>(control) ||
            control->inherits("QMenu"))
            continue;
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
        QVERIFY(accessible);
        QVERIFY2(!accessible->text(QAccessible::Name).trimmed().isEmpty(),
                 qPrintable(control->objectName()));
        // A name of its own hides a label's text from screen readers: the text must still be
        // there, as the name or the description.
        if (const auto *label = qobject_cast<QLabel *>(control); label && !label->text().isEmpty())
            QVERIFY2(accessible->text(QAccessible::Name).contains(label->text()) ||
                         accessible->text(QAccessible::Description).contains(label->text()),
                     qPrintable(control->objectName() + QStringLiteral(" reads \"") +
                                accessible->text(QAccessible::Name) + QStringLiteral("\", not \"") +
                                label->text() + QLatin1Char('"')));
    }
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"

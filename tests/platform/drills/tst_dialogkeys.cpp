#include "Beeper.h"
#include "DialogKeys.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using tavorim::Beeper;

// A dialog shaped like the drills: an edit box, a default button "&Valider", "&Quitter",
// "&Continuer", and a radio button "&Niveau" for the letters of radio buttons.
class KeysDialog : public QDialog {
public:
    KeysDialog() {
        edit = new QLineEdit(this);
        valider = new QPushButton(QStringLiteral("&Valider"), this);
        quitter = new QPushButton(QStringLiteral("&Quitter"), this);
        continuer = new QPushButton(QStringLiteral("&Continuer"), this);
        radio = new QRadioButton(QStringLiteral("&Niveau"), this);
        int top = 0;
        for (QWidget *w : {static_cast<QWidget *>(edit), static_cast<QWidget *>(valider),
                           static_cast<QWidget *>(quitter), static_cast<QWidget *>(continuer),
                           static_cast<QWidget *>(radio)}) {
            w->setGeometry(0, top, 100, 24);
            top += 30;
        }
        tavorim::InstallDialogKeys(this, valider);
    }
    QLineEdit *edit;
    QPushButton *valider, *quitter, *continuer;
    QRadioButton *radio;
};

class TestDialogKeys : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<KeysDialog> dialog;
    std::unique_ptr<QSignalSpy> validerSpy, quitterSpy, continuerSpy;

    QWidget *widgetNamed(const QString &name) const {
        if (name == QLatin1String("edit"))
            return dialog->edit;
        if (name == QLatin1String("valider"))
            return dialog->valider;
        if (name == QLatin1String("quitter"))
            return dialog->quitter;
        if (name == QLatin1String("continuer"))
            return dialog->continuer;
        return dialog->radio;
    }

    QString clicked() const {
        QStringList names;
        if (validerSpy->count())
            names << QStringLiteral("valider");
        if (quitterSpy->count())
            names << QStringLiteral("quitter");
        if (continuerSpy->count())
            names << QStringLiteral("continuer");
        return names.join(QLatin1Char(','));
    }

private slots:
    void init() {
        dialog = std::make_unique<KeysDialog>();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        validerSpy = std::make_unique<QSignalSpy>(dialog->valider, &QPushButton::clicked);
        quitterSpy = std::make_unique<QSignalSpy>(dialog->quitter, &QPushButton::clicked);
        continuerSpy = std::make_unique<QSignalSpy>(dialog->continuer, &QPushButton::clicked);
        Beeper::resetCountForTests();
    }

    void cleanup() {
        validerSpy.reset();
        quitterSpy.reset();
        continuerSpy.reset();
        dialog.reset();
    }

    void keys_data() {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<bool>("validerEnabled");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("expected");

        const int none = Qt::NoModifier;
        QTest::newRow("enter in box clicks default")
            << "edit" << true << int(Qt::Key_Return) << none << "valider";
        QTest::newRow("keypad enter in box clicks default")
            << "edit" << true << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "valider";
        QTest::newRow("enter in box, default disabled")
            << "edit" << false << int(Qt::Key_Return) << none << "";
        QTest::newRow("shift enter in box")
            << "edit" << true << int(Qt::Key_Return) << int(Qt::ShiftModifier) << "";
        QTest::newRow("ctrl enter in box")
            << "edit" << true << int(Qt::Key_Return) << int(Qt::ControlModifier) << "";
        QTest::newRow("alt enter in box")
            << "edit" << true << int(Qt::Key_Return) << int(Qt::AltModifier) << "";
        QTest::newRow("enter on focused button clicks it")
            << "quitter" << true << int(Qt::Key_Return) << none << "quitter";
        QTest::newRow("enter on focused button, default disabled")
            << "continuer" << false << int(Qt::Key_Return) << none << "continuer";
        QTest::newRow("enter on radio clicks default")
            << "radio" << true << int(Qt::Key_Return) << none << "valider";
        QTest::newRow("shift enter on button")
            << "quitter" << true << int(Qt::Key_Return) << int(Qt::ShiftModifier) << "";
        QTest::newRow("alt letter from box")
            << "edit" << false << int(Qt::Key_Q) << int(Qt::AltModifier) << "quitter";
        QTest::newRow("alt letter of disabled default")
            << "edit" << false << int(Qt::Key_V) << int(Qt::AltModifier) << "";
        QTest::newRow("alt letter of enabled default")
            << "edit" << true << int(Qt::Key_V) << int(Qt::AltModifier) << "valider";
        QTest::newRow("letter alone in box is text")
            << "edit" << true << int(Qt::Key_Q) << none << "";
        QTest::newRow("letter alone on button")
            << "continuer" << true << int(Qt::Key_Q) << none << "quitter";
        QTest::newRow("shifted letter on button")
            << "continuer" << true << int(Qt::Key_C) << int(Qt::ShiftModifier) << "continuer";
        QTest::newRow("letter alone on radio")
            << "radio" << true << int(Qt::Key_C) << none << "continuer";
        QTest::newRow("ctrl letter on button")
            << "quitter" << true << int(Qt::Key_C) << int(Qt::ControlModifier) << "";
        QTest::newRow("escape on button") << "quitter" << true << int(Qt::Key_Escape) << none << "";
    }

    // Each key clicks exactly the expected button, at once, and the dialog stays open.
    void keys() {
        QFETCH(QString, focus);
        QFETCH(bool, validerEnabled);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, expected);

        dialog->valider->setEnabled(validerEnabled);
        QWidget *target = widgetNamed(focus);
        target->setFocus();
        QCOMPARE(dialog->focusWidget(), target);

        QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(clicked(), expected);
        QVERIFY(dialog->isVisible());
    }

    // Letters typed in the box stay text; with Alt they never do.
    void lettersInBox() {
        dialog->edit->setFocus();
        QTest::keyClick(dialog->edit, Qt::Key_Q);
        QCOMPARE(dialog->edit->text(), QStringLiteral("q"));
        QTest::keyClick(dialog->edit, Qt::Key_A, Qt::AltModifier);
        QCOMPARE(dialog->edit->text(), QStringLiteral("q"));
        QCOMPARE(Beeper::countForTests(), 1);
        QCOMPARE(clicked(), QString());
    }

    // A radio button's letter focuses and checks it.
    void radioLetter() {
        dialog->quitter->setFocus();
        QTest::keyClick(dialog->quitter, Qt::Key_N);
        QVERIFY(dialog->radio->isChecked());
        QCOMPARE(dialog->focusWidget(), dialog->radio);
    }

    // The Enter of an edit box with a disabled default button reaches the box; the dialog's
    // own fallbacks (automatic default button, Escape closing) never run.
    void unclaimedKeysStayWithTheBox() {
        dialog->valider->setEnabled(false);
        dialog->edit->setFocus();
        QSignalSpy returnSpy(dialog->edit, &QLineEdit::returnPressed);
        QTest::keyClick(dialog->edit, Qt::Key_Return);
        QCOMPARE(returnSpy.count(), 1);
        QTest::keyClick(dialog->edit, Qt::Key_Escape);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QCOMPARE(clicked(), QString());
    }

    // Installed without a default button, a dialog has none: Enter in the box clicks nothing,
    // although Qt makes the first button the default of such a dialog. On the button, Enter
    // still clicks it.
    void noDefaultButton() {
        QDialog plain;
        auto *edit = new QLineEdit(&plain);
        auto *ok = new QPushButton(QStringLiteral("&Ok"), &plain);
        ok->move(0, 30);
        tavorim::InstallDialogKeys(&plain);
        plain.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plain));
        QSignalSpy okSpy(ok, &QPushButton::clicked);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(okSpy.count(), 0);
        QVERIFY(plain.isVisible());
        ok->setFocus();
        QTest::keyClick(ok, Qt::Key_Return);
        QCOMPARE(okSpy.count(), 1);
    }

    void beeperCounts() {
        Beeper::resetCountForTests();
        Beeper::beep();
        Beeper::beep();
        QCOMPARE(Beeper::countForTests(), 2);
        Beeper::resetCountForTests();
        QCOMPARE(Beeper::countForTests(), 0);
    }
};

QTEST_MAIN(TestDialogKeys)
#include "tst_dialogkeys.moc"

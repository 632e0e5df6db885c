#include "CountingBeeper.h"
#include "DialogKeys.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

// A dialog shaped like the drills: an edit box, a default button "&Valider", "&Quitter",
// "&Continuer", and a radio button "&Niveau" for the letters of radio buttons. Every click is
// logged by the button's name.
class KeysDialog : public QDialog {
public:
    explicit KeysDialog(bool withDefault = true) {
        edit = add(new QLineEdit(this), "edit");
        valider = add(new QPushButton(QStringLiteral("&Valider"), this), "valider");
        add(new QPushButton(QStringLiteral("&Quitter"), this), "quitter");
        add(new QPushButton(QStringLiteral("&Continuer"), this), "continuer");
        radio = add(new QRadioButton(QStringLiteral("&Niveau"), this), "radio");
        tavorim::installDialogKeys(this, withDefault ? valider : nullptr, beeper.beep());
    }
    tavorim::CountingBeeper beeper;
    QLineEdit *edit;
    QPushButton *valider;
    QRadioButton *radio;
    QStringList clicks;

private:
    template <typename W> W *add(W *widget, const char *name) {
        widget->setObjectName(QLatin1String(name));
        widget->setGeometry(0, 30 * int(children().size() - 1), 100, 24);
        if (auto *button = qobject_cast<QPushButton *>(widget))
            connect(button, &QPushButton::clicked, this, [this, name] { clicks << name; });
        return widget;
    }
};

class TestDialogKeys : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<KeysDialog> dialog;

private slots:
    void init() {
        dialog = std::make_unique<KeysDialog>();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    }

    void cleanup() { dialog.reset(); }

    void keys_data() {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<bool>("validerEnabled");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("expected");

        const int none = Qt::NoModifier, shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier,
                  alt = Qt::AltModifier;
        const int enter = Qt::Key_Return, c = Qt::Key_C, q = Qt::Key_Q, v = Qt::Key_V;
        QTest::newRow("enter in box") << "edit" << true << enter << none << "valider";
        QTest::newRow("keypad enter in box")
            << "edit" << true << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "valider";
        QTest::newRow("enter in box, default off") << "edit" << false << enter << none << "";
        QTest::newRow("shift enter in box") << "edit" << true << enter << shift << "";
        QTest::newRow("ctrl enter in box") << "edit" << true << enter << ctrl << "";
        QTest::newRow("alt enter in box") << "edit" << true << enter << alt << "";
        QTest::newRow("enter on button") << "quitter" << true << enter << none << "quitter";
        QTest::newRow("enter on button, default off")
            << "continuer" << false << enter << none << "continuer";
        QTest::newRow("enter on radio") << "radio" << true << enter << none << "valider";
        QTest::newRow("shift enter on button") << "quitter" << true << enter << shift << "";
        QTest::newRow("alt letter in box") << "edit" << false << q << alt << "quitter";
        QTest::newRow("alt letter of default off") << "edit" << false << v << alt << "";
        QTest::newRow("alt letter of default") << "edit" << true << v << alt << "valider";
        QTest::newRow("letter alone in box") << "edit" << true << q << none << "";
        QTest::newRow("letter alone on button") << "continuer" << true << q << none << "quitter";
        QTest::newRow("shift letter on button") << "continuer" << true << c << shift << "continuer";
        QTest::newRow("letter alone on radio") << "radio" << true << c << none << "continuer";
        QTest::newRow("ctrl letter on button") << "quitter" << true << c << ctrl << "";
        QTest::newRow("escape on button") << "quitter" << true << int(Qt::Key_Escape) << none << "";
    }

    // Each key clicks exactly the expected button, once and at once, and the dialog stays open.
    void keys() {
        QFETCH(QString, focus);
        QFETCH(bool, validerEnabled);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, expected);
        dialog->valider->setEnabled(validerEnabled);
        auto *target = dialog->findChild<QWidget *>(focus);
        target->setFocus();
        QCOMPARE(dialog->focusWidget(), target);
        QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(dialog->clicks.join(QLatin1Char(',')), expected);
        QVERIFY(dialog->isVisible());
    }

    // In the box, letters stay text and an Alt letter that matches no button beeps and never
    // does; with the default button disabled, Enter reaches the box and none of the dialog's
    // own fallbacks (automatic default button, Escape closing) runs. A radio button's letter
    // focuses and checks it.
    void keysInTheBox() {
        dialog->valider->setEnabled(false);
        dialog->edit->setFocus();
        QSignalSpy returnSpy(dialog->edit, &QLineEdit::returnPressed);
        for (const QKeyCombination key :
             {QKeyCombination(Qt::Key_Q), Qt::AltModifier | Qt::Key_A,
              QKeyCombination(Qt::Key_Return), QKeyCombination(Qt::Key_Escape)})
            QTest::keyClick(dialog->edit, key.key(), key.keyboardModifiers());
        QCOMPARE(dialog->edit->text(), QStringLiteral("q"));
        QCOMPARE(dialog->beeper.count, 1);
        QCOMPARE(returnSpy.count(), 1);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QVERIFY(dialog->clicks.isEmpty());
        QTest::keyClick(dialog->edit, Qt::Key_N, Qt::AltModifier);
        QVERIFY(dialog->radio->isChecked());
        QCOMPARE(dialog->focusWidget(), dialog->radio);
    }

    // Installed without a default button, a dialog has none: Enter in the box clicks nothing,
    // although Qt makes the first button the default of such a dialog. On the button, Enter
    // still clicks it.
    void noDefaultButton() {
        KeysDialog plain(false);
        plain.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plain));
        plain.edit->setFocus();
        QTest::keyClick(plain.edit, Qt::Key_Return);
        QVERIFY(plain.clicks.isEmpty());
        QVERIFY(plain.isVisible());
        plain.valider->setFocus();
        QTest::keyClick(plain.valider, Qt::Key_Return);
        QCOMPARE(plain.clicks, QStringList{"valider"});
    }
};

QTEST_MAIN(TestDialogKeys)
#include "tst_dialogkeys.moc"

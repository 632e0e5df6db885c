#include "AnsweringBoxes.h"
#include "Application.h"
#include "Arab1.h"
#include "BevelPanel.h"
#include "CountingBeeper.h"
#include "FakeAudioOutput.h"
#include "Gauge.h"
#include "Globals.h"
#include "MessageBox.h"
#include "NamedChild.h"
#include "Romain1.h"
#include "Shape.h"
#include "SoundErrorText.h"
#include "constnum.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDataStream>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTestEventList>

#include <deque>
#include <memory>
#include <optional>

using tavorim::FakeAudioOutput;
using tavorim::MessageBox;
using tavorim::SoundError;
using tavorim::SoundPlayer;

namespace {

// Chance under the test's control: queued values first, then 0.
class ScriptedChance : public RandomSource {
public:
    std::deque<int> values;
    int reseeds = 0; // times Resseme_Hasard was called
    void reseed() override { ++reseeds; }
    int next(int n) override {
        if (values.empty())
            return 0;
        const int value = values.front();
        values.pop_front();
        return value % n;
    }
};

// One drill window seen through the roles both windows share.
struct Drill {
    std::unique_ptr<DrillWindow> window;
    QLineEdit *edit;
    QPushButton *valider, *continuer;
    QLabel *shown, *number, *level, *verdict, *correction;
    tavorim::Gauge *gauge;
    tavorim::BevelPanel *score;
    tavorim::Shape *shape;
};

// The label roles differ between the windows: the level is Label4 in the Roman window and
// Label5 in the Arabic one, the correction the other way round.
Drill makeDrill(bool roman, const tavorim::Beep &beep = {}) {
    std::unique_ptr<DrillWindow> window(
        roman ? static_cast<DrillWindow *>(new Tromaform(nullptr, beep))
              : new Tarabform(nullptr, beep));
    QWidget *w = window.get();
    w->findChild<SoundPlayer *>()->setOutputFactory(FakeAudioOutput::factory());
    const char *level = roman ? "Label4" : "Label5";
    const char *correction = roman ? "Label5" : "Label4";
    return {std::move(window),
            namedChild<QLineEdit>(w, "Edit1"),
            namedChild<QPushButton>(w, "Button1"),
            namedChild<QPushButton>(w, "Button3"),
            namedChild<QLabel>(w, "Label2"),
            namedChild<QLabel>(w, "Label6"),
            namedChild<QLabel>(w, level),
            namedChild<QLabel>(w, "Label1"),
            namedChild<QLabel>(w, correction),
            namedChild<tavorim::Gauge>(w, "Gauge1"),
            namedChild<tavorim::BevelPanel>(w, "Panel2"),
            namedChild<tavorim::Shape>(w, "Shape1")};
}

QString pick(bool roman, const char *romanText, const char *arabicText) {
    return QString::fromUtf8(roman ? romanText : arabicText);
}

QWidget *focused(const Drill &d) {
    return d.window->focusWidget();
}

void type(const Drill &d, const QString &text) {
    QTest::keyClicks(focused(d), text);
}

void press(const Drill &d, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(focused(d), key, modifiers);
}

// Characters typed one by one, then keys.
QTestEventList keys(const QString &text, const QList<QKeyCombination> &then = {}) {
    QTestEventList events;
    events.addKeyClicks(text);
    for (const QKeyCombination key : then)
        events.addKeyClick(key.key(), key.keyboardModifiers());
    return events;
}

// The Asked state: empty box and labels, both marking buttons disabled, the focus in the box.
void checkAsked(const Drill &d) {
    QVERIFY(d.edit->text().isEmpty());
    QVERIFY(d.verdict->text().isEmpty());
    QVERIFY(d.correction->text().isEmpty());
    QVERIFY(!d.valider->isEnabled());
    QVERIFY(!d.continuer->isEnabled());
    QCOMPARE(focused(d), d.edit);
}

void bothWindows() {
    QTest::addColumn<bool>("roman");
    QTest::newRow("romain") << true;
    QTest::newRow("arabe") << false;
}

// A valid 16-bit mono wave file of a few silent samples.
QByteArray waveFile() {
    const QByteArray samples(200, '\0');
    QByteArray file;
    QDataStream out(&file, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + samples.size());
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(22050) << quint32(44100) << quint16(2)
        << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(samples.size());
    return file + samples;
}

QStringList allCues() {
    QStringList names{QStringLiteral("TAVORD.WAV")};
    for (int digit = 0; digit < 8; ++digit)
        names << QStringLiteral("TAVORJ%1.WAV").arg(digit)
              << QStringLiteral("TAVORF%1.WAV").arg(digit);
    return names;
}

} // namespace

class TestDrillWindows : public QObject {
    Q_OBJECT

private:
    ScriptedChance chance;
    tavorim::TApplication application;
    std::optional<tavorim::AnsweringBoxes> answering;
    tavorim::CountingBeeper beeper;
    QTemporaryDir cueDir;
    QString previousDir;

    // Opens a window as the main window would, and waits for its activation, which runs from
    // the event loop just after the window came up.
    Drill open(bool roman) {
        Drill d = makeDrill(roman, beeper.beep());
        d.window->show();
        if (!QTest::qWaitForWindowActive(d.window.get()))
            qWarning("window not active");
        if (!QTest::qWaitFor([&d] { return !d.number->text().isEmpty(); }, 5000))
            qWarning("window not activated");
        return d;
    }

    void writeCue(const QString &name, const QByteArray &content) {
        QFile file(cueDir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

private slots:
    void initTestCase() {
        QVERIFY(cueDir.isValid());
        previousDir = QDir::currentPath();
        QDir::setCurrent(cueDir.path());
    }

    void cleanupTestCase() {
        QDir::setCurrent(previousDir);
        setRandomSource(nullptr);
    }

    void init() {
        Etat_Global = T_Etat_Global{};
        chance = ScriptedChance{};
        setRandomSource(&chance);
        beeper = {};
        answering.emplace();
        answering->answerAll(MessageBox::Ok);
        FakeAudioOutput::reset();
    }

    void cleanup() { answering.reset(); }

    void typing_data() {
        QTest::addColumn<bool>("roman");
        QTest::addColumn<QTestEventList>("events");
        QTest::addColumn<QString>("shownText");
        QTest::addColumn<int>("beeps"); // -1: the length limit, not the filter, refuses
        // The whole text selected, then every control key that would paste, cut, copy, select
        // or close; then keys that edit without typing a character.
        const QList<QKeyCombination> controls{
            Qt::ShiftModifier | Qt::Key_Home, Qt::ControlModifier | Qt::Key_V,
            Qt::ControlModifier | Qt::Key_X,  Qt::ControlModifier | Qt::Key_C,
            Qt::ControlModifier | Qt::Key_A,  Qt::Key_Escape};
        const QList<QKeyCombination> editing{Qt::Key_Home, Qt::Key_Delete, Qt::Key_End,
                                             Qt::Key_Left, Qt::Key_Delete};
        QTest::newRow("romain every letter, backspace")
            << true << keys("CDILMVXcdilmvx\b") << "CDILMVXCDILMV" << 0;
        QTest::newRow("romain refused") << true << keys("X5 aAbZI") << "XI" << 6;
        QTest::newRow("romain 21st character")
            << true << keys(QString(21, QLatin1Char('M'))) << QString(20, QLatin1Char('M')) << -1;
        QTest::newRow("romain control keys") << true << keys("XI", controls) << "XI" << 5;
        QTest::newRow("romain keys without character") << true << keys("XVI", editing) << "V" << 0;
        QTest::newRow("romain enter on empty box") << true << keys("", {Qt::Key_Return}) << "" << 1;
        QTest::newRow("arabe 7th digit") << false << keys("0123456789") << "012345" << -1;
        QTest::newRow("arabe digits, backspace") << false << keys("6789\b") << "678" << 0;
        QTest::newRow("arabe refused") << false << keys("4aX- 2") << "42" << 4;
        QTest::newRow("arabe control keys") << false << keys("11", controls) << "11" << 5;
        QTest::newRow("arabe keys without character") << false << keys("123", editing) << "2" << 0;
        QTest::newRow("arabe enter on empty box") << false << keys("", {Qt::Key_Return}) << "" << 1;
        QTest::newRow("arabe shift enter")
            << false << keys("10", {Qt::ShiftModifier | Qt::Key_Return}) << "10" << 1;
    }

    // Every key goes through the filter: refused characters beep and leave the box as it was
    // (no paste, no cut, no closing, nothing marked); keys without a character pass silently.
    // Enter on an empty box, and Shift+Enter in the Arabic window, only beep.
    void typing() {
        QFETCH(bool, roman);
        QFETCH(QTestEventList, events);
        QFETCH(QString, shownText);
        QFETCH(int, beeps);
        Drill d = open(roman);
        QGuiApplication::clipboard()->setText(pick(roman, "MM", "99"));
        events.simulate(d.edit);
        QCOMPARE(d.edit->text(), shownText);
        if (beeps >= 0)
            QCOMPARE(beeper.count, beeps);
        QCOMPARE(d.valider->isEnabled(), !shownText.isEmpty());
        QVERIFY(!d.continuer->isEnabled());
        QVERIFY(d.verdict->text().isEmpty());
        QCOMPARE(focused(d), d.edit);
        QVERIFY(d.window->isVisible());
        QCOMPARE(Etat_Global.Question_Rom + Etat_Global.Question_Arab, 2);
    }

    void pasteFromMenu_data() {
        QTest::addColumn<bool>("roman");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("shownText");
        QTest::newRow("romain") << true << QString("ab1").repeated(10)
                                << QString("AB1").repeated(7).left(20);
        QTest::newRow("arabe") << false << "ab12345678"
                               << "ab1234";
    }

    // Pasting (the context menu's command) bypasses the filter but not the length limit. The
    // menu lists no keys for its commands: the filter refuses them.
    void pasteFromMenu() {
        QFETCH(bool, roman);
        QFETCH(QString, pasted);
        QFETCH(QString, shownText);
        Drill d = open(roman);
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                                d.edit->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(d.edit, &click);
        QTRY_VERIFY(QApplication::activePopupWidget());
        const auto commands = QApplication::activePopupWidget()->actions();
        QVERIFY(commands.size() >= 5);
        for (const QAction *command : commands)
            QVERIFY2(!command->text().contains(QLatin1Char('\t')) && command->shortcut().isEmpty(),
                     qPrintable(command->text()));
        QApplication::activePopupWidget()->close();
        QGuiApplication::clipboard()->setText(pasted);
        d.edit->paste();
        QCOMPARE(d.edit->text(), shownText);
        QVERIFY(d.valider->isEnabled());
        QCOMPARE(beeper.count, 0);
    }

    void passing_data() {
        QTest::addColumn<int>("modifiers");
        QTest::newRow("shift enter") << int(Qt::ShiftModifier);
        QTest::newRow("ctrl enter") << int(Qt::ControlModifier);
    }

    // Shift+Enter on a typed answer in the Roman window passes the question unmarked (Passed
    // state) with the beep, counting nothing; C alone then asks a new number under the same
    // question number.
    void passing() {
        QFETCH(int, modifiers);
        Drill d = open(true);
        type(d, QStringLiteral("X"));
        press(d, Qt::Key_Return, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(beeper.count, 1);
        QCOMPARE(Etat_Global.Question_Rom, 1);
        QVERIFY(d.verdict->text().isEmpty());
        QVERIFY(!d.valider->isEnabled());
        QVERIFY(d.continuer->isEnabled());
        QCOMPARE(focused(d), d.continuer);
        chance.values = {6};
        press(d, Qt::Key_C);
        QCOMPARE(d.number->text(), QStringLiteral("Exercice n° : 1"));
        QCOMPARE(d.shown->text(), QStringLiteral("7"));
        checkAsked(d);
    }

    void marking_data() {
        QTest::addColumn<bool>("roman");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("correction");
        QTest::addColumn<QTestEventList>("fix");
        QTest::newRow("romain x l i i for 42") << true << "xlii"
                                               << "" << QTestEventList();
        QTest::newRow("romain wrong") << true << "XLIII"
                                      << "C'est : XLII" << keys("\b");
        QTest::newRow("arabe right") << false << "42"
                                     << "" << QTestEventList();
        QTest::newRow("arabe leading zero")
            << false << "042"
            << "C'est : 42" << keys("", {Qt::Key_Home, Qt::Key_Delete});
    }

    // 42 is asked; Enter validates; Marked state with the verdict, its color and the first
    // score of the run. Editing a wrong answer enables "&Valider" again; a new validation
    // counts a further answer, and the first correction stays beside the new "EXACT".
    void marking() {
        QFETCH(bool, roman);
        QFETCH(QString, answer);
        QFETCH(QString, correction);
        QFETCH(QTestEventList, fix);
        const bool right = correction.isEmpty();
        chance.values = {41};
        Drill d = open(roman);
        QCOMPARE(d.shown->text(), pick(roman, "42", "XLII"));
        type(d, answer);
        press(d, Qt::Key_Return);

        QCOMPARE(d.verdict->text(), right ? QStringLiteral("EXACT") : QStringLiteral("Faux"));
        QCOMPARE(d.verdict->palette().color(QPalette::WindowText),
                 right ? QColor(0x00, 0x80, 0x00) : QColor(0xFF, 0x00, 0x00));
        QCOMPARE(d.correction->text(), correction);
        QCOMPARE(d.score->caption(), right ? QStringLiteral("1/1") : QStringLiteral("0/1"));
        QCOMPARE(d.gauge->progress(), right ? 100 : 0);
        QVERIFY(!d.valider->isEnabled());
        QVERIFY(d.continuer->isEnabled());
        QCOMPARE(focused(d), d.continuer);
        QCOMPARE(beeper.count, 0);
        QVERIFY(!d.edit->text().isEmpty());
        if (right)
            return;

        d.edit->setFocus();
        fix.simulate(d.edit);
        QVERIFY(d.valider->isEnabled());
        press(d, Qt::Key_V, Qt::AltModifier);
        QCOMPARE(d.verdict->text(), QStringLiteral("EXACT"));
        QCOMPARE(d.correction->text(), correction);
        QCOMPARE(d.score->caption(), QStringLiteral("1/2"));
        QCOMPARE(d.gauge->progress(), 50);
        QCOMPARE(roman ? Etat_Global.Question_Rom : Etat_Global.Question_Arab, 3);
    }

    void openingAndContinuing_data() { bothWindows(); }

    // A first opening is in the Asked state with no score; Tab runs through the box and the
    // enabled buttons in the design's order, nothing else taking the focus. "&Continuer"
    // (Enter on the focused button) asks the next question from a clean Asked state and shifts
    // the level-I history. The generator is reseeded on opening, then on validating in the
    // Arabic window and on continuing in the Roman one.
    void openingAndContinuing() {
        QFETCH(bool, roman);
        Etat_Global.Niveau_I = true;
        chance.values = {4};
        Drill d = open(roman);
        QCOMPARE(d.number->text(), QStringLiteral("Exercice n° : 1"));
        QCOMPARE(d.level->text(), QStringLiteral("Niveau I"));
        QCOMPARE(d.score->caption(), QString());
        QCOMPARE(d.gauge->progress(), 0);
        checkAsked(d);
        QCOMPARE(chance.reseeds, 1);

        type(d, pick(roman, "X", "1"));
        QStringList tabbed;
        for (int i = 0; i < 3; ++i) {
            press(d, Qt::Key_Tab);
            tabbed << focused(d)->objectName();
        }
        QCOMPARE(tabbed, (QStringList{"Button1", "Button2", "Edit1"}));
        QCOMPARE(beeper.count, 0);

        press(d, Qt::Key_Return);
        QVERIFY(!d.correction->text().isEmpty());
        QCOMPARE(chance.reseeds, roman ? 1 : 2);
        press(d, Qt::Key_Return);
        QCOMPARE(chance.reseeds, 2);
        QCOMPARE(d.number->text(), QStringLiteral("Exercice n° : 2"));
        QCOMPARE(d.level->text(), QStringLiteral("Niveau I"));
        QCOMPARE(d.score->caption(), QStringLiteral("0/1"));
        checkAsked(d);
        const auto &history = roman ? Etat_Global.Anciens_Rom : Etat_Global.Anciens_Arab;
        QCOMPARE(int(history[0]), 5);
        // Undo, from the box's menu, cannot bring back the answer "&Continuer" took away.
        QVERIFY(!d.edit->isUndoAvailable());
        d.edit->undo();
        checkAsked(d);
    }

    void longestTextsFit_data() { bothWindows(); }

    // Every number's text fits its label whole: the correction in the Roman window ("C'est : "
    // and up to 15 letters, for 3888), the numeral asked in the Arabic one.
    void longestTextsFit() {
        QFETCH(bool, roman);
        Drill d = makeDrill(roman);
        QLabel *label = roman ? d.correction : d.shown;
        const QFontMetrics metrics(label->font());
        QStringList cut;
        for (int n = 1; n <= 3999; ++n) {
            const std::string numeral = Convertit_Romain(std::to_string(n));
            QString text = QString::fromStdString(numeral);
            if (roman) {
                Etat_Global.Attendu_Rom = numeral;
                text = QString::fromStdString(Juge_Reponse(Sens_Romain, "Z").Texte_Correction);
            }
            if (metrics.horizontalAdvance(text) > label->contentsRect().width())
                cut << QString::number(n);
        }
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char(' '))));
    }

    void reopening_data() {
        QTest::addColumn<bool>("roman");
        QTest::addColumn<bool>("validated");
        QTest::newRow("romain validated") << true << true;
        QTest::newRow("romain abandoned") << true << false;
        QTest::newRow("arabe validated") << false << true;
        QTest::newRow("arabe abandoned") << false << false;
    }

    // Closing and reopening keeps numbering and score; a level-I question left by closing,
    // validated or not, does not enter the history, so the same number may come at once.
    void reopening() {
        QFETCH(bool, roman);
        QFETCH(bool, validated);
        Etat_Global.Niveau_I = true;
        // Roman: index 2 of the level-I table, 5; Arabic: 5 itself. Then the verdict digit
        // when validated, then the same draw again.
        const int draw = roman ? 1 : 4;
        chance.values = validated ? std::deque<int>{draw, 0, draw} : std::deque<int>{draw, draw};
        const QString shown = pick(roman, "5", "V");
        {
            Drill d = open(roman);
            QCOMPARE(d.shown->text(), shown);
            type(d, pick(roman, "V", "5"));
            if (validated)
                press(d, Qt::Key_Return);
            // Q alone on the focused "&Continuer", Alt+Q from the box.
            press(d, Qt::Key_Q, validated ? Qt::NoModifier : Qt::AltModifier);
            QVERIFY(!d.window->isVisible());
            QCOMPARE(d.window->result(), int(QDialog::Rejected));
        }
        const auto &history = roman ? Etat_Global.Anciens_Rom : Etat_Global.Anciens_Arab;
        QCOMPARE(int(history[0]), 0);
        Drill again = open(roman);
        QCOMPARE(again.number->text(),
                 validated ? QStringLiteral("Exercice n° : 2") : QStringLiteral("Exercice n° : 1"));
        QCOMPARE(again.score->caption(), validated ? QStringLiteral("1/1") : QString());
        QCOMPARE(again.gauge->progress(), validated ? 100 : 0);
        QCOMPARE(again.shown->text(), shown);
    }

    // The design of both windows, once open: captions, texts, fonts, colors, tooltips. A
    // property is a control's own (Q_PROPERTY) or one of: "caption" (the window's), "fg" and
    // "bg" (the colors a label paints with; "bg" only where it paints its ground), "font"
    // ("family pixels [bold]").
    void designValues_data() {
        QTest::addColumn<bool>("roman");
        QTest::addColumn<QString>("control"); // empty: the window
        QTest::addColumn<QString>("property");
        QTest::addColumn<QString>("expected");
        const struct {
            bool roman;
            const char *control, *property, *expected;
        } rows[] = {
            {true, "", "caption", "Convertir en chiffres romains :"},
            {true, "", "font", "Arial 13"},
            {true, "Label3", "text", "Taper votre réponse puis valider"},
            {true, "Label2", "font", "Arial 19"},
            {true, "Label2", "fg", "#000000"},
            {true, "Label2", "bg", "#ffffff"},
            {true, "Label1", "font", "MS Serif 24 bold"},
            {true, "Label4", "font", "Arial 13 bold"},
            {true, "Label4", "fg", "#000080"},
            {true, "Label6", "font", "Arial 13 bold"},
            {true, "Label6", "fg", "#000000"},
            {true, "Button3", "font", "Arial 13 bold"},
            {true, "Button3", "text", "&Continuer"},
            {true, "Button2", "toolTip", "Revenir au menu"},
            {true, "Gauge1", "foreColor", "#ff0000"},
            {true, "Gauge1", "backColor", "#ffffff"},
            {true, "Shape1", "penColor", "#ff00ff"},
            {true, "Shape1", "brushColor", "#ffeaea"},
            {true, "Shape1", "penWidth", "5"},
            {true, "Panel2", "color", "#008080"},
            {true, "Panel2", "fontColor", "#ffffff"},
            {false, "", "caption", "Convertir en chiffres arabes  :"},
            {false, "", "font", "Arial 13"},
            {false, "Label3", "text", "Taper votre réponse puis valider"},
            {false, "Label2", "font", "Arial 19"},
            {false, "Label2", "bg", "#ffffff"},
            {false, "Label1", "font", "MS Serif 24 bold"},
            {false, "Label5", "font", "Arial 13 bold"},
            {false, "Label5", "fg", "#ffffff"},
            {false, "Label5", "bg", "#bf00bf"},
            {false, "Label6", "font", "Arial 13 bold"},
            {false, "Button3", "font", "Arial 13"},
            {false, "Button2", "toolTip", "Revenir au menu"},
            {false, "Gauge1", "foreColor", "#00ff00"},
            {false, "Gauge1", "backColor", "#ffffff"},
            {false, "Gauge1", "font", "Arial 11"},
            {false, "Shape1", "penColor", "#800080"},
            {false, "Shape1", "brushColor", "#eaeaff"},
            {false, "Panel2", "color", "#008080"},
            {false, "Panel2", "fontColor", "#ffffff"},
        };
        for (const auto &row : rows)
            QTest::addRow("%s %s %s", row.roman ? "romain" : "arabe",
                          *row.control ? row.control : "window", row.property)
                << row.roman << QString::fromUtf8(row.control) << QString::fromUtf8(row.property)
                << QString::fromUtf8(row.expected);
    }

    void designValues() {
        QFETCH(bool, roman);
        QFETCH(QString, control);
        QFETCH(QString, property);
        QFETCH(QString, expected);
        Drill d = open(roman);
        QWidget *widget =
            control.isEmpty() ? d.window.get() : d.window->findChild<QWidget *>(control);
        QVERIFY(widget);
        QString actual;
        if (property == QLatin1String("caption")) {
            actual = widget->windowTitle();
        } else if (property == QLatin1String("font")) {
            const QFont font = widget->font();
            actual = QStringLiteral("%1 %2").arg(font.family()).arg(font.pixelSize());
            if (font.bold())
                actual += QStringLiteral(" bold");
        } else if (property == QLatin1String("fg")) {
            actual = widget->palette().color(widget->foregroundRole()).name();
        } else if (property == QLatin1String("bg")) {
            QVERIFY2(widget->autoFillBackground(), "the label does not paint its ground");
            actual = widget->palette().color(widget->backgroundRole()).name();
        } else {
            const QVariant value = widget->property(property.toLatin1().constData());
            QVERIFY2(value.isValid(), "no such property");
            actual = value.typeId() == QMetaType::QColor ? value.value<QColor>().name()
                                                         : value.toString();
        }
        QCOMPARE(actual, expected);
    }

    void lowColors_data() {
        QTest::addColumn<bool>("roman");
        QTest::addColumn<bool>("rich");
        QTest::addColumn<QRgb>("window");
        QTest::addColumn<QRgb>("shape");
        QTest::newRow("romain rich") << true << true << 0xFFE1F0FFu << 0xFFFFEAEAu;
        QTest::newRow("romain low") << true << false << 0xFF00FFFFu << 0xFFFFFF00u;
        QTest::newRow("arabe rich") << false << true << 0xFFFFEBD7u << 0xFFEAEAFFu;
        QTest::newRow("arabe low") << false << false << 0xFFFFFF00u << 0xFF00FFFFu;
    }

    // The colors on screen, read from a grab: the window's ground in a corner and beside the
    // number, and inside the verdict shape.
    void lowColors() {
        QFETCH(bool, roman);
        QFETCH(bool, rich);
        QFETCH(QRgb, window);
        QFETCH(QRgb, shape);
        Etat_Global.Couleurs_Riches = rich;
        Drill d = open(roman);
        const QImage image = d.window->grab().toImage();
        QCOMPARE(image.pixel(4, 4), window);
        QCOMPARE(image.pixel(d.shape->geometry().center() + QPoint(0, 30)), shape);
        QCOMPARE(image.pixel(d.number->geometry().topLeft() + QPoint(1, 1)), window);
    }

    void sound_data() {
        QTest::addColumn<bool>("roman");
        QTest::addColumn<bool>("on");
        QTest::addColumn<QByteArray>("cue"); // the content of every cue file; empty: no files
        QTest::addColumn<bool>("right");
        QTest::addColumn<int>("error");
        const QByteArray wave = waveFile();
        const int none = int(SoundError::None), notWave = int(SoundError::NotWave);
        for (const bool roman : {true, false}) {
            const char *w = roman ? "romain" : "arabe";
            QTest::addRow("%s right", w) << roman << true << wave << true << none;
            QTest::addRow("%s wrong", w) << roman << true << wave << false << none;
            QTest::addRow("%s sound off", w) << roman << false << QByteArray() << true << none;
            QTest::addRow("%s missing", w)
                << roman << true << QByteArray() << true << int(SoundError::FileNotFound);
            QTest::addRow("%s truncated", w)
                << roman << true << wave.left(30) << false << int(SoundError::UnsupportedFormat);
            QTest::addRow("%s not a wave", w)
                << roman << true << QByteArray("Ceci n'est pas un son.") << true << notWave;
        }
    }

    // With sound on: the question cue after each set-up, exactly one verdict cue after each
    // validation, each cue cutting the one before, and none left sounding by a closed window.
    // A cue that cannot be opened gives the error box each time, and the window goes on:
    // marking, score and "&Continuer" still work. With sound off no cue is opened, so missing
    // files have no effect.
    void sound() {
        QFETCH(bool, roman);
        QFETCH(bool, on);
        QFETCH(QByteArray, cue);
        QFETCH(bool, right);
        QFETCH(int, error);
        Etat_Global.Son_Actif = on;
        for (const QString &name : allCues()) {
            if (cue.isEmpty())
                QFile::remove(cueDir.filePath(name));
            else
                writeCue(name, cue);
        }
        const bool heard = on && error == int(SoundError::None);
        const QString verdictCue =
            right ? QStringLiteral("TAVORJ3.WAV") : QStringLiteral("TAVORF3.WAV");
        const QStringList cues =
            heard ? QStringList{"TAVORD.WAV", verdictCue, "TAVORD.WAV"} : QStringList();
        const int boxes = on && !heard ? 1 : 0;
        chance.values = {0, 3};
        Drill d = open(roman);
        QCOMPARE(FakeAudioOutput::played(), cues.mid(0, 1));
        QCOMPARE(answering->shown.size(), boxes);
        QVERIFY(d.window->isVisible());

        type(d, right ? pick(roman, "I", "1") : pick(roman, "II", "2"));
        press(d, Qt::Key_Return);
        QCOMPARE(FakeAudioOutput::played(), cues.mid(0, 2));
        QCOMPARE(FakeAudioOutput::stopped(), cues.mid(0, 1));
        QCOMPARE(answering->shown.size(), 2 * boxes);
        QCOMPARE(d.verdict->text(), right ? QStringLiteral("EXACT") : QStringLiteral("Faux"));
        QCOMPARE(d.score->caption(), right ? QStringLiteral("1/1") : QStringLiteral("0/1"));
        QCOMPARE(focused(d), d.continuer);

        press(d, Qt::Key_Return);
        QCOMPARE(FakeAudioOutput::played(), cues);
        QCOMPARE(answering->shown.size(), 3 * boxes);
        QCOMPARE(d.number->text(), QStringLiteral("Exercice n° : 2"));
        checkAsked(d);
        for (const MessageBox::Request &box : answering->shown) {
            QCOMPARE(box.title, application.title().text());
            QCOMPARE(box.text, tavorim::errorBoxText(SoundError(error)));
            QCOMPARE(box.icon, MessageBox::Error);
            QCOMPARE(box.buttons, int(MessageBox::Ok));
        }
        d.window.reset();
        QCOMPARE(FakeAudioOutput::sounding(), QString());
    }
};

QTEST_MAIN(TestDrillWindows)
#include "tst_drillwindows.moc"

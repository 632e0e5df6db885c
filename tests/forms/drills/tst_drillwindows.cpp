#include "Application.h"
#include "Arab1.h"
#include "Beeper.h"
#include "BevelPanel.h"
#include "FakeAudioOutput.h"
#include "Gauge.h"
#include "Globals.h"
#include "MessageBox.h"
#include "Romain1.h"
#include "Shape.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <memory>

using tavorim::Beeper;
using tavorim::FakeAudioOutput;
using tavorim::MessageBox;
using tavorim::SoundError;
using tavorim::SoundPlayer;

namespace {

// Chance under the test's control: queued values first, then 0; reseeds are counted.
class ScriptedChance : public RandomSource {
public:
    std::deque<int> values;
    int reseeds = 0;
    int next(int n) override {
        if (values.empty())
            return 0;
        const int value = values.front();
        values.pop_front();
        return value % n;
    }
    void reseed() override { ++reseeds; }
};

// One drill window seen through the roles both windows share.
struct Drill {
    std::unique_ptr<DrillWindow> window;
    QLineEdit *edit;
    QPushButton *valider, *quitter, *continuer;
    QLabel *shown, *number, *level, *verdict, *correction;
    tavorim::Gauge *gauge;
    tavorim::BevelPanel *score;
    tavorim::Shape *shape;
};

template <typename T> T *child(QWidget *window, const char *name) {
    T *found = window->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// The label roles differ between the windows: the level is Label4 in the Roman window and
// Label5 in the Arabic one, the correction the other way round.
Drill makeDrill(bool roman) {
    std::unique_ptr<DrillWindow> window;
    if (roman)
        window = std::make_unique<Tromaform>();
    else
        window = std::make_unique<Tarabform>();
    QWidget *w = window.get();
    const char *level = roman ? "Label4" : "Label5";
    const char *correction = roman ? "Label5" : "Label4";
    return {std::move(window),
            child<QLineEdit>(w, "Edit1"),
            child<QPushButton>(w, "Button1"),
            child<QPushButton>(w, "Button2"),
            child<QPushButton>(w, "Button3"),
            child<QLabel>(w, "Label2"),
            child<QLabel>(w, "Label6"),
            child<QLabel>(w, level),
            child<QLabel>(w, "Label1"),
            child<QLabel>(w, correction),
            child<tavorim::Gauge>(w, "Gauge1"),
            child<tavorim::BevelPanel>(w, "Panel2"),
            child<tavorim::Shape>(w, "Shape1")};
}

QWidget *focused(const Drill &d) {
    return d.window->focusWidget();
}

void type(const Drill &d, const QString &keys) {
    for (const QChar key : keys)
        QTest::keyClick(focused(d), key.toLatin1());
}

void press(const Drill &d, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(focused(d), key, modifiers);
}

// A valid 16-bit mono wave file of a few samples.
QByteArray waveFile() {
    QByteArray data(200, '\0');
    QByteArray file;
    auto u32 = [&file](quint32 v) {
        for (int i = 0; i < 4; ++i)
            file.append(char((v >> (8 * i)) & 0xFF));
    };
    auto u16 = [&file](quint16 v) {
        file.append(char(v & 0xFF));
        file.append(char(v >> 8));
    };
    file.append("RIFF");
    u32(quint32(36 + data.size()));
    file.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(22050);
    u32(44100);
    u16(2);
    u16(16);
    file.append("data");
    u32(quint32(data.size()));
    file.append(data);
    return file;
}

QStringList allCues() {
    QStringList names{QStringLiteral("TAVORD.WAV")};
    for (int digit = 0; digit < 8; ++digit) {
        names << QStringLiteral("TAVORJ%1.WAV").arg(digit);
        names << QStringLiteral("TAVORF%1.WAV").arg(digit);
    }
    return names;
}

} // namespace

class TestDrillWindows : public QObject {
    Q_OBJECT

private:
    ScriptedChance chance;
    QTemporaryDir cueDir;
    QString previousDir;

    // Opens a window as the main window would, and waits for its activation.
    Drill open(bool roman) {
        Drill d = makeDrill(roman);
        d.window->show();
        if (!QTest::qWaitForWindowActive(d.window.get()))
            qWarning("window not active");
        // The activation runs just after the window came up, from the event loop.
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
        setRandomSourceForTests(nullptr);
    }

    void init() {
        Etat_Global = T_Etat_Global{};
        chance = ScriptedChance{};
        setRandomSourceForTests(&chance);
        Beeper::resetCountForTests();
        MessageBox::clearShown();
        MessageBox::setAutoAnswer(MessageBox::Ok);
        FakeAudioOutput::install();
        for (const QString &name : allCues())
            writeCue(name, waveFile());
    }

    void cleanup() {
        FakeAudioOutput::uninstall();
        MessageBox::setAutoAnswer(MessageBox::NoButton);
    }

    void firstOpening_data() {
        QTest::addColumn<bool>("roman");
        QTest::newRow("romain") << true;
        QTest::newRow("arabe") << false;
    }

    // Asked state of a first opening: number 1, no score, gauge at 0, "&Continuer" disabled
    // (the Arabic design enables it), the focus in the box.
    void firstOpening() {
        QFETCH(bool, roman);
        Drill d = open(roman);
        QCOMPARE(d.number->text(), QStringLiteral("Exercice n° : 1"));
        QCOMPARE(d.level->text(), QStringLiteral("Niveau III"));
        QCOMPARE(d.shown->text(), roman ? QStringLiteral("1") : QStringLiteral("I"));
        QCOMPARE(d.score->caption(), QString());
        QCOMPARE(d.gauge->progress(), 0);
        QVERIFY(!d.valider->isEnabled());
        QVERIFY(!d.continuer->isEnabled());
        QCOMPARE(focused(d), d.edit);
        QVERIFY(d.verdict->text().isEmpty());
    }

    void keyFilter_data() {
        QTest::addColumn<bool>("roman");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shownText");
        QTest::addColumn<int>("beeps");
        QTest::newRow("romain lower case in capitals") << true << "xlii"
                                                       << "XLII" << 0;
        QTest::newRow("romain every letter") << true << "CDILMVXcdilmvx"
                                             << "CDILMVXCDILMVX" << 0;
        QTest::newRow("romain digit") << true << "X5"
                                      << "X" << 1;
        QTest::newRow("romain space") << true << "X I"
                                      << "XI" << 1;
        QTest::newRow("romain other letters") << true << "aAbZ"
                                              << "" << 4;
        QTest::newRow("romain backspace") << true << "XI\b"
                                          << "X" << 0;
        QTest::newRow("romain 21st character") << true << "MMMMMMMMMMMMMMMMMMMMM"
                                               << "MMMMMMMMMMMMMMMMMMMM" << -1;
        QTest::newRow("arabe digits") << false << "0123456789"
                                      << "012345" << -1;
        QTest::newRow("arabe letter") << false << "4a2"
                                      << "42" << 1;
        QTest::newRow("arabe roman letter") << false << "X"
                                            << "" << 1;
        QTest::newRow("arabe space and minus") << false << "- 7"
                                               << "7" << 2;
        QTest::newRow("arabe backspace") << false << "42\b"
                                         << "4" << 0;
        QTest::newRow("arabe 7th digit") << false << "1234567"
                                         << "123456" << -1;
    }

    // Typed characters go through the filter: refused ones beep and leave the box as it was.
    void keyFilter() {
        QFETCH(bool, roman);
        QFETCH(QString, keys);
        QFETCH(QString, shownText);
        QFETCH(int, beeps);
        Drill d = open(roman);
        type(d, keys);
        QCOMPARE(d.edit->text(), shownText);
        if (beeps >= 0)
            QCOMPARE(Beeper::countForTests(), beeps);
        QCOMPARE(d.valider->isEnabled(), !shownText.isEmpty());
    }

    void refusedKeys_data() {
        QTest::addColumn<bool>("roman");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        for (const bool roman : {true, false}) {
            const char *window = roman ? "romain" : "arabe";
            QTest::addRow("%s ctrl+v", window)
                << roman << int(Qt::Key_V) << int(Qt::ControlModifier);
            QTest::addRow("%s ctrl+c", window)
                << roman << int(Qt::Key_C) << int(Qt::ControlModifier);
            QTest::addRow("%s ctrl+x", window)
                << roman << int(Qt::Key_X) << int(Qt::ControlModifier);
            QTest::addRow("%s ctrl+a", window)
                << roman << int(Qt::Key_A) << int(Qt::ControlModifier);
            QTest::addRow("%s escape", window) << roman << int(Qt::Key_Escape) << 0;
        }
    }

    // Control characters never reach the box: no paste, no cut, no closing; one beep each.
    void refusedKeys() {
        QFETCH(bool, roman);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        Drill d = open(roman);
        const QString start = roman ? QStringLiteral("XI") : QStringLiteral("11");
        type(d, start);
        QGuiApplication::clipboard()->setText(roman ? QStringLiteral("MM") : QStringLiteral("99"));
        d.edit->selectAll();
        Beeper::resetCountForTests();
        press(d, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(d.edit->text(), start);
        QCOMPARE(Beeper::countForTests(), 1);
        QVERIFY(d.window->isVisible());
        QCOMPARE(Etat_Global.Question_Rom + Etat_Global.Question_Arab, 2);
    }

    void keysWithoutCharacter_data() {
        QTest::addColumn<bool>("roman");
        QTest::newRow("romain") << true;
        QTest::newRow("arabe") << false;
    }

    // Arrows, Home, End and Delete edit the box without a beep.
    void keysWithoutCharacter() {
        QFETCH(bool, roman);
        Drill d = open(roman);
        type(d, roman ? QStringLiteral("XVI") : QStringLiteral("123"));
        press(d, Qt::Key_Home);
        press(d, Qt::Key_Delete);
        press(d, Qt::Key_End);
        press(d, Qt::Key_Left);
        press(d, Qt::Key_Delete);
        QCOMPARE(d.edit->text(), roman ? QStringLiteral("V") : QStringLiteral("2"));
        QCOMPARE(Beeper::countForTests(), 0);
    }

    void pasteFromMenu_data() {
        QTest::addColumn<bool>("roman");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("shownText");
        QTest::newRow("romain too long")
            << true << QString(30, QLatin1Char('x')) << QString(20, QLatin1Char('X'));
        QTest::newRow("romain any text") << true << "ab1"
                                         << "AB1";
        QTest::newRow("arabe too long") << false << "123456789"
                                        << "123456";
        QTest::newRow("arabe any text") << false << "ab"
                                        << "ab";
    }

    // Pasting (the context menu's command) bypasses the filter but not the length limit.
    void pasteFromMenu() {
        QFETCH(bool, roman);
        QFETCH(QString, pasted);
        QFETCH(QString, shownText);
        Drill d = open(roman);
        QGuiApplication::clipboard()->setText(pasted);
        d.edit->paste();
        QCOMPARE(d.edit->text(), shownText);
        QVERIFY(d.valider->isEnabled());
        QCOMPARE(Beeper::countForTests(), 0);
    }

    void emptyEnter_data() {
        QTest::addColumn<bool>("roman");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("romain enter") << true << 0;
        QTest::newRow("romain shift enter") << true << int(Qt::ShiftModifier);
        QTest::newRow("arabe enter") << false << 0;
        QTest::newRow("arabe ctrl enter") << false << int(Qt::ControlModifier);
    }

    // Enter on an empty box beeps and changes nothing.
    void emptyEnter() {
        QFETCH(bool, roman);
        QFETCH(int, modifiers);
        Drill d = open(roman);
        press(d, Qt::Key_Return, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(Beeper::countForTests(), 1);
        QCOMPARE(Etat_Global.Question_Rom, 1);
        QCOMPARE(Etat_Global.Question_Arab, 1);
        QVERIFY(!d.valider->isEnabled());
        QVERIFY(!d.continuer->isEnabled());
        QCOMPARE(focused(d), d.edit);
        QVERIFY(d.verdict->text().isEmpty());
    }

    void shiftEnter_data() {
        QTest::addColumn<bool>("roman");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("romain shift") << true << int(Qt::ShiftModifier);
        QTest::newRow("romain ctrl") << true << int(Qt::ControlModifier);
        QTest::newRow("arabe shift") << false << int(Qt::ShiftModifier);
    }

    // Shift+Enter in a non-empty box: the Roman window passes the question unmarked (Passed
    // state), the Arabic one only beeps. Nothing is counted in either.
    void shiftEnter() {
        QFETCH(bool, roman);
        QFETCH(int, modifiers);
        Drill d = open(roman);
        type(d, roman ? QStringLiteral("X") : QStringLiteral("10"));
        press(d, Qt::Key_Return, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(Beeper::countForTests(), 1);
        QCOMPARE(Etat_Global.Question_Rom, 1);
        QCOMPARE(Etat_Global.Question_Arab, 1);
        QVERIFY(d.verdict->text().isEmpty());
        if (!roman) {
            QVERIFY(d.valider->isEnabled());
            QVERIFY(!d.continuer->isEnabled());
            QCOMPARE(focused(d), d.edit);
            return;
        }
        QVERIFY(!d.valider->isEnabled());
        QVERIFY(d.continuer->isEnabled());
        QCOMPARE(focused(d), d.continuer);
        // The C key alone goes on: a new number under the same question number.
        chance.values = {6};
        press(d, Qt::Key_C);
        QCOMPARE(d.number->text(), QStringLiteral("Exercice n° : 1"));
        QCOMPARE(d.shown->text(), QStringLiteral("7"));
        QVERIFY(d.edit->text().isEmpty());
        QCOMPARE(focused(d), d.edit);
    }

    void marking_data() {
        QTest::addColumn<bool>("roman");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("right");
        QTest::addColumn<QString>("correction");
        QTest::newRow("romain x l i i for 42") << true << "xlii" << true << "";
        QTest::newRow("romain wrong") << true << "XLIII" << false << "C'est : XLII";
        QTest::newRow("arabe right") << false << "42" << true << "";
        QTest::newRow("arabe leading zero") << false << "042" << false << "C'est : 42";
    }

    // 42 is asked; Enter validates; Marked state with the verdict, its colour and the first
    // score of the run.
    void marking() {
        QFETCH(bool, roman);
        QFETCH(QString, answer);
        QFETCH(bool, right);
        QFETCH(QString, correction);
        chance.values = {41};
        Drill d = open(roman);
        QCOMPARE(d.shown->text(), roman ? QStringLiteral("42") : QStringLiteral("XLII"));
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
        QCOMPARE(Beeper::countForTests(), 0);
        QVERIFY(!d.edit->text().isEmpty());
    }

    void revalidation_data() {
        QTest::addColumn<bool>("roman");
        QTest::newRow("romain") << true;
        QTest::newRow("arabe") << false;
    }

    // Editing a marked answer enables "&Valider" again; a new validation counts a further
    // answer, and the first correction stays beside the new "EXACT".
    void revalidation() {
        QFETCH(bool, roman);
        chance.values = {41};
        Drill d = open(roman);
        type(d, roman ? QStringLiteral("XLIII") : QStringLiteral("43"));
        press(d, Qt::Key_Return);
        QCOMPARE(d.verdict->text(), QStringLiteral("Faux"));
        d.edit->setFocus();
        press(d, Qt::Key_Backspace);
        QVERIFY(d.valider->isEnabled());
        if (!roman)
            type(d, QStringLiteral("2"));
        press(d, Qt::Key_V, Qt::AltModifier);
        QCOMPARE(d.verdict->text(), QStringLiteral("EXACT"));
        QCOMPARE(d.correction->text(),
                 roman ? QStringLiteral("C'est : XLII") : QStringLiteral("C'est : 42"));
        QCOMPARE(d.score->caption(), QStringLiteral("1/2"));
        QCOMPARE(d.gauge->progress(), 50);
        QCOMPARE(roman ? Etat_Global.Question_Rom : Etat_Global.Question_Arab, 3);
    }

    void continueClears_data() {
        QTest::addColumn<bool>("roman");
        QTest::newRow("romain") << true;
        QTest::newRow("arabe") << false;
    }

    // "&Continuer" (Enter on the focused button) asks the next question from a clean Asked
    // state and shifts the level-I history.
    void continueClears() {
        QFETCH(bool, roman);
        Etat_Global.Niveau_I = true;
        chance.values = {4};
        Drill d = open(roman);
        type(d, roman ? QStringLiteral("X") : QStringLiteral("1"));
        press(d, Qt::Key_Return);
        QVERIFY(!d.correction->text().isEmpty());
        press(d, Qt::Key_Return);
        QCOMPARE(d.number->text(), QStringLiteral("Exercice n° : 2"));
        QCOMPARE(d.level->text(), QStringLiteral("Niveau I"));
        QVERIFY(d.edit->text().isEmpty());
        QVERIFY(d.verdict->text().isEmpty());
        QVERIFY(d.correction->text().isEmpty());
        QVERIFY(!d.valider->isEnabled());
        QVERIFY(!d.continuer->isEnabled());
        QCOMPARE(focused(d), d.edit);
        QCOMPARE(d.score->caption(), QStringLiteral("0/1"));
        const auto &history = roman ? Etat_Global.Anciens_Rom : Etat_Global.Anciens_Arab;
        QCOMPARE(int(history[0]), 5);
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
        const QString shown = roman ? QStringLiteral("5") : QStringLiteral("V");
        {
            Drill d = open(roman);
            QCOMPARE(d.shown->text(), shown);
            type(d, roman ? QStringLiteral("V") : QStringLiteral("5"));
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

    void tabOrder_data() {
        QTest::addColumn<bool>("roman");
        QTest::addColumn<bool>("typed");
        QTest::addColumn<QStringList>("chain");
        QTest::newRow("romain typing")
            << true << true << QStringList{"Button1", "Button2", "Edit1"};
        QTest::newRow("romain asked") << true << false << QStringList{"Button2", "Edit1"};
        QTest::newRow("arabe typing")
            << false << true << QStringList{"Button1", "Button2", "Edit1"};
        QTest::newRow("arabe asked") << false << false << QStringList{"Button2", "Edit1"};
    }

    // Tab runs through the box and the buttons in the design's order, skipping disabled
    // buttons; nothing else takes the focus.
    void tabOrder() {
        QFETCH(bool, roman);
        QFETCH(bool, typed);
        QFETCH(QStringList, chain);
        Drill d = open(roman);
        if (typed)
            type(d, roman ? QStringLiteral("X") : QStringLiteral("1"));
        QStringList seen;
        for (qsizetype i = 0; i < chain.size(); ++i) {
            press(d, Qt::Key_Tab);
            seen << focused(d)->objectName();
        }
        QCOMPARE(seen, chain);
        QCOMPARE(Beeper::countForTests(), 0);
    }

    void reseeding_data() {
        QTest::addColumn<bool>("roman");
        QTest::addColumn<int>("onValidate");
        QTest::addColumn<int>("onContinue");
        QTest::newRow("romain") << true << 0 << 1;
        QTest::newRow("arabe") << false << 1 << 0;
    }

    // The generator is reseeded on opening, and then where each window's rules say.
    void reseeding() {
        QFETCH(bool, roman);
        QFETCH(int, onValidate);
        QFETCH(int, onContinue);
        Drill d = open(roman);
        QCOMPARE(chance.reseeds, 1);
        type(d, roman ? QStringLiteral("I") : QStringLiteral("1"));
        press(d, Qt::Key_Return);
        QCOMPARE(chance.reseeds, 1 + onValidate);
        press(d, Qt::Key_Return);
        QCOMPARE(chance.reseeds, 1 + onValidate + onContinue);
    }

    void lowColours_data() {
        QTest::addColumn<bool>("roman");
        QTest::addColumn<bool>("rich");
        QTest::addColumn<QColor>("window");
        QTest::addColumn<QColor>("shape");
        QTest::newRow("romain rich")
            << true << true << QColor(0xE1, 0xF0, 0xFF) << QColor(0xFF, 0xEA, 0xEA);
        QTest::newRow("romain low")
            << true << false << QColor(0x00, 0xFF, 0xFF) << QColor(0xFF, 0xFF, 0x00);
        QTest::newRow("arabe rich")
            << false << true << QColor(0xFF, 0xEB, 0xD7) << QColor(0xEA, 0xEA, 0xFF);
        QTest::newRow("arabe low")
            << false << false << QColor(0xFF, 0xFF, 0x00) << QColor(0x00, 0xFF, 0xFF);
    }

    // The colours on screen, read from a grab: the window's ground beside the instruction
    // and the middle of the verdict shape.
    void lowColours() {
        QFETCH(bool, roman);
        QFETCH(bool, rich);
        QFETCH(QColor, window);
        QFETCH(QColor, shape);
        Etat_Global.Couleurs_Riches = rich;
        Drill d = open(roman);
        const QImage image = d.window->grab().toImage();
        QCOMPARE(image.pixelColor(4, 4), window);
        const QPoint inShape = d.shape->geometry().center() + QPoint(0, 30);
        QCOMPARE(image.pixelColor(inShape), shape);
        const QPoint besideNumber = d.number->geometry().topLeft() + QPoint(1, 1);
        QCOMPARE(image.pixelColor(besideNumber), window);
    }

    void cues_data() {
        QTest::addColumn<bool>("roman");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("verdictCue");
        QTest::newRow("romain right") << true << "I"
                                      << "TAVORJ3.WAV";
        QTest::newRow("romain wrong") << true << "II"
                                      << "TAVORF3.WAV";
        QTest::newRow("arabe right") << false << "1"
                                     << "TAVORJ3.WAV";
        QTest::newRow("arabe wrong") << false << "2"
                                     << "TAVORF3.WAV";
    }

    // With sound on: the question cue after each set-up, exactly one verdict cue after each
    // validation, each cue cutting the one before.
    void cues() {
        QFETCH(bool, roman);
        QFETCH(QString, answer);
        QFETCH(QString, verdictCue);
        Etat_Global.Son_Actif = true;
        chance.values = {0, 3};
        Drill d = open(roman);
        QCOMPARE(FakeAudioOutput::played(), QStringList{"TAVORD.WAV"});
        type(d, answer);
        press(d, Qt::Key_Return);
        QCOMPARE(FakeAudioOutput::played(), (QStringList{"TAVORD.WAV", verdictCue}));
        QCOMPARE(FakeAudioOutput::stopped(), QStringList{"TAVORD.WAV"});
        press(d, Qt::Key_Return);
        QCOMPARE(FakeAudioOutput::played(), (QStringList{"TAVORD.WAV", verdictCue, "TAVORD.WAV"}));
        QVERIFY(MessageBox::shown().isEmpty());
        d.window.reset();
        QCOMPARE(FakeAudioOutput::sounding(), QString());
    }

    void soundOff_data() {
        QTest::addColumn<bool>("roman");
        QTest::newRow("romain") << true;
        QTest::newRow("arabe") << false;
    }

    // With sound off no cue is opened, so missing files have no effect.
    void soundOff() {
        QFETCH(bool, roman);
        for (const QString &name : allCues())
            QFile::remove(cueDir.filePath(name));
        Drill d = open(roman);
        type(d, QStringLiteral("1I").mid(roman ? 1 : 0, 1));
        press(d, Qt::Key_Return);
        press(d, Qt::Key_Return);
        QVERIFY(FakeAudioOutput::log().isEmpty());
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void badCue_data() {
        QTest::addColumn<bool>("roman");
        QTest::addColumn<QString>("problem");
        QTest::addColumn<int>("error");
        for (const bool roman : {true, false}) {
            const char *window = roman ? "romain" : "arabe";
            QTest::addRow("%s missing", window)
                << roman << "missing" << int(SoundError::FileNotFound);
            QTest::addRow("%s truncated", window)
                << roman << "truncated" << int(SoundError::NotWave);
            QTest::addRow("%s not a wave", window) << roman << "text" << int(SoundError::NotWave);
        }
    }

    // A cue that cannot be opened gives the error box, and the window goes on: the question
    // stands, marking and "&Continuer" still work.
    void badCue() {
        QFETCH(bool, roman);
        QFETCH(QString, problem);
        QFETCH(int, error);
        Etat_Global.Son_Actif = true;
        for (const QString &name : allCues()) {
            if (problem == QLatin1String("missing"))
                QFile::remove(cueDir.filePath(name));
            else if (problem == QLatin1String("truncated"))
                writeCue(name, waveFile().left(30));
            else
                writeCue(name, "Ceci n'est pas un son.");
        }
        Drill d = open(roman);
        QCOMPARE(MessageBox::shown().size(), 1);
        const MessageBox::Shown box = MessageBox::shown().first();
        QCOMPARE(box.title, tavorim::TApplication::instance().Title());
        QCOMPARE(box.text, SoundPlayer::errorBoxText(SoundError(error)));
        QCOMPARE(box.icon, MessageBox::Error);
        QCOMPARE(box.buttons, int(MessageBox::Ok));
        QVERIFY(d.window->isVisible());

        type(d, roman ? QStringLiteral("I") : QStringLiteral("1"));
        press(d, Qt::Key_Return);
        QCOMPARE(MessageBox::shown().size(), 2);
        QCOMPARE(d.verdict->text(), QStringLiteral("EXACT"));
        QCOMPARE(d.score->caption(), QStringLiteral("1/1"));
        QVERIFY(d.continuer->isEnabled());
        QCOMPARE(focused(d), d.continuer);
        press(d, Qt::Key_Return);
        QCOMPARE(MessageBox::shown().size(), 3);
        QCOMPARE(d.number->text(), QStringLiteral("Exercice n° : 2"));
        QVERIFY(d.verdict->text().isEmpty());
        QCOMPARE(focused(d), d.edit);
        QVERIFY(FakeAudioOutput::played().isEmpty());
    }
};

QTEST_MAIN(TestDrillWindows)
#include "tst_drillwindows.moc"

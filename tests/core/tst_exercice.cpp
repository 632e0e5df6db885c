#include "Exercice.h"
#include "Globals.h"
#include "ScriptedRandom.h"
#include "constnum.h"

#include <QtTest>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <random>
#include <set>
#include <string>

Q_DECLARE_METATYPE(Sens_Exercice)
Q_DECLARE_METATYPE(Resultat_Reponse)

namespace {

constexpr Sens_Exercice directions[] = {Sens_Romain, Sens_Arabe};

const char *nameOf(Sens_Exercice sens) {
    return sens == Sens_Romain ? "roman" : "arabic";
}

// Level I of the Roman-writing drill, by draw index 1 to 24.
constexpr std::array<int, 24> romanLevelOne = {1, 5, 10, 50, 100, 500, 1000, 2,  3,  4,  6,  7,
                                               8, 9, 11, 12, 13,  14,  15,   16, 17, 18, 19, 20};

// How many values each level draws from, levels I to III.
std::array<int, 3> drawCounts(Sens_Exercice sens) {
    return sens == Sens_Romain ? std::array<int, 3>{24, 100, 3999}
                               : std::array<int, 3>{39, 499, 3999};
}

// One direction's fields of the state.
struct Fields {
    std::int32_t &question, &right;
    std::string &expected;
    std::array<std::uint8_t, 3> &history;
    std::uint8_t &lastDraw;
};

Fields fieldsOf(Sens_Exercice sens) {
    T_Etat_Global &e = Etat_Global;
    return sens == Sens_Romain
               ? Fields{e.Question_Rom, e.Justes_Rom, e.Attendu_Rom, e.Anciens_Rom, e.Tirage_Rom}
               : Fields{e.Question_Arab, e.Justes_Arab, e.Attendu_Arab, e.Anciens_Arab,
                        e.Tirage_Arab};
}

void setLevel(int level) {
    Etat_Global.Niveau_I = level == 1;
    Etat_Global.Niveau_II = level == 2;
    Etat_Global.Niveau_III = level == 3;
}

// The number the question asks about, read from what the pupil sees.
int askedNumber(Sens_Exercice sens, const Question_Preparee &question) {
    return std::stoi(sens == Sens_Romain ? question.Texte_Montre : Etat_Global.Attendu_Arab);
}

// The level-I draw that gives a number: its index in the table, or the number itself.
int levelOneDrawOf(Sens_Exercice sens, int number) {
    if (sens == Sens_Arabe) {
        return number;
    }
    const auto found = std::find(romanLevelOne.begin(), romanLevelOne.end(), number);
    return found == romanLevelOne.end() ? -1 : static_cast<int>(found - romanLevelOne.begin()) + 1;
}

__extension__ typedef unsigned __int128 Wide;

// n / d rounded to the nearest whole number, ties to even.
Wide roundedQuotient(Wide n, Wide d) {
    const Wide quotient = n / d, twiceRest = 2 * (n % d);
    return quotient + (twiceRest > d || (twiceRest == d && (quotient & 1) != 0) ? 1 : 0);
}

// The score percentage as 64-bit-significand arithmetic gives it (the quotient rounded, then
// the hundredfold rounded, then ties to even), worked out in whole numbers: a model of the
// rounding, not of the code.
int extendedPercentage(std::uint64_t right, std::uint64_t given) {
    if (right == 0) {
        return 0;
    }
    // right / given is close to significand * 2^-exponent, the significand of 64 bits.
    int exponent = 63;
    while ((Wide{right} << exponent) / given < (Wide{1} << 63)) {
        ++exponent;
    }
    const Wide product = roundedQuotient(Wide{right} << exponent, given) * 100;
    int dropped = 0; // bits to drop to bring the product back to 64
    while ((product >> dropped) >= (Wide{1} << 64)) {
        ++dropped;
    }
    const Wide rounded = roundedQuotient(product, Wide{1} << dropped);
    return static_cast<int>(roundedQuotient(rounded, Wide{1} << (exponent - dropped)));
}

void setScore(Sens_Exercice sens, std::int32_t right, std::int32_t given) {
    Etat_Global = T_Etat_Global{};
    fieldsOf(sens).question = given + 1;
    fieldsOf(sens).right = right;
}

} // namespace

class TestExercice : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void preparedQuestion_data();
    void preparedQuestion();
    void longSessions_data();
    void longSessions();

    void marking_data();
    void marking();
    void answerSequencesAndScore_data();
    void answerSequencesAndScore();
    void percentageOverAllCounts();
    void percentageExamples_data();
    void percentageExamples();
    void countersAtTheirLimit();

private:
    SeededRandom seeded_;
};

void TestExercice::init() {
    Etat_Global = T_Etat_Global{};
    seeded_.seed(20240611);
    setRandomSource(&seeded_);
}

void TestExercice::cleanup() {
    setRandomSource(nullptr);
    Etat_Global = T_Etat_Global{};
}

void TestExercice::preparedQuestion_data() {
    QTest::addColumn<Sens_Exercice>("sens");
    QTest::addColumn<int>("flags"); // bit 0: level I, bit 1: level II, bit 2: level III
    QTest::addColumn<int>("numbered");
    for (int flags = 0; flags < 8; ++flags) {
        const int numbered = flags < 7 ? flags + 1 : std::numeric_limits<std::int32_t>::max();
        for (Sens_Exercice sens : directions) {
            QTest::addRow("I=%d II=%d III=%d %s question %d", flags & 1, (flags >> 1) & 1,
                          flags >> 2, nameOf(sens), numbered)
                << sens << flags << numbered;
        }
    }
}

void TestExercice::preparedQuestion() {
    QFETCH(Sens_Exercice, sens);
    QFETCH(int, flags);
    QFETCH(int, numbered);
    Etat_Global.Niveau_I = flags & 1;
    Etat_Global.Niveau_II = flags & 2;
    Etat_Global.Niveau_III = flags & 4;
    fieldsOf(sens).question = numbered;
    const int level = flags & 1 ? 1 : flags & 2 ? 2 : 3;
    QCOMPARE(Niveau_Courant(), level);

    // The draw follows the resolved level: the highest value it may give is asked for.
    ScriptedRandom random;
    const int count = drawCounts(sens)[static_cast<std::size_t>(level - 1)];
    random.queue({count - 1});
    const Question_Preparee question = Prepare_Question(sens);
    QCOMPARE(random.counts, std::vector<int>{count});
    const char *const levelNames[] = {"Niveau I", "Niveau II", "Niveau III"};
    QCOMPARE(question.Texte_Niveau, std::string(levelNames[level - 1]));
    QCOMPARE(question.Texte_Numero, "Exercice n° : " + std::to_string(numbered));
    QCOMPARE(question.Avec_Score, numbered > 1);
    const std::string decimal =
        std::to_string(level == 1 && sens == Sens_Romain ? romanLevelOne.back() : count);
    const std::string numeral = Convertit_Romain(decimal);
    QCOMPARE(question.Texte_Montre, sens == Sens_Romain ? decimal : numeral);
    QCOMPARE(fieldsOf(sens).expected, sens == Sens_Romain ? numeral : decimal);

    // A draw held in the history comes again: only level I draws once more.
    fieldsOf(sens).history = {7, 7, 7};
    random.counts.clear();
    random.queue({6});
    const Question_Preparee again = Prepare_Question(sens);
    QCOMPARE(random.counts.size(), std::size_t(level == 1 ? 2 : 1));
    QVERIFY(level == 1 || askedNumber(sens, again) == 7);
}

void TestExercice::longSessions_data() {
    QTest::addColumn<Sens_Exercice>("sens");
    QTest::addColumn<bool>("mixed"); // levels change, and some questions are left unfinished
    for (Sens_Exercice sens : directions) {
        QTest::addRow("%s level I only", nameOf(sens)) << sens << false;
        QTest::addRow("%s mixed levels, questions abandoned", nameOf(sens)) << sens << true;
    }
}

void TestExercice::longSessions() {
    // Long runs checked against a model of the history kept from what the pupil is shown: the
    // last level-I draw, shifted in at each "Continuer" whatever the level.
    QFETCH(Sens_Exercice, sens);
    QFETCH(bool, mixed);
    constexpr int steps = 10000;
    std::mt19937 walk(7);
    std::array<int, 3> model{};
    std::vector<int> draws; // the level-I draws, in turn
    std::set<int> numbers;
    int level = 1;
    setLevel(level);
    // The other direction's fields come through the whole session untouched.
    const Fields other = fieldsOf(sens == Sens_Romain ? Sens_Arabe : Sens_Romain);
    other.question = 12;
    other.right = 5;
    other.expected = "untouched";
    other.history = {4, 5, 6};
    other.lastDraw = 9;
    for (int step = 0; step < steps; ++step) {
        const Question_Preparee question = Prepare_Question(sens);
        if (level == 1) {
            const int number = askedNumber(sens, question);
            const int draw = levelOneDrawOf(sens, number);
            QVERIFY2(draw >= 1 && std::find(model.begin(), model.end(), draw) == model.end(),
                     qPrintable(QStringLiteral("step %1 draws %2 again").arg(step).arg(number)));
            draws.push_back(draw);
            numbers.insert(number);
        }
        // Validate now and then, right, wrong or empty: marking has no say in the history.
        if (walk() % 3 == 0) {
            const std::string answers[] = {fieldsOf(sens).expected, "?", ""};
            Juge_Reponse(sens, answers[walk() % 3]);
            Calcule_Score(sens);
        }
        // The window closed without "Continuer": the question is not remembered.
        const bool abandoned = mixed && walk() % 5 == 0;
        if (!abandoned) {
            Decale_Anciens(sens);
            model = {draws.empty() ? 0 : draws.back(), model[0], model[1]};
        }
        QVERIFY(std::equal(model.begin(), model.end(), fieldsOf(sens).history.begin()));
        if (mixed && walk() % 4 == 0) {
            level = static_cast<int>(walk() % 3) + 1;
            setLevel(level);
        }
    }
    QCOMPARE(other.question, 12);
    QCOMPARE(other.right, 5);
    QCOMPARE(other.expected, std::string("untouched"));
    QVERIFY(other.history == (std::array<std::uint8_t, 3>{4, 5, 6}));
    QCOMPARE(int(other.lastDraw), 9);
    if (mixed) {
        return;
    }
    // Exactly three are excluded: the draw of four questions back comes up again, about once
    // in 21 (roman) or 36 (arabic) questions.
    int fifthEqualsFirst = 0;
    for (std::size_t i = 4; i < draws.size(); ++i) {
        fifthEqualsFirst += draws[i] == draws[i - 4] ? 1 : 0;
    }
    QVERIFY2(fifthEqualsFirst > steps / (drawCounts(sens)[0] - 3) / 2,
             qPrintable(QString::number(fifthEqualsFirst)));
    // Every number of the level comes up, and nothing else.
    std::set<int> wanted;
    for (int draw = 1; draw <= drawCounts(sens)[0]; ++draw) {
        wanted.insert(sens == Sens_Romain ? romanLevelOne[static_cast<std::size_t>(draw - 1)]
                                          : draw);
    }
    QCOMPARE(numbers, wanted);
}

void TestExercice::marking_data() {
    QTest::addColumn<Sens_Exercice>("sens");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("digit");
    QTest::addColumn<Resultat_Reponse>("result");

    QTest::newRow("roman IV right") << Sens_Romain << 4 << "IV" << 0 << Reponse_Juste;
    QTest::newRow("roman IIII for 4") << Sens_Romain << 4 << "IIII" << 1 << Reponse_Fausse;
    QTest::newRow("roman lower case") << Sens_Romain << 4 << "iv" << 2 << Reponse_Fausse;
    QTest::newRow("roman longest")
        << Sens_Romain << 3888 << "MMMDCCCLXXXVIII" << 5 << Reponse_Juste;
    QTest::newRow("roman empty") << Sens_Romain << 4 << "" << 7 << Reponse_Vide;
    QTest::newRow("arabic 042") << Sens_Arabe << 42 << "042" << 6 << Reponse_Fausse;
    QTest::newRow("arabic numeral typed") << Sens_Arabe << 42 << "XLII" << 3 << Reponse_Fausse;
    QTest::newRow("arabic 3999 right") << Sens_Arabe << 3999 << "3999" << 2 << Reponse_Juste;
    QTest::newRow("arabic empty") << Sens_Arabe << 42 << "" << 1 << Reponse_Vide;
}

void TestExercice::marking() {
    QFETCH(Sens_Exercice, sens);
    QFETCH(int, number);
    QFETCH(QString, answer);
    QFETCH(int, digit);
    QFETCH(Resultat_Reponse, result);
    setLevel(3);
    ScriptedRandom random;
    random.queue({number - 1});
    Prepare_Question(sens);
    const std::string wanted = fieldsOf(sens).expected;
    random.counts.clear();
    random.queue({digit});

    const Verdict verdict = Juge_Reponse(sens, answer.toStdString());
    QCOMPARE(verdict.Resultat, result);
    // The cue digit is drawn at every validation, empty answers included.
    QCOMPARE(random.counts, std::vector<int>{8});
    QCOMPARE(verdict.Chiffre_Son, digit);
    QCOMPARE(fieldsOf(sens).question, 2);
    QCOMPARE(fieldsOf(sens).right, result == Reponse_Juste ? 1 : 0);
    QCOMPARE(fieldsOf(sens).expected, wanted);

    const std::string digitText = std::to_string(digit);
    const bool right = result == Reponse_Juste, wrong = result == Reponse_Fausse;
    QCOMPARE(verdict.Texte_Verdict, std::string(right ? "EXACT" : wrong ? "Faux" : ""));
    QCOMPARE(verdict.Texte_Correction, wrong ? "C'est : " + wanted : std::string());
    QCOMPARE(verdict.Nom_Son, right   ? "TAVORJ" + digitText + ".WAV"
                              : wrong ? "TAVORF" + digitText + ".WAV"
                                      : std::string());
}

void TestExercice::answerSequencesAndScore_data() {
    QTest::addColumn<Sens_Exercice>("sens");
    // Answers given to one question, in turn: R right, W wrong, E empty; between two
    // questions, C for "Continuer".
    QTest::addColumn<QString>("answers");
    QTest::addColumn<int>("percentage");
    QTest::addColumn<QString>("score");
    for (Sens_Exercice sens : directions) {
        const char *name = nameOf(sens);
        QTest::addRow("%s first answer wrong", name) << sens << "W" << 0 << "0/1";
        QTest::addRow("%s empty then right", name) << sens << "ER" << 50 << "1/2";
        QTest::addRow("%s empty counts after Continuer", name) << sens << "ECR" << 50 << "1/2";
        QTest::addRow("%s right twice", name) << sens << "RR" << 100 << "2/2";
        QTest::addRow("%s three questions", name) << sens << "RCWCR" << 67 << "2/3";
    }
}

void TestExercice::answerSequencesAndScore() {
    QFETCH(Sens_Exercice, sens);
    QFETCH(QString, answers);
    QFETCH(QString, score);
    QFETCH(int, percentage);
    setLevel(1);
    QVERIFY(!Prepare_Question(sens).Avec_Score);
    int given = 0;
    for (QChar step : answers) {
        if (step == QLatin1Char('C')) {
            Decale_Anciens(sens);
            QCOMPARE(Prepare_Question(sens).Avec_Score, given > 0);
            continue;
        }
        const std::string &wanted = fieldsOf(sens).expected;
        Juge_Reponse(sens, step == QLatin1Char('R')   ? wanted
                           : step == QLatin1Char('W') ? wanted + "I"
                                                      : std::string());
        ++given;
    }
    QCOMPARE(fieldsOf(sens).question, given + 1);
    const Score result = Calcule_Score(sens);
    QCOMPARE(QString::fromStdString(result.Texte_Score), score);
    QCOMPARE(result.Pourcentage, percentage);
}

void TestExercice::percentageOverAllCounts() {
    for (Sens_Exercice sens : directions) {
        for (std::int32_t given = 1; given <= 200; ++given) {
            for (std::int32_t right = 0; right <= given; ++right) {
                setScore(sens, right, given);
                const Score score = Calcule_Score(sens);
                const int wanted = extendedPercentage(static_cast<std::uint64_t>(right),
                                                      static_cast<std::uint64_t>(given));
                const std::string text = std::to_string(right) + "/" + std::to_string(given);
                QVERIFY2(score.Texte_Score == text && score.Pourcentage == wanted, text.c_str());
            }
        }
    }
}

void TestExercice::percentageExamples_data() {
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("given");
    QTest::addColumn<int>("percentage");
    QTest::newRow("1 of 3") << 1 << 3 << 33;
    QTest::newRow("2 of 3") << 2 << 3 << 67;
    QTest::newRow("1 of 8") << 1 << 8 << 12;
    QTest::newRow("3 of 8") << 3 << 8 << 38;
    QTest::newRow("5 of 8") << 5 << 8 << 62;
    QTest::newRow("1 of 40") << 1 << 40 << 2;
    QTest::newRow("3 of 40") << 3 << 40 << 8;
    QTest::newRow("23 of 40") << 23 << 40 << 58;
    // Halves that only the extended precision keeps on the even side (plain doubles do not).
    QTest::newRow("46 of 80") << 46 << 80 << 58;
    QTest::newRow("109 of 200") << 109 << 200 << 54;
    // Asked for too early, or after the fields were set out of step, it stays in range.
    QTest::newRow("none given yet") << 0 << 0 << 0;
    QTest::newRow("more right than given") << 5 << 2 << 100;
}

void TestExercice::percentageExamples() {
    QFETCH(int, right);
    QFETCH(int, given);
    QFETCH(int, percentage);
    for (Sens_Exercice sens : directions) {
        setScore(sens, right, given);
        QCOMPARE(Calcule_Score(sens).Pourcentage, percentage);
    }
}

void TestExercice::countersAtTheirLimit() {
    // No bound applies to the counters, but they must neither wrap round nor let the right
    // answers outnumber the answers.
    constexpr std::int32_t largest = std::numeric_limits<std::int32_t>::max();
    setLevel(3);
    for (Sens_Exercice sens : directions) {
        const Fields own = fieldsOf(sens);
        own.question = largest - 1;
        own.right = largest - 3;
        Prepare_Question(sens);
        for (int answer = 0; answer < 2; ++answer) {
            Juge_Reponse(sens, own.expected);
            QCOMPARE(own.question, largest);
            QCOMPARE(own.right, largest - 2);
        }
        const Score score = Calcule_Score(sens);
        QCOMPARE(score.Texte_Score,
                 std::to_string(largest - 2) + "/" + std::to_string(largest - 1));
        QCOMPARE(score.Pourcentage, 100);
    }
}

QTEST_APPLESS_MAIN(TestExercice)
#include "tst_exercice.moc"

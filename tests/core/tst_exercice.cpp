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

// Level I of the Roman-writing drill, by draw index 1 to 24.
constexpr std::array<int, 24> romanLevelOne = {1, 5, 10, 50, 100, 500, 1000, 2,  3,  4,  6,  7,
                                               8, 9, 11, 12, 13,  14,  15,   16, 17, 18, 19, 20};

// How many values each level draws from, levels I to III.
std::array<int, 3> drawCounts(Sens_Exercice sens) {
    return sens == Sens_Romain ? std::array<int, 3>{24, 100, 3999}
                               : std::array<int, 3>{39, 499, 3999};
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

std::string &expected(Sens_Exercice sens) {
    return sens == Sens_Romain ? Etat_Global.Attendu_Rom : Etat_Global.Attendu_Arab;
}
std::int32_t &questionNumber(Sens_Exercice sens) {
    return sens == Sens_Romain ? Etat_Global.Question_Rom : Etat_Global.Question_Arab;
}
std::int32_t &rightAnswers(Sens_Exercice sens) {
    return sens == Sens_Romain ? Etat_Global.Justes_Rom : Etat_Global.Justes_Arab;
}
std::array<std::uint8_t, 3> &history(Sens_Exercice sens) {
    return sens == Sens_Romain ? Etat_Global.Anciens_Rom : Etat_Global.Anciens_Arab;
}
std::uint8_t &lastDraw(Sens_Exercice sens) {
    return sens == Sens_Romain ? Etat_Global.Tirage_Rom : Etat_Global.Tirage_Arab;
}

// The level-I draw that gives a number: its index in the table, or the number itself.
int levelOneDrawOf(Sens_Exercice sens, int number) {
    if (sens == Sens_Arabe) {
        return number;
    }
    const auto found = std::find(romanLevelOne.begin(), romanLevelOne.end(), number);
    return found == romanLevelOne.end() ? -1 : static_cast<int>(found - romanLevelOne.begin()) + 1;
}

// Prepares the question that asks about the given number, at level III.
void askAbout(ScriptedRandom &random, Sens_Exercice sens, int number) {
    setLevel(3);
    random.queue({number - 1});
    Prepare_Question(sens);
}

// Percentage rounded to nearest, ties to even, in whole numbers only.
int exactPercentage(std::int64_t right, std::int64_t given) {
    const std::int64_t scaled = 100 * right;
    std::int64_t quotient = scaled / given;
    const std::int64_t twiceRemainder = 2 * (scaled % given);
    if (twiceRemainder > given || (twiceRemainder == given && quotient % 2 != 0)) {
        ++quotient;
    }
    return static_cast<int>(quotient);
}

bool isExactTie(std::int64_t right, std::int64_t given) {
    return 2 * (100 * right % given) == given;
}

// Rounds a significand to nearest, ties to even, given the first dropped bit and whether any
// later dropped bit is set. Returns false when it overflowed to 0.
bool roundSignificand(std::uint64_t &significand, bool guard, bool sticky) {
    if (guard && (sticky || (significand & 1) != 0)) {
        ++significand;
    }
    return significand != 0;
}

// The score percentage as the two steps of 64-bit-significand arithmetic give it (quotient
// rounded, then the hundredfold rounded, then ties to even), worked out bit by bit in whole
// numbers: a model of the rounding, not of the code.
int extendedPercentage(std::uint64_t right, std::uint64_t given) {
    if (right == 0) {
        return 0;
    }
    // right / given = significand * 2^-(63 + shift), significand in [2^63, 2^64).
    int shift = 0;
    std::uint64_t remainder = right;
    while (remainder < given) {
        remainder *= 2;
        ++shift;
    }
    std::uint64_t significand = 0;
    for (int bit = 0; bit < 64; ++bit) {
        significand = significand << 1 | (remainder >= given ? 1 : 0);
        if (remainder >= given) {
            remainder -= given;
        }
        remainder *= 2;
    }
    const bool guard = remainder >= given;
    if (!roundSignificand(significand, guard, remainder - (guard ? given : 0) != 0)) {
        significand = std::uint64_t{1} << 63;
        --shift;
    }
    // Times 100: a product of at most 71 bits, kept as high and low words.
    const std::uint64_t upper = (significand >> 32) * 100, lower = (significand & 0xFFFFFFFF) * 100;
    std::uint64_t low = lower + (upper << 32);
    std::uint64_t high = (upper >> 32) + (low < lower ? 1 : 0);
    int dropped = 0; // bits to drop to get back to 64
    while ((high >> dropped) != 0) {
        ++dropped;
    }
    const std::uint64_t droppedMask = (std::uint64_t{1} << dropped) - 1;
    const bool productGuard = ((low >> (dropped - 1)) & 1) != 0;
    const bool productSticky = (low & (droppedMask >> 1)) != 0;
    std::uint64_t product = high << (64 - dropped) | low >> dropped;
    if (!roundSignificand(product, productGuard, productSticky)) {
        product = std::uint64_t{1} << 63;
        ++dropped;
    }
    // percentage = product * 2^-fraction; round it to a whole number, ties to even.
    const int fraction = 63 + shift - dropped;
    if (fraction >= 64) {
        const bool aboveHalf = fraction == 64 && product > std::uint64_t{1} << 63;
        return aboveHalf ? 1 : 0;
    }
    std::uint64_t whole = product >> fraction;
    const std::uint64_t rest = product & ((std::uint64_t{1} << fraction) - 1);
    const std::uint64_t half = std::uint64_t{1} << (fraction - 1);
    if (rest > half || (rest == half && (whole & 1) != 0)) {
        ++whole;
    }
    return static_cast<int>(whole);
}

void addBothDirections(const char *name) {
    QTest::newRow(qPrintable(QStringLiteral("%1, roman").arg(QLatin1String(name)))) << Sens_Romain;
    QTest::newRow(qPrintable(QStringLiteral("%1, arabic").arg(QLatin1String(name)))) << Sens_Arabe;
}

} // namespace

class TestExercice : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void levelPrecedence_data();
    void levelPrecedence();
    void questionTexts_data();
    void questionTexts();
    void levelOneNeverRepeatsLastThree_data();
    void levelOneNeverRepeatsLastThree();
    void redrawSkipsOnlyTheHistory_data();
    void redrawSkipsOnlyTheHistory();
    void abandonedQuestionIsNotRemembered_data();
    void abandonedQuestionIsNotRemembered();
    void higherLevelsExcludeNothing_data();
    void higherLevelsExcludeNothing();
    void historyFollowsLevelChanges_data();
    void historyFollowsLevelChanges();
    void directionsKeepToTheirOwnFields_data();
    void directionsKeepToTheirOwnFields();

    void marking_data();
    void marking();
    void answerSequencesAndScore_data();
    void answerSequencesAndScore();
    void percentageOverAllCounts();
    void percentageExamples_data();
    void percentageExamples();
    void countersAtTheirLimit_data();
    void countersAtTheirLimit();
};

void TestExercice::init() {
    Etat_Global = T_Etat_Global{};
    seedRandomForTests(20240611);
}

void TestExercice::cleanup() {
    setRandomSourceForTests(nullptr);
    Etat_Global = T_Etat_Global{};
}

void TestExercice::levelPrecedence_data() {
    QTest::addColumn<Sens_Exercice>("sens");
    QTest::addColumn<bool>("one");
    QTest::addColumn<bool>("two");
    QTest::addColumn<bool>("three");
    for (int flags = 0; flags < 8; ++flags) {
        const bool one = flags & 1, two = flags & 2, three = flags & 4;
        for (Sens_Exercice sens : {Sens_Romain, Sens_Arabe}) {
            QTest::addRow("I=%d II=%d III=%d %s", one, two, three,
                          sens == Sens_Romain ? "roman" : "arabic")
                << sens << one << two << three;
        }
    }
}

void TestExercice::levelPrecedence() {
    QFETCH(Sens_Exercice, sens);
    QFETCH(bool, one);
    QFETCH(bool, two);
    QFETCH(bool, three);
    Etat_Global.Niveau_I = one;
    Etat_Global.Niveau_II = two;
    Etat_Global.Niveau_III = three;
    const int level = one ? 1 : two ? 2 : 3;
    QCOMPARE(Niveau_Courant(), level);

    // The draw follows the resolved level: the highest value it may give is asked for.
    ScriptedRandom random;
    const int count = drawCounts(sens)[static_cast<std::size_t>(level - 1)];
    random.queue({count - 1});
    const Question_Preparee question = Prepare_Question(sens);
    QCOMPARE(random.counts, std::vector<int>{count});
    const char *const levelNames[] = {"Niveau I", "Niveau II", "Niveau III"};
    QCOMPARE(question.Texte_Niveau, std::string(levelNames[level - 1]));
    const int highest = level == 1 && sens == Sens_Romain ? 20 : count;
    QCOMPARE(askedNumber(sens, question), highest);
}

void TestExercice::questionTexts_data() {
    QTest::addColumn<Sens_Exercice>("sens");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("numbered");
    for (Sens_Exercice sens : {Sens_Romain, Sens_Arabe}) {
        const char *name = sens == Sens_Romain ? "roman" : "arabic";
        QTest::addRow("%s 1 first question", name) << sens << 1 << 1;
        QTest::addRow("%s 3888 second question", name) << sens << 3888 << 2;
        QTest::addRow("%s 3999 largest question", name)
            << sens << 3999 << std::numeric_limits<std::int32_t>::max();
    }
}

void TestExercice::questionTexts() {
    QFETCH(Sens_Exercice, sens);
    QFETCH(int, number);
    QFETCH(int, numbered);
    questionNumber(sens) = numbered;
    setLevel(3);
    ScriptedRandom random;
    random.queue({number - 1});
    const Question_Preparee question = Prepare_Question(sens);

    QCOMPARE(question.Texte_Numero, "Exercice n° : " + std::to_string(numbered));
    QCOMPARE(question.Avec_Score, numbered > 1);
    const std::string decimal = std::to_string(number);
    const std::string numeral = Convertit_Romain(decimal);
    QCOMPARE(question.Texte_Montre, sens == Sens_Romain ? decimal : numeral);
    QCOMPARE(expected(sens), sens == Sens_Romain ? numeral : decimal);
}

void TestExercice::levelOneNeverRepeatsLastThree_data() {
    QTest::addColumn<Sens_Exercice>("sens");
    addBothDirections("long run");
}

void TestExercice::levelOneNeverRepeatsLastThree() {
    QFETCH(Sens_Exercice, sens);
    setLevel(1);
    std::vector<int> numbers;
    int fifthEqualsFirst = 0;
    Question_Preparee question = Prepare_Question(sens);
    for (int cycle = 0; cycle < 20000; ++cycle) {
        const int number = askedNumber(sens, question);
        numbers.push_back(number);
        const std::size_t last = numbers.size() - 1;
        for (std::size_t back = 1; back <= 3 && back <= last; ++back) {
            if (numbers[last - back] == number) {
                QFAIL(qPrintable(QStringLiteral("cycle %1 repeats %2 from %3 questions before")
                                     .arg(cycle)
                                     .arg(number)
                                     .arg(back)));
            }
        }
        if (last >= 4 && numbers[last - 4] == number) {
            ++fifthEqualsFirst;
        }
        // Validate now and then, right or wrong: marking has no say in the history.
        if (cycle % 3 == 0) {
            Juge_Reponse(sens, cycle % 2 == 0 ? expected(sens) : std::string("?"));
        }
        // "Continuer"
        Decale_Anciens(sens);
        question = Prepare_Question(sens);
    }
    // Exactly three are excluded: the number of four questions back comes up again, about
    // once in 21 (roman) or 36 (arabic) questions.
    QVERIFY2(fifthEqualsFirst > 20000 / (drawCounts(sens)[0] - 3) / 2,
             qPrintable(QString::number(fifthEqualsFirst)));

    // Every number of the level comes up, and nothing else.
    std::set<int> wanted;
    for (int n = 1; n <= (sens == Sens_Romain ? 20 : 39); ++n) {
        wanted.insert(n);
    }
    if (sens == Sens_Romain) {
        wanted.insert({50, 100, 500, 1000});
    }
    QCOMPARE(std::set<int>(numbers.begin(), numbers.end()), wanted);
}

void TestExercice::redrawSkipsOnlyTheHistory_data() {
    QTest::addColumn<Sens_Exercice>("sens");
    QTest::addColumn<QList<int>>("previous"); // the history, most recent first
    QTest::addColumn<QList<int>>("draws");    // what Hasard returns, in turn
    QTest::addColumn<int>("accepted");        // the draw kept (index or number)
    QTest::addColumn<int>("calls");

    for (Sens_Exercice sens : {Sens_Romain, Sens_Arabe}) {
        const char *name = sens == Sens_Romain ? "roman" : "arabic";
        QTest::addRow("%s empty history", name)
            << sens << QList<int>{0, 0, 0} << QList<int>{0} << 1 << 1;
        QTest::addRow("%s all three skipped", name)
            << sens << QList<int>{5, 6, 7} << QList<int>{6, 4, 5, 7} << 8 << 4;
        QTest::addRow("%s same value twice", name)
            << sens << QList<int>{9, 9, 1} << QList<int>{8, 0, 8, 9} << 10 << 4;
        QTest::addRow("%s highest", name)
            << sens << QList<int>{1, 2, 3} << QList<int>{drawCounts(sens)[0] - 1}
            << drawCounts(sens)[0] << 1;
    }
}

void TestExercice::redrawSkipsOnlyTheHistory() {
    QFETCH(Sens_Exercice, sens);
    QFETCH(QList<int>, previous);
    QFETCH(QList<int>, draws);
    QFETCH(int, accepted);
    QFETCH(int, calls);
    setLevel(1);
    for (int i = 0; i < 3; ++i) {
        history(sens)[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(previous[i]);
    }
    const auto historyBefore = history(sens);
    ScriptedRandom random;
    for (int draw : draws) {
        random.queue({draw});
    }
    const int number = Tire_Nombre(sens);
    QCOMPARE(int(lastDraw(sens)), accepted);
    QCOMPARE(levelOneDrawOf(sens, number), accepted);
    QCOMPARE(random.counts.size(), std::size_t(calls));
    QVERIFY(history(sens) == historyBefore);
}

void TestExercice::abandonedQuestionIsNotRemembered_data() {
    QTest::addColumn<Sens_Exercice>("sens");
    QTest::addColumn<bool>("validated");
    for (Sens_Exercice sens : {Sens_Romain, Sens_Arabe}) {
        const char *name = sens == Sens_Romain ? "roman" : "arabic";
        QTest::addRow("%s left unanswered", name) << sens << false;
        QTest::addRow("%s left after an answer", name) << sens << true;
    }
}

void TestExercice::abandonedQuestionIsNotRemembered() {
    // The window closed without "Continuer", then opened again: same draw allowed at once.
    QFETCH(Sens_Exercice, sens);
    QFETCH(bool, validated);
    setLevel(1);
    ScriptedRandom random;
    random.queue({6});
    const Question_Preparee first = Prepare_Question(sens);
    if (validated) {
        random.queue({0});
        Juge_Reponse(sens, expected(sens));
    }
    random.queue({6});
    const Question_Preparee again = Prepare_Question(sens);
    QCOMPARE(again.Texte_Montre, first.Texte_Montre);
    QVERIFY(history(sens) == (std::array<std::uint8_t, 3>{}));
    QCOMPARE(again.Texte_Numero, "Exercice n° : " + std::to_string(validated ? 2 : 1));
    QCOMPARE(again.Avec_Score, validated);
}

void TestExercice::higherLevelsExcludeNothing_data() {
    QTest::addColumn<Sens_Exercice>("sens");
    QTest::addColumn<int>("level");
    for (Sens_Exercice sens : {Sens_Romain, Sens_Arabe}) {
        const char *name = sens == Sens_Romain ? "roman" : "arabic";
        QTest::addRow("%s level II", name) << sens << 2;
        QTest::addRow("%s level III", name) << sens << 3;
    }
}

void TestExercice::higherLevelsExcludeNothing() {
    QFETCH(Sens_Exercice, sens);
    QFETCH(int, level);
    setLevel(level);
    lastDraw(sens) = 7;
    history(sens) = {1, 2, 3};
    ScriptedRandom random;
    // 6 and 7 would be excluded at level I; here the same number comes twice in a row.
    random.queue({6, 6, 6});
    const int first = askedNumber(sens, Prepare_Question(sens));
    Decale_Anciens(sens);
    const int second = askedNumber(sens, Prepare_Question(sens));
    Decale_Anciens(sens);
    const int third = askedNumber(sens, Prepare_Question(sens));
    QCOMPARE(first, 7);
    QCOMPARE(second, first);
    QCOMPARE(third, first);
    QCOMPARE(int(lastDraw(sens)), 7);
}

void TestExercice::historyFollowsLevelChanges_data() {
    QTest::addColumn<Sens_Exercice>("sens");
    addBothDirections("mixed levels");
}

void TestExercice::historyFollowsLevelChanges() {
    // Random walks through the levels, checked against a model of the history kept from
    // what the pupil is shown.
    QFETCH(Sens_Exercice, sens);
    std::mt19937 walk(7);
    std::array<int, 3> model{};
    int lastLevelOne = 0;
    int level = 1;
    setLevel(level);
    for (int step = 0; step < 5000; ++step) {
        const Question_Preparee question = Prepare_Question(sens);
        if (level == 1) {
            const int draw = levelOneDrawOf(sens, askedNumber(sens, question));
            QVERIFY(draw >= 1);
            QVERIFY2(std::find(model.begin(), model.end(), draw) == model.end(),
                     qPrintable(QStringLiteral("step %1 draws %2 again").arg(step).arg(draw)));
            lastLevelOne = draw;
        }
        // "Continuer"
        Decale_Anciens(sens);
        model = {lastLevelOne, model[0], model[1]};
        QVERIFY(std::equal(model.begin(), model.end(), history(sens).begin()));
        if (walk() % 4 == 0) {
            level = static_cast<int>(walk() % 3) + 1;
            setLevel(level);
        }
    }
}

void TestExercice::directionsKeepToTheirOwnFields_data() {
    QTest::addColumn<Sens_Exercice>("sens");
    addBothDirections("every rule");
}

void TestExercice::directionsKeepToTheirOwnFields() {
    QFETCH(Sens_Exercice, sens);
    const Sens_Exercice other = sens == Sens_Romain ? Sens_Arabe : Sens_Romain;
    questionNumber(other) = 12;
    rightAnswers(other) = 5;
    expected(other) = "untouched";
    history(other) = {4, 5, 6};
    lastDraw(other) = 9;
    const std::int32_t ownQuestionBefore = questionNumber(sens);

    for (int level = 1; level <= 3; ++level) {
        setLevel(level);
        Prepare_Question(sens);
        Juge_Reponse(sens, expected(sens));
        Juge_Reponse(sens, "x");
        Juge_Reponse(sens, "");
        Calcule_Score(sens);
        Decale_Anciens(sens);
    }
    QCOMPARE(questionNumber(other), 12);
    QCOMPARE(rightAnswers(other), 5);
    QCOMPARE(expected(other), std::string("untouched"));
    QVERIFY(history(other) == (std::array<std::uint8_t, 3>{4, 5, 6}));
    QCOMPARE(int(lastDraw(other)), 9);
    // ...while its own fields did move.
    QCOMPARE(questionNumber(sens), ownQuestionBefore + 9);
    QCOMPARE(rightAnswers(sens), 3);
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
    QTest::newRow("roman trailing space") << Sens_Romain << 4 << "IV " << 3 << Reponse_Fausse;
    QTest::newRow("roman number typed") << Sens_Romain << 4 << "4" << 4 << Reponse_Fausse;
    QTest::newRow("roman longest")
        << Sens_Romain << 3888 << "MMMDCCCLXXXVIII" << 5 << Reponse_Juste;
    QTest::newRow("roman one letter short")
        << Sens_Romain << 3888 << "MMMDCCCLXXXVII" << 6 << Reponse_Fausse;
    QTest::newRow("roman empty") << Sens_Romain << 4 << "" << 7 << Reponse_Vide;
    QTest::newRow("arabic 42 right") << Sens_Arabe << 42 << "42" << 7 << Reponse_Juste;
    QTest::newRow("arabic 042") << Sens_Arabe << 42 << "042" << 6 << Reponse_Fausse;
    QTest::newRow("arabic +42") << Sens_Arabe << 42 << "+42" << 5 << Reponse_Fausse;
    QTest::newRow("arabic leading space") << Sens_Arabe << 42 << " 42" << 4 << Reponse_Fausse;
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
    ScriptedRandom random;
    askAbout(random, sens, number);
    const std::string wanted = expected(sens);
    random.counts.clear();
    random.queue({digit});

    const Verdict verdict = Juge_Reponse(sens, answer.toStdString());
    QCOMPARE(verdict.Resultat, result);
    // The cue digit is drawn at every validation, empty answers included.
    QCOMPARE(random.counts, std::vector<int>{8});
    QCOMPARE(verdict.Chiffre_Son, digit);
    QCOMPARE(questionNumber(sens), 2);
    QCOMPARE(rightAnswers(sens), result == Reponse_Juste ? 1 : 0);
    QCOMPARE(expected(sens), wanted);

    const std::string digitText = std::to_string(digit);
    switch (result) {
    case Reponse_Juste:
        QCOMPARE(verdict.Texte_Verdict, std::string("EXACT"));
        QCOMPARE(verdict.Texte_Correction, std::string());
        QCOMPARE(verdict.Nom_Son, "TAVORJ" + digitText + ".WAV");
        break;
    case Reponse_Fausse:
        QCOMPARE(verdict.Texte_Verdict, std::string("Faux"));
        QCOMPARE(verdict.Texte_Correction, "C'est : " + wanted);
        QCOMPARE(verdict.Nom_Son, "TAVORF" + digitText + ".WAV");
        break;
    case Reponse_Vide:
        QCOMPARE(verdict.Texte_Verdict, std::string());
        QCOMPARE(verdict.Texte_Correction, std::string());
        QCOMPARE(verdict.Nom_Son, std::string());
        break;
    }
}

void TestExercice::answerSequencesAndScore_data() {
    QTest::addColumn<Sens_Exercice>("sens");
    // Answers given to one question, in turn: R right, W wrong, E empty; between two
    // questions, C for "Continuer".
    QTest::addColumn<QString>("answers");
    QTest::addColumn<QString>("score");
    QTest::addColumn<int>("percentage");
    for (Sens_Exercice sens : {Sens_Romain, Sens_Arabe}) {
        const char *name = sens == Sens_Romain ? "roman" : "arabic";
        QTest::addRow("%s first answer right", name) << sens << "R"
                                                     << "1/1" << 100;
        QTest::addRow("%s first answer wrong", name) << sens << "W"
                                                     << "0/1" << 0;
        QTest::addRow("%s empty then right", name) << sens << "ER"
                                                   << "1/2" << 50;
        QTest::addRow("%s empty counts after Continuer", name) << sens << "ECR"
                                                               << "1/2" << 50;
        QTest::addRow("%s right twice", name) << sens << "RR"
                                              << "2/2" << 100;
        QTest::addRow("%s wrong then right", name) << sens << "WR"
                                                   << "1/2" << 50;
        QTest::addRow("%s three questions", name) << sens << "RCWCR"
                                                  << "2/3" << 67;
        QTest::addRow("%s eight questions", name) << sens << "RCWCWCWCWCWCWCW"
                                                  << "1/8" << 12;
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
        const std::string answer = step == QLatin1Char('R')   ? expected(sens)
                                   : step == QLatin1Char('W') ? expected(sens) + "I"
                                                              : std::string();
        Juge_Reponse(sens, answer);
        ++given;
    }
    QCOMPARE(questionNumber(sens), given + 1);
    const Score result = Calcule_Score(sens);
    QCOMPARE(QString::fromStdString(result.Texte_Score), score);
    QCOMPARE(result.Pourcentage, percentage);
}

void TestExercice::percentageOverAllCounts() {
    // Away from exact halves the percentage is the true rounding; at exact halves the
    // extended-precision steps decide which way it goes.
    int tiesBrokenByPrecision = 0;
    for (Sens_Exercice sens : {Sens_Romain, Sens_Arabe}) {
        for (std::int32_t given = 1; given <= 200; ++given) {
            for (std::int32_t right = 0; right <= given; ++right) {
                Etat_Global = T_Etat_Global{};
                questionNumber(sens) = given + 1;
                rightAnswers(sens) = right;
                const Score score = Calcule_Score(sens);
                const bool tie = isExactTie(right, given);
                const int wanted = extendedPercentage(static_cast<std::uint64_t>(right),
                                                      static_cast<std::uint64_t>(given));
                if (!tie && wanted != exactPercentage(right, given)) {
                    QFAIL("the reference itself is wrong");
                }
                if (tie && wanted != exactPercentage(right, given)) {
                    ++tiesBrokenByPrecision;
                }
                if (score.Pourcentage != wanted ||
                    score.Texte_Score != std::to_string(right) + "/" + std::to_string(given)) {
                    QFAIL(qPrintable(QStringLiteral("%1 of %2 gives %3 (%4), expected %5")
                                         .arg(right)
                                         .arg(given)
                                         .arg(QString::fromStdString(score.Texte_Score))
                                         .arg(score.Pourcentage)
                                         .arg(wanted)));
                }
            }
        }
    }
    qInfo("exact halves that the extended precision rounds to odd: %d", tiesBrokenByPrecision);
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
    QTest::newRow("1 of 200") << 1 << 200 << 0;
    QTest::newRow("3 of 200") << 3 << 200 << 2;
    // Halves that only the extended precision keeps on the even side (plain doubles do not).
    QTest::newRow("46 of 80") << 46 << 80 << 58;
    QTest::newRow("109 of 200") << 109 << 200 << 54;
}

void TestExercice::percentageExamples() {
    QFETCH(int, right);
    QFETCH(int, given);
    QFETCH(int, percentage);
    for (Sens_Exercice sens : {Sens_Romain, Sens_Arabe}) {
        Etat_Global = T_Etat_Global{};
        questionNumber(sens) = given + 1;
        rightAnswers(sens) = right;
        QCOMPARE(Calcule_Score(sens).Pourcentage, percentage);
    }
}

void TestExercice::countersAtTheirLimit_data() {
    QTest::addColumn<Sens_Exercice>("sens");
    addBothDirections("largest counters");
}

void TestExercice::countersAtTheirLimit() {
    // No bound applies to the counters, but they must neither wrap round nor let the right
    // answers outnumber the answers.
    QFETCH(Sens_Exercice, sens);
    constexpr std::int32_t largest = std::numeric_limits<std::int32_t>::max();
    questionNumber(sens) = largest - 1;
    rightAnswers(sens) = largest - 3;
    setLevel(3);
    Prepare_Question(sens);
    Juge_Reponse(sens, expected(sens));
    QCOMPARE(questionNumber(sens), largest);
    QCOMPARE(rightAnswers(sens), largest - 2);
    Juge_Reponse(sens, expected(sens));
    QCOMPARE(questionNumber(sens), largest);
    QCOMPARE(rightAnswers(sens), largest - 2);

    const Score score = Calcule_Score(sens);
    QCOMPARE(score.Texte_Score, std::to_string(largest - 2) + "/" + std::to_string(largest - 1));
    QCOMPARE(score.Pourcentage, 100);

    // Asked for too early, or after the fields were set out of step, the score stays in range.
    questionNumber(sens) = 1;
    rightAnswers(sens) = 0;
    QCOMPARE(Calcule_Score(sens).Pourcentage, 0);
    questionNumber(sens) = 3;
    rightAnswers(sens) = 5;
    QCOMPARE(Calcule_Score(sens).Pourcentage, 100);
}

QTEST_APPLESS_MAIN(TestExercice)
#include "tst_exercice.moc"

#include "Exercice.h"

#include <QtTest>

#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

// Pearson's statistic of n equally likely outcomes over the given number of draws of Hasard(n).
double chiSquare(int n, int draws) {
    std::vector<long> counts(static_cast<std::size_t>(n));
    for (int i = 0; i < draws; ++i) {
        const int value = Hasard(n);
        if (value < 0 || value >= n) {
            return std::numeric_limits<double>::infinity();
        }
        ++counts[static_cast<std::size_t>(value)];
    }
    const double expectedCount = static_cast<double>(draws) / n;
    double statistic = 0;
    for (long count : counts) {
        const double gap = static_cast<double>(count) - expectedCount;
        statistic += gap * gap / expectedCount;
    }
    return statistic;
}

// The value that a chi-square variable with the given degrees of freedom exceeds with
// probability about 1 in 10,000 (Wilson and Hilferty's approximation).
double chiSquareBound(int degrees) {
    constexpr double z = 3.719;
    const double k = degrees;
    const double spread = 2.0 / (9.0 * k);
    return k * std::pow(1.0 - spread + z * std::sqrt(spread), 3);
}

// The classic mistake: reducing a raw value modulo n when the raw range is not a multiple of
// n. Here the raw range is one and a half times n, so the lower half comes twice as often.
class ModuloBiasedSource : public RandomSource {
public:
    int next(int n) override {
        const auto raw = static_cast<int>(engine() % static_cast<unsigned>(n + (n + 1) / 2));
        return raw % n;
    }

private:
    std::mt19937 engine{12345};
};

std::array<int, 4> drawSequence() {
    constexpr int all = std::numeric_limits<int>::max();
    return {Hasard(all), Hasard(all), Hasard(all), Hasard(all)};
}

} // namespace

class TestHasard : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { setRandomSource(nullptr); }

    void uniform_data();
    void uniform();
    void staysInRange_data();
    void staysInRange();
    void seeding();
};

void TestHasard::uniform_data() {
    QTest::addColumn<int>("n");
    // The counts the drills draw from.
    for (int n : {2, 8, 24, 39, 100, 499, 3999}) {
        QTest::addRow("n=%d", n) << n;
    }
}

void TestHasard::uniform() {
    QFETCH(int, n);
    const int draws = 200 * n;
    const double bound = chiSquareBound(n - 1);

    SeededRandom seeded;
    seeded.seed(987654321);
    setRandomSource(&seeded);
    const double statistic = chiSquare(n, draws);
    QVERIFY2(statistic < bound,
             qPrintable(QStringLiteral("chi-square %1, bound %2").arg(statistic).arg(bound)));

    // The same bound must catch a biased generator, or it proves nothing.
    ModuloBiasedSource biased;
    setRandomSource(&biased);
    const double biasedStatistic = chiSquare(n, draws);
    QVERIFY2(biasedStatistic > bound,
             qPrintable(
                 QStringLiteral("biased chi-square %1, bound %2").arg(biasedStatistic).arg(bound)));
}

void TestHasard::staysInRange_data() {
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("highest"); // the largest value allowed
    QTest::newRow("one") << 1 << 0;
    QTest::newRow("largest int") << std::numeric_limits<int>::max()
                                 << std::numeric_limits<int>::max() - 1;
    // Outside the contract: no count to draw from gives 0 rather than anything undefined.
    QTest::newRow("zero") << 0 << 0;
    QTest::newRow("smallest int") << std::numeric_limits<int>::min() << 0;
}

void TestHasard::staysInRange() {
    QFETCH(int, n);
    QFETCH(int, highest);
    Resseme_Hasard();
    for (int i = 0; i < 1000; ++i) {
        const int value = Hasard(n);
        QVERIFY2(value >= 0 && value <= highest, qPrintable(QString::number(value)));
    }
}

void TestHasard::seeding() {
    // A fixed seed repeats its sequence and another seed does not...
    SeededRandom seeded;
    setRandomSource(&seeded);
    seeded.seed(42);
    const std::array<int, 4> first = drawSequence();
    seeded.seed(42);
    QCOMPARE(drawSequence(), first);
    seeded.seed(43);
    QVERIFY(drawSequence() != first);
    // A reseed starts the sequence its seed gives, whatever was drawn before...
    std::uint64_t seed = 7;
    SeededRandom fromSeeds([&seed] { return seed; });
    setRandomSource(&fromSeeds);
    Resseme_Hasard();
    const std::array<int, 4> fromSeven = drawSequence();
    drawSequence();
    Resseme_Hasard();
    QCOMPARE(drawSequence(), fromSeven);
    seed = 8;
    Resseme_Hasard();
    QVERIFY(drawSequence() != fromSeven);
    // ...and two reseeds from the clock in quick succession, well within one tick of a
    // millisecond clock, still differ.
    setRandomSource(nullptr);
    Resseme_Hasard();
    const std::array<int, 4> reseeded = drawSequence();
    Resseme_Hasard();
    QVERIFY(drawSequence() != reseeded);
}

QTEST_APPLESS_MAIN(TestHasard)
#include "tst_hasard.moc"

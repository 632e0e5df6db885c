#include "constnum.h"

#include <QtTest>

#include <string>
#include <utility>

namespace {

std::string replaceAll(const std::string &text, const std::string &from, const std::string &to) {
    std::string result;
    std::string::size_type start = 0;
    for (auto found = text.find(from); found != std::string::npos; found = text.find(from, start)) {
        result.append(text, start, found - start).append(to);
        start = found + from.size();
    }
    return result.append(text, start, std::string::npos);
}

// A reference written another way: count the value out in strokes, bundle them into ever
// larger letters, then rewrite the four-of-a-kind runs in subtractive form.
std::string referenceNumeral(int value) {
    std::string numeral(static_cast<std::size_t>(value), 'I');
    const std::pair<const char *, const char *> bundles[] = {
        {"IIIII", "V"}, {"VV", "X"}, {"XXXXX", "L"}, {"LL", "C"}, {"CCCCC", "D"}, {"DD", "M"}};
    for (const auto &[from, to] : bundles) {
        numeral = replaceAll(numeral, from, to);
    }
    // The nines before the fours, since a nine holds a four (DCCCC holds CCCC).
    const std::pair<const char *, const char *> subtractive[] = {{"DCCCC", "CM"}, {"CCCC", "CD"},
                                                                 {"LXXXX", "XC"}, {"XXXX", "XL"},
                                                                 {"VIIII", "IX"}, {"IIII", "IV"}};
    for (const auto &[from, to] : subtractive) {
        numeral = replaceAll(numeral, from, to);
    }
    return numeral;
}

} // namespace

class TestConstnum : public QObject {
    Q_OBJECT

private slots:
    void matchesReferenceOverWholeRange();
    void oddInputs_data();
    void oddInputs();
};

void TestConstnum::matchesReferenceOverWholeRange() {
    // In rising order, so that a short numeral follows every long one.
    for (int value = 1; value <= 3999; ++value) {
        const std::string expected = referenceNumeral(value);
        const std::string actual = Convertit_Romain(std::to_string(value));
        if (actual != expected) {
            QFAIL(qPrintable(
                QStringLiteral("%1 gives %2, expected %3")
                    .arg(value)
                    .arg(QString::fromStdString(actual), QString::fromStdString(expected))));
        }
    }
}

void TestConstnum::oddInputs_data() {
    QTest::addColumn<QString>("input");
    // Each position that holds no digit counts as a zero; -1 means the empty text.
    QTest::addColumn<int>("sameAsValue");

    QTest::newRow("empty") << "" << 0;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("four zeros") << "0000" << 0;
    QTest::newRow("leading zeros") << "0042" << 42;
    QTest::newRow("letter inside") << "4a2" << 402;
    QTest::newRow("minus sign") << "-12" << 12;
    QTest::newRow("decimal point") << "1.5" << 105;
    QTest::newRow("five digits") << "12345" << -1;
    QTest::newRow("long text") << QString(1000, QLatin1Char('9')) << -1;
}

void TestConstnum::oddInputs() {
    QFETCH(QString, input);
    QFETCH(int, sameAsValue);
    // After a long numeral, so that nothing of an earlier conversion may survive.
    Convertit_Romain("3888");
    const std::string expected = sameAsValue <= 0 ? std::string() : referenceNumeral(sameAsValue);
    QCOMPARE(Convertit_Romain(input.toStdString()), expected);
}

QTEST_APPLESS_MAIN(TestConstnum)
#include "tst_constnum.moc"

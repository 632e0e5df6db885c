// What a screen reader says in the drills: the question with the answer box, on opening and
// after each "&Continuer"; the verdict, the correction and the score with "&Continuer" after
// each validation.
#include "Application.h"
#include "Arab1.h"
#include "Globals.h"
#include "Romain1.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {

QString said(QWidget *widget, QAccessible::Text text) {
    return QAccessible::queryAccessibleInterface(widget)->text(text);
}

// A numeral letter by letter, as it is to be said.
QString letters(const QString &numeral) {
    QStringList each;
    for (const QChar letter : numeral)
        each.append(QString(letter));
    return each.join(QStringLiteral(", "));
}

} // namespace

class TestDrillSpeech : public QObject {
    Q_OBJECT

private slots:
    void init() { Etat_Global = T_Etat_Global{}; }
    void everyStepIsSaid_data();
    void everyStepIsSaid();

private:
    tavorim::TApplication application_;
};

void TestDrillSpeech::everyStepIsSaid_data() {
    QTest::addColumn<bool>("roman");
    QTest::addColumn<QList<bool>>("rightAnswers");
    QTest::newRow("romain") << true << QList<bool>{true, false, true, true};
    QTest::newRow("arabe") << false << QList<bool>{false, true, false, true};
}

void TestDrillSpeech::everyStepIsSaid() {
    QFETCH(bool, roman);
    QFETCH(QList<bool>, rightAnswers);
    std::unique_ptr<QDialog> window(roman ? static_cast<QDialog *>(new Tromaform) : new Tarabform);
    auto *box = window->findChild<QLineEdit *>(QStringLiteral("Edit1"));
    auto *shown = window->findChild<QLabel *>(QStringLiteral("Label2"));
    auto *next = window->findChild<QPushButton *>(QStringLiteral("Button3"));
    auto *score = window->findChild<QWidget *>(QStringLiteral("Panel2"));
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));

    int right = 0;
    for (int round = 1; round <= rightAnswers.size(); ++round) {
        // Asked: the box has the focus and says the question, refreshed for this number.
        QTRY_VERIFY(!shown->text().isEmpty());
        QTRY_COMPARE(window->focusWidget(), box);
        const QString question =
            roman ? QStringLiteral("Écris %1 en chiffres romains.").arg(shown->text())
                  : QStringLiteral("Écris en chiffres arabes : %1.").arg(letters(shown->text()));
        QCOMPARE(said(box, QAccessible::Description), question);
        QVERIFY(said(next, QAccessible::Description).isEmpty());

        const bool good = rightAnswers.at(round - 1);
        const QString expected =
            QString::fromStdString(roman ? Etat_Global.Attendu_Rom : Etat_Global.Attendu_Arab);
        QTest::keyClicks(box, good ? expected : expected + (roman ? "I" : "0"));
        QTest::keyClick(box, Qt::Key_Return);

        // Marked: "&Continuer" has the focus and says it all.
        QCOMPARE(window->focusWidget(), next);
        right += good ? 1 : 0;
        const QString scoreSaid = QStringLiteral("%1 %2 sur %3")
                                      .arg(right)
                                      .arg(right > 1 ? "justes" : "juste")
                                      .arg(round);
        const QString verdict =
            good ? QStringLiteral("EXACT. ")
                 : QStringLiteral("Faux. C'est : %1. ").arg(roman ? letters(expected) : expected);
        QCOMPARE(said(next, QAccessible::Description), verdict + scoreSaid + QLatin1Char('.'));
        QCOMPARE(said(score, QAccessible::Name), QStringLiteral("Score : ") + scoreSaid);

        shown->clear();
        QTest::keyClick(next, Qt::Key_C);
    }
}

QTEST_MAIN(TestDrillSpeech)
#include "tst_drillspeech.moc"

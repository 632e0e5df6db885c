// Verdict latency of the two drill windows, measured in the process: from the Enter key event
// that validates an answer to the end of the verdict label's paint, over many validations
// (right and wrong answers in turn), in both drills. With sound on, the verdict cue is opened
// and started by the key handler itself, before the verdict is painted; the first validation
// with sound on is reported apart, since it is the one that meets the sound server first.
//
// Targets: verdict painted within 16 ms at the 95th percentile; with sound on, the first cue
// started within 50 ms of Enter.
//
//   verdict_latency [validations]   (default 300 per drill)
//
// Run it from the program folder, so that the cues and the audio output module are found
// there.

#include "Application.h"
#include "Arab1.h"
#include "DrillWindow.h"
#include "Globals.h"
#include "Module.h"
#include "Romain1.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

// Notes when the verdict label has finished painting a non-empty verdict: the paint is let
// through to the label from inside the filter, so the time is taken after it.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QLabel *label) : label_(label) { label_->installEventFilter(this); }

    void arm(const QElapsedTimer &clock) {
        clock_ = &clock;
        paintedAt_ = -1;
    }
    bool painted() const { return paintedAt_ >= 0; }
    qint64 paintedAt() const { return paintedAt_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (watched != label_ || event->type() != QEvent::Paint || !clock_ || painted() ||
            label_->text().isEmpty())
            return false;
        label_->removeEventFilter(this);
        QCoreApplication::sendEvent(label_, event);
        label_->installEventFilter(this);
        paintedAt_ = clock_->nsecsElapsed();
        return true;
    }

private:
    QLabel *label_;
    const QElapsedTimer *clock_ = nullptr;
    qint64 paintedAt_ = -1;
};

struct Figures {
    std::vector<double> ms;
    double firstMs = 0;
};

double percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto index = std::size_t(p * double(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

QString wrongAnswer(bool roman, const std::string &expected) {
    if (roman)
        return QString::fromLatin1(expected == "I" ? "V" : "I");
    return QString::fromLatin1(expected == "1" ? "2" : "1");
}

// Opens one drill and validates answers in it; false when the window never showed a verdict.
bool measure(bool roman, int validations, Figures &figures) {
    std::unique_ptr<DrillWindow> window(roman ? static_cast<DrillWindow *>(new Tromaform)
                                              : new Tarabform);
    auto *verdict = window->findChild<QLabel *>(QStringLiteral("Label1"));
    auto *edit = window->findChild<QLineEdit *>(QStringLiteral("Edit1"));
    if (!verdict || !edit)
        return false;
    PaintWatch watch(verdict);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        return false;
    const auto &expected = [roman]() -> const std::string & {
        return roman ? Etat_Global.Attendu_Rom : Etat_Global.Attendu_Arab;
    };
    if (!QTest::qWaitFor([&] { return !expected().empty(); }, 5000))
        return false;

    QElapsedTimer clock;
    for (int i = 0; i < validations; ++i) {
        if (!QTest::qWaitFor([&] { return window->focusWidget() == edit; }, 5000))
            return false;
        const bool right = i % 2 == 0;
        QTest::keyClicks(edit, right ? QString::fromStdString(expected())
                                     : wrongAnswer(roman, expected()));
        QCoreApplication::processEvents();
        clock.start();
        watch.arm(clock);
        QTest::keyPress(edit, Qt::Key_Return);
        if (!QTest::qWaitFor([&] { return watch.painted(); }, 5000))
            return false;
        const double ms = double(watch.paintedAt()) / 1e6;
        if (i == 0)
            figures.firstMs = ms;
        figures.ms.push_back(ms);
        QTest::keyRelease(edit, Qt::Key_Return);
        // "&Continuer" has the focus: the next question.
        QTest::keyClick(window->focusWidget(), Qt::Key_Return);
    }
    return true;
}

void report(const char *what, const Figures &figures) {
    std::printf("  %-28s first %6.2f ms, median %6.2f ms, p95 %6.2f ms, max %6.2f ms (%zu)\n", what,
                figures.firstMs, percentile(figures.ms, 0.5), percentile(figures.ms, 0.95),
                percentile(figures.ms, 1.0), figures.ms.size());
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    tavorim::TApplication application;
    const int validations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    tavorim::Module::setFolder(QDir::currentPath());

    // A cue that cannot be opened brings up the error box: it is closed and counted, so that
    // a run without a sound server still ends.
    int errorBoxes = 0;
    QTimer boxCloser;
    QObject::connect(&boxCloser, &QTimer::timeout, [&errorBoxes] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && !qobject_cast<DrillWindow *>(modal)) {
            ++errorBoxes;
            modal->close();
        }
    });
    boxCloser.start(20);

    std::printf("verdict latency, Enter to verdict painted (%s):\n",
                qPrintable(QGuiApplication::platformName()));
    bool ok = true;
    for (const bool sound : {false, true}) {
        for (const bool roman : {true, false}) {
            Etat_Global = T_Etat_Global{};
            Etat_Global.Son_Actif = sound;
            Figures figures;
            // With sound on, every cue is opened on the real output: fewer rounds.
            if (!measure(roman, sound ? std::max(1, validations / 10) : validations, figures)) {
                std::fprintf(stderr, "verdict_latency: the %s drill showed no verdict\n",
                             roman ? "Roman" : "Arabic");
                ok = false;
                continue;
            }
            const QByteArray what =
                QByteArray(roman ? "romain" : "arabe") + (sound ? ", sound on" : ", sound off");
            report(what.constData(), figures);
        }
    }
    if (errorBoxes > 0)
        std::printf("  %d error boxes: no sound server answered, the sound-on figures include "
                    "them\n",
                    errorBoxes);
    std::printf("  targets: p95 <= 16 ms; with sound on, first <= 50 ms (the cue is started "
                "before the paint)\n");
    return ok ? 0 : 1;
}

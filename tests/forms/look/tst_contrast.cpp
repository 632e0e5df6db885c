// Every text a pupil reads, in every window, under a dark desktop scheme: measured on the
// window's picture, against the ground it stands on. Each keeps a contrast of at least 4.5:1,
// or, where the windows' own design pairs two colors of less, that pair's own contrast.
#include "About.h"
#include "Application.h"
#include "Arab1.h"
#include "BevelPanel.h"
#include "Gauge.h"
#include "Globals.h"
#include "GlyphButton.h"
#include "NamedChild.h"
#include "Nivform.h"
#include "Romain1.h"
#include "Tavor1.h"
#include "Unit2.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QtTest>

#include <cmath>
#include <functional>
#include <memory>
#include <optional>

namespace {

double luminance(QRgb rgb) {
    auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) +
           0.0722 * channel(qBlue(rgb));
}

double contrast(QRgb a, QRgb b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A dark desktop scheme (the "darker" scheme of the Qt configuration tool): pale text on dark
// grounds everywhere.
QPalette darkScheme() {
    QPalette dark;
    const QColor window(0x22, 0x20, 0x20), base(0x3D, 0x3D, 0x3D), button(0x42, 0x42, 0x45);
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor text = group == QPalette::Disabled ? QColor(0x80, 0x80, 0x80) : Qt::white;
        dark.setColor(group, QPalette::WindowText, text);
        dark.setColor(group, QPalette::Text, text);
        dark.setColor(group, QPalette::ButtonText, text);
        dark.setColor(group, QPalette::Window, window);
        dark.setColor(group, QPalette::Base, base);
        dark.setColor(group, QPalette::Button, button);
        dark.setColor(group, QPalette::Light, QColor(0x97, 0x97, 0x97));
        dark.setColor(group, QPalette::Midlight, QColor(0x5E, 0x5C, 0x5B));
        dark.setColor(group, QPalette::Dark, QColor(0x30, 0x2F, 0x2E));
        dark.setColor(group, QPalette::Mid, QColor(0x4A, 0x49, 0x47));
        dark.setColor(group, QPalette::Shadow, QColor(0xE7, 0xE4, 0xE0));
        dark.setColor(group, QPalette::Highlight, QColor(0x12, 0x60, 0x8A));
        dark.setColor(group, QPalette::HighlightedText, Qt::white);
        dark.setColor(group, QPalette::AlternateBase, QColor(0x5C, 0x5B, 0x5A));
    }
    return dark;
}

// Where a control's text lies, in its own coordinates.
QRect textArea(const QWidget *widget) {
    const QFontMetrics metrics(widget->font());
    auto centred = [&](const QString &text, const QRect &within, Qt::Alignment alignment) {
        const QSize size(metrics.horizontalAdvance(QString(text).remove(QLatin1Char('&'))),
                         metrics.height());
        return QStyle::alignedRect(Qt::LeftToRight, alignment, size, within) & within;
    };
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return centred(label->text(), label->contentsRect(), label->alignment());
    if (const auto *panel = qobject_cast<const tavorim::BevelPanel *>(widget))
        return centred(panel->caption(), panel->captionRect(), Qt::AlignCenter);
    if (const auto *gauge = qobject_cast<const tavorim::Gauge *>(widget))
        return centred(gauge->text(), gauge->rect().adjusted(1, 1, -1, -1), Qt::AlignCenter);
    if (const auto *edit = qobject_cast<const QLineEdit *>(widget))
        return QRect(3, 3, metrics.horizontalAdvance(edit->text()) + 4, edit->height() - 6);
    if (const auto *glyph = qobject_cast<const tavorim::GlyphButton *>(widget))
        return QRect(glyph->glyphRect().right() + 2, 3,
                     glyph->width() - glyph->glyphRect().right() - 5, glyph->height() - 6);
    if (const auto *radio = qobject_cast<const QRadioButton *>(widget)) {
        QStyleOptionButton option;
        option.initFrom(radio);
        const QRect contents =
            radio->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, radio);
        return centred(radio->text(), contents, Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        return centred(button->text(), button->rect().adjusted(3, 3, -3, -3), Qt::AlignCenter);
    return widget->rect();
}

struct Measured {
    QRgb text = 0;
    QRgb ground = 0;
    double ratio = 0;
};

// Takes the control's text away for a moment; returns what puts it back, or nothing for a
// control whose text cannot be taken away alone.
std::function<void()> takeTextAway(QWidget *control) {
    if (auto *label = qobject_cast<QLabel *>(control)) {
        const QString text = label->text();
        label->setText(QString());
        return [label, text] { label->setText(text); };
    }
    if (auto *panel = qobject_cast<tavorim::BevelPanel *>(control)) {
        const QString text = panel->caption();
        panel->setCaption(QString());
        return [panel, text] { panel->setCaption(text); };
    }
    if (auto *edit = qobject_cast<QLineEdit *>(control)) {
        const QString text = edit->text();
        const QSignalBlocker quiet(edit);
        edit->setText(QString());
        return [edit, text] {
            const QSignalBlocker quiet(edit);
            edit->setText(text);
        };
    }
    if (auto *button = qobject_cast<QAbstractButton *>(control)) {
        auto *glyph = qobject_cast<tavorim::GlyphButton *>(button);
        const int margin = glyph ? glyph->margin() : 0;
        if (glyph) // the glyph stays where the caption beside it put it
            glyph->setMargin(glyph->glyphRect().left());
        const QString text = button->text();
        button->setText(QString());
        return [button, glyph, margin, text] {
            button->setText(text);
            if (glyph)
                glyph->setMargin(margin);
        };
    }
    return {};
}

// Every pixel the text changes, against what it shows without the text: the lowest contrast
// among them, so that a ground of several shades counts where it is palest against the text.
std::optional<Measured> measureAgainstGround(const QImage &with, const QImage &without,
                                             const QRect &area) {
    std::optional<Measured> worst;
    int changed = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb text = with.pixel(x, y) | 0xff000000u;
            const QRgb ground = without.pixel(x, y) | 0xff000000u;
            if (text == ground)
                continue;
            ++changed;
            const double ratio = contrast(text, ground);
            if (!worst || ratio < worst->ratio)
                worst = Measured{text, ground, ratio};
        }
    }
    return changed >= 5 ? worst : std::nullopt;
}

// For flat grounds only: the ground is the commonest color of the area, the text the color
// that stands out most from it.
std::optional<Measured> measureOnFlatGround(const QImage &image, const QRect &area) {
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y) | 0xff000000u];
    if (counts.size() < 2)
        return std::nullopt;
    Measured found;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            found.ground = it.key();
        }
    }
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        const double ratio = contrast(it.key(), found.ground);
        if (it.value() >= 3 && ratio > found.ratio) {
            found.ratio = ratio;
            found.text = it.key();
        }
    }
    return found;
}

// A text and, where the design pairs its own two colors, that pair.
struct Text {
    QString what;
    QWidget *control;
    QRect area; // in the control; empty: where its text lies
    std::optional<std::pair<QRgb, QRgb>> designPair;
    // The text keeps the design pair's colors themselves, whatever the desktop's scheme.
    bool ownColors = false;
};

// Shown with its texts drawn without smoothing, so that every stroke pixel has the text's own
// color (a thin "1" may otherwise have none at full strength).
QWidget *open(QWidget *window) {
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *widget : widgets) {
        QFont font = widget->font();
        font.setStyleStrategy(QFont::NoAntialias);
        widget->setFont(font);
    }
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        qWarning("window not shown");
    return window;
}

} // namespace

class TestContrast : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void textsStandOut_data();
    void textsStandOut();
    void levelRadiosOnTheirPanel();

private:
    // Outlives the windows, which call on it.
    tavorim::TApplication application_;
    // The windows of a row, kept until the row ends.
    std::vector<std::unique_ptr<QWidget>> windows_;
    QWidget *keep(QWidget *window) {
        windows_.emplace_back(window);
        return window;
    }
    QList<Text> drillTexts(bool roman, bool right);
};

void TestContrast::initTestCase() {
    QApplication::setPalette(darkScheme());
}

void TestContrast::cleanup() {
    windows_.clear();
    Etat_Global = T_Etat_Global{};
}

// A drill after one answer, right or wrong, with its gauge full.
QList<Text> TestContrast::drillTexts(bool roman, bool right) {
    Etat_Global = T_Etat_Global{};
    QWidget *w = open(keep(roman ? static_cast<QWidget *>(new Tromaform) : new Tarabform));
    auto *shown = namedChild<QLabel>(w, "Label2");
    if (!QTest::qWaitFor([&] { return !shown->text().isEmpty(); }, 5000))
        qWarning("no question asked");
    const std::string expected = roman ? Etat_Global.Attendu_Rom : Etat_Global.Attendu_Arab;
    const QString answer =
        QString::fromStdString(expected) + (right ? QString() : QString(roman ? "I" : "0"));
    auto *edit = namedChild<QLineEdit>(w, "Edit1");
    QTest::keyClicks(edit, answer.left(roman ? 20 : 6));
    QTest::keyClick(edit, Qt::Key_Return);
    namedChild<tavorim::Gauge>(w, "Gauge1")->setProgress(right ? 100 : 0);
    if (right) // a changed answer enables "&Valider" again; after a wrong one it stays disabled
        QTest::keyClicks(edit, roman ? "X" : "1");

    const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 128, 0);
    const QRgb fill = roman ? qRgb(0xFF, 0xEA, 0xEA) : qRgb(0xEA, 0xEA, 0xFF);
    const char *level = roman ? "Label4" : "Label5";
    const char *correction = roman ? "Label5" : "Label4";
    QList<Text> texts{
        {"instruction", namedChild<QLabel>(w, "Label3"), {}, {}},
        {"question", shown, {}, {}},
        {"question number", namedChild<QLabel>(w, "Label6"), {}, {}},
        {"level", namedChild<QLabel>(w, level), {}, {}},
        {"verdict", namedChild<QLabel>(w, "Label1"), {}, std::pair{right ? green : red, fill}},
        {"score", namedChild<tavorim::BevelPanel>(w, "Panel2"), {}, {}},
        {"answer", edit, {}, {}},
        {"Valider", namedChild<QPushButton>(w, "Button1"), {}, {}},
        {"Quitter", namedChild<QPushButton>(w, "Button2"), {}, {}},
        {"Continuer", namedChild<QPushButton>(w, "Button3"), {}, {}},
    };
    // The gauge's text is the inverse of the bar: black on the white ground, the inverse of the
    // fill over the fill.
    const QRgb bar = roman ? red : qRgb(0, 255, 0);
    texts.append({"gauge",
                  namedChild<tavorim::Gauge>(w, "Gauge1"),
                  {},
                  right ? std::optional(std::pair{bar ^ 0x00ffffffu, bar}) : std::nullopt});
    if (!right)
        texts.append({"correction", namedChild<QLabel>(w, correction), {}, {}});
    return texts;
}

void TestContrast::textsStandOut_data() {
    QTest::addColumn<QString>("window");
    for (const char *window : {"romain, right", "romain, wrong", "arabe, right", "arabe, wrong",
                               "main window", "level dialog", "About box", "backdrop"})
        QTest::newRow(window) << QString::fromLatin1(window);
}

void TestContrast::textsStandOut() {
    QFETCH(QString, window);
    QList<Text> texts;
    QWidget *shown = nullptr;
    if (window.startsWith(QLatin1String("romain")) || window.startsWith(QLatin1String("arabe"))) {
        texts = drillTexts(window.startsWith(QLatin1String("romain")),
                           window.endsWith(QLatin1String("right")));
        shown = windows_.back().get();
    } else if (window == QLatin1String("main window")) {
        shown = open(keep(new TForm1));
        // Black on the button face and navy on orange, as designed, not the dark scheme's.
        const auto classic = std::pair{qRgb(0, 0, 0), qRgb(0xF0, 0xF0, 0xF0)};
        auto *menu = namedChild<QMenuBar>(shown, "MainMenu1");
        for (QAction *item : menu->actions())
            texts.append({item->text(), menu, menu->actionGeometry(item), classic, true});
        texts.append({"oOo",
                      namedChild<QLabel>(shown, "Label1"),
                      {},
                      std::pair{qRgb(0, 0, 128), qRgb(255, 149, 43)},
                      true});
        texts.append(
            {"Fermer", namedChild<tavorim::GlyphButton>(shown, "BitBtn1"), {}, classic, true});
    } else if (window == QLatin1String("level dialog")) {
        shown = open(keep(new Tnivform));
        for (const char *radio : {"RadioButton1", "RadioButton2", "RadioButton3"})
            texts.append({radio, namedChild<QRadioButton>(shown, radio), {}, {}});
        texts.append({"Ok", namedChild<QPushButton>(shown, "Button1"), {}, {}});
    } else if (window == QLatin1String("About box")) {
        shown = open(keep(new TAboutBox));
        const QRgb ground = qRgb(0x00, 0xCA, 0xCA);
        texts = {{"product",
                  namedChild<QLabel>(shown, "ProductName"),
                  {},
                  std::pair{qRgb(0, 0, 255), ground}},
                 {"version", namedChild<QLabel>(shown, "Version"), {}, {}},
                 {"suggestion",
                  namedChild<QLabel>(shown, "Label1"),
                  {},
                  std::pair{qRgb(0, 128, 0), ground}},
                 {"write", namedChild<QLabel>(shown, "Label2"), {}, {}},
                 {"site", namedChild<QLabel>(shown, "Label3"), {}, {}},
                 {"credit", namedChild<QLabel>(shown, "Copyright"), {}, {}},
                 {"OK", namedChild<QPushButton>(shown, "OKButton"), {}, {}}};
    } else {
        auto *backdrop = new TForm2;
        backdrop->resize(800, 600);
        shown = open(keep(backdrop));
        auto *clock = namedChild<tavorim::BevelPanel>(shown, "Panel1");
        QTRY_VERIFY(!clock->caption().isEmpty());
        const QRgb face = qRgb(0xF0, 0xF0, 0xF0), silver = qRgb(192, 192, 192);
        texts = {{"clock", clock, {}, std::pair{qRgb(255, 255, 0), qRgb(0, 128, 128)}},
                 {"Maj",
                  namedChild<tavorim::BevelPanel>(shown, "panelMaj"),
                  {},
                  std::pair{silver, face}},
                 {"Verr Num",
                  namedChild<tavorim::BevelPanel>(shown, "PanelVernum"),
                  {},
                  std::pair{silver, face}}};
    }

    auto picture = [shown] {
        return shown->grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    const QImage image = picture();
    QStringList report;
    for (const Text &text : texts) {
        // The text's place with a little of its ground around it.
        const QRect area =
            ((text.area.isEmpty() ? textArea(text.control).adjusted(-2, -2, 2, 2) : text.area) &
             text.control->rect())
                .translated(text.control->mapTo(shown, QPoint(0, 0))) &
            image.rect();
        std::optional<Measured> found;
        if (const std::function<void()> putBack =
                text.area.isEmpty() ? takeTextAway(text.control) : std::function<void()>()) {
            const QImage without = picture();
            putBack();
            found = measureAgainstGround(image, without, area);
        } else {
            found = measureOnFlatGround(image, area);
        }
        QVERIFY2(found, qPrintable(text.what + QStringLiteral(": no text seen")));
        double needed = 4.5;
        if (text.designPair)
            needed = std::min(needed, contrast(text.designPair->first, text.designPair->second));
        const QString line =
            QStringLiteral("%1: %2 on %3, %4:1 (needs %5)")
                .arg(text.what, QColor(found->text).name(), QColor(found->ground).name())
                .arg(found->ratio, 0, 'f', 2)
                .arg(needed, 0, 'f', 2);
        report << line;
        QVERIFY2(found->ratio >= needed - 0.02, qPrintable(line));
        if (text.ownColors) {
            const auto near = [](QRgb a, QRgb b) {
                return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                           std::abs(qBlue(a) - qBlue(b)) <=
                       48;
            };
            QVERIFY2(near(found->text, text.designPair->first) &&
                         near(found->ground, text.designPair->second),
                     qPrintable(line));
        }
    }
    qInfo("%s", qPrintable(report.join(QStringLiteral("; "))));
}

// The radio rows are painted in the panel's own color, not the window's.
void TestContrast::levelRadiosOnTheirPanel() {
    QWidget *dialog = open(keep(new Tnivform));
    const QImage image = dialog->grab().toImage();
    for (const char *name : {"RadioButton1", "RadioButton2", "RadioButton3"}) {
        const QWidget *radio = namedChild<QRadioButton>(dialog, name);
        const QRect row =
            radio->geometry().translated(radio->parentWidget()->mapTo(dialog, QPoint(0, 0)));
        // Right of the caption, where only the row's ground shows.
        QCOMPARE(image.pixelColor(row.right() - 2, row.center().y()), QColor(0xD8, 0xD7, 0xDB));
    }
}

QTEST_MAIN(TestContrast)
#include "tst_contrast.moc"

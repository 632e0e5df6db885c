#include "DrillWindow.h"

#include "Appearance.h"
#include "Application.h"
#include "BevelPanel.h"
#include "Centering.h"
#include "DialogKeys.h"
#include "Gauge.h"
#include "Globals.h"
#include "MessageBox.h"
#include "Pictures.h"
#include "PixelFont.h"
#include "Shape.h"
#include "SoundErrorText.h"
#include "SoundLog.h"
#include "SoundPlayer.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QValidator>

#include <algorithm>

namespace {

QString fromCore(const std::string &text) {
    return QString::fromStdString(text);
}

// Turns every text the box takes, typed or pasted, into capitals.
class UpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override {
        input = input.toUpper();
        return Acceptable;
    }
};

// The character a key types for the key filter; 0 for keys that type none (Tab moves the focus,
// keys with Alt are access keys).
char16_t typedCharacter(const QKeyEvent *event) {
    const Qt::KeyboardModifiers held = tavorim::heldModifiers(event);
    const bool ctrl = held & Qt::ControlModifier;
    const bool alt = held & Qt::AltModifier;
    if (alt && !ctrl)
        return 0;
    const int key = event->key();
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return ctrl ? u'\n' : u'\r';
    case Qt::Key_Escape:
        return 0x1b;
    case Qt::Key_Backspace:
        return ctrl ? 0x7f : 0x08;
    default:
        break;
    }
    if (key >= Qt::Key_Escape)
        return 0;
    // Ctrl with a letter types its control character (Ctrl+C is 3), whatever text the
    // keyboard layer reports; Ctrl with Alt is AltGr and types its text.
    if (ctrl && !alt) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z)
            return static_cast<char16_t>(key - Qt::Key_A + 1);
        return 0;
    }
    const QString text = event->text();
    return text.isEmpty() ? 0 : text.at(0).unicode();
}

// Roman numerals of two letters or more spelt out, letter by letter: "C'est : XIV" becomes
// "C'est : X, I, V", which a speech engine reads as letters rather than as a word.
QString spelledNumerals(const QString &text) {
    static const QString romanLetters = QStringLiteral("IVXLCDM");
    QString spoken;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text.at(end).isLetter())
            ++end;
        const QString word = text.mid(start, end - start);
        const bool numeral = word.size() > 1 && std::all_of(word.begin(), word.end(), [](QChar c) {
                                 return romanLetters.contains(c);
                             });
        if (numeral) {
            QStringList letters;
            for (const QChar letter : word)
                letters.append(QString(letter));
            spoken += letters.join(QStringLiteral(", "));
        } else {
            spoken += word;
        }
        if (end < text.size())
            spoken += text.at(end);
        start = end + 1;
    }
    return spoken;
}

// The score as it is said: "1/2" reads "1 juste sur 2".
QString spokenScore(const QString &score) {
    const QStringList parts = score.split(QLatin1Char('/'));
    if (parts.size() != 2)
        return score;
    const bool plural = parts.at(0).toInt() > 1;
    return parts.at(0) + (plural ? QStringLiteral(" justes sur ") : QStringLiteral(" juste sur ")) +
           parts.at(1);
}

void setTextColor(QWidget *widget, const QColor &color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

void setBackground(QWidget *widget, const QColor &color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

DrillWindow::DrillWindow(QWidget *owner, tavorim::Beep beep)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      beep_(tavorim::beepOrSystem(std::move(beep))) {}

void DrillWindow::setUpControls(const Controls &controls, const Colors &colors,
                                const QString &picture, int answerLength, bool upperCase) {
    controls_ = controls;
    colors_ = colors;
    const QColor &windowColor = colors.window;
    connect(controls.answer, &QLineEdit::textChanged, this, &DrillWindow::Edit1Change);
    connect(controls.validate, &QPushButton::clicked, this, &DrillWindow::Button1Click);
    connect(controls.quit, &QPushButton::clicked, this, &DrillWindow::Button2Click);
    connect(controls.next, &QPushButton::clicked, this, &DrillWindow::Button3Click);
    setFixedSize(size());
    // All colors of our own: a dark desktop scheme would put its pale text on the pale window
    // and on the white question.
    setPalette(tavorim::classicPalette(windowColor));

    // Sizes are character heights in pixels, so that nothing follows the desktop's scaling.
    setFont(tavorim::pixelFont(QStringLiteral("Arial"), 13, false));
    controls_.verdict->setFont(tavorim::pixelFont(QStringLiteral("MS Serif"), 24, true));
    setTextColor(controls_.verdict, Qt::black);
    controls_.shown->setFont(tavorim::pixelFont(QStringLiteral("Arial"), 19, false));
    setBackground(controls_.shown, Qt::white);
    controls_.number->setFont(tavorim::pixelFont(QStringLiteral("Arial"), 13, true));
    controls_.level->setFont(tavorim::pixelFont(QStringLiteral("Arial"), 13, true));
    controls_.score->setFont(tavorim::pixelFont(QStringLiteral("Arial"), 13, false));
    controls_.instruction->adjustSize();

    const QPixmap pixmap = tavorim::picture(picture, this);
    if (!pixmap.isNull()) {
        controls_.picture->setPixmap(pixmap);
        controls_.picture->resize(pixmap.deviceIndependentSize().toSize());
    }

    controls_.answer->setMaxLength(answerLength);
    if (upperCase)
        controls_.answer->setValidator(new UpperCaseValidator(controls_.answer));
    // Every character must come as a key, through the filter: no input method composing
    // text, no text dropped in.
    controls_.answer->setAttribute(Qt::WA_InputMethodEnabled, false);
    controls_.answer->setAcceptDrops(false);
    controls_.answer->installEventFilter(this);
    controls_.answer->setFocus();
    tavorim::installDialogKeys(this, controls_.validate, beep_);

    // For screen readers: labels keep their text as name and say what they hold.
    controls_.answer->setAccessibleName(QStringLiteral("Votre réponse"));
    controls_.shown->setAccessibleDescription(QStringLiteral("À convertir"));
    controls_.number->setAccessibleDescription(QStringLiteral("Numéro de l'exercice"));
    controls_.level->setAccessibleDescription(QStringLiteral("Niveau"));
    controls_.verdict->setAccessibleDescription(QStringLiteral("Verdict"));
    controls_.correction->setAccessibleDescription(QStringLiteral("Correction"));
    controls_.gauge->setAccessibleName(QStringLiteral("Pourcentage de réponses justes"));
    controls_.score->setAccessibleName(QStringLiteral("Score"));
    controls_.shape->setAccessibleName(QStringLiteral("Cadre du verdict"));
    controls_.picture->setAccessibleName(QStringLiteral("Illustration"));
    FormCreate();
}

void DrillWindow::FormCreate() {
    if (Etat_Global.Couleurs_Riches)
        return;
    setPalette(tavorim::classicPalette(colors_.lowWindow));
    controls_.shape->setBrushColor(colors_.lowShapeFill);
}

void DrillWindow::FormActivate() {
    Resseme_Hasard();
    Pose_Question();
}

void DrillWindow::Edit1KeyDown(int &, Qt::KeyboardModifiers) {}

void DrillWindow::filterCharacter(char16_t &key, const QString &allowed) const {
    if (key == 0x08 || allowed.contains(QChar(key)))
        return;
    key = 0;
    beep_();
}

void DrillWindow::setUpQuestion(Sens_Exercice sens) {
    const Question_Preparee question = Prepare_Question(sens);
    controls_.number->setText(fromCore(question.Texte_Numero));
    controls_.level->setText(fromCore(question.Texte_Niveau));
    controls_.shown->setText(fromCore(question.Texte_Montre));
    // Screen readers read the question with the answer box as the focus lands on it; a label
    // that changes away from the focus is not read.
    const QString shown = spelledNumerals(fromCore(question.Texte_Montre));
    controls_.answer->setAccessibleDescription(
        sens == Sens_Romain ? QStringLiteral("Écris %1 en chiffres romains.").arg(shown)
                            : QStringLiteral("Écris en chiffres arabes : %1.").arg(shown));
    playCue("TAVORD.WAV");
    if (question.Avec_Score)
        showScore(sens);
}

void DrillWindow::markAnswer(Sens_Exercice sens) {
    const Verdict verdict = Juge_Reponse(sens, controls_.answer->text().toStdString());
    if (verdict.Resultat == Reponse_Vide) {
        controls_.answer->setFocus();
        return;
    }
    const bool right = verdict.Resultat == Reponse_Juste;
    setTextColor(controls_.verdict, right ? QColor(0x00, 0x80, 0x00) : QColor(0xFF, 0x00, 0x00));
    controls_.verdict->setText(fromCore(verdict.Texte_Verdict));
    if (!right)
        controls_.correction->setText(fromCore(verdict.Texte_Correction));

    playCue(verdict.Nom_Son);
    // Also after a cue that failed: the pupil has seen the error box, and the window must
    // stay ready for "&Continuer".
    const QString score = showScore(sens);
    // Verdict, correction and score go in "&Continuer"'s description, said with its focus: Qt has
    // no announcement for labels away from the focus.
    QString spoken = fromCore(verdict.Texte_Verdict) + QStringLiteral(". ");
    if (!right)
        spoken += spelledNumerals(fromCore(verdict.Texte_Correction)) + QStringLiteral(". ");
    controls_.next->setAccessibleDescription(spoken + score + QLatin1Char('.'));
    controls_.next->setEnabled(true);
    controls_.next->setFocus();
    controls_.validate->setEnabled(false);
}

void DrillWindow::clearForNextQuestion() {
    // The focus first: a screen reader takes a box whose text changes for the focus, and would
    // then not read the box, with its question, when the focus comes to it.
    controls_.answer->setFocus();
    // Set rather than cleared, which the box could undo: its undo history goes with the answer,
    // so Undo cannot bring the previous answer back and enable "&Valider".
    controls_.answer->setText(QString());
    controls_.verdict->clear();
    controls_.correction->clear();
    controls_.next->setAccessibleDescription(QString());
    controls_.validate->setEnabled(false);
    controls_.next->setEnabled(false);
}

void DrillWindow::enableValidation() {
    controls_.validate->setEnabled(!controls_.answer->text().isEmpty());
}

QString DrillWindow::showScore(Sens_Exercice sens) {
    const Score score = Calcule_Score(sens);
    controls_.gauge->setProgress(score.Pourcentage);
    controls_.score->setCaption(fromCore(score.Texte_Score));
    const QString spoken = spokenScore(fromCore(score.Texte_Score));
    controls_.score->setAccessibleName(QStringLiteral("Score : ") + spoken);
    return spoken;
}

void DrillWindow::playCue(const std::string &bareName) {
    if (!Etat_Global.Son_Actif)
        return;
    controls_.player->setFileName(fromCore(bareName));
    const tavorim::SoundError error = controls_.player->open();
    if (error != tavorim::SoundError::None) {
        const QString text = tavorim::errorBoxText(error);
        qCWarning(tavorim::soundLog, "%s : %s", bareName.c_str(), qUtf8Printable(text));
        tavorim::MessageBox::showError(this, tavorim::TApplication::instance().title().text(),
                                       text);
        return;
    }
    controls_.player->play();
}

bool DrillWindow::eventFilter(QObject *watched, QEvent *event) {
    if (watched == controls_.answer && event->type() == QEvent::ContextMenu) {
        showAnswerMenu(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    }
    if (watched != controls_.answer ||
        (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride))
        return QDialog::eventFilter(watched, event);
    auto *keyEvent = static_cast<QKeyEvent *>(event);
    char16_t character = typedCharacter(keyEvent);
    if (event->type() == QEvent::ShortcutOverride) {
        // A key that types a character goes to the filter, never to a shortcut (Ctrl+V
        // would paste past it).
        if (character == 0)
            return false;
        event->accept();
        return true;
    }
    int key = keyEvent->key();
    Edit1KeyDown(key, keyEvent->modifiers());
    if (character == 0)
        return false;
    Edit1KeyPress(character);
    if (character == 0)
        return true;
    if (character == 0x08 && keyEvent->key() != Qt::Key_Backspace) {
        // Ctrl+H types a backspace, which the box does not know as such.
        controls_.answer->backspace();
        return true;
    }
    return false;
}

void DrillWindow::showAnswerMenu(const QPoint &globalPosition) {
    // The box's own menu, whose commands work, but without the keys it lists for them: typed,
    // those keys reach the key filter, which refuses them with the beep.
    QMenu *menu = controls_.answer->createStandardContextMenu();
    const auto actions = menu->actions();
    for (QAction *action : actions) {
        action->setShortcut(QKeySequence());
        action->setText(action->text().section(QLatin1Char('\t'), 0, 0));
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPosition);
}

void DrillWindow::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    tavorim::centerOnScreen(this);
    if (activationPending_)
        return;
    activationPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            activationPending_ = false;
            if (isVisible())
                FormActivate();
        },
        Qt::QueuedConnection);
}

void DrillWindow::Edit1Change() {
    enableValidation();
}

void DrillWindow::Button2Click() {
    reject();
}

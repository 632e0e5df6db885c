#pragma once

#include "DialogKeys.h"
#include "Exercice.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tavorim {
class BevelPanel;
class Gauge;
class Shape;
class SoundPlayer;
} // namespace tavorim

// What the two drill windows do alike; each keeps its own handlers and calls these with its
// direction.
class DrillWindow : public QDialog {
    Q_OBJECT

public:
    // The controls both windows have, under their roles; each window names its own, as the label
    // names differ.
    struct Controls {
        QLineEdit *answer = nullptr;          // Edit1
        QPushButton *validate = nullptr;      // Button1, "&Valider"
        QPushButton *quit = nullptr;          // Button2, "&Quitter"
        QPushButton *next = nullptr;          // Button3, "&Continuer"
        QLabel *shown = nullptr;              // Label2, the number or numeral asked
        QLabel *number = nullptr;             // Label6, "Exercice n° : ..."
        QLabel *level = nullptr;              // "Niveau ..."
        QLabel *verdict = nullptr;            // Label1
        QLabel *correction = nullptr;         // "C'est : ..."
        QLabel *instruction = nullptr;        // Label3
        QLabel *picture = nullptr;            // Image1
        tavorim::Shape *shape = nullptr;      // Shape1
        tavorim::Gauge *gauge = nullptr;      // Gauge1
        tavorim::BevelPanel *score = nullptr; // Panel2
        tavorim::SoundPlayer *player = nullptr;
    };

protected:
    // beep sounds for refused keys; empty, the system's warning beep.
    DrillWindow(QWidget *owner, tavorim::Beep beep);

    // The window's colors: its own, then the window's and the shape's when the display has few.
    struct Colors {
        QColor window;
        QColor lowWindow;
        QColor lowShapeFill;
    };
    // Called once the form is built, controls back to front; the box takes at most answerLength
    // characters, in capitals when upperCase is set. Ends with FormCreate.
    void setUpControls(const Controls &controls, const Colors &colors, const QString &picture,
                       int answerLength, bool upperCase);

    // Runs once per showing, just after the window came up: reseeds and asks a question.
    virtual void FormActivate();
    virtual void Pose_Question() = 0;
    // The Enter key (or any key) reaching the answer box, before its character; the default
    // does nothing.
    virtual void Edit1KeyDown(int &key, Qt::KeyboardModifiers shift);
    // Each character typed in the answer box, before the box takes it; setting it to 0 drops
    // it.
    virtual void Edit1KeyPress(char16_t &key) = 0;
    // The box's text changed: "&Valider" follows it.
    virtual void Edit1Change();
    // "&Valider", "&Quitter" (which closes the window) and "&Continuer".
    virtual void Button1Click() = 0;
    virtual void Button2Click();
    virtual void Button3Click() = 0;

    // Keeps a typed character when it is backspace or one of allowed; else drops it with the
    // warning beep.
    void filterCharacter(char16_t &key, const QString &allowed) const;

    // Prepare_Question and its texts on screen, the question cue, the score if there is one.
    void setUpQuestion(Sens_Exercice sens);
    // Juge_Reponse on the box's text and the verdict on screen, its cue, the score, and the
    // focus on "&Continuer".
    void markAnswer(Sens_Exercice sens);
    // The box and the verdict emptied, both buttons disabled, the focus in the box.
    void clearForNextQuestion();
    // "&Valider" enabled exactly while the box holds text.
    void enableValidation();
    // Plays a cue when sound is on; a cue that cannot be opened is reported in the error box.
    void playCue(const std::string &bareName);

    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

    Controls controls_{};

private:
    // The low colors when the display has few colors.
    void FormCreate();

    // Shows the score and the gauge; returns the score as it is said.
    QString showScore(Sens_Exercice sens);
    // The answer box's context menu.
    void showAnswerMenu(const QPoint &globalPosition);

    bool activationPending_ = false;
    Colors colors_;
    tavorim::Beep beep_;
};

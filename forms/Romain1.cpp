#include "Romain1.h"

#include "Globals.h"
#include "SoundPlayer.h"
#include "ui_Romain1.h"

Tromaform::Tromaform(QWidget *owner, tavorim::Beep beep)
    : DrillWindow(owner, std::move(beep)), MediaPlayer1(new tavorim::SoundPlayer(this)),
      ui_(std::make_unique<Ui::Tromaform>()) {
    ui_->setupUi(this);
    setUpControls({.answer = ui_->Edit1,
                   .validate = ui_->Button1,
                   .quit = ui_->Button2,
                   .next = ui_->Button3,
                   .shown = ui_->Label2,
                   .number = ui_->Label6,
                   .level = ui_->Label4,
                   .verdict = ui_->Label1,
                   .correction = ui_->Label5,
                   .instruction = ui_->Label3,
                   .picture = ui_->Image1,
                   .shape = ui_->Shape1,
                   .gauge = ui_->Gauge1,
                   .score = ui_->Panel2,
                   .player = MediaPlayer1},
                  {.window = QColor(0xE1, 0xF0, 0xFF),
                   .lowWindow = QColor(0x00, 0xFF, 0xFF),
                   .lowShapeFill = QColor(0xFF, 0xFF, 0x00)},
                  QStringLiteral(":/pictures/romain.png"), 20, true);
    QPalette navy = ui_->Label4->palette();
    navy.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));
    ui_->Label4->setPalette(navy);
    QFont bold = font();
    bold.setBold(true);
    ui_->Button3->setFont(bold);
    ui_->Gauge1->setFont(font());
}

Tromaform::~Tromaform() = default;

void Tromaform::Pose_Question() {
    setUpQuestion(Sens_Romain);
}

// An Enter that no button took: the question is passed unmarked.
void Tromaform::Edit1KeyDown(int &key, Qt::KeyboardModifiers) {
    if ((key != Qt::Key_Return && key != Qt::Key_Enter) || ui_->Edit1->text().isEmpty())
        return;
    ui_->Button1->setEnabled(false);
    ui_->Button3->setEnabled(true);
    ui_->Button3->setFocus();
}

void Tromaform::Edit1KeyPress(char16_t &key) {
    filterCharacter(key, QStringLiteral("CDILMVXcdilmvx"));
}

void Tromaform::Button1Click() {
    markAnswer(Sens_Romain);
}

void Tromaform::Button3Click() {
    Resseme_Hasard();
    Decale_Anciens(Sens_Romain);
    Pose_Question();
    clearForNextQuestion();
}

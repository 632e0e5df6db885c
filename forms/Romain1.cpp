#include "Romain1.h"

#include "Globals.h"
#include "SoundPlayer.h"
#include "ui_Romain1.h"

Tromaform::Tromaform(QWidget *owner, tavorim::Beep beep)
    : DrillWindow(owner, std::move(beep)), MediaPlayer1(new tavorim::SoundPlayer(this)),
      ui_(std::make_unique<Ui::Tromaform>()) {
    ui_->setupUi(this);
    setUpControls({ui_->Edit1, ui_->Button1, ui_->Button2, ui_->Button3, ui_->Label2, ui_->Label6,
                   ui_->Label4, ui_->Label1, ui_->Label5, ui_->Label3, ui_->Image1, ui_->Shape1,
                   ui_->Gauge1, ui_->Panel2, MediaPlayer1},
                  {QColor(0xE1, 0xF0, 0xFF), QColor(0x00, 0xFF, 0xFF), QColor(0xFF, 0xFF, 0x00)},
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

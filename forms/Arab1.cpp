#include "Arab1.h"

#include "Gauge.h"
#include "Globals.h"
#include "SoundPlayer.h"
#include "ui_Arab1.h"

Tarabform::Tarabform(QWidget *owner, tavorim::Beep beep)
    : DrillWindow(owner, std::move(beep)), MediaPlayer2(new tavorim::SoundPlayer(this)),
      ui_(std::make_unique<Ui::Tarabform>()) {
    ui_->setupUi(this);
    setUpControls({.answer = ui_->Edit1,
                   .validate = ui_->Button1,
                   .quit = ui_->Button2,
                   .next = ui_->Button3,
                   .shown = ui_->Label2,
                   .number = ui_->Label6,
                   .level = ui_->Label5,
                   .verdict = ui_->Label1,
                   .correction = ui_->Label4,
                   .instruction = ui_->Label3,
                   .picture = ui_->Image1,
                   .shape = ui_->Shape1,
                   .gauge = ui_->Gauge1,
                   .score = ui_->Panel2,
                   .player = MediaPlayer2},
                  {.window = QColor(0xFF, 0xEB, 0xD7),
                   .lowWindow = QColor(0xFF, 0xFF, 0x00),
                   .lowShapeFill = QColor(0x00, 0xFF, 0xFF)},
                  QStringLiteral(":/pictures/arabe.png"), 6, false);
    // The texts stay black on their fixed pale grounds whatever the desktop's text color; the level
    // is white on opaque purple.
    QPalette level = ui_->Label5->palette();
    level.setColor(QPalette::WindowText, Qt::white);
    level.setColor(QPalette::Window, QColor(0xBF, 0x00, 0xBF));
    ui_->Label5->setPalette(level);
    ui_->Label5->setAutoFillBackground(true);
    QFont small = font();
    small.setPixelSize(11);
    ui_->Gauge1->setFont(small);
}

Tarabform::~Tarabform() = default;

void Tarabform::Pose_Question() {
    setUpQuestion(Sens_Arabe);
    ui_->Button3->setEnabled(false);
}

void Tarabform::Gere_Reponse() {
    markAnswer(Sens_Arabe);
}

void Tarabform::Edit1KeyPress(char16_t &key) {
    filterCharacter(key, QStringLiteral("0123456789"));
}

void Tarabform::Button1Click() {
    Resseme_Hasard();
    Gere_Reponse();
}

void Tarabform::Button3Click() {
    Decale_Anciens(Sens_Arabe);
    Pose_Question();
    clearForNextQuestion();
}

#include "Nivform.h"

#include "ui_Nivform.h"

#include "Appearance.h"
#include "Centering.h"
#include "DialogKeys.h"
#include "Globals.h"
#include "PixelFont.h"

Tnivform::Tnivform(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui_(std::make_unique<Ui::Tnivform>()) {
    ui_->setupUi(this);
    setFixedSize(size());
    // Colors of our own, whatever the desktop's scheme: black on the button face.
    setPalette(tavorim::classicPalette());
    const QFont font = tavorim::pixelFont(QStringLiteral("System"), 13);
    setFont(font);
    for (QRadioButton *radio : {ui_->RadioButton1, ui_->RadioButton2, ui_->RadioButton3}) {
        radio->setFont(font);
        // A button fills its ground with the button color, not the window's.
        radio->setAutoFillBackground(true);
        QPalette colors = radio->palette();
        colors.setColor(QPalette::Button, QColor(0xD8, 0xD7, 0xDB));
        colors.setColor(QPalette::Window, QColor(0xD8, 0xD7, 0xDB));
        radio->setPalette(colors);
    }
    tavorim::centerOnScreen(this);
    tavorim::installDialogKeys(this, nullptr);
    for (QRadioButton *radio : {ui_->RadioButton1, ui_->RadioButton2, ui_->RadioButton3})
        connect(radio, &QRadioButton::toggled, this, &Tnivform::describeLevel);
    connect(ui_->Button1, &QPushButton::clicked, this, &Tnivform::Button1Click);
}

Tnivform::~Tnivform() = default;

void Tnivform::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    activatedSinceShown_ = false;
    ui_->Button1->setFocus();
}

void Tnivform::changeEvent(QEvent *event) {
    QDialog::changeEvent(event);
    // Once per opening: coming back from another program must not undo a choice not yet
    // confirmed.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !activatedSinceShown_) {
        activatedSinceShown_ = true;
        FormActivate();
    }
}

void Tnivform::FormActivate() {
    // The level in force, resolved as the drills do: with two flags set, two exclusive choices
    // would be checked and "&Ok" would write two levels.
    const bool levelI = Etat_Global.Niveau_I;
    const bool levelII = !levelI && Etat_Global.Niveau_II;
    const bool levelIII = !levelI && !levelII && Etat_Global.Niveau_III;
    const std::pair<QRadioButton *, bool> levels[] = {
        {ui_->RadioButton1, levelI}, {ui_->RadioButton2, levelII}, {ui_->RadioButton3, levelIII}};
    // Each is set on its own, unchecked ones included, so the exclusive group must let go.
    for (const auto &[radio, checked] : levels) {
        radio->setAutoExclusive(false);
        radio->setChecked(checked);
    }
    for (const auto &level : levels)
        level.first->setAutoExclusive(true);
    describeLevel();
}

void Tnivform::Button1Click() {
    Etat_Global.Niveau_I = ui_->RadioButton1->isChecked();
    Etat_Global.Niveau_II = ui_->RadioButton2->isChecked();
    Etat_Global.Niveau_III = ui_->RadioButton3->isChecked();
    accept();
}

void Tnivform::describeLevel() {
    // The level checked, said with the dialog as it opens: the focus starts on "&Ok".
    for (const QRadioButton *radio : {ui_->RadioButton1, ui_->RadioButton2, ui_->RadioButton3})
        if (radio->isChecked())
            setAccessibleDescription(radio->text().remove(QLatin1Char('&')).simplified());
}

#include "About.h"

#include "ui_About.h"

#include "Appearance.h"
#include "Centering.h"
#include "DialogKeys.h"
#include "Globals.h"
#include "Pictures.h"
#include "PixelFont.h"
#include "Web.h"

TAboutBox::TAboutBox(tavorim::WebAccess &web, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ui_(std::make_unique<Ui::TAboutBox>()), web_(web) {
    ui_->setupUi(this);
    setFixedSize(size());
    // Colors of our own, whatever the desktop's scheme: black where the box gives no color.
    setPalette(tavorim::classicPalette(QColor(0x80, 0x80, 0xC0)));
    setAutoFillBackground(true);
    ui_->ProgramIcon->setPixmap(tavorim::picture(QStringLiteral(":/pictures/apropos.png"), this));
    setFont(tavorim::pixelFont(QStringLiteral("Arial"), 13));

    auto paint = [](QWidget *widget, const QFont &font, const QColor &color) {
        widget->setFont(font);
        QPalette palette = widget->palette();
        palette.setColor(QPalette::WindowText, color);
        widget->setPalette(palette);
    };
    paint(ui_->ProductName, tavorim::pixelFont(QStringLiteral("MS Serif"), 19), QColor(0, 0, 255));
    paint(ui_->Version, tavorim::pixelFont(QStringLiteral("MS Sans Serif"), 9, true), Qt::black);
    paint(ui_->Label1, tavorim::pixelFont(QStringLiteral("Arial"), 12), QColor(0, 128, 0));
    QFont link = tavorim::pixelFont(QStringLiteral("Arial"), 13);
    link.setUnderline(true);
    paint(ui_->Label2, link, QColor(0, 128, 0));
    paint(ui_->Label3, link, QColor(0, 128, 0));
    // Labels carry no accessible name of their own, which would hide their text from screen
    // readers: they read the text itself (the version, the address) and the description.
    ui_->Label3->setText(ui_->Label3->text() + tavorim::siteAddress());
    ui_->OKButton->setFont(tavorim::pixelFont(QStringLiteral("MS Sans Serif"), 11, true));
    QPalette black = ui_->OKButton->palette();
    black.setColor(QPalette::ButtonText, Qt::black);
    ui_->OKButton->setPalette(black);
    connect(ui_->Label2, &tavorim::LinkLabel::clicked, this, &TAboutBox::Label2Click);
    connect(ui_->Label3, &tavorim::LinkLabel::clicked, this, &TAboutBox::Label3Click);

    tavorim::centerOnScreen(this);
    tavorim::installDialogKeys(this, ui_->OKButton);
    // The version is written in one place only, not in the design.
    ui_->Version->setText(QString::fromStdString(Etat_Global.Version_Texte));
    nameProduct();
    FormCreate();
}

TAboutBox::~TAboutBox() = default;

QString TAboutBox::writeAddress() {
    return tavorim::siteAddress() + QStringLiteral("/message08.php?sujet=TavoRim ") +
           QString::fromStdString(Etat_Global.Version_Texte);
}

QString TAboutBox::siteLinkAddress() {
    return tavorim::siteAddress() + QStringLiteral("?ve=Tavorim ") +
           QString::fromStdString(Etat_Global.Version_Texte);
}

void TAboutBox::FormCreate() {
    for (QLabel *label : {ui_->Label2, ui_->Label3}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(0, 0, 128));
        label->setPalette(palette);
        QFont font = label->font();
        font.setUnderline(true);
        label->setFont(font);
    }
}

void TAboutBox::FormActivate() {
    ui_->Version->setText(QString::fromStdString(Etat_Global.Version_Texte));
    nameProduct();
}

void TAboutBox::nameProduct() {
    // Said with the box as it opens: a screen reader reads there only texts of three words or
    // more, which the name and the version, apart, are not.
    ui_->ProductName->setAccessibleName(ui_->ProductName->text() + QStringLiteral(" version ") +
                                        QString::fromStdString(Etat_Global.Version_Texte));
}

void TAboutBox::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    ui_->OKButton->setFocus();
}

void TAboutBox::changeEvent(QEvent *event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TAboutBox::Label2Click() {
    web_.shellOpen(writeAddress());
}

void TAboutBox::Label3Click() {
    web_.shellOpen(siteLinkAddress());
}

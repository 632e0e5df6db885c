#include "About.h"

#include "ui_About.h"

#include "Appearance.h"
#include "Centering.h"
#include "DialogKeys.h"
#include "Globals.h"
#include "Pictures.h"
#include "PixelFont.h"
#include "Web.h"

TAboutBox::TAboutBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TAboutBox>()) {
    ui->setupUi(this);
    setFixedSize(size());
    // Colors of our own, whatever the desktop's scheme: black where the box gives no color.
    setPalette(tavorim::classicPalette(QColor(0x80, 0x80, 0xC0)));
    setAutoFillBackground(true);
    ui->ProgramIcon->setPixmap(tavorim::picture(QStringLiteral(":/pictures/apropos.png"), this));
    setFont(tavorim::pixelFont(QStringLiteral("Arial"), 13));

    auto paint = [](QWidget *widget, const QFont &font, const QColor &color) {
        widget->setFont(font);
        QPalette palette = widget->palette();
        palette.setColor(QPalette::WindowText, color);
        widget->setPalette(palette);
    };
    paint(ui->ProductName, tavorim::pixelFont(QStringLiteral("MS Serif"), 19), QColor(0, 0, 255));
    paint(ui->Version, tavorim::pixelFont(QStringLiteral("MS Sans Serif"), 9, true), Qt::black);
    paint(ui->Label1, tavorim::pixelFont(QStringLiteral("Arial"), 12), QColor(0, 128, 0));
    QFont link = tavorim::pixelFont(QStringLiteral("Arial"), 13);
    link.setUnderline(true);
    paint(ui->Label2, link, QColor(0, 128, 0));
    paint(ui->Label3, link, QColor(0, 128, 0));
    // Labels carry no accessible name of their own, which would hide their text from screen
    // readers: they read the text itself (the version, the address) and the description.
    ui->Label3->setText(ui->Label3->text() + tavorim::siteAddress());
    ui->OKButton->setFont(tavorim::pixelFont(QStringLiteral("MS Sans Serif"), 11, true));
    QPalette black = ui->OKButton->palette();
    black.setColor(QPalette::ButtonText, Qt::black);
    ui->OKButton->setPalette(black);
    connect(ui->Label2, &tavorim::LinkLabel::clicked, this, &TAboutBox::Label2Click);
    connect(ui->Label3, &tavorim::LinkLabel::clicked, this, &TAboutBox::Label3Click);

    tavorim::centerOnScreen(this);
    tavorim::installDialogKeys(this, ui->OKButton);
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
    for (QLabel *label : {ui->Label2, ui->Label3}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(0, 0, 128));
        label->setPalette(palette);
        QFont font = label->font();
        font.setUnderline(true);
        label->setFont(font);
    }
}

void TAboutBox::FormActivate() {
    ui->Version->setText(QString::fromStdString(Etat_Global.Version_Texte));
    nameProduct();
}

void TAboutBox::nameProduct() {
    // Said with the box as it opens: a screen reader reads there only texts of three words or
    // more, which the name and the version, apart, are not.
    ui->ProductName->setAccessibleName(ui->ProductName->text() + QStringLiteral(" version ") +
                                       QString::fromStdString(Etat_Global.Version_Texte));
}

void TAboutBox::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    ui->OKButton->setFocus();
}

void TAboutBox::changeEvent(QEvent *event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TAboutBox::Label2Click() {
    tavorim::shellOpen(writeAddress());
}

void TAboutBox::Label3Click() {
    tavorim::shellOpen(siteLinkAddress());
}

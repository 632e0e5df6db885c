#include "About.h"

#include "ui_About.h"

#include "DialogKeys.h"
#include "Display.h"
#include "Globals.h"
#include "Web.h"

#include <QMouseEvent>

TAboutBox::TAboutBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TAboutBox>()) {
    ui->setupUi(this);
    setFixedSize(size());
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(0x80, 0x80, 0xC0));
    setPalette(colours);
    setAutoFillBackground(true);
    setFont(tavorim::PixelFont(QStringLiteral("Arial"), 13));

    auto paint = [](QWidget *widget, const QFont &font, const QColor &colour) {
        widget->setFont(font);
        QPalette palette = widget->palette();
        palette.setColor(QPalette::WindowText, colour);
        widget->setPalette(palette);
    };
    paint(ui->ProductName, tavorim::PixelFont(QStringLiteral("MS Serif"), 19), QColor(0, 0, 255));
    paint(ui->Version, tavorim::PixelFont(QStringLiteral("MS Sans Serif"), 9, true), Qt::black);
    paint(ui->Label1, tavorim::PixelFont(QStringLiteral("Arial"), 12), QColor(0, 128, 0));
    QFont link = tavorim::PixelFont(QStringLiteral("Arial"), 13);
    link.setUnderline(true);
    paint(ui->Label2, link, QColor(0, 128, 0));
    paint(ui->Label3, link, QColor(0, 128, 0));
    // Labels carry no accessible name of their own, which would hide their text from screen
    // readers: they read the text itself (the version, the address) and the description.
    ui->Label3->setText(ui->Label3->text() + tavorim::SiteAddress());
    ui->OKButton->setFont(tavorim::PixelFont(QStringLiteral("MS Sans Serif"), 11, true));
    QPalette black = ui->OKButton->palette();
    black.setColor(QPalette::ButtonText, Qt::black);
    ui->OKButton->setPalette(black);
    ui->Label2->installEventFilter(this);
    ui->Label3->installEventFilter(this);

    tavorim::CentreOnScreen(this);
    tavorim::InstallDialogKeys(this, ui->OKButton);
    FormCreate();
}

TAboutBox::~TAboutBox() = default;

QString TAboutBox::WriteAddress() {
    return tavorim::SiteAddress() + QStringLiteral("/message08.php?sujet=TavoRim ") +
           QString::fromStdString(Etat_Global.Version_Texte);
}

QString TAboutBox::SiteLinkAddress() {
    return tavorim::SiteAddress() + QStringLiteral("?ve=Tavorim ") +
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
    tavorim::ShellOpen(WriteAddress());
}

void TAboutBox::Label3Click() {
    tavorim::ShellOpen(SiteLinkAddress());
}

bool TAboutBox::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (watched == ui->Label2)
            Label2Click();
        else if (watched == ui->Label3)
            Label3Click();
    }
    return QDialog::eventFilter(watched, event);
}

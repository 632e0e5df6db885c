#include "Tavor1.h"

#include "ui_Tavor1.h"

#include "About.h"
#include "Accessibility.h"
#include "Appearance.h"
#include "Application.h"
#include "Arab1.h"
#include "Centering.h"
#include "ClassSettings.h"
#include "ColorDepth.h"
#include "DialogKeys.h"
#include "Exercice.h"
#include "Globals.h"
#include "HelpRun.h"
#include "MessageBox.h"
#include "Nivform.h"
#include "Pictures.h"
#include "PixelFont.h"
#include "ProgramFile.h"
#include "Romain1.h"
#include "TavorimVersion.h"
#include "Web.h"
#include "WebLog.h"
#include "hh_funcs.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QShortcut>
#include <QShowEvent>
#include <QThread>
#include <QWindow>

using tavorim::TApplication;

namespace {
// The help hook belongs to this unit, not to the window: created by FormCreate, freed by
// FormDestroy.
std::unique_ptr<tavorim::THookHelpSystem> helpHook;
} // namespace

TForm1::TForm1(tavorim::WebAccess &web, QWidget *parent, ColorDepth colorDepth)
    // An ordinary window for the window manager, not a dialog: it can be minimised, as its
    // minimise button says, and it is no transient that would be kept above the help viewer.
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      ui_(std::make_unique<Ui::TForm1>()), web_(web),
      colorDepth_(colorDepth ? std::move(colorDepth) : ColorDepth(tavorim::colorDepth)) {
    // Colors of our own: black on the button face. The font is set before the children exist, since
    // a font change makes the menu bar read the whole font database.
    setPalette(tavorim::classicPalette());
    setFont(tavorim::pixelFont(QStringLiteral("Arial"), 13));
    ui_->setupUi(this);

    // The client area keeps its design size below a menu bar of the standard height, as on
    // Windows: the window's size needs no font, and it is mapped before any font is read.
    const QSize client = ui_->ClientArea->size();
    const int menuHeight = ui_->MainMenu1->height();
    ui_->MainMenu1->setGeometry(0, 0, client.width(), menuHeight);
    ui_->ClientArea->move(0, menuHeight);
    setFixedSize(client.width(), client.height() + menuHeight);
    tavorim::centerOnScreen(this);
    // Laid out, the menu bar measures its texts: it is shown as the window first comes on
    // screen, before its first paint (eventFilter), and the bust is read then too.
    ui_->MainMenu1->hide();

    ui_->Label1->setFont(tavorim::pixelFont(QStringLiteral("Arial"), 13));
    QPalette labelColors = ui_->Label1->palette();
    labelColors.setColor(QPalette::Window, QColor(255, 149, 43));
    labelColors.setColor(QPalette::WindowText, QColor(0, 0, 128));
    // Its click does nothing: the label only carries the publisher's hint.
    ui_->Label1->setPalette(labelColors);

    connect(ui_->Enchiffresromains1, &QAction::triggered, this, &TForm1::Enchiffresromains1Click);
    connect(ui_->Enchiffresarabes1, &QAction::triggered, this, &TForm1::Enchiffresarabes1Click);
    connect(ui_->Niveau1, &QAction::triggered, this, &TForm1::Niveau1Click);
    connect(ui_->son1, &QAction::triggered, this, &TForm1::son1Click);
    connect(ui_->Documentation1, &QAction::triggered, this, &TForm1::Documentation1Click);
    connect(ui_->Apropos1, &QAction::triggered, this, &TForm1::Apropos1Click);

    // F1 in this window asks the help for the window's context.
    auto *help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [] {
        TApplication::instance().help().HelpCommand(tavorim::HELP_CONTEXT, HelpContext);
    });
    // The keys of every dialog here: Enter clicks the focused button, and its access letter
    // alone does too ("&Fermer" has the focus at start).
    tavorim::installDialogKeys(this);
    // "&Son" is said checked or not.
    tavorim::installWidgetAccessibility();

    FormCreate();
}

TForm1::~TForm1() {
    FormDestroy();
}

QString TForm1::caption() {
    return QStringLiteral("TavoRim v. %1 complète et gratuite").arg(QLatin1String(TavorimVersion));
}

QString TForm1::reportedProgramName(const QString &programPath) {
    QString name = QFileInfo(programPath).fileName();
    if (name.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive))
        name.chop(4);
    for (QChar &c : name) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    }
    return name;
}

QString TForm1::exitReportAddress(const QString &programPath) {
    const QString page = tavorim::reportAddress();
    if (page.isEmpty())
        return QString();
    const QString summary = QStringLiteral("T=%1  jRom=%2/%3  jArb=%4/%5")
                                .arg(QString::fromStdString(Etat_Global.Duree_Texte))
                                .arg(Etat_Global.Justes_Rom)
                                .arg(Etat_Global.Question_Rom - 1)
                                .arg(Etat_Global.Justes_Arab)
                                .arg(Etat_Global.Question_Arab - 1);
    return tavorim::addressWithQuery(
        page, QStringLiteral("envoi= ve=") + reportedProgramName(programPath) + QLatin1Char(' ') +
                  QString::fromStdString(Etat_Global.Version_Texte) + QLatin1Char(' ') + summary);
}

void TForm1::FormCreate() {
    // Unless the class's settings say otherwise: level I, sound off and switchable.
    const tavorim::Settings settings = tavorim::settingsInForce();
    const int level = *settings.level;
    Etat_Global.Niveau_I = level == 1;
    Etat_Global.Niveau_II = level == 2;
    Etat_Global.Niveau_III = level == 3;
    ui_->son1->setChecked(*settings.sound);
    Etat_Global.Son_Actif = ui_->son1->isChecked();
    ui_->son1->setEnabled(!*settings.soundLocked);
    // From here on the application's help requests go through the hook.
    helpHook = std::make_unique<tavorim::THookHelpSystem>(tavorim::helpFilePath(), QString(), 0);
    Resseme_Hasard();
    Etat_Global.Couleurs_Riches = colorDepth_(this) > 8;
}

void TForm1::FormActivate() {
    setWindowTitle(caption());
    TApplication::instance().run().ProcessMessages();
}

void TForm1::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    // Active as soon as shown, as on Windows: an X window manager's focus may come late or never,
    // and the caption must not wait for it.
    if (event->spontaneous())
        return;
    setWindowTitle(caption());
    if (ui_->MainMenu1->isHidden())
        windowHandle()->installEventFilter(this);
}

void TForm1::changeEvent(QEvent *event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        QMetaObject::invokeMethod(this, &TForm1::FormActivate, Qt::QueuedConnection);
}

bool TForm1::FormCloseQuery() {
    using tavorim::MessageBox;
    return MessageBox::show(nullptr, MessageBox::Question, QStringLiteral("Confirmation"),
                            QStringLiteral("Voulez-vous vraiment quitter le logiciel"),
                            MessageBox::Yes | MessageBox::No, MessageBox::Yes,
                            MessageBox::No) == MessageBox::Yes;
}

void TForm1::FormClose() {
    TApplication &application = TApplication::instance();
    application.help().HelpCommand(tavorim::HELP_QUIT, 0);
    const QString address = exitReportAddress(tavorim::exeName());
    // An empty statistics address builds a program that sends nothing.
    if (!address.isEmpty()) {
        qCInfo(tavorim::webLog, "envoi du rapport de fin à %s",
               qUtf8Printable(tavorim::reportAddress()));
        web_.Navigate(address);
    } else {
        qCInfo(tavorim::webLog,
               "pas de rapport de fin (réglage report = off, ou logiciel construit sans)");
    }
    application.run().ProcessMessages();
    // The network layer sends from its own thread meanwhile; whatever it meets, the run ends
    // after the pause.
    QThread::msleep(ExitPauseMs);
    application.run().Terminate();
}

void TForm1::closeEvent(QCloseEvent *event) {
    // A termination request (a second copy, the end of the exit sequence) closes at once.
    if (TApplication::instance().run().terminated()) {
        event->accept();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    // Hiding ends the modal loop; the application then ends.
    event->accept();
}

void TForm1::FormDestroy() {
    // The viewer is still loaded here: it is released only after the windows are gone.
    helpHook.reset();
    tavorim::HHCloseWindows();
}

void TForm1::Enchiffresromains1Click() {
    // Owned by the application, as the level dialog.
    Tromaform romaform(nullptr);
    TApplication::instance().run().ShowModal(&romaform);
}

void TForm1::Enchiffresarabes1Click() {
    Tarabform arabform(this);
    TApplication::instance().run().ShowModal(&arabform);
}

void TForm1::Niveau1Click() {
    Tnivform nivform;
    TApplication::instance().run().ShowModal(&nivform);
}

void TForm1::son1Click() {
    // The menu has already flipped the check mark; the sound switch follows it.
    Etat_Global.Son_Actif = ui_->son1->isChecked();
}

void TForm1::Documentation1Click() {
    // The viewer's window is not owned by this one and stays open beside it.
    tavorim::hhDisplayTopic();
}

void TForm1::Apropos1Click() {
    TAboutBox AboutBox(web_, this);
    TApplication::instance().run().ShowModal(&AboutBox);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event) {
    // The fonts and the bust are read just before the first paint, so the window manager is
    // answered at once meanwhile; the bust is stretched once.
    if (watched == windowHandle() && event->type() == QEvent::Expose &&
        windowHandle()->isExposed()) {
        windowHandle()->removeEventFilter(this);
        ui_->MainMenu1->show();
        ui_->Image1->setPixmap(
            tavorim::picture(QStringLiteral(":/pictures/buste.bmp"), this, ui_->Image1->size()));
    }
    return QDialog::eventFilter(watched, event);
}

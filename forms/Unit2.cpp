#include "Unit2.h"

#include "ui_Unit2.h"

#include "Appearance.h"
#include "Application.h"
#include "Clock.h"
#include "Globals.h"
#include "Pictures.h"
#include "PixelFont.h"
#include "Tavor1.h"
#include "WindowPlacement.h"
#include "Windowing.h"

#include <QCloseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>

using tavorim::TApplication;

namespace {

// A lock indicator's name says whether the lock is on. It is renamed only when that changes, so
// that screen readers are told of each change once.
void nameLockState(QWidget *panel, const QString &lock, bool on) {
    const QString name = lock + (on ? QStringLiteral(" : activé") : QStringLiteral(" : désactivé"));
    if (panel->accessibleName() != name)
        panel->setAccessibleName(name);
}

} // namespace

// Kept below the other windows for the window manager too, so that raising the main window
// cannot bring the backdrop over the help viewer or a drill.
TForm2::TForm2(const tavorim::Clock &clock, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint),
      clock_(clock), lockKeys_([](Qt::Key key) {
          const tavorim::Windowing &windowing = tavorim::Windowing::current();
          return key == Qt::Key_CapsLock ? windowing.capsLock() : windowing.numLock();
      }) {
    // The guard runs first, while the rest of the window is still being built.
    OnlyOne1 = new tavorim::TOnlyOne(this);
    OnlyOne1->setObjectName(QStringLiteral("OnlyOne1"));
    ui_ = std::make_unique<Ui::TForm2>();
    ui_->setupUi(this);
    setFont(tavorim::pixelFont(QStringLiteral("MS Sans Serif"), 11, true));
    const QFont panelFont = tavorim::pixelFont(QStringLiteral("Verdana"), 13, true);
    for (tavorim::BevelPanel *panel : {ui_->Panel1, ui_->panelMaj, ui_->PanelVernum})
        panel->setFont(panelFont);
    // Colors of our own, whatever the desktop's scheme: the indicators stand on the button face.
    setPalette(tavorim::classicPalette(QColor(0, 128, 0)));
    ui_->Image1->setPixmap(tavorim::picture(QStringLiteral(":/pictures/tuile.bmp"), this));

    // The tiles cover the whole window: nothing is filled under them first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(TimerPeriodMs);
    TimerLeds.setObjectName(QStringLiteral("TimerLeds"));
    TimerLeds.setInterval(TimerPeriodMs);
    connect(&Timer1, &QTimer::timeout, this, &TForm2::Timer1Timer);
    connect(&TimerLeds, &QTimer::timeout, this, &TForm2::TimerLedsTimer);
    Timer1.start();
    TimerLeds.start();
    FormCreate();
}

TForm2::~TForm2() {
    FormDestroy();
}

void TForm2::FormCreate() {
    Tuile_Fond = std::make_unique<QPixmap>(ui_->Image1->pixmap());
}

void TForm2::FormDestroy() {
    Tuile_Fond.reset();
}

void TForm2::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    // Being shown is the activation, as on Windows, since an X window manager may give the focus
    // late or never. Happens once: the main window's modal loop lasts the whole run.
    if (activated_)
        return;
    activated_ = true;
    // Once the backdrop is on screen: a Wayland compositor that maps it after the main window
    // would give it the focus, and the pupil's keys with it; an X window manager would place the
    // main window while the backdrop's map is still under way.
    QWindow *window = windowHandle();
    if (!window || window->isExposed()) {
        QMetaObject::invokeMethod(this, &TForm2::FormActivate, Qt::QueuedConnection);
        return;
    }
    auto *exposed = new ExposeWatch(window, [this] { FormActivate(); });
    // Never held back for good: a screen that shows nothing still gets the main window.
    QTimer::singleShot(ExposeWaitMs, exposed, &ExposeWatch::fire);
}

TForm2::ExposeWatch::ExposeWatch(QWindow *window, std::function<void()> then)
    : QObject(window), then_(std::move(then)) {
    window->installEventFilter(this);
}

bool TForm2::ExposeWatch::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed())
        QMetaObject::invokeMethod(this, &ExposeWatch::fire, Qt::QueuedConnection);
    return false;
}

void TForm2::ExposeWatch::fire() {
    if (fired_)
        return;
    fired_ = true;
    then_();
    deleteLater();
}

void TForm2::FormActivate() {
    Heure_Debut = clock_.timeOfDay();
    // Until the first tick, the last reading is the start itself: a run started a moment
    // before midnight then counts from midnight on instead of staying below zero for a day.
    Heure_Derniere = Heure_Debut;
    if (!mainWindow_)
        return;
    // Blocking neither the backdrop nor the viewer: window managers raise a modal window's parents
    // with it, which would bring the backdrop over the viewer.
    mainWindow_->setWindowModality(Qt::WindowModal);
    TApplication::instance().run().ShowModal(mainWindow_);
}

void TForm2::Timer1Timer() {
    double elapsed;
    if (clock_.timeOfDay() > Heure_Debut) {
        Heure_Derniere = clock_.timeOfDay();
        elapsed = Heure_Derniere - Heure_Debut;
    } else {
        // Midnight has passed since the start: the time since midnight plus the span from the
        // start to the last tick before it.
        elapsed = clock_.timeOfDay() + (Heure_Derniere - Heure_Debut);
    }
    ui_->Panel1->setCaption(tavorim::formatDuration(elapsed));
    Etat_Global.Duree_Texte = ui_->Panel1->caption().toStdString();
}

void TForm2::TimerLedsTimer() {
    const QColor on(255, 0, 0);
    const QColor off(192, 192, 192);
    // Each reading asks the X server: once per key and tick.
    const bool caps = lockKeys_(Qt::Key_CapsLock);
    const bool num = lockKeys_(Qt::Key_NumLock);
    ui_->panelMaj->setFontColor(caps ? on : off);
    ui_->PanelVernum->setFontColor(num ? on : off);
    nameLockState(ui_->panelMaj, QStringLiteral("Verrouillage des majuscules"), caps);
    nameLockState(ui_->PanelVernum, QStringLiteral("Verrouillage numérique"), num);
}

void TForm2::paintEvent(QPaintEvent *) {
    QPainter canvas(this);
    FormPaint(canvas);
}

void TForm2::FormPaint(QPainter &canvas) {
    if (!Tuile_Fond || Tuile_Fond->isNull()) {
        canvas.fillRect(rect(), palette().color(QPalette::Window));
        return;
    }
    // In the window's coordinates: on a screen of a higher ratio the tile has more pixels. Whole
    // steps no larger than the tile, so that at any ratio the tiles meet without a gap.
    const QSizeF tile = Tuile_Fond->deviceIndependentSize();
    const int w = qMax(1, int(tile.width()));
    const int h = qMax(1, int(tile.height()));
    for (int y = 0; y < height(); y += h) {
        for (int x = 0; x < width(); x += w)
            canvas.drawPixmap(x, y, *Tuile_Fond);
    }
}

void TForm2::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    ui_->panelMaj->move(width() - RightOfPanelMaj - ui_->panelMaj->width(), ui_->panelMaj->y());
    ui_->PanelVernum->move(width() - RightOfPanelVernum - ui_->PanelVernum->width(),
                           ui_->PanelVernum->y());
}

void TForm2::setVisible(bool visible) {
    if (visible && !isVisible())
        coverScreen();
    QWidget::setVisible(visible);
}

void TForm2::coverScreen() {
    // The whole primary screen before the first map, with or without a window manager, so the
    // design size is never seen.
    QScreen *screen = tavorim::screenFor(nullptr);
    if (!screen)
        return;
    winId();
    windowHandle()->setScreen(screen);
    // Placing a window drops its maximised state: it is asked for again, for the window manager.
    const Qt::WindowStates state = windowState();
    setGeometry(screen->geometry());
    setWindowState(state);
    disconnect(screenSize_);
    screenSize_ = connect(screen, &QScreen::geometryChanged, this, [this](const QRect &area) {
        if (isVisible())
            setGeometry(area);
    });
}

void TForm2::closeEvent(QCloseEvent *event) {
    // The window manager's close (Alt+F4 on the backdrop) does nothing: the backdrop lasts as
    // long as the program, which ends from the main window.
    event->ignore();
}

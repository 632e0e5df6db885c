#pragma once

#include "Clock.h"
#include "OnlyOne.h"

#include <QPixmap>
#include <QTimer>
#include <QWidget>

class QWindow;

#include <functional>
#include <memory>

namespace Ui {
class TForm2;
}

class TForm1;

// The backdrop: a borderless full-screen tiled window with the clock and lock-key indicators;
// when first activated it shows the main window modally over itself.
class TForm2 : public QWidget {
    Q_OBJECT

public:
    // The clock times the run.
    explicit TForm2(const tavorim::Clock &clock = tavorim::systemClock(),
                    QWidget *parent = nullptr);
    ~TForm2() override;

    // The window shown modally at activation (the main window, set by the entry routine).
    void setMainWindow(TForm1 *form) { mainWindow_ = form; }

    // Whether a lock key (Qt::Key_CapsLock, Qt::Key_NumLock) is on.
    using LockKeyState = std::function<bool(Qt::Key key)>;
    // Where the indicators read the lock keys; the windowing system unless another is given.
    void setLockKeys(LockKeyState state) { lockKeys_ = std::move(state); }

    // The period of both timers: the clock and the lock-key indicators.
    static constexpr int TimerPeriodMs = 200;

    // Design distances of the indicators from the right edge, kept at any width.
    static constexpr int RightOfPanelMaj = 136;
    static constexpr int RightOfPanelVernum = 16;

public slots:
    void FormCreate();
    void FormDestroy();
    void FormActivate();
    void Timer1Timer();
    void TimerLedsTimer();

    // Shown, the backdrop takes the whole screen it is on and follows that screen's size.
    void setVisible(bool visible) override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FormPaint(QPainter &canvas);
    void coverScreen();

    // Controls, under their designer names.
    tavorim::TOnlyOne *OnlyOne1;
    std::unique_ptr<Ui::TForm2> ui_;
    QTimer Timer1{this};
    QTimer TimerLeds{this};

    // Clock readings, as fractions of a day.
    const tavorim::Clock &clock_;
    double Heure_Debut = 0;
    double Heure_Derniere = 0;

    std::unique_ptr<QPixmap> Tuile_Fond;
    TForm1 *mainWindow_ = nullptr;
    LockKeyState lockKeys_;
    bool activated_ = false;

    // Calls then once, when the window is first exposed or when fired.
    class ExposeWatch : public QObject {
    public:
        ExposeWatch(QWindow *window, std::function<void()> then);
        bool eventFilter(QObject *watched, QEvent *event) override;
        void fire();

    private:
        std::function<void()> then_;
        bool fired_ = false;
    };
    static constexpr int ExposeWaitMs = 2000;
    QMetaObject::Connection screenSize_;
};

#pragma once

#include <QList>
#include <QPointer>

class QWidget;

namespace tavorim {

class FrontKeeper;
class RunControl;

// The program's modal windows on screen (minimised ones included), the one in front last.
QList<QWidget *> modalChain();

// The main form and the modal windows in front of it: restored or brought up, the whole chain
// follows with the modal window in front and active.
class WindowChain {
public:
    // Nothing is kept in front once the run is ending.
    explicit WindowChain(const RunControl &run);
    ~WindowChain();
    WindowChain(const WindowChain &) = delete;
    WindowChain &operator=(const WindowChain &) = delete;

    // The main form stands for the application's window; from then on the chain is kept in front.
    void setMainForm(QWidget *form);
    QWidget *mainForm() const;
    bool IsIconic() const;
    void restore();
    void bringToTop();

private:
    const RunControl &run_;
    QPointer<QWidget> mainForm_;
    QPointer<FrontKeeper> frontKeeper_;
};

} // namespace tavorim

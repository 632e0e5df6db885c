#pragma once

#include <QList>
#include <QObject>

class QWidget;

namespace tavorim {

class RunControl;
class WindowChain;

// A window manager may minimise a modal window and focus a window it blocks; the whole chain comes
// back with the modal window in front, so keys never reach a hidden window.
class FrontKeeper : public QObject {
public:
    FrontKeeper(WindowChain &chain, const RunControl &run);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QList<QWidget *> wholeChain() const;
    bool inChain(const QWidget *window) const;
    bool chainShown() const;
    void focusGiven(QWidget *window);
    void settleLater();
    void settle();
    void minimiseChain();

    // A window manager's changes come as several X events (the focus first, the states of the
    // windows after): decided on together, they cannot be taken for the pupil's own acts.
    static constexpr int SettleMs = 150;

    WindowChain &chain_;
    const RunControl &run_;
    bool pending_ = false;
    bool keysToHidden_ = false;
    bool cameUp_ = false;
    bool wentDown_ = false;
    bool focusToFront_ = false;
};

} // namespace tavorim

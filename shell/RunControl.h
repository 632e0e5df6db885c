#pragma once

#include <QPointer>

#include <functional>

class QDialog;
class QTimer;
class QWidget;

namespace tavorim {

// The run's event loops: a dialog shown modally, pending events let run, and the end of them all.
class RunControl {
public:
    // mainForm: the window that stands for the application, owner of last resort.
    explicit RunControl(std::function<QWidget *()> mainForm = {})
        : mainForm_(std::move(mainForm)) {}
    ~RunControl();
    RunControl(const RunControl &) = delete;
    RunControl &operator=(const RunControl &) = delete;

    // Honoured at the next pass of an event loop; every modal loop then ends as cancelled, even one
    // started later (a second copy asks during start-up).
    void Terminate();
    bool terminated() const { return terminated_; }

    // Shows a dialog modally and returns its result; after a termination request it returns
    // QDialog::Rejected at once without showing anything.
    int ShowModal(QDialog *dialog);

    // Lets every pending event run.
    void ProcessMessages();

private:
    std::function<QWidget *()> mainForm_;
    bool terminated_ = false;
    QPointer<QTimer> quitter_;
};

} // namespace tavorim

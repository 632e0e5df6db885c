#pragma once

#include "ApplicationTitle.h"
#include "HelpDispatch.h"
#include "RunControl.h"
#include "WindowChain.h"

class QWidget;

namespace tavorim {

// The application object the windows call on, made once by the program's entry after the Qt
// application and living as long: its title, its run, its chain of windows and its help command.
class TApplication {
public:
    TApplication();
    ~TApplication();
    TApplication(const TApplication &) = delete;
    TApplication &operator=(const TApplication &) = delete;

    // The one alive.
    static TApplication &instance();

    ApplicationTitle &title() { return title_; }
    RunControl &run() { return run_; }
    WindowChain &windows() { return windows_; }
    HelpDispatch &help() { return help_; }

    // The main form stands for the application's window: it carries the title and heads the
    // chain of windows.
    void setMainForm(QWidget *form);

private:
    ApplicationTitle title_;
    RunControl run_{[this] { return windows_.mainForm(); }};
    WindowChain windows_{run_};
    HelpDispatch help_;
};

} // namespace tavorim

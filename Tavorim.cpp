// Entry routine: the application object, then the run of the windows.
#include "Application.h"
#include "DisplayProbe.h"
#include "Startup.h"

#include <QApplication>

#include <vector>

int main(int argc, char *argv[]) {
    // The platform is chosen here, before the application object, so that every way of
    // starting the program (launcher, desktop entry, the program file itself) gets the same.
    std::vector<char *> arguments(argv, argv + argc);
    char platformOption[] = "-platform";
    char x11Platform[] = "xcb";
    const bool x11Reached = tavorim::wantsX11Platform(argc, argv);
    if (x11Reached) {
        arguments.insert(arguments.begin() + 1, {platformOption, x11Platform});
    }
    arguments.push_back(nullptr);
    int count = int(arguments.size()) - 1;
    // A display that cannot be opened, or cannot show the windows, ends the run with a French
    // message and code 1 rather than with Qt's abort.
    if (!tavorim::displayOpens(count, arguments.data(), x11Reached))
        return 1;
    tavorim::catchPlatformFailure(true);
    QApplication app(count, arguments.data());
    tavorim::catchPlatformFailure(false);
    if (!tavorim::screenCanShowTheProgram(tavorim::TApplication::instance().title()))
        return 1;
    return runTavorim();
}

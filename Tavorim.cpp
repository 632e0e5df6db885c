// Entry routine: the application object, then the run of the windows.
#include "Startup.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    // A display that cannot be opened, or cannot show the windows, ends the run with a French
    // message and code 1 rather than with Qt's abort.
    if (!displayOpens(argc, argv))
        return 1;
    catchPlatformFailure(true);
    QApplication app(argc, argv);
    catchPlatformFailure(false);
    if (!screenCanShowTheProgram())
        return 1;
    return runTavorim();
}

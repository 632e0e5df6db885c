// Entry routine: the application object, then the run of the windows.
#include "ClassSettings.h"
#include "Display.h"
#include "Startup.h"

#include <QApplication>

#include <cstdio>
#include <vector>

int main(int argc, char *argv[]) {
    // For an administrator checking the settings file: no display is needed.
    QStringList given;
    for (int i = 0; i < argc; ++i)
        given << QString::fromLocal8Bit(argv[i]);
    if (given.contains(QString::fromUtf8(tavorim::ShowSettingsOption.data(),
                                         qsizetype(tavorim::ShowSettingsOption.size())))) {
        std::fputs(qPrintable(tavorim::settingsReport(given)), stdout);
        return 0;
    }
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
    if (!displayOpens(count, arguments.data(), x11Reached))
        return 1;
    catchPlatformFailure(true);
    QApplication app(count, arguments.data());
    catchPlatformFailure(false);
    if (!screenCanShowTheProgram())
        return 1;
    return runTavorim();
}

// Entry routine: the application object, then the run of the windows.
#include "Application.h"
#include "ClassSettings.h"
#include "CueFiles.h"
#include "DisplayProbe.h"
#include "Module.h"
#include "Startup.h"
#include "SystemLog.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

namespace {

// For an administrator checking the settings file and the teachers' cues: no display needed.
int showSettings(int argc, char *argv[]) {
    QCoreApplication core(argc, argv);
    QString text = tavorim::settingsReport(QCoreApplication::arguments());
    QStringList cues{QStringLiteral("TAVORD.WAV")};
    for (const char kind : {'J', 'F'}) {
        for (int digit = 0; digit < 8; ++digit)
            cues << QStringLiteral("TAVOR%1%2.WAV").arg(QLatin1Char(kind)).arg(digit);
    }
    for (const QString &cue : cues) {
        const QString path = tavorim::CueFiles::find(cue);
        text += QStringLiteral("# %1: %2\n")
                    .arg(cue, path.isEmpty() ? QStringLiteral("introuvable") : path);
    }
    std::fputs(qPrintable(text), stdout);
    return 0;
}

} // namespace

int main(int argc, char *argv[]) {
    // Started from the desktop's menu, standard error is seen by nobody.
    tavorim::logToSystemLog();
    const std::string_view show = tavorim::ShowSettingsOption;
    if (std::any_of(argv + 1, argv + argc, [show](const char *a) { return a == show; }))
        return showSettings(argc, argv);
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
    tavorim::Module::setFolder(QCoreApplication::applicationDirPath());
    tavorim::TApplication application;
    if (!tavorim::screenCanShowTheProgram(application.title().text()))
        return 1;
    return runTavorim();
}

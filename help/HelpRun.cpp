#include "HelpRun.h"

#include "HelpTrace.h"
#include "hh.h"
#include "hh_funcs.h"

#include <QFile>

namespace tavorim {

void startHelp(const QStringList &arguments, const QString &programVersion) {
    HHLoadViewer();
    _hhInstalled = hhControlInstalled();
    openHelpTrace(arguments, programVersion);
}

QString helpFilePath() {
    return currentHelpEnvironment().programFolder() + QStringLiteral("tavorim.chm");
}

void hhDisplayTopic() {
    if (!HtmlHelpA) {
        HHShowError(1);
        return;
    }
    const QByteArray file = QFile::encodeName(helpFilePath());
    HtmlHelpA(desktopWindow(), file.constData(), HH_DISPLAY_TOPIC, 0);
}

void finishHelp() {
    closeHelpTrace();
    HHReleaseViewer();
}

} // namespace tavorim

#include "hh.h"

#include "Module.h"
#include "PrivateFolder.h"
#include "ProgramFile.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QPluginLoader>

namespace tavorim {

HtmlHelpAFunction HtmlHelpA = nullptr;
HtmlHelpWFunction HtmlHelpW = nullptr;
bool _hhInstalled = false;

namespace {

const HelpEnvironment *installed = nullptr;
// Unloaded at the very end, once every help window is closed: the viewer runs no thread.
Module viewerModule;

QString withoutTrailingSeparator(QString folder) {
    while (folder.size() > 1 &&
           (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QDir::separator())))
        folder.chop(1);
    return folder;
}

} // namespace

QString HelpEnvironment::registeredControlFile() const {
    return {};
}

QString HelpEnvironment::systemFolder() const {
    return withoutTrailingSeparator(programFolder());
}

QString HelpEnvironment::tempFolder() const {
    // The shared temporary folder would let another user aim the trace: a folder of the user's
    // own stands in for it, when one can be had.
    return privateFolder();
}

QString HelpEnvironment::programFolder() const {
    return tavorim::programFolder();
}

const HelpEnvironment &currentHelpEnvironment() {
    static const HelpEnvironment standard;
    return installed ? *installed : standard;
}

void setHelpEnvironment(const HelpEnvironment *environment) {
    installed = environment;
}

QString hhRegisteredControlPath() {
    const HelpEnvironment &environment = currentHelpEnvironment();
    QString path = environment.registeredControlFile();
    if (!path.isEmpty() && !QFileInfo(path).isFile())
        path.clear();
    if (path.isEmpty())
        path = environment.systemFolder() + QLatin1Char('/') +
               QString::fromLatin1(HelpControlFileName);
    return path;
}

QString hhFileVersion(const QString &path) {
    const QFileInfo file(path);
    if (!file.isFile())
        return {};
    // Qt reads a plugin's metadata from its file without loading it.
    const QJsonObject meta = QPluginLoader(file.absoluteFilePath()).metaData();
    if (meta.value(QLatin1String("IID")).toString() != QLatin1String(HHCTRL_MODULE_IID))
        return {};
    return meta.value(QLatin1String("MetaData"))
        .toObject()
        .value(QLatin1String(HHCTRL_VERSION_KEY))
        .toString();
}

bool hhControlInstalled() {
    return !hhFileVersion(hhRegisteredControlPath()).isEmpty();
}

void HHLoadViewer() {
    if (viewerModule.isLoaded())
        return;
    // The platform's search looks in the program's own folder first.
    const QString besideProgram =
        currentHelpEnvironment().programFolder() + QString::fromLatin1(HelpControlFileName);
    const bool loaded = (QFileInfo(besideProgram).isFile() && viewerModule.load(besideProgram)) ||
                        viewerModule.load(QString::fromLatin1(HelpControlFileName));
    if (!loaded) {
        const QString registered = hhRegisteredControlPath();
        if (!QFileInfo(registered).isFile() || !viewerModule.load(registered))
            return;
    }
    HtmlHelpA = viewerModule.resolve<HtmlHelpAFunction>("HtmlHelpA");
    HtmlHelpW = viewerModule.resolve<HtmlHelpWFunction>("HtmlHelpW");
}

void HHReleaseViewer() {
    HtmlHelpA = nullptr;
    HtmlHelpW = nullptr;
    viewerModule.unload();
}

bool hhViewerLoaded() {
    return viewerModule.isLoaded();
}

HelpWindowHandle desktopWindow() {
    static char desktop;
    return &desktop;
}

} // namespace tavorim

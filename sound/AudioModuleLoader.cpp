// The system's audio output, reached through the audio output module on first use.
#include "AudioModule.h"
#include "AudioOutput.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace tavorim {

namespace {

QString &moduleFolderForTests() {
    static QString folder;
    return folder;
}

// The module's entry point, once found; a module that cannot be loaded is looked for again at
// the next cue.
NewAudioOutputFunction findModule() {
    static NewAudioOutputFunction found = nullptr;
    if (found)
        return found;
    const QString folder = moduleFolderForTests().isEmpty() ? QCoreApplication::applicationDirPath()
                                                            : moduleFolderForTests();
    QLibrary library(QDir(folder).filePath(QStringLiteral(TAVORIM_AUDIO_MODULE_FILE)));
    // Its sound thread and its clean-up at the end of the run live in the module.
    library.setLoadHints(QLibrary::PreventUnloadHint);
    if (!library.load())
        return nullptr;
    found = reinterpret_cast<NewAudioOutputFunction>(library.resolve(TAVORIM_AUDIO_MODULE_ENTRY));
    return found;
}

} // namespace

std::unique_ptr<AudioOutput> makeSystemAudioOutput() {
    if (!QCoreApplication::instance())
        return nullptr;
    const NewAudioOutputFunction make = findModule();
    return std::unique_ptr<AudioOutput>(make ? make() : nullptr);
}

void setAudioModuleFolderForTests(const QString &folder) {
    moduleFolderForTests() = folder;
}

} // namespace tavorim

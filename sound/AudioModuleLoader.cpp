// The system's audio output, reached through the audio output module on first use.
#include "AudioModule.h"
#include "AudioOutput.h"
#include "Module.h"

#include <QCoreApplication>

namespace tavorim {

namespace {

// The module's entry point; a module that cannot be loaded is looked for again at the next cue.
NewAudioOutputFunction findModule() {
    // Never unloaded: its sound thread and its clean-up at the end of the run live in it.
    static Module module;
    if (!module.load(Module::pathOf(QStringLiteral(TAVORIM_AUDIO_MODULE_FILE))))
        return nullptr;
    return module.resolve<NewAudioOutputFunction>(TAVORIM_AUDIO_MODULE_ENTRY);
}

} // namespace

std::unique_ptr<AudioOutput> makeSystemAudioOutput() {
    if (!QCoreApplication::instance())
        return nullptr;
    const NewAudioOutputFunction make = findModule();
    return std::unique_ptr<AudioOutput>(make ? make() : nullptr);
}

} // namespace tavorim

#pragma once

#include "SoundPlayer.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>

namespace tavorim {

// One opened sound device holding one cue. SoundPlayer makes one per successful open and
// destroys it on close; tests replace the real one through
// SoundPlayer::setAudioOutputFactoryForTests.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // Decodes the cue file's bytes (NotWave, UnsupportedFormat), then finds the system's
    // output and gets the cue ready on it; name is the bare file name, as given. Waits for the
    // output at most wait: NoAudioOutput when there is none or it has not answered by then.
    // None when ready to play.
    virtual SoundError open(const QString &name, const QByteArray &file,
                            std::chrono::milliseconds wait) = 0;
    // Starts the cue from its beginning and returns at once.
    virtual void play() = 0;
    // Cuts the cue if it still sounds and releases the device.
    virtual void stop() = 0;
};

// A cue file's bytes, as the wave decoder takes them.
inline std::span<const std::uint8_t> cueBytes(const QByteArray &file) {
    return {reinterpret_cast<const std::uint8_t *>(file.constData()), std::size_t(file.size())};
}

// The system's default audio output (QAudioSink on QMediaDevices::defaultAudioOutput()),
// reached from a thread of its own so that a sound server that never answers holds that
// thread rather than a window. It lives in the audio output module, loaded from the program
// folder on the first call; null when the module cannot be loaded.
std::unique_ptr<AudioOutput> makeSystemAudioOutput();
// Tests: the folder the module is loaded from, instead of the program folder.
void setAudioModuleFolderForTests(const QString &folder);

} // namespace tavorim

#pragma once

#include "SoundError.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>

namespace tavorim {

// One opened sound device holding one cue, made per successful open and destroyed on close;
// a player takes its outputs from the factory it is given.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // Decodes the bytes, then readies the cue on the system's output, waiting at most wait for it
    // (NoAudioOutput when none answers). None when ready to play.
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

// The default audio output, on a thread of its own so that a silent sound server holds that
// thread, not a window. Loaded from the audio module, in the modules' folder, on first use; null
// when it cannot be.
std::unique_ptr<AudioOutput> makeSystemAudioOutput();

} // namespace tavorim

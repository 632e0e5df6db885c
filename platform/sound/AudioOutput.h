#pragma once

#include "SoundPlayer.h"

#include <QString>

#include <memory>

namespace tavorim {

struct WavSound;

// One opened sound device holding one cue. SoundPlayer makes one per successful open and
// destroys it on close; tests replace the real one through SoundPlayer::setAudioOutputFactory.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // Whether the system has an output to play on at all.
    virtual bool exists() const = 0;
    // Takes the decoded cue; name is the bare file name, as given. None when ready to play.
    virtual SoundError open(const QString &name, const WavSound &sound) = 0;
    // Starts the cue from its beginning and returns at once.
    virtual void play() = 0;
    // Cuts the cue if it still sounds and releases the device.
    virtual void stop() = 0;
};

} // namespace tavorim

namespace tavorim {

// The system's default audio output (QAudioSink on QMediaDevices::defaultAudioOutput()).
std::unique_ptr<AudioOutput> makeSystemAudioOutput();

} // namespace tavorim

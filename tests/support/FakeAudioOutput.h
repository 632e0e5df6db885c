#pragma once

// A stand-in for the system's audio output. A player given its factory records into one
// process-wide log instead of making a sound:
//
//     FakeAudioOutput::reset();             // an output exists, opens succeed
//     player.setOutputFactory(FakeAudioOutput::factory());
//     ... drive the window ...
//     QCOMPARE(FakeAudioOutput::played(), QStringList{"TAVORD.WAV"});
//
// The player still finds and reads the file, and the fake decodes it as the real output does
// (link tavorim_wavdecoder): only the device is faked.

#include "AudioOutput.h"
#include "SoundPlayer.h"
#include "WavDecoder.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace tavorim {

class FakeAudioOutput : public AudioOutput {
public:
    struct Event {
        enum Kind { Open, Play, Stop };
        Kind kind;
        QString name; // the bare name as given to the player
        bool operator==(const Event &) const = default;
    };

    // Settings of the next opens.
    static inline bool outputExists = true;
    static inline SoundError openResult = SoundError::None;

    static SoundPlayer::AudioOutputFactory factory() {
        return [] { return std::make_unique<FakeAudioOutput>(); };
    }
    // Clears the log and the settings.
    static void reset() {
        outputExists = true;
        openResult = SoundError::None;
        clearLog();
    }

    static const QList<Event> &log() { return events(); }
    static void clearLog() {
        events().clear();
        soundingName() = QString();
    }
    // Names in the order they were opened successfully / started / stopped.
    static QStringList opened() { return names(Event::Open); }
    static QStringList played() { return names(Event::Play); }
    static QStringList stopped() { return names(Event::Stop); }
    // The cue started and not yet stopped (a fake cue never ends by itself); empty if none.
    static QString sounding() { return soundingName(); }
    // The last cue successfully opened, as decoded.
    static const DecodedCue &lastSound() { return lastSoundHeld(); }

    ~FakeAudioOutput() override = default;

    SoundError open(const QString &name, const QByteArray &file,
                    std::chrono::milliseconds) override {
        DecodedCue sound;
        if (const SoundError error = decodeWav(cueBytes(file), sound); error != SoundError::None)
            return error;
        if (!outputExists)
            return SoundError::NoAudioOutput;
        if (openResult != SoundError::None)
            return openResult;
        name_ = name;
        opened_ = true;
        lastSoundHeld() = std::move(sound);
        events().append({Event::Open, name_});
        return SoundError::None;
    }
    void play() override {
        if (!opened_)
            return;
        events().append({Event::Play, name_});
        playing_ = true;
        soundingName() = name_;
    }
    void stop() override {
        if (!opened_)
            return;
        events().append({Event::Stop, name_});
        opened_ = false;
        if (playing_)
            soundingName() = QString();
        playing_ = false;
    }

private:
    static QList<Event> &events() {
        static QList<Event> list;
        return list;
    }
    static QString &soundingName() {
        static QString name;
        return name;
    }
    static DecodedCue &lastSoundHeld() {
        static DecodedCue sound;
        return sound;
    }
    static QStringList names(Event::Kind kind) {
        QStringList result;
        for (const Event &event : events())
            if (event.kind == kind)
                result.append(event.name);
        return result;
    }

    QString name_;
    bool opened_ = false;
    bool playing_ = false;
};

// A player whose outputs are fakes.
class FakeOutputPlayer : public SoundPlayer {
public:
    FakeOutputPlayer() { setOutputFactory(FakeAudioOutput::factory()); }
};

} // namespace tavorim

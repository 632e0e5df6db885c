#pragma once

#include "AudioOutput.h"
#include "SoundError.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace tavorim {

// One wave cue at a time: open checks everything and waits, play returns at once, and the next
// open (or the player's end) cuts a cue that still sounds.
class SoundPlayer : public QObject {
    Q_OBJECT
public:
    using AudioOutputFactory = std::function<std::unique_ptr<AudioOutput>()>;

    explicit SoundPlayer(QObject *parent = nullptr);
    // Stops a cue still sounding.
    ~SoundPlayer() override;

    // Where the later opens take their output from: the system's audio output unless set.
    void setOutputFactory(AudioOutputFactory makeOutput);

    // A bare file name, found as CueFiles finds it.
    void setFileName(const QString &bareName);
    QString fileName() const;

    // Closes the previous device (cutting its cue), then reads the file for a new output; an output
    // that does not answer within half a second gives NoAudioOutput. None on success.
    SoundError open();
    // Starts the opened cue from its beginning and returns at once; errors are ignored, and
    // it does nothing when nothing is open.
    void play();
    void close();
    bool isOpen() const;

private:
    AudioOutputFactory makeOutput_ = makeSystemAudioOutput;
    QString fileName_;
    std::unique_ptr<AudioOutput> output_;
};

} // namespace tavorim

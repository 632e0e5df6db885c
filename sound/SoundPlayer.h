#pragma once

#include "SoundError.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace tavorim {

class AudioOutput;

// One wave cue at a time: open checks everything and waits, play returns at once, and the next
// open (or the player's end) cuts a cue that still sounds.
class SoundPlayer : public QObject {
    Q_OBJECT
public:
    using AudioOutputFactory = std::function<std::unique_ptr<AudioOutput>()>;

    explicit SoundPlayer(QObject *parent = nullptr);
    // Stops a cue still sounding.
    ~SoundPlayer() override;

    // A bare file name, looked for in each of cueFolders in turn: exact, else in any letter case
    // (first in code order).
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

    // Where cues are looked for, first to last: "tavorim/cues" in the user's and system's data
    // folders (teachers' own recordings), then the working directory and the program folder.
    static QStringList cueFolders();
    // The file a cue's bare name stands for; empty when no folder has it.
    static QString findCue(const QString &bareName);

    // The French text of the error box for an error code; "Code d'erreur inconnu" when the
    // code has none. A "." is appended when the last character sorts after ".".
    static QString errorBoxText(SoundError error);
    // The error box's rule for ending a text: "." appended when the last character sorts
    // after "." in character-code order.
    static QString withFinalStop(const QString &text);

    // Tests: every later open takes its output from this factory; nullptr restores the
    // system's audio output.
    static void setAudioOutputFactoryForTests(AudioOutputFactory factory);

private:
    QString fileName_;
    std::unique_ptr<AudioOutput> output_;
};

} // namespace tavorim

#include "SoundPlayer.h"

#include "CueFiles.h"

namespace tavorim {

namespace {

// How long a cue may keep its window waiting for the audio output to answer.
constexpr std::chrono::milliseconds DeviceWait{400};

} // namespace

SoundPlayer::SoundPlayer(QObject *parent) : QObject(parent) {}

SoundPlayer::~SoundPlayer() {
    close();
}

void SoundPlayer::setOutputFactory(AudioOutputFactory makeOutput) {
    makeOutput_ = std::move(makeOutput);
}

void SoundPlayer::setFileName(const QString &bareName) {
    fileName_ = bareName;
}

QString SoundPlayer::fileName() const {
    return fileName_;
}

SoundError SoundPlayer::open() {
    close();

    QByteArray bytes;
    if (const SoundError error = CueFiles::read(fileName_, bytes); error != SoundError::None)
        return error;
    std::unique_ptr<AudioOutput> output = makeOutput_ ? makeOutput_() : nullptr;
    if (!output)
        return SoundError::NoAudioOutput;
    if (const SoundError error = output->open(fileName_, bytes, DeviceWait);
        error != SoundError::None)
        return error;
    output_ = std::move(output);
    return SoundError::None;
}

void SoundPlayer::play() {
    if (output_)
        output_->play();
}

void SoundPlayer::close() {
    if (output_) {
        output_->stop();
        output_.reset();
    }
}

bool SoundPlayer::isOpen() const {
    return output_ != nullptr;
}

} // namespace tavorim

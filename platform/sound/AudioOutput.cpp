#include "AudioOutput.h"

#include "WavReader.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QByteArray>
#include <QMediaDevices>

#include <memory>

namespace tavorim {

namespace {

// Silence played after each cue. Qt 6.4's PulseAudio sink throws away the last ~200 ms it
// has buffered when its stream stops; with this tail, what is thrown away is silence.
constexpr int TailMilliseconds = 250;

// The system's default output through QAudioSink. The sink stays alive after the cue has
// been pushed (it is never stopped when its data runs out), so the cue plays to its end; only
// stop(), the next open or the player's end cuts it.
class SystemAudioOutput final : public AudioOutput {
public:
    SystemAudioOutput() : device_(QMediaDevices::defaultAudioOutput()) {}
    ~SystemAudioOutput() override { stop(); }

    bool exists() const override { return !device_.isNull(); }

    SoundError open(const QString &, const WavSound &sound) override {
        QAudioFormat format;
        format.setSampleRate(static_cast<int>(sound.sampleRate));
        format.setChannelCount(sound.channels);
        format.setSampleFormat(sound.bitsPerSample == 8 ? QAudioFormat::UInt8
                                                        : QAudioFormat::Int16);
        if (!device_.isFormatSupported(format))
            return SoundError::UnsupportedFormat;

        const qsizetype frame = static_cast<qsizetype>(sound.bytesPerFrame());
        const qsizetype tailFrames = qsizetype{sound.sampleRate} * TailMilliseconds / 1000;
        const char silence = sound.bitsPerSample == 8 ? '\x80' : '\0';
        data_ = QByteArray(reinterpret_cast<const char *>(sound.samples.data()),
                           static_cast<qsizetype>(sound.samples.size()));
        data_.append(tailFrames * frame, silence);
        buffer_.setBuffer(&data_);

        sink_ = std::make_unique<QAudioSink>(device_, format);
        if (sink_->error() != QAudio::NoError) {
            sink_.reset();
            return SoundError::DeviceBusy;
        }
        return SoundError::None;
    }

    void play() override {
        if (!sink_)
            return;
        sink_->stop();
        buffer_.close();
        if (!buffer_.open(QIODevice::ReadOnly))
            return;
        sink_->start(&buffer_);
    }

    void stop() override {
        if (sink_) {
            sink_->stop();
            sink_.reset();
        }
        buffer_.close();
    }

private:
    QAudioDevice device_;
    QByteArray data_;
    QBuffer buffer_;
    // Declared last: it reads from buffer_, so it goes first.
    std::unique_ptr<QAudioSink> sink_;
};

} // namespace

std::unique_ptr<AudioOutput> makeSystemAudioOutput() {
    return std::make_unique<SystemAudioOutput>();
}

} // namespace tavorim

// The audio output module: the system's audio output, built as a shared library of its own.
#include "AudioOutput.h"
#include "AudioModule.h"

#include "WavDecoder.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMediaDevices>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <memory>

#include <unistd.h>

namespace tavorim {

namespace {

// Silence played after each cue. Qt 6.4's PulseAudio sink throws away the last ~200 ms it
// has buffered when its stream stops; with this tail, what is thrown away is silence.
constexpr int TailMilliseconds = 250;

// How long the end of the run waits for the sound thread to let its devices go.
constexpr unsigned long ShutdownWaitMs = 250;

// Lives on the sound thread only. The sink is never stopped when its data runs out, so the cue
// plays to its end; only the next cue or the release cuts it.
class Sink {
public:
    Sink(const QAudioDevice &device, const QAudioFormat &format, QByteArray data)
        : data_(std::move(data)), sink_(std::make_unique<QAudioSink>(device, format)) {
        buffer_.setBuffer(&data_);
    }
    ~Sink() { sink_->stop(); }
    Sink(const Sink &) = delete;
    Sink &operator=(const Sink &) = delete;

    bool ready() const { return sink_->error() == QAudio::NoError; }

    void play() {
        sink_->stop();
        buffer_.close();
        if (buffer_.open(QIODevice::ReadOnly))
            sink_->start(&buffer_);
    }

private:
    QByteArray data_;
    QBuffer buffer_;
    // Declared last: it reads from buffer_, so it goes first.
    std::unique_ptr<QAudioSink> sink_;
};

// Where an output's sink lives; only the sound thread looks inside.
struct SinkSlot {
    std::unique_ptr<Sink> sink;
};

// The sound thread: Qt Multimedia is reached from here only, one job at a time, in the order
// the jobs were given.
class SoundThread {
public:
    // Started on first use; null without an application object.
    static SoundThread *instance() {
        if (!current && QCoreApplication::instance()) {
            current = new SoundThread;
            qAddPostRoutine(shutDown);
        }
        return current;
    }

    void post(std::function<void()> job) {
        QMetaObject::invokeMethod(context_, std::move(job), Qt::QueuedConnection);
    }

    // Opens not answered yet; one left when the next cue comes was given up on, so that the next
    // open need not queue behind a server that does not answer.
    std::atomic<int> opensUnderWay{0};

private:
    SoundThread() {
        thread_.setObjectName(QStringLiteral("sound"));
        context_->moveToThread(&thread_);
        thread_.start();
    }

    ~SoundThread() { delete context_; }

    // At the end of the run: devices are released on the thread, which then ends; a thread held by
    // a silent server is not waited for.
    static void shutDown() {
        SoundThread *thread = current;
        if (!thread)
            return;
        thread->post([] { QThread::currentThread()->quit(); });
        if (thread->thread_.wait(QDeadlineTimer(ShutdownWaitMs))) {
            current = nullptr;
            delete thread;
            return;
        }
        // Qt Multimedia's exit clean-up would wait for the server as long as the thread does, so a
        // held thread ends the process without it.
        ::on_exit(endWithoutCleanUp, thread);
    }

    static void endWithoutCleanUp(int status, void *stuck) {
        if (static_cast<SoundThread *>(stuck)->thread_.isFinished())
            return;
        std::fflush(nullptr);
        ::_exit(status);
    }

    static inline SoundThread *current = nullptr;
    QThread thread_;
    QObject *context_ = new QObject;
};

class SystemAudioOutput final : public AudioOutput {
public:
    ~SystemAudioOutput() override { stop(); }

    SoundError open(const QString &, const QByteArray &file,
                    std::chrono::milliseconds wait) override {
        DecodedCue cue;
        if (const SoundError error = decodeWav(cueBytes(file), cue); error != SoundError::None)
            return error;
        const QDeadlineTimer deadline(wait);
        SoundThread *thread = SoundThread::instance();
        if (!thread || thread->opensUnderWay > 0)
            return SoundError::NoAudioOutput;

        QAudioFormat format;
        format.setSampleRate(cue.sampleRate);
        format.setChannelCount(cue.channels);
        format.setSampleFormat(QAudioFormat::Int16);
        const qsizetype tailSamples =
            qsizetype{cue.sampleRate} * TailMilliseconds / 1000 * cue.channels;
        QByteArray data(reinterpret_cast<const char *>(cue.samples.data()),
                        qsizetype(cue.samples.size() * sizeof(std::int16_t)));
        data.append(tailSamples * qsizetype(sizeof(std::int16_t)), '\0');

        slot_ = std::make_shared<SinkSlot>();
        auto answer = std::make_shared<std::promise<SoundError>>();
        std::future<SoundError> result = answer->get_future();
        ++thread->opensUnderWay;
        thread->post([thread, slot = slot_, format, data, answer] {
            const QAudioDevice device = QMediaDevices::defaultAudioOutput();
            SoundError error = SoundError::NoAudioOutput;
            if (!device.isNull()) {
                error = SoundError::UnsupportedFormat;
                if (device.isFormatSupported(format)) {
                    auto sink = std::make_unique<Sink>(device, format, data);
                    error = sink->ready() ? SoundError::None : SoundError::DeviceBusy;
                    if (error == SoundError::None)
                        slot->sink = std::move(sink);
                }
            }
            answer->set_value(error);
            --thread->opensUnderWay;
        });
        if (result.wait_for(deadline.remainingTimeAsDuration()) != std::future_status::ready) {
            // Whatever the thread makes of it later is released there, after it.
            stop();
            return SoundError::NoAudioOutput;
        }
        const SoundError error = result.get();
        if (error != SoundError::None)
            slot_.reset();
        return error;
    }

    void play() override {
        if (SoundThread *thread = SoundThread::instance(); thread && slot_) {
            thread->post([slot = slot_] {
                if (slot->sink)
                    slot->sink->play();
            });
        }
    }

    void stop() override {
        if (SoundThread *thread = SoundThread::instance(); thread && slot_)
            thread->post([slot = std::move(slot_)] { slot->sink.reset(); });
        slot_.reset();
    }

private:
    std::shared_ptr<SinkSlot> slot_;
};

} // namespace

} // namespace tavorim

extern "C" Q_DECL_EXPORT tavorim::AudioOutput *tavorimNewAudioOutput() {
    return new tavorim::SystemAudioOutput;
}

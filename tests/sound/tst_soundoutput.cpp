// One real playback: a private PulseAudio daemon whose default sink writes into a pipe that
// this test reads, so the samples the sound system really played can be checked.
#include "Module.h"
#include "SoundPlayer.h"
#include "WavBuilder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <cmath>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

using namespace tavorim;
using namespace wavtest;

namespace {

constexpr int SinkRate = 48000;
constexpr int BodyMs = 600;
constexpr int EndMs = 100;
constexpr double Loud = 0.5 * 32768;

// A test cue (8 or 16-bit PCM, or 32-bit float): a quiet tone, then in its last 100 ms a loud
// square wave, the only samples above half scale. If they all come out of the sink, the cue was
// heard to its end.
// loud false: the same cue, every sample silent.
QByteArray MakeCue(int channels, int rate, int bits, bool loud = true) {
    QByteArray data;
    const int bodyFrames = rate * BodyMs / 1000;
    const int endFrames = rate * EndMs / 1000;
    const int halfPeriod = rate / 2000; // 1 kHz
    for (int i = 0; i < bodyFrames + endFrames; ++i) {
        const int v = !loud ? 0
                      : i < bodyFrames
                          ? int(std::lround(6000 * std::sin(2 * M_PI * 440 * i / rate)))
                          : ((i / halfPeriod) % 2 ? 26000 : -26000);
        for (int c = 0; c < channels; ++c) {
            if (bits == 8) {
                data.append(char(std::uint8_t(128 + v / 256)));
            } else if (bits == 32) {
                const float f = float(v) / 32768;
                data.append(reinterpret_cast<const char *>(&f), sizeof f);
            } else {
                Put16(data, std::uint16_t(std::int16_t(v)));
            }
        }
    }
    return Wav({.tag = std::uint16_t(bits == 32 ? 3 : 1),
                .channels = std::uint16_t(channels),
                .rate = std::uint32_t(rate),
                .bits = std::uint16_t(bits)},
               data);
}

// Reads the sink's pipe on a thread of its own and counts the loud frames in it.
class PipeReader {
public:
    explicit PipeReader(const QString &path) {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
        if (fd_ >= 0)
            thread_ = std::thread([this] { run(); });
    }
    ~PipeReader() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool isOpen() const { return fd_ >= 0; }
    int loudFrames() const { return loudFrames_; }
    int frames() const { return frames_; }

private:
    void run() {
        char buffer[4096];
        QByteArray pending;
        while (!stop_) {
            pollfd pfd{fd_, POLLIN, 0};
            if (::poll(&pfd, 1, 50) <= 0)
                continue;
            const ssize_t got = ::read(fd_, buffer, sizeof buffer);
            if (got <= 0)
                continue;
            pending.append(buffer, got);
            const qsizetype whole = pending.size() / 4 * 4;
            for (qsizetype i = 0; i < whole; i += 4) {
                const auto left =
                    std::int16_t(std::uint8_t(pending[i]) | (std::uint8_t(pending[i + 1]) << 8));
                if (std::abs(int(left)) > Loud)
                    ++loudFrames_;
                ++frames_;
            }
            pending.remove(0, whole);
        }
    }

    int fd_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> loudFrames_{0};
    std::atomic<int> frames_{0};
};

} // namespace

class TestSoundOutput : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void cueIsHeardToItsEnd_data();
    void cueIsHeardToItsEnd();

private:
    bool startDaemon(QString &why);

    QTemporaryDir runtimeDir_{QStringLiteral("/tmp/tavorim-pulse-XXXXXX")};
    QString pidFile_;
    std::unique_ptr<PipeReader> reader_;
};

bool TestSoundOutput::startDaemon(QString &why) {
    const QString pulseaudio = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
    if (pulseaudio.isEmpty()) {
        why = QStringLiteral("the pulseaudio program is not installed");
        return false;
    }
    if (!runtimeDir_.isValid()) {
        why = QStringLiteral("no temporary folder for PulseAudio");
        return false;
    }
    const QString dir = runtimeDir_.path();
    const QString pipe = dir + QStringLiteral("/capture");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir);
    env.insert(QStringLiteral("HOME"), dir);
    env.remove(QStringLiteral("PULSE_SERVER"));

    QProcess daemon;
    daemon.setProcessEnvironment(env);
    daemon.setProcessChannelMode(QProcess::MergedChannels);
    daemon.start(
        pulseaudio,
        {QStringLiteral("-n"), QStringLiteral("--daemonize=yes"), QStringLiteral("--system=no"),
         QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=yes"),
         QStringLiteral("--log-target=file:") + dir + QStringLiteral("/pulse.log"),
         QStringLiteral("-L"), QStringLiteral("module-native-protocol-unix auth-anonymous=1"),
         QStringLiteral("-L"),
         QStringLiteral("module-pipe-sink file=") + pipe +
             QStringLiteral(" format=s16le rate=48000 channels=2"
                            " use_system_clock_for_timing=yes"),
         QStringLiteral("-L"), QStringLiteral("module-always-sink")});
    if (!daemon.waitForFinished(20000) || daemon.exitCode() != 0) {
        why =
            QStringLiteral("PulseAudio did not start: ") + QString::fromLocal8Bit(daemon.readAll());
        daemon.kill();
        return false;
    }
    pidFile_ = dir + QStringLiteral("/pulse/pid");
    const QString socket = dir + QStringLiteral("/pulse/native");
    for (int i = 0; i < 100 && !(QFile::exists(socket) && QFile::exists(pipe)); ++i)
        QTest::qWait(50);
    if (!QFile::exists(socket) || !QFile::exists(pipe)) {
        why = QStringLiteral("PulseAudio started but opened no socket or pipe");
        return false;
    }
    // The sound system is reached only now, so it connects to this daemon.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir));
    qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(socket));
    reader_ = std::make_unique<PipeReader>(pipe);
    if (!reader_->isOpen()) {
        why = QStringLiteral("cannot read the PulseAudio pipe");
        return false;
    }
    return true;
}

void TestSoundOutput::initTestCase() {
    // The audio output module is loaded from the program folder, not from the test's.
    Module::setFolder(qEnvironmentVariable("TAVORIM_PROGRAM_DIR"));
    QString why;
    if (!startDaemon(why))
        QSKIP(qPrintable(QStringLiteral("No real playback test: ") + why));
}

void TestSoundOutput::cleanupTestCase() {
    QFile pid(pidFile_);
    if (!pidFile_.isEmpty() && pid.open(QIODevice::ReadOnly)) {
        const pid_t daemon = pid_t(pid.readAll().trimmed().toLongLong());
        if (daemon > 0)
            ::kill(daemon, SIGTERM);
    }
    reader_.reset();
}

void TestSoundOutput::cueIsHeardToItsEnd_data() {
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("bits");
    // The first plays unchanged; the others are converted by the sound system, which may
    // soften a few frames at each edge of the square wave.
    QTest::addColumn<int>("percentHeard");
    // A teacher's cue in the system's folder, played by its bare name rather than a silent one
    // of the same name in the working directory.
    QTest::addColumn<bool>("teachers");
    QTest::newRow("16-bit stereo at the sink's rate") << 2 << SinkRate << 16 << 98 << false;
    QTest::newRow("16-bit mono 22050 Hz") << 1 << 22050 << 16 << 85 << false;
    QTest::newRow("8-bit mono 22050 Hz") << 1 << 22050 << 8 << 85 << false;
    QTest::newRow("32-bit float stereo 44100 Hz") << 2 << 44100 << 32 << 85 << false;
    QTest::newRow("a teacher's cue for the whole machine") << 2 << SinkRate << 16 << 98 << true;
}

void TestSoundOutput::cueIsHeardToItsEnd() {
    QFETCH(int, channels);
    QFETCH(int, rate);
    QFETCH(int, bits);
    QFETCH(int, percentHeard);
    QFETCH(bool, teachers);
    QString cue = runtimeDir_.path() + QStringLiteral("/FIN.WAV");
    QTemporaryDir system, working;
    const QString previousDir = QDir::currentPath();
    auto restore = qScopeGuard([&previousDir] {
        qunsetenv("XDG_DATA_DIRS");
        QDir::setCurrent(previousDir);
    });
    if (teachers) {
        QVERIFY(QDir(system.path()).mkpath(QStringLiteral("tavorim/cues")));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(system.path()));
        QVERIFY(QDir::setCurrent(working.path()));
        QFile silent(QStringLiteral("TAVORD.WAV"));
        QVERIFY(silent.open(QIODevice::WriteOnly));
        silent.write(MakeCue(channels, rate, bits, false));
        cue = system.filePath(QStringLiteral("tavorim/cues/TAVORD.WAV"));
    }
    QFile file(cue);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(MakeCue(channels, rate, bits));
    file.close();
    if (teachers)
        cue = QStringLiteral("TAVORD.WAV");
    const int endFrames = SinkRate * EndMs / 1000;
    const int before = reader_->loudFrames();

    SoundPlayer player;
    player.setFileName(cue);
    QCOMPARE(player.open(), SoundError::None);
    player.play();
    QTRY_VERIFY2_WITH_TIMEOUT(reader_->loudFrames() - before >= endFrames * percentHeard / 100,
                              qPrintable(QStringLiteral("%1 of the %2 end frames heard")
                                             .arg(reader_->loudFrames() - before)
                                             .arg(endFrames)),
                              10000);
    QVERIFY(player.isOpen());
    // Let the silent tail go by: it must stay silent, and nothing may play twice.
    const int framesAtEnd = reader_->frames();
    QTRY_VERIFY_WITH_TIMEOUT(reader_->frames() - framesAtEnd >= SinkRate / 2, 5000);
    QVERIFY2(reader_->loudFrames() - before <= endFrames * 105 / 100,
             qPrintable(QStringLiteral("%1 loud frames for a cue end of %2")
                            .arg(reader_->loudFrames() - before)
                            .arg(endFrames)));
}

QTEST_GUILESS_MAIN(TestSoundOutput)
#include "tst_soundoutput.moc"

// The system's audio output against a sound server that takes the connection and never
// answers: each cue gives up within its bound with "no audio output", and the end of the run
// does not wait for the server.
#include "Module.h"
#include "SoundPlayer.h"
#include "WavBuilder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace tavorim;
using namespace wavtest;

Q_DECLARE_METATYPE(tavorim::SoundError)

namespace {

// Half a second for the window, and some room for a loaded machine and the sanitizers.
constexpr qint64 BoundMs = 750;

} // namespace

class TestSilentAudio : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void eachCueGivesUpInTime();

private:
    QTemporaryDir dir_;
    int server_ = -1;
};

void TestSilentAudio::initTestCase() {
    // The audio output module is loaded from the program folder, not from the test's.
    Module::setFolder(qEnvironmentVariable("TAVORIM_PROGRAM_DIR"));
    QVERIFY(dir_.isValid());
    const QByteArray path = QFile::encodeName(dir_.filePath(QStringLiteral("native")));
    server_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    QVERIFY(server_ >= 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    QVERIFY(std::size_t(path.size()) < sizeof address.sun_path);
    std::copy(path.begin(), path.end(), address.sun_path);
    // The system completes the connections on its own; nobody ever reads from them. The
    // socket stays open to the end of the process, so the server never turns them away.
    QCOMPARE(::bind(server_, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    QCOMPARE(::listen(server_, 16), 0);
    // Set before the sound system is first reached, so that it goes to this server.
    qputenv("PULSE_SERVER", "unix:" + path);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir_.path()));
    qputenv("HOME", QFile::encodeName(dir_.path()));
}

void TestSilentAudio::eachCueGivesUpInTime() {
    const QString cue = dir_.filePath(QStringLiteral("TAVORD.WAV"));
    QFile file(cue);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(Wav({}, Samples16({100, -100, 200, -200})));
    file.close();

    // The first cue meets the server; the next one finds the output still held by it.
    for (int attempt = 1; attempt <= 2; ++attempt) {
        SoundPlayer player;
        player.setFileName(cue);
        QElapsedTimer elapsed;
        elapsed.start();
        QCOMPARE(player.open(), SoundError::NoAudioOutput);
        QVERIFY2(elapsed.elapsed() < BoundMs,
                 qPrintable(QStringLiteral("cue %1 held the window %2 ms")
                                .arg(attempt)
                                .arg(elapsed.elapsed())));
        QVERIFY(!player.isOpen());
        player.play();
    }
}

QTEST_GUILESS_MAIN(TestSilentAudio)
#include "tst_silentaudio.moc"

#include "AudioOutput.h"
#include "FakeAudioOutput.h"
#include "Module.h"
#include "SoundErrorText.h"
#include "SoundPlayer.h"
#include "WavBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include <sys/stat.h>

using namespace tavorim;
using namespace wavtest;
using Event = FakeAudioOutput::Event;

Q_DECLARE_METATYPE(tavorim::SoundError)

namespace {

bool WriteFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

const QByteArray GoodCue = Wav({}, Samples16({100, -100, 200, -200}));

qint64 residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// Opens on a thread of its own, watched: an open that waits on its file or keeps growing
// cannot be interrupted, so it stops the whole test (with the reason) before it can stall or
// exhaust the machine.
SoundError openWatched(SoundPlayer &player) {
    std::packaged_task<SoundError()> task([&player] { return player.open(); });
    std::future<SoundError> result = task.get_future();
    std::thread opener(std::move(task));
    const qint64 baseline = residentKb();
    QElapsedTimer elapsed;
    elapsed.start();
    while (result.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) {
        if (elapsed.elapsed() > 5000)
            qFatal("open() of %s waited more than 5 s", qPrintable(player.fileName()));
        if (residentKb() - baseline > 256 * 1024)
            qFatal("open() of %s took more than 256 MiB", qPrintable(player.fileName()));
    }
    opener.join();
    return result.get();
}

} // namespace

class TestSoundPlayer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void openReportsEachFailure_data();
    void openReportsEachFailure();
    void outputFailures_data();
    void outputFailures();
    void namesInAnyLetterCase_data();
    void namesInAnyLetterCase();
    void foldersInOrder();
    void nextOpenCutsTheCueSounding_data();
    void nextOpenCutsTheCueSounding();
    void destroyingThePlayerCutsTheCue();
    void errorTexts();
    void finalStopRule_data();
    void finalStopRule();
    void shippedCuesAreShortAudibleWaves();
    void missingAudioModuleIsNoAudioOutput();
    void audioModuleBesideTheProgramGivesAnOutput();

private:
    QTemporaryDir workDir_;
    QString previousDir_;
};

void TestSoundPlayer::initTestCase() {
    QVERIFY(workDir_.isValid());
    previousDir_ = QDir::currentPath();
    QVERIFY(QDir::setCurrent(workDir_.path()));
}

void TestSoundPlayer::init() {
    FakeAudioOutput::reset();
}

void TestSoundPlayer::cleanup() {
    FakeAudioOutput::reset();
}

void TestSoundPlayer::cleanupTestCase() {
    QDir::setCurrent(previousDir_);
}

void TestSoundPlayer::openReportsEachFailure_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // written under name unless special
    QTest::addColumn<SoundError>("expected");

    QTest::newRow("good cue") << "BON.WAV" << GoodCue << SoundError::None;
    QTest::newRow("missing") << "ABSENT.WAV" << QByteArray() << SoundError::FileNotFound;
    QTest::newRow("empty name") << "" << QByteArray() << SoundError::FileNotFound;
    QTest::newRow("directory") << "DOSSIER.WAV" << QByteArray("<dir>")
                               << SoundError::FileUnreadable;
    QTest::newRow("read error") << "ILLISIBLE.WAV" << QByteArray("<unreadable>")
                                << SoundError::FileUnreadable;
    QTest::newRow("FIFO") << "TAVORD.WAV" << QByteArray("<fifo>") << SoundError::FileUnreadable;
    QTest::newRow("link to an endless device")
        << "ZERO.WAV" << QByteArray("<zero>") << SoundError::FileUnreadable;
    QTest::newRow("larger than a cue can be")
        << "GEANT.WAV" << QByteArray("<huge>") << SoundError::UnsupportedFormat;
    QTest::newRow("empty file") << "VIDE.WAV" << QByteArray("<empty>") << SoundError::NotWave;
    QTest::newRow("text file") << "TEXTE.WAV" << QByteArray("Bonjour\n") << SoundError::NotWave;
    QTest::newRow("AIFF file") << "AIFF.WAV"
                               << QByteArray("FORM\0\0\0\x04"
                                             "AIFF",
                                             12)
                               << SoundError::NotWave;
    QTest::newRow("big-endian RIFX")
        << "RIFX.WAV" << QByteArray(GoodCue).replace(0, 4, "RIFX") << SoundError::NotWave;
    QTest::newRow("RIFF but not WAVE")
        << "AVI.WAV" << QByteArray(GoodCue).replace(8, 4, "AVI ") << SoundError::NotWave;
    QTest::newRow("truncated header")
        << "COUPE.WAV" << GoodCue.left(30) << SoundError::UnsupportedFormat;
    QTest::newRow("no fmt chunk") << "SANSFMT.WAV" << Riff({{"data", Samples16({1, 2})}})
                                  << SoundError::UnsupportedFormat;
    QTest::newRow("encoding unknown to libsndfile")
        << "INCONNU.WAV" << Wav({.tag = 0x4A4A, .size = 18}, QByteArray(8, '\1'))
        << SoundError::UnsupportedFormat;
}

void TestSoundPlayer::openReportsEachFailure() {
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(SoundError, expected);

    if (content == "<dir>") {
        QVERIFY(QDir(workDir_.path()).mkpath(name));
    } else if (content == "<unreadable>") {
        // Reading this one fails with an I/O error, even for root.
        QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), name));
    } else if (content == "<fifo>") {
        QCOMPARE(::mkfifo(QFile::encodeName(name).constData(), 0600), 0);
    } else if (content == "<zero>") {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), name));
    } else if (content == "<huge>") {
        // A good header, and a size past the limit without the bytes on disk.
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(GoodCue) == GoodCue.size());
        QVERIFY(file.resize(64 * 1024 * 1024 + 1));
    } else if (content == "<empty>") {
        QVERIFY(WriteFile(name, {}));
    } else if (!content.isEmpty()) {
        QVERIFY(WriteFile(name, content));
    }

    FakeOutputPlayer player;
    player.setFileName(name);
    QCOMPARE(openWatched(player), expected);
    QCOMPARE(player.isOpen(), expected == SoundError::None);
    QCOMPARE(FakeAudioOutput::opened(),
             expected == SoundError::None ? QStringList{name} : QStringList{});
    player.play();
    QCOMPARE(FakeAudioOutput::played(),
             expected == SoundError::None ? QStringList{name} : QStringList{});
}

void TestSoundPlayer::outputFailures_data() {
    QTest::addColumn<bool>("outputExists");
    QTest::addColumn<SoundError>("openResult");
    QTest::addColumn<SoundError>("expected");
    QTest::newRow("no output") << false << SoundError::None << SoundError::NoAudioOutput;
    QTest::newRow("device busy") << true << SoundError::DeviceBusy << SoundError::DeviceBusy;
}

void TestSoundPlayer::outputFailures() {
    QFETCH(bool, outputExists);
    QFETCH(SoundError, openResult);
    QFETCH(SoundError, expected);
    QVERIFY(WriteFile("SORTIE.WAV", GoodCue));
    FakeAudioOutput::outputExists = outputExists;
    FakeAudioOutput::openResult = openResult;

    FakeOutputPlayer player;
    player.setFileName("SORTIE.WAV");
    QCOMPARE(player.open(), expected);
    QVERIFY(!player.isOpen());
    player.play();
    QVERIFY(FakeAudioOutput::log().isEmpty());
}

void TestSoundPlayer::namesInAnyLetterCase_data() {
    QTest::addColumn<QStringList>("files"); // the n-th holds the one sample n
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("found"); // -1: none
    QTest::newRow("small letters") << QStringList{"tavord.wav"} << "TAVORD.WAV" << 0;
    QTest::newRow("mixed") << QStringList{"Tavord.Wav"} << "TAVORD.WAV" << 0;
    QTest::newRow("asked in small letters") << QStringList{"TAVORD.WAV"} << "tavord.wav" << 0;
    QTest::newRow("accented") << QStringList{"sonÉté.wav"} << "SONéTÉ.WAV" << 0;
    QTest::newRow("exact name first")
        << QStringList{"tavord.wav", "TAVORD.WAV", "Tavord.Wav"} << "TAVORD.WAV" << 1;
    QTest::newRow("else first in character-code order")
        << QStringList{"tavord.wav", "tAVORD.WAV", "Tavord.Wav"} << "TAVORd.WAV" << 2;
    QTest::newRow("a variant that leads nowhere is passed over")
        << QStringList{"<dangling>Tavord.wav", "tavord.wav"} << "TAVORD.WAV" << 1;
    QTest::newRow("only names alike")
        << QStringList{"TAVORD.WAV.BAK", "TAVORDS.WAV", "tavord"} << "TAVORD.WAV" << -1;
}

void TestSoundPlayer::namesInAnyLetterCase() {
    QFETCH(QStringList, files);
    QFETCH(QString, name);
    QFETCH(int, found);
    QTemporaryDir folder;
    QVERIFY(folder.isValid() && QDir::setCurrent(folder.path()));
    auto back = qScopeGuard([this] { QDir::setCurrent(workDir_.path()); });
    for (int n = 0; n < files.size(); ++n) {
        if (files[n].startsWith("<dangling>"))
            QVERIFY(QFile::link(QStringLiteral("absent"), files[n].mid(10)));
        else
            QVERIFY(WriteFile(files[n], Wav({}, Samples16({std::int16_t(n)}))));
    }
    FakeOutputPlayer player;
    player.setFileName(name);
    QCOMPARE(player.open(), found < 0 ? SoundError::FileNotFound : SoundError::None);
    if (found >= 0)
        QCOMPARE(FakeAudioOutput::lastSound().samples,
                 std::vector<std::int16_t>{std::int16_t(found)});
}

void TestSoundPlayer::foldersInOrder() {
    const QString name = QStringLiteral("tst_soundplayer_where.wav");
    const QString inProgram = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    QVERIFY(WriteFile(inProgram, Wav({.channels = 2}, Samples16({1, 2}))));
    auto removeLater = qScopeGuard([&] { QFile::remove(inProgram); });

    FakeOutputPlayer player;
    player.setFileName(name);
    QCOMPARE(player.open(), SoundError::None);
    QCOMPARE(FakeAudioOutput::lastSound().channels, 2);

    // Mono, in the working directory, in other letters: the folder goes first.
    QVERIFY(WriteFile(name.toUpper(), GoodCue));
    QCOMPARE(player.open(), SoundError::None);
    QCOMPARE(FakeAudioOutput::lastSound().channels, 1);
    // The name handed on stays bare.
    QCOMPARE(FakeAudioOutput::opened(), (QStringList{name, name}));
    QCOMPARE(player.fileName(), name);

    // Before both, the teachers' folders: the system's, then the user's own, each marked here
    // by its rate.
    QTemporaryDir user, system;
    qputenv("XDG_DATA_HOME", QFile::encodeName(user.path()));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(system.path()));
    auto unset = qScopeGuard([] {
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_DATA_DIRS");
    });
    for (const auto &[folder, rate] : {std::pair{&system, 11025}, std::pair{&user, 8000}}) {
        QVERIFY(QDir(folder->path()).mkpath(QStringLiteral("tavorim/cues")));
        QVERIFY(WriteFile(folder->filePath(QStringLiteral("tavorim/cues/") + name),
                          Wav({.rate = std::uint32_t(rate)}, Samples16({3}))));
        QCOMPARE(player.open(), SoundError::None);
        QCOMPARE(FakeAudioOutput::lastSound().sampleRate, rate);
    }
}

void TestSoundPlayer::nextOpenCutsTheCueSounding_data() {
    QTest::addColumn<QString>("next");
    QTest::addColumn<SoundError>("expected");
    QTest::newRow("next cue good") << "DEUX.WAV" << SoundError::None;
    QTest::newRow("next cue missing") << "MANQUE.WAV" << SoundError::FileNotFound;
    QTest::newRow("same cue again") << "UN.WAV" << SoundError::None;
}

void TestSoundPlayer::nextOpenCutsTheCueSounding() {
    QFETCH(QString, next);
    QFETCH(SoundError, expected);
    QVERIFY(WriteFile("UN.WAV", GoodCue));
    QVERIFY(WriteFile("DEUX.WAV", GoodCue));

    FakeOutputPlayer player;
    player.setFileName("UN.WAV");
    QCOMPARE(player.open(), SoundError::None);
    player.play();
    QCOMPARE(FakeAudioOutput::sounding(), QStringLiteral("UN.WAV"));

    player.setFileName(next);
    QCOMPARE(player.open(), expected);
    QCOMPARE(FakeAudioOutput::sounding(), QString());
    QCOMPARE(
        FakeAudioOutput::log().mid(0, 3),
        (QList<Event>{{Event::Open, "UN.WAV"}, {Event::Play, "UN.WAV"}, {Event::Stop, "UN.WAV"}}));
    player.play();
    QCOMPARE(FakeAudioOutput::sounding(), expected == SoundError::None ? next : QString());
}

void TestSoundPlayer::destroyingThePlayerCutsTheCue() {
    QVERIFY(WriteFile("FIN.WAV", GoodCue));
    auto player = std::make_unique<FakeOutputPlayer>();
    player->setFileName("FIN.WAV");
    QCOMPARE(player->open(), SoundError::None);
    player->play();
    QCOMPARE(FakeAudioOutput::sounding(), QStringLiteral("FIN.WAV"));
    player.reset();
    QCOMPARE(FakeAudioOutput::sounding(), QString());
    QCOMPARE(FakeAudioOutput::stopped(), QStringList{"FIN.WAV"});
}

void TestSoundPlayer::errorTexts() {
    const QList<SoundError> codes{SoundError::FileNotFound,  SoundError::FileUnreadable,
                                  SoundError::NotWave,       SoundError::UnsupportedFormat,
                                  SoundError::NoAudioOutput, SoundError::DeviceBusy};
    QSet<QString> seen;
    for (SoundError code : codes) {
        const QString text = errorBoxText(code);
        QVERIFY2(text.endsWith(QLatin1Char('.')) && !text.endsWith(QLatin1String("..")),
                 qPrintable(text));
        QVERIFY2(text != QStringLiteral("Code d'erreur inconnu."), qPrintable(text));
        seen.insert(text);
    }
    QCOMPARE(seen.size(), codes.size());
    QCOMPARE(errorBoxText(SoundError::None), QStringLiteral("Code d'erreur inconnu."));
    QCOMPARE(errorBoxText(SoundError::NotWave),
             QStringLiteral("Le fichier n'est pas un fichier son WAV valide."));
    QCOMPARE(errorBoxText(SoundError::UnsupportedFormat),
             QStringLiteral("Le format de ce fichier son WAV n'est pas pris en charge."));
}

void TestSoundPlayer::finalStopRule_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("letter") << "Fichier absent"
                            << "Fichier absent.";
    QTest::newRow("digit") << "Erreur 263"
                           << "Erreur 263.";
    QTest::newRow("accented letter") << "Périphérique occupé"
                                     << "Périphérique occupé.";
    QTest::newRow("slash sorts after") << "lecture et écriture /"
                                       << "lecture et écriture /.";
    QTest::newRow("stop already") << "Fichier absent."
                                  << "Fichier absent.";
    QTest::newRow("exclamation") << "Attention !"
                                 << "Attention !";
    QTest::newRow("closing bracket") << "Erreur (disque)"
                                     << "Erreur (disque)";
    QTest::newRow("hyphen sorts before") << "son -"
                                         << "son -";
    QTest::newRow("empty") << ""
                           << "";
}

void TestSoundPlayer::finalStopRule() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(withFinalStop(text), expected);
}

// The cues the build puts beside the program: each opens cleanly, is short and mono, and
// actually makes a sound.
void TestSoundPlayer::shippedCuesAreShortAudibleWaves() {
    const QString programDir =
        QProcessEnvironment::systemEnvironment().value(QStringLiteral("TAVORIM_PROGRAM_DIR"));
    if (programDir.isEmpty())
        QSKIP("TAVORIM_PROGRAM_DIR is not set: run this test through CTest");
    QStringList names{QStringLiteral("TAVORD.WAV")};
    for (int digit = 0; digit < 8; ++digit)
        names << QStringLiteral("TAVORJ%1.WAV").arg(digit)
              << QStringLiteral("TAVORF%1.WAV").arg(digit);

    FakeOutputPlayer player;
    for (const QString &name : names) {
        player.setFileName(QDir(programDir).filePath(name));
        QCOMPARE(player.open(), SoundError::None);
        const DecodedCue &sound = FakeAudioOutput::lastSound();
        QCOMPARE(sound.channels, 1);
        QVERIFY2(sound.sampleRate == 22050 || sound.sampleRate == 44100, qPrintable(name));
        QVERIFY2(sound.frameCount() <= std::size_t(sound.sampleRate) * 3 / 2, qPrintable(name));
        int peak = 0;
        for (std::int16_t sample : sound.samples)
            peak = std::max(peak, std::abs(int(sample)));
        QVERIFY2(peak > 8000, qPrintable(name));
    }
}

// Without the audio output module in its folder, a cue fails as a missing output does.
void TestSoundPlayer::missingAudioModuleIsNoAudioOutput() {
    QTemporaryDir emptyFolder;
    QVERIFY(emptyFolder.isValid());
    const QString cue = emptyFolder.filePath(QStringLiteral("TAVORD.WAV"));
    QVERIFY(WriteFile(cue, GoodCue));
    Module::setFolder(emptyFolder.path());
    SoundPlayer player;
    player.setFileName(cue);
    const SoundError error = player.open();
    Module::setFolder(QString());
    QCOMPARE(error, SoundError::NoAudioOutput);
    QVERIFY(!player.isOpen());
}

// The module the build puts beside the program loads and hands out the system's output.
void TestSoundPlayer::audioModuleBesideTheProgramGivesAnOutput() {
    const QString programDir = qEnvironmentVariable("TAVORIM_PROGRAM_DIR");
    if (programDir.isEmpty())
        QSKIP("TAVORIM_PROGRAM_DIR is not set: run this test through CTest");
    Module::setFolder(programDir);
    const bool made = makeSystemAudioOutput() != nullptr;
    Module::setFolder(QString());
    QVERIFY(made);
}

QTEST_GUILESS_MAIN(TestSoundPlayer)
#include "tst_soundplayer.moc"

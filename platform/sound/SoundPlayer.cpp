#include "SoundPlayer.h"

#include "AudioOutput.h"
#include "WavDecoder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavorim {

namespace {

// Cues are short; a bigger file is refused rather than read whole into memory.
constexpr qint64 LargestFile = 64 * 1024 * 1024;

// How long a cue may keep its window waiting for the audio output to answer.
constexpr std::chrono::milliseconds DeviceWait{400};

SoundPlayer::AudioOutputFactory &outputFactory() {
    static SoundPlayer::AudioOutputFactory factory;
    return factory;
}

// The name in a folder: the exact name, else the same name in any letter case (only its last
// part: the folders of a name with some are taken as given). Of several case variants, the
// first in character-code order. Empty when the folder holds none.
QString findIn(const QDir &folder, const QString &name) {
    const QString exact = folder.filePath(name);
    if (QFileInfo::exists(exact))
        return exact;
    const QFileInfo wanted(exact);
    const QDir dir = wanted.dir();
    QStringList variants;
    for (const QString &entry : dir.entryList(
             QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted))
        if (entry.compare(wanted.fileName(), Qt::CaseInsensitive) == 0)
            variants.append(entry);
    std::sort(variants.begin(), variants.end());
    for (const QString &variant : variants)
        if (QFileInfo::exists(dir.filePath(variant)))
            return dir.filePath(variant);
    return {};
}

// The bare name as the system resolves a relative name for us: the working directory first,
// then the program folder. Empty when neither holds it.
QString resolvedPath(const QString &bareName) {
    if (bareName.isEmpty())
        return {};
    if (QString inWorkingDir = findIn(QDir::current(), bareName); !inWorkingDir.isEmpty())
        return inWorkingDir;
    return findIn(QDir(QCoreApplication::applicationDirPath()), bareName);
}

// Reads a whole cue file. Only a regular file is read: a FIFO would wait for a writer, a
// device would never end. Whatever the file's size says, at most LargestFile + 1 bytes are
// read, which is enough to tell that it is too big.
SoundError readCue(const QString &path, QByteArray &bytes) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return SoundError::FileUnreadable;
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        return SoundError::FileUnreadable;
    if (status.st_size > LargestFile)
        return SoundError::UnsupportedFormat;
    // Files of /proc say 0 and hold more: the buffer grows as the reading needs.
    bytes.resize(qMax<qint64>(status.st_size + 1, 4096));
    qint64 got = 0;
    while (got <= LargestFile) {
        if (got == bytes.size())
            bytes.resize(qMin(bytes.size() * 2, LargestFile + 1));
        const ssize_t n = ::read(fd, bytes.data() + got, std::size_t(bytes.size() - got));
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return SoundError::FileUnreadable;
        }
        got += n;
    }
    if (got > LargestFile)
        return SoundError::UnsupportedFormat;
    bytes.truncate(got);
    return SoundError::None;
}

} // namespace

SoundPlayer::SoundPlayer(QObject *parent) : QObject(parent) {}

SoundPlayer::~SoundPlayer() {
    close();
}

void SoundPlayer::setFileName(const QString &bareName) {
    fileName_ = bareName;
}

QString SoundPlayer::fileName() const {
    return fileName_;
}

SoundError SoundPlayer::open() {
    close();

    const QString path = resolvedPath(fileName_);
    if (path.isEmpty())
        return SoundError::FileNotFound;
    QByteArray bytes;
    if (const SoundError error = readCue(path, bytes); error != SoundError::None)
        return error;

    // Other formats are told apart here: only a wave file needs the audio output module.
    if (!isWaveContainer(cueBytes(bytes)))
        return SoundError::NotWave;

    std::unique_ptr<AudioOutput> output =
        outputFactory() ? outputFactory()() : makeSystemAudioOutput();
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

QString SoundPlayer::errorBoxText(SoundError error) {
    QString text;
    switch (error) {
    case SoundError::FileNotFound:
        text = QStringLiteral("Le fichier son est introuvable");
        break;
    case SoundError::FileUnreadable:
        text = QStringLiteral("Le fichier son ne peut pas être lu");
        break;
    case SoundError::NotWave:
        text = QStringLiteral("Le fichier n'est pas un fichier son WAV valide");
        break;
    case SoundError::UnsupportedFormat:
        text = QStringLiteral("Le format de ce fichier son WAV n'est pas pris en charge");
        break;
    case SoundError::NoAudioOutput:
        text = QStringLiteral("Aucune sortie audio n'est disponible sur cet ordinateur");
        break;
    case SoundError::DeviceBusy:
        text = QStringLiteral("La sortie audio est occupée par une autre application");
        break;
    case SoundError::None:
        break;
    }
    if (text.isEmpty())
        text = QStringLiteral("Code d'erreur inconnu");
    return withFinalStop(text);
}

QString SoundPlayer::withFinalStop(const QString &text) {
    if (!text.isEmpty() && text.back() > QLatin1Char('.'))
        return text + QLatin1Char('.');
    return text;
}

void SoundPlayer::setAudioOutputFactoryForTests(AudioOutputFactory factory) {
    outputFactory() = std::move(factory);
}

} // namespace tavorim

#include "SoundPlayer.h"

#include "AudioOutput.h"
#include "RegularFile.h"
#include "WavDecoder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

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

// The name in a folder, exact or else in any letter case of its last part (first in code order);
// empty when the folder holds none.
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

} // namespace

QStringList SoundPlayer::cueFolders() {
    QStringList folders;
    for (const QString &data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders << QDir(data).filePath(QStringLiteral("tavorim/cues"));
    return folders << QDir::currentPath() << QCoreApplication::applicationDirPath();
}

QString SoundPlayer::findCue(const QString &bareName) {
    if (bareName.isEmpty())
        return {};
    for (const QString &folder : cueFolders()) {
        if (QString path = findIn(QDir(folder), bareName); !path.isEmpty())
            return path;
    }
    return {};
}

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

    const QString path = findCue(fileName_);
    if (path.isEmpty())
        return SoundError::FileNotFound;
    const RegularFileContents file = readRegularFile(path, LargestFile);
    if (file.status == RegularFileContents::Unreadable)
        return SoundError::FileUnreadable;
    if (file.status == RegularFileContents::TooLarge)
        return SoundError::UnsupportedFormat;
    const QByteArray &bytes = file.bytes;

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

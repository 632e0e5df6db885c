#include "CueFiles.h"

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

QStringList CueFiles::folders() {
    QStringList folders;
    for (const QString &data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders << QDir(data).filePath(QStringLiteral("tavorim/cues"));
    return folders << QDir::currentPath() << QCoreApplication::applicationDirPath();
}

QString CueFiles::find(const QString &bareName) {
    if (bareName.isEmpty())
        return {};
    for (const QString &folder : folders()) {
        if (QString path = findIn(QDir(folder), bareName); !path.isEmpty())
            return path;
    }
    return {};
}

SoundError CueFiles::read(const QString &bareName, QByteArray &bytes) {
    bytes.clear();
    const QString path = find(bareName);
    if (path.isEmpty())
        return SoundError::FileNotFound;
    RegularFileContents file = readRegularFile(path, LargestFile);
    if (file.status == RegularFileContents::Unreadable)
        return SoundError::FileUnreadable;
    if (file.status == RegularFileContents::TooLarge)
        return SoundError::UnsupportedFormat;
    // Other formats are told apart here: only a wave file needs the audio output module.
    if (!isWaveContainer(cueBytes(file.bytes)))
        return SoundError::NotWave;
    bytes = std::move(file.bytes);
    return SoundError::None;
}

} // namespace tavorim

#pragma once

#include "SoundError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tavorim {

// Where the cues are found by their bare names, and how one is read.
class CueFiles {
public:
    // Where cues are looked for, first to last: "tavorim/cues" in the user's and system's data
    // folders (teachers' own recordings), then the working directory and the program folder.
    static QStringList folders();
    // The file a bare name stands for in the first folder that has it: exact, else in any letter
    // case of its last part (first in code order); empty when no folder has it.
    static QString find(const QString &bareName);
    // A cue's bytes, read whole when it is a regular file no larger than a cue can be and holds
    // a wave container; None, or why not (a file too large is UnsupportedFormat).
    static SoundError read(const QString &bareName, QByteArray &bytes);
};

} // namespace tavorim

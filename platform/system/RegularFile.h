#pragma once

#include <QByteArray>
#include <QString>

namespace tavorim {

struct RegularFileContents {
    enum Status { Read, Unreadable, TooLarge };
    Status status = Unreadable;
    QByteArray bytes;
};

// Reads a whole file of at most `limit` bytes. Only a regular file is read: a FIFO would wait
// for a writer, a device would never end. Whatever the file's size says, no more than
// limit + 1 bytes are read, enough to tell that it is too large.
RegularFileContents readRegularFile(const QString &path, qint64 limit);

} // namespace tavorim

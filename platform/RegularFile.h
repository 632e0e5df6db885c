#pragma once

#include <QByteArray>
#include <QString>

namespace tavorim {

struct RegularFileContents {
    enum Status { Read, Unreadable, TooLarge };
    Status status = Unreadable;
    QByteArray bytes;
};

// Opens a file for reading, in blocking mode, only when it is a regular file: a FIFO would
// wait for a writer, a device would never end. -1 otherwise.
int openRegularFile(const char *path);

// Reads a whole file of at most `limit` bytes, a regular one only. Whatever the file's size
// says, no more than limit + 1 bytes are read, enough to tell that it is too large.
RegularFileContents readRegularFile(const QString &path, qint64 limit);

} // namespace tavorim

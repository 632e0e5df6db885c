#include "RegularFile.h"

#include <QFile>
#include <QScopeGuard>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavorim {

int openRegularFile(const char *path) {
    // Opened without waiting, so that a FIFO is seen for what it is rather than waited on.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
        ::fcntl(fd, F_SETFL, O_RDONLY) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

RegularFileContents readRegularFile(const QString &path, qint64 limit) {
    RegularFileContents file;
    const int fd = openRegularFile(QFile::encodeName(path).constData());
    if (fd < 0)
        return file;
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return file;
    if (status.st_size > limit) {
        file.status = RegularFileContents::TooLarge;
        return file;
    }
    // Files of /proc say 0 and hold more: the buffer grows as the reading needs.
    QByteArray &bytes = file.bytes;
    bytes.resize(qMin(qMax<qint64>(status.st_size + 1, 4096), limit + 1));
    qint64 got = 0;
    while (got <= limit) {
        if (got == bytes.size())
            bytes.resize(qMin(bytes.size() * 2, limit + 1));
        const ssize_t n = ::read(fd, bytes.data() + got, std::size_t(bytes.size() - got));
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            bytes.clear();
            return file;
        }
        got += n;
    }
    if (got > limit) {
        bytes.clear();
        file.status = RegularFileContents::TooLarge;
        return file;
    }
    bytes.truncate(got);
    file.status = RegularFileContents::Read;
    return file;
}

} // namespace tavorim

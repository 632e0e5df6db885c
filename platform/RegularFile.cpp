#include "RegularFile.h"

#include "BoundedRead.h"

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
    const int fd = openRegularFile(QFile::encodeName(path).constData());
    if (fd < 0)
        return {};
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return {};
    return readBounded(status.st_size, limit, [fd](char *data, qint64 wanted) {
        ssize_t n;
        do
            n = ::read(fd, data, std::size_t(wanted));
        while (n < 0 && errno == EINTR);
        return qint64(n);
    });
}

} // namespace tavorim

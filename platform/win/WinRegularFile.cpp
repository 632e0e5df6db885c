// Reading only regular files on Windows: a file on disk, never a pipe, a console or a device.
#include "RegularFile.h"

#include "BoundedRead.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>

#include <fcntl.h>
#include <io.h>

#include <windows.h>

namespace tavorim {

namespace {

// The file opened for reading when it is a regular file on disk; INVALID_HANDLE_VALUE else.
// Opening a pipe's name does not wait, and a folder does not open without backup semantics.
HANDLE openRegular(const QString &path) {
    const QString native = QDir::toNativeSeparators(path);
    const HANDLE file = CreateFileW(reinterpret_cast<const wchar_t *>(native.utf16()), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return file;
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

} // namespace

int openRegularFile(const char *path) {
    const HANDLE file = openRegular(QFile::decodeName(path));
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    // The C library's descriptor owns the handle from here on.
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
    if (fd < 0)
        CloseHandle(file);
    return fd;
}

RegularFileContents readRegularFile(const QString &path, qint64 limit) {
    const HANDLE file = openRegular(path);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    const auto closeFile = qScopeGuard([file] { CloseHandle(file); });
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size))
        return {};
    return readBounded(size.QuadPart, limit, [file](char *data, qint64 wanted) {
        DWORD read = 0;
        if (!ReadFile(file, data, DWORD(qMin<qint64>(wanted, MAXDWORD)), &read, nullptr))
            return qint64(-1);
        return qint64(read);
    });
}

} // namespace tavorim

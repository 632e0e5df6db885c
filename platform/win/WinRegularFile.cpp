// Reading only regular files on Windows: a file on disk, never a pipe, a console or a device.
#include "RegularFile.h"

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
    RegularFileContents contents;
    const HANDLE file = openRegular(path);
    if (file == INVALID_HANDLE_VALUE)
        return contents;
    const auto closeFile = qScopeGuard([file] { CloseHandle(file); });
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size))
        return contents;
    if (size.QuadPart > limit) {
        contents.status = RegularFileContents::TooLarge;
        return contents;
    }
    // The size may grow while the file is read: never more than limit + 1 bytes are taken.
    QByteArray &bytes = contents.bytes;
    bytes.resize(qMin(qMax<qint64>(size.QuadPart + 1, 4096), limit + 1));
    qint64 got = 0;
    while (got <= limit) {
        if (got == bytes.size())
            bytes.resize(qMin(bytes.size() * 2, limit + 1));
        DWORD read = 0;
        const DWORD wanted = DWORD(qMin<qint64>(bytes.size() - got, MAXDWORD));
        if (!ReadFile(file, bytes.data() + got, wanted, &read, nullptr)) {
            bytes.clear();
            return contents;
        }
        if (read == 0)
            break;
        got += read;
    }
    if (got > limit) {
        bytes.clear();
        contents.status = RegularFileContents::TooLarge;
        return contents;
    }
    bytes.truncate(got);
    contents.status = RegularFileContents::Read;
    return contents;
}

} // namespace tavorim

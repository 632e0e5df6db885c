// The user's private folder on Windows: Tavorim in the user's local application data, which
// the system keeps closed to other users.
#include "PrivateFolder.h"

#include <QDir>

#include <windows.h>

#include <shlobj.h>

namespace tavorim {

namespace {

QString localAppData() {
    wchar_t *path = nullptr;
    QString folder;
    if (SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &path) == S_OK)
        folder = QString::fromWCharArray(path);
    CoTaskMemFree(path);
    if (folder.isEmpty())
        folder = qEnvironmentVariable("LOCALAPPDATA");
    return folder;
}

// A real folder, made when missing; not a link, which could lead anywhere.
bool isOwnFolder(const QString &path) {
    const auto *name = reinterpret_cast<const wchar_t *>(path.utf16());
    if (!CreateDirectoryW(name, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    const DWORD attributes = GetFileAttributesW(name);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

} // namespace

QString privateFolder() {
    const QString base = localAppData();
    if (base.isEmpty())
        return {};
    const QString folder =
        QDir::toNativeSeparators(QDir::cleanPath(base) + QStringLiteral("/Tavorim"));
    return isOwnFolder(folder) ? QDir::fromNativeSeparators(folder) : QString();
}

// Every session of a user sees the same local application data.
QString userFolder(const SystemFolders &) {
    return privateFolder();
}

} // namespace tavorim

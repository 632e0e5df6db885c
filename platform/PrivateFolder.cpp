#include "PrivateFolder.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavorim {

namespace {

bool isPrivateFolder(const struct stat &status) {
    return S_ISDIR(status.st_mode) && status.st_uid == geteuid() && (status.st_mode & 077) == 0;
}

// Makes the folder when it is missing; true when what stands under the name, not followed if it
// is a link, is a private folder of ours.
bool makePrivateFolder(const QString &path) {
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    const int folder = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0)
        return false;
    struct stat status {};
    const bool usable = ::fstat(folder, &status) == 0 && isPrivateFolder(status);
    ::close(folder);
    return usable;
}

// The runtime folder is the session's own, so it may be reached through a link; what counts is
// that it is ours and closed.
QString inRuntimeFolder(const QString &runtime) {
    struct stat status {};
    if (!runtime.startsWith(QLatin1Char('/')) ||
        ::stat(QFile::encodeName(runtime).constData(), &status) != 0 || !isPrivateFolder(status))
        return {};
    const QString folder = QDir::cleanPath(runtime) + QStringLiteral("/tavorim");
    return makePrivateFolder(folder) ? folder : QString();
}

// The temporary folder is shared: the name must be ours from the start.
QString inTemporaryFolder(const QString &temp) {
    const QString folder = QDir::cleanPath(temp) + QStringLiteral("/tavorim-%1").arg(geteuid());
    return makePrivateFolder(folder) ? folder : QString();
}

} // namespace

QString privateFolder() {
    const QString runtime = inRuntimeFolder(qEnvironmentVariable("XDG_RUNTIME_DIR"));
    return runtime.isEmpty() ? inTemporaryFolder(QDir::tempPath()) : runtime;
}

// The temporary folder first: it is there from the start of every session, while the runtime
// folder may appear or go while a copy runs.
QString userFolder(const SystemFolders &system) {
    const QString temp = inTemporaryFolder(system.temp);
    return temp.isEmpty()
               ? inRuntimeFolder(system.runtimeFolders + QStringLiteral("/%1").arg(geteuid()))
               : temp;
}

} // namespace tavorim

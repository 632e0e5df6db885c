#include "HelpTrace.h"

#include "ProgramFile.h"
#include "hh.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSysInfo>
#include <QTime>

#include <algorithm>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavorim {

namespace {

std::unique_ptr<TDLogFile> runLog;

bool isDebugArgument(const QString &argument) {
    return argument.compare(QLatin1String("/debug"), Qt::CaseInsensitive) == 0 ||
           argument.compare(QLatin1String("-debug"), Qt::CaseInsensitive) == 0;
}

// The trace's folders may be writable by others: a link is never followed, nor anything opened
// that is not a regular file of ours, nor anything truncated.

// A file that is certainly ours and holds nothing: a probe left by a run that was cut short.
bool isOwnEmptyFile(const QByteArray &path) {
    struct stat status {};
    return ::lstat(path.constData(), &status) == 0 && S_ISREG(status.st_mode) &&
           status.st_uid == geteuid() && status.st_size == 0;
}

// Whether a file can be created in the folder: the probe is made afresh, never over something
// already there, and removed at once.
bool canCreateFileIn(const QString &folder) {
    const QByteArray probe = QFile::encodeName(folder + QStringLiteral("$_Temp_$.$$$"));
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int file =
            ::open(probe.constData(),
                   O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        if (file >= 0) {
            ::close(file);
            ::unlink(probe.constData());
            return true;
        }
        if (errno != EEXIST || !isOwnEmptyFile(probe))
            return false;
        ::unlink(probe.constData());
    }
    return false;
}

// Removes the entry itself, whatever it is, without following it or opening it; a folder of
// that name stays. True when the name is free afterwards.
bool removeEntry(const QString &path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat status {};
    if (::lstat(name.constData(), &status) != 0)
        return errno == ENOENT;
    if (S_ISDIR(status.st_mode))
        return false;
    return ::unlink(name.constData()) == 0 || errno == ENOENT;
}

// The temporary folder, or the root when there is none.
QString temporaryFolder(const HelpEnvironment &environment) {
    const QString temp = environment.tempFolder();
    const QString folder = !temp.isEmpty() && QDir(temp).exists() ? temp : QDir::rootPath();
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

} // namespace

TDLogFile::TDLogFile(const QStringList &arguments, const QString &programVersion) {
    const HelpEnvironment &environment = currentHelpEnvironment();
    debugMode_ = QFileInfo::exists(environment.programFolder() + QStringLiteral("debug.debug")) ||
                 std::any_of(arguments.begin() + std::min<qsizetype>(1, arguments.size()),
                             arguments.end(), isDebugArgument);
    // The program folder when a file can be created there (and no folder has the trace's name),
    // else the temporary folder. Unlinking needs no write permission: a read-only trace goes too.
    QStringList folders;
    if (canCreateFileIn(environment.programFolder()))
        folders.append(environment.programFolder());
    folders.append(temporaryFolder(environment));
    for (const QString &folder : folders) {
        logFile_ = folder + QStringLiteral("HHDebug.txt");
        if (removeEntry(logFile_))
            break;
    }
    if (debugMode_)
        writeHeader(arguments, programVersion);
}

void TDLogFile::write(const QString &line) const {
    if (!debugMode_)
        return;
    QString text;
    if (line == QLatin1String("-") || line == QLatin1String("="))
        text = QString(79, line.front());
    else if (line.startsWith(QLatin1Char('!')) || line.startsWith(QLatin1Char('-')) ||
             line.startsWith(QLatin1Char('=')))
        text = line.mid(1);
    else
        text = QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz")) +
               QStringLiteral("   ") + line;
    // Something other than a regular file of ours under the name (a link, a pipe, a device, a
    // file of someone else) takes no line.
    const QByteArray name = QFile::encodeName(logFile_);
    struct stat status {};
    if (::lstat(name.constData(), &status) == 0 && !S_ISREG(status.st_mode))
        return;
    const int descriptor =
        ::open(name.constData(),
               O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (descriptor < 0)
        return;
    QFile file;
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_uid != geteuid() ||
        !file.open(descriptor, QIODevice::WriteOnly | QIODevice::Append,
                   QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return;
    }
    file.write(text.toUtf8() + '\n');
    file.flush();
    file.close();
}

void TDLogFile::writeHeader(const QStringList &arguments, const QString &programVersion) const {
    const HelpEnvironment &environment = currentHelpEnvironment();
    const QString control = hhRegisteredControlPath();
    const QString controlVersion = hhFileVersion(control);
    const QLocale locale = QLocale::system();
    const auto fact = [this](const char *name, const QString &value) {
        write(QStringLiteral("!%1: %2").arg(QLatin1String(name), value));
    };
    write(QStringLiteral("="));
    write(QStringLiteral("!Help trace"));
    write(QStringLiteral("="));
    fact("Log file", logFile_);
    fact("Date", QDate::currentDate().toString(Qt::ISODate) + QLatin1Char(' ') +
                     QTime::currentTime().toString(QStringLiteral("hh:mm:ss")));
    fact("Operating system", QSysInfo::prettyProductName() + QStringLiteral(", kernel ") +
                                 QSysInfo::kernelVersion() + QStringLiteral(", ") +
                                 QSysInfo::currentCpuArchitecture());
    fact("Locale", locale.name());
    fact("Decimal separator", locale.decimalPoint());
    fact("Program", exeName());
    fact("Program version", programVersion);
    fact("Arguments", arguments.mid(1).join(QLatin1Char(' ')));
    fact("Program folder", environment.programFolder());
    fact("System folder", environment.systemFolder());
    fact("Temporary folder", environment.tempFolder());
    fact("Help control", controlVersion.isEmpty()
                             ? control + QStringLiteral(" (no file version)")
                             : control + QStringLiteral(", version ") + controlVersion);
    fact("Viewer loaded", hhViewerLoaded() ? QStringLiteral("yes") : QStringLiteral("no"));
    fact("Browser", QStringLiteral("none embedded, pages are shown by the help viewer"));
    write(QStringLiteral("-"));
}

TDLogFile *helpLog() {
    return runLog.get();
}

void helpTrace(const QString &line) {
    if (runLog)
        runLog->write(line);
}

void openHelpTrace(const QStringList &arguments, const QString &programVersion) {
    runLog = std::make_unique<TDLogFile>(arguments, programVersion);
}

void closeHelpTrace() {
    runLog.reset();
}

} // namespace tavorim

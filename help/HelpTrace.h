#pragma once

#include <QString>
#include <QStringList>

namespace tavorim {

// Debug mode: "debug.debug" in the program folder or a "/debug" or "-debug" argument. An old trace
// is deleted at every start; no file is written through a link or over a foreign file.
class TDLogFile {
public:
    // The program version goes into the trace header.
    TDLogFile(const QStringList &arguments, const QString &programVersion);

    bool debugMode() const { return debugMode_; }
    const QString &logFile() const { return logFile_; }

    // One line after the time of day, opening and closing the file each time; a leading "!", "-" or
    // "=" drops the time ("-" or "=" alone is a rule of 79). Nothing outside debug mode.
    void write(const QString &line) const;

private:
    void writeHeader(const QStringList &arguments, const QString &programVersion) const;

    bool debugMode_ = false;
    QString logFile_;
};

// The run's trace, from startHelp to finishHelp; null outside that span.
TDLogFile *helpLog();
// Writes to the run's trace, if any.
void helpTrace(const QString &line);
// Opens the run's trace (deleting an old one) and closes it.
void openHelpTrace(const QStringList &arguments, const QString &programVersion);
void closeHelpTrace();

} // namespace tavorim

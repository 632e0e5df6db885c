#pragma once

#include <QString>
#include <QStringList>

namespace tavorim {

// The diagnostic trace. Debug mode: "debug.debug" in the program folder, or an argument
// (after the program's own path) equal to "/debug" or "-debug" in any case. The trace file
// "HHDebug.txt" lives in the program folder when a probe file can be created there, else in
// the temporary folder; an old one is deleted at every start, debug mode or not. Neither file is
// ever written through a link or over something that is not a regular file of the user's.
class TDLogFile {
public:
    // The program version goes into the trace header.
    TDLogFile(const QStringList &arguments, const QString &programVersion);

    bool debugMode() const { return debugMode_; }
    const QString &logFile() const { return logFile_; }

    // Appends one line after the time of day and three spaces, opening and closing the file
    // each time; a line that cannot be written is dropped. A line starting with "!", "-" or
    // "=" goes without the time and that character; "-" or "=" alone is a rule of 79.
    // Nothing is written outside debug mode.
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

#pragma once

#include <QString>
#include <QStringList>

namespace tavorim {

// Start-up, before any window: loads the viewer, decides _hhInstalled and sets up the trace
// (arguments with the program path first; the version for the trace header).
void startHelp(const QStringList &arguments, const QString &programVersion);
// The help file: the program folder + "tavorim.chm".
QString helpFilePath();
// "&Documentation": opens the help file at its default topic; with no viewer loaded, the
// "not installed" box instead.
void hhDisplayTopic();
// The end of the run, after the main window (and its hook) is gone: releases the trace and
// frees the viewer.
void finishHelp();

} // namespace tavorim

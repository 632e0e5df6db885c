#pragma once

#include "Settings.h"

#include <QString>
#include <QStringList>

namespace tavorim {

// The settings of this run, as loadSettings left them (all unset before it).
const Settings &classSettings();

// The administrator's file: "tavorim/tavorim.conf" in the first of the system's configuration
// folders that has one ($XDG_CONFIG_DIRS, /etc/xdg when unset). The user's own configuration
// folder is not read: pupils cannot change what the file sets. Empty when there is none.
QString settingsFilePath();

// Reads the file, then the options among the arguments (the program's path first), which
// override it. Returns a French message for each line or option left out, with the file's
// path for the file's.
QStringList loadSettings(const QStringList &arguments);

// What --show-settings prints: the file read, what was left out and the settings in force.
QString settingsReport(const QStringList &arguments);

// The exit report's address for this run: the built-in one unless the settings say "off"
// (empty) or give another.
QString reportAddress();

} // namespace tavorim

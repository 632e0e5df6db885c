#pragma once

#include "Settings.h"

#include <QLoggingCategory>
#include <QString>
#include <QStringList>

namespace tavorim {

// The settings' messages, which also go to the system log.
Q_DECLARE_LOGGING_CATEGORY(settingsLog)

// The settings of this run, as loadSettings left them (all unset before it).
const Settings &classSettings();

// Every setting of this run, those not set at their defaults.
Settings settingsInForce();

// "tavorim/tavorim.conf" in the first system configuration folder that has one; the user's own
// folder is not read, so pupils cannot change it. Empty when there is none.
QString settingsFilePath();

// The file, then the options among the arguments, which override it; a French message for each
// line or option left out, also logged.
QStringList loadSettings(const QStringList &arguments);

// What --show-settings prints: the file read, what was left out and every setting in force,
// each with where it came from.
QString settingsReport(const QStringList &arguments);

// The exit report's address for this run: the built-in one unless the settings say "off"
// (empty) or give another.
QString reportAddress();

} // namespace tavorim

#pragma once

#include <QString>

namespace tavorim {

// A folder only this user can enter, for the files the program keeps while it runs (a trace
// that cannot go beside the program): "tavorim" in the user's runtime folder ($XDG_RUNTIME_DIR)
// when there is one, else "tavorim-<user id>" in the temporary folder. The folder is made when
// missing and checked every time: a real folder (not a link), owned by the user, closed to
// everyone else. Empty when no such folder can be had, for example when another user took the
// name in the shared temporary folder first.
QString privateFolder();

// The same kind of folder, found alike by every process of the user whatever its environment
// (a launcher, su, cron or ssh may set XDG_RUNTIME_DIR and TMPDIR otherwise, or not at all):
// "tavorim" in /run/user/<user id> when that folder is the user's and closed to others, else
// "tavorim-<user id>" in /tmp.
QString userFolder();
// Tests: the folders that stand for /run/user and /tmp; empty texts put those back.
void setSystemFoldersForTests(const QString &runtimeFolders, const QString &temp);

} // namespace tavorim

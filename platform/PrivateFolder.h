#pragma once

#include <QString>

namespace tavorim {

// A folder only this user can enter ($XDG_RUNTIME_DIR/tavorim, else tavorim-<uid> in the temporary
// folder), checked every time; empty when another user took the name first.
QString privateFolder();

// The same kind of folder, found alike whatever the environment: /run/user/<uid>/tavorim when
// that folder is the user's and private, else /tmp/tavorim-<uid>.
QString userFolder();
// Tests: the folders that stand for /run/user and /tmp; empty texts put those back.
void setSystemFoldersForTests(const QString &runtimeFolders, const QString &temp);

} // namespace tavorim

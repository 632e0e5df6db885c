#pragma once

#include <QString>

namespace tavorim {

// A folder only this user can enter ($XDG_RUNTIME_DIR/tavorim, else tavorim-<uid> in the temporary
// folder), checked every time; empty when another user took the name first.
QString privateFolder();

// The folders every session of a user sees alike, or stand-ins for them.
struct SystemFolders {
    QString runtimeFolders = QStringLiteral("/run/user");
    QString temp = QStringLiteral("/tmp");
};

// The same kind of folder, found alike whatever the environment or the session: tavorim-<uid> in
// the temporary folder, else (when another user took that name) <uid>/tavorim in the runtime
// folders; empty when neither is the user's and private.
QString userFolder(const SystemFolders &system = {});

} // namespace tavorim

#pragma once

#include <QString>

namespace tavorim {

// A folder only this user can enter ($XDG_RUNTIME_DIR/tavorim, else tavorim-<uid> in the temporary
// folder), checked every time; empty when another user took the name first.
QString privateFolder();

} // namespace tavorim

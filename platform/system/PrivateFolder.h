#pragma once

#include <QString>

namespace tavorim {

// A folder only this user can enter, for the files the program keeps while it runs (the
// single-instance guard's names, a trace that cannot go beside the program): "tavorim" in the
// user's runtime folder ($XDG_RUNTIME_DIR) when there is one, else "tavorim-<user id>" in the
// temporary folder. The folder is made when missing and checked every time: a real folder (not
// a link), owned by the user, closed to everyone else. Empty when no such folder can be had,
// for example when another user took the name in the shared temporary folder first.
QString privateFolder();

} // namespace tavorim

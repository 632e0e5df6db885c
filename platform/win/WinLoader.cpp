// Modules through the Windows loader.
#include "Module.h"

#include <QDir>

#include <windows.h>

namespace tavorim {

bool Module::load(const QString &path) {
    if (handle_)
        return true;
    const QString native = QDir::toNativeSeparators(path);
    const auto *name = reinterpret_cast<const wchar_t *>(native.utf16());
    // A module given by its path finds the libraries it needs beside it; a bare name goes
    // through the system's search. Imports are bound at load: a missing one fails here.
    handle_ = QDir::isAbsolutePath(path)
                  ? LoadLibraryExW(name, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)
                  : LoadLibraryW(name);
    return handle_ != nullptr;
}

bool Module::isLoaded() const {
    return handle_ != nullptr;
}

void *Module::resolveSymbol(const char *name) const {
    return handle_ ? reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(handle_), name))
                   : nullptr;
}

void Module::unload() {
    if (handle_)
        FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
}

} // namespace tavorim

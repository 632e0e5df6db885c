// Modules through the POSIX dynamic loader.
#include "Module.h"

#include <QFile>

#include <dlfcn.h>

namespace tavorim {

bool Module::load(const QString &path) {
    if (handle_)
        return true;
    // Every symbol now: a module missing one fails here, not in the middle of a call.
    handle_ = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    return handle_ != nullptr;
}

bool Module::isLoaded() const {
    return handle_ != nullptr;
}

void *Module::resolveSymbol(const char *name) const {
    return handle_ ? ::dlsym(handle_, name) : nullptr;
}

void Module::unload() {
    if (handle_)
        ::dlclose(handle_);
    handle_ = nullptr;
}

} // namespace tavorim

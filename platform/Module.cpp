// Modules through the POSIX dynamic loader.
#include "Module.h"

#include <QDir>
#include <QFile>

#include <dlfcn.h>

namespace tavorim {

namespace {

QString &folder() {
    static QString modules;
    return modules;
}

} // namespace

void Module::setFolder(const QString &modules) {
    folder() = modules;
}

QString Module::pathOf(const QString &fileName) {
    return QDir(folder()).filePath(fileName);
}

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

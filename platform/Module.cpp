#include "Module.h"

#include <QDir>

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

} // namespace tavorim

#include "ProgramFile.h"

#include <QCoreApplication>
#include <QDir>

namespace tavorim {

QString exeName() {
    return QCoreApplication::applicationFilePath();
}

QString programFolder() {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator();
}

} // namespace tavorim

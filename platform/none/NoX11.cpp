// A build without X: no X display is ever reached.
#include "Backends.h"

namespace tavorim {

bool runsOnX11Only(int, char *[]) {
    return false;
}

QByteArray displayArgument(int, char *[]) {
    return {};
}

bool x11DisplayOpens(const QByteArray &) {
    return false;
}

QString x11DisplayName(const QByteArray &name) {
    return QString::fromLocal8Bit(name);
}

} // namespace tavorim

#include "ProgramIcon.h"

#include "Pictures.h"

namespace tavorim {

QIcon programIcon() {
    QIcon icon;
    // Sizes in the window manager's pixels: a screen of ratio 2 takes the larger ones.
    for (const int side : {16, 32, 48, 64})
        icon.addPixmap(
            QPixmap::fromImage(readPicture(QStringLiteral(":/icons/tavorim-%1.png").arg(side))));
    return icon;
}

} // namespace tavorim

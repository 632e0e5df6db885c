#pragma once

#include <QIcon>
#include <QPalette>
#include <QPixmap>
#include <QSize>

class QWidget;

namespace tavorim {

// The classic light scheme the windows were drawn for: black text on white boxes and on a light
// grey button face, grey text on disabled controls. Every role of every group is set, so a window
// given it takes no color from the desktop's scheme, dark or light.
QPalette classicPalette();

// The picture at path as the widget's screen shows it best: where a device pixel is smaller than
// a pixel of the picture, the rendering at twice its size beside it ("name@2x.png"), scaled down
// smoothly for ratios between 1 and 2; the picture itself otherwise. It covers shownSize in the
// widget's coordinates, stretched smoothly once here, or else the picture's own size.
QPixmap picture(const QString &path, const QWidget *widget, QSize shownSize = {});

// Makes the application's style the platform's own, but for the overflow arrow of menu bars,
// which no window of the program is too narrow to need: Qt reads that picture while building every
// menu bar, in a way that loads every image plugin there is (SVG, JPEG...) to guess its format.
void useProgramStyle();

// The program's window icon, at the sizes window managers show. The X platform sends every size
// an icon has with each window, so it holds no large ones.
QIcon programIcon();

} // namespace tavorim

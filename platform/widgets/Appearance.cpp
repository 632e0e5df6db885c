#include "Appearance.h"

#include "FocusFrame.h"

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>
#include <QWidget>

namespace tavorim {

namespace {

// Our pictures are PNG, or BMP where reading speed matters: named from the file's suffix, with
// no guessing, the format spares loading every image plugin there is to ask it whether the file
// is its own. Both are read by Qt itself.
QImage readPicture(const QString &path) {
    QImageReader reader(path, path.endsWith(QLatin1String(".bmp")) ? "bmp" : "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

// The platform's style without the menu bars' overflow arrow (see useProgramStyle), without its
// focus rectangle where the program draws its own focus frame, and with flat disabled buttons.
class ProgramStyle : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override {
        if (element == PE_FrameFocusRect && widget && drawsOwnFocusFrame(widget))
            return;
        if (element == PE_PanelButtonCommand && !(option->state & State_Enabled)) {
            // A disabled button lies flat on its window, outlined only: its grey caption keeps
            // the contrast of a text that can be read, so the face must tell it apart.
            painter->save();
            painter->fillRect(option->rect, option->palette.color(QPalette::Window));
            painter->setPen(option->palette.color(QPalette::Mid));
            painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
            painter->restore();
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    QIcon standardIcon(StandardPixmap icon, const QStyleOption *option,
                       const QWidget *widget) const override {
        if (icon == SP_ToolBarHorizontalExtensionButton ||
            icon == SP_ToolBarVerticalExtensionButton)
            return {};
        return QProxyStyle::standardIcon(icon, option, widget);
    }
};

QColor classicColor(QPalette::ColorRole role, bool disabled) {
    const QColor face(0xF0, 0xF0, 0xF0);
    const QColor grayText(0x66, 0x66, 0x66);
    switch (role) {
    case QPalette::WindowText:
    case QPalette::Text:
    case QPalette::ButtonText:
        return disabled ? grayText : QColor(Qt::black);
    case QPalette::Window:
    case QPalette::Button:
        return face;
    case QPalette::Base:
    case QPalette::Light:
    case QPalette::BrightText:
    case QPalette::HighlightedText:
        return Qt::white;
    case QPalette::AlternateBase:
        return QColor(0xF7, 0xF7, 0xF7);
    case QPalette::Midlight:
        return QColor(0xE3, 0xE3, 0xE3);
    case QPalette::Dark:
    case QPalette::Mid:
        return QColor(0xA0, 0xA0, 0xA0);
    case QPalette::Shadow:
        return QColor(0x69, 0x69, 0x69);
    case QPalette::Highlight:
        return QColor(0x00, 0x78, 0xD7);
    case QPalette::Link:
        return QColor(0x00, 0x00, 0xFF);
    case QPalette::LinkVisited:
        return QColor(0x80, 0x00, 0x80);
    case QPalette::ToolTipBase:
        return QColor(0xFF, 0xFF, 0xE1);
    case QPalette::ToolTipText:
        return Qt::black;
    case QPalette::PlaceholderText:
        return grayText;
    default:
        return disabled ? grayText : QColor(Qt::black);
    }
}

} // namespace

QPalette classicPalette() {
    QPalette palette;
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            if (role == QPalette::NoRole)
                continue;
            const auto colorRole = static_cast<QPalette::ColorRole>(role);
            palette.setColor(group, colorRole,
                             classicColor(colorRole, group == QPalette::Disabled));
        }
    }
    return palette;
}

void useProgramStyle() {
    QApplication::setStyle(new ProgramStyle);
}

QPixmap picture(const QString &path, const QWidget *widget, QSize shownSize) {
    const qreal ratio = widget ? widget->devicePixelRatioF() : qGuiApp->devicePixelRatio();
    // Qt's own rule for renderings of more pixels: "name@2x.png" beside "name.png", taken for
    // any ratio above 1.
    qreal fileRatio = 1;
    const QString file = qt_findAtNxFile(path, ratio, &fileRatio);
    QImage image = readPicture(file);
    if (image.isNull())
        return {};
    const QSizeF shown = shownSize.isValid() ? QSizeF(shownSize) : QSizeF(image.size()) / fileRatio;
    const QSize device = (shown * ratio).toSize();
    if (image.size() != device) {
        // Smoothed in full color: the 16-color pictures have a palette, which smoothing lacks.
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                : QImage::Format_RGB32);
        image = image.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    image.setDevicePixelRatio(ratio);
    return QPixmap::fromImage(std::move(image));
}

QIcon programIcon() {
    QIcon icon;
    // Sizes in the window manager's pixels: a screen of ratio 2 takes the larger ones.
    for (const int side : {16, 32, 48, 64})
        icon.addPixmap(
            QPixmap::fromImage(readPicture(QStringLiteral(":/icons/tavorim-%1.png").arg(side))));
    return icon;
}

} // namespace tavorim

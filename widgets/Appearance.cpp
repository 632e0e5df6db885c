#include "Appearance.h"

namespace tavorim {

namespace {

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

QPalette classicPalette(const QColor &window) {
    QPalette palette = classicPalette();
    palette.setColor(QPalette::Window, window);
    return palette;
}

} // namespace tavorim

#include "ProgramStyle.h"

#include "FocusFrame.h"

#include <QApplication>
#include <QList>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>

#include <utility>

namespace tavorim {

namespace {

// The same colors as one palette instance for the whole run.
QPalette sharedLook(const QPalette &palette) {
    static QList<QPalette> looks;
    for (const QPalette &look : std::as_const(looks)) {
        if (look == palette)
            return look;
    }
    looks.append(palette);
    return palette;
}

// The platform's style minus what the program draws itself, with one palette instance per set of
// colors: the style caches pictures per palette instance, so a reopened window would add more.
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
        if (const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option)) {
            QStyleOptionButton shared(*button);
            shared.palette = sharedLook(button->palette);
            QProxyStyle::drawPrimitive(element, &shared, painter, widget);
        } else if (const auto *frame = qstyleoption_cast<const QStyleOptionFrame *>(option)) {
            QStyleOptionFrame shared(*frame);
            shared.palette = sharedLook(frame->palette);
            QProxyStyle::drawPrimitive(element, &shared, painter, widget);
        } else {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
        }
    }

    QIcon standardIcon(StandardPixmap icon, const QStyleOption *option,
                       const QWidget *widget) const override {
        if (icon == SP_ToolBarHorizontalExtensionButton ||
            icon == SP_ToolBarVerticalExtensionButton)
            return {};
        return QProxyStyle::standardIcon(icon, option, widget);
    }
};

} // namespace

void useProgramStyle() {
    QApplication::setStyle(new ProgramStyle);
}

} // namespace tavorim

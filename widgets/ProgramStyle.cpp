#include "ProgramStyle.h"

#include "FocusFrame.h"
#include "LinkLabel.h"

#include <QAbstractScrollArea>
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

// The platform's style with the program's focus frame and disabled buttons, and one palette
// instance per set of colors: the style caches pictures per palette instance, so a reopened
// window would add more.
class ProgramStyle : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override {
        if (element == PE_FrameFocusRect && widget) {
            // The program's frame where it places it, in place of the style's own; a link and a
            // glyph button ask for it themselves.
            const QRect rect =
                qobject_cast<const LinkLabel *>(widget) ? option->rect : focusFrameRect(widget);
            if (!rect.isEmpty()) {
                drawFocusFrame(*painter, rect, widget->palette());
                return;
            }
        }
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
        // An edit box asks for no focus rectangle: its frame goes over its panel, clear of the
        // text inside.
        if (element == PE_PanelLineEdit)
            drawFrameOver(painter, widget, option->rect);
    }

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override {
        QProxyStyle::drawControl(element, option, painter, widget);
        // Buttons and the menu bar ask for no focus rectangle, or only after keyboard moves. The
        // bar's empty area, clipped to what no title covers, holds a title that did not fit.
        if (element == CE_PushButton || element == CE_CheckBox || element == CE_RadioButton ||
            element == CE_TabBarTab || element == CE_MenuBarItem || element == CE_MenuBarEmptyArea)
            drawFrameOver(painter, widget, option->rect);
    }

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                            QPainter *painter, const QWidget *widget) const override {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        if (control == CC_ToolButton)
            drawFrameOver(painter, widget, option->rect);
    }

    void polish(QWidget *widget) override {
        QProxyStyle::polish(widget);
        if (auto *area = qobject_cast<QAbstractScrollArea *>(widget))
            frameViewport(area);
    }

    QIcon standardIcon(StandardPixmap icon, const QStyleOption *option,
                       const QWidget *widget) const override {
        if (icon == SP_ToolBarHorizontalExtensionButton ||
            icon == SP_ToolBarVerticalExtensionButton)
            return {};
        return QProxyStyle::standardIcon(icon, option, widget);
    }

private:
    // The focus frame over what was just drawn at drawn, when the widget places it there.
    static void drawFrameOver(QPainter *painter, const QWidget *widget, const QRect &drawn) {
        const QRect rect = focusFrameRect(widget);
        if (!rect.isEmpty() && drawn.contains(rect))
            drawFocusFrame(*painter, rect, widget->palette());
    }
};

} // namespace

void useProgramStyle() {
    QApplication::setStyle(new ProgramStyle);
}

} // namespace tavorim

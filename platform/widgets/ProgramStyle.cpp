#include "ProgramStyle.h"

#include <QApplication>
#include <QProxyStyle>

namespace tavorim {

namespace {

// The platform's style without the menu bars' overflow arrow (see useProgramStyle).
class ProgramStyle : public QProxyStyle {
public:
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

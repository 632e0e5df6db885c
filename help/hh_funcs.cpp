#include "hh_funcs.h"

#include "Application.h"
#include "HelpTrace.h"
#include "MessageBox.h"

#include <QApplication>
#include <QFile>
#include <QThread>
#include <QWidget>

namespace tavorim {

namespace {

QString quoted(const QString &text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// Raises the viewer's window when it is one of this program's windows.
void bringToForeground(HelpWindowHandle handle) {
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget == handle) {
            widget->raise();
            widget->activateWindow();
            return;
        }
    }
}

} // namespace

THookHelpSystem::THookHelpSystem(const QString &helpFile, const QString &windowDefinition,
                                 std::uint8_t hostKind)
    : previousHelpHandler_(TApplication::instance().help().onHelp()), helpFile_(helpFile),
      windowDefinition_(windowDefinition), hostKind_(hostKind) {
    TApplication::instance().help().setOnHelp(
        [this](std::uint16_t command, std::int32_t data, bool &callDefault) {
            return HelpHook(command, data, callDefault);
        });
    helpTrace(QStringLiteral("THookHelpSystem.Create(%1,%2, %3)")
                  .arg(quoted(helpFile), quoted(windowDefinition))
                  .arg(hostKind));
}

THookHelpSystem::~THookHelpSystem() {
    if (hostKind_ == 0)
        HHCloseWindows();
    TApplication::instance().help().setOnHelp(previousHelpHandler_);
    helpTrace(QStringLiteral("THookHelpSystem.Destroy"));
}

bool THookHelpSystem::HelpHook(std::uint16_t command, std::int32_t data, bool &callDefault) {
    helpTrace(
        QStringLiteral("THookHelpSystem.HelpHook(%1, %2)").arg(helpCommandText(command)).arg(data));
    callDefault = false;
    switch (command) {
    case HELP_CONTEXT:
    case HELP_CONTEXTPOPUP:
        showContextAndReport(data);
        break;
    case HELP_SETPOPUP_POS: {
        const auto bits = static_cast<std::uint32_t>(data);
        popupX_ = static_cast<std::int16_t>(bits & 0xFFFFu);
        popupY_ = static_cast<std::int16_t>(bits >> 16);
        break;
    }
    default:
        callDefault = true;
        break;
    }
    return true;
}

void THookHelpSystem::showContextAndReport(std::int32_t context) const {
    HHShowError(HHHelpContext(helpFile_, context, windowDefinition_, hostKind_));
}

int HHHelpContext(const QString &helpFile, std::int32_t context, const QString &windowDefinition,
                  std::uint8_t hostKind) {
    helpTrace(QStringLiteral("HHHelpContext(%1, %2, %3, %4)")
                  .arg(quoted(helpFile))
                  .arg(context)
                  .arg(quoted(windowDefinition))
                  .arg(hostKind));
    QString fileText =
        QString(helpFile).replace(QLatin1String("%20"), QLatin1String(" ")).trimmed();
    if (!windowDefinition.isEmpty())
        fileText += QLatin1Char('>') + windowDefinition;
    const int result = ShowContext(fileText, context, hostKind);
    helpTrace(QStringLiteral("  returned - %1").arg(result));
    return result;
}

int ShowContext(const QString &fileText, std::int32_t context, std::uint8_t) {
    helpTrace(QStringLiteral("ShowContext(%1, %2)").arg(quoted(fileText)).arg(context));
    // A control that counts as installed but whose module failed to load has no entry
    // point: that is reported like a missing viewer.
    if (!_hhInstalled || !HtmlHelpA)
        return 1;
    const QByteArray file = QFile::encodeName(fileText);
    const HelpWindowHandle window =
        HtmlHelpA(desktopWindow(), file.constData(), HH_HELP_CONTEXT,
                  static_cast<std::uintptr_t>(static_cast<std::uint32_t>(context)));
    if (window)
        bringToForeground(window);
    return 0;
}

void HHShowError(int code) {
    QString text;
    if (code == 1) {
        text = QString::fromLatin1(HHNotInstalledText);
        MessageBox::show(nullptr, MessageBox::Warning, TApplication::instance().title().text(),
                         text, MessageBox::Ok, MessageBox::Ok, MessageBox::Ok);
    }
    helpTrace(QStringLiteral("HHShowError(%1), %2").arg(code).arg(quoted(text)));
}

void HHCloseWindows() {
    if (hhViewerLoaded() && HtmlHelpA) {
        HtmlHelpA(nullptr, nullptr, HH_CLOSE_ALL, 0);
        QThread::yieldCurrentThread();
    }
}

} // namespace tavorim

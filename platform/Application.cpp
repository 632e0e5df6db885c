#include "Application.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tavorim {

TApplication &TApplication::instance() {
    static TApplication app;
    return app;
}

QString TApplication::TitleFromProgramPath(const QString &programPath) {
    QString name = QFileInfo(programPath).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    if (name.size() > 1)
        name = name.left(1) + name.mid(1).toLower();
    return name;
}

QString TApplication::Title() const {
    if (title_.isNull())
        title_ = TitleFromProgramPath(ExeName());
    return title_;
}

void TApplication::SetTitle(const QString &title) { title_ = title; }

QString TApplication::ExeName() const { return QCoreApplication::applicationFilePath(); }

QString TApplication::ProgramFolder() const {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator();
}

void TApplication::Terminate() {
    terminated_ = true;
    // exit() ends every running event loop of the thread, the modal ones included.
    QCoreApplication::exit(0);
}

void TApplication::ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

bool TApplication::HelpCommand(std::uint16_t command, std::int32_t data) {
    if (!onHelp_)
        return false;
    bool callHelp = false;
    return onHelp_(command, data, callHelp);
}

void TApplication::ResetForTests() {
    title_ = QString();
    terminated_ = false;
    onHelp_ = nullptr;
}

} // namespace tavorim

#include "ApplicationTitle.h"

#include "ProgramFile.h"

#include <QFileInfo>
#include <QWidget>

namespace tavorim {

QString ApplicationTitle::fromProgramPath(const QString &programPath) {
    QString name = QFileInfo(programPath).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    if (name.size() > 1)
        name = name.left(1) + name.mid(1).toLower();
    return name;
}

QString ApplicationTitle::text() const {
    if (text_.isNull())
        text_ = fromProgramPath(exeName());
    return text_;
}

void ApplicationTitle::setText(const QString &text) {
    text_ = text;
    if (bearer_)
        bearer_->setWindowIconText(this->text());
}

void ApplicationTitle::showOn(QWidget *window) {
    bearer_ = window;
    if (window)
        window->setWindowIconText(text());
}

} // namespace tavorim

#include "ClassSettings.h"

#include "RegularFile.h"
#include "Web.h"

#include <QDir>
#include <QFileInfo>

namespace tavorim {

namespace {

Settings &current() {
    static Settings settings;
    return settings;
}

} // namespace

const Settings &classSettings() {
    return current();
}

QString settingsFilePath() {
    QString folders = qEnvironmentVariable("XDG_CONFIG_DIRS");
    if (folders.isEmpty())
        folders = QStringLiteral("/etc/xdg");
    for (const QString &folder : folders.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        // Relative entries are invalid in the XDG rules: they would depend on the working folder.
        if (QDir::isRelativePath(folder))
            continue;
        const QString path = QDir(folder).filePath(QStringLiteral("tavorim/tavorim.conf"));
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
}

QStringList loadSettings(const QStringList &arguments) {
    Settings settings;
    std::vector<std::string> problems;
    QStringList messages;
    const QString path = settingsFilePath();
    if (!path.isEmpty()) {
        const RegularFileContents file = readRegularFile(path, qint64(LargestSettingsFile));
        if (file.status == RegularFileContents::Unreadable)
            messages << path + QStringLiteral(" : fichier ignoré : il ne peut pas être lu");
        if (file.status == RegularFileContents::TooLarge)
            messages << path + QStringLiteral(" : fichier ignoré : plus de %1 Kio")
                                   .arg(LargestSettingsFile / 1024);
        readSettingsFile(std::string_view(file.bytes.constData(), std::size_t(file.bytes.size())),
                         settings, problems);
        for (const std::string &problem : problems)
            messages << path + QStringLiteral(" : ") + QString::fromStdString(problem);
        problems.clear();
    }
    std::vector<std::string> options;
    for (qsizetype i = 1; i < arguments.size(); ++i)
        options.push_back(arguments[i].toStdString());
    readSettingsOptions(options, settings, problems);
    for (const std::string &problem : problems)
        messages << QString::fromStdString(problem);
    current() = std::move(settings);
    return messages;
}

QString settingsReport(const QStringList &arguments) {
    const QStringList messages = loadSettings(arguments);
    const QString path = settingsFilePath();
    QString text = path.isEmpty() ? QStringLiteral("# aucun fichier de réglages\n")
                                  : QStringLiteral("# fichier : %1\n").arg(path);
    for (const QString &message : messages)
        text += QStringLiteral("# ") + message + QLatin1Char('\n');
    text += QString::fromStdString(describeSettings(classSettings()));
    return text;
}

QString reportAddress() {
    const std::optional<std::string> &report = classSettings().report;
    if (!report)
        return statsAddress();
    if (*report == "off")
        return {};
    return QString::fromStdString(*report);
}

} // namespace tavorim

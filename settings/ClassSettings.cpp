#include "ClassSettings.h"

#include "RegularFile.h"
#include "Web.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tavorim {

Q_LOGGING_CATEGORY(settingsLog, "tavorim.settings")

namespace {

Settings &current() {
    static Settings settings;
    return settings;
}

// The file, then the options, into settings; the French message of each thing left out. A file
// that cannot be read may hold a report line: the report is then off.
QStringList readSettings(const QStringList &arguments, Settings &settings) {
    std::vector<std::string> problems;
    QStringList messages;
    const QString path = settingsFilePath();
    if (!path.isEmpty()) {
        const RegularFileContents file = readRegularFile(path, qint64(LargestSettingsFile));
        QString refused;
        if (file.status == RegularFileContents::Unreadable)
            refused = QStringLiteral("il ne peut pas être lu");
        if (file.status == RegularFileContents::TooLarge)
            refused = QStringLiteral("plus de %1 Kio").arg(LargestSettingsFile / 1024);
        if (!refused.isEmpty()) {
            messages << QStringLiteral("%1 : fichier ignoré : %2 : aucun rapport de fin ne sera "
                                       "envoyé")
                            .arg(path, refused);
            settings.report = "off";
            settings.from.report = path.toStdString() + ", fichier ignoré";
        }
        readSettingsFile(std::string_view(file.bytes.constData(), std::size_t(file.bytes.size())),
                         path.toStdString(), settings, problems);
    }
    std::vector<std::string> options;
    for (qsizetype i = 1; i < arguments.size(); ++i)
        options.push_back(arguments[i].toStdString());
    readSettingsOptions(options, settings, problems);
    for (const std::string &problem : problems)
        messages << QString::fromStdString(problem);
    return messages;
}

} // namespace

const Settings &classSettings() {
    return current();
}

Settings settingsInForce() {
    return withDefaults(current(), statsAddress().toStdString());
}

QString settingsFilePath() {
    QStringList folders = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    // The user's own folder comes first: passed over, so that pupils cannot change the settings.
    if (!folders.isEmpty() &&
        folders.front() == QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        folders.removeFirst();
    for (const QString &folder : folders) {
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
    const QStringList messages = readSettings(arguments, settings);
    current() = std::move(settings);
    for (const QString &message : messages)
        qCWarning(settingsLog, "%s", qUtf8Printable(message));
    return messages;
}

QString settingsReport(const QStringList &arguments) {
    Settings settings;
    const QStringList messages = readSettings(arguments, settings);
    const QString path = settingsFilePath();
    QString text = path.isEmpty() ? QStringLiteral("# aucun fichier de réglages\n")
                                  : QStringLiteral("# fichier : %1\n").arg(path);
    for (const QString &message : messages)
        text += QStringLiteral("# ") + message + QLatin1Char('\n');
    text += QString::fromStdString(
        describeSettings(withDefaults(std::move(settings), statsAddress().toStdString())));
    return text;
}

QString reportAddress() {
    const std::string report = *settingsInForce().report;
    return report == "off" ? QString() : QString::fromStdString(report);
}

} // namespace tavorim

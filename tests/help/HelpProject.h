#pragma once

// What the help project's sources say the compiled file must hold: the tests compare the
// built file, the viewer and the binding against these, not against copied values. Also the
// viewer windows open in the test program, for the tests that link the widgets.

#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#ifdef QT_WIDGETS_LIB
#include <QApplication>
#include <QTextBrowser>
#endif

namespace help_test {

inline QString ProjectFolder() {
    return QStringLiteral(HELP_SOURCE_DIR);
}

inline QString programFolder() {
    return QDir::fromNativeSeparators(qEnvironmentVariable("TAVORIM_PROGRAM_DIR"));
}

inline QString BuiltHelpFile() {
    return programFolder() + QStringLiteral("/tavorim.chm");
}
inline QString BuiltViewer() {
    return programFolder() + QStringLiteral("/hhctrl.ocx");
}

inline QByteArray ReadBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QString ReadText(const QString &path) {
    return QString::fromUtf8(ReadBytes(path));
}

// The value of "key=" in the [OPTIONS] of the project.
inline QString ProjectOption(const QString &key) {
    const QString project = ReadText(ProjectFolder() + QStringLiteral("/tavorim.hhp"));
    const QRegularExpression line(QStringLiteral("^%1=(.*)$").arg(QRegularExpression::escape(key)),
                                  QRegularExpression::MultilineOption);
    return line.match(project).captured(1).trimmed();
}

// The archive path ("/pages/x.htm") of the page that the project maps to a context number,
// through contexte.h and [ALIAS].
inline QString ProjectContextTopic(int context) {
    const QString defines = ReadText(ProjectFolder() + QStringLiteral("/contexte.h"));
    const QRegularExpression define(QStringLiteral("^#define (\\w+) (\\d+)$"),
                                    QRegularExpression::MultilineOption);
    QString name;
    for (auto it = define.globalMatch(defines); it.hasNext();) {
        const auto match = it.next();
        if (match.captured(2).toInt() == context)
            name = match.captured(1);
    }
    if (name.isEmpty())
        return {};
    const QString project = ReadText(ProjectFolder() + QStringLiteral("/tavorim.hhp"));
    const QRegularExpression alias(QStringLiteral("^%1=(.*)$").arg(name),
                                   QRegularExpression::MultilineOption);
    const QString page = alias.match(project).captured(1).trimmed();
    return page.isEmpty() ? QString() : QLatin1Char('/') + page;
}

inline QString ProjectDefaultTopic() {
    return QLatin1Char('/') + ProjectOption(QStringLiteral("Default topic"));
}

// The <title> of a source page given by archive path.
inline QString PageTitle(const QString &archivePath) {
    const QString page = ReadText(ProjectFolder() + archivePath);
    static const QRegularExpression title(QStringLiteral("<title>(.*)</title>"));
    return title.match(page).captured(1);
}

#ifdef QT_WIDGETS_LIB
// The viewer's top-level windows: those holding its page.
inline QList<QWidget *> ViewerWindows() {
    QList<QWidget *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->findChild<QTextBrowser *>(QStringLiteral("page")))
            windows.append(widget);
    return windows;
}
#endif

} // namespace help_test

// The help viewer module: the entry points the program finds by name after loading it.

#include "HelpViewerWindow.h"
#include "HtmlHelpApi.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QThread>

#include <limits>
#include <vector>

#define HHCTRL_EXPORT extern "C" __attribute__((visibility("default")))

// Carries the module's metadata (its file version, from hhctrl.json); never instantiated.
class HelpViewerModule : public QObject {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID HHCTRL_MODULE_IID FILE "hhctrl.json")
};

namespace {

using tavorim::ChmArchive;
using tavorim::HelpViewerWindow;

// Every window the module made. They are destroyed by HH_CLOSE_ALL or, at the latest, when
// the module is unloaded, so no window of ours outlives the code it runs.
struct WindowList {
    std::vector<QPointer<HelpViewerWindow>> windows;

    void closeAll() {
        std::vector<QPointer<HelpViewerWindow>> closing;
        closing.swap(windows);
        for (const QPointer<HelpViewerWindow> &window : closing)
            delete window.data();
    }

    ~WindowList() { closeAll(); }
};

WindowList &viewerWindows() {
    static WindowList list;
    return list;
}

// "path[::/topic][>window]": the window name is not used, every file has one window.
struct FileText {
    QString path;
    std::string topic;
};

FileText splitFileText(const QString &text) {
    FileText parts;
    QString path = text.section(QLatin1Char('>'), 0, 0);
    const qsizetype separator = path.indexOf(QLatin1String("::"));
    if (separator >= 0) {
        parts.topic = tavorim::archivePathFromLocal(path.mid(separator + 2).toStdString());
        path.truncate(separator);
    }
    parts.path = path.trimmed();
    return parts;
}

// A help file that is missing or cannot be read is said in a box of its own, naming the file;
// the caller then goes on without a window.
void reportUnopenedFile(const QString &path) {
    QMessageBox box(QMessageBox::Warning, QGuiApplication::applicationDisplayName(),
                    QStringLiteral("Impossible d'ouvrir le fichier d'aide :\n%1")
                        .arg(QDir::toNativeSeparators(path)),
                    QMessageBox::NoButton);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

HelpViewerWindow *windowFor(const QString &path) {
    if (path.isEmpty())
        return nullptr;
    const QFileInfo info(path);
    if (!info.isFile()) {
        reportUnopenedFile(info.absoluteFilePath());
        return nullptr;
    }
    const QString canonical = info.canonicalFilePath();
    auto &windows = viewerWindows().windows;
    std::erase_if(windows, [](const QPointer<HelpViewerWindow> &w) { return w.isNull(); });
    for (const QPointer<HelpViewerWindow> &window : windows)
        if (window->filePath() == canonical)
            return window.data();
    auto archive = ChmArchive::open(QFile::encodeName(canonical).toStdString());
    if (!archive) {
        reportUnopenedFile(canonical);
        return nullptr;
    }
    auto *window = new HelpViewerWindow(std::move(archive), canonical);
    windows.emplace_back(window);
    return window;
}

HelpWindowHandle present(HelpViewerWindow *window, const std::string &topic) {
    if (!window->showTopic(topic))
        return nullptr;
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

HelpWindowHandle run(const QString &fileText, std::uint32_t command, std::uintptr_t data) {
    // Windows need the program's widget application and its thread.
    auto *application = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (!application || QThread::currentThread() != application->thread())
        return nullptr;

    switch (command) {
    case HH_CLOSE_ALL:
        viewerWindows().closeAll();
        return nullptr;
    case HH_DISPLAY_TOPIC:
    case HH_HELP_CONTEXT: {
        const FileText parts = splitFileText(fileText);
        HelpViewerWindow *window = windowFor(parts.path);
        if (!window)
            return nullptr;
        if (command == HH_DISPLAY_TOPIC)
            return present(window, parts.topic.empty() ? window->defaultTopic() : parts.topic);
        if (data > std::numeric_limits<std::uint32_t>::max())
            return nullptr;
        // An unmapped context shows nothing: the caller gets no window.
        const auto topic = window->topicForContext(static_cast<std::uint32_t>(data));
        return topic ? present(window, *topic) : nullptr;
    }
    default:
        return nullptr;
    }
}

} // namespace

HHCTRL_EXPORT HelpWindowHandle HtmlHelpA(HelpWindowHandle, const char *file, std::uint32_t command,
                                         std::uintptr_t data) {
    return run(file ? QString::fromLocal8Bit(file) : QString(), command, data);
}

HHCTRL_EXPORT HelpWindowHandle HtmlHelpW(HelpWindowHandle, const char16_t *file,
                                         std::uint32_t command, std::uintptr_t data) {
    return run(file ? QString::fromUtf16(file) : QString(), command, data);
}

#include "hhctrl.moc"

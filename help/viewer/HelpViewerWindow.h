#pragma once

// The viewer's window: contents and index beside the page. Closing only hides it, so that the
// module itself destroys every window (a deferred deletion could outlive the module).

#include "HelpChmArchive.h"
#include "HelpChmParsers.h"

#include <QString>
#include <QWidget>

#include <memory>

class QTreeWidget;
class QTreeWidgetItem;

namespace tavorim {

class HelpPage;

class HelpViewerWindow : public QWidget {
public:
    HelpViewerWindow(std::unique_ptr<ChmArchive> archive, const QString &filePath);
    ~HelpViewerWindow() override;

    const QString &filePath() const { return filePath_; }
    std::string defaultTopic() const;
    std::optional<std::string> topicForContext(std::uint32_t context) const;

    // Shows an archive path ("/dir/page.htm"); false when the archive has no such page.
    bool showTopic(const std::string &archivePath);

    // The text of an archive file as the window shows it: UTF-8 when it is valid UTF-8,
    // otherwise Latin-1.
    static QString decodeText(const std::string &bytes);

    // Size of the page and the contents together when the screen has room.
    static constexpr QSize PreferredSize{860, 620};

    // Shown from hidden, the window is placed afresh on the asking window's screen, away from what
    // the program keeps clear and from that window.
    void setVisible(bool visible) override;

private:
    void placeOnScreen();
    void fillTree(QTreeWidget *tree, const std::vector<SitemapEntry> &entries,
                  QTreeWidgetItem *parent);
    void showEntry(QTreeWidgetItem *item);
    void selectContentsEntry(const QString &archivePath);

    std::unique_ptr<ChmArchive> archive_;
    QString filePath_;
    SystemInfo system_;
    QTreeWidget *contents_;
    QTreeWidget *index_;
    HelpPage *page_;
};

} // namespace tavorim

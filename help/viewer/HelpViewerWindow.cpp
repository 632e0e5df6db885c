#include "HelpViewerWindow.h"

#include "HelpPage.h"
#include "WindowPlacement.h"

#include <QApplication>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QScreen>
#include <QSplitter>
#include <QStringDecoder>
#include <QStyle>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tavorim {

namespace {

constexpr int LocalRole = Qt::UserRole;

QUrl urlForPath(const std::string &archivePath) {
    QUrl url;
    url.setPath(QString::fromStdString(archivePath));
    return url;
}

} // namespace

QString HelpViewerWindow::decodeText(const std::string &bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (utf8.hasError())
        text = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return text;
}

HelpViewerWindow::HelpViewerWindow(std::unique_ptr<ChmArchive> archive, const QString &filePath)
    : archive_(std::move(archive)), filePath_(filePath) {
    if (const auto system = archive_->read("/#SYSTEM"))
        if (const auto parsed = parseSystemFile(*system))
            system_ = *parsed;

    setWindowTitle(system_.title.empty() ? QStringLiteral("Aide") : decodeText(system_.title));
    resize(PreferredSize);

    auto *back = new QToolButton(this);
    back->setText(QStringLiteral("Précédent"));
    back->setObjectName(QStringLiteral("back"));
    back->setEnabled(false);
    auto *forward = new QToolButton(this);
    forward->setText(QStringLiteral("Suivant"));
    forward->setObjectName(QStringLiteral("forward"));
    forward->setEnabled(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addStretch();

    auto *splitter = new QSplitter(this);
    // The contents and the keyword index, both sitemaps, in two tabs.
    auto *tabs = new QTabWidget(splitter);
    contents_ = new QTreeWidget(tabs);
    contents_->setObjectName(QStringLiteral("contents"));
    index_ = new QTreeWidget(tabs);
    index_->setObjectName(QStringLiteral("index"));
    index_->setRootIsDecorated(false);
    for (QTreeWidget *tree : {contents_, index_}) {
        tree->header()->hide();
        // Titles are never cut: the column is as wide as the longest, scrolled sideways if
        // need be, and each title is its own tooltip.
        tree->header()->setStretchLastSection(false);
        tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
        tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        connect(tree, &QTreeWidget::itemClicked, this, &HelpViewerWindow::showEntry);
        connect(tree, &QTreeWidget::itemActivated, this, &HelpViewerWindow::showEntry);
    }
    tabs->addTab(contents_, QStringLiteral("Sommaire"));
    tabs->addTab(index_, QStringLiteral("Index"));
    page_ = new HelpPage(*archive_, splitter);
    page_->setObjectName(QStringLiteral("page"));
    // Named for screen readers, which otherwise announce unnamed panes.
    contents_->setAccessibleName(QStringLiteral("Sommaire"));
    index_->setAccessibleName(QStringLiteral("Index"));
    page_->setAccessibleName(QStringLiteral("Page d'aide"));
    page_->setOpenLinks(false);
    splitter->addWidget(tabs);
    splitter->addWidget(page_);
    splitter->setStretchFactor(1, 3);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter);

    connect(back, &QToolButton::clicked, page_, &QTextBrowser::backward);
    connect(forward, &QToolButton::clicked, page_, &QTextBrowser::forward);
    connect(page_, &QTextBrowser::backwardAvailable, back, &QToolButton::setEnabled);
    connect(page_, &QTextBrowser::forwardAvailable, forward, &QToolButton::setEnabled);
    connect(page_, &QTextBrowser::anchorClicked, this, [this](const QUrl &link) {
        const QString scheme = link.scheme().toLower();
        if (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
            scheme == QLatin1String("mailto")) {
            QDesktopServices::openUrl(link);
            return;
        }
        const QUrl target = page_->source().resolved(link);
        if (target.path() == page_->source().path() && target.hasFragment())
            page_->scrollToAnchor(target.fragment());
        else
            showTopic(archivePathFromLocal(target.path().toStdString()));
    });
    connect(page_, &QTextBrowser::sourceChanged, this,
            [this](const QUrl &url) { selectContentsEntry(url.path()); });
    if (!system_.contentsFile.empty())
        if (const auto sitemap = archive_->read(archivePathFromLocal(system_.contentsFile)))
            fillTree(contents_, parseSitemap(*sitemap), nullptr);
    contents_->expandToDepth(0);
    // The contents pane as wide as its open titles, within two fifths of the window.
    const QAbstractItemView *view = contents_;
    const int titles = view->sizeHintForColumn(0) + 2 * contents_->frameWidth() +
                       contents_->indentation() +
                       tabs->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int pane = std::clamp(titles, 240, PreferredSize.width() * 2 / 5);
    splitter->setSizes({pane, PreferredSize.width() - pane});
    if (!system_.indexFile.empty())
        if (const auto sitemap = archive_->read(archivePathFromLocal(system_.indexFile)))
            fillTree(index_, parseSitemap(*sitemap), nullptr);
}

HelpViewerWindow::~HelpViewerWindow() = default;

void HelpViewerWindow::setVisible(bool visible) {
    if (visible && !isVisible())
        placeOnScreen();
    QWidget::setVisible(visible);
}

void HelpViewerWindow::placeOnScreen() {
    const QWidget *asking = QApplication::activeWindow();
    QScreen *screen = screenFor(asking);
    if (!screen)
        return;
    const QRect askingFrame = asking ? asking->frameGeometry() : QRect();
    placeFrame(this, [screen, askingFrame](const QMargins &frame) {
        return helpViewerFrame(screen->availableGeometry(), PreferredSize.grownBy(frame),
                               helpKeepClear(), askingFrame);
    });
}

std::string HelpViewerWindow::defaultTopic() const {
    return system_.defaultTopic.empty() ? std::string()
                                        : archivePathFromLocal(system_.defaultTopic);
}

std::optional<std::string> HelpViewerWindow::topicForContext(std::uint32_t context) const {
    const auto ivb = archive_->read("/#IVB");
    const auto strings = archive_->read("/#STRINGS");
    if (!ivb || !strings)
        return std::nullopt;
    return tavorim::topicForContext(*ivb, *strings, context, archive_->files());
}

bool HelpViewerWindow::showTopic(const std::string &archivePath) {
    if (archivePath.empty() || !page_->has(archivePath))
        return false;
    page_->setSource(urlForPath(archivePath), QTextDocument::HtmlResource);
    return true;
}

void HelpViewerWindow::showEntry(QTreeWidgetItem *item) {
    const QString local = item->data(0, LocalRole).toString();
    if (!local.isEmpty())
        showTopic(local.toStdString());
}

void HelpViewerWindow::fillTree(QTreeWidget *tree, const std::vector<SitemapEntry> &entries,
                                QTreeWidgetItem *parent) {
    for (const SitemapEntry &entry : entries) {
        auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        item->setText(0, decodeText(entry.name));
        item->setToolTip(0, item->text(0));
        if (!entry.local.empty())
            item->setData(0, LocalRole, QString::fromStdString(archivePathFromLocal(entry.local)));
        fillTree(tree, entry.children, item);
    }
}

void HelpViewerWindow::selectContentsEntry(const QString &archivePath) {
    // Several entries may name one page: the one chosen by the pupil stays selected.
    const QTreeWidgetItem *current = contents_->currentItem();
    if (current &&
        current->data(0, LocalRole).toString().compare(archivePath, Qt::CaseInsensitive) == 0)
        return;
    for (QTreeWidgetItemIterator it(contents_); *it; ++it) {
        if ((*it)->data(0, LocalRole).toString().compare(archivePath, Qt::CaseInsensitive) == 0) {
            const QSignalBlocker blocker(contents_);
            contents_->setCurrentItem(*it);
            return;
        }
    }
}

} // namespace tavorim

// The viewer module as the program meets it: loaded by file name, driven through its two
// entry points.

#include "HelpProject.h"
#include "hhctrl/HtmlHelpApi.h"

#include <QApplication>
#include <QLibrary>
#include <QPointer>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>

namespace {

QList<QWidget *> ViewerWindows() {
    QList<QWidget *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->findChild<QTextBrowser *>(QStringLiteral("page")))
            windows.append(widget);
    return windows;
}

QTextBrowser *PageOf(HelpWindowHandle handle) {
    for (QWidget *window : ViewerWindows())
        if (window == handle)
            return window->findChild<QTextBrowser *>(QStringLiteral("page"));
    return nullptr;
}

} // namespace

class TestHelpViewer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();
    void displayTopicShowsTheDefaultTopic();
    void helpContextShowsTheMappedTopic_data();
    void helpContextShowsTheMappedTopic();
    void unusableRequestsShowNothing_data();
    void unusableRequestsShowNothing();
    void oneWindowPerFile();
    void closeAllClosesEveryWindow();
    void linksPicturesStylesAndHistory();

private:
    HelpWindowHandle CallA(const QString &file, std::uint32_t command, std::uintptr_t data) {
        const QByteArray bytes = QFile::encodeName(file);
        return htmlHelpA_(&desktop_, file.isNull() ? nullptr : bytes.constData(), command, data);
    }

    QLibrary library_{help_test::BuiltViewer()};
    HtmlHelpAFunction htmlHelpA_ = nullptr;
    HtmlHelpWFunction htmlHelpW_ = nullptr;
    char desktop_ = 0;
};

void TestHelpViewer::initTestCase() {
    QVERIFY2(library_.load(), qPrintable(library_.errorString()));
    htmlHelpA_ = reinterpret_cast<HtmlHelpAFunction>(library_.resolve("HtmlHelpA"));
    htmlHelpW_ = reinterpret_cast<HtmlHelpWFunction>(library_.resolve("HtmlHelpW"));
    QVERIFY(htmlHelpA_ && htmlHelpW_);
}

void TestHelpViewer::cleanup() {
    htmlHelpA_(nullptr, nullptr, HH_CLOSE_ALL, 0);
    QVERIFY(ViewerWindows().isEmpty());
}

void TestHelpViewer::cleanupTestCase() {
    QVERIFY(library_.unload());
}

void TestHelpViewer::displayTopicShowsTheDefaultTopic() {
    const HelpWindowHandle handle = CallA(help_test::BuiltHelpFile(), HH_DISPLAY_TOPIC, 0);
    QTextBrowser *page = PageOf(handle);
    QVERIFY(page);
    QWidget *window = page->window();
    QTRY_VERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), help_test::ProjectOption("Title"));
    QCOMPARE(page->source().path(), help_test::ProjectDefaultTopic());
    QCOMPARE(page->documentTitle(), help_test::PageTitle(help_test::ProjectDefaultTopic()));
    const auto *contents = window->findChild<QTreeWidget *>(QStringLiteral("contents"));
    QVERIFY(contents);
    QVERIFY(contents->topLevelItemCount() >= 2);
    QVERIFY(contents->currentItem());
    QCOMPARE(contents->currentItem()->data(0, Qt::UserRole).toString(),
             help_test::ProjectDefaultTopic());

    // The keyword index lists every keyword of the project, and choosing one shows its page.
    auto *index = window->findChild<QTreeWidget *>(QStringLiteral("index"));
    QVERIFY(index);
    const QString keywords = help_test::ReadText(help_test::ProjectFolder() + "/tavorim.hhk");
    QCOMPARE(index->topLevelItemCount(), keywords.count(QStringLiteral("text/sitemap")));
    QTreeWidgetItem *last = index->topLevelItem(index->topLevelItemCount() - 1);
    emit index->itemActivated(last, 0);
    QCOMPARE(page->source().path(), last->data(0, Qt::UserRole).toString());
    QVERIFY(page->source().path() != help_test::ProjectDefaultTopic());
}

void TestHelpViewer::helpContextShowsTheMappedTopic_data() {
    QTest::addColumn<bool>("wide");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("ansi entry") << false << QString();
    QTest::newRow("wide entry") << true << QString();
    QTest::newRow("window name after the path") << false << QStringLiteral(">principale");
    QTest::newRow("spaces around the path") << true << QStringLiteral("  ");
}

void TestHelpViewer::helpContextShowsTheMappedTopic() {
    QFETCH(bool, wide);
    QFETCH(QString, suffix);
    const QString file = help_test::BuiltHelpFile() + suffix;
    const HelpWindowHandle handle =
        wide ? htmlHelpW_(&desktop_, reinterpret_cast<const char16_t *>(file.utf16()),
                          HH_HELP_CONTEXT, 100)
             : CallA(file, HH_HELP_CONTEXT, 100);
    QTextBrowser *page = PageOf(handle);
    QVERIFY(page);
    QTRY_VERIFY(page->window()->isVisible());
    QCOMPARE(page->source().path(), help_test::ProjectContextTopic(100));
    QCOMPARE(page->documentTitle(), help_test::PageTitle(help_test::ProjectContextTopic(100)));
}

void TestHelpViewer::unusableRequestsShowNothing_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<uint>("command");
    QTest::addColumn<qulonglong>("data");
    const QString chm = help_test::BuiltHelpFile();
    QTest::newRow("missing file") << chm + ".absent" << uint(HH_HELP_CONTEXT) << 100ull;
    QTest::newRow("missing file, default topic")
        << chm + ".absent" << uint(HH_DISPLAY_TOPIC) << 0ull;
    QTest::newRow("unmapped context") << chm << uint(HH_HELP_CONTEXT) << 4242ull;
    QTest::newRow("context beyond 32 bits")
        << chm << uint(HH_HELP_CONTEXT) << (100ull | (1ull << 40));
    QTest::newRow("no file") << QString() << uint(HH_HELP_CONTEXT) << 100ull;
    QTest::newRow("folder") << help_test::ProgramFolder() << uint(HH_DISPLAY_TOPIC) << 0ull;
    QTest::newRow("not a help file") << help_test::BuiltViewer() << uint(HH_DISPLAY_TOPIC) << 0ull;
    QTest::newRow("topic not in the file")
        << chm + "::/pages/absent.htm" << uint(HH_DISPLAY_TOPIC) << 0ull;
    QTest::newRow("unknown command") << chm << 1u << 100ull;
}

void TestHelpViewer::unusableRequestsShowNothing() {
    QFETCH(QString, file);
    QFETCH(uint, command);
    QFETCH(qulonglong, data);
    QCOMPARE(CallA(file, command, data), nullptr);
    QApplication::processEvents();
    for (QWidget *window : ViewerWindows())
        QVERIFY(!window->isVisible());
}

void TestHelpViewer::oneWindowPerFile() {
    const HelpWindowHandle first = CallA(help_test::BuiltHelpFile(), HH_DISPLAY_TOPIC, 0);
    QVERIFY(first);
    const HelpWindowHandle second = CallA(help_test::BuiltHelpFile(), HH_HELP_CONTEXT, 100);
    QCOMPARE(second, first);
    QCOMPARE(ViewerWindows().size(), 1);
    QCOMPARE(PageOf(first)->source().path(), help_test::ProjectContextTopic(100));
    // A topic named after "::" in the file text.
    const HelpWindowHandle third =
        CallA(help_test::BuiltHelpFile() + "::/pages/table.htm", HH_DISPLAY_TOPIC, 0);
    QCOMPARE(third, first);
    QCOMPARE(PageOf(first)->source().path(), QStringLiteral("/pages/table.htm"));
}

void TestHelpViewer::closeAllClosesEveryWindow() {
    const QPointer<QWidget> window =
        static_cast<QWidget *>(CallA(help_test::BuiltHelpFile(), HH_HELP_CONTEXT, 100));
    QVERIFY(window);
    // A window the pupil closed only hides, and comes back on the next request.
    window->close();
    QVERIFY(window);
    QCOMPARE(CallA(help_test::BuiltHelpFile(), HH_DISPLAY_TOPIC, 0), window.data());
    QTRY_VERIFY(window->isVisible());
    QCOMPARE(htmlHelpA_(nullptr, nullptr, HH_CLOSE_ALL, 0), nullptr);
    QVERIFY(window.isNull());
    QVERIFY(ViewerWindows().isEmpty());
    // Closing with nothing open is harmless.
    QCOMPARE(htmlHelpA_(nullptr, nullptr, HH_CLOSE_ALL, 0), nullptr);
}

void TestHelpViewer::linksPicturesStylesAndHistory() {
    QTextBrowser *page = PageOf(CallA(help_test::BuiltHelpFile(), HH_HELP_CONTEXT, 100));
    QVERIFY(page);
    const QString start = page->source().path();
    auto *back = page->window()->findChild<QToolButton *>(QStringLiteral("back"));
    auto *forward = page->window()->findChild<QToolButton *>(QStringLiteral("forward"));
    QVERIFY(back && forward);

    // A relative link, as a click on it reports it.
    emit page->anchorClicked(QUrl(QStringLiteral("regles.htm")));
    QCOMPARE(page->source().path(), QStringLiteral("/pages/regles.htm"));
    QCOMPARE(page->documentTitle(), help_test::PageTitle(QStringLiteral("/pages/regles.htm")));

    // The page's picture and style sheet come out of the file.
    const QVariant picture = page->loadResource(QTextDocument::ImageResource,
                                                QUrl(QStringLiteral("../images/lettres.png")));
    QFile pictureSource(help_test::ProjectFolder() + "/images/lettres.png");
    QVERIFY(pictureSource.open(QIODevice::ReadOnly));
    QCOMPARE(picture.toByteArray(), pictureSource.readAll());
    QVERIFY(!picture.toByteArray().isEmpty());
    QVERIFY(
        page->loadResource(QTextDocument::StyleSheetResource, QUrl(QStringLiteral("../style.css")))
            .toString()
            .contains(QStringLiteral("romain")));
    QVERIFY(!page->loadResource(QTextDocument::ImageResource,
                                QUrl(QStringLiteral("http://example.org/x.png")))
                 .isValid());

    QTRY_VERIFY(back->isEnabled());
    back->click();
    QCOMPARE(page->source().path(), start);
    QTRY_VERIFY(forward->isEnabled());
    forward->click();
    QCOMPARE(page->source().path(), QStringLiteral("/pages/regles.htm"));

    // A link to a page the file lacks leaves the page as it is.
    emit page->anchorClicked(QUrl(QStringLiteral("absent.htm")));
    QCOMPARE(page->source().path(), QStringLiteral("/pages/regles.htm"));
}

QTEST_MAIN(TestHelpViewer)
#include "test_help_viewer.moc"

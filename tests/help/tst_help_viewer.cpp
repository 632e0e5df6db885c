// The viewer module as the program meets it: loaded by file name, driven through its two
// entry points.

#include "HelpProject.h"
#include "HtmlHelpApi.h"

#include <QAccessible>
#include <QApplication>
#include <QLibrary>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryFile>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

using help_test::ViewerWindows;

namespace {

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
    void showsTheAskedTopic_data();
    void showsTheAskedTopic();
    void unusableRequestsShowNothing_data();
    void unusableRequestsShowNothing();
    void oneWindowPerFileUntilCloseAll();
    void linksIndexPicturesStylesAndHistory();
    void pageReadByCaretTitlesWhole();

private:
    HelpWindowHandle CallA(const QString &file, std::uint32_t command, std::uintptr_t data) {
        const QByteArray bytes = QFile::encodeName(file);
        return htmlHelpA_(&desktop_, file.isNull() ? nullptr : bytes.constData(), command, data);
    }

    QLibrary library_{help_test::BuiltViewer()};
    QTemporaryFile truncated_{QDir::tempPath() + QStringLiteral("/tavorim-XXXXXX.chm")};
    HtmlHelpAFunction htmlHelpA_ = nullptr;
    HtmlHelpWFunction htmlHelpW_ = nullptr;
    char desktop_ = 0;
};

void TestHelpViewer::initTestCase() {
    QVERIFY2(library_.load(), qPrintable(library_.errorString()));
    // The start of the program's help file: its header promises a directory that is not there.
    const QByteArray whole = help_test::ReadBytes(help_test::BuiltHelpFile());
    QVERIFY(whole.size() > 4096);
    QVERIFY(truncated_.open());
    truncated_.write(whole.left(512));
    truncated_.close();
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

void TestHelpViewer::showsTheAskedTopic_data() {
    QTest::addColumn<bool>("wide");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<uint>("command");
    QTest::addColumn<QString>("topic");
    const uint context = HH_HELP_CONTEXT;
    const QString mapped = help_test::ProjectContextTopic(100);
    QTest::newRow("default topic")
        << false << QString() << uint(HH_DISPLAY_TOPIC) << help_test::ProjectDefaultTopic();
    QTest::newRow("ansi entry") << false << QString() << context << mapped;
    QTest::newRow("wide entry") << true << QString() << context << mapped;
    QTest::newRow("window name after the path") << false << ">principale" << context << mapped;
    QTest::newRow("spaces around the path") << true << "  " << context << mapped;
}

void TestHelpViewer::showsTheAskedTopic() {
    QFETCH(bool, wide);
    QFETCH(QString, suffix);
    QFETCH(uint, command);
    QFETCH(QString, topic);
    const QString file = help_test::BuiltHelpFile() + suffix;
    QTextBrowser *page = PageOf(
        wide ? htmlHelpW_(&desktop_, reinterpret_cast<const char16_t *>(file.utf16()), command, 100)
             : CallA(file, command, 100));
    QVERIFY(page);
    QTRY_VERIFY(page->window()->isVisible());
    QCOMPARE(page->window()->windowTitle(), help_test::ProjectOption("Title"));
    QCOMPARE(page->source().path(), topic);
    QCOMPARE(page->documentTitle(), help_test::PageTitle(topic));
    const auto *contents = page->window()->findChild<QTreeWidget *>(QStringLiteral("contents"));
    QVERIFY(contents && contents->topLevelItemCount() >= 2 && contents->currentItem());
    QCOMPARE(contents->currentItem()->data(0, Qt::UserRole).toString(), topic);
}

void TestHelpViewer::unusableRequestsShowNothing_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<uint>("command");
    QTest::addColumn<qulonglong>("data");
    QTest::addColumn<bool>("reported"); // a box names the file that could not be opened
    const QString chm = help_test::BuiltHelpFile();
    QTest::newRow("missing file") << chm + ".absent" << uint(HH_HELP_CONTEXT) << 100ull << true;
    QTest::newRow("missing file, default topic")
        << chm + ".absent" << uint(HH_DISPLAY_TOPIC) << 0ull << true;
    QTest::newRow("cut short") << truncated_.fileName() << uint(HH_DISPLAY_TOPIC) << 0ull << true;
    QTest::newRow("not a help file")
        << help_test::BuiltViewer() << uint(HH_HELP_CONTEXT) << 100ull << true;
    QTest::newRow("unmapped context") << chm << uint(HH_HELP_CONTEXT) << 4242ull << false;
    QTest::newRow("context beyond 32 bits")
        << chm << uint(HH_HELP_CONTEXT) << (100ull | (1ull << 40)) << false;
    QTest::newRow("no file") << QString() << uint(HH_HELP_CONTEXT) << 100ull << false;
    QTest::newRow("topic not in the file")
        << chm + "::/pages/absent.htm" << uint(HH_DISPLAY_TOPIC) << 0ull << false;
    QTest::newRow("unknown command") << chm << 1u << 100ull << false;
}

// No viewer window in any case; a help file that is missing or cannot be read is said in a
// message box naming it, which the call waits on, as on a stock box.
void TestHelpViewer::unusableRequestsShowNothing() {
    QFETCH(QString, file);
    QFETCH(uint, command);
    QFETCH(qulonglong, data);
    QFETCH(bool, reported);
    QStringList boxes;
    QTimer answer;
    connect(&answer, &QTimer::timeout, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || box->buttons().isEmpty())
            return;
        boxes << box->windowTitle() + QLatin1Char('|') + box->text();
        box->buttons().constFirst()->click();
    });
    answer.start(10);
    QCOMPARE(CallA(file, command, data), nullptr);
    answer.stop();
    QApplication::processEvents();
    for (QWidget *window : ViewerWindows())
        QVERIFY(!window->isVisible());
    QCOMPARE(boxes.size(), reported ? 1 : 0);
    if (reported) {
        const QString path = QDir::toNativeSeparators(
            QFileInfo(file.section(QStringLiteral("::"), 0, 0)).absoluteFilePath());
        QCOMPARE(boxes[0], QGuiApplication::applicationDisplayName() +
                               QStringLiteral("|Impossible d'ouvrir le fichier d'aide :\n") + path);
    }
}

void TestHelpViewer::oneWindowPerFileUntilCloseAll() {
    const QPointer<QWidget> window =
        static_cast<QWidget *>(CallA(help_test::BuiltHelpFile(), HH_DISPLAY_TOPIC, 0));
    QVERIFY(window);
    QCOMPARE(CallA(help_test::BuiltHelpFile(), HH_HELP_CONTEXT, 100), window.data());
    QCOMPARE(PageOf(window)->source().path(), help_test::ProjectContextTopic(100));
    // A window the pupil closed only hides, and comes back on the next request, here for a
    // topic named after "::" in the file text.
    window->close();
    QVERIFY(window);
    QCOMPARE(CallA(help_test::BuiltHelpFile() + "::/pages/table.htm", HH_DISPLAY_TOPIC, 0),
             window.data());
    QTRY_VERIFY(window->isVisible());
    QCOMPARE(PageOf(window)->source().path(), QStringLiteral("/pages/table.htm"));
    QCOMPARE(ViewerWindows().size(), 1);

    QCOMPARE(htmlHelpA_(nullptr, nullptr, HH_CLOSE_ALL, 0), nullptr);
    QVERIFY(window.isNull());
    QVERIFY(ViewerWindows().isEmpty());
    QCOMPARE(htmlHelpA_(nullptr, nullptr, HH_CLOSE_ALL, 0), nullptr); // with nothing open
}

void TestHelpViewer::linksIndexPicturesStylesAndHistory() {
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
    const QByteArray picture = page->loadResource(QTextDocument::ImageResource,
                                                  QUrl(QStringLiteral("../images/lettres.png")))
                                   .toByteArray();
    QVERIFY(!picture.isEmpty());
    QCOMPARE(picture, help_test::ReadBytes(help_test::ProjectFolder() + "/images/lettres.png"));
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

    // The keyword index lists every keyword of the project, and choosing one shows its page.
    auto *index = page->window()->findChild<QTreeWidget *>(QStringLiteral("index"));
    QVERIFY(index);
    const QString keywords = help_test::ReadText(help_test::ProjectFolder() + "/tavorim.hhk");
    QCOMPARE(index->topLevelItemCount(), keywords.count(QStringLiteral("text/sitemap")));
    QTreeWidgetItem *first = index->topLevelItem(0);
    emit index->itemActivated(first, 0);
    QCOMPARE(page->source().path(), first->data(0, Qt::UserRole).toString());
    QVERIFY(page->source().path() != QStringLiteral("/pages/regles.htm"));
}

void TestHelpViewer::pageReadByCaretTitlesWhole() {
    QTextBrowser *page = PageOf(CallA(help_test::BuiltHelpFile(), HH_DISPLAY_TOPIC, 0));
    QVERIFY(page);
    QVERIFY(QTest::qWaitForWindowActive(page->window()));
    page->setFocus();
    QTRY_VERIFY(page->hasFocus());

    // A read-only document whose lines follow one another, the whole page, and whose caret
    // the arrows move from line to line.
    QAccessibleInterface *document = QAccessible::queryAccessibleInterface(page);
    QCOMPARE(document->role(), QAccessible::Document);
    QVERIFY(document->state().readOnly);
    QAccessibleTextInterface *text = document->textInterface();
    QVERIFY(text);
    QString lines;
    int start = 0, end = 0, count = 0;
    for (int offset = 0; offset < text->characterCount(); offset = end, ++count) {
        lines += text->textAtOffset(offset, QAccessible::LineBoundary, &start, &end);
        QCOMPARE(start, offset);
        QVERIFY(end > start);
    }
    // A picture reads as a space.
    QCOMPARE(lines, page->toPlainText().replace(QChar::ObjectReplacementCharacter, u' '));
    QVERIFY(count > 3);
    const QString first = text->textAtOffset(0, QAccessible::LineBoundary, &start, &end);
    QCOMPARE(text->textAfterOffset(0, QAccessible::LineBoundary, &start, &end),
             text->textAtOffset(first.size(), QAccessible::LineBoundary, &start, &end));
    QCOMPARE(text->cursorPosition(), 0);
    QTest::keyClick(page, Qt::Key_Down);
    QCOMPARE(text->cursorPosition(), int(first.size()));
    QCOMPARE(
        text->textBeforeOffset(text->cursorPosition(), QAccessible::LineBoundary, &start, &end),
        first);

    // Tab goes from link to link, and out of the page after the last.
    int links = 0;
    for (; page->hasFocus() && links < 50; ++links) {
        QTest::keyClick(page, Qt::Key_Tab);
        QVERIFY(!page->hasFocus() || page->textCursor().hasSelection());
    }
    QVERIFY(!page->hasFocus());
    QVERIFY(links > 1);

    // Every title of the contents whole, and as its tooltip.
    auto *contents = page->window()->findChild<QTreeWidget *>(QStringLiteral("contents"));
    contents->expandAll();
    for (QTreeWidgetItemIterator it(contents); *it; ++it) {
        QCOMPARE((*it)->toolTip(0), (*it)->text(0));
        QTRY_VERIFY2(contents->visualItemRect(*it).width() >
                         contents->fontMetrics().horizontalAdvance((*it)->text(0)),
                     qPrintable((*it)->text(0)));
    }
}

QTEST_MAIN(TestHelpViewer)
#include "tst_help_viewer.moc"

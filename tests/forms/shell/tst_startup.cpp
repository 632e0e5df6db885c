// The run as the entry routine makes it: what is created, shown and destroyed, in which order,
// and what a copy that finds another one running does. The test program runs itself as that
// other copy.
#include "Application.h"
#include "Globals.h"
#include "MessageBox.h"
#include "OnlyOne.h"
#include "Startup.h"
#include "Tavor1.h"
#include "Unit2.h"
#include "Web.h"

#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QWindow>
#include <QtTest>

using tavorim::MessageBox;
using tavorim::TApplication;

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startAndEndInOrder();
    void secondCopyEndsWithoutAsking();
    void backdropCoversItsScreen();

private:
    QStringList notes_;
    QList<QUrl> sent_;
};

void TestStartup::init() {
    Etat_Global = T_Etat_Global{};
    MessageBox::setRecordingForTests(true);
    TApplication::instance().resetForTests();
    TApplication::instance().setNoteListenerForTests(
        [this](const QString &step) { notes_.append(step); });
    MessageBox::clearShownForTests();
    notes_.clear();
    sent_.clear();
    tavorim::setNavigateForTests([this](const QUrl &url) { sent_.append(url); });
}

void TestStartup::cleanup() {
    MessageBox::setAutoAnswerForTests(MessageBox::NoButton);
    tavorim::setNavigateForTests({});
    TApplication::instance().resetForTests();
}

void TestStartup::startAndEndInOrder() {
    bool checked = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *form1 = qobject_cast<TForm1 *>(QApplication::activeModalWidget());
        if (!form1 || !form1->isVisible())
            return;
        poll.stop();
        auto *form2 = qobject_cast<TForm2 *>(TApplication::instance().mainForm());
        checked = true;
        // The main window is modal, in front of the backdrop, which fills the screen.
        QVERIFY(form2 && form2->isVisible());
        QVERIFY(form2->windowState() & Qt::WindowMaximized);
        QVERIFY(form1->isModal());
        QCOMPARE(form2->geometry(), form2->screen()->geometry());
        // Belonging to the backdrop, the main window would raise it over the help viewer.
        QVERIFY(!form1->windowHandle()->transientParent());
        QVERIFY(Etat_Global.Niveau_I);
        // Qt's own texts are in French: the answer box's menu shows none of its English words.
        QLineEdit box;
        const std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
        const QStringList english{"&Undo",  "&Redo",  "Cu&t",      "&Copy",
                                  "&Paste", "Delete", "Select All"};
        QStringList shown;
        for (const QAction *item : menu->actions()) {
            if (!item->isSeparator())
                shown << item->text().section(QLatin1Char('\t'), 0, 0);
        }
        QCOMPARE(shown.size(), english.size());
        for (const QString &text : shown)
            QVERIFY2(!english.contains(text), qPrintable(text));
        QCOMPARE(tavorim::TOnlyOne::holder(tavorim::TOnlyOne::atomName()),
                 QCoreApplication::applicationPid());
        MessageBox::setAutoAnswerForTests(MessageBox::Yes);
        form1->close();
    });
    poll.start(10);
    QCOMPARE(runTavorim(), 0);
    QVERIFY(checked);
    const QStringList expected = {
        "Form2 created",       "Form2.FormCreate",       "Form1 created",     "Form1.FormCreate",
        "Form1 shown modally", "Form1 modal loop ended", "Form1.FormDestroy", "Form1 destroyed",
        "Form2.FormDestroy",   "Form2 destroyed"};
    QCOMPARE(notes_, expected);
    QCOMPARE(MessageBox::shownForTests().size(), 1);
    QCOMPARE(sent_.size(), 1);
    // The guard went with the backdrop.
    QVERIFY(!QFileInfo::exists(tavorim::TOnlyOne::lockPath(tavorim::TOnlyOne::atomName())));
}

void TestStartup::secondCopyEndsWithoutAsking() {
    const QString atom = tavorim::TOnlyOne::atomName();
    // Another process of this program holds the guard's name.
    QProcess first;
    first.start(QCoreApplication::applicationFilePath(), {QStringLiteral("first")});
    QVERIFY(first.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(first.canReadLine(), 30000);
    MessageBox::setAutoAnswerForTests(MessageBox::Yes); // a box would be answered, and counted
    QCOMPARE(runTavorim(), 0);
    QVERIFY(TApplication::instance().terminated());
    QVERIFY(MessageBox::shownForTests().isEmpty());
    QVERIFY(sent_.isEmpty());
    QVERIFY(!notes_.contains(QStringLiteral("Form1 shown modally")));
    QCOMPARE(notes_.first(), QStringLiteral("Form2 created"));
    QCOMPARE(notes_.last(), QStringLiteral("Form2 destroyed"));
    // The first copy still holds the name, under the title this copy gave up.
    QCOMPARE(TApplication::instance().title(), QStringLiteral("destroy me"));
    QCOMPARE(tavorim::TOnlyOne::holder(atom), first.processId());
    first.kill();
    first.waitForFinished();
}

void TestStartup::backdropCoversItsScreen() {
    TForm2 form;
    form.showMaximized();
    QScreen *screen = form.screen();
    QCOMPARE(form.geometry(), screen->geometry());
    // The screen changes size: the backdrop follows.
    const QRect smaller(screen->geometry().topLeft(), QSize(800, 600));
    emit screen->geometryChanged(smaller);
    QTRY_COMPARE(form.geometry(), smaller);
    // The window manager's close (Alt+F4 on the backdrop) does nothing.
    form.windowHandle()->close();
    QVERIFY(form.isVisible());
}

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    if (argc == 2 && qstrcmp(argv[1], "first") == 0) {
        // Stands for a running copy: holds the guard with a window, answers other copies.
        TForm2 form2;
        form2.show();
        QTextStream(stdout) << "running" << Qt::endl;
        return QCoreApplication::exec();
    }
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startup.moc"

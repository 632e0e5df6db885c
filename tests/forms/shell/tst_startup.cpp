// The run as the entry routine makes it: what is created, shown and destroyed, in which order,
// and what a copy that finds another one running does. The test program runs itself as that
// other copy.
#include "AnsweringBoxes.h"
#include "Application.h"
#include "Globals.h"
#include "LockFileRendezvous.h"
#include "MessageBox.h"
#include "OnlyOne.h"
#include "RecordingWeb.h"
#include "Startup.h"
#include "Tavor1.h"
#include "Unit2.h"
#include "Web.h"
#include "WindowPlacement.h"

#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QWindow>
#include <QtTest>

#include <optional>

using tavorim::MessageBox;
using tavorim::TApplication;

namespace {

// Follows the two windows through what reaches them: first seen (while being built), shown,
// hidden (while still themselves), destroyed.
class RunObserver : public QObject {
public:
    QStringList steps;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        const QString name = qobject_cast<TForm2 *>(watched)   ? QStringLiteral("Form2")
                             : qobject_cast<TForm1 *>(watched) ? QStringLiteral("Form1")
                                                               : QString();
        if (name.isEmpty())
            return false;
        if (!seen_.contains(watched)) {
            seen_.append(watched);
            steps << name + QStringLiteral(" created");
            connect(watched, &QObject::destroyed, this, [this, name, watched] {
                seen_.removeOne(watched);
                steps << name + QStringLiteral(" destroyed");
            });
        }
        const auto *window = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::Show)
            steps << name + (window->isModal() ? QStringLiteral(" shown modally")
                                               : QStringLiteral(" shown"));
        else if (event->type() == QEvent::Hide)
            steps << name + QStringLiteral(" hidden");
        return false;
    }

private:
    QList<QObject *> seen_;
};

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startAndEndInOrder();
    void secondCopyEndsWithoutAsking();
    void backdropCoversItsScreen();

private:
    std::unique_ptr<RunObserver> run_;
    tavorim::RecordingWeb web_;
    std::optional<TApplication> application_;
    std::optional<tavorim::AnsweringBoxes> boxes_;
};

void TestStartup::init() {
    Etat_Global = T_Etat_Global{};
    application_.emplace();
    boxes_.emplace();
    run_ = std::make_unique<RunObserver>();
    qApp->installEventFilter(run_.get());
    web_.sent.clear();
}

void TestStartup::cleanup() {
    boxes_.reset();
    application_.reset();
    run_.reset();
}

void TestStartup::startAndEndInOrder() {
    bool checked = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *form1 = qobject_cast<TForm1 *>(QApplication::activeModalWidget());
        if (!form1 || !form1->isVisible())
            return;
        poll.stop();
        auto *form2 = qobject_cast<TForm2 *>(application_->windows().mainForm());
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
        QCOMPARE(tavorim::LockFileRendezvous().holder(tavorim::TOnlyOne::atomName()),
                 QCoreApplication::applicationPid());
        boxes_->answerAll(MessageBox::Yes);
        form1->close();
    });
    poll.start(10);
    QCOMPARE(runTavorim(web_), 0);
    QVERIFY(checked);
    const QStringList expected = {"Form2 created",       "Form1 created", "Form2 shown",
                                  "Form1 shown modally", "Form1 hidden",  "Form1 destroyed",
                                  "Form2 destroyed"};
    QCOMPARE(run_->steps, expected);
    QCOMPARE(boxes_->shown.size(), 1);
    QCOMPARE(web_.sent.size(), 1);
    // The guard went with the backdrop.
    QVERIFY(
        !QFileInfo::exists(tavorim::LockFileRendezvous().lockPath(tavorim::TOnlyOne::atomName())));
}

void TestStartup::secondCopyEndsWithoutAsking() {
    const QString atom = tavorim::TOnlyOne::atomName();
    // Another process of this program holds the guard's name.
    QProcess first;
    first.start(QCoreApplication::applicationFilePath(), {QStringLiteral("first")});
    QVERIFY(first.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(first.canReadLine(), 30000);
    boxes_->answerAll(MessageBox::Yes); // a box would be answered, and counted
    QCOMPARE(runTavorim(web_), 0);
    QVERIFY(application_->run().terminated());
    QVERIFY(boxes_->shown.isEmpty());
    QVERIFY(web_.sent.isEmpty());
    const QStringList expected = {"Form2 created", "Form1 created", "Form1 destroyed",
                                  "Form2 destroyed"};
    QCOMPARE(run_->steps, expected);
    // The first copy still holds the name, under the title this copy gave up.
    QCOMPARE(application_->title().text(), QStringLiteral("destroy me"));
    QCOMPARE(tavorim::LockFileRendezvous().holder(atom), first.processId());
    first.kill();
    first.waitForFinished();
}

void TestStartup::backdropCoversItsScreen() {
    TForm2 form;
    form.showMaximized();
    QScreen *screen = form.screen();
    QCOMPARE(form.geometry(), screen->geometry());
    // The help viewer keeps clear of the clock and the indicators, of nothing else.
    QRegion panels;
    for (const char *name : {"Panel1", "panelMaj", "PanelVernum"}) {
        const auto *panel = form.findChild<QWidget *>(QLatin1String(name));
        panels += QRect(panel->mapToGlobal(QPoint(0, 0)), panel->size());
    }
    QCOMPARE(tavorim::helpKeepClear(), panels);
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
        TApplication application;
        TForm2 form2;
        form2.show();
        QTextStream(stdout) << "running" << Qt::endl;
        return QCoreApplication::exec();
    }
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startup.moc"

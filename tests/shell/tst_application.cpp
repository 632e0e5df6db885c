// The application's chain of windows (backdrop, main window, a modal drill) against what a
// window manager may do to it: minimise one window of it, bring one back, give the focus to a
// blocked window, send keys to a minimised one; and the title it carries.
#include "Application.h"

#include <QDialog>
#include <QLineEdit>
#include <QWindow>
#include <QtTest>

using tavorim::TApplication;

namespace {

struct Chain {
    TApplication application;
    QWidget backdrop;
    QDialog main{nullptr, Qt::Window};
    QDialog drill;
    QLineEdit *answer = nullptr;

    Chain() {
        application.setMainForm(&backdrop);
        backdrop.show();
        main.setWindowModality(Qt::WindowModal);
        main.show();
        answer = new QLineEdit(&drill);
        drill.setWindowModality(Qt::ApplicationModal);
        drill.winId();
        drill.windowHandle()->setTransientParent(main.windowHandle());
        drill.show();
    }
    QList<const QWidget *> windows() const { return {&backdrop, &main, &drill}; }
    bool allMinimised() const {
        const auto all = windows();
        return std::all_of(all.begin(), all.end(),
                           [](const QWidget *w) { return w->isMinimized(); });
    }
    bool noneMinimised() const {
        const auto all = windows();
        return std::none_of(all.begin(), all.end(),
                            [](const QWidget *w) { return w->isMinimized(); });
    }
};

void minimise(QWidget &window, bool minimised) {
    // As the window manager reports it.
    window.setWindowState(minimised ? window.windowState() | Qt::WindowMinimized
                                    : window.windowState() & ~Qt::WindowMinimized);
}

} // namespace

class TestApplication : public QObject {
    Q_OBJECT

private slots:
    void windowManagerActs_data();
    void windowManagerActs();
    void keysForAMinimisedWindowBringItBack();
    void modalWindowBelongsToItsOpener();
    void titleFromTheProgramFile_data();
    void titleFromTheProgramFile();
};

void TestApplication::windowManagerActs_data() {
    QTest::addColumn<QString>("minimised");
    QTest::addColumn<QString>("broughtBack");
    QTest::addColumn<bool>("flicker"); // the window brought back is minimised again at once
    QTest::addColumn<bool>("endsMinimised");
    // The modal window minimised (with or without its owner) takes the chain with it.
    QTest::newRow("the drill alone") << "drill"
                                     << "" << false << true;
    QTest::newRow("the drill and the main window") << "drill main"
                                                   << "" << false << true;
    // The owner minimised while the modal window stays: the owner comes back.
    QTest::newRow("the main window alone") << "main"
                                           << "" << false << false;
    QTest::newRow("the backdrop alone") << "backdrop"
                                        << "" << false << false;
    // Bringing back any window of a minimised chain brings back all of it.
    QTest::newRow("chain, then the main window back") << "drill main backdrop"
                                                      << "main" << false << false;
    QTest::newRow("chain, then the backdrop back") << "drill main backdrop"
                                                   << "backdrop" << false << false;
    // Seen back for an instant only (a maximised window on its way down): nothing comes back.
    QTest::newRow("chain, the backdrop back for an instant") << "drill main backdrop"
                                                             << "backdrop" << true << true;
}

void TestApplication::windowManagerActs() {
    QFETCH(QString, minimised);
    QFETCH(QString, broughtBack);
    QFETCH(bool, flicker);
    QFETCH(bool, endsMinimised);
    Chain chain;
    QWidget *byName[] = {&chain.backdrop, &chain.main, &chain.drill};
    const QStringList names{"backdrop", "main", "drill"};
    for (const QString &name : minimised.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        minimise(*byName[names.indexOf(name)], true);
    if (!broughtBack.isEmpty()) {
        QTRY_VERIFY(chain.allMinimised());
        minimise(*byName[names.indexOf(broughtBack)], false);
        if (flicker)
            minimise(*byName[names.indexOf(broughtBack)], true);
    }
    if (endsMinimised) {
        QTRY_VERIFY(chain.allMinimised());
        // Through the window manager's burst and well past it, the chain stays down.
        QVERIFY(!QTest::qWaitFor([&] { return !chain.allMinimised(); }, 500));
    } else {
        QTRY_VERIFY(chain.noneMinimised());
        QTRY_COMPARE(QApplication::activeModalWidget(), &chain.drill);
    }
}

void TestApplication::keysForAMinimisedWindowBringItBack() {
    Chain chain;
    chain.answer->setFocus();
    minimise(chain.drill, true);
    QTest::keyClick(chain.answer, Qt::Key_C, Qt::AltModifier);
    QTest::keyClick(chain.answer, Qt::Key_X);
    QVERIFY(chain.answer->text().isEmpty());
    QTRY_VERIFY(chain.noneMinimised());
}

void TestApplication::modalWindowBelongsToItsOpener() {
    Chain chain;
    // Opened from the drill, an application-owned dialog (a message box) belongs to it.
    QDialog box;
    QTimer::singleShot(0, &box, &QDialog::reject);
    QWindow *opener = chain.drill.windowHandle();
    chain.application.run().ShowModal(&box);
    QCOMPARE(box.windowHandle()->transientParent(), opener);
}

void TestApplication::titleFromTheProgramFile_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::newRow("Windows name") << "C:/Jeux/TAVORIM.EXE"
                                  << "Tavorim";
    QTest::newRow("cut at the first dot") << "/opt/a.b.exe"
                                          << "a";
    QTest::newRow("first letter kept as it is") << "/usr/bin/tavORIM"
                                                << "tavorim";
    QTest::newRow("one letter") << "/usr/bin/T.exe"
                                << "T";
    QTest::newRow("nothing before the dot") << "/usr/bin/.Tavorim"
                                            << "";
}

void TestApplication::titleFromTheProgramFile() {
    QFETCH(QString, path);
    QFETCH(QString, title);
    QCOMPARE(tavorim::ApplicationTitle::fromProgramPath(path), title);
}

QTEST_MAIN(TestApplication)

#include "tst_application.moc"

// The main window: its state at creation, the sound switch, the ways of closing it and the
// exit report they lead to.
#include "AnsweringBoxes.h"
#include "Application.h"
#include "ClassSettings.h"
#include "ColorDepth.h"
#include "Exercice.h"
#include "Globals.h"
#include "GlyphButton.h"
#include "MessageBox.h"
#include "RecordingWeb.h"
#include "Tavor1.h"
#include "Web.h"
#include "hh_funcs.h"

#include <QAction>
#include <QMenuBar>
#include <QtTest>

#include <optional>

using tavorim::MessageBox;
using tavorim::TApplication;

namespace {

struct HelpCall {
    int command;
    int data;
    bool operator==(const HelpCall &other) const = default;
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startsAsTheSettingsSay_data();
    void startsAsTheSettingsSay();
    void soundSwitchFollowsTheCheckMark();
    void richColorsFollowTheDepth_data();
    void richColorsFollowTheDepth();
    void captionAtActivation();
    void menuBarAboveTheDesignClientArea();
    void everyCloseAsksTheSameQuestion_data();
    void everyCloseAsksTheSameQuestion();
    void escapeDoesNothing();
    void confirmedCloseSendsTheReportAndEnds();
    void f1AsksForTheWindowsHelp();
    void helpHookLivesWithTheWindow();
    void reportedProgramName_data();
    void reportedProgramName();
    void reportAddress_data();
    void reportAddress();

private:
    void recordHelpCommands();

    tavorim::RecordingWeb web_;
    QList<HelpCall> help_;
    std::optional<TApplication> application_;
    std::optional<tavorim::AnsweringBoxes> boxes_;
};

void TestMainWindow::init() {
    Etat_Global = T_Etat_Global{};
    application_.emplace();
    boxes_.emplace();
    web_.sent.clear();
    help_.clear();
}

void TestMainWindow::recordHelpCommands() {
    // Replaces the help hook the window installed, to see what the window asks of the help.
    application_->help().setOnHelp([this](std::uint16_t command, std::int32_t data, bool &) {
        help_.append({command, data});
        return true;
    });
}

void TestMainWindow::cleanup() {
    boxes_.reset();
    application_.reset();
}

void TestMainWindow::startsAsTheSettingsSay_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("sound");
    QTest::addColumn<bool>("switchable");
    QTest::newRow("nothing set: level I, sound off") << QStringList() << 1 << false << true;
    QTest::newRow("level II, sound off and locked")
        << QStringList{"--level=II", "--sound=off", "--sound-locked=on"} << 2 << false << false;
    QTest::newRow("level III, sound on and locked")
        << QStringList{"--level=3", "--sound=on", "--sound-locked=on"} << 3 << true << false;
    QTest::newRow("sound on, switchable") << QStringList{"--sound=on"} << 1 << true << true;
}

void TestMainWindow::startsAsTheSettingsSay() {
    QFETCH(QStringList, options);
    QFETCH(int, level);
    QFETCH(bool, sound);
    QFETCH(bool, switchable);
    qputenv("XDG_CONFIG_DIRS", "/nonexistent");
    tavorim::loadSettings(QStringList{QStringLiteral("tavorim")} + options);
    int reseeds = 0;
    SeededRandom counting([&reseeds] { return std::uint64_t(++reseeds); });
    setRandomSource(&counting);
    TForm1 form(web_);
    setRandomSource(nullptr);
    tavorim::loadSettings({QStringLiteral("tavorim")});
    QCOMPARE(reseeds, 1); // the generator is reseeded as the window is created
    QCOMPARE(Etat_Global.Niveau_I, level == 1);
    QCOMPARE(Etat_Global.Niveau_II, level == 2);
    QCOMPARE(Etat_Global.Niveau_III, level == 3);
    QCOMPARE(Etat_Global.Son_Actif, sound);
    auto *son1 = form.findChild<QAction *>(QStringLiteral("son1"));
    QVERIFY(son1);
    QVERIFY(son1->isCheckable());
    QCOMPARE(son1->isChecked(), sound);
    QCOMPARE(son1->isEnabled(), switchable);
    QCOMPARE(form.size().width(), 414);
}

void TestMainWindow::soundSwitchFollowsTheCheckMark() {
    TForm1 form(web_);
    auto *sound = form.findChild<QAction *>(QStringLiteral("son1"));
    for (bool expected : {true, false, true, false}) {
        sound->trigger();
        QCOMPARE(sound->isChecked(), expected);
        QCOMPARE(Etat_Global.Son_Actif, expected);
    }
}

void TestMainWindow::richColorsFollowTheDepth_data() {
    QTest::addColumn<int>("depth");
    QTest::addColumn<bool>("rich");
    QTest::newRow("monochrome") << 1 << false;
    QTest::newRow("16 colors") << 4 << false;
    QTest::newRow("256 colors") << 8 << false;
    QTest::newRow("high color") << 16 << true;
    QTest::newRow("true color") << 24 << true;
    QTest::newRow("32 bits") << 32 << true;
}

void TestMainWindow::richColorsFollowTheDepth() {
    QFETCH(int, depth);
    QFETCH(bool, rich);
    Etat_Global.Couleurs_Riches = !rich;
    TForm1 form(web_, nullptr, [depth](const QWidget *) { return depth; });
    QCOMPARE(Etat_Global.Couleurs_Riches, rich);
}

void TestMainWindow::captionAtActivation() {
    TForm1 form(web_);
    QVERIFY(form.windowTitle().isEmpty());
    form.show();
    // Before the window system has told of any activation: being shown is enough.
    QCOMPARE(form.windowTitle(), QStringLiteral("TavoRim v. 2.4 complète et gratuite"));
    form.setWindowTitle(QString());
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTRY_COMPARE(form.windowTitle(), QStringLiteral("TavoRim v. 2.4 complète et gratuite"));
}

void TestMainWindow::menuBarAboveTheDesignClientArea() {
    TForm1 form(web_);
    // Sized without any font: the menu bar has the standard height.
    QCOMPARE(form.size(), QSize(414, 416));
    auto *menu = form.findChild<QMenuBar *>(QStringLiteral("MainMenu1"));
    auto *client = form.findChild<QWidget *>(QStringLiteral("ClientArea"));
    QVERIFY(menu && client);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(menu->geometry(), QRect(0, 0, 414, 20));
    QCOMPARE(client->geometry(), QRect(0, 20, 414, 396));
    // The texts, in the fonts the program needs, are not cut by that height.
    QVERIFY2(menu->sizeHint().height() <= menu->height(),
             qPrintable(QString::number(menu->sizeHint().height())));
    QCOMPARE(form.size(), QSize(414, 416));
}

void TestMainWindow::everyCloseAsksTheSameQuestion_data() {
    QTest::addColumn<QString>("way");
    QTest::addColumn<int>("answer");
    QTest::newRow("Fermer, then Non") << "click" << int(MessageBox::No);
    QTest::newRow("close box, then Non") << "close" << int(MessageBox::No);
    QTest::newRow("Fermer, box dismissed") << "click" << int(MessageBox::NoButton);
    QTest::newRow("close box, box dismissed") << "close" << int(MessageBox::NoButton);
    // "&Fermer" has the focus at start; the dialog keys act on it.
    QTest::newRow("Enter on Fermer, then Non") << "Enter" << int(MessageBox::No);
    QTest::newRow("f alone, then Non") << "f" << int(MessageBox::No);
    QTest::newRow("Alt+F, then Non") << "Alt+F" << int(MessageBox::No);
}

void TestMainWindow::everyCloseAsksTheSameQuestion() {
    QFETCH(QString, way);
    QFETCH(int, answer);
    TForm1 form(web_);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    Etat_Global.Duree_Texte = "00:01:00";
    const T_Etat_Global before = Etat_Global;
    boxes_->answerNext(static_cast<MessageBox::Button>(answer));
    auto *fermer = form.findChild<tavorim::GlyphButton *>(QStringLiteral("BitBtn1"));
    if (way == QLatin1String("click")) {
        fermer->click();
    } else if (way == QLatin1String("close")) {
        form.close(); // what the close box and Alt+F4 ask for
    } else {
        QCOMPARE(form.focusWidget(), fermer);
        if (way == QLatin1String("Enter"))
            QTest::keyClick(fermer, Qt::Key_Return);
        else
            QTest::keyClick(fermer, Qt::Key_F,
                            way == QLatin1String("f") ? Qt::NoModifier : Qt::AltModifier);
    }
    QCOMPARE(boxes_->shown.size(), 1);
    const MessageBox::Request box = boxes_->shown.first();
    QCOMPARE(box.title, QStringLiteral("Confirmation"));
    QCOMPARE(box.text, QStringLiteral("Voulez-vous vraiment quitter le logiciel"));
    QCOMPARE(box.icon, MessageBox::Question);
    QCOMPARE(box.buttons, MessageBox::Yes | MessageBox::No);
    // Nothing changed, nothing sent, nothing asked of the help.
    QVERIFY(form.isVisible());
    QVERIFY(!application_->run().terminated());
    QVERIFY(web_.sent.isEmpty());
    QVERIFY(help_.isEmpty());
    QCOMPARE(Etat_Global.Duree_Texte, before.Duree_Texte);
    QCOMPARE(Etat_Global.Niveau_I, before.Niveau_I);
}

void TestMainWindow::escapeDoesNothing() {
    TForm1 form(web_);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_Escape);
    QVERIFY(form.isVisible());
    QVERIFY(boxes_->shown.isEmpty());
}

void TestMainWindow::confirmedCloseSendsTheReportAndEnds() {
    TForm1 form(web_);
    recordHelpCommands();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    Etat_Global.Duree_Texte = "00:12:05";
    Etat_Global.Justes_Rom = 7;
    Etat_Global.Question_Rom = 10;
    boxes_->answerNext(MessageBox::Yes);
    form.close();
    QCOMPARE(boxes_->shown.size(), 1);
    QCOMPARE(help_, (QList<HelpCall>{{tavorim::HELP_QUIT, 0}}));
    QCOMPARE(web_.sent.size(), 1);
    // The program's file name in capitals: this test's own.
    QCOMPARE(
        web_.sent.first(),
        QUrl(tavorim::statsAddress() +
                 QStringLiteral("?envoi= ve=TST_MAINWINDOW 2.4 T=00:12:05  jRom=7/9  jArb=0/0"),
             QUrl::TolerantMode));
    QVERIFY(application_->run().terminated());
    QVERIFY(!form.isVisible());
}

void TestMainWindow::f1AsksForTheWindowsHelp() {
    TForm1 form(web_);
    recordHelpCommands();
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_F1);
    QCOMPARE(help_, (QList<HelpCall>{{tavorim::HELP_CONTEXT, 100}}));
}

void TestMainWindow::helpHookLivesWithTheWindow() {
    application_->help().setOnHelp({});
    {
        TForm1 form(web_);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        // No viewer is loaded here: the hook answers F1 with its "not installed" box.
        QTest::keyClick(&form, Qt::Key_F1);
        QCOMPARE(boxes_->shown.size(), 1);
        QCOMPARE(boxes_->shown.first().text, QString::fromLatin1(tavorim::HHNotInstalledText));
        // "&Documentation" without a viewer says the same instead of failing.
        form.findChild<QAction *>(QStringLiteral("Documentation1"))->trigger();
        QCOMPARE(boxes_->shown.size(), 2);
        QCOMPARE(boxes_->shown.last().text, QString::fromLatin1(tavorim::HHNotInstalledText));
    }
    // Destroying the window gives the application its previous (empty) handler back.
    QVERIFY(!application_->help().onHelp());
}

void TestMainWindow::reportedProgramName_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "/opt/tavorim/tavorim"
                           << "TAVORIM";
    QTest::newRow("windows name") << "/opt/TAVORIM.EXE"
                                  << "TAVORIM";
    QTest::newRow("two dots") << "/tmp/a.b"
                              << "A.B";
    QTest::newRow("two dots and exe") << "/tmp/a.b.exe"
                                      << "A.B";
    QTest::newRow("dotted folder") << "/home/x.y/tavorim"
                                   << "TAVORIM";
    QTest::newRow("only a to z change") << "/tmp/élève-2"
                                        << "éLèVE-2";
}

void TestMainWindow::reportedProgramName() {
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(TForm1::reportedProgramName(path), name);
}

void TestMainWindow::reportAddress_data() {
    QTest::addColumn<int>("justesRom");
    QTest::addColumn<int>("questionRom");
    QTest::addColumn<int>("justesArab");
    QTest::addColumn<int>("questionArab");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("report"); // the report setting; empty when unset
    QTest::newRow("nothing answered")
        << 0 << 1 << 0 << 1 << "?envoi= ve=TAVORIM 2.4 T=00:12:05  jRom=0/0  jArb=0/0" << QString();
    QTest::newRow("to the school's address")
        << 1 << 2 << 0 << 1 << "?envoi= ve=TAVORIM 2.4 T=00:12:05  jRom=1/1  jArb=0/0"
        << "https://stats.school.example/t.php";
    QTest::newRow("to a school's address with its own query")
        << 1 << 2 << 0 << 1 << "&envoi= ve=TAVORIM 2.4 T=00:12:05  jRom=1/1  jArb=0/0"
        << "https://stats.school.example/stats.php?classe=CE2";
    QTest::newRow("report off") << 1 << 2 << 0 << 1 << QString() << "off";
    QTest::newRow("seven of nine")
        << 7 << 10 << 0 << 1 << "?envoi= ve=TAVORIM 2.4 T=00:12:05  jRom=7/9  jArb=0/0"
        << QString();
    QTest::newRow("both drills") << 3 << 5 << 12 << 20
                                 << "?envoi= ve=TAVORIM 2.4 T=00:12:05  jRom=3/4  jArb=12/19"
                                 << QString();
}

void TestMainWindow::reportAddress() {
    QFETCH(int, justesRom);
    QFETCH(int, questionRom);
    QFETCH(int, justesArab);
    QFETCH(int, questionArab);
    QFETCH(QString, query);
    QFETCH(QString, report);
    qputenv("XDG_CONFIG_DIRS", "/nonexistent");
    QStringList arguments{QStringLiteral("tavorim")};
    if (!report.isEmpty())
        arguments << QStringLiteral("--report=") + report;
    tavorim::loadSettings(arguments);
    Etat_Global.Duree_Texte = "00:12:05";
    Etat_Global.Justes_Rom = justesRom;
    Etat_Global.Question_Rom = questionRom;
    Etat_Global.Justes_Arab = justesArab;
    Etat_Global.Question_Arab = questionArab;
    const QString page = report.isEmpty() ? tavorim::statsAddress() : report;
    QCOMPARE(TForm1::exitReportAddress(QStringLiteral("/usr/bin/tavorim")),
             query.isEmpty() ? QString() : page + query);
    tavorim::loadSettings({QStringLiteral("tavorim")});
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

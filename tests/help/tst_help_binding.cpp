// The help binding: the loader, the help hook, the trace and the main window's help calls,
// each run against a program folder of its own.

#include "AnsweringBoxes.h"
#include "Application.h"
#include "HelpProject.h"
#include "HelpRun.h"
#include "HelpTrace.h"
#include "MessageBox.h"
#include "hh.h"
#include "hh_funcs.h"

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <atomic>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace tavorim;
using help_test::ReadBytes;
using help_test::ViewerWindows;

namespace {

// "Broken": a file with a version record that is no library.
enum Module { NoModule, VersionedModule, UnversionedModule, BrokenModule };

class TestEnvironment : public HelpEnvironment {
public:
    QString registeredFile;
    QString programDir;
    QString tempDir;

    QString registeredControlFile() const override { return registeredFile; }
    // Empty: the real temporary folder of the trace.
    QString tempFolder() const override {
        return tempDir.isEmpty() ? HelpEnvironment::tempFolder() : tempDir;
    }
    QString programFolder() const override { return programDir; }
};

QString ShownPage() {
    const auto windows = ViewerWindows();
    if (windows.size() != 1 || !windows.front()->isVisible())
        return {};
    return windows.front()->findChild<QTextBrowser *>(QStringLiteral("page"))->source().path();
}

bool WriteFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Every message box shown, as "title|text|icon|buttons".
QStringList ShownBoxes(const AnsweringBoxes &answering) {
    QStringList boxes;
    for (const MessageBox::Request &box : answering.shown)
        boxes.append(
            QStringLiteral("%1|%2|%3|%4").arg(box.title, box.text).arg(box.icon).arg(box.buttons));
    return boxes;
}

QStringList NotInstalledBoxes(int count) {
    return QStringList(count, QStringLiteral("%1|MS Html Help is not installed on this PC.|%2|%3")
                                  .arg(TApplication::instance().title().text())
                                  .arg(MessageBox::Warning)
                                  .arg(int(MessageBox::Ok)));
}

// The trace's event lines, without their time of day; the header lines carry no time.
const QRegularExpression TimedLine(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d   (.*)$"));

QStringList EventLines(const QString &path) {
    QStringList events;
    for (const QString &line : QString::fromUtf8(ReadBytes(path)).split(QLatin1Char('\n'))) {
        const auto match = TimedLine.match(line);
        if (match.hasMatch())
            events.append(match.captured(1));
    }
    return events;
}

// The contexts the run's trace says were shown, in order.
QStringList contextsShown() {
    QFile trace(helpLog()->logFile());
    if (!trace.open(QIODevice::ReadOnly))
        return {};
    QStringList shown;
    static const QRegularExpression show(QStringLiteral("ShowContext\\(.*, (-?\\d+)\\)$"));
    for (const QByteArray &line : trace.readAll().split('\n')) {
        if (const auto match = show.match(QString::fromUtf8(line)); match.hasMatch())
            shown << match.captured(1);
    }
    return shown;
}

} // namespace

// What someone else left under the probe's or the trace's name in the program folder.
enum Planted { LinkToFile, LinkToFolder, Pipe, Folder, OwnEmptyFile };

Q_DECLARE_METATYPE(Module)
Q_DECLARE_METATYPE(Planted)

class TestHelpBinding : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void helpCommandsFollowTheLoadedViewer_data();
    void helpCommandsFollowTheLoadedViewer();
    void registeredControlPath_data();
    void registeredControlPath();

    void helpHookCommandTable();
    void restoringThePreviousHandler();

    void traceOfADebugRun();
    void debugSwitchesAndTraceFolder_data();
    void debugSwitchesAndTraceFolder();
    void plantedEntriesAreLeftAlone_data();
    void plantedEntriesAreLeftAlone();
    void traceFallbackIsPrivate_data();
    void traceFallbackIsPrivate();

private:
    void InstallModule(Module module, const QString &folder);

    std::optional<QTemporaryDir> root_;
    TestEnvironment environment_;
    std::optional<TApplication> application_;
    std::optional<AnsweringBoxes> boxes_;
};

void TestHelpBinding::init() {
    root_.emplace();
    QVERIFY(root_->isValid());
    const QDir root(root_->path());
    for (const char *folder : {"program", "temp", "other"})
        QVERIFY(root.mkpath(QLatin1String(folder)));
    environment_ = TestEnvironment();
    environment_.programDir = root.filePath(QStringLiteral("program")) + QLatin1Char('/');
    environment_.tempDir = root.filePath(QStringLiteral("temp"));
    setHelpEnvironment(&environment_);
    application_.emplace();
    boxes_.emplace();
    boxes_->answerAll(MessageBox::Ok);
}

void TestHelpBinding::cleanup() {
    HHCloseWindows();
    finishHelp();
    QVERIFY(!hhViewerLoaded());
    QVERIFY(!HtmlHelpA && !HtmlHelpW);
    QVERIFY(ViewerWindows().isEmpty());
    _hhInstalled = false;
    boxes_.reset();
    application_.reset();
    setHelpEnvironment(nullptr);
    root_.reset();
}

void TestHelpBinding::InstallModule(Module module, const QString &folder) {
    if (module == NoModule)
        return;
    QByteArray bytes = ReadBytes(help_test::BuiltViewer());
    QVERIFY(!bytes.isEmpty());
    // A module whose metadata lacks the version, or one needing a library that is nowhere.
    const QByteArray spoilt = module == UnversionedModule ? QByteArray(HHCTRL_VERSION_KEY)
                              : module == BrokenModule    ? QByteArray("libmspack.so.0")
                                                          : QByteArray();
    if (!spoilt.isEmpty()) {
        QVERIFY(bytes.contains(spoilt));
        bytes.replace(spoilt, QByteArray(spoilt.size(), 'x'));
    }
    QVERIFY(WriteFile(folder + QStringLiteral("/hhctrl.ocx"), bytes));
}

// Start-up, F1 in the main window (HELP_CONTEXT 100 through the hook) pressed twice,
// "&Documentation", and the end of the run with the help window still open.
void TestHelpBinding::helpCommandsFollowTheLoadedViewer_data() {
    QTest::addColumn<Module>("module");
    QTest::addColumn<bool>("registered"); // in another folder, named by the system
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<bool>("installed");
    QTest::newRow("module with its version") << VersionedModule << false << true << true;
    QTest::newRow("no module") << NoModule << false << false << false;
    QTest::newRow("module without a version record") << UnversionedModule << false << true << false;
    QTest::newRow("registered module only") << VersionedModule << true << true << true;
    // Counted as installed, but nothing loads: no call through a null entry point.
    QTest::newRow("installed but not loadable") << BrokenModule << false << false << true;
}

void TestHelpBinding::helpCommandsFollowTheLoadedViewer() {
    QFETCH(Module, module);
    QFETCH(bool, registered);
    QFETCH(bool, loaded);
    QFETCH(bool, installed);
    const QString other = root_->filePath(QStringLiteral("other"));
    InstallModule(module, registered ? other : environment_.programDir);
    if (registered)
        environment_.registeredFile = other + QStringLiteral("/hhctrl.ocx");
    QVERIFY(QFile::copy(help_test::BuiltHelpFile(), helpFilePath()));
    startHelp({QStringLiteral("tavorim")}, QStringLiteral("2.4"));
    QCOMPARE(hhViewerLoaded(), loaded);
    QCOMPARE(HtmlHelpA != nullptr, loaded);
    QCOMPARE(_hhInstalled, installed);
    const auto entry = HtmlHelpA;
    HHLoadViewer(); // loading twice keeps the one module
    QVERIFY(HtmlHelpA == entry);

    // F1 needs the viewer installed and loaded; "&Documentation" only loaded.
    const bool f1Shows = loaded && installed;
    auto hook = std::make_unique<THookHelpSystem>(helpFilePath(), QString(), 0);
    for (int press = 1; press <= 2; ++press) {
        QVERIFY(application_->help().HelpCommand(HELP_CONTEXT, 100));
        QCOMPARE(ShownBoxes(*boxes_), NotInstalledBoxes(f1Shows ? 0 : press));
    }
    if (f1Shows) {
        QTRY_COMPARE(ShownPage(), help_test::ProjectContextTopic(100));
        // An unmapped context is the viewer's silence, not an error of ours.
        QVERIFY(application_->help().HelpCommand(HELP_CONTEXT, 4242));
        QVERIFY(boxes_->shown.isEmpty());
    }
    QApplication::processEvents();
    QCOMPARE(ViewerWindows().isEmpty(), !f1Shows);

    boxes_->shown.clear();
    hhDisplayTopic();
    QCOMPARE(ShownBoxes(*boxes_), NotInstalledBoxes(loaded ? 0 : 1));
    if (loaded)
        QTRY_COMPARE(ShownPage(), help_test::ProjectDefaultTopic());
    else
        QVERIFY(ViewerWindows().isEmpty());

    hook.reset(); // the main window's destruction closes the help window...
    QVERIFY(ViewerWindows().isEmpty());
    QCOMPARE(hhViewerLoaded(), loaded); // ...while the module is still loaded
    finishHelp();
    QVERIFY(!hhViewerLoaded());
    HHCloseWindows(); // harmless once released
}

void TestHelpBinding::registeredControlPath_data() {
    QTest::addColumn<QString>("registered"); // "{other}" stands for another folder
    QTest::addColumn<bool>("usedAsIs");      // else the system folder's file
    QTest::newRow("none registered") << QString() << false;
    QTest::newRow("registered file missing") << "{other}/absent.ocx" << false;
    QTest::newRow("registered file") << "{other}/hhctrl.ocx" << true;
}

void TestHelpBinding::registeredControlPath() {
    QFETCH(QString, registered);
    QFETCH(bool, usedAsIs);
    const QString other = root_->filePath(QStringLiteral("other"));
    InstallModule(VersionedModule, other);
    environment_.registeredFile = QString(registered).replace(QStringLiteral("{other}"), other);
    const QString folder = usedAsIs ? other : QDir::cleanPath(environment_.programDir);
    QCOMPARE(QDir::cleanPath(hhRegisteredControlPath()), folder + QStringLiteral("/hhctrl.ocx"));
}

// The commands go one after the other to the same hook, with no viewer: each context shown is
// reported as a missing viewer, and the popup position is kept from one command to the next.
void TestHelpBinding::helpHookCommandTable() {
    startHelp({QStringLiteral("tavorim"), QStringLiteral("-debug")}, QStringLiteral("2.4"));
    THookHelpSystem hook(helpFilePath(), QString(), 0);
    const struct {
        std::uint16_t command;
        std::int32_t data;
        bool callDefault;
        const char *outcome; // "contexts shown so far | popup position"
    } steps[] = {
        {HELP_CONTEXT, 100, false, "100 | 0,0"},
        {HELP_SETPOPUP_POS, 0x0014000A, false, "100 | 10,20"},
        {HELP_SETPOPUP_POS, std::int32_t(0x80007FFFu), false, "100 | 32767,-32768"},
        {HELP_CONTEXTPOPUP, 7, false, "100,7 | 32767,-32768"},
        {HELP_QUIT, 0, true, "100,7 | 32767,-32768"},
        {99, 5, true, "100,7 | 32767,-32768"},
    };
    for (const auto &step : steps) {
        bool askedDefault = !step.callDefault;
        QVERIFY(hook.HelpHook(step.command, step.data, askedDefault));
        QCOMPARE(askedDefault, step.callDefault);
        QCOMPARE(QStringLiteral("%1 | %2,%3")
                     .arg(contextsShown().join(QLatin1Char(',')))
                     .arg(hook.popupX())
                     .arg(hook.popupY()),
                 QLatin1String(step.outcome));
    }
    QCOMPARE(boxes_->shown.size(), 2);
}

void TestHelpBinding::restoringThePreviousHandler() {
    startHelp({QStringLiteral("tavorim")}, QStringLiteral("2.4"));
    int previousCalls = 0;
    application_->help().setOnHelp([&](std::uint16_t, std::int32_t, bool &callDefault) {
        ++previousCalls;
        callDefault = true;
        return false;
    });
    {
        THookHelpSystem hook(helpFilePath(), QString(), 0);
        QVERIFY(application_->help().HelpCommand(HELP_QUIT, 0));
        QCOMPARE(previousCalls, 0);
    }
    QVERIFY(!application_->help().HelpCommand(HELP_CONTEXT, 100));
    QCOMPARE(previousCalls, 1);
    QVERIFY(boxes_->shown.isEmpty());
}

void TestHelpBinding::traceOfADebugRun() {
    startHelp({QStringLiteral("tavorim"), QStringLiteral("-DEBUG")}, QStringLiteral("9.7"));
    QVERIFY(helpLog() && helpLog()->debugMode());
    const QString trace = environment_.programDir + QStringLiteral("HHDebug.txt");
    QCOMPARE(helpLog()->logFile(), trace);
    const QString path = helpFilePath();
    {
        THookHelpSystem hook(path, QString(), 0);
        application_->help().HelpCommand(HELP_INDEX, 0);
        application_->help().HelpCommand(HELP_CONTEXT, 100);
        application_->help().HelpCommand(99, -5);
        application_->help().HelpCommand(HELP_QUIT, 0);
    }
    HHHelpContext(QStringLiteral(" my%20help.chm "), 5, QStringLiteral("win"), 0);
    for (const char *line : {"!Facts: 1", "=text", "--", "-", "="})
        helpLog()->write(QLatin1String(line));
    QVERIFY(ReadBytes(trace).endsWith(QByteArray(79, '=') + '\n')); // written at once
    finishHelp();

    const QStringList expected{
        QStringLiteral("THookHelpSystem.Create(\"%1\",\"\", 0)").arg(path),
        QStringLiteral("THookHelpSystem.HelpHook(3 (HELP_INDEX or HELP_CONTENTS), 0)"),
        QStringLiteral("THookHelpSystem.HelpHook(1 (HELP_CONTEXT), 100)"),
        QStringLiteral("HHHelpContext(\"%1\", 100, \"\", 0)").arg(path),
        QStringLiteral("ShowContext(\"%1\", 100)").arg(path),
        QStringLiteral("  returned - 1"),
        QStringLiteral("HHShowError(1), \"MS Html Help is not installed on this PC.\""),
        QStringLiteral("THookHelpSystem.HelpHook(99 (?\?), -5)"),
        QStringLiteral("THookHelpSystem.HelpHook(2 (HELP_QUIT), 0)"),
        QStringLiteral("THookHelpSystem.Destroy"),
        QStringLiteral("HHHelpContext(\" my%20help.chm \", 5, \"win\", 0)"),
        QStringLiteral("ShowContext(\"my help.chm>win\", 5)"),
        QStringLiteral("  returned - 1"),
    };
    QCOMPARE(EventLines(trace), expected);

    // Lines led by "!", "-" or "=" go without the time and that character; "-" or "=" alone
    // is a rule of 79. The header comes first, framed by such rules, and names the trace.
    const QStringList lines = QString::fromUtf8(ReadBytes(trace)).split(QLatin1Char('\n'));
    QCOMPARE(lines.mid(lines.size() - 6),
             (QStringList{"Facts: 1", "text", "-", QString(79, '-'), QString(79, '='), QString()}));
    QCOMPARE(lines.front(), QString(79, QLatin1Char('=')));
    const qsizetype rule = lines.indexOf(QString(79, QLatin1Char('-')));
    QVERIFY(rule > 0);
    QVERIFY(!TimedLine.match(lines[rule - 1]).hasMatch());
    QVERIFY(TimedLine.match(lines[rule + 1]).hasMatch());
    const QString header = lines.mid(0, rule).join(QLatin1Char('\n'));
    QVERIFY(header.contains(trace));
    QVERIFY(header.contains(QStringLiteral("Program version: 9.7")));
}

// Each run finds a read-only trace of an earlier run, which goes away debug mode or not. An
// unwritable program folder sends the trace to the temporary folder: it is made so by placing
// it under a regular file, as a folder that cannot exist takes no probe, even for root.
void TestHelpBinding::debugSwitchesAndTraceFolder_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("marker");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<bool>("debug");
    const QString program = QStringLiteral("tavorim");
    QTest::newRow("/debug") << QStringList{program, "/debug"} << false << true << true;
    QTest::newRow("-debug in mixed case")
        << QStringList{program, "x", "-DeBuG"} << false << true << true;
    QTest::newRow("marker file") << QStringList{program} << true << true << true;
    QTest::newRow("nothing") << QStringList{program} << false << true << false;
    QTest::newRow("--debug") << QStringList{program, "--debug"} << false << true << false;
    QTest::newRow("program path only") << QStringList{"/debug"} << false << true << false;
    QTest::newRow("unwritable, /debug") << QStringList{program, "/debug"} << false << false << true;
    QTest::newRow("unwritable, nothing") << QStringList{program} << false << false << false;
}

void TestHelpBinding::debugSwitchesAndTraceFolder() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, marker);
    QFETCH(bool, writable);
    QFETCH(bool, debug);
    if (!writable) {
        const QString blocker = root_->filePath(QStringLiteral("blocker"));
        QVERIFY(WriteFile(blocker, "a file, not a folder"));
        environment_.programDir = blocker + QStringLiteral("/program/");
    }
    if (marker)
        QVERIFY(WriteFile(environment_.programDir + "debug.debug", QByteArray()));
    const QString trace =
        (writable ? environment_.programDir : environment_.tempDir + '/') + "HHDebug.txt";
    QVERIFY(WriteFile(trace, "12:00:00.000   line of an earlier run\n"));
    QVERIFY(QFile::setPermissions(trace, QFile::ReadOwner));
    startHelp(arguments, QStringLiteral("2.4"));
    QCOMPARE(helpLog()->debugMode(), debug);
    QCOMPARE(helpLog()->logFile(), trace);
    { THookHelpSystem hook(helpFilePath(), QString(), 0); }
    finishHelp();
    QCOMPARE(QFileInfo::exists(trace), debug);
    QCOMPARE(EventLines(trace).size(), debug ? 2 : 0);
    QVERIFY(!ReadBytes(trace).contains("earlier run"));
    QVERIFY(!QFileInfo::exists(environment_.programDir + "$_Temp_$.$$$"));
    QCOMPARE(QDir(environment_.tempDir).entryList(QDir::Files).size(), !writable && debug);
}

// A link to someone's file or folder, a pipe or a folder under the probe's or the trace's name:
// nothing is followed, opened, truncated or has its permissions changed, the start does not hang
// on a pipe, and the trace still finds a place. The setup runs on a thread of its own, so that a
// start that hangs fails the test instead of stopping it.
void TestHelpBinding::plantedEntriesAreLeftAlone_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<Planted>("planted");
    QTest::addColumn<bool>("traceBesideProgram");
    const QString probe = QStringLiteral("$_Temp_$.$$$");
    const QString trace = QStringLiteral("HHDebug.txt");
    QTest::newRow("probe: link to a file") << probe << LinkToFile << false;
    QTest::newRow("probe: pipe") << probe << Pipe << false;
    QTest::newRow("probe: left by a run cut short") << probe << OwnEmptyFile << true;
    QTest::newRow("trace: link to a read-only file") << trace << LinkToFile << true;
    QTest::newRow("trace: link to a private folder") << trace << LinkToFolder << true;
    QTest::newRow("trace: pipe") << trace << Pipe << true;
    QTest::newRow("trace: folder") << trace << Folder << false;
}

void TestHelpBinding::plantedEntriesAreLeftAlone() {
    QFETCH(QString, name);
    QFETCH(Planted, planted);
    QFETCH(bool, traceBesideProgram);
    const QString other = root_->filePath(QStringLiteral("other"));
    const QString secret = other + QStringLiteral("/secret.txt");
    QVERIFY(WriteFile(secret, "not to be lost"));
    QVERIFY(QFile::setPermissions(secret, QFile::ReadOwner));
    const QString keys = other + QStringLiteral("/keys");
    QVERIFY(QDir(other).mkdir(QStringLiteral("keys")));
    QVERIFY(WriteFile(keys + QStringLiteral("/key"), "key"));
    QVERIFY(QFile::setPermissions(keys, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const auto mode = [](const QString &path) {
        struct stat status {};
        return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode : 0;
    };
    const mode_t secretMode = mode(secret);
    const mode_t keysMode = mode(keys);

    const QString entry = environment_.programDir + name;
    const QByteArray entryName = QFile::encodeName(entry);
    switch (planted) {
    case LinkToFile:
        QVERIFY(QFile::link(secret, entry));
        break;
    case LinkToFolder:
        QVERIFY(QFile::link(keys, entry));
        break;
    case Pipe:
        QCOMPARE(::mkfifo(entryName.constData(), 0600), 0);
        break;
    case Folder:
        QVERIFY(QDir(environment_.programDir).mkdir(name));
        QVERIFY(WriteFile(entry + QStringLiteral("/inside"), "kept"));
        break;
    case OwnEmptyFile:
        QVERIFY(WriteFile(entry, QByteArray()));
        break;
    }
    const mode_t entryMode = mode(entry);

    std::unique_ptr<TDLogFile> log;
    std::atomic<bool> ready = false;
    std::thread setup([&] {
        log = std::make_unique<TDLogFile>(QStringList{"tavorim", "/debug"}, QStringLiteral("2.4"));
        ready = true;
    });
    const bool inTime = QTest::qWaitFor([&] { return ready.load(); }, 10000);
    if (!inTime) {
        // Opening the pipe's other end lets a setup stuck on it go on.
        const int release = ::open(entryName.constData(), O_RDWR | O_NONBLOCK);
        setup.join();
        ::close(release);
        QFAIL("the start hung on a pipe in the program folder");
    }
    setup.join();
    log->write(QStringLiteral("event"));

    const QString trace =
        (traceBesideProgram ? environment_.programDir : environment_.tempDir + '/') +
        QStringLiteral("HHDebug.txt");
    QCOMPARE(log->logFile(), trace);
    QCOMPARE(EventLines(trace), QStringList{QStringLiteral("event")});
    QCOMPARE(ReadBytes(secret), QByteArray("not to be lost"));
    QCOMPARE(mode(secret), secretMode);
    QCOMPARE(mode(keys), keysMode);
    QCOMPARE(QDir(keys).entryList(QDir::Files), QStringList{QStringLiteral("key")});
    // What the program made is gone; what it did not make stays as it was, but the trace's own
    // name is cleared at every start.
    const QFileInfo left(entry);
    if (planted == OwnEmptyFile)
        QVERIFY(!left.exists());
    else if (name == QLatin1String("HHDebug.txt") && planted != Folder)
        QVERIFY(left.isFile() && !left.isSymLink());
    else {
        QVERIFY(left.exists() || left.isSymLink());
        QCOMPARE(mode(entry), entryMode);
    }
    if (planted == Folder)
        QCOMPARE(ReadBytes(entry + QStringLiteral("/inside")), QByteArray("kept"));
}

// With an unwritable program folder the trace goes to a folder of the user's own: the runtime
// folder when there is one, else a folder made for the user in the shared temporary folder.
void TestHelpBinding::traceFallbackIsPrivate_data() {
    QTest::addColumn<bool>("runtime");
    QTest::newRow("runtime folder") << true;
    QTest::newRow("no runtime folder") << false;
}

void TestHelpBinding::traceFallbackIsPrivate() {
    QFETCH(bool, runtime);
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray savedTemp = qgetenv("TMPDIR");
    const auto restore = qScopeGuard([&] {
        for (const auto &[name, value] :
             {std::pair{"XDG_RUNTIME_DIR", savedRuntime}, std::pair{"TMPDIR", savedTemp}}) {
            if (value.isEmpty())
                qunsetenv(name);
            else
                qputenv(name, value);
        }
    });
    const QString runtimeFolder = root_->filePath(QStringLiteral("runtime"));
    QVERIFY(QDir().mkpath(runtimeFolder));
    QVERIFY(QFile::setPermissions(runtimeFolder,
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    if (runtime)
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeFolder));
    else
        qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", QFile::encodeName(environment_.tempDir));
    environment_.tempDir.clear();
    const QString blocker = root_->filePath(QStringLiteral("blocker"));
    QVERIFY(WriteFile(blocker, "a file, not a folder"));
    environment_.programDir = blocker + QStringLiteral("/program/");
    const TDLogFile log({QStringLiteral("tavorim"), QStringLiteral("/debug")},
                        QStringLiteral("2.4"));

    const QString folder = runtime
                               ? runtimeFolder + QStringLiteral("/tavorim")
                               : root_->filePath(QStringLiteral("temp/tavorim-%1").arg(geteuid()));
    QCOMPARE(log.logFile(), folder + QStringLiteral("/HHDebug.txt"));
    QVERIFY(!ReadBytes(log.logFile()).isEmpty());
    QCOMPARE(QFileInfo(folder).permissions() &
                 (QFile::ReadOther | QFile::WriteOther | QFile::ExeOther | QFile::ReadGroup |
                  QFile::WriteGroup | QFile::ExeGroup),
             QFile::Permissions());
}

QTEST_MAIN(TestHelpBinding)
#include "tst_help_binding.moc"

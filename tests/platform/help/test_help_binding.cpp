// The help binding: the loader, the help hook, the trace and the main window's help calls,
// each run against a program folder of its own.

#include "Application.h"
#include "HelpProject.h"
#include "MessageBox.h"
#include "hh.h"
#include "hh_funcs.h"

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <optional>

using namespace tavorim;

namespace {

enum Module { NoModule, VersionedModule, UnversionedModule };

class TestEnvironment : public HelpEnvironment {
public:
    std::optional<QString> registryValue;
    QString programFolder;
    QString windowsFolder;
    QString tempFolder;

    bool ReadRegistryDefault(const QString &key, QString &value) const override {
        if (key != QLatin1String(HelpControlRegistryKey) || !registryValue)
            return false;
        value = *registryValue;
        return true;
    }
    QString WindowsFolder() const override { return windowsFolder; }
    QString TempFolder() const override { return tempFolder; }
    QString ProgramFolder() const override { return programFolder; }
};

QList<QWidget *> ViewerWindows() {
    QList<QWidget *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->findChild<QTextBrowser *>(QStringLiteral("page")))
            windows.append(widget);
    return windows;
}

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

QByteArray ReadFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The trace's event lines, without their time of day; the header lines carry no time.
const QRegularExpression TimedLine(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d   (.*)$"));

QStringList EventLines(const QString &path) {
    QStringList events;
    for (const QString &line : QString::fromUtf8(ReadFile(path)).split(QLatin1Char('\n'))) {
        const auto match = TimedLine.match(line);
        if (match.hasMatch())
            events.append(match.captured(1));
    }
    return events;
}

int contextCalls = 0;
int popupCalls = 0;
std::int32_t lastCallbackContext = 0;
void RecordContext(std::int32_t context) {
    ++contextCalls;
    lastCallbackContext = context;
}
void RecordPopup(std::int32_t context, int, int) {
    ++popupCalls;
    lastCallbackContext = context;
}

} // namespace

Q_DECLARE_METATYPE(Module)

class TestHelpBinding : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void loaderAndInstalledState_data();
    void loaderAndInstalledState();
    void registeredControlPath_data();
    void registeredControlPath();
    void registeredControlIsLoadedWhenTheProgramFolderHasNone();

    void f1WithoutViewerShowsTheMessageEachTime_data();
    void f1WithoutViewerShowsTheMessageEachTime();
    void f1WithViewerShowsContext100();
    void installedButNotLoadedShowsTheMessage();
    void documentationCommand_data();
    void documentationCommand();
    void windowOpenAtExitIsClosedBeforeTheRelease();

    void helpHookCommandTable_data();
    void helpHookCommandTable();
    void chainingAndRestoringThePreviousHandler();

    void traceOfADebugRun();
    void traceWriteRules_data();
    void traceWriteRules();
    void debugSwitches_data();
    void debugSwitches();
    void oldTraceIsDeletedAtEveryStart_data();
    void oldTraceIsDeletedAtEveryStart();
    void traceGoesToTheTemporaryFolderWhenTheProgramFolderIsNotWritable();

private:
    void InstallModule(Module module, const QString &folder);
    void InstallHelpFile();

    std::optional<QTemporaryDir> root_;
    TestEnvironment environment_;
};

void TestHelpBinding::init() {
    root_.emplace();
    QVERIFY(root_->isValid());
    const QDir root(root_->path());
    for (const char *folder : {"program", "windows", "temp", "other"})
        QVERIFY(root.mkpath(QLatin1String(folder)));
    environment_ = TestEnvironment();
    environment_.programFolder = root.filePath(QStringLiteral("program")) + QLatin1Char('/');
    environment_.windowsFolder = root.filePath(QStringLiteral("windows"));
    environment_.tempFolder = root.filePath(QStringLiteral("temp"));
    SetHelpEnvironmentForTests(&environment_);
    TApplication::instance().ResetForTests();
    MessageBox::clearShown();
    MessageBox::setAutoAnswer(MessageBox::Ok);
}

void TestHelpBinding::cleanup() {
    HHCloseWindows();
    FinishHelp();
    QVERIFY(!HHViewerLoaded());
    QVERIFY(ViewerWindows().isEmpty());
    _hhInstalled = false;
    MessageBox::setAutoAnswer(MessageBox::NoButton);
    TApplication::instance().ResetForTests();
    SetHelpEnvironmentForTests(nullptr);
    root_.reset();
}

void TestHelpBinding::InstallModule(Module module, const QString &folder) {
    if (module == NoModule)
        return;
    QByteArray bytes = ReadFile(help_test::BuiltViewer());
    QVERIFY(!bytes.isEmpty());
    if (module == UnversionedModule) {
        const QByteArray marker(HHCTRL_VERSION_MARKER);
        QVERIFY(bytes.contains(marker));
        bytes.replace(marker, QByteArray(marker.size(), 'x'));
    }
    QVERIFY(WriteFile(folder + QStringLiteral("/hhctrl.ocx"), bytes));
}

void TestHelpBinding::InstallHelpFile() {
    QVERIFY(QFile::copy(help_test::BuiltHelpFile(), HelpFilePath()));
}

void TestHelpBinding::loaderAndInstalledState_data() {
    QTest::addColumn<Module>("module");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<bool>("installed");
    QTest::newRow("module with its version") << VersionedModule << true << true;
    QTest::newRow("no module") << NoModule << false << false;
    QTest::newRow("module without a version record") << UnversionedModule << true << false;
}

void TestHelpBinding::loaderAndInstalledState() {
    QFETCH(Module, module);
    QFETCH(bool, loaded);
    QFETCH(bool, installed);
    InstallModule(module, environment_.programFolder);
    StartHelp({QStringLiteral("tavorim")});
    QCOMPARE(HHViewerLoaded(), loaded);
    QCOMPARE(HtmlHelpA != nullptr, loaded);
    QCOMPARE(HtmlHelpW != nullptr, loaded);
    QCOMPARE(_hhInstalled, installed);
    QCOMPARE(HHFileVersion(environment_.programFolder + "hhctrl.ocx").isEmpty(), !installed);
    // Loading twice keeps the one module.
    const auto entry = HtmlHelpA;
    HHLoadViewer();
    QVERIFY(HtmlHelpA == entry);
    FinishHelp();
    QVERIFY(!HHViewerLoaded());
    QVERIFY(!HtmlHelpA);
    QVERIFY(!HtmlHelpW);
}

void TestHelpBinding::registeredControlPath_data() {
    QTest::addColumn<bool>("hasValue");
    QTest::addColumn<QString>("value");    // "{other}" stands for another folder
    QTest::addColumn<QString>("expected"); // "windows", "other" or "system"
    QTest::newRow("no value") << false << QString() << "system";
    QTest::newRow("%SystemRoot% prefix") << true << "%SystemRoot%/hhctrl.ocx"
                                         << "windows";
    QTest::newRow("prefix in capitals") << true << "%SYSTEMROOT%/hhctrl.ocx"
                                        << "windows";
    QTest::newRow("prefix in small letters") << true << "%systemroot%/hhctrl.ocx"
                                             << "windows";
    QTest::newRow("prefix alone names a folder") << true << "%SystemRoot%"
                                                 << "system";
    QTest::newRow("eleven characters are no prefix") << true << "%SystemRoot"
                                                     << "system";
    QTest::newRow("registered file missing") << true << "%SystemRoot%/absent.ocx"
                                             << "system";
    QTest::newRow("plain path") << true << "{other}/hhctrl.ocx"
                                << "other";
    QTest::newRow("empty value") << true << QString() << "system";
}

void TestHelpBinding::registeredControlPath() {
    QFETCH(bool, hasValue);
    QFETCH(QString, value);
    QFETCH(QString, expected);
    const QString other = root_->filePath(QStringLiteral("other"));
    InstallModule(VersionedModule, environment_.windowsFolder);
    InstallModule(VersionedModule, other);
    if (hasValue)
        environment_.registryValue = QString(value).replace(QStringLiteral("{other}"), other);
    const QString folder = expected == QLatin1String("windows") ? environment_.windowsFolder
                           : expected == QLatin1String("other")
                               ? other
                               : QDir::cleanPath(environment_.programFolder);
    QCOMPARE(QDir::cleanPath(HHRegisteredControlPath()), folder + QStringLiteral("/hhctrl.ocx"));
}

void TestHelpBinding::registeredControlIsLoadedWhenTheProgramFolderHasNone() {
    InstallModule(VersionedModule, environment_.windowsFolder);
    environment_.registryValue = QStringLiteral("%SystemRoot%/hhctrl.ocx");
    StartHelp({QStringLiteral("tavorim")});
    QVERIFY(HHViewerLoaded());
    QVERIFY(HtmlHelpA);
    QVERIFY(_hhInstalled);
}

void TestHelpBinding::f1WithoutViewerShowsTheMessageEachTime_data() {
    QTest::addColumn<Module>("module");
    QTest::newRow("no module") << NoModule;
    QTest::newRow("module without a version record") << UnversionedModule;
}

void TestHelpBinding::f1WithoutViewerShowsTheMessageEachTime() {
    QFETCH(Module, module);
    InstallModule(module, environment_.programFolder);
    InstallHelpFile();
    StartHelp({QStringLiteral("tavorim")});
    THookHelpSystem hook(HelpFilePath(), QString(), 0);
    for (int press = 1; press <= 3; ++press) {
        QVERIFY(TApplication::instance().HelpCommand(HELP_CONTEXT, 100));
        QCOMPARE(MessageBox::shown().size(), press);
        const MessageBox::Shown &box = MessageBox::shown().back();
        QCOMPARE(box.title, TApplication::instance().Title());
        QCOMPARE(box.text, QStringLiteral("MS Html Help is not installed on this PC."));
        QCOMPARE(box.icon, MessageBox::Warning);
        QCOMPARE(box.buttons, int(MessageBox::Ok));
    }
    QApplication::processEvents();
    QVERIFY(ViewerWindows().isEmpty());
}

void TestHelpBinding::f1WithViewerShowsContext100() {
    InstallModule(VersionedModule, environment_.programFolder);
    InstallHelpFile();
    StartHelp({QStringLiteral("tavorim")});
    THookHelpSystem hook(HelpFilePath(), QString(), 0);
    QVERIFY(TApplication::instance().HelpCommand(HELP_CONTEXT, 100));
    QTRY_COMPARE(ShownPage(), help_test::ProjectContextTopic(100));
    QVERIFY(MessageBox::shown().isEmpty());
    // An unmapped context is the viewer's silence, not an error of ours.
    QVERIFY(TApplication::instance().HelpCommand(HELP_CONTEXT, 4242));
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestHelpBinding::installedButNotLoadedShowsTheMessage() {
    StartHelp({QStringLiteral("tavorim")});
    QVERIFY(!HHViewerLoaded());
    _hhInstalled = true; // the control counts as installed, but its module did not load
    THookHelpSystem hook(HelpFilePath(), QString(), 0);
    QVERIFY(TApplication::instance().HelpCommand(HELP_CONTEXT, 100));
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::shown().front().text, QString::fromLatin1(HHNotInstalledText));
}

void TestHelpBinding::documentationCommand_data() {
    QTest::addColumn<Module>("module");
    QTest::addColumn<bool>("opens");
    QTest::newRow("module with its version") << VersionedModule << true;
    // The command asks for no installed test: a loaded module is called.
    QTest::newRow("module without a version record") << UnversionedModule << true;
    QTest::newRow("no module") << NoModule << false;
}

void TestHelpBinding::documentationCommand() {
    QFETCH(Module, module);
    QFETCH(bool, opens);
    InstallModule(module, environment_.programFolder);
    InstallHelpFile();
    StartHelp({QStringLiteral("tavorim")});
    HHDisplayTopic();
    if (opens) {
        QTRY_COMPARE(ShownPage(), help_test::ProjectDefaultTopic());
        QVERIFY(MessageBox::shown().isEmpty());
    } else {
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().front().text, QString::fromLatin1(HHNotInstalledText));
        QVERIFY(ViewerWindows().isEmpty());
    }
}

void TestHelpBinding::windowOpenAtExitIsClosedBeforeTheRelease() {
    InstallModule(VersionedModule, environment_.programFolder);
    InstallHelpFile();
    StartHelp({QStringLiteral("tavorim")});
    auto hook = std::make_unique<THookHelpSystem>(HelpFilePath(), QString(), 0);
    HHDisplayTopic();
    QTRY_COMPARE(ShownPage(), help_test::ProjectDefaultTopic());
    const QPointer<QWidget> window = ViewerWindows().front();

    hook.reset(); // the main window's destruction: the hook first...
    QVERIFY(window.isNull());
    QVERIFY(HHViewerLoaded());
    HHCloseWindows(); // ...then a close-all of its own
    QVERIFY(HHViewerLoaded());
    FinishHelp();
    QVERIFY(!HHViewerLoaded());
    QVERIFY(!HtmlHelpA);
    HHCloseWindows(); // harmless once released
}

void TestHelpBinding::helpHookCommandTable_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<qint64>("data");
    QTest::addColumn<bool>("callDefault");
    QTest::addColumn<int>("contextCalls");
    QTest::addColumn<int>("popupCalls");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::newRow("HELP_CONTEXT") << 1 << qint64(100) << false << 1 << 0 << 0 << 0;
    QTest::newRow("HELP_CONTEXTPOPUP") << 8 << qint64(7) << false << 0 << 1 << 0 << 0;
    QTest::newRow("HELP_SETPOPUP_POS") << 13 << qint64(0x0014000A) << false << 0 << 0 << 10 << 20;
    QTest::newRow("HELP_SETPOPUP_POS negative")
        << 13 << qint64(std::int32_t(0xFFFEFFFFu)) << false << 0 << 0 << -1 << -2;
    QTest::newRow("HELP_SETPOPUP_POS extremes")
        << 13 << qint64(std::int32_t(0x80007FFFu)) << false << 0 << 0 << 32767 << -32768;
    QTest::newRow("HELP_QUIT") << 2 << qint64(0) << true << 0 << 0 << 0 << 0;
    QTest::newRow("HELP_INDEX") << 3 << qint64(0) << true << 0 << 0 << 0 << 0;
    QTest::newRow("unnamed command") << 99 << qint64(5) << true << 0 << 0 << 0 << 0;
}

void TestHelpBinding::helpHookCommandTable() {
    QFETCH(int, command);
    QFETCH(qint64, data);
    QFETCH(bool, callDefault);
    QFETCH(int, contextCalls);
    QFETCH(int, popupCalls);
    QFETCH(int, x);
    QFETCH(int, y);
    ::contextCalls = ::popupCalls = 0;
    lastCallbackContext = -1;
    StartHelp({QStringLiteral("tavorim")});
    THookHelpSystem hook(HelpFilePath(), QString(), 0);
    hook.SetContextCallback(RecordContext);
    hook.SetPopupCallback(RecordPopup);
    bool askedDefault = !callDefault;
    QVERIFY(hook.HelpHook(std::uint16_t(command), std::int32_t(data), askedDefault));
    QCOMPARE(askedDefault, callDefault);
    QCOMPARE(::contextCalls, contextCalls);
    QCOMPARE(::popupCalls, popupCalls);
    if (contextCalls + popupCalls > 0)
        QCOMPARE(lastCallbackContext, std::int32_t(data));
    QCOMPARE(hook.PopupX(), x);
    QCOMPARE(hook.PopupY(), y);
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestHelpBinding::chainingAndRestoringThePreviousHandler() {
    StartHelp({QStringLiteral("tavorim")});
    int previousCalls = 0;
    TApplication::instance().SetOnHelp([&](std::uint16_t, std::int32_t, bool &callDefault) {
        ++previousCalls;
        callDefault = true;
        return false;
    });
    {
        THookHelpSystem hook(HelpFilePath(), QString(), 0);
        QVERIFY(TApplication::instance().HelpCommand(HELP_QUIT, 0));
        QCOMPARE(previousCalls, 0);
        hook.SetChainDoHelp(true);
        bool callDefault = false;
        QVERIFY(!hook.HelpHook(HELP_SETPOPUP_POS, 0x00020001, callDefault));
        QCOMPARE(previousCalls, 1);
        QVERIFY(!callDefault); // the table still has the last word
        QCOMPARE(hook.PopupX(), 1);
    }
    QVERIFY(!TApplication::instance().HelpCommand(HELP_CONTEXT, 100));
    QCOMPARE(previousCalls, 2);
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestHelpBinding::traceOfADebugRun() {
    StartHelp({QStringLiteral("tavorim"), QStringLiteral("-DEBUG")});
    QVERIFY(HelpLog() && HelpLog()->DebugMode());
    const QString trace = environment_.programFolder + QStringLiteral("HHDebug.txt");
    QCOMPARE(HelpLog()->LogFile(), trace);
    const QString path = HelpFilePath();
    {
        THookHelpSystem hook(path, QString(), 0);
        TApplication::instance().HelpCommand(HELP_INDEX, 0);
        TApplication::instance().HelpCommand(HELP_CONTEXT, 100);
        TApplication::instance().HelpCommand(99, -5);
        TApplication::instance().HelpCommand(HELP_QUIT, 0);
    }
    HHHelpContext(QStringLiteral(" my%20help.chm "), 5, QStringLiteral("win"), 0);
    FinishHelp();

    const QString box = QString::fromLatin1(HHNotInstalledText);
    const QStringList expected{
        QStringLiteral("THookHelpSystem.Create(\"%1\",\"\", 0)").arg(path),
        QStringLiteral("THookHelpSystem.HelpHook(3 (HELP_INDEX or HELP_CONTENTS), 0)"),
        QStringLiteral("THookHelpSystem.HelpHook(1 (HELP_CONTEXT), 100)"),
        QStringLiteral("HHHelpContext(\"%1\", 100, \"\", 0)").arg(path),
        QStringLiteral("ShowContext(\"%1\", 100)").arg(path),
        QStringLiteral("  returned - 1"),
        QStringLiteral("HHShowError(1), \"%1\"").arg(box),
        QStringLiteral("THookHelpSystem.HelpHook(99 (?\?), -5)"),
        QStringLiteral("THookHelpSystem.HelpHook(2 (HELP_QUIT), 0)"),
        QStringLiteral("THookHelpSystem.Destroy"),
        QStringLiteral("HHHelpContext(\" my%20help.chm \", 5, \"win\", 0)"),
        QStringLiteral("ShowContext(\"my help.chm>win\", 5)"),
        QStringLiteral("  returned - 1"),
    };
    QCOMPARE(EventLines(trace), expected);

    // The header comes first, framed by rules of 79, and names the trace itself.
    const QStringList lines = QString::fromUtf8(ReadFile(trace)).split(QLatin1Char('\n'));
    QCOMPARE(lines.front(), QString(79, QLatin1Char('=')));
    const qsizetype rule = lines.indexOf(QString(79, QLatin1Char('-')));
    QVERIFY(rule > 0);
    QVERIFY(!TimedLine.match(lines[rule - 1]).hasMatch());
    QVERIFY(TimedLine.match(lines[rule + 1]).hasMatch());
    QVERIFY(lines.mid(0, rule).join(QLatin1Char('\n')).contains(trace));
}

void TestHelpBinding::traceWriteRules_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("written");
    QTest::addColumn<bool>("timed");
    QTest::newRow("plain") << "plain text"
                           << "plain text" << true;
    QTest::newRow("empty") << QString() << QString() << true;
    QTest::newRow("exclamation") << "!Facts: 1"
                                 << "Facts: 1" << false;
    QTest::newRow("dash rule") << "-" << QString(79, '-') << false;
    QTest::newRow("equals rule") << "=" << QString(79, '=') << false;
    QTest::newRow("dash text") << "-text"
                               << "text" << false;
    QTest::newRow("two dashes") << "--"
                                << "-" << false;
    QTest::newRow("exclamation alone") << "!" << QString() << false;
}

void TestHelpBinding::traceWriteRules() {
    QFETCH(QString, line);
    QFETCH(QString, written);
    QFETCH(bool, timed);
    const TDLogFile log({QStringLiteral("tavorim"), QStringLiteral("/debug")});
    const qsizetype before = ReadFile(log.LogFile()).size();
    log.Write(line);
    const QByteArray added = ReadFile(log.LogFile()).mid(before);
    QVERIFY(added.endsWith('\n'));
    const QString text = QString::fromUtf8(added.chopped(1));
    QVERIFY(!text.contains(QLatin1Char('\n')));
    const auto match = TimedLine.match(text);
    QCOMPARE(match.hasMatch(), timed);
    QCOMPARE(timed ? match.captured(1) : text, written);
}

void TestHelpBinding::debugSwitches_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("marker");
    QTest::addColumn<bool>("debug");
    const QString program = QStringLiteral("tavorim");
    QTest::newRow("/debug") << QStringList{program, "/debug"} << false << true;
    QTest::newRow("-debug") << QStringList{program, "-debug"} << false << true;
    QTest::newRow("mixed case") << QStringList{program, "x", "-DeBuG"} << false << true;
    QTest::newRow("marker file") << QStringList{program} << true << true;
    QTest::newRow("nothing") << QStringList{program} << false << false;
    QTest::newRow("--debug") << QStringList{program, "--debug"} << false << false;
    QTest::newRow("debug without sign") << QStringList{program, "debug"} << false << false;
    QTest::newRow("program path only") << QStringList{"/debug"} << false << false;
}

void TestHelpBinding::debugSwitches() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, marker);
    QFETCH(bool, debug);
    if (marker)
        QVERIFY(WriteFile(environment_.programFolder + "debug.debug", QByteArray()));
    StartHelp(arguments);
    QCOMPARE(HelpLog()->DebugMode(), debug);
    {
        THookHelpSystem hook(HelpFilePath(), QString(), 0);
        TApplication::instance().HelpCommand(HELP_QUIT, 0);
    }
    FinishHelp();
    const QString trace = environment_.programFolder + "HHDebug.txt";
    QCOMPARE(QFileInfo::exists(trace), debug);
    QCOMPARE(EventLines(trace).size(), debug ? 3 : 0);
    QVERIFY(!QFileInfo::exists(environment_.programFolder + "$_Temp_$.$$$"));
}

void TestHelpBinding::oldTraceIsDeletedAtEveryStart_data() {
    QTest::addColumn<bool>("debug");
    QTest::newRow("without debug") << false;
    QTest::newRow("in debug mode") << true;
}

void TestHelpBinding::oldTraceIsDeletedAtEveryStart() {
    QFETCH(bool, debug);
    const QString trace = environment_.programFolder + "HHDebug.txt";
    QVERIFY(WriteFile(trace, "12:00:00.000   line of an earlier run\n"));
    QVERIFY(QFile::setPermissions(trace, QFile::ReadOwner)); // read-only, as left behind
    StartHelp(debug ? QStringList{"tavorim", "-debug"} : QStringList{"tavorim"});
    FinishHelp();
    QCOMPARE(QFileInfo::exists(trace), debug);
    QVERIFY(!ReadFile(trace).contains("earlier run"));
}

// The program folder is made unwritable by placing it under a regular file: a folder that
// cannot exist takes no probe, even for root, who writes into read-only folders.
void TestHelpBinding::traceGoesToTheTemporaryFolderWhenTheProgramFolderIsNotWritable() {
    const QString blocker = root_->filePath(QStringLiteral("blocker"));
    QVERIFY(WriteFile(blocker, "a file, not a folder"));
    environment_.programFolder = blocker + QStringLiteral("/program/");
    const QString trace = environment_.tempFolder + QStringLiteral("/HHDebug.txt");

    // Without debug an old trace in the temporary folder goes away...
    QVERIFY(WriteFile(trace, "old"));
    StartHelp({QStringLiteral("tavorim")});
    QCOMPARE(HelpLog()->LogFile(), trace);
    FinishHelp();
    QVERIFY(!QFileInfo::exists(trace));

    // ...and in debug mode the trace is written there.
    StartHelp({QStringLiteral("tavorim"), QStringLiteral("/debug")});
    QCOMPARE(HelpLog()->LogFile(), trace);
    { THookHelpSystem hook(HelpFilePath(), QString(), 0); }
    FinishHelp();
    QCOMPARE(EventLines(trace).size(), 2);
    QVERIFY(QDir(environment_.tempFolder).entryList(QDir::Files) == QStringList{"HHDebug.txt"});
}

QTEST_MAIN(TestHelpBinding)
#include "test_help_binding.moc"

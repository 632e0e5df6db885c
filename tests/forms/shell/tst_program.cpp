// The program itself, as real processes: the single-instance guard between copies, and the
// exit report as a real HTTP peer on loopback receives it (the peer stands as the proxy named
// by http_proxy), or an https peer it redirects to. The window cases run under an Xvfb server with
// openbox, from the launcher the end-to-end scenarios share.
#include "Application.h"
#include "DisplayProbe.h"
#include "HttpPeer.h"
#include "LockFileRendezvous.h"
#include "OnlyOne.h"
#include "Web.h"
#include "XServer.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSslKey>
#include <QSslServer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <csignal>
#include <functional>
#include <optional>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using tavorim::LockFileRendezvous;
using tavorim::lowColorText;
using tavorim::MinimumColorDepth;

namespace {

// The environment with the settings made: NAME=value, or NAME alone to remove it.
QProcessEnvironment withSettings(QProcessEnvironment environment, const QStringList &settings) {
    for (const QString &setting : settings) {
        const qsizetype equals = setting.indexOf(QLatin1Char('='));
        if (equals < 0)
            environment.remove(setting);
        else
            environment.insert(setting.left(equals), setting.mid(equals + 1));
    }
    return environment;
}

QString programPath() {
    return qEnvironmentVariable("TAVORIM_PROGRAM_DIR") + QStringLiteral("/tavorim");
}

// One second of pause after "&Oui", then the end; the bound leaves room for a loaded machine
// and the sanitizers.
constexpr qint64 ExitBoundMs = 2000;

// The guard's name as the program builds it from its title.
const QString GuardAtom =
    QStringLiteral("OnlyOne") + tavorim::ApplicationTitle::fromProgramPath(programPath()).left(20);

// Runs a helper to its end; its standard output, or nothing when it did not end in time.
// The exit code is not looked at: xdotool reports failures of the window manager's hints that
// do not matter here, and the tests check the effects instead.
std::optional<QString> runTool(const QString &program, const QStringList &arguments,
                               const QProcessEnvironment &environment, int timeoutMs = 20000) {
    QProcess tool;
    tool.setProcessEnvironment(environment);
    tool.start(program, arguments);
    if (!tool.waitForFinished(timeoutMs)) {
        tool.kill();
        tool.waitForFinished();
        return std::nullopt;
    }
    return QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
}

// A certificate for 127.0.0.1 and its key, made by the openssl tool into the folder given.
bool makeCertificate(const QString &folder, QSslConfiguration &configuration) {
    QProcess openssl;
    openssl.setWorkingDirectory(folder);
    openssl.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                   "-nodes", "-keyout", "key.pem", "-out", "certificate.pem", "-days", "1", "-subj",
                   "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"});
    QFile key(folder + QStringLiteral("/key.pem"));
    if (!openssl.waitForFinished(20000) || openssl.exitCode() != 0 ||
        !key.open(QIODevice::ReadOnly))
        return false;
    configuration.setLocalCertificate(
        QSslCertificate::fromPath(folder + QStringLiteral("/certificate.pem")).value(0));
    configuration.setPrivateKey(QSslKey(&key, QSsl::Ec));
    return !configuration.localCertificate().isNull() && !configuration.privateKey().isNull();
}

// A proxy on loopback that answers the first request with an endless body, sent as fast as
// the connection takes it, or a byte every tenth of a second, up to a bound that keeps the
// machine safe.
class FloodingProxy {
public:
    static constexpr qint64 Bound = 256LL * 1024 * 1024;

    explicit FloodingProxy(bool slowly = false) : slowly_(slowly) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr *>(&address), length) ||
            ::listen(listener_, 4) ||
            ::getsockname(listener_, reinterpret_cast<sockaddr *>(&address), &length))
            return;
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~FloodingProxy() {
        ::shutdown(listener_, SHUT_RDWR);
        if (thread_.joinable())
            thread_.join();
        ::close(listener_);
    }
    QString proxy() const { return QStringLiteral("http://127.0.0.1:%1").arg(port_); }
    bool asked() const { return asked_; }

private:
    void serve() {
        const int peer = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (peer < 0)
            return;
        char request[4096];
        if (::recv(peer, request, sizeof request, 0) > 0) {
            asked_ = true;
            const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Length: 1073741824\r\n\r\n";
            const QByteArray body(64 * 1024, 'x');
            qint64 sent = ::send(peer, head.constData(), std::size_t(head.size()), MSG_NOSIGNAL);
            while (sent > 0 && sent < Bound) {
                if (slowly_)
                    ::poll(nullptr, 0, 100);
                const ssize_t n = ::send(peer, body.constData(),
                                         slowly_ ? 1 : std::size_t(body.size()), MSG_NOSIGNAL);
                sent = n > 0 ? sent + n : -1;
            }
        }
        ::close(peer);
    }

    bool slowly_;
    int listener_ = -1;
    quint16 port_ = 0;
    std::thread thread_;
    std::atomic<bool> asked_{false};
};

// A name server on a loopback address that takes every question and answers none. It needs
// port 53, hence root.
class SilentNameServer {
public:
    SilentNameServer() {
        socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        // An address of its own in 127/8, so that no other test or service is in the way.
        for (int attempt = 0; attempt < 20 && socket_ >= 0 && address_.isEmpty(); ++attempt) {
            const quint32 host =
                0x7F000000u | (QRandomGenerator::global()->bounded(1u, 0xFFFFu) << 8) | 1u;
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_port = htons(53);
            address.sin_addr.s_addr = htonl(host);
            if (::bind(socket_, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0)
                address_ = QHostAddress(host).toString();
        }
    }
    ~SilentNameServer() {
        if (socket_ >= 0)
            ::close(socket_);
    }
    QString address() const { return address_; }
    // Whether a question has come in (and it was left unanswered).
    bool asked() const {
        char question[512];
        return ::recv(socket_, question, sizeof question, MSG_DONTWAIT | MSG_PEEK) > 0;
    }

private:
    int socket_ = -1;
    QString address_;
};

qint64 peakResidentKb(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

} // namespace

class TestProgram : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void secondCopyEndsAndFirstKeepsTheGuard();
    void killedCopyLeavesNoMark();
    void twoCopiesAtOnceLeaveOne();
    void firstCopyIsBroughtForward_data();
    void firstCopyIsBroughtForward();
    void exitReportReachesThePeer_data();
    void exitReportReachesThePeer();
    void unusableDisplayEndsInFrench_data();
    void unusableDisplayEndsInFrench();
    void lowColorDisplayIsRefused_data();
    void lowColorDisplayIsRefused();
    void hostileNetworkCannotHoldTheExit_data();
    void hostileNetworkCannotHoldTheExit();

private:
    QProcess *start(const QProcessEnvironment &environment, const QString &program = {},
                    const QStringList &arguments = {}, std::optional<QString> proxy = {});
    void quitWithYes(QProcess *copy, qint64 &ending,
                     const std::function<void(qint64)> &meanwhile = {});
    static bool haveDisplayTools();
    bool startDisplay(bool windowManager = true);
    QString windowOf(const QString &title, int timeoutMs = 30000,
                     const std::optional<QProcessEnvironment> &environment = {});
    QProcessEnvironment x11() const;
    static QProcessEnvironment onDisplay(const QString &display);
    QProcess *startCapturingErrors(const QProcessEnvironment &environment,
                                   const QString &program = {}, const QStringList &arguments = {});

    tavorim::HttpPeer peer_;
    QList<QProcess *> copies_;
    XServer x11_;
};

void TestProgram::initTestCase() {
    QVERIFY2(QFileInfo(programPath()).isExecutable(), qPrintable(programPath()));
    QVERIFY(peer_.isListening());
    // A DISPLAY name of this run's own: the copies of another run of this test never meet ours.
    qputenv("DISPLAY", "tst_program-" + QByteArray::number(QCoreApplication::applicationPid()));
}

void TestProgram::cleanup() {
    for (QProcess *copy : copies_) {
        if (copy->state() != QProcess::NotRunning) {
            copy->kill();
            copy->waitForFinished();
        }
        delete copy;
    }
    copies_.clear();
    peer_.received.clear();
    peer_.connections = 0;
    peer_.answers = true;
    peer_.redirect.clear();
}

// The program (or the one given) with its arguments; its proxy is the peer unless another,
// or none (empty), is given.
QProcess *TestProgram::start(const QProcessEnvironment &environment, const QString &program,
                             const QStringList &arguments, std::optional<QString> proxy) {
    auto *copy = new QProcess;
    copies_.append(copy);
    QProcessEnvironment env = environment;
    for (const char *name :
         {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "no_proxy", "NO_PROXY"})
        env.remove(QLatin1String(name));
    if (const QString through = proxy.value_or(peer_.proxy()); !through.isEmpty())
        env.insert(QStringLiteral("http_proxy"), through);
    copy->setProcessEnvironment(env);
    copy->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    copy->start(program.isEmpty() ? programPath() : program, arguments);
    return copy;
}

// Offscreen copies share this test's own DISPLAY name, so they meet each other and no one else.
void TestProgram::secondCopyEndsAndFirstKeepsTheGuard() {
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QProcess *first = start(env);
    QTRY_COMPARE_WITH_TIMEOUT(LockFileRendezvous().holder(GuardAtom), first->processId(), 30000);
    QProcess *second = start(env);
    // A confirmation box would wait for ever on the offscreen platform: ending is the proof
    // that none was asked.
    QTRY_COMPARE_WITH_TIMEOUT(second->state(), QProcess::NotRunning, 30000);
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(first->state(), QProcess::Running);
    QCOMPARE(LockFileRendezvous().holder(GuardAtom), first->processId());
    QCOMPARE(peer_.connections, 0); // no exit report
}

void TestProgram::killedCopyLeavesNoMark() {
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QProcess *first = start(env);
    QTRY_COMPARE_WITH_TIMEOUT(LockFileRendezvous().holder(GuardAtom), first->processId(), 30000);
    ::kill(pid_t(first->processId()), SIGKILL);
    QVERIFY(first->waitForFinished());
    QCOMPARE(LockFileRendezvous().holder(GuardAtom), 0);
    QProcess *next = start(env);
    QTRY_COMPARE_WITH_TIMEOUT(LockFileRendezvous().holder(GuardAtom), next->processId(), 30000);
    QCOMPARE(next->state(), QProcess::Running);
}

void TestProgram::twoCopiesAtOnceLeaveOne() {
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QProcess *a = start(env);
    QProcess *b = start(env);
    QTRY_VERIFY_WITH_TIMEOUT(
        a->state() == QProcess::NotRunning || b->state() == QProcess::NotRunning, 30000);
    QProcess *ended = a->state() == QProcess::NotRunning ? a : b;
    QProcess *survivor = ended == a ? b : a;
    QCOMPARE(ended->exitCode(), 0);
    QCOMPARE(LockFileRendezvous().holder(GuardAtom), survivor->processId());
    QCOMPARE(survivor->state(), QProcess::Running);
}

bool TestProgram::haveDisplayTools() {
    for (const char *tool : {"Xvfb", "openbox", "xdotool", "xprop", "python3"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return false;
    }
    return true;
}

// An X server with a window manager (or without one), shared by the window cases.
bool TestProgram::startDisplay(bool windowManager) {
    return x11_.start(windowManager ? QStringList() : QStringList{"--no-window-manager"});
}

QProcessEnvironment TestProgram::x11() const {
    return onDisplay(x11_.display());
}

QProcessEnvironment TestProgram::onDisplay(const QString &display) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    // libxkbcommon-x11 reads past a string end on purpose-sized buffers; the strict string
    // checks would stop the program inside that system library.
    QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
    asan.replace(QStringLiteral("strict_string_checks=1"),
                 QStringLiteral("strict_string_checks=0"));
    env.insert(QStringLiteral("ASAN_OPTIONS"), asan);
    return env;
}

QString TestProgram::windowOf(const QString &title, int timeoutMs,
                              const std::optional<QProcessEnvironment> &environment) {
    // A search can fail outright while the windows of a copy that just ended are still being
    // destroyed, so it is asked again until a window shows or the time is up.
    QString found;
    const bool shown = QTest::qWaitFor(
        [&] {
            found = runTool(QStringLiteral("xdotool"),
                            {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                             QStringLiteral("--name"), title},
                            environment.value_or(x11()), 5000)
                        .value_or(QString());
            return !found.isEmpty();
        },
        timeoutMs);
    return shown ? found.section(QLatin1Char('\n'), 0, 0) : QString();
}

// A first copy minimised, or visible under another window, is brought forward by a second copy
// started in another environment: without the runtime folder (as su, cron or ssh start it), or
// without any session bus. Unset, the bus address would have D-Bus start a bus for the display
// (as the first copy's was): there dbus-launch cannot run. Without a window manager, the first
// copy takes the focus.
void TestProgram::firstCopyIsBroughtForward_data() {
    QTest::addColumn<bool>("minimised");
    QTest::addColumn<QStringList>("second"); // its settings, as unusableDisplayEndsInFrench's
    QTest::addColumn<bool>("noBus");
    QTest::addColumn<bool>("windowManager");
    QTest::newRow("minimised") << true << QStringList{} << false << true;
    QTest::newRow("visible") << false << QStringList{} << false << true;
    QTest::newRow("minimised, no runtime folder")
        << true << QStringList{"XDG_RUNTIME_DIR"} << false << true;
    QTest::newRow("visible, no session bus")
        << false << QStringList{"DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"} << true << true;
    QTest::newRow("visible, no window manager") << false << QStringList{} << false << false;
}

void TestProgram::firstCopyIsBroughtForward() {
    QFETCH(bool, minimised);
    QFETCH(QStringList, second);
    QFETCH(bool, noBus);
    QFETCH(bool, windowManager);
    if (!haveDisplayTools() || QStandardPaths::findExecutable(QStringLiteral("xmessage")).isEmpty())
        QSKIP("Xvfb, openbox, xdotool, xprop, python3 or xmessage is missing");
    const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
    const QString dbusLaunch = QStandardPaths::findExecutable(QStringLiteral("dbus-launch"));
    if (noBus && !dbusLaunch.isEmpty() && (::geteuid() != 0 || unshare.isEmpty()))
        QSKIP("keeping D-Bus from starting a bus needs root and unshare (dbus-launch hidden in a "
              "private mount namespace)");
    QVERIFY2(startDisplay(windowManager), "Xvfb with openbox did not start");
    QTemporaryDir runtime;
    QProcessEnvironment env = x11();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    QProcess *first = start(env);
    const QString window = windowOf(QStringLiteral("^TavoRim v"));
    QVERIFY2(!window.isEmpty(), "the main window did not appear");
    const auto xdotool = [&](const QStringList &arguments) {
        return runTool(QStringLiteral("xdotool"), arguments, x11());
    };
    auto state = [&] {
        return runTool(QStringLiteral("xprop"),
                       {QStringLiteral("-id"), window, QStringLiteral("WM_STATE")}, x11())
            .value_or(QString());
    };
    const auto focused = [&] {
        return xdotool({windowManager ? QStringLiteral("getactivewindow")
                                      : QStringLiteral("getwindowfocus")})
            .value_or(QString());
    };
    if (minimised) {
        // Minimised the moment it shows, the window can come back once: the program asks for
        // its modal window's activation when it sees the window mapped, which a slow
        // (sanitized) build may do only after the minimising. Asked again, it stays minimised.
        const auto minimise = [&] {
            return xdotool({QStringLiteral("windowminimize"), window}).has_value() &&
                   QTest::qWaitFor([&] { return state().contains(QStringLiteral("Iconic")); },
                                   2000);
        };
        QTRY_VERIFY_WITH_TIMEOUT(minimise(), 20000);
    } else {
        start(x11(), QStringLiteral("xmessage"),
              {QStringLiteral("-title"), QStringLiteral("Devant"), QStringLiteral("Devant")},
              QString());
        const QString cover = windowOf(QStringLiteral("^Devant$"));
        QVERIFY2(!cover.isEmpty(), "the window in front did not appear");
        // Asked again while the first copy, still starting, may take the focus back (the check
        // of the QTRY macros would ask once more). That activation of its own, when it comes
        // later still, lets this case pass without the second copy's doing.
        const auto covered = [&] {
            const bool asked =
                windowManager ? xdotool({QStringLiteral("windowactivate"), cover}).has_value()
                              : xdotool({QStringLiteral("windowfocus"), cover}).has_value() &&
                                    xdotool({QStringLiteral("windowraise"), cover}).has_value();
            return asked && QTest::qWaitFor([&] { return focused() == cover; }, 2000);
        };
        QVERIFY2(QTest::qWaitFor(covered, 20000), "the window in front did not take the focus");
    }
    QProcess *copy = noBus && !dbusLaunch.isEmpty()
                         ? start(withSettings(env, second), unshare,
                                 {QStringLiteral("--mount"), QStringLiteral("--propagation"),
                                  QStringLiteral("private"), QStringLiteral("--"),
                                  QStringLiteral("sh"), QStringLiteral("-c"),
                                  QStringLiteral("mount --bind /dev/null \"$0\" && exec \"$1\""),
                                  dbusLaunch, programPath()})
                         : start(withSettings(env, second));
    QTRY_COMPARE_WITH_TIMEOUT(copy->state(), QProcess::NotRunning, 30000);
    QCOMPARE(copy->exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT((!windowManager || state().contains(QStringLiteral("Normal"))) &&
                                 focused() == window,
                             10000);
    QCOMPARE(first->state(), QProcess::Running);
    QCOMPARE(peer_.connections, 0);
}

void TestProgram::exitReportReachesThePeer_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("reported");
    QTest::addColumn<bool>("answers");
    QTest::addColumn<QString>("https"); // where the peer redirects to: "", "trusted", "untrusted"
    QTest::addColumn<QStringList>("options"); // the class settings given on the command line
    QTest::newRow("tavorim, answered") << "tavorim"
                                       << "TAVORIM" << true << "" << QStringList();
    QTest::newRow("a.b, answered") << "a.b"
                                   << "A.B" << true << "" << QStringList();
    QTest::newRow("tavorim, black hole") << "tavorim"
                                         << "TAVORIM" << false << "" << QStringList();
    QTest::newRow("tavorim, redirected to https")
        << "tavorim"
        << "TAVORIM" << true << "trusted" << QStringList();
    QTest::newRow("tavorim, redirected to an untrusted https peer")
        << "tavorim"
        << "TAVORIM" << true << "untrusted" << QStringList();
    QTest::newRow("report switched off") << "tavorim"
                                         << "" << true << "" << QStringList{"--report=off"};
}

void TestProgram::exitReportReachesThePeer() {
    QFETCH(QString, fileName);
    QFETCH(QString, reported);
    QFETCH(bool, answers);
    QFETCH(QString, https);
    QFETCH(QStringList, options);
    if (tavorim::statsAddress().isEmpty())
        QSKIP("built without a statistics address: no report is sent");
    if (!haveDisplayTools())
        QSKIP("Xvfb, openbox, xdotool, xprop or python3 is missing");
    QVERIFY2(startDisplay(), "Xvfb with openbox did not start");
    // The program takes its name from its file: a hard link keeps the real file's folder out.
    QTemporaryDir folder(qEnvironmentVariable("TAVORIM_PROGRAM_DIR") +
                         QStringLiteral("/../run-XXXXXX"));
    QVERIFY(folder.isValid());
    // The web module comes along: the report is sent through it.
    const QString module = QFileInfo(programPath()).dir().filePath(QStringLiteral("tavorimweb.so"));
    const QString program = folder.filePath(fileName);
    for (const auto &[from, to] :
         {std::pair{programPath(), program}, std::pair{module, folder.filePath("tavorimweb.so")}})
        if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
            QVERIFY(QFile::copy(from, to));
    peer_.answers = answers;
    // The https peer is reached straight, trusted through the environment or not at all.
    tavorim::BasicHttpPeer<QSslServer> tls;
    int handshakesFailed = 0;
    QProcessEnvironment env = x11();
    if (!https.isEmpty()) {
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        QVERIFY2(makeCertificate(folder.path(), configuration), "openssl made no certificate");
        tls.setSslConfiguration(configuration);
        QVERIFY(tls.isListening());
        connect(&tls, &QSslServer::errorOccurred, this, [&] { ++handshakesFailed; });
        peer_.redirect = "https://127.0.0.1:" + QByteArray::number(tls.serverPort());
        if (https == QLatin1String("trusted"))
            env.insert(QStringLiteral("CURL_CA_BUNDLE"), folder.filePath("certificate.pem"));
    }
    QProcess *copy = start(env, program, options);
    qint64 ending = -1;
    quitWithYes(copy, ending);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(copy->exitCode(), 0);
    if (reported.isEmpty()) {
        // Switched off: nothing reached the peer, not even a connection (one made before the end
        // waits in the listening queue).
        QCoreApplication::processEvents();
        QCOMPARE(peer_.connections, 0);
        QCOMPARE(peer_.received, QByteArray());
        return;
    }
    // The request was sent before the end: what the peer reads now waited in its socket.
    QTRY_VERIFY2(peer_.received.contains("\r\n\r\n"), peer_.received.constData());
    if (https == QLatin1String("untrusted")) {
        QTRY_VERIFY(handshakesFailed > 0);
        QCOMPARE(tls.received, QByteArray());
    }
    const QByteArray &page = https == QLatin1String("trusted") ? tls.received : peer_.received;
    QTRY_VERIFY2(page.contains("\r\n\r\n"), page.constData());
    const QByteArray requestLine = page.left(page.indexOf("\r\n"));
    const QStringList parts = QString::fromLatin1(requestLine).split(QLatin1Char(' '));
    QCOMPARE(parts.size(), 3);
    QCOMPARE(parts[0], QStringLiteral("GET"));
    const QUrl stats(tavorim::statsAddress());
    const QUrl asked = stats.resolved(QUrl(parts[1]));
    QCOMPARE(asked.host(), stats.host());
    QCOMPARE(asked.path(), stats.path());
    // The time is what the clock showed: nothing yet when the quit came before its first tick.
    const QRegularExpression query(
        QStringLiteral("^envoi= ve=%1 2\\.4 T=(\\d\\d:\\d\\d:\\d\\d)?  jRom=0/0  jArb=0/0$")
            .arg(QRegularExpression::escape(reported)));
    const QString decoded = asked.query(QUrl::FullyDecoded);
    QVERIFY2(query.match(decoded).hasMatch(), qPrintable(decoded));
    // One second of pause, then the end, whatever the peers do.
    qInfo("ended %lld ms after the answer", ending);
    QVERIFY(ending >= 900);
    QVERIFY2(ending < ExitBoundMs, qPrintable(QString::number(ending)));
}

// Closes the main window of a copy that has started, answers "&Oui", and measures the time
// from the answer to the end of the process. Meanwhile is called just before the answer (with
// 0) and then while the process runs, with the milliseconds since the answer.
void TestProgram::quitWithYes(QProcess *copy, qint64 &ending,
                              const std::function<void(qint64)> &meanwhile) {
    const QString window = windowOf(QStringLiteral("^TavoRim v"));
    QVERIFY2(!window.isEmpty(), "the main window did not appear");
    // A window that has only just appeared may not take the key yet: press again until the
    // question is asked.
    QString box;
    const bool questionAsked = QTest::qWaitFor(
        [&] {
            runTool(QStringLiteral("xdotool"),
                    {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window,
                     QStringLiteral("key"), QStringLiteral("alt+F4")},
                    x11());
            box = windowOf(QStringLiteral("^Confirmation$"), 3000);
            return !box.isEmpty();
        },
        30000);
    QVERIFY2(questionAsked, "the confirmation box did not appear");
    QVERIFY(runTool(QStringLiteral("xdotool"),
                    {QStringLiteral("windowactivate"), QStringLiteral("--sync"), box}, x11())
                .has_value());
    if (meanwhile)
        meanwhile(0);
    QElapsedTimer sinceYes;
    sinceYes.start();
    QVERIFY(
        runTool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")}, x11())
            .has_value());
    // Polled rather than waited for, so that the caller can watch the process meanwhile.
    while (copy->state() != QProcess::NotRunning && sinceYes.elapsed() < 20000) {
        if (meanwhile)
            meanwhile(sinceYes.elapsed());
        // The peers answer meanwhile.
        QCoreApplication::processEvents();
        copy->waitForFinished(20);
    }
    QCOMPARE(copy->state(), QProcess::NotRunning);
    ending = sinceYes.elapsed();
}

void TestProgram::hostileNetworkCannotHoldTheExit_data() {
    QTest::addColumn<bool>("silentNameServer"); // else a flooding proxy
    QTest::addColumn<bool>("slowly");           // the proxy's answer trickles in
    QTest::newRow("name server that never answers") << true << false;
    QTest::newRow("proxy that floods the answer") << false << false;
    QTest::newRow("proxy that answers a byte at a time") << false << true;
}

// Whatever the network does, the process is gone a pause after "&Oui", and the answer is
// never taken into memory.
void TestProgram::hostileNetworkCannotHoldTheExit() {
    QFETCH(bool, silentNameServer);
    QFETCH(bool, slowly);
    if (tavorim::statsAddress().isEmpty())
        QSKIP("built without a statistics address: no report is sent");
    if (!haveDisplayTools())
        QSKIP("Xvfb, openbox, xdotool, xprop or python3 is missing");
    const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
    if (silentNameServer && (::geteuid() != 0 || unshare.isEmpty()))
        QSKIP("a private name server needs root and unshare (a private mount namespace for "
              "/etc/resolv.conf, port 53 on loopback)");
    QVERIFY2(startDisplay(), "Xvfb with openbox did not start");

    SilentNameServer nameServer;
    FloodingProxy flood(slowly);
    QTemporaryDir folder;
    QProcess *copy = nullptr;
    if (silentNameServer) {
        QVERIFY2(!nameServer.address().isEmpty(), "no loopback address took port 53");
        // The program alone sees this resolver: the file is mounted over /etc/resolv.conf in a
        // mount namespace of its own, and the machine's stays as it is.
        QFile resolver(folder.filePath(QStringLiteral("resolv.conf")));
        QVERIFY(resolver.open(QIODevice::WriteOnly));
        resolver.write("nameserver " + nameServer.address().toLatin1() + "\n");
        resolver.close();
        copy = start(x11(), unshare,
                     {QStringLiteral("--mount"), QStringLiteral("--propagation"),
                      QStringLiteral("private"), QStringLiteral("--"), QStringLiteral("sh"),
                      QStringLiteral("-c"),
                      QStringLiteral("mount --bind \"$0\" /etc/resolv.conf && exec \"$1\""),
                      resolver.fileName(), programPath()},
                     QString());
    } else {
        copy = start(x11(), {}, {}, flood.proxy());
    }
    qint64 before = -1;
    qint64 peak = -1;
    qint64 ending = -1;
    // Memory is watched through the pause, while the report is under way and before the
    // windows go.
    quitWithYes(copy, ending, [&](qint64 sinceYes) {
        if (sinceYes > 900)
            return;
        const qint64 now = peakResidentKb(copy->processId());
        if (before < 0)
            before = now;
        peak = std::max(peak, now);
    });
    if (QTest::currentTestFailed())
        return;
    qInfo("ended %lld ms after the answer, peak memory grew by %lld KiB in the pause", ending,
          peak - before);
    QVERIFY2(silentNameServer ? nameServer.asked() : flood.asked(), "no report was sent");
    QVERIFY2(ending < ExitBoundMs, qPrintable(QString::number(ending)));
    QVERIFY2(peak - before < 16 * 1024, qPrintable(QString::number(peak - before)));
    QCOMPARE(copy->exitCode(), 0);
}

// A copy (of the program, or through the program given) whose standard error is kept for the
// test to read.
QProcess *TestProgram::startCapturingErrors(const QProcessEnvironment &environment,
                                            const QString &program, const QStringList &arguments) {
    auto *copy = new QProcess;
    copies_.append(copy);
    copy->setProcessEnvironment(environment);
    copy->start(program.isEmpty() ? programPath() : program, arguments);
    return copy;
}

// No display, or one that cannot be opened: a French message and exit code 1, not Qt's abort.
// Without a platform of its own, the program would take X outside a Wayland session.
void TestProgram::unusableDisplayEndsInFrench_data() {
    QTest::addColumn<QStringList>("settings"); // NAME=value, or NAME alone to remove it
    QTest::addColumn<QString>("message");
    const QString missing = QStringLiteral(":65535");
    const QString notOpened = QStringLiteral("Tavorim ne peut pas démarrer\u00a0: l'écran "
                                             "«\u00a0:65535\u00a0» ne peut pas être ouvert.");
    const QString none = QStringLiteral(
        "Tavorim ne peut pas démarrer\u00a0: aucun écran graphique n'est disponible.");
    QTest::newRow("X display that does not exist")
        << QStringList{"QT_QPA_PLATFORM=xcb", "DISPLAY=" + missing} << notOpened;
    QTest::newRow("no X display named") << QStringList{"QT_QPA_PLATFORM=xcb", "DISPLAY"} << none;
    QTest::newRow("platform left to the program")
        << QStringList{"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE",
                       "DISPLAY=" + missing}
        << notOpened;
    QTest::newRow("Wayland display that does not exist")
        << QStringList{"QT_QPA_PLATFORM=wayland", "WAYLAND_DISPLAY=tavorim-none", "DISPLAY"}
        << none;
}

void TestProgram::unusableDisplayEndsInFrench() {
    QFETCH(QStringList, settings);
    QFETCH(QString, message);
    QVERIFY(!QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X65535")));
    QProcess *copy =
        startCapturingErrors(withSettings(QProcessEnvironment::systemEnvironment(), settings));
    QVERIFY(copy->waitForFinished(30000));
    const QString errors = QString::fromUtf8(copy->readAllStandardError());
    QCOMPARE(copy->exitStatus(), QProcess::NormalExit);
    QCOMPARE(copy->exitCode(), 1);
    QVERIFY2(errors.contains(message + QLatin1Char('\n')), qPrintable(errors));
}

// A screen of too few colours: the message goes to standard error and to the stock X message
// tool, which the screen can show; closing it ends the run with code 1. The fewest bits the windows
// take still shows them.
void TestProgram::lowColorDisplayIsRefused_data() {
    QTest::addColumn<int>("depth");
    QTest::newRow("8 bits") << 8;
    QTest::newRow("15 bits") << MinimumColorDepth;
}

void TestProgram::lowColorDisplayIsRefused() {
    QFETCH(int, depth);
    if (!haveDisplayTools())
        QSKIP("Xvfb, openbox, xdotool, xprop or python3 is missing");
    XServer lowColor;
    QVERIFY2(
        lowColor.start({"--no-window-manager", QStringLiteral("--screen=800x600x%1").arg(depth)}),
        "Xvfb did not start");
    const QProcessEnvironment env = onDisplay(lowColor.display());
    QProcess *copy = startCapturingErrors(env);
    if (depth >= MinimumColorDepth) {
        QVERIFY2(!windowOf(QStringLiteral("^TavoRim v"), 30000, env).isEmpty(),
                 "the main window did not appear");
        QCOMPARE(copy->state(), QProcess::Running);
        copy->kill();
        copy->waitForFinished();
        return;
    }
    // Said before the box shows; the box then is the program's only window.
    QString errors;
    QTRY_VERIFY2_WITH_TIMEOUT((errors += QString::fromUtf8(copy->readAllStandardError()))
                                  .contains(lowColorText(depth) + QLatin1Char('\n')),
                              qPrintable(errors), 30000);
    const QString box = windowOf(QStringLiteral("^Tavorim$"), 30000, env);
    QVERIFY2(!box.isEmpty(), "the box did not appear");
    QVERIFY(
        runTool(QStringLiteral("xdotool"),
                {QStringLiteral("key"), QStringLiteral("--window"), box, QStringLiteral("Return")},
                env)
            .has_value());
    QVERIFY(copy->waitForFinished(20000));
    QCOMPARE(copy->exitStatus(), QProcess::NormalExit);
    QCOMPARE(copy->exitCode(), 1);
}

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"

#include "DisplayProbe.h"

#include "Backends.h"
#include "ColorDepth.h"
#include "Windowing.h"

#include <QGuiApplication>
#include <QScreen>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tavorim {

QString noDisplayText() {
    return QStringLiteral("Tavorim ne peut pas démarrer\u00a0: aucun écran graphique n'est "
                          "disponible.");
}

QString displayNotOpenedText(const QString &display) {
    return QStringLiteral("Tavorim ne peut pas démarrer\u00a0: l'écran «\u00a0%1\u00a0» ne peut "
                          "pas être ouvert.")
        .arg(display);
}

QString lowColorText(int bitsPerPixel) {
    return QStringLiteral("Tavorim ne peut pas s'afficher sur cet écran, qui n'a que %1 bits par "
                          "pixel\u00a0: réglez l'affichage sur 16 bits (milliers de couleurs) ou "
                          "plus.")
        .arg(bitsPerPixel);
}

namespace {

void writeError(const QString &text) {
    std::fputs((text + QLatin1Char('\n')).toUtf8().constData(), stderr);
    std::fflush(stderr);
}

QtMessageHandler previousHandler = nullptr;

void platformFailureHandler(QtMsgType type, const QMessageLogContext &context,
                            const QString &message) {
    if (type == QtFatalMsg) {
        writeError(noDisplayText());
        std::_Exit(1);
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

bool wantsX11Platform(int argc, char *argv[]) {
    const char *chosen = std::getenv("QT_QPA_PLATFORM");
    if (chosen && *chosen)
        return false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return false;
    }
    const char *display = std::getenv("DISPLAY");
    if (!display || !*display)
        return false;
    // Reachable, not merely named: a stale DISPLAY must not keep a Wayland session from starting.
    return x11DisplayOpens({});
}

bool displayOpens(int argc, char *argv[], bool defaultDisplayReached) {
    const QByteArray named = displayArgument(argc, argv);
    // The default display was just opened to choose the platform: no second connection for it.
    if (!runsOnX11Only(argc, argv) || (defaultDisplayReached && named.isEmpty()))
        return true;
    if (x11DisplayOpens(named))
        return true;
    const QString name = x11DisplayName(named);
    writeError(name.isEmpty() ? noDisplayText() : displayNotOpenedText(name));
    return false;
}

void catchPlatformFailure(bool on) {
    if (on)
        previousHandler = qInstallMessageHandler(platformFailureHandler);
    else
        qInstallMessageHandler(previousHandler);
}

bool screenCanShowTheProgram(const QString &title) {
    if (!QGuiApplication::primaryScreen()) {
        writeError(noDisplayText());
        return false;
    }
    const int depth = colorDepth(nullptr);
    if (depth >= MinimumColorDepth)
        return true;
    const QString text = lowColorText(depth);
    writeError(text);
    Windowing::current().showPlainMessage(title, text);
    return false;
}

} // namespace tavorim

#include "Startup.h"

#include "Appearance.h"
#include "Application.h"
#include "ClassSettings.h"
#include "Globals.h"
#include "Tavor1.h"
#include "Unit2.h"
#include "Web.h"
#include "hh_funcs.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QScreen>
#include <QTranslator>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

// After Qt: the X headers define macros (None, Bool, Status) that clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

using tavorim::TApplication;

int runTavorim() {
    TApplication &application = TApplication::instance();
    // Qt's own texts (the answer box's menu, the stock buttons) in French like the rest,
    // whatever the user's language; without the translation they stay in English.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_fr"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    // Before any window: the help viewer is loaded and the trace set up for the whole run.
    tavorim::startHelp(QCoreApplication::arguments(),
                       QString::fromStdString(Etat_Global.Version_Texte));
    // The class's settings, read once the trace is there to hold what was left out of them.
    for (const QString &message : tavorim::loadSettings(QCoreApplication::arguments())) {
        std::fprintf(stderr, "tavorim: %s\n", qPrintable(message));
        tavorim::helpTrace(QStringLiteral("Réglages : ") + message);
    }
    QApplication::setWindowIcon(tavorim::programIcon());
    tavorim::useProgramStyle();
    // Created first, the backdrop is the main form; its guard may already ask for the end.
    auto Form2 = std::make_unique<TForm2>();
    application.setMainForm(Form2.get());
    auto Form1 = std::make_unique<TForm1>();
    Form2->setMainWindow(Form1.get());

    int code = 0;
    // A copy that found another one running has already asked to end: it shows nothing.
    if (!application.terminated()) {
        Form2->showMaximized();
        code = QApplication::exec();
    }
    // The windows go in reverse order of creation.
    Form1.reset();
    Form2.reset();
    tavorim::closeWeb();
    // Last, once no window is left that could still call into the viewer.
    tavorim::finishHelp();
    return code;
}

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

// The X display named by a -display argument, which Qt takes before DISPLAY; kept for the box,
// as the application object removes the arguments it reads.
QByteArray x11Display;

void writeError(const QString &text) {
    std::fputs((text + QLatin1Char('\n')).toUtf8().constData(), stderr);
    std::fflush(stderr);
}

QByteArray argumentAfter(int argc, char *argv[], const char *option) {
    for (int i = 1; i + 1 < argc; ++i) {
        const QByteArray argument(argv[i]);
        // Qt reads "--option" as "-option".
        if (argument == option || argument == QByteArray("-") + option)
            return QByteArray(argv[i + 1]);
    }
    return {};
}

// Qt takes -platform, else QT_QPA_PLATFORM, else tries Wayland first in a Wayland session; a
// list ("wayland;xcb") falls back from one to the next, so only xcb alone is sure to need X.
bool runsOnX11Only(int argc, char *argv[]) {
    QByteArray platform = argumentAfter(argc, argv, "-platform");
    if (platform.isEmpty())
        platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty())
        return qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
               qgetenv("XDG_SESSION_TYPE") != "wayland";
    return !platform.contains(';') && platform.split(':').front() == "xcb";
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

// A message in a plain X window, for a screen Qt cannot paint on: the core X drawing works at any
// depth. Enter, Escape, the space bar, a click or the window's close button end it.
class X11Box {
public:
    X11Box(Display *display, XFontStruct *font) : display_(display), font_(font) {
        wide_ = font->min_byte1 != 0 || font->max_byte1 != 0;
    }

    // Centred on area, the primary monitor where it is known, else on the whole X screen.
    void show(const QString &title, const QString &text, QRect area) {
        const QStringList lines = wrapped(text, 56);
        const int lineHeight = font_->ascent + font_->descent + 2;
        int textWidth = 0;
        for (const QString &line : lines)
            textWidth = std::max(textWidth, width(line));
        const int screen = DefaultScreen(display_);
        buttonWidth_ = width(QStringLiteral("OK")) + 40;
        buttonHeight_ = lineHeight + 10;
        const int windowWidth = std::max(textWidth, buttonWidth_) + 2 * Margin;
        const int windowHeight = int(lines.size()) * lineHeight + buttonHeight_ + 3 * Margin;
        const unsigned long black = BlackPixel(display_, screen);
        const unsigned long white = WhitePixel(display_, screen);
        if (area.isEmpty())
            area = QRect(0, 0, DisplayWidth(display_, screen), DisplayHeight(display_, screen));
        const Window window =
            XCreateSimpleWindow(display_, RootWindow(display_, screen),
                                area.x() + std::max(0, (area.width() - windowWidth) / 2),
                                area.y() + std::max(0, (area.height() - windowHeight) / 2),
                                unsigned(windowWidth), unsigned(windowHeight), 1, black, white);
        setTitle(window, title);
        XSizeHints *hints = XAllocSizeHints();
        hints->flags = PPosition | PMinSize | PMaxSize;
        hints->min_width = hints->max_width = windowWidth;
        hints->min_height = hints->max_height = windowHeight;
        XSetWMNormalHints(display_, window, hints);
        XFree(hints);
        Atom closeRequest = XInternAtom(display_, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display_, window, &closeRequest, 1);
        XSelectInput(display_, window,
                     ExposureMask | KeyPressMask | ButtonPressMask | StructureNotifyMask);
        const GC gc = XCreateGC(display_, window, 0, nullptr);
        XSetFont(display_, gc, font_->fid);
        XSetForeground(display_, gc, black);
        XMapRaised(display_, window);

        bool open = true;
        bool destroyed = false;
        while (open) {
            XEvent event;
            XNextEvent(display_, &event);
            switch (event.type) {
            case MapNotify:
                // Without a window manager nobody else gives it the keyboard.
                XSetInputFocus(display_, window, RevertToPointerRoot, CurrentTime);
                break;
            case Expose:
                if (event.xexpose.count == 0) {
                    for (qsizetype i = 0; i < lines.size(); ++i)
                        draw(window, gc, Margin, Margin + int(i) * lineHeight + font_->ascent,
                             lines[i]);
                    const int buttonX = (windowWidth - buttonWidth_) / 2;
                    const int buttonY = windowHeight - Margin - buttonHeight_;
                    XDrawRectangle(display_, window, gc, buttonX, buttonY, unsigned(buttonWidth_),
                                   unsigned(buttonHeight_));
                    draw(window, gc, buttonX + 20, buttonY + 5 + font_->ascent,
                         QStringLiteral("OK"));
                }
                break;
            case KeyPress: {
                const KeySym key = XLookupKeysym(&event.xkey, 0);
                open = !(key == XK_Return || key == XK_KP_Enter || key == XK_Escape ||
                         key == XK_space);
                break;
            }
            case ButtonPress:
                open = false;
                break;
            case ClientMessage:
                open = Atom(event.xclient.data.l[0]) != closeRequest;
                break;
            case DestroyNotify:
                open = false;
                destroyed = true;
                break;
            default:
                break;
            }
        }
        XFreeGC(display_, gc);
        if (!destroyed)
            XDestroyWindow(display_, window);
        XSync(display_, False);
    }

private:
    static constexpr int Margin = 16;

    static QStringList wrapped(const QString &text, int columns) {
        QStringList lines;
        QString line;
        for (const QString &word : text.split(QLatin1Char(' '))) {
            if (!line.isEmpty() && line.size() + 1 + word.size() > columns) {
                lines.append(line);
                line.clear();
            }
            line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
        }
        lines.append(line);
        return lines;
    }

    // A font of one-byte characters is taken to be Latin-1, as "fixed" is on every X server.
    std::vector<XChar2b> wideText(const QString &text) const {
        std::vector<XChar2b> characters;
        for (const QChar character : text)
            characters.push_back({static_cast<unsigned char>(character.unicode() >> 8),
                                  static_cast<unsigned char>(character.unicode() & 0xFF)});
        return characters;
    }

    int width(const QString &text) const {
        if (wide_) {
            const std::vector<XChar2b> characters = wideText(text);
            return XTextWidth16(font_, characters.data(), int(characters.size()));
        }
        const QByteArray bytes = text.toLatin1();
        return XTextWidth(font_, bytes.constData(), int(bytes.size()));
    }

    void draw(Window window, GC gc, int x, int y, const QString &text) const {
        if (wide_) {
            const std::vector<XChar2b> characters = wideText(text);
            XDrawString16(display_, window, gc, x, y, characters.data(), int(characters.size()));
        } else {
            const QByteArray bytes = text.toLatin1();
            XDrawString(display_, window, gc, x, y, bytes.constData(), int(bytes.size()));
        }
    }

    void setTitle(Window window, const QString &title) const {
        const QByteArray latin1 = title.toLatin1();
        XStoreName(display_, window, latin1.constData());
        const QByteArray utf8 = title.toUtf8();
        XChangeProperty(display_, window, XInternAtom(display_, "_NET_WM_NAME", False),
                        XInternAtom(display_, "UTF8_STRING", False), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(utf8.constData()),
                        int(utf8.size()));
    }

    Display *display_;
    XFontStruct *font_;
    bool wide_ = false;
    int buttonWidth_ = 0;
    int buttonHeight_ = 0;
};

// A refused focus (the window not yet viewable) must not end the program.
int ignoreX11Error(Display *, XErrorEvent *) {
    return 0;
}

void showX11Box(const QString &title, const QString &text, const QRect &area = QRect()) {
    Display *display = XOpenDisplay(x11Display.isEmpty() ? nullptr : x11Display.constData());
    if (!display)
        return;
    const auto previousErrorHandler = XSetErrorHandler(ignoreX11Error);
    if (XFontStruct *font = XLoadQueryFont(display, "fixed")) {
        X11Box(display, font).show(title, text, area);
        XFreeFont(display, font);
    }
    XSetErrorHandler(previousErrorHandler);
    XCloseDisplay(display);
}

} // namespace

bool displayOpens(int argc, char *argv[], bool defaultDisplayReached) {
    x11Display = argumentAfter(argc, argv, "-display");
    // The default display was just opened to choose the platform: no second connection for it.
    if (!runsOnX11Only(argc, argv) || (defaultDisplayReached && x11Display.isEmpty()))
        return true;
    Display *display = XOpenDisplay(x11Display.isEmpty() ? nullptr : x11Display.constData());
    if (display) {
        XCloseDisplay(display);
        return true;
    }
    const QString name = QString::fromLocal8Bit(
        XDisplayName(x11Display.isEmpty() ? nullptr : x11Display.constData()));
    writeError(name.isEmpty() ? noDisplayText() : displayNotOpenedText(name));
    return false;
}

void catchPlatformFailure(bool on) {
    if (on)
        previousHandler = qInstallMessageHandler(platformFailureHandler);
    else
        qInstallMessageHandler(previousHandler);
}

bool screenCanShowTheProgram() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) {
        writeError(noDisplayText());
        return false;
    }
    if (screen->depth() >= MinimumColorDepth)
        return true;
    const QString text = lowColorText(screen->depth());
    writeError(text);
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        showX11Box(TApplication::instance().title(), text, screen->geometry());
    return false;
}

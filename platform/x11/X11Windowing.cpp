#include "X11Windowing.h"

#include "Backends.h"
#include "NativeFocusWatch.h"
#include "X11Windows.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>

#include <vector>

#include <xcb/xcb.h>

// After Qt: the X headers define macros (None, Bool, Status) that clash with Qt's names.
#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace tavorim {

namespace {

// The locked modifiers of the core keyboard; 0 without an X display.
unsigned lockedModifiers(Display *display) {
    if (!display)
        return 0;
    XkbStateRec state{};
    if (XkbGetState(display, XkbUseCoreKbd, &state) != Success)
        return 0;
    return state.locked_mods;
}

// Lines of at most columns characters, broken between words: the message tool does not wrap.
QString wrapped(const QString &text, qsizetype columns) {
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
    return lines.join(QLatin1Char('\n'));
}

} // namespace

bool X11Windowing::capsLock() const {
    return lockedModifiers(x11Display()) & LockMask;
}

bool X11Windowing::numLock() const {
    Display *display = x11Display();
    if (!display)
        return false;
    // Which modifier Num Lock sets depends on the keymap (usually Mod2).
    static const unsigned numMask = XkbKeysymToModifiers(display, XK_Num_Lock);
    return numMask != 0 && (lockedModifiers(display) & numMask);
}

std::optional<QMargins> X11Windowing::frameExtents(const QWidget *window) const {
    // left, right, top, bottom
    const std::vector<long> values =
        x11Property(window->winId(), "_NET_FRAME_EXTENTS", "CARDINAL", 4);
    if (values.size() != 4)
        return std::nullopt;
    return QMargins(int(values[0]), int(values[2]), int(values[1]), int(values[3]));
}

bool X11Windowing::minimisedByWindowManager(const QWidget *window) const {
    return x11Iconic(window->winId());
}

QList<WId> X11Windowing::topLevelWindows(qint64 pid) const {
    return x11ClientWindows(pid);
}

QString X11Windowing::iconName(WId window) const {
    return x11IconName(window);
}

bool X11Windowing::isIconic(WId window) const {
    return x11Iconic(window);
}

void X11Windowing::activate(WId window) {
    x11Activate(window);
}

void X11Windowing::watchFocusGiven(QObject *owner, std::function<void(QWidget *)> focusGiven) {
    // The focus a window manager gives: not the focus moved for a pointer grab.
    const auto focusIn = [](const QByteArray &eventType, void *message) -> WId {
        if (eventType != "xcb_generic_event_t")
            return 0;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        if ((event->response_type & 0x7f) != XCB_FOCUS_IN)
            return 0;
        const auto *focus = static_cast<const xcb_focus_in_event_t *>(message);
        if (focus->mode == XCB_NOTIFY_MODE_GRAB || focus->mode == XCB_NOTIFY_MODE_UNGRAB)
            return 0;
        return WId(focus->event);
    };
    watchNativeFocus(owner, focusIn, std::move(focusGiven));
}

// The stock X message tool draws with the core protocol, at any depth. Its text comes on
// standard input, in Latin-1 like its default font; Return, or its button, closes it.
bool X11Windowing::showPlainMessage(const QString &title, const QString &text) {
    Display *display = x11Display();
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xmessage"));
    if (!display || tool.isEmpty())
        return false;
    QProcess message;
    message.start(tool,
                  {QStringLiteral("-display"), QString::fromLocal8Bit(DisplayString(display)),
                   QStringLiteral("-title"), title, QStringLiteral("-center"),
                   QStringLiteral("-buttons"), QStringLiteral("OK:0"), QStringLiteral("-default"),
                   QStringLiteral("OK"), QStringLiteral("-file"), QStringLiteral("-")});
    if (!message.waitForStarted())
        return false;
    message.write(wrapped(text, 56).toLatin1() + '\n');
    message.closeWriteChannel();
    message.waitForFinished(-1);
    return message.exitStatus() == QProcess::NormalExit;
}

Windowing *nativeWindowing() {
    static X11Windowing x11;
    return QGuiApplication::platformName() == QLatin1String("xcb") ? &x11 : nullptr;
}

} // namespace tavorim

#include "LockKeys.h"

#include <QGuiApplication>

// After Qt: the X headers define macros (None, Bool, Status) that clash with Qt's names.
#include <X11/XKBlib.h>
#include <X11/keysym.h>

namespace tavorim {

namespace {

const LockKeys *replacement = nullptr;

Display *x11Display() {
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

// The locked modifiers of the core keyboard; 0 without an X display.
unsigned lockedModifiers(Display *display) {
    if (!display)
        return 0;
    XkbStateRec state{};
    if (XkbGetState(display, XkbUseCoreKbd, &state) != Success)
        return 0;
    return state.locked_mods;
}

} // namespace

const LockKeys &LockKeys::current() {
    static const XkbLockKeys keyboard;
    return replacement ? *replacement : keyboard;
}

void LockKeys::setCurrentForTests(const LockKeys *keys) {
    replacement = keys;
}

bool XkbLockKeys::capsLock() const {
    return lockedModifiers(x11Display()) & LockMask;
}

bool XkbLockKeys::numLock() const {
    Display *display = x11Display();
    if (!display)
        return false;
    // Which modifier Num Lock sets depends on the keymap (usually Mod2).
    static const unsigned numMask = XkbKeysymToModifiers(display, XK_Num_Lock);
    return numMask != 0 && (lockedModifiers(display) & numMask);
}

} // namespace tavorim

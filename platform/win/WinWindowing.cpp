#include "WinWindowing.h"

#include "Backends.h"
#include "NativeFocusWatch.h"

#include <QApplication>
#include <QWidget>

#include <string>

#include <windows.h>

namespace tavorim {

namespace {

HWND handleOf(WId window) {
    return reinterpret_cast<HWND>(window);
}

// The window's handle once Qt has made it; none before, so that asking makes no window.
HWND createdHandle(const QWidget *window) {
    return window && window->testAttribute(Qt::WA_WState_Created)
               ? handleOf(window->internalWinId())
               : nullptr;
}

// The low-order bit of the key's state: whether it is toggled on.
bool toggled(int key) {
    return (GetKeyState(key) & 1) != 0;
}

struct Search {
    DWORD pid = 0;
    QList<WId> found;
};

BOOL CALLBACK collect(HWND window, LPARAM searching) {
    auto *search = reinterpret_cast<Search *>(searching);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->pid && IsWindowVisible(window))
        search->found.append(reinterpret_cast<WId>(window));
    return TRUE;
}

} // namespace

bool WinWindowing::capsLock() const {
    return toggled(VK_CAPITAL);
}

bool WinWindowing::numLock() const {
    return toggled(VK_NUMLOCK);
}

std::optional<QMargins> WinWindowing::frameExtents(const QWidget *window) const {
    const HWND handle = createdHandle(window);
    RECT outer{};
    RECT client{};
    if (!handle || !GetWindowRect(handle, &outer) || !GetClientRect(handle, &client))
        return std::nullopt;
    POINT topLeft{client.left, client.top};
    POINT bottomRight{client.right, client.bottom};
    if (!ClientToScreen(handle, &topLeft) || !ClientToScreen(handle, &bottomRight))
        return std::nullopt;
    return QMargins(int(topLeft.x - outer.left), int(topLeft.y - outer.top),
                    int(outer.right - bottomRight.x), int(outer.bottom - bottomRight.y));
}

bool WinWindowing::minimisedByWindowManager(const QWidget *window) const {
    const HWND handle = createdHandle(window);
    return handle && IsIconic(handle);
}

void WinWindowing::watchFocusGiven(QObject *owner, std::function<void(QWidget *)> focusGiven) {
    const auto activated = [](const QByteArray &eventType, void *message) -> WId {
        if (eventType != "windows_generic_MSG")
            return 0;
        const MSG *msg = static_cast<const MSG *>(message);
        if (msg->message != WM_ACTIVATE || LOWORD(msg->wParam) == WA_INACTIVE)
            return 0;
        return WId(msg->hwnd);
    };
    watchNativeFocus(owner, activated, std::move(focusGiven));
}

// The system's own message box draws at any color depth.
bool WinWindowing::showPlainMessage(const QString &title, const QString &text) {
    return MessageBoxW(nullptr, reinterpret_cast<const wchar_t *>(text.utf16()),
                       reinterpret_cast<const wchar_t *>(title.utf16()),
                       MB_OK | MB_ICONERROR | MB_SETFOREGROUND) != 0;
}

QList<WId> WinWindowing::topLevelWindows(qint64 pid) const {
    Search search{DWORD(pid), {}};
    EnumWindows(collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A window has one text on Windows, its caption, which a minimised window shows too.
QString WinWindowing::iconName(WId window) const {
    const HWND handle = handleOf(window);
    const int length = GetWindowTextLengthW(handle);
    if (length <= 0)
        return {};
    std::wstring text(std::size_t(length) + 1, L'\0');
    const int got = GetWindowTextW(handle, text.data(), length + 1);
    return QString::fromWCharArray(text.data(), qMax(got, 0));
}

bool WinWindowing::isIconic(WId window) const {
    return IsIconic(handleOf(window));
}

// A minimised window is restored, a visible one raised; both take the foreground, which the
// copy that asks may give since the user has just started it.
void WinWindowing::activate(WId window) {
    const HWND handle = handleOf(window);
    if (IsIconic(handle))
        ShowWindow(handle, SW_RESTORE);
    else
        BringWindowToTop(handle);
    SetForegroundWindow(handle);
}

Windowing *nativeWindowing() {
    static WinWindowing windows;
    return QGuiApplication::platformName() == QLatin1String("windows") ? &windows : nullptr;
}

} // namespace tavorim

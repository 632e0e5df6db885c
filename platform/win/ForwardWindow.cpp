#include "ForwardWindow.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace tavorim {

namespace {

constexpr wchar_t ClassName[] = L"TavorimRendezvous";
// A copy that does not answer at once is not waited for long: the second copy ends anyway.
constexpr UINT AnswerMs = 2000;
constexpr LRESULT Answered = 1;

UINT forwardMessage() {
    static const UINT message = RegisterWindowMessageW(L"TavorimComeForward");
    return message;
}

const wchar_t *wide(const QString &text) {
    return reinterpret_cast<const wchar_t *>(text.utf16());
}

} // namespace

ForwardWindow::ForwardWindow(const QString &name, ComeForward comeForward)
    : comeForward_(std::move(comeForward)) {
    static const bool registered = [] {
        WNDCLASSEXW type{};
        type.cbSize = sizeof type;
        type.lpfnWndProc = procedure;
        type.hInstance = GetModuleHandleW(nullptr);
        type.lpszClassName = ClassName;
        return RegisterClassExW(&type) != 0;
    }();
    if (!registered)
        return;
    window_ = CreateWindowExW(0, ClassName, wide(name), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (window_)
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

ForwardWindow::~ForwardWindow() {
    if (window_)
        DestroyWindow(window_);
}

HWND ForwardWindow::find(const QString &name) {
    return FindWindowExW(HWND_MESSAGE, nullptr, ClassName, wide(name));
}

bool ForwardWindow::ask(HWND window) {
    DWORD holder = 0;
    GetWindowThreadProcessId(window, &holder);
    AllowSetForegroundWindow(holder);
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(window, forwardMessage(), 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                               AnswerMs, &answer) != 0 &&
           answer == DWORD_PTR(Answered);
}

LRESULT CALLBACK ForwardWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == forwardMessage()) {
        auto *self = reinterpret_cast<ForwardWindow *>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!self || !self->comeForward_)
            return 0;
        // The asking copy waits for the answer only: the windows come forward after it.
        QMetaObject::invokeMethod(QCoreApplication::instance(), self->comeForward_,
                                  Qt::QueuedConnection);
        return Answered;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace tavorim

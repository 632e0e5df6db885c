#pragma once

#include <QString>

#include <functional>

#include <windows.h>

namespace tavorim {

// A hidden message-only window named after a rendezvous: another copy finds it by that name
// (FindWindowEx) and sends it the request to come forward, which it passes on to the program.
class ForwardWindow {
public:
    using ComeForward = std::function<void()>;

    ForwardWindow(const QString &name, ComeForward comeForward);
    ~ForwardWindow();
    ForwardWindow(const ForwardWindow &) = delete;
    ForwardWindow &operator=(const ForwardWindow &) = delete;

    // The window that answers for the name in this session; null when none does.
    static HWND find(const QString &name);
    // Sends the request and lets that copy take the foreground; false when it did not answer.
    static bool ask(HWND window);

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    ComeForward comeForward_;
};

} // namespace tavorim

// The web module on Windows: the exit report sent through WinHTTP, with the user's proxy
// settings and the system's certificate store.
#include "WebModule.h"

#include <windows.h>
#include <winhttp.h>

#include <chrono>
#include <string>

namespace {

constexpr DWORD MaxRedirects = 5;

using Clock = std::chrono::steady_clock;

std::wstring wide(const char *text) {
    std::wstring result;
    const int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (size <= 1)
        return result;
    result.resize(std::size_t(size));
    MultiByteToWideChar(CP_UTF8, 0, text, -1, result.data(), size);
    result.resize(std::size_t(size - 1));
    return result;
}

// Closed however the exchange ends.
struct Handle {
    HINTERNET handle = nullptr;
    explicit Handle(HINTERNET opened) : handle(opened) {}
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    ~Handle() {
        if (handle)
            WinHttpCloseHandle(handle);
    }
    explicit operator bool() const { return handle != nullptr; }
};

// The user's proxy settings as the system keeps them: on Windows 8.1 and later WinHTTP reads
// them itself; before, the browser's settings are read here and given to each request.
HINTERNET openSession(const std::wstring &agent, bool *readsUserProxy) {
    HINTERNET session = WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
                                    WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    *readsUserProxy = session != nullptr;
    if (!session)
        session = WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                              WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    return session;
}

// Before Windows 8.1: the proxy the user set for the browser, fixed or from a configuration
// script; nothing when the user set none.
void useUserProxy(HINTERNET session, HINTERNET request, const std::wstring &url) {
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG user{};
    if (!WinHttpGetIEProxyConfigForCurrentUser(&user))
        return;
    WINHTTP_PROXY_INFO proxy{};
    WINHTTP_PROXY_INFO found{};
    if (user.lpszAutoConfigUrl) {
        WINHTTP_AUTOPROXY_OPTIONS options{};
        options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
        options.lpszAutoConfigUrl = user.lpszAutoConfigUrl;
        options.fAutoLogonIfChallenged = TRUE;
        if (WinHttpGetProxyForUrl(session, url.c_str(), &options, &found))
            proxy = found;
    } else if (user.lpszProxy) {
        proxy.dwAccessType = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
        proxy.lpszProxy = user.lpszProxy;
        proxy.lpszProxyBypass = user.lpszProxyBypass;
    }
    if (proxy.lpszProxy)
        WinHttpSetOption(request, WINHTTP_OPTION_PROXY, &proxy, sizeof proxy);
    for (LPWSTR text : {user.lpszAutoConfigUrl, user.lpszProxy, user.lpszProxyBypass,
                        found.lpszProxy, found.lpszProxyBypass})
        if (text)
            GlobalFree(text);
}

// Each step may take what is left of the time given for the whole exchange, the wait for the
// answer's head included, which the receive time alone does not bound.
bool leaveTime(HINTERNET request, Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
        return false;
    DWORD ms = DWORD(left);
    return WinHttpSetTimeouts(request, int(ms), int(ms), int(ms), int(ms)) &&
           WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &ms, sizeof ms);
}

} // namespace

extern "C" __declspec(dllexport) void tavorimWebSend(const TavorimWebRequest *request) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(request->timeoutMs);
    const std::wstring url = wide(request->url);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = DWORD(-1);
    parts.dwUrlPathLength = DWORD(-1);
    parts.dwExtraInfoLength = DWORD(-1);
    if (url.empty() || !WinHttpCrackUrl(url.c_str(), DWORD(url.size()), 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS))
        return;
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
    path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty())
        path = L"/";

    bool readsUserProxy = false;
    const Handle session(openSession(wide("Tavorim/" TAVORIM_VERSION), &readsUserProxy));
    if (!session)
        return;
    const Handle connection(WinHttpConnect(session.handle, host.c_str(), parts.nPort, 0));
    if (!connection)
        return;
    // The certificates are checked against the system's store, as WinHTTP does by default.
    const Handle exchange(
        WinHttpOpenRequest(connection.handle, L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                           WINHTTP_DEFAULT_ACCEPT_TYPES,
                           parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0));
    if (!exchange)
        return;
    if (!readsUserProxy)
        useUserProxy(session.handle, exchange.handle, url);
    // As curl follows them: up to five hops, http or https either way.
    DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_ALWAYS;
    WinHttpSetOption(exchange.handle, WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof policy);
    DWORD hops = MaxRedirects;
    WinHttpSetOption(exchange.handle, WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS, &hops,
                     sizeof hops);
    if (!leaveTime(exchange.handle, deadline) ||
        !WinHttpSendRequest(exchange.handle, WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                            WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
        return;
    // The answer's head is all the report waits for; its body is never read.
    if (leaveTime(exchange.handle, deadline))
        WinHttpReceiveResponse(exchange.handle, nullptr);
}

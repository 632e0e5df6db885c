// The web module: the exit report sent through libcurl, following redirects.
#include "WebModule.h"

#include <curl/curl.h>
#include <openssl/crypto.h>

#include <chrono>
#include <cstddef>
#include <string>

namespace {

constexpr int MaxRedirects = 5;
// The report needs no answer: no more than this is taken of its head or of its body.
constexpr std::size_t HeadBytesTaken = 16 * 1024;
constexpr std::size_t BodyBytesTaken = 4 * 1024;

struct Taken {
    std::size_t head = 0;
    std::size_t body = 0;
};

// Returning less than was given ends the transfer.
std::size_t takeHead(char *, std::size_t size, std::size_t count, void *taken) {
    std::size_t &head = static_cast<Taken *>(taken)->head;
    head += size * count;
    return head > HeadBytesTaken ? 0 : size * count;
}

std::size_t takeBody(char *, std::size_t size, std::size_t count, void *taken) {
    std::size_t &body = static_cast<Taken *>(taken)->body;
    body += size * count;
    return body > BodyBytesTaken ? 0 : size * count;
}

const char *proxyFor(const TavorimWebRequest &request, const std::string &url) {
    const char *proxy = url.compare(0, 6, "https:") == 0 ? request.httpsProxy : request.httpProxy;
    // An empty text stops libcurl from reading the environment itself.
    return proxy ? proxy : "";
}

} // namespace

extern "C" __attribute__((visibility("default"))) void
tavorimWebSend(const TavorimWebRequest *request) {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(request->timeoutMs);
    // The end of the process must not free the TLS library's state under a sending thread
    // that is still running then.
    OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr);
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        return;
    CURL *curl = curl_easy_init();
    if (!curl)
        return;
    Taken taken;
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    // Its cleanup leaves a host lookup still running to end on its own.
    curl_easy_setopt(curl, CURLOPT_QUICK_EXIT, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (request->caBundle)
        curl_easy_setopt(curl, CURLOPT_CAINFO, request->caBundle);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, request->noProxy ? request->noProxy : "");
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, takeHead);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &taken);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, takeBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &taken);
    // Redirects are followed here rather than by libcurl, so that each hop takes the proxy of
    // its own scheme.
    std::string url = request->url;
    for (int hop = 0; hop <= MaxRedirects; ++hop) {
        const long left = long(duration_cast<milliseconds>(deadline - steady_clock::now()).count());
        if (left <= 0)
            break;
        taken = {};
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_PROXY, proxyFor(*request, url));
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, left);
        curl_easy_perform(curl);
        long status = 0;
        char *next = nullptr;
        if (curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK ||
            status / 100 != 3 ||
            curl_easy_getinfo(curl, CURLINFO_REDIRECT_URL, &next) != CURLE_OK || !next)
            break;
        url = next;
    }
    curl_easy_cleanup(curl);
}

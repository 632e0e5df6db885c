// The web module: the exit report sent through libcurl, which follows the redirects.
#include "WebModule.h"

#include <curl/curl.h>
#include <openssl/crypto.h>

#include <cstddef>

namespace {

constexpr long MaxRedirects = 5;
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

} // namespace

extern "C" __attribute__((visibility("default"))) void
tavorimWebSend(const TavorimWebRequest *request) {
    // The end of the process must not free the TLS library's state under a sending thread
    // that is still running then.
    OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr);
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        return;
    CURL *curl = curl_easy_init();
    if (!curl)
        return;
    Taken taken;
    curl_easy_setopt(curl, CURLOPT_URL, request->url);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Tavorim/" TAVORIM_VERSION);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    // Its cleanup leaves a host lookup still running to end on its own.
    curl_easy_setopt(curl, CURLOPT_QUICK_EXIT, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, request->timeoutMs);
    // Each hop takes the proxy the environment names for its own scheme.
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, MaxRedirects);
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    // libcurl leaves CURL_CA_BUNDLE to the curl tool.
    if (request->caBundle)
        curl_easy_setopt(curl, CURLOPT_CAINFO, request->caBundle);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, request->noProxy ? request->noProxy : "");
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, takeHead);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &taken);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, takeBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &taken);
    curl_easy_perform(curl);
    curl_easy_cleanup(curl);
}

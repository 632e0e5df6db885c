#pragma once

// The contract with the web module (libcurl and its TLS library; WinHTTP on Windows), loaded
// only when the report is sent so that no run pays for it at start.

// The module's file name in the program folder; a Windows build names it tavorimweb.dll.
#ifndef TAVORIM_WEB_MODULE_FILE
#define TAVORIM_WEB_MODULE_FILE "tavorimweb.so"
#endif
// Its one entry point: sends a GET and returns once the answer's head is read, the request
// failed, or the time given is spent.
#define TAVORIM_WEB_MODULE_ENTRY "tavorimWebSend"

extern "C" {
// One request and what it takes from the environment beyond the proxies, which libcurl reads
// itself; a null text means none. WinHTTP takes the user's proxy settings and the system's
// certificate store instead, and ignores noProxy and caBundle.
struct TavorimWebRequest {
    const char *url;      // http or https, already escaped
    const char *noProxy;  // hosts reached without a proxy, comma-separated
    const char *caBundle; // certificates trusted instead of the system's
    long timeoutMs;       // for the whole exchange, redirects included
};
using WebSendFunction = void (*)(const TavorimWebRequest *request);
}

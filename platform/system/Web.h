#pragma once

#include <QString>
#include <QUrl>

#include <functional>

namespace tavorim {

// The maker's addresses, fixed when the program is built. An empty statistics address means
// that no exit report is sent.
QString siteAddress();
QString statsAddress();

// Hands an address to the web layer for a GET that nobody waits for: it is sent from a thread
// of its own even while the user-interface thread sleeps, through the web module loaded then,
// and ends, redirects included, well within the exit pause; of each answer only the first few
// kilobytes are taken, then dropped. http and https addresses are sent, the latter checked
// against the system's certificates (or those named by CURL_CA_BUNDLE). The text is taken in
// tolerant mode, so its spaces travel as %20. Each address goes through the proxy of its
// scheme, named by http_proxy or https_proxy (or HTTP_PROXY, HTTPS_PROXY), unless no_proxy
// (or NO_PROXY) names its host.
void Navigate(const QString &address);

// At the end of the run: waits briefly for a request still under way, which by then has
// spent its time; the process then ends without it.
void closeWeb();

// Asks the desktop to open an address in the user's browser; the result is ignored.
void shellOpen(const QString &address);

// Tests: see the URLs instead of sending or opening them; an empty function restores the real
// behaviour.
void setNavigateForTests(std::function<void(const QUrl &)> navigate);
void setShellOpenForTests(std::function<void(const QUrl &)> open);
// Tests: where the web module is looked for instead of the program folder; empty restores it.
void setWebModuleFolderForTests(const QString &folder);

} // namespace tavorim

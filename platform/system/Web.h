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
// of its own even while the user-interface thread sleeps, and of the answer only the first
// few kilobytes are read, then dropped. Only http addresses are sent. The text is taken in
// tolerant mode, so its spaces travel as %20. A proxy named by http_proxy (or HTTP_PROXY) is
// used unless no_proxy (or NO_PROXY) names the host.
void Navigate(const QString &address);

// Ends the web layer's work at the end of the run: requests not yet sent are dropped. Nothing
// is waited for.
void closeWeb();

// Asks the desktop to open an address in the user's browser; the result is ignored.
void shellOpen(const QString &address);

// Tests: see the URLs instead of sending or opening them; an empty function restores the real
// behaviour.
void setNavigateForTests(std::function<void(const QUrl &)> navigate);
void setShellOpenForTests(std::function<void(const QUrl &)> open);

} // namespace tavorim

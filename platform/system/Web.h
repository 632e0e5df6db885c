#pragma once

#include <QString>
#include <QUrl>

#include <functional>

namespace tavorim {

// The maker's addresses, fixed when the program is built. An empty statistics address means
// that no exit report is sent.
QString siteAddress();
QString statsAddress();

// Hands an address to the web layer for a GET that nobody waits for: it is sent from the
// network thread even while the user-interface thread sleeps, and the answer is dropped. The
// text is taken in tolerant mode, so its spaces travel as %20. The system's proxy settings
// (http_proxy) apply.
void Navigate(const QString &address);

// Ends the web layer's work at the end of the run: requests still under way are dropped.
void closeWeb();

// Asks the desktop to open an address in the user's browser; the result is ignored.
void shellOpen(const QString &address);

// Tests: see the URLs instead of sending or opening them; an empty function restores the real
// behaviour.
void setNavigateForTests(std::function<void(const QUrl &)> navigate);
void setShellOpenForTests(std::function<void(const QUrl &)> open);

} // namespace tavorim

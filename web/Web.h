#pragma once

#include <QString>
#include <QUrl>

#include <functional>

namespace tavorim {

// The maker's addresses, fixed when the program is built. An empty statistics address means
// that no exit report is sent.
QString siteAddress();
QString statsAddress();

// A GET nobody waits for, sent from a thread of its own through the web module, honouring the
// *_proxy variables; only the answer's first kilobytes are read, so it ends within the exit pause.
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

} // namespace tavorim

#pragma once

#include <QString>

namespace tavorim {

// The maker's addresses, fixed when the program is built. An empty statistics address means
// that no exit report is sent.
QString siteAddress();
QString statsAddress();

// The address with a query item added: after "?" when it has no query yet, else after "&". A
// fragment never leaves the machine, so it is dropped rather than left to swallow the item.
QString addressWithQuery(const QString &address, const QString &item);

// What the windows ask of the web. They are handed one when created, the system's by default.
class WebAccess {
public:
    virtual ~WebAccess() = default;
    // A GET nobody waits for, sent from a thread of its own through the web module, with the
    // environment's proxies; only the answer's first kilobytes are read, so it ends within the
    // exit pause.
    virtual void Navigate(const QString &address) = 0;
    // Asks the desktop to open an address in the user's browser; the result is ignored.
    virtual void shellOpen(const QString &address) = 0;
};

// The real web: the web module and the desktop's browser.
WebAccess &systemWeb();

// At the end of the run: waits briefly for a request still under way, which by then has
// spent its time; the process then ends without it.
void closeWeb();


} // namespace tavorim

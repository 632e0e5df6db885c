#pragma once

#include "AtomTable.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

#include <memory>
#include <optional>

namespace tavorim {

// The application window of the copy that holds an atom, reached over the atom's connection:
// the requests stand in for FindWindow, IsIconic, ShowWindow(SW_RESTORE) and BringWindowToTop.
// Every request waits at most until the deadline given to FindWindow (a frozen holder must not
// hold this copy up); a request that gets no answer counts as failed.
class RemoteWindow {
public:
    // The holder's window when its application title is `title`; null when there is no
    // holder, the title differs or no answer came in time.
    static std::unique_ptr<RemoteWindow> FindWindow(const QString &atom, const QString &title,
                                                    QDeadlineTimer deadline);

    bool IsIconic();
    bool restore();
    bool bringToTop();

    // The answering side, run by the copy that holds the atom.
    static QByteArray answer(const QByteArray &request, bool &windowFound);

private:
    explicit RemoteWindow(QDeadlineTimer deadline) : deadline_(deadline) {}
    std::optional<QByteArray> request(const QByteArray &line);

    HolderConnection connection_;
    QDeadlineTimer deadline_;
};

} // namespace tavorim

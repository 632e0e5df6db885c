#pragma once

#include "PrivateFolder.h"
#include "Rendezvous.h"

#include <QLockFile>

#include <memory>

namespace tavorim {

// The rendezvous as a lock file per user and display in the user's folder, naming the process
// that holds it; that process's windows are found through the windowing system.
class LockFileRendezvous : public Rendezvous {
public:
    explicit LockFileRendezvous(SystemFolders system = {});

    Claim claim(const QString &name) override;
    QList<WId> holderWindows(const QString &name) const override;
    bool askHolderForward(const QString &name) const override;
    void answerForwardRequests(const QString &name,
                               std::function<void(const QString &token)> comeForward) override;

    // The lock file that stands for the name on this user's display, the same for every copy
    // whatever its environment; empty when the user has no folder for it.
    QString lockPath(const QString &name) const;
    // The live process that holds the name (this one included), 0 when none does.
    qint64 holder(const QString &name) const;

private:
    SystemFolders system_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<QObject> answering_;
};

} // namespace tavorim

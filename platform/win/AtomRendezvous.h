#pragma once

#include "Rendezvous.h"

#include <memory>

namespace tavorim {

class ForwardWindow;

// The rendezvous as a global atom of the user's session: every copy holds one reference to it
// while it runs. The copy that took it first keeps a hidden window under the same name, by
// which the others find it and ask it to come forward.
class AtomRendezvous : public Rendezvous {
public:
    AtomRendezvous();
    ~AtomRendezvous() override;

    Claim claim(const QString &name) override;
    QList<WId> holderWindows(const QString &name) const override;
    bool askHolderForward(const QString &name) const override;
    void answerForwardRequests(const QString &name,
                               std::function<void(const QString &token)> comeForward) override;

private:
    QString added_;
    std::unique_ptr<ForwardWindow> answering_;
};

} // namespace tavorim

#pragma once

#include "MessageBox.h"

#include <QList>

namespace tavorim {

// Answers every box at once, without a modal loop, and keeps what each one asked: the answers
// queued come first, then the standing answer (NoButton: closed without a choice).
class AnsweringBoxes : public MessageBox::Presenter {
public:
    AnsweringBoxes() { MessageBox::setPresenter(this); }
    ~AnsweringBoxes() override { MessageBox::setPresenter(nullptr); }
    AnsweringBoxes(const AnsweringBoxes &) = delete;
    AnsweringBoxes &operator=(const AnsweringBoxes &) = delete;

    void answerNext(MessageBox::Button answer) { queued_.append(answer); }
    void answerAll(MessageBox::Button answer) { standing_ = answer; }

    MessageBox::Button present(const MessageBox::Request &request) override {
        shown.append(request);
        if (!queued_.isEmpty())
            return queued_.takeFirst();
        return standing_;
    }

    QList<MessageBox::Request> shown;

private:
    QList<MessageBox::Button> queued_;
    MessageBox::Button standing_ = MessageBox::NoButton;
};

} // namespace tavorim

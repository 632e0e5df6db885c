#pragma once

#include <Qt>

namespace tavorim {

// Lock keys that stay as the test sets them; given to the backdrop through std::ref.
class FixedLockKeys {
public:
    bool operator()(Qt::Key key) const { return key == Qt::Key_CapsLock ? caps_ : num_; }
    void set(bool caps, bool num) {
        caps_ = caps;
        num_ = num;
    }

private:
    bool caps_ = false;
    bool num_ = false;
};

} // namespace tavorim

#pragma once

#include "LockKeys.h"

namespace tavorim {

// Lock keys that stay as the test sets them.
class FixedLockKeys : public LockKeys {
public:
    bool capsLock() const override { return caps_; }
    bool numLock() const override { return num_; }
    void set(bool caps, bool num) {
        caps_ = caps;
        num_ = num;
    }

private:
    bool caps_ = false;
    bool num_ = false;
};

} // namespace tavorim

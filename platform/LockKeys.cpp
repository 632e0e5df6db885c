#include "LockKeys.h"

#include "Windowing.h"

namespace tavorim {

namespace {

const LockKeys *replacement = nullptr;

class SystemLockKeys : public LockKeys {
public:
    bool capsLock() const override { return Windowing::current().capsLock(); }
    bool numLock() const override { return Windowing::current().numLock(); }
};

} // namespace

const LockKeys &LockKeys::current() {
    static const SystemLockKeys keyboard;
    return replacement ? *replacement : keyboard;
}

void LockKeys::setCurrentForTests(const LockKeys *keys) {
    replacement = keys;
}

} // namespace tavorim

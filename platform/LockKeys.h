#pragma once

namespace tavorim {

// The toggle state of Caps Lock and Num Lock, as the windowing system tells it: off where it
// cannot be asked.
class LockKeys {
public:
    virtual ~LockKeys() = default;
    virtual bool capsLock() const = 0;
    virtual bool numLock() const = 0;

    static const LockKeys &current();
    // nullptr puts the keyboard back.
    static void setCurrentForTests(const LockKeys *keys);
};

} // namespace tavorim

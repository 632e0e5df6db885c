#pragma once

namespace tavorim {

// The toggle state of Caps Lock and Num Lock. Off where no X display can be asked.
class LockKeys {
public:
    virtual ~LockKeys() = default;
    virtual bool capsLock() const = 0;
    virtual bool numLock() const = 0;

    static const LockKeys &current();
    // nullptr puts the keyboard back.
    static void setCurrentForTests(const LockKeys *keys);
};

// Read from the X keyboard extension of the application's X connection.
class XkbLockKeys : public LockKeys {
public:
    bool capsLock() const override;
    bool numLock() const override;
};

} // namespace tavorim

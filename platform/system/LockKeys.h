#pragma once

namespace tavorim {

// The toggle state of Caps Lock and Num Lock. Off where no X display can be asked.
class LockKeys {
public:
    virtual ~LockKeys() = default;
    virtual bool CapsLock() const = 0;
    virtual bool NumLock() const = 0;

    static const LockKeys &Current();
    // nullptr puts the keyboard back.
    static void SetForTests(const LockKeys *keys);
};

// Read from the X keyboard extension of the application's X connection.
class XkbLockKeys : public LockKeys {
public:
    bool CapsLock() const override;
    bool NumLock() const override;
};

// Keys that stay as tests set them.
class FixedLockKeys : public LockKeys {
public:
    bool CapsLock() const override { return caps; }
    bool NumLock() const override { return num; }
    bool caps = false;
    bool num = false;
};

} // namespace tavorim

#pragma once

#include <QObject>

// Tells whoever shows command states that gLocked changed. gLocked itself stays the one place the lock is
// kept; set() is the way to change it so the menus and toolbar follow at once.
class LockState : public QObject
{
    Q_OBJECT
public:
    static LockState& instance();

    // Sets gLocked and announces it, even when the value is unchanged (a second "Lock" is harmless).
    static void set(bool locked);

Q_SIGNALS:
    void changed(bool locked);

private:
    LockState() = default;
};

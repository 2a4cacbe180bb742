#pragma once

#include <QDateTime>

// The one source of "now" for the programs' logic and windows; tests install a fixed clock.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;

    static const Clock& get();
    // Installs a clock; nullptr restores the system clock. Not owned.
    static void install(const Clock* clock);

    // The system's wall-clock time at an instant: the local date and time with the offset from UTC in force
    // then. The system clock's now() is this at the current instant.
    static QDateTime systemTimeAt(qint64 msecsSinceEpoch);
};

inline QDateTime now()
{
    return Clock::get().now();
}

inline QDate today()
{
    return Clock::get().now().date();
}

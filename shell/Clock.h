#pragma once

#include <QString>

namespace tavorim {

// The local time of day as a fraction of a day (0 at midnight, 0.5 at noon), to the
// millisecond. Tests put a clock of their own in place to run midnight and long runs at once.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double timeOfDay() const = 0;

    static const Clock &current();
    // nullptr puts the system clock back.
    static void setCurrentForTests(const Clock *clock);
};

class SystemClock : public Clock {
public:
    double timeOfDay() const override;
};

constexpr double MillisecondsPerDay = 24.0 * 60 * 60 * 1000;

// A fraction of a day as hh:mm:ss in ASCII digits whatever the locale (a 12-hour format would read
// "12:00:05 AM"); whole days drop out, and a negative span shows 00:00:00.
QString formatDuration(double dayFraction);

} // namespace tavorim

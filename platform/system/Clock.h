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

// A span given as a fraction of a day, shown as a duration: hh:mm:ss, 24-hour, in ASCII digits,
// whatever the user's locale (a 12-hour or non-Latin time format would turn five seconds into
// "12:00:05 AM"). Whole days drop out, and a span below zero shows as 00:00:00.
QString formatDuration(double dayFraction);

} // namespace tavorim

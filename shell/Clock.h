#pragma once

#include <QString>

namespace tavorim {

// The local time of day as a fraction of a day (0 at midnight, 0.5 at noon), to the
// millisecond. Given to whoever reads it, so that another clock can run midnight and long runs
// at once.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double timeOfDay() const = 0;
};

// The computer's own clock.
const Clock &systemClock();

constexpr double MillisecondsPerDay = 24.0 * 60 * 60 * 1000;

// A fraction of a day as hh:mm:ss in ASCII digits whatever the locale (a 12-hour format would read
// "12:00:05 AM"); whole days drop out, and a negative span shows 00:00:00.
QString formatDuration(double dayFraction);

} // namespace tavorim

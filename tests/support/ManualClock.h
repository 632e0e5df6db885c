#pragma once

#include "Clock.h"

#include <QTime>

#include <cmath>

namespace tavorim {

// A clock that shows what it is told, so that midnight and long runs happen at once.
class ManualClock : public Clock {
public:
    double timeOfDay() const override { return now_; }
    void set(int hours, int minutes, int seconds, int milliseconds = 0) {
        now_ = QTime(hours, minutes, seconds, milliseconds).msecsSinceStartOfDay() /
               MillisecondsPerDay;
    }
    void setFraction(double dayFraction) { now_ = dayFraction; }
    // Moves on, wrapping at midnight.
    void advance(int milliseconds) {
        double ms =
            std::fmod(std::round(now_ * MillisecondsPerDay) + milliseconds, MillisecondsPerDay);
        if (ms < 0)
            ms += MillisecondsPerDay;
        now_ = ms / MillisecondsPerDay;
    }

private:
    double now_ = 0;
};

} // namespace tavorim

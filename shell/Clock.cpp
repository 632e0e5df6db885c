#include "Clock.h"

#include <QTime>

#include <cmath>

namespace tavorim {

namespace {

class SystemClock : public Clock {
public:
    double timeOfDay() const override {
        return QTime::currentTime().msecsSinceStartOfDay() / MillisecondsPerDay;
    }
};

} // namespace

const Clock &systemClock() {
    static const SystemClock clock;
    return clock;
}

QString formatDuration(double dayFraction) {
    const double day = MillisecondsPerDay;
    // Truncated to the millisecond, as a clock reading is; whole days drop out.
    double ms = std::floor(dayFraction * day + 1e-6);
    if (!(ms > 0))
        ms = 0;
    return QTime::fromMSecsSinceStartOfDay(int(std::fmod(ms, day))).toString(u"HH:mm:ss");
}

} // namespace tavorim

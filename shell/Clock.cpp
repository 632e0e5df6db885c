#include "Clock.h"

#include <QTime>

#include <cmath>

namespace tavorim {

namespace {
const Clock *replacement = nullptr;
}

const Clock &Clock::current() {
    static const SystemClock systemClock;
    return replacement ? *replacement : systemClock;
}

void Clock::setCurrentForTests(const Clock *clock) {
    replacement = clock;
}

double SystemClock::timeOfDay() const {
    return QTime::currentTime().msecsSinceStartOfDay() / MillisecondsPerDay;
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

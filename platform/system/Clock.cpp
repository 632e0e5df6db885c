#include "Clock.h"

#include <QLocale>
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

QString longTimeFormat() {
    // Qt's long format ends with the time zone ("t"), which a duration must not show. Drop
    // every unquoted "t" with the spaces around it.
    const QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    QString result;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        result += c;
    }
    return result.simplified();
}

QString formatLongTime(double dayFraction) {
    const double day = MillisecondsPerDay;
    // Truncated to the millisecond, as a clock reading is; whole days drop out.
    double ms = std::floor(dayFraction * day + 1e-6);
    if (!(ms > 0))
        ms = 0;
    ms = std::fmod(ms, day);
    return QLocale::system().toString(QTime::fromMSecsSinceStartOfDay(int(ms)), longTimeFormat());
}

} // namespace tavorim

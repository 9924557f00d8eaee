#include "Clock.h"

#include <atomic>
#include <limits>

namespace {

// Julian day of the fixed date; the minimum means "not fixed". An atomic
// rather than a mutex: today() is asked from worker threads too.
constexpr qint64 NotFixed = std::numeric_limits<qint64>::min();
std::atomic<qint64> g_fixedDay{NotFixed};

} // namespace

QDate Clock::today()
{
    const qint64 day = g_fixedDay.load(std::memory_order_relaxed);
    return day == NotFixed ? QDate::currentDate() : QDate::fromJulianDay(day);
}

void Clock::setToday(QDate date)
{
    g_fixedDay.store(date.isValid() ? date.toJulianDay() : NotFixed, std::memory_order_relaxed);
}

void Clock::reset()
{
    g_fixedDay.store(NotFixed, std::memory_order_relaxed);
}

bool Clock::isFixed()
{
    return g_fixedDay.load(std::memory_order_relaxed) != NotFixed;
}

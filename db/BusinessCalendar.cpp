#include "BusinessCalendar.h"

#include <algorithm>

namespace db {

bool BusinessCalendar::isBusinessDay(QDate date)
{
    return date.dayOfWeek() <= 5;
}

QDate BusinessCalendar::rollForward(QDate date)
{
    while (!isBusinessDay(date))
        date = date.addDays(1);
    return date;
}

QDate BusinessCalendar::rollBack(QDate date)
{
    while (!isBusinessDay(date))
        date = date.addDays(-1);
    return date;
}

QDate BusinessCalendar::addBusinessDays(QDate date, int n)
{
    const int step = n < 0 ? -1 : 1;
    for (int left = n < 0 ? -n : n; left > 0;) {
        date = date.addDays(step);
        if (isBusinessDay(date))
            --left;
    }
    return date;
}

std::vector<QDate> BusinessCalendar::daysEndingAt(QDate last, int count)
{
    std::vector<QDate> days;
    days.reserve(std::size_t(std::max(count, 0)));
    for (QDate d = rollBack(last); int(days.size()) < count; d = addBusinessDays(d, -1))
        days.push_back(d);
    std::reverse(days.begin(), days.end());
    return days;
}

} // namespace db

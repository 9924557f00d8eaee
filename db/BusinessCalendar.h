#pragma once

#include <QDate>

#include <vector>

namespace db {

/// Business days of the demo data: Monday to Friday. The demo has no holiday
/// calendar; every weekday settles in every currency.
class BusinessCalendar final
{
public:
    BusinessCalendar() = delete;

    static bool isBusinessDay(QDate date);
    /// The date itself when it is a business day, else the next one.
    static QDate rollForward(QDate date);
    /// The date itself when it is a business day, else the one before.
    static QDate rollBack(QDate date);
    /// n business days after date (n < 0: before); date itself need not be one.
    static QDate addBusinessDays(QDate date, int n);
    /// The count business days ending with last (rolled back to a business
    /// day), oldest first.
    static std::vector<QDate> daysEndingAt(QDate last, int count);
};

} // namespace db

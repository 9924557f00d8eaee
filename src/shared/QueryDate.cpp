#include "QueryDate.h"

#include "Clock.h"

#include <limits>

namespace {

bool isAllText(const QVariant &v)
{
    return v.metaType().id() == QMetaType::QString && v.toString() == QueryDate::allText();
}

bool isNumber(const QVariant &v)
{
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UInt:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

// Day offsets beyond this many days lead outside any date a deal can have;
// clamping keeps the arithmetic in range for corrupted values.
constexpr qint64 MaxOffset = 1000 * 366;

} // namespace

QueryDate QueryDate::fromDate(QDate date)
{
    if (!date.isValid())
        return all();
    QueryDate d;
    d.m_date = date;
    d.m_offset = int(qBound(-MaxOffset, Clock::today().daysTo(date), MaxOffset));
    return d;
}

QueryDate QueryDate::fromOffset(int days)
{
    QueryDate d;
    d.m_offset = int(qBound(-MaxOffset, qint64(days), MaxOffset));
    d.m_date = Clock::today().addDays(d.m_offset);
    return d;
}

std::optional<QueryDate> QueryDate::fromStoredValue(const QVariant &value)
{
    if (isAllText(value))
        return all();
    if (isNumber(value)) {
        const double days = value.toDouble();
        if (days < -MaxOffset || days > MaxOffset || days != qint64(days))
            return std::nullopt;
        return fromOffset(int(days));
    }
    if (value.metaType().id() == QMetaType::QDate && value.toDate().isValid())
        return fromDate(value.toDate());
    if (value.metaType().id() == QMetaType::QDateTime && value.toDateTime().isValid())
        return fromDate(value.toDateTime().date());
    if (value.metaType().id() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        bool ok = false;
        const int days = text.toInt(&ok);
        if (ok)
            return fromStoredValue(days);
        const QDate date = QDate::fromString(text, Qt::ISODate);
        if (date.isValid())
            return fromDate(date);
    }
    return std::nullopt;
}

QueryDate QueryDate::fromFields(const QVariant &date, const QVariant &offset, bool relative)
{
    const QVariant &first = relative ? offset : date;
    const QVariant &second = relative ? date : offset;
    if (first.isValid()) {
        if (const std::optional<QueryDate> d = fromStoredValue(first))
            return *d;
    }
    if (second.isValid()) {
        if (const std::optional<QueryDate> d = fromStoredValue(second))
            return *d;
    }
    return all();
}

QVariant QueryDate::dateValue() const
{
    return isAll() ? QVariant(allText()) : QVariant(m_date);
}

QVariant QueryDate::offsetValue() const
{
    return isAll() ? QVariant(allText()) : QVariant(m_offset);
}

QVariant QueryDate::storedValue(bool relative) const
{
    return relative ? offsetValue() : dateValue();
}

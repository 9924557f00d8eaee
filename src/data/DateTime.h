#pragma once

#include "marvolt_export.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <compare>
#include <optional>

namespace data {

/// A date and time of day to the whole second, without time zone: the civil
/// time as the deal tables store it. Internally seconds since 1970-01-01 00:00:00.
class MARVOLT_EXPORT DateTime final
{
public:
    constexpr DateTime() = default;
    static constexpr DateTime fromSecs(qint64 secs)
    {
        DateTime d;
        d.m_secs = secs;
        return d;
    }
    static DateTime fromDate(QDate date);
    static DateTime fromQDateTime(const QDateTime &dt);   ///< its civil date and time
    /// Parses "yyyy-MM-dd", "yyyy-MM-dd HH:mm[:ss]" and "yyyy-MM-ddTHH:mm[:ss]",
    /// the form the database stores.
    static std::optional<DateTime> fromIsoString(QStringView text);
    /// Parses "m/d/yyyy" with an optional time "h:mm[:ss]" and optional "AM"/"PM",
    /// the form of date literals in filter criteria.
    static std::optional<DateTime> fromUsString(QStringView text);

    constexpr qint64 secs() const { return m_secs; }
    QDate date() const;
    QDateTime toQDateTime() const;   ///< in Qt::UTC, so no zone shifts the value
    DateTime startOfDay() const { return fromSecs(m_secs - floorMod(m_secs, 86400)); }
    DateTime addDays(qint64 days) const { return fromSecs(m_secs + days * 86400); }
    /// "yyyy-MM-dd" for midnight, "yyyy-MM-dd HH:mm:ss" otherwise.
    QString toIsoString() const;
    /// "m/d/yyyy" for midnight, "m/d/yyyy h:mm:ss" otherwise: a criteria literal body.
    QString toUsString() const;

    constexpr auto operator<=>(const DateTime &) const = default;

private:
    static constexpr qint64 floorMod(qint64 a, qint64 b) { return ((a % b) + b) % b; }
    qint64 m_secs = 0;
};

} // namespace data

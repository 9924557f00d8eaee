#pragma once

#include "marvolt_export.h"

#include <QDate>
#include <QString>
#include <QVariant>

#include <optional>

/// One date bound of a query in the two forms the filter panel works with: an
/// absolute date and a whole number of days from today. Either both forms
/// hold the text "All" (no bound), or both hold a value and agree with each
/// other for the today they were built on.
///
/// A query stores only one form (the offset when the query is relative, the
/// date otherwise) and rebuilds the other when it is read, against Clock's
/// today: a relative query saved on Monday as "today - 1" reads back on Friday
/// as Thursday, an absolute one keeps its date and gets a new offset.
class MARVOLT_EXPORT QueryDate final
{
public:
    /// No bound: "All" in both forms.
    QueryDate() = default;
    static QueryDate all() { return {}; }
    static QueryDate fromDate(QDate date);     ///< offset counted from Clock::today()
    static QueryDate fromOffset(int days);     ///< date counted from Clock::today()
    /// Rebuilds a bound from a stored value: an int is an offset, a QDate or
    /// QDateTime a date, the text "All" no bound; texts holding a number or an
    /// ISO date are read as such (stores written by other tools). nullopt for
    /// anything else.
    static std::optional<QueryDate> fromStoredValue(const QVariant &value);
    /// Rebuilds a bound from a report's pair of fields (ValDate, ValLong):
    /// the field of the form \a relative selects is used, the other is derived
    /// from it; when that field is empty the other one is used.
    static QueryDate fromFields(const QVariant &date, const QVariant &offset, bool relative);

    bool isAll() const { return !m_date.isValid(); }
    QDate date() const { return m_date; }
    int offset() const { return m_offset; }

    /// The forms as a report's fields hold them: a QDate or "All"; an int or "All".
    QVariant dateValue() const;
    QVariant offsetValue() const;
    /// The one value stored for this bound: the offset (int) when \a relative,
    /// the date (QDate) otherwise, "All" for no bound.
    QVariant storedValue(bool relative) const;

    bool operator==(const QueryDate &) const = default;

    /// The text that means "no bound" in stored queries and in the fields.
    static QString allText() { return QStringLiteral("All"); }

private:
    QDate m_date;       // invalid: no bound
    int m_offset = 0;
};

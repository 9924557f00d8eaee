#pragma once

#include "marvolt_export.h"

#include <span>

#include "QueryDate.h"
#include "QueryValues.h"

#include <QString>
#include <QStringList>
#include <QVariant>

/// The settings-store key of one query of a report, with typed accessors for
/// its values. The filter name "Query" is the report's current (last run)
/// query, "Software\Quorvex, Ltd.\<App_Name>\Query"; any other name is the
/// stored filter of that name, "...\<App_Name>\Stored Filters\<name>".
///
/// Lists are stored as one string joined with "|" and split again on reading
/// (an empty list as an empty string). Dates follow QueryDate's rule: the
/// offset is stored when the query is relative, the date otherwise.
///
/// Reports that store further values (a second report-date bound, trade-date
/// bounds) write them with writeDate() and the other primitives inside the
/// same RegistryAccess::Batch as write(), so the query is saved whole.
///
/// A key of a report without App_Name is null: it reads every default and its
/// writes do nothing (and succeed). A stored filter without a name is invalid:
/// it reads defaults and its writes fail.
class MARVOLT_EXPORT QueryKey final
{
public:
    /// The value names, as every report's stored queries spell them.
    static QString relativeName() { return QStringLiteral("Relative"); }
    static QString dateName() { return QStringLiteral("Date"); }
    static QString valueDateName() { return QStringLiteral("Value Date"); }
    static QString dealerName() { return QStringLiteral("Dealer"); }
    static QString dealName() { return QStringLiteral("Deal"); }
    static QString bankName() { return QStringLiteral("Bank"); }
    static QString advancedAttributesName() { return QStringLiteral("Advanced Attributes"); }
    static QString pairName() { return QStringLiteral("Pair"); }
    /// The pairs of a report whose "Pair" holds its currency selection.
    static QString pair2Name() { return QStringLiteral("Pair2"); }
    static QString nettingName() { return QStringLiteral("Netting"); }
    static QString statusName() { return QStringLiteral("Status"); }
    static QString localTcidName() { return QStringLiteral("Local TCID"); }
    static QString clientName() { return QStringLiteral("Client"); }
    /// The name of the current query; also the one stored-filter name that
    /// cannot be used (it would be the current query's key).
    static QString currentQueryName() { return QStringLiteral("Query"); }

    /// A date bound a report stores beside "Date" (the start of its first
    /// range): its value name and its fields, and whether an absent value
    /// reads as "All" (else as today).
    struct Bound
    {
        const char *valueName;
        QVariant QueryValues::*date;
        QVariant QueryValues::*offset;
        bool openByDefault = true;
    };
    /// The position reports' one further bound: the value-date end, "Value Date".
    static std::span<const Bound> valueDateBound();
    /// The profit reports' end of their range, "End Date".
    static std::span<const Bound> endDateBound();
    /// The end of a range written without the blank, "EndDate" (the
    /// counterparty and deposit reports).
    static std::span<const Bound> rangeEndBound();

    QueryKey(const QString &appName, const QString &filterName);

    bool isNull() const { return m_appName.isEmpty(); }
    bool isValid() const { return !m_path.isEmpty(); }
    QString path() const { return m_path; }
    QString categoryPath() const;

    /// Reads the stored query of a position report into \a query, each value
    /// with its default when it is absent: a relative query for today, no
    /// value-date bound, "All" in every list and no category. Fields the store
    /// does not hold (Pair2, KeyArray, the identifier lists ...) are left as
    /// they are. The date bounds beside "Date" are the report's \a bounds.
    void read(QueryValues *query, std::span<const Bound> bounds = valueDateBound()) const;
    /// The stored query over a fresh QueryValues.
    QueryValues read() const;
    /// Writes every stored value of \a query at once (other processes see all
    /// of it or none), in the order "Relative", "Date", the \a bounds,
    /// "Dealer", "Deal", "Advanced Attributes", "Bank", "Pair", the
    /// categories, "Netting", "Status", "Local TCID", "Client".
    bool write(const QueryValues &query, std::span<const Bound> bounds = valueDateBound()) const;

    bool readRelative() const;   ///< default true
    /// The bound stored in \a valueName; \a defaultValue when absent or unusable.
    QueryDate readDate(const QString &valueName, const QueryDate &defaultValue) const;
    /// A "|"-joined list; ("All") when absent.
    QStringList readList(const QString &valueName) const;
    /// A boolean; \a defaultValue when absent.
    bool readBool(const QString &valueName, bool defaultValue) const;
    /// A single string; "All" when absent.
    QString readText(const QString &valueName) const;
    /// The categories, in their stored order; empty when none are stored.
    QStringList readCategory() const;

    bool writeRelative(bool relative) const;
    bool writeDate(const QString &valueName, const QueryDate &date, bool relative) const;
    bool writeList(const QString &valueName, const QStringList &list) const;
    bool writeText(const QString &valueName, const QString &text) const;
    bool writeBool(const QString &valueName, bool value) const;
    /// Replaces the stored categories; an empty list leaves none.
    bool writeCategory(const QStringList &categories) const;

    /// "a|b" from ("a", "b"); "" from ().
    static QString joinList(const QStringList &list);
    /// ("a", "b") from "a|b"; () from "".
    static QStringList splitList(const QString &text);

private:
    QVariant readValue(const QString &valueName, const QVariant &defaultValue) const;
    bool writeValue(const QString &valueName, const QVariant &value) const;

    QString m_appName;
    QString m_path;
};

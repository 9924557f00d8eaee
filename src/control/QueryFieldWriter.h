#pragma once

#include "FilterControl.h"

#include <QString>
#include <QStringList>

#include <array>

class Report;

/// Writes one query field of a report from text, the way a user's change in
/// the query panel does, then shows the query in the panel again.
///
/// Field names are the report's query fields (QueryValues' field table:
/// "Dealer", "ValDate", "Relative", "Pair" ...) and its switches ("WithArchive"),
/// without regard to case. Lists are separated by "|"; "All" means no
/// restriction. Dates take "yyyy-MM-dd", a day count relative to today, or
/// "All" where the report's date slot allows it; both forms of a date
/// ("ValDate" and "ValLong") are set together. Booleans take "True"/"False"
/// (or 1/0).
///
/// A list entry that is not among the items of the filter control that shows
/// the field (once the control has items) is refused: kept without an
/// identifier it would restrict nothing, and the report would silently show
/// every deal. Entries match the items without regard to case and take the
/// items' spelling.
class QueryFieldWriter final
{
public:
    using Slots = std::array<FilterControl, FilterControlCount>;

    QueryFieldWriter(Report &report, const Slots &controls);

    /// False, with lastError(), when the field is unknown or the value does
    /// not suit it; nothing is changed then.
    bool write(const QString &field, const QString &value);
    QString lastError() const { return m_error; }

    /// The field names write() accepts for this report.
    QStringList fieldNames() const;

private:
    bool writeDate(const QString &field, const QString &value);
    bool writeSwitch(const char *property, const QString &value);
    /// The entries of a list, checked against the control of slot index
    /// (the report's slot that shows the list; -1 for none).
    bool checkedEntries(const char *field, int slot, const QString &value, QStringList *entries);
    bool fail(const QString &reason);

    Report &m_report;
    const Slots &m_controls;
    QString m_error;
};

#pragma once

#include "FilterControl.h"

#include <QString>

#include <array>

class Report;

/// Writes one working query field of a report from text, the way a user's
/// change in the query panel does: the filter control that shows the field
/// takes the value first, then the report gets the value (and, for lists of
/// directory entries, their identifiers) as the control reads them back.
///
/// Field names are the report's query fields ("Dealer", "ValDate", "Relative",
/// "Pair", "Status" ...), without regard to case. Lists are separated by "|";
/// "All" means no restriction. Dates take "yyyy-MM-dd", a day count relative
/// to today, or "All"; both forms of a date ("ValDate" and "ValLong") are set
/// together. Booleans take "True"/"False" (or 1/0).
///
/// A list entry that is not among the items of its filter control (once the
/// control has items) is refused: kept without an identifier it would restrict
/// nothing, and the report would silently show every deal.
class QueryFieldWriter final
{
public:
    using Slots = std::array<FilterControl, FilterControlCount>;

    QueryFieldWriter(Report &report, const Slots &controls);

    /// False, with lastError(), when the field is unknown or the value does
    /// not suit it; nothing is changed then.
    bool write(const QString &field, const QString &value);
    QString lastError() const { return m_error; }

    /// The field names write() accepts.
    static QStringList fieldNames();

private:
    bool writeDate(int slot, const char *dateField, const char *longField, const QString &value);
    bool writeRelative(const QString &value);
    bool writeBool(const char *field, const QString &value);
    bool writeBoxList(const char *field, int slot, const char *idField, const QString &value);
    bool writePlainList(const char *field, const QString &value);
    bool writeText(const char *field, int slot, const QString &value);
    bool writeIdList(const char *field, const QString &value);
    bool fail(const QString &reason);

    Report &m_report;
    const Slots &m_controls;
    QString m_error;
};

#pragma once

#include "marvolt_export.h"

#include "ReportColumns.h"

#include <QString>
#include <QVariant>
#include <QVector>

namespace data {
class Recordset;
}

/// The session's number formats that a report's shown texts are written in,
/// as they were when taken: a walk over the rows on another thread takes them
/// once on the user-interface thread, which is where the host changes them.
struct MARVOLT_EXPORT ShownFormats
{
    QString value;
    QString rate;

    /// The session's formats now (SessionContext); user-interface thread only.
    static ShownFormats current();
};

/// The display row a report's texts are made for: the handle standing on
/// it, the report's columns and the formats to write amounts in.
struct ShownRow
{
    data::Recordset &display;
    const DisplayLayout &layout;
    const ShownFormats &formats;
};

/// What a report's grid shows of a display row beyond its fields' values: a
/// summary row's texts in place of its amounts, a summary row's date. The
/// base shows the values as they are.
///
/// One static instance per report class, without state of its own: it reads
/// only the row it is given, so the grid's reads and an export's walk on a
/// worker thread (each with its own handle on the display rows) share it.
class MARVOLT_EXPORT ShownRows
{
public:
    virtual ~ShownRows() = default;

    /// The cell of layout column `column` in the row, `value` being the
    /// column field's grid value (gridCellValue).
    virtual QVariant cell(const ShownRow &row, int column, const QVariant &value) const;
    /// Changes the row's values, one per layout column, after cell() gave
    /// each of them; nothing by default.
    virtual void changeRow(const ShownRow &row, QVector<QVariant> &values) const;

    /// The base's: every value as it is.
    static const ShownRows &plain();
};

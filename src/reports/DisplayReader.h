#pragma once

#include "marvolt_export.h"

#include "ReportColumns.h"
#include "ShownRows.h"

#include "Recordset.h"

#include <QVariant>
#include <QVector>

#include <memory>
#include <vector>

/// Reads display rows as a report's grid shows them: for each layout column
/// the grid value of its field (gridCellValue), as the report's ShownRows
/// changes it. A row is its position among the rows the handle shows (0
/// first); reading it moves the handle's cursor there.
///
/// One thread at a time. For a walk over the rows on another thread,
/// detached() gives a reader of its own handle on the same rows, which keeps
/// them alive after the report has moved on to another result.
class MARVOLT_EXPORT DisplayReader final
{
public:
    /// Reads `display` itself, whose cursor the reads move.
    DisplayReader(data::RecordsetPtr display, const DisplayLayout &layout, const ShownRows &shown);

    /// A reader of a new handle on display's rows that shows the same rows in
    /// the same order (the filter and sort are applied on its first read, on
    /// the thread that reads) and writes the report's texts in `formats`.
    /// Null when display is not open.
    static std::shared_ptr<DisplayReader> detached(const data::RecordsetPtr &display, const DisplayLayout &layout,
                                                   const ShownRows &shown, const ShownFormats &formats);

    const data::RecordsetPtr &display() const { return m_display; }

    /// The value of layout column `column` in row `row`; empty without such a row or column.
    QVariant cell(int row, int column, const ShownFormats &formats);
    /// Every column's value of row `row`, then ShownRows::changeRow; values
    /// is resized to the layout's columns. Empty values without such a row.
    void readRow(int row, QVector<QVariant> &values, const ShownFormats &formats);

    /// The same with the formats a detached reader was made with.
    QVariant cell(int row, int column) { return cell(row, column, m_formats); }
    void readRow(int row, QVector<QVariant> &values) { readRow(row, values, m_formats); }

private:
    bool moveTo(int row);

    data::RecordsetPtr m_display;
    const ShownRows *m_shown;
    DisplayLayout m_layout;
    std::vector<data::Field> m_fields;   // the layout columns' display fields, in column order
    ShownFormats m_formats;
    /// The filter and sort a detached handle takes on its first read; empty after.
    QString m_pendingFilter;
    QString m_pendingSort;
    bool m_viewRefused = false;
};

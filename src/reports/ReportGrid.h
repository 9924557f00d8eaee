#pragma once

#include "ColumnLayout.h"
#include "ReportColumns.h"
#include "RowArrangement.h"
#include "RowChangeMarks.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

/// The grid as a report drives it: the report's columns, their formats,
/// visibility and value lists, the stored layout, the highlighting of rows and
/// the number of rows to show. The control implements it over its grid
/// widget, so a report never sees a widget and its logic runs without a
/// display. Columns are addressed by key; a key the grid does not know is
/// ignored.
class ReportGrid
{
public:
    virtual ~ReportGrid() = default;

    /// Replaces every column by the declared ones, in their order, and groups
    /// and sorts as declared.
    virtual void setColumns(const DisplayLayout &layout) = 0;
    /// Each column's key, position, caption and width, in column order.
    virtual QList<ColumnLayoutEntry> columnLayout() const = 0;
    /// Gives one column the stored position, caption and width.
    virtual void applyColumnLayout(const ColumnLayoutEntry &entry) = 0;
    virtual void setColumnVisible(const QString &key, bool visible) = 0;
    virtual void setColumnFormat(const QString &key, const QString &format) = 0;
    /// The value list of a column; null for an unknown key.
    virtual ValueListSink *valueList(const QString &key) = 0;
    /// Rows whose column columnKey holds value are shown in foreColor (a
    /// Windows colour value, 0x00BBGGRR), bold unless said otherwise.
    virtual void addHighlight(const QString &name, const QString &columnKey, const QVariant &value,
                              quint32 foreColor, bool bold = true) = 0;
    /// Makes the rows of highlight `name` bold or not (a summary view, which
    /// shows summaries only, draws them plain). A grid that cannot ignores it.
    virtual void setHighlightBold(const QString &name, bool bold) { Q_UNUSED(name) Q_UNUSED(bold) }
    /// Gives the rows or cells of highlight `name` another fore colour.
    virtual void setHighlightColor(const QString &name, quint32 foreColor) { Q_UNUSED(name) Q_UNUSED(foreColor) }
    /// The cells of column columnKey whose value is below zero are shown in
    /// foreColor (not bold). A grid that cannot test values ignores it.
    virtual void addNegativeHighlight(const QString &name, const QString &columnKey, quint32 foreColor)
    {
        Q_UNUSED(name) Q_UNUSED(columnKey) Q_UNUSED(foreColor)
    }
    /// Rows whose column columnKey holds value (summary rows) are not
    /// counted in the number a group row shows.
    virtual void setUncountedRows(const QString &columnKey, const QVariant &value) = 0;
    /// Sizes the visible columns to the widest text they show (a bounded
    /// sample of the rows, capped at a readable width).
    virtual void fitColumnsToContents() = 0;
    /// How many display rows the grid reads (0 empties it).
    virtual void setItemCount(int rows) = 0;
    /// What the rows are grouped and sorted by now, for arranging them
    /// before binding; nullopt when the grid arranges them only itself.
    virtual std::optional<RowOrdering> rowOrder() const { return std::nullopt; }
    /// The rows the grid compares the next rows with to mark those that
    /// changed (null when it has none); nullopt when it marks no changes.
    virtual std::optional<std::shared_ptr<const RowChangeMarks::Remembered>> changeMarksBase() const
    {
        return std::nullopt;
    }
    /// As setItemCount, with the rows already arranged for rowOrder() and,
    /// when not null, compared against changeMarksBase(); the grid arranges
    /// or compares them itself when its order or its rows changed meanwhile.
    virtual void setRows(int rows, const RowArrangement &arranged, const RowChangeMarks::Comparison *marks)
    {
        Q_UNUSED(arranged);
        Q_UNUSED(marks);
        setItemCount(rows);
    }

    // The current row, for the detail window that follows it. A grid that
    // does not tell answers "no current row".
    /// The display row the current data row shows (its position among the
    /// rows the grid is bound to, 0 first); -1 on a group row or without a
    /// current row.
    virtual int currentDisplayRow() const { return -1; }
    /// Whether the current row is a group row.
    virtual bool currentIsGroupRow() const { return false; }
    /// What the current group row shows for its group value (the value-list
    /// text, without the count); empty on a data row.
    virtual QString currentGroupCaption() const { return {}; }
};

#pragma once

#include "marvolt_export.h"

#include "AllSettings.h"
#include "DataTypes.h"

#include <QString>
#include <QVariant>

#include <QtGlobal>

#include <array>
#include <span>

class ValueListSink;

/// One field of a report's display recordset, in the order the report's
/// display build fills them and the runner prints them.
struct DisplayField
{
    const char *name;
    data::DataType type;
    int size = 0;   ///< the defined size in bytes of fixed-size fields; 0 for the others
};

/// What a grid column does when the display mode changes: keep whatever it
/// shows (the user may have changed it), or be shown or hidden.
enum class OnView : quint8 { Keep, Show, Hide };

/// A column's visibility in each display mode, indexed by View.
using ViewVisibility = std::array<OnView, 3>;

namespace Views {
/// The column follows only the user.
constexpr ViewVisibility Keep{OnView::Keep, OnView::Keep, OnView::Keep};
/// Shown with detail rows (detail and all), hidden in summary view.
constexpr ViewVisibility Detail{OnView::Show, OnView::Hide, OnView::Show};
/// Shown in summary view only.
constexpr ViewVisibility Summary{OnView::Hide, OnView::Show, OnView::Hide};
/// Hidden with detail rows, left to the user in summary view.
constexpr ViewVisibility NotWithDetail{OnView::Hide, OnView::Keep, OnView::Hide};
} // namespace Views

/// The display filter of a view: detail rows, summary rows, or every row.
MARVOLT_EXPORT QString viewFilter(View view);

namespace data {
class Value;
}
/// A display field's value as a grid cell holds it: an empty field is an
/// empty cell.
MARVOLT_EXPORT QVariant gridCellValue(const data::Value &value);

/// The number format a column takes from the session: amounts take the value
/// format (FormatValue), rates the rate format (FormatRate).
enum class ColumnFormat : quint8 { Plain, Amount, Rate };

/// One grid column as a report declares it. The key is what stored column
/// layouts refer to; the field is the display field the column shows. Columns
/// are created in the order of the table, which is also the column index the
/// grid's unbound reads use.
struct ReportColumn
{
    enum Alignment : quint8 { AlignLeft = 0, AlignCenter = 1, AlignRight = 2 };

    const char *key;
    const char *caption;
    const char *field;
    bool visible;                ///< when first created
    Alignment alignment;
    int width;                   ///< first-run width in pixels; a stored layout replaces it
    ColumnFormat format = ColumnFormat::Plain;
    ViewVisibility views = Views::Keep;
    /// Fills the column's value list (names for the identifiers it holds) on
    /// every rebind; none for a column without one.
    void (*valueList)(ValueListSink *) = nullptr;
};

/// The chart a report shows beside its grid, in terms of its columns:
/// - Bars: one bar per outermost group (a currency, a pair) of the value in
///   valueKey on the group's summary row (Summary true);
/// - Ladder: one step per data row of the current row's outermost group, in
///   the grid's order, labelled by labelKey (the value date), of the day's
///   flow in valueKey; the chart adds the flows up.
/// Both follow what the grid shows: the current filter's result in the view
/// chosen.
struct MARVOLT_EXPORT ChartLayout
{
    enum class Kind { Bars, Ladder };
    Kind kind = Kind::Bars;
    const char *title = nullptr;
    const char *valueKey = nullptr;
    const char *labelKey = nullptr;
};

/// Everything a report declares about its display: the fields of its display
/// recordset, its grid columns, the column the rows are grouped by and the
/// one they are sorted by within a group, and a second group within the
/// first (all ascending; none when null).
struct MARVOLT_EXPORT DisplayLayout
{
    std::span<const DisplayField> fields;
    std::span<const ReportColumn> columns;
    const char *groupKey = nullptr;
    const char *sortKey = nullptr;
    const char *subGroupKey = nullptr;

    /// The column of a key; null when the report has none.
    const ReportColumn *column(const char *key) const;
    /// The index of a key's column; -1 when the report has none.
    int columnIndex(const char *key) const;
};

#include "ReportChartFeed.h"

#include "CellValue.h"

#include "Grid.h"
#include "GridColumn.h"
#include "GridModel.h"
#include "ReportChart.h"

#include <QPersistentModelIndex>

#include <optional>

namespace {

using widgets::GridModel;

/// A cell's raw value as a chart value; nothing for an empty, text or boolean cell.
std::optional<double> amountOf(const QVariant &value)
{
    const CellValue::Key key = CellValue::key(value);
    return key.kind == CellValue::Key::Number ? std::optional<double>(double(key.number)) : std::nullopt;
}

int columnOf(const widgets::Grid &grid, const char *key)
{
    const widgets::GridColumn *column = key ? grid.Columns(QString::fromLatin1(key)) : nullptr;
    return column ? column->Index() : -1;
}

bool isSummary(const GridModel &model, const QModelIndex &row, int summaryColumn)
{
    return summaryColumn >= 0 && model.data(row.siblingAtColumn(summaryColumn), GridModel::RawValueRole).toBool();
}

/// The first summary row under group, depth first; invalid when it has none.
QModelIndex summaryRowOf(const GridModel &model, const QModelIndex &group, int summaryColumn)
{
    for (int r = 0; r < model.rowCount(group); ++r) {
        const QModelIndex child = model.index(r, 0, group);
        if (model.isGroup(child)) {
            if (const QModelIndex found = summaryRowOf(model, child, summaryColumn); found.isValid())
                return found;
        } else if (isSummary(model, child, summaryColumn)) {
            return child;
        }
    }
    return {};
}

/// The data rows under group that are no summary rows, in the grid's order.
void dayRowsOf(const GridModel &model, const QModelIndex &group, int summaryColumn, QList<QModelIndex> *rows)
{
    for (int r = 0; r < model.rowCount(group); ++r) {
        const QModelIndex child = model.index(r, 0, group);
        if (model.isGroup(child))
            dayRowsOf(model, child, summaryColumn, rows);
        else if (!isSummary(model, child, summaryColumn))
            rows->append(child);
    }
}

QString groupLabel(const GridModel &model, const QModelIndex &group)
{
    const int column = model.groups().value(0).column;
    return model.displayText(model.data(group, GridModel::RawValueRole), column);
}

/// The outermost group of the current row, else the first group.
QModelIndex currentGroup(const widgets::Grid &grid, const GridModel &model)
{
    QModelIndex index = grid.currentIndex().siblingAtColumn(0);
    while (index.isValid() && index.parent().isValid())
        index = index.parent();
    if (index.isValid() && model.isGroup(index))
        return index;
    return model.rowCount() > 0 && model.isGroup(model.index(0, 0)) ? model.index(0, 0) : QModelIndex();
}

} // namespace

void ReportChartFeed::fill(widgets::ReportChart &chart, const ChartLayout &layout, const widgets::Grid &grid)
{
    const GridModel &model = *grid.gridModel();
    const int valueColumn = columnOf(grid, layout.valueKey);
    const int summaryColumn = columnOf(grid, "Summary");
    const QString title = QString::fromLatin1(layout.title);
    if (valueColumn < 0 || model.groupLevels() == 0) {
        chart.clear();
        return;
    }
    QList<widgets::ChartPoint> points;
    if (layout.kind == ChartLayout::Kind::Bars) {
        for (int r = 0; r < model.rowCount(); ++r) {
            const QModelIndex group = model.index(r, 0);
            const QModelIndex summary = summaryRowOf(model, group, summaryColumn);
            const std::optional<double> value =
                summary.isValid() ? amountOf(model.data(summary.siblingAtColumn(valueColumn), GridModel::RawValueRole))
                                  : std::nullopt;
            if (value)
                points.append({groupLabel(model, group), *value});
        }
        chart.setChart(widgets::ChartKind::Bars, title, points);
        return;
    }
    const QModelIndex group = currentGroup(grid, model);
    if (!group.isValid()) {
        chart.clear();
        return;
    }
    QList<QModelIndex> rows;
    dayRowsOf(model, group, summaryColumn, &rows);
    const int labelColumn = columnOf(grid, layout.labelKey);
    for (const QModelIndex &row : rows) {
        const std::optional<double> value =
            amountOf(model.data(row.siblingAtColumn(valueColumn), GridModel::RawValueRole));
        const QString label = labelColumn >= 0 ? model.data(row.siblingAtColumn(labelColumn)).toString() : QString();
        points.append({label, value.value_or(0)});
    }
    chart.setChart(widgets::ChartKind::Ladder, title + QStringLiteral(", ") + groupLabel(model, group), points);
}

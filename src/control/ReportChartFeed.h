#pragma once

#include "ReportColumns.h"

namespace widgets {
class Grid;
class ReportChart;
}

/// Fills the chart beside the grid from what the grid shows, as the report's
/// ChartLayout declares it: so the chart follows the current filter's result,
/// the view and, for a ladder, the group the current row is in.
///
/// Runs on the user-interface thread after a binding (and, for a ladder,
/// when the current group changes), so it reads little: for bars each
/// group's rows up to its summary row (the first row in most reports, the
/// last in a few, where this is one pass over the result), for a ladder the
/// rows of one group.
class ReportChartFeed final
{
public:
    static void fill(widgets::ReportChart &chart, const ChartLayout &layout, const widgets::Grid &grid);
};

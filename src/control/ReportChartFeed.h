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
/// Only group rows and the rows of one group are read (a group's summary row,
/// or the day rows of the current group), never the whole result: the feed
/// runs on the user-interface thread after each binding.
class ReportChartFeed final
{
public:
    static void fill(widgets::ReportChart &chart, const ChartLayout &layout, const widgets::Grid &grid);
};

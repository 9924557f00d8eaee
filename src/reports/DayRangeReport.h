#pragma once

#include "Report.h"

/// What the report objects of the day-by-day history reports (the forward
/// position and the single currency report) share beyond their logic (which
/// declares the stored date ranges, see DayRangeLogic): the tools they set up.
class DayRangeReport : public Report
{
    Q_OBJECT
public:
    /// As Report, and the detail window's tool enabled, the recalculation tool
    /// disabled, the archive tool following the archive switch.
    void SetUtil(EventClass *Util) override;

protected:
    using Report::Report;
};

#pragma once

#include "Report.h"

/// What the report objects of the reports with rows per day and a detail
/// window share beyond their logic: the tools they set up. The day-by-day
/// history reports (the forward position and the single currency report,
/// see DayRangeLogic) use it directly, the reports per currency and value
/// date through CurrencyDaysReport.
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

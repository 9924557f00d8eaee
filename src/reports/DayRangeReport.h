#pragma once

#include "Report.h"

/// What the report objects of the day-by-day history reports (the forward
/// position and the single currency report) share beyond their logic (which
/// declares the stored date ranges, see DayRangeLogic): the tools they set
/// up and the site's rule for the trade-date start.
///
/// The trade-date start may be "All" only where the site allows an open start
/// (DatabaseLookups::GetCustomEditValue); the value-date start and both ends
/// may always be.
class DayRangeReport : public Report
{
    Q_OBJECT
public:
    /// As Report, and the detail window's tool enabled, the recalculation tool
    /// disabled, the archive tool following the archive switch.
    void SetUtil(EventClass *Util) override;

protected:
    using Report::Report;
    /// The trade-date start as the site allows it; the other bounds as declared.
    bool allowsAll(const FilterSlot &slot) const override;
    /// Whether the site allows an open start of a date range.
    bool siteAllowsOpenStart() const { return m_openTradeStart; }

private:
    bool m_openTradeStart = false;   // read once, when the report is bound
};

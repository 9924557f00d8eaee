#pragma once

#include "ReportLogic.h"

/// What the logic of the deposit reports (the deposit position and the
/// deposit report) shares: owner number 5, the range of start dates on
/// slots 0 and 1 (kind 2, stored as "Date" and "EndDate"), and the detail
/// window listing a row's deposits under the currency's name and the day.
class DepositLogic : public ReportLogic
{
public:
    int owner() const override { return 5; }
    std::span<const QueryKey::Bound> storedBounds() const override { return QueryKey::rangeEndBound(); }
    std::optional<DetailView> detailView() const override { return dvNewDetail; }
    /// "EUR (2026-12-08)" on a day row, the currency alone on its summary.
    QString detailCaption(data::Recordset &display) const override { return currencyCaption(display, "Date"); }
    bool storeDates(FilterStore &store, const RunQuery &run) const override { return storeFirstRange(store, run, 2); }
};

#pragma once

#include "DayRangeReport.h"

/// The single currency report ("Single Currency"): per currency, the
/// day-by-day flow of that currency. One row per currency and trade day with
/// the day's sales, its net amount and the number of deals, and one summary
/// row per currency. Every row carries the filter of its deals in that
/// currency ("CurrentFilter") for the detail window.
///
/// The server (cnt_SingleCurrency, owner number 4) splits the deals of the
/// trade-date range into their currency amounts (two per leg) and keeps those
/// whose value date lies in the value-date range.
class SingleCurrency final : public DayRangeReport
{
    Q_OBJECT
public:
    explicit SingleCurrency(QObject *parent = nullptr);

    /// As the other day-range reports, with negative summaries in bold red
    /// and negative day totals in red.
    void SetUtil(EventClass *Util) override;
};

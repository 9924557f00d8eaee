#pragma once

#include "DayRangeReport.h"

/// The forward position report ("Position History"): per currency pair, how
/// the position was built up day by day. One row per pair and trade day with
/// the day's amounts in both currencies, their rate, its change against the
/// pair's previous day and the number of deals, and one summary row per pair
/// with the totals. Every row carries the filter of its deals ("CurrentFilter")
/// for the detail window, which lists a pair's deals.
///
/// The server (cnt_ForwardPosition, owner number 3) selects the legs of the
/// trade-date range whose first value date lies in the value-date range.
class ForwardPosition final : public DayRangeReport
{
    Q_OBJECT
public:
    explicit ForwardPosition(QObject *parent = nullptr);
};

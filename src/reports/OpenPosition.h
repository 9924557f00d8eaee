#pragma once

#include "Report.h"

/// The open position report ("Currency Pairs"): every open FX deal of the
/// user per currency pair, with its buy and sell amounts in both currencies,
/// and one summary row per pair with the net amounts and the average buy,
/// sell and position rates.
///
/// The server (cnt_OpenPosition, owner number 2) selects the deals of the
/// report date (and of the value date, when one is given); the report builds
/// the grouped display.
class OpenPosition final : public Report
{
    Q_OBJECT
public:
    explicit OpenPosition(QObject *parent = nullptr);

    void SetUtil(EventClass *Util) override;

protected:
    /// A summary row shows its net amounts and average rates as texts
    /// ("Ccy1: ...", "Sell Rate: ...") in the dealer, bank and value-date columns.
    const ShownRows &shownRows() const override;
};

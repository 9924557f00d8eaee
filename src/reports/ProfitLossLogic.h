#pragma once

#include "ReportLogic.h"

#include "Currency.h"

#include <QDate>
#include <QString>

#include <optional>

namespace services {
class RateProgram;
}

/// The profit and loss report's logic (cnt_ProfitLoss, owner number 11): the
/// server sums the day's FX deals per currency and value date (result set 2)
/// and lists them (result set 1, the detail window's deals); the report
/// revalues each row's open position in US dollars at the current rate and
/// closes each currency with a summary row.
///
/// The current rate comes from the row ("CurrentRate", the administrator's
/// rate) while the switch WithAdminRate is on, and from the rate program the
/// run was given otherwise (the mid of its quote; an unusable quote, a
/// failed query or no program give 0, and the row is marked as without a
/// rate). US dollars are always at 1. A currency quoted directly (US dollars
/// per unit, the row's "DirectQuote" from the Currencies table) is revalued
/// by multiplying, every other by dividing.
///
/// With WithRecalc on, the day's start position ("moveOVP") counts in the
/// open position, and the deal types, counterparties, categories and
/// statuses do not reach the server. The figures the run gives the toolbar
/// are ProfitFigure (the sum of the currencies' results) and
/// CommissionFigure (the commission of every currency in US dollars).
class ProfitLossLogic : public ReportLogic
{
public:
    static constexpr const char *ProfitFigure = "TotalProfit";
    static constexpr const char *CommissionFigure = "CurComUSD";

    QString procedure() const override { return QStringLiteral("cnt_ProfitLoss"); }
    int owner() const override { return 11; }
    std::span<const FilterSlot> filterSlots() const override;
    DisplayLayout layout() const override;
    std::span<const StoredSwitch> storedSwitches() const override;
    /// The end of the range as "End Date".
    std::span<const QueryKey::Bound> storedBounds() const override;
    std::optional<DetailView> detailView() const override { return dvSingleCurrency; }
    /// The currency and, on a value-date row, the date: "EUR (2026-12-08)".
    QString detailCaption(data::Recordset &display) const override;
    int displayResultSet() const override { return 1; }
    int detailResultSet() const override { return 0; }

    /// The report date, kind 1 (the deal date); "All" stores an open range.
    bool storeDates(FilterStore &store, const RunQuery &run) const override;
    bool appliesSlot(const FilterSlot &slot, const RunQuery &run) const override;
    /// As ReportLogic, and "@TotalCom" 0 on the way in.
    void setParameters(data::Command &command, const RunQuery &run) const override;
    DisplayCounts buildRunDisplay(data::Recordset &positions, data::Recordset &display,
                                  const RunQuery &run) const override;

    /// The rate program's rate of a currency on a day: the mid of a usable
    /// quote (status 0 or 1, neither side below 0); 0 for any other answer
    /// and without a program.
    static double marketRate(const services::RateProgram *rates, const QString &code, QDate day);
    /// An open position in US dollars at rate (0 without a rate), to four
    /// decimals.
    static data::Currency revalue(data::Currency open, double rate, bool direct);
};

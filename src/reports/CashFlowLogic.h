#pragma once

#include "ReportLogic.h"

#include "Value.h"

#include <QList>
#include <QPair>

/// The logic of the cash-flow reports (the cash flow and the dealers
/// report): per currency, the money the selected deals pay and receive on
/// each value date, split by deal type, with the running balance and a
/// summary row per currency. The procedure (cnt_CashFlow) does all the
/// arithmetic; the display copies its flow rows and gives each the filter of
/// its deals for the detail window, which lists the procedure's second result
/// set (the deals behind the flows).
///
/// The value-date range is on slots 0 and 1 ("Start Value", "End Value",
/// stored as kind 2) and the trade-date range on slots 15 and 16 ("Start
/// Trade", "End Trade", kind 1); the registry keeps them in "Date" and
/// "EndDate", "Trade Date" and "End Trade Date". Each report stores its
/// selections under its own owner number and passes it to the procedure.
class CashFlowLogic final : public ReportLogic
{
public:
    /// The deal types the deal-type box offers.
    static constexpr const char *DealTypes[] = {"Spot", "Outright", "Swap", "Deposit"};

    /// owner: the report's owner number; switches: the rollover and netting
    /// switches the report stores with its query (none for the dealers report).
    CashFlowLogic(int owner, std::span<const StoredSwitch> switches);

    QString procedure() const override { return QStringLiteral("cnt_CashFlow"); }
    int owner() const override { return m_owner; }
    std::span<const FilterSlot> filterSlots() const override;
    DisplayLayout layout() const override;
    std::optional<ChartLayout> chart() const override;
    std::span<const StoredSwitch> storedSwitches() const override { return m_switches; }
    std::span<const QueryKey::Bound> storedBounds() const override;
    std::optional<DetailView> detailView() const override { return dvNewDetail; }
    int detailResultSet() const override { return 1; }
    /// The currency and, on a day row, the value date: "EUR (2026-12-08)".
    QString detailCaption(data::Recordset &display) const override;

    // ---- worker --------------------------------------------------------------------
    /// The value dates as kind 2, the trade dates as kind 1.
    bool storeDates(FilterStore &store, const RunQuery &run) const override;
    /// The procedure's parameters by name: "@UserName", "@DateReport"
    /// (today), "@OwnerID" and, for a report with the switches, "@R1" and
    /// "@N1" (2 when "WithRollower" or "WithNetting" is on, else 0). The
    /// execution library takes them as they are; a Command takes those it has.
    QList<QPair<QString, data::Value>> parameterValues(const RunQuery &run) const;
    void setParameters(data::Command &command, const RunQuery &run) const override;
    /// One display row per flow row, in the procedure's order. A summary row
    /// keeps the procedure's number of deals: the distinct deals of the
    /// currency, where the day rows count a swap or a deposit on each of its
    /// dates.
    DisplayCounts buildDisplay(data::Recordset &flows, data::Recordset &display) const override;

    /// The detail criteria of a currency ("Ccy1 = 3 OR Ccy2 = 3") and of one
    /// of its value dates (a leg in the currency on that date).
    static QString currencyCriteria(int currency);
    static QString dayCriteria(int currency, QDate day);

private:
    int m_owner;
    std::span<const StoredSwitch> m_switches;
};

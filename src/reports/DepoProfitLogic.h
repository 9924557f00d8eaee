#pragma once

#include "ReportLogic.h"

/// The logic of the deposit carry reports: per currency (and, over a range,
/// per start date and currency) the deposits given and taken with their
/// effective rates, the carry result of the matched amount in the currency
/// and in US dollars, the net position and its rate. The procedure gives the
/// deposits with their currency's tax terms, rate to the US dollar (units
/// per dollar) and day basis; the display computes the rest.
///
/// One deposit's effective rate, with R its rate (a fraction a year), d its
/// days and B the day basis: r = ((1 + d R / B)^(1/d) - 1) B. A taken
/// deposit above the currency's highest untaxed rate (MaxTakeRate) is first
/// raised by the tax on the excess: R + (R - MaxTakeRate) TakeTax. With the
/// switch "WithTaxe" off the tax terms count as 0.
///
/// A deposit of 0 days has no effective rate (the formula would divide by
/// zero): it counts in the amounts and deals, not in the rates, and its row
/// is marked as one whose rates are incomplete (RateFound false), as a row
/// without a rate to the dollar or a day basis is.
class DepoProfitLogic final : public ReportLogic
{
public:
    /// The run switch of the tax terms.
    static constexpr const char *TaxSwitch = "WithTaxe";
    /// The figure of the summed result in US dollars.
    static constexpr const char *ProfitFigure = "ProfitUSD";

    /// range: per start date over a range (cnt_ProfitLossDepoRange, owner
    /// 14), else the deposits outstanding on the report date
    /// (cnt_ProfitLossDepo, owner 12).
    explicit DepoProfitLogic(bool range) : m_range(range) {}

    QString procedure() const override;
    int owner() const override { return m_range ? 14 : 12; }
    std::span<const FilterSlot> filterSlots() const override;
    DisplayLayout layout() const override;
    std::span<const QueryKey::Bound> storedBounds() const override;
    /// The report date's deposits in the detail window; none over a range.
    std::optional<DetailView> detailView() const override;
    QString detailCaption(data::Recordset &display) const override;

    // ---- worker --------------------------------------------------------------------
    /// The report date (kind 1), or the range of start dates (kind 2).
    bool storeDates(FilterStore &store, const RunQuery &run) const override;
    DisplayCounts buildRunDisplay(data::Recordset &deposits, data::Recordset &display,
                                  const RunQuery &run) const override;

    /// One deposit's effective rate (see above); nullopt for 0 days or
    /// without a day basis.
    static std::optional<double> effectiveRate(double percent, int days, int basis);

private:
    bool m_range;
};

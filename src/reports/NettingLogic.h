#pragma once

#include "ReportLogic.h"

/// The logic of the counterparty position in one of its two views: per
/// counterparty, the summed volumes and the number of the filtered FX deals
/// in each currency (cnt_Netting) or in each currency pair (cnt_NettingPair),
/// so that what could be settled net with a counterparty can be seen.
///
/// The procedure returns one row per deal and currency (or pair), ordered by
/// counterparty and key; the display sums each run of rows of one
/// counterparty and key into one row, whose filter ("CounterPartyID = 7 AND
/// Ccy = 3", after the netting condition when there is one) picks its deals
/// from the result for the detail window.
///
/// The currency view applies the currency box and the netting condition;
/// the pair view the pair box only. The netting condition is the report's
/// (see Netting) and reaches the run as the switch "NettingCondition".
class NettingLogic final : public ReportLogic
{
public:
    enum class View { Currency, Pair };
    /// The run switch that carries the netting condition.
    static constexpr const char *ConditionSwitch = "NettingCondition";

    explicit NettingLogic(View view);

    View view() const { return m_view; }
    QString procedure() const override;
    int owner() const override { return 10; }
    std::span<const FilterSlot> filterSlots() const override;
    DisplayLayout layout() const override;
    std::span<const QueryKey::Bound> storedBounds() const override;
    std::optional<DetailView> detailView() const override { return dvNewDetail; }
    /// The result field the rows are summed by: "Ccy" or "PairCcy".
    const char *keyField() const { return m_view == View::Pair ? "PairCcy" : "Ccy"; }

    // ---- worker --------------------------------------------------------------------
    /// The currency box in the currency view, the pair box in the pair view;
    /// every other slot in both.
    bool appliesSlot(const FilterSlot &slot, const RunQuery &run) const override;
    /// The value-date range (kind 2) from "Start Value" to "End Value".
    bool storeDates(FilterStore &store, const RunQuery &run) const override;
    /// The netting condition (kind 7); none in the pair view.
    bool storeConditions(FilterStore &store, const RunQuery &run) const override;
    DisplayCounts buildRunDisplay(data::Recordset &result, data::Recordset &display,
                                  const RunQuery &run) const override;

    /// The netting condition of a netting filter's text: "" for "All",
    /// "NETTING = 2" for "Yes", "NETTING <> 2" for "No" (in any case);
    /// nullopt for any other text, which leaves the condition as it was.
    static std::optional<QString> conditionOf(const QString &nettingFilter);

private:
    View m_view;
};

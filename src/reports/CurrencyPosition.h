#pragma once

#include "Report.h"

/// The currency position report ("Currency Position"): per currency, the
/// amounts of the user's FX deals that settle on the report's value date
/// (each deal gives its two currencies, a swap its near and far legs, each on
/// its own value date), and one summary row per currency with the total and
/// the number of amounts. With the recalculation switch on, the position
/// also counts each currency's recalculation amount (the broker's commission
/// to be paid, from cnt_CurrencyPosition) and every currency and pair.
///
/// The server (cnt_CurrencyPosition, owner number 7) selects the amounts;
/// the report builds the grouped display. The currency box holds the query's
/// Pair, the pair box its Pair2.
class CurrencyPosition final : public Report
{
    Q_OBJECT
    Q_PROPERTY(bool WithRecalc READ withRecalc WRITE setWithRecalc)

public:
    explicit CurrencyPosition(QObject *parent = nullptr);

    /// Whether the position is recalculated (tool "ID_WithRecalculate",
    /// stored with the query as "With Recalc"); the setter keeps the tool in
    /// step. It takes effect at the next run.
    bool WithRecalc = false;
    bool withRecalc() const { return WithRecalc; }
    void setWithRecalc(bool on);

    void SetUtil(EventClass *Util) override;

    /// The text the warning shows before a recalculated run with a currency
    /// or pair selection (texts 3018 and 3019).
    static QString recalcWarningText();

protected:
    /// A recalculated position counts every currency and pair, so a
    /// currency or pair selection would silently not apply: the user is asked
    /// first (OK/Cancel, MessageService::Confirm).
    bool confirmRun() override;
    /// A summary row shows "Deals: n" in the counterparty column and, when
    /// its run recalculated, "Recalc: " and the amount in the dealer column.
    const ShownRows &shownRows() const override;
};

#pragma once

#include "Report.h"

/// The profit and loss range report ("Profit/Loss Range"): per dealer, the
/// turnover and the trading result of the FX deals whose first value date
/// lies in the report's date range, and one summary row over every dealer.
/// The toolbar's "ID_Profit" shows the grand result.
///
/// The server (cnt_ProfitLossRange, owner number 13) values the deals in US
/// dollars and sums them per dealer; the report lists every row it returns
/// and adds the summary. Filters: the date range ("Start Report Date"/"End
/// Report Date", slots 0 and 1, ValDate/EndDate, stored as "Date" and "End Date";
/// the start defaults to today, the end to "All"), the dealers and the
/// client switch: nothing else reaches the server, so no other box is offered.
///
/// There is no detail window, no rate program and no view switch: the
/// report hides those tools while it is bound and shows them again when it
/// is cleared.
class Profit_LossRange final : public Report
{
    Q_OBJECT

public:
    explicit Profit_LossRange(QObject *parent = nullptr);

    void SetUtil(EventClass *Util) override;
    /// Gives the toolbar back the tools this report hid, then as Report.
    void ClearUtil() override;
    /// As Report, and the grand result on "ID_Profit" (0 without a result).
    void AsConnect_ExecuteComplete(const ReportRun::Outcome &outcome) override;
};

#pragma once

#include "Report.h"

/// The profit by currency report ("Profit/Loss Currency"): per currency and
/// value date, what the filtered FX deals sold and bought, the total, the
/// amounts in US dollars at the administrator's rate ("USD Total") and at the
/// central bank's rate ("USD CB"), and the number of deals, with one summary
/// row per currency. The toolbar shows the two grand results the server
/// delivers: "ID_Profit" at the administrator's rate and
/// "ID_ProffitWithCommission", captioned "CB Profit/Loss", at the central
/// bank's.
///
/// The server (cnt_ProfitCurrency, owner number 20) selects the amounts and
/// values them in US dollars; the report groups them on the run's worker.
///
/// Filters: the deals by their deal date ("Start Trade"/"End Trade", slots 0
/// and 1, ValDate/EndDate, stored as "Date"/"End Date") and their amounts by
/// the amount's value date ("Start Value"/"End Value", slots 15 and 16,
/// ValDate1/EndDate1, stored as "Trade Date"/"End Trade Date": the names the
/// stored queries have always used). The deal-date start defaults to today,
/// the other three bounds to "All"; only the deal-date start must be set.
///
/// The detail window lists the deals (the procedure's third result) of the
/// current row: a day row's deals, every deal of a currency on its summary row.
class ProfitCurrency final : public Report
{
    Q_OBJECT

public:
    explicit ProfitCurrency(QObject *parent = nullptr);

    void SetUtil(EventClass *Util) override;
    /// Hides the report's toolbar figures, then as Report.
    void ClearUtil() override;
    /// As Report, and the two grand results on the toolbar (0 without a
    /// result); the detail window lists the procedure's deals.
    void AsConnect_ExecuteComplete(const ReportRun::Outcome &outcome) override;
    /// As Report, the summaries bold only among the day rows.
    void RebindTable() override;
};

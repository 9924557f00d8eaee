#pragma once

#include "DayRangeReport.h"

/// What the cash-flow reports (the cash flow and the dealers report) share
/// beyond their logic (CashFlowLogic): the tools, the format conditions, the
/// deal-type columns that follow the deal-type selection, and the summary
/// rows, which sort after every value date and show "Summary" as their date.
class CashFlowReport : public DayRangeReport
{
    Q_OBJECT
public:
    /// As the other day-range reports, with the recalculation tool hidden,
    /// negative summaries bold red, other summaries bold blue and a negative
    /// daily position red.
    void SetUtil(EventClass *Util) override;
    /// As Report, and the deal-type columns of the selected types only: all
    /// of them for "All", the three columns of each checked type, and the
    /// deposit and interest columns for "Deposit".
    void RebindTable() override;
    /// A summary row's date reads as 1 January 5000, so that it sorts after
    /// the currency's value dates.
    QVariant FitchData(int ColIndex, int RowBookmark) override;
    /// A summary row shows "Summary" in place of its date.
    void UnboundChangeData(QVector<QVariant> &Values) override;
    /// As Report; the number of deals shown is that of the deals behind the
    /// flows (the second result set).
    void AsConnect_ExecuteComplete(const ReportRun::Outcome &outcome) override;

protected:
    using DayRangeReport::DayRangeReport;

private:
    /// Whether display row `row` (0 first, among the rows the grid shows) is a summary row.
    bool isSummaryRow(int row) const;
};

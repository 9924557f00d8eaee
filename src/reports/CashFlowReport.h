#pragma once

#include "CurrencyDaysReport.h"

/// What the cash-flow reports (the cash flow and the dealers report) share
/// beyond their logic (CashFlowLogic) and the rows per currency and value
/// date (CurrencyDaysReport): the deal-type columns that follow the deal-type
/// selection, and the number of deals shown.
class CashFlowReport : public CurrencyDaysReport
{
    Q_OBJECT
public:
    /// As CurrencyDaysReport, and the deal-type columns of the selected types
    /// only: all of them for "All", the three columns of each checked type,
    /// and the deposit and interest columns for "Deposit".
    void RebindTable() override;
    /// As Report; the number of deals shown is that of the deals behind the
    /// flows (the second result set).
    void AsConnect_ExecuteComplete(const ReportRun::Outcome &outcome) override;

protected:
    /// A negative daily position is red.
    CashFlowReport(const QString &appName, const ReportLogic &logic, QObject *parent)
        : CurrencyDaysReport(appName, logic, "Daily", parent)
    {
    }
};

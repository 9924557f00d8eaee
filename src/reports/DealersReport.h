#pragma once

#include "CashFlowReport.h"

/// The dealers report ("Dealers Report"): the cash flow's rows and columns
/// (see CashFlowLogic) under a query of its own (owner number 72), without
/// the rollover and netting switches. No window type creates it; a host creates
/// it by its class name. Its query runs as the other reports' do, on a
/// connection of the report's own, on a worker.
class DealersReport final : public CashFlowReport
{
    Q_OBJECT
public:
    explicit DealersReport(QObject *parent = nullptr);

    /// An empty recordset with the fields (names and types) of the deal rows
    /// of the last result, for printing; null while there is no result.
    Q_INVOKABLE data::RecordsetPtr GetDetRecForPrint() const;
};

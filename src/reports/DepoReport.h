#pragma once

#include "CurrencyDaysReport.h"

/// The deposit report ("Depo Report"): the deposit position's rows per
/// currency and start date with every figure from the server
/// (ncnt_DepoReport1): the given and taken principal with their average
/// rates before and after the interest tax, the position with its rate, and
/// the interest split into given and taken; a summary row per currency. No
/// window type creates it; a host creates it by its class name. Its query
/// runs as the other reports' do, on a worker, under owner number 5.
class DepoReport final : public CurrencyDaysReport
{
    Q_OBJECT
public:
    explicit DepoReport(QObject *parent = nullptr);

    /// The deposits behind the report, for printing; null while there is no result.
    Q_INVOKABLE data::RecordsetPtr GetDetRecForPrint() const { return DetRecordset; }

    /// As Report; the numbers of currencies and deals shown are the
    /// procedure's (its third result set), -1 when it gives none.
    void AsConnect_ExecuteComplete(const ReportRun::Outcome &outcome) override;
};

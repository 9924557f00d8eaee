#pragma once

#include <Marvolt/Report.h>

/// A report class of the host's own, made from the public report base: per
/// currency, the deposits given and taken and the position, from the deposit
/// report's procedure (ncnt_DepoReport1, its summary rows). It shows how a
/// host declares a report (procedure, owner, display fields, columns and the
/// display build) and hands it to Marvolt::installReport().
class DepositTotals final : public Report
{
    Q_OBJECT
public:
    explicit DepositTotals(QObject *parent = nullptr);
};

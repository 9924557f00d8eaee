#pragma once

#include "Report.h"

#include "Currency.h"

/// The deposit carry result ("Profit/Loss Depo"): per currency, the deposits
/// outstanding on the report date, given and taken, with their average
/// effective rates, the carry of the matched amount in the currency and in
/// US dollars, the net position and its rate (see DepoProfitLogic); the
/// summed result in US dollars on the toolbar ("ID_Profit"). The deposits of
/// a currency's row are listed in the detail window.
///
/// WithTaxe (tool "ID_WithTaxe") applies the currencies' tax terms at the
/// next run. The report has no rate program: ShowReutersRate and
/// HideReutersRate do nothing.
///
/// The range report (Profit_LossDepoRange) shows the same per start date
/// and currency over a range of start dates, without a detail window.
class Profit_LossDepo : public Report
{
    Q_OBJECT
    Q_PROPERTY(bool WithTaxe READ withTaxe WRITE setWithTaxe)

public:
    explicit Profit_LossDepo(QObject *parent = nullptr);

    bool WithTaxe = false;
    bool withTaxe() const { return WithTaxe; }
    /// Sets the switch and the tool's check mark.
    void setWithTaxe(bool on);

    /// The sum of the last result's results in US dollars.
    data::Currency TotalProfit;

    void SetUtil(EventClass *Util) override;
    void ClearUtil() override;
    void AsConnect_ExecuteComplete(const ReportRun::Outcome &outcome) override;

    Q_INVOKABLE void ShowReutersRate() {}
    Q_INVOKABLE void HideReutersRate() {}

protected:
    Profit_LossDepo(const QString &appName, const ReportLogic &logic, QObject *parent);
};

/// The deposit carry result per start date and currency over a range
/// ("Profit/Loss Depo Range"), grouped by start date.
class Profit_LossDepoRange final : public Profit_LossDepo
{
    Q_OBJECT
public:
    explicit Profit_LossDepoRange(QObject *parent = nullptr);
};

#pragma once

#include "Report.h"

#include "Currency.h"

/// The brokers' position ("Brokers Position"): the commission owed to each
/// broker per trade day, one row per currency with the commission booked on
/// the deals, the commission the broker's tariff gives for the deals booked
/// without one, their sum, the rate to the US dollar and the sum in US
/// dollars, then a summary row ("USD Summary") with the day's total in US
/// dollars. The grand total in US dollars is shown on the toolbar band
/// "Profit_Loss" as "Commission in USD", red when negative.
///
/// The procedure (cnt_BrokerPosition) computes the commissions and their
/// conversion; a row whose rate is missing is shown in magenta and enters
/// the totals as delivered. The rows are grouped by broker and trade day.
///
/// The dates are the trade days (slots 0 and 1, "Start Date" and "End
/// Date"); the broker box lists the brokers and selects them by number. The
/// report has no detail window.
class BrokersPosition final : public Report
{
    Q_OBJECT
    Q_PROPERTY(bool WithRecalc READ withRecalc WRITE setWithRecalc)
    Q_PROPERTY(bool WithCommission READ withCommission WRITE setWithCommission)

public:
    explicit BrokersPosition(QObject *parent = nullptr);

    /// Kept with the query as "With Recalc" and "With Commission" and shown
    /// on the tools "ID_WithRecalculate" and "ID_WithCommission"; they change
    /// nothing in this report's figures.
    bool WithRecalc = false;
    bool withRecalc() const { return WithRecalc; }
    void setWithRecalc(bool on);
    bool WithCommission = false;
    bool withCommission() const { return WithCommission; }
    void setWithCommission(bool on);

    /// The commission of the last result in US dollars: the sum of its
    /// currency rows.
    data::Currency TotalUSD;

    void SetUtil(EventClass *Util) override;
    void ClearUtil() override;
    void AsConnect_ExecuteComplete(const ReportRun::Outcome &outcome) override;

    /// The profit reports' rate window; this report has none.
    Q_INVOKABLE void ShowReutersRate() {}
    Q_INVOKABLE void HideReutersRate() {}
};

#pragma once

#include "Report.h"

#include "Currency.h"

#include <memory>

class ProfitLossLogic;
namespace services {
class RateProgram;
}

/// The profit and loss report ("Profit/Loss"): per currency and value date
/// the start position, the amounts sold and bought, the open position, the
/// commission, the current rate against the US dollar and the open position
/// revalued in US dollars; a summary row per currency with the mean rates
/// weighted by the open positions; the grand result on the toolbar band
/// "Profit_Loss", without ("ID_Profit") and with the commission
/// ("ID_ProffitWithCommission"). See ProfitLossLogic for the arithmetic.
///
/// The current rates come from the administrator's rates of the procedure
/// (WithAdminRate, the default, tool "ID_RateSource" unchecked) or from the
/// rate program, which the report starts at set-up (ReutersRate; without a
/// program its two tools are disabled and every rate it would give is 0).
/// The program's window follows the tool "ID_ReutersRate"; closing the
/// window unchecks the tool. A change of source takes effect at the next run.
///
/// The US dollar / rouble book (Profit_LossUSDRUB) is the same report over
/// another procedure.
class Profit_Loss : public Report
{
    Q_OBJECT
    Q_PROPERTY(bool WithRecalc READ withRecalc WRITE setWithRecalc)
    Q_PROPERTY(bool WithCommission READ withCommission WRITE setWithCommission)
    Q_PROPERTY(bool WithAdminRate MEMBER WithAdminRate)

public:
    explicit Profit_Loss(QObject *parent = nullptr);
    ~Profit_Loss() override;

    /// The start position counts in the open position (tool
    /// "ID_WithRecalculate", stored as "With Recalc").
    bool WithRecalc = false;
    bool withRecalc() const { return WithRecalc; }
    void setWithRecalc(bool on);
    /// The total with commission also subtracts the tariff commission the
    /// procedure returns (tool "ID_WithCommission", stored as "With Commission").
    bool WithCommission = false;
    bool withCommission() const { return WithCommission; }
    void setWithCommission(bool on);
    /// The current rates are the administrator's (true) or the rate program's.
    bool WithAdminRate = true;
    /// Set by ClearUtil: the rate window's closing then releases the program.
    bool FlagShutDown = false;

    /// The tariff commission of the last result ("@TotalCom"), in US dollars.
    data::Currency ComComUSD;
    /// The commission of every currency of the last result, in US dollars.
    data::Currency CurComUSD;
    /// The sum of the last result's currency results.
    data::Currency TotalProfit;

    /// The rate program; null when it could not start or was released.
    std::shared_ptr<services::RateProgram> ReutersRate;

    QString rateSource() const override;

    void SetUtil(EventClass *Util) override;
    /// FlagShutDown, then closes the rate program (whose closing releases
    /// it), then as Report.
    void ClearUtil() override;
    void AsConnect_ExecuteComplete(const ReportRun::Outcome &outcome) override;
    /// As Report; the start position is shown exactly when WithRecalc is on,
    /// and the summaries are bold only among the value-date rows.
    void RebindTable() override;

    Q_INVOKABLE void ShowReutersRate();
    Q_INVOKABLE void HideReutersRate();
    /// The rate window closed: unchecks "ID_ReutersRate", or releases the
    /// program while the report is being cleared.
    void ReutersRate_RateClose();

    /// What "ID_ProffitWithCommission" shows.
    data::Currency profitWithCommission() const;

protected:
    Profit_Loss(const QString &appName, const ProfitLossLogic &logic, QObject *parent);
    void completeRunQuery(RunQuery &run) override;

private:
    void showFigures();
};

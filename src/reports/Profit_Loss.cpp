#include "Profit_Loss.h"

#include "ProfitLossLogic.h"
#include "ProfitTotals.h"
#include "ReportGrid.h"
#include "ReportToolbar.h"

#include "RateProgram.h"
#include "SessionContext.h"

#include <QThread>

namespace {

const ProfitLossLogic Logic;

const QString ReutersRateTool = QStringLiteral("ID_ReutersRate");
const QString RateSourceTool = QStringLiteral("ID_RateSource");

/// The program, shared with the runs that ask it for rates: destroyed on
/// its own thread whichever of them lets it go last.
std::shared_ptr<services::RateProgram> shareProgram(std::unique_ptr<services::RateProgram> program)
{
    // A shared_ptr calls its deleter on a null pointer too.
    if (!program)
        return nullptr;
    return std::shared_ptr<services::RateProgram>(program.release(), [](services::RateProgram *p) {
        if (p->thread() == QThread::currentThread())
            delete p;
        else
            p->deleteLater();
    });
}

} // namespace

Profit_Loss::Profit_Loss(QObject *parent) : Profit_Loss(QStringLiteral("Profit/Loss"), Logic, parent) {}

Profit_Loss::Profit_Loss(const QString &appName, const ProfitLossLogic &logic, QObject *parent)
    : Report(appName, logic, parent)
{
}

Profit_Loss::~Profit_Loss() = default;

void Profit_Loss::setWithRecalc(bool on)
{
    WithRecalc = on;
    setToolState(QStringLiteral("ID_WithRecalculate"), on ? 1 : 0);
}

void Profit_Loss::setWithCommission(bool on)
{
    WithCommission = on;
    setToolState(QStringLiteral("ID_WithCommission"), on ? 1 : 0);
}

QString Profit_Loss::rateSource() const
{
    return WithAdminRate ? QStringLiteral("administrator's rates") : QStringLiteral("rate program (market rates)");
}

void Profit_Loss::SetUtil(EventClass *Util)
{
    WithAdminRate = true;
    FlagShutDown = false;
    ProfitTotals totals(Main_Menu);
    totals.setUpBand(ProfitTotals::bandTools());
    offerArchiveSwitch();
    SessionContext::instance().Trace(QStringLiteral("Start ReutersRate"));
    if (!ReutersRate) {
        ReutersRate = shareProgram(services::startRateProgram(SessionContext::instance().ConnectionString()));
        if (ReutersRate)
            connect(ReutersRate.get(), &services::RateProgram::RateClose, this, &Profit_Loss::ReutersRate_RateClose);
    }
    setToolEnabled(ReutersRateTool, ReutersRate != nullptr);
    setToolEnabled(RateSourceTool, ReutersRate != nullptr);
    SessionContext::instance().Trace(QStringLiteral("End ReutersRate"));
    Report::SetUtil(Util);
    setWithRecalc(WithRecalc);
    setWithCommission(WithCommission);
    totals.showZero();
    if (Main_Table) {
        // After the base's "Summ": the later condition wins, so a negative
        // result is red although its row is a summary row too.
        Main_Table->addHighlight(QStringLiteral("NegSumm"), QStringLiteral("NegSumm"), true, 0x0000FF);
        Main_Table->addHighlight(QStringLiteral("Rate"), QStringLiteral("RateFound"), false, 0xFF00FF, false);
        Main_Table->addNegativeHighlight(QStringLiteral("Negative"), QStringLiteral("ProfitLoss"), 0x0000FF);
    }
}

void Profit_Loss::ClearUtil()
{
    FlagShutDown = true;
    if (ReutersRate)
        ReutersRate->CloseProgram();
    ProfitTotals(Main_Menu).clearBand();
    Report::ClearUtil();
}

void Profit_Loss::ShowReutersRate()
{
    if (ReutersRate)
        ReutersRate->ShowWindow();
}

void Profit_Loss::HideReutersRate()
{
    if (ReutersRate)
        ReutersRate->HideWindow();
}

void Profit_Loss::ReutersRate_RateClose()
{
    if (FlagShutDown) {
        // Raised from inside CloseProgram: the program goes once that has
        // returned (or with the report, which drops the posted call).
        QMetaObject::invokeMethod(this, [program = std::move(ReutersRate)] {}, Qt::QueuedConnection);
        return;
    }
    setToolState(ReutersRateTool, 0);
}

void Profit_Loss::completeRunQuery(RunQuery &run)
{
    if (!WithAdminRate)
        run.rates = ReutersRate;
}

void Profit_Loss::RebindTable()
{
    Report::RebindTable();
    if (!Main_Table)
        return;
    Main_Table->setColumnVisible(QStringLiteral("StartPosition"), WithRecalc);
    boldSummariesBesideDetails();
}

void Profit_Loss::AsConnect_ExecuteComplete(const ReportRun::Outcome &outcome)
{
    const QVariantMap &figures = outcome.counts.figures;
    TotalProfit = outcome.display ? figures.value(QString::fromLatin1(ProfitLossLogic::ProfitFigure)).value<data::Currency>()
                                  : data::Currency();
    CurComUSD = outcome.display
                    ? figures.value(QString::fromLatin1(ProfitLossLogic::CommissionFigure)).value<data::Currency>()
                    : data::Currency();
    ComComUSD = outcome.result ? outcome.outputs.value(QStringLiteral("@TotalCom")).value<data::Currency>()
                               : data::Currency();
    Report::AsConnect_ExecuteComplete(outcome);
    showFigures();
}

data::Currency Profit_Loss::profitWithCommission() const
{
    return WithCommission ? TotalProfit - CurComUSD - ComComUSD : TotalProfit - CurComUSD;
}

void Profit_Loss::showFigures()
{
    const ProfitTotals totals(Main_Menu);
    if (NumTable == 0) {
        totals.showZero();
        return;
    }
    totals.show(ProfitTotals::ProfitTool, TotalProfit);
    totals.show(ProfitTotals::CommissionTool, profitWithCommission());
}

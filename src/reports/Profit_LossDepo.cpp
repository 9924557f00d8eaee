#include "Profit_LossDepo.h"

#include "DepoProfitLogic.h"
#include "ProfitTotals.h"
#include "ReportGrid.h"
#include "ReportToolbar.h"

namespace {

const DepoProfitLogic DayLogic(false);
const DepoProfitLogic RangeLogic(true);

const QString TaxTool = QStringLiteral("ID_WithTaxe");

} // namespace

Profit_LossDepo::Profit_LossDepo(QObject *parent) : Profit_LossDepo(QStringLiteral("Profit/Loss Depo"), DayLogic, parent)
{
}

Profit_LossDepo::Profit_LossDepo(const QString &appName, const ReportLogic &logic, QObject *parent)
    : Report(appName, logic, parent)
{
}

Profit_LossDepoRange::Profit_LossDepoRange(QObject *parent)
    : Profit_LossDepo(QStringLiteral("Profit/Loss Depo Range"), RangeLogic, parent)
{
}

void Profit_LossDepo::setWithTaxe(bool on)
{
    WithTaxe = on;
    setToolState(TaxTool, on ? 1 : 0);
}

void Profit_LossDepo::SetUtil(EventClass *Util)
{
    Report::SetUtil(Util);
    const ProfitTotals totals(Main_Menu);
    totals.setUpBand({ProfitTotals::ProfitTool});
    totals.show(ProfitTotals::ProfitTool, data::Currency());
    if (Main_Menu) {
        for (const char *tool : {"ID_WithTaxe", "ID_ShowSummary", "ID_ShowDetails"})
            Main_Menu->setToolVisible(QString::fromLatin1(tool), true);
        Main_Menu->setToolVisible(QStringLiteral("ID_DetailWIndow"), logic().detailView().has_value());
    }
    setToolEnabled(TaxTool, true);
    setToolEnabled(QStringLiteral("ID_DetailWIndow"), logic().detailView().has_value());
    setWithTaxe(WithTaxe);
    if (Main_Table) {
        // After the base's "Summ": a negative position's row is red, a
        // row whose rates are incomplete magenta.
        Main_Table->addHighlight(QStringLiteral("NegSumm"), QStringLiteral("NegSumm"), true, 0x0000FF);
        Main_Table->addHighlight(QStringLiteral("Rate"), QStringLiteral("RateFound"), false, 0xFF00FF, false);
        Main_Table->addNegativeHighlight(QStringLiteral("Negative"), QStringLiteral("PLinUSD"), 0x0000FF);
    }
}

void Profit_LossDepo::ClearUtil()
{
    ProfitTotals(Main_Menu).clearBand();
    Report::ClearUtil();
}

void Profit_LossDepo::AsConnect_ExecuteComplete(const ReportRun::Outcome &outcome)
{
    TotalProfit = outcome.display ? outcome.counts.figures.value(QString::fromLatin1(DepoProfitLogic::ProfitFigure))
                                        .value<data::Currency>()
                                  : data::Currency();
    Report::AsConnect_ExecuteComplete(outcome);
    ProfitTotals(Main_Menu).show(ProfitTotals::ProfitTool, NumTable > 0 ? TotalProfit : data::Currency());
}

#include "CashFlowReport.h"

#include "CashFlowLogic.h"
#include "ReportGrid.h"
#include "ReportToolbar.h"

#include "DateTime.h"

#include <QSet>

namespace {

/// The deal-type columns of each type the deal-type box offers.
struct TypeColumns
{
    const char *type;
    std::initializer_list<const char *> columns;
};

const TypeColumns DealTypeColumns[] = {
    {"Spot", {"Spot", "Spot_Sell", "Spot_Buy"}},
    {"Outright", {"Outright", "Outright_Sell", "Outright_Buy"}},
    {"Swap", {"Swap", "Swap_Sell", "Swap_Buy"}},
    {"Deposit", {"Deposit", "Deposit_Give", "Deposit_Take", "Interest", "Take", "Return"}},
};

const QDate SummarySortDate(5000, 1, 1);

} // namespace

void CashFlowReport::SetUtil(EventClass *Util)
{
    DayRangeReport::SetUtil(Util);
    if (Main_Menu) {
        Main_Menu->setToolVisible(QStringLiteral("ID_DetailWIndow"), true);
        Main_Menu->setToolVisible(QStringLiteral("ID_Recalculate"), false);
    }
    if (Main_Table) {
        // After the base's "Summ": a negative summary is red, not blue.
        Main_Table->addHighlight(QStringLiteral("NegSumm"), QStringLiteral("NegSumm"), true, 0x0000FF, true);
        Main_Table->addNegativeHighlight(QStringLiteral("Negative"), QStringLiteral("Daily"), 0x0000FF);
    }
    boldSummariesBesideDetails();
}

void CashFlowReport::RebindTable()
{
    DayRangeReport::RebindTable();
    boldSummariesBesideDetails();
    if (!Main_Table)
        return;
    const QStringList &selected = query().Deal;
    const bool all = QueryValues::isAll(selected);
    for (const TypeColumns &type : DealTypeColumns) {
        const bool shown = all || selected.contains(QString::fromLatin1(type.type));
        for (const char *column : type.columns)
            Main_Table->setColumnVisible(QString::fromLatin1(column), shown);
    }
}

bool CashFlowReport::isSummaryRow(int row) const
{
    const data::RecordsetPtr display = DisplayRecordset();
    return display && display->setAbsolutePosition(qint64(row) + 1)
           && display->Fields(QStringLiteral("Summary")).value().toBool();
}

QVariant CashFlowReport::FitchData(int ColIndex, int RowBookmark)
{
    QVariant value = DayRangeReport::FitchData(ColIndex, RowBookmark);
    if (ColIndex == columnIndex("Date") && isSummaryRow(RowBookmark))
        value = gridCellValue(data::Value(data::DateTime::fromDate(SummarySortDate)));
    return value;
}

void CashFlowReport::UnboundChangeData(QVector<QVariant> &Values)
{
    const data::RecordsetPtr display = DisplayRecordset();
    const int date = columnIndex("Date");
    if (display && !display->Eof() && !display->Bof() && date >= 0 && date < Values.size()
        && display->Fields(QStringLiteral("Summary")).value().toBool())
        Values[date] = QStringLiteral("Summary");
}

void CashFlowReport::AsConnect_ExecuteComplete(const ReportRun::Outcome &outcome)
{
    ReportRun::Outcome counted = outcome;
    const data::RecordsetPtr deals = outcome.results.size() > 1 ? outcome.results[1] : nullptr;
    counted.counts.deals = deals ? int(deals->RecordCount()) : 0;
    DayRangeReport::AsConnect_ExecuteComplete(counted);
}

#include "CashFlowReport.h"

#include "ReportGrid.h"

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

} // namespace

void CashFlowReport::RebindTable()
{
    CurrencyDaysReport::RebindTable();
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

void CashFlowReport::AsConnect_ExecuteComplete(const ReportRun::Outcome &outcome)
{
    ReportRun::Outcome counted = outcome;
    const data::RecordsetPtr deals = outcome.results.size() > 1 ? outcome.results[1] : nullptr;
    counted.counts.deals = deals ? int(deals->RecordCount()) : 0;
    CurrencyDaysReport::AsConnect_ExecuteComplete(counted);
}

#include "ValueListFillers.h"

#include "DatabaseLookups.h"
#include "Directories.h"
#include "ProcedureCall.h"

#include "DirectoryProvider.h"
#include "GridColumn.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcValueLists, "marvolt.valuelists")

namespace ValueListFillers {

namespace {

void addAll(widgets::ValueList *list, const TwoRowTable &table)
{
    for (int i = 0; i < table.size(); ++i)
        list->Add(table.id(i), table.text(i));
}

} // namespace

void FillPairValueList(widgets::GridColumn *column)
{
    if (!column)
        return;
    column->valueList()->Clear();
    addAll(column->valueList(), DirectoryProvider::instance().PairList(true));
}

void FillCurrencyValueList(widgets::GridColumn *column)
{
    if (!column)
        return;
    column->valueList()->Clear();
    addAll(column->valueList(), DirectoryProvider::instance().CurrencyList(true));
}

void FillBrokerValueList(widgets::GridColumn *column)
{
    if (!column || Directories::current().Brokers.isEmpty())
        return;
    column->valueList()->Clear();
    addAll(column->valueList(), Directories::current().Brokers);
}

void FillCounterpartyValueList(widgets::GridColumn *column)
{
    if (!column)
        return;
    ProcedureCall call(QStringLiteral("GetAllCpID"));
    data::RecordsetPtr rs = call.execute();
    if (!rs) {
        if (call.failed())
            qCWarning(lcValueLists).noquote() << "GetAllCpID:" << call.lastError()->Description;
        return;
    }
    const data::Field cpId = rs->Fields(QStringLiteral("CPID"));
    const data::Field name = rs->Fields(QStringLiteral("FullBankName"));
    if (!cpId.isValid() || !name.isValid())
        return;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
        column->valueList()->Add(cpId.value().toVariant(), name.value().toString());
}

void FillTraderValueList(widgets::GridColumn *column)
{
    if (!column)
        return;
    if (Directories::current().Traders.isEmpty())
        DatabaseLookups::GetTraderFromStaff();
    const TwoRowTable &traders = Directories::current().Traders;
    if (traders.isEmpty())
        return;
    addAll(column->valueList(), traders);
    column->valueList()->Add(QVariant(0), QStringLiteral("Summary"));
}

} // namespace ValueListFillers

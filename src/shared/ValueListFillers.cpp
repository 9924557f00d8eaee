#include "ValueListFillers.h"

#include "DatabaseLookups.h"
#include "DealVocabulary.h"
#include "Directories.h"
#include "ProcedureCall.h"

#include "DirectoryProvider.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcValueLists, "marvolt.valuelists")

namespace ValueListFillers {

namespace {

void addAll(ValueListSink *column, const TwoRowTable &table)
{
    for (int i = 0; i < table.size(); ++i)
        column->addValueListEntry(table.id(i), table.text(i));
}

} // namespace

void FillPairValueList(ValueListSink *column)
{
    if (!column)
        return;
    column->clearValueList();
    addAll(column, DirectoryProvider::instance().PairList(true));
}

void FillCurrencyValueList(ValueListSink *column)
{
    if (!column)
        return;
    column->clearValueList();
    addAll(column, DirectoryProvider::instance().CurrencyList(true));
}

void FillFxDealTypeValueList(ValueListSink *column)
{
    if (!column)
        return;
    column->clearValueList();
    for (const char *type : {"Spot", "Outright", "Swap"}) {
        const QString text = QString::fromLatin1(type);
        column->addValueListEntry(int(DealVocabulary::DealTypeCode(text)), text);
    }
}

void FillBrokerValueList(ValueListSink *column)
{
    if (!column || Directories::current().Brokers.isEmpty())
        return;
    column->clearValueList();
    addAll(column, Directories::current().Brokers);
}

void FillCounterpartyValueList(ValueListSink *column)
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
        column->addValueListEntry(cpId.value().toVariant(), name.value().toString());
}

void FillTraderValueList(ValueListSink *column)
{
    if (!column)
        return;
    if (Directories::current().Traders.isEmpty())
        DatabaseLookups::GetTraderFromStaff();
    const TwoRowTable &traders = Directories::current().Traders;
    if (traders.isEmpty())
        return;
    addAll(column, traders);
    column->addValueListEntry(QVariant(0), QStringLiteral("Summary"));
}

} // namespace ValueListFillers

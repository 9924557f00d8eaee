#include "ReportLogic.h"

#include "DealVocabulary.h"
#include "Directories.h"
#include "FilterStore.h"
#include "SessionContext.h"

#include "Command.h"
#include "DateTime.h"
#include "Recordset.h"

namespace {

/// The dealer condition the server parses: one name, or a list of them. A
/// quote inside a name is doubled, as the condition's syntax reads it.
QString dealerCondition(const QStringList &dealers)
{
    if (QueryValues::isAll(dealers))
        return {};
    QStringList quoted;
    for (const QString &dealer : dealers)
        quoted.append(QString(dealer).replace(QLatin1Char('\''), QLatin1String("''")));
    if (quoted.size() == 1)
        return QStringLiteral("DealerID = '") + quoted.first() + QLatin1Char('\'');
    return QStringLiteral("DealerID IN ('") + quoted.join(QStringLiteral("', '")) + QStringLiteral("')");
}

/// Client deals are those with ClDeal 2; "Client" and "Non Client" both
/// checked restrict nothing.
QString clientCondition(const QStringList &client)
{
    if (QueryValues::isAll(client))
        return {};
    const bool clients = client.contains(QLatin1String("Client"));
    if (clients && client.contains(QLatin1String("Non Client")))
        return {};
    return clients ? QStringLiteral("ClDeal = 2") : QStringLiteral("ClDeal <> 2");
}

QList<int> dealTypeCodes(const QStringList &selected, std::span<const char *const> offered)
{
    QList<int> codes;
    // Every type the filter offers selected is no restriction at all.
    if (QueryValues::isAll(selected) || (!offered.empty() && selected.size() >= qsizetype(offered.size())))
        return codes;
    for (const QString &type : selected)
        codes.append(DealVocabulary::DealTypeCode(type));
    return codes;
}

} // namespace

bool ReportLogic::storeSelections(FilterStore &store, const RunQuery &run) const
{
    if (!storeDates(store, run))
        return false;
    for (const FilterSlot &slot : filterSlots()) {
        if (appliesSlot(slot, run) && !storeSlot(store, slot, run))
            return false;
    }
    return storeConditions(store, run);
}

bool ReportLogic::appliesSlot(const FilterSlot &, const RunQuery &) const
{
    return true;
}

bool ReportLogic::storeDates(FilterStore &, const RunQuery &) const
{
    return true;
}

bool ReportLogic::storeFirstRange(FilterStore &store, const RunQuery &run, int kind)
{
    const QueryValues &q = run.query;
    return store.StoreDateRange(q.boundDate(q.ValDate, q.ValLong, run.today),
                                q.boundDate(q.EndDate, q.EndLong, run.today), kind);
}

bool ReportLogic::storeSecondRange(FilterStore &store, const RunQuery &run, int kind)
{
    const QueryValues &q = run.query;
    return store.StoreDateRange(q.boundDate(q.ValDate1, q.ValLong1, run.today),
                                q.boundDate(q.EndDate1, q.EndLong1, run.today), kind);
}

bool ReportLogic::storeConditions(FilterStore &, const RunQuery &) const
{
    return true;
}

bool ReportLogic::storeSlot(FilterStore &store, const FilterSlot &slot, const RunQuery &run) const
{
    // Every run starts from an empty store of its own (FilterStore's run
    // scope), so a selection without restriction needs no call at all.
    if (!slot.names)
        return true;
    const QStringList &names = run.query.*slot.names;
    const QVariantList &ids = run.ids[size_t(slot.index)];
    if (QueryValues::isAll(names))
        return true;
    switch (slot.store) {
    case StoreCall::None:
        return true;
    case StoreCall::Dealers:
        return store.StoreCondition(dealerCondition(names), 1) && store.StoreDealerF(ids, names);
    case StoreCall::TCIDs:
        return store.StoreTCIDF(names);
    case StoreCall::Attributes:
        return ids.isEmpty() || store.StoreAttributeF(ids);
    case StoreCall::DealTypes: {
        const QList<int> codes = dealTypeCodes(names, slot.items);
        return codes.isEmpty() || store.StoreDealTypeF(codes);
    }
    case StoreCall::Banks:
        return store.StoreBankF(names);
    case StoreCall::Categories: {
        const QStringList table = SessionContext::CategoryFilter(names);
        return table.isEmpty() || store.StoreCategoryF(table);
    }
    case StoreCall::Statuses: {
        TwoRowTable statuses;
        for (int i = 0; i < ids.size() && i < names.size(); ++i)
            statuses.append(names.at(i), ids.at(i));
        return statuses.isEmpty() || store.StoreStatusF(statuses);
    }
    case StoreCall::Pairs:
        return ids.isEmpty() || store.StorePairF(ids);
    case StoreCall::Currencies:
        return ids.isEmpty() || store.StoreCcyF(ids);
    case StoreCall::LoroNostro: {
        QList<int> codes;
        if (!QueryValues::isAll(names))
            for (const QString &account : names)
                codes.append(DealVocabulary::LoroNostroCode(account));
        return codes.isEmpty() || store.StoreNostroF(codes);
    }
    case StoreCall::Client:
        return store.StoreCondition(clientCondition(names), 5);
    case StoreCall::Brokers:
        return store.StoreDealerF(ids, names);
    }
    return true;
}

void ReportLogic::setParameters(data::Command &command, const RunQuery &run) const
{
    if (data::Parameter *user = command.Parameters().Item(QStringLiteral("@UserName")))
        user->setValue(run.userName);
    if (data::Parameter *date = command.Parameters().Item(QStringLiteral("@DateReport")))
        date->setValue(data::DateTime::fromDate(run.today));
    // Procedures that can add the archive's deals declare the switch.
    if (data::Parameter *archive = command.Parameters().Item(QStringLiteral("@WithArchive")))
        archive->setValue(run.switches.value(QStringLiteral("WithArchive")).toBool());
}

QString ReportLogic::dateLiteral(QDate day)
{
    return QLatin1Char('#') + data::DateTime::fromDate(day).toUsString() + QLatin1Char('#');
}

data::Field ReportLogic::field(data::Recordset &rs, const char *name)
{
    return rs.Fields(QString::fromLatin1(name));
}

QString ReportLogic::currencyCaption(data::Recordset &display, const char *dayField)
{
    if (display.Eof() || display.Bof())
        return {};
    const TwoRowTable &currencies = Directories::current().Currencies;
    const data::Value id = field(display, "Caption").value();
    const int index = currencies.indexOfId(id.toInt());
    QString caption = index >= 0 ? currencies.text(index) : id.toString();
    const data::Value day = field(display, dayField).value();
    const data::Field summary = field(display, "Summary");
    // A summary row's date is the last of its currency's, not its own.
    if (!day.isNull() && !(summary.isValid() && summary.value().toBool()))
        caption += QStringLiteral(" (") + day.toDate().date().toString(Qt::ISODate) + QLatin1Char(')');
    return caption;
}

QString ReportLogic::detailCaption(data::Recordset &) const
{
    return {};
}

DisplayCounts ReportLogic::buildDisplay(data::Recordset &, data::Recordset &) const
{
    return {};
}

DisplayCounts ReportLogic::buildRunDisplay(data::Recordset &result, data::Recordset &display, const RunQuery &) const
{
    return buildDisplay(result, display);
}

#include "DayRangeReport.h"

#include "DatabaseLookups.h"
#include "QueryKey.h"
#include "RegistryAccess.h"

namespace {

/// One date bound of the stored query: its value name, the report's fields
/// and what an absent value reads as.
struct StoredBound
{
    const char *valueName;
    QVariant QueryValues::*date;
    QVariant QueryValues::*offset;
    bool openByDefault;
};

// "Date" is the common value of ValDate, read and written with the rest of
// the query; the others are this kind of report's own.
const StoredBound OwnBounds[] = {
    {"EndDate", &QueryValues::EndDate, &QueryValues::EndLong, true},
    {"Trade Date", &QueryValues::ValDate1, &QueryValues::ValLong1, false},
    {"End Trade Date", &QueryValues::EndDate1, &QueryValues::EndLong1, true},
};

} // namespace

void DayRangeReport::SetUtil(EventClass *Util)
{
    // Before the base shows the query, which sets what each date control allows.
    m_openTradeStart = DatabaseLookups::GetCustomEditValue();
    Report::SetUtil(Util);
    setToolEnabled(QStringLiteral("ID_DetailWIndow"), true);
    setToolEnabled(QStringLiteral("ID_Recalculate"), false);
    offerArchiveSwitch();
}

bool DayRangeReport::allowsAll(const FilterSlot &slot) const
{
    return slot.index == fcDateReport0 ? m_openTradeStart : Report::allowsAll(slot);
}

void DayRangeReport::ReadQueryPar(const QString &FilterName)
{
    Report::ReadQueryPar(FilterName);
    const QueryKey key(App_Name, FilterName);
    QueryValues q = query();
    for (const StoredBound &bound : OwnBounds) {
        const QueryDate value = key.readDate(QString::fromLatin1(bound.valueName),
                                             bound.openByDefault ? QueryDate::all() : QueryDate::fromOffset(0));
        q.*bound.date = value.dateValue();
        q.*bound.offset = value.offsetValue();
    }
    // Reading the current query sets the committed one alike.
    setQPSettings({q, FilterName == QueryKey::currentQueryName() ? q : committedQuery()});
}

void DayRangeReport::WriteQueryPar(const QString &FilterName)
{
    const QueryKey key(App_Name, FilterName);
    // The whole query or nothing: the base's values and these in one batch.
    RegistryAccess::Batch batch(RegistryAccess::instance());
    Report::WriteQueryPar(FilterName);
    const QueryValues &q = query();
    bool written = true;
    for (const StoredBound &bound : OwnBounds) {
        written = written
                  && key.writeDate(QString::fromLatin1(bound.valueName),
                                   QueryDate::fromFields(q.*bound.date, q.*bound.offset, q.Relative), q.Relative);
    }
    // The common write keeps EndDate as "Value Date" too; here it is "EndDate" only.
    if (written && key.isValid())
        RegistryAccess::instance().DeleteValue(key.path(), QueryKey::valueDateName());
    if (!written || !batch.commit())
        qWarning("%s: the query %s was not stored", qPrintable(App_Name), qPrintable(FilterName));
}

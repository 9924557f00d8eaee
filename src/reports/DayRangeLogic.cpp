#include "DayRangeLogic.h"

#include "Directories.h"

#include "DateTime.h"

#include <QSet>

namespace {

constexpr const char *DealTypes[] = {"Spot", "Outright", "Swap"};

// Slot 0 allows "All" only where the site allows an open start of the trade
// dates; the ends are open by default, and an open start of the value dates
// costs nothing while the trade dates bound the run.
constexpr FilterSlot FilterSlots[] = {
    Slots::siteOpenDate(fcDateReport0, "Start Trade"),
    Slots::openDate(fcDateReport1, "End Trade"),
    Slots::openDate(fcDateReport2, "Start Value"),
    Slots::openDate(fcDateReport3, "End Value"),
    Slots::relative(),
    Slots::dealTypes(DealTypes),
    Slots::pairs(),
    Slots::counterparties(),
    Slots::dealers(),
    Slots::categories(),
    Slots::statuses(),
    Slots::attributes(),
};

} // namespace

std::span<const FilterSlot> DayRangeLogic::filterSlots() const
{
    return FilterSlots;
}

std::span<const QueryKey::Bound> DayRangeLogic::storedBounds() const
{
    static const QueryKey::Bound bounds[] = {
        {"EndDate", &QueryValues::EndDate, &QueryValues::EndLong, true},
        {"Trade Date", &QueryValues::ValDate1, &QueryValues::ValLong1, false},
        {"End Trade Date", &QueryValues::EndDate1, &QueryValues::EndLong1, true},
    };
    return bounds;
}

bool DayRangeLogic::storeDates(FilterStore &store, const RunQuery &run) const
{
    return storeFirstRange(store, run, 1) && storeSecondRange(store, run, 2);
}

QString DayRangeLogic::dayCriteria(QDate day)
{
    return QStringLiteral("DealTime >= ") + dateLiteral(day) + QStringLiteral(" AND DealTime < ")
           + dateLiteral(day.addDays(1));
}

QString DayRangeLogic::detailCaption(data::Recordset &display) const
{
    if (display.Eof() || display.Bof())
        return {};
    const Directories::Lists &lists = Directories::current();
    const TwoRowTable &names = groupDirectory() == Directory::Pairs ? lists.Pairs : lists.Currencies;
    const data::Value group = field(display, "Caption").value();
    const int index = names.indexOfId(group.toInt());
    QString caption = index >= 0 ? names.text(index) : group.toString();
    const data::Value day = field(display, "Date").value();
    if (!day.isNull())
        caption += QLatin1Char(' ') + day.toDate().date().toString(Qt::ISODate);
    return caption;
}

DisplayCounts DayRangeLogic::walkDays(data::Recordset &in, const char *groupField, DayRows &rows)
{
    const data::Field groupOf = field(in, groupField), dealTime = field(in, "DealTime"),
                      tradeId = field(in, "TradeID");
    DisplayCounts counts;
    // One pass, each value read once a row: the day is compared as the
    // midnight of the deal time, a QDate is made once a day.
    Day day;
    data::DateTime midnight;
    QSet<qint64> deals;
    const auto endDay = [&] {
        day.day = midnight.date();
        day.deals = deals.size();
        counts.deals += int(day.deals);
        rows.endDay(day);
        deals.clear();
    };
    // deals is empty only before the first row: every row adds its deal.
    for (; !in.Eof(); in.MoveNext()) {
        const int group = groupOf.value().toInt();
        const data::DateTime rowMidnight = dealTime.value().toDate().startOfDay();
        if (!deals.isEmpty() && (group != day.group || rowMidnight != midnight)) {
            endDay();
            if (group != day.group) {
                rows.endGroup(day.group);
                ++counts.groups;
            }
        }
        day.group = group;
        midnight = rowMidnight;
        deals.insert(tradeId.value().toInt64());
        rows.addRow();
    }
    if (!deals.isEmpty()) {
        endDay();
        rows.endGroup(day.group);
        ++counts.groups;
    }
    return counts;
}

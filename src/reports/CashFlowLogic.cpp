#include "CashFlowLogic.h"

#include "ValueListFillers.h"

#include "Connection.h"
#include "Command.h"
#include "DateTime.h"
#include "Recordset.h"

namespace {

using T = data::DataType;
using C = ReportColumn;

// Both starts may be "All" only where the site allows an open start; the
// ends may always be.
constexpr FilterSlot FilterSlots[] = {
    Slots::siteOpenDate(fcDateReport0, "Start Value"),
    Slots::openDate(fcDateReport1, "End Value"),
    Slots::relative(),
    Slots::dealTypes(CashFlowLogic::DealTypes),
    Slots::currencies(&QueryValues::PairIDArray),
    Slots::counterparties(),
    Slots::dealers(),
    Slots::categories(),
    Slots::statuses(),
    Slots::loroNostro(),
    Slots::attributes(),
    Slots::siteOpenDate(fcDateReport2, "Start Trade"),
    Slots::openDate(fcDateReport3, "End Trade"),
};

/// The money fields, copied from the flow row of the same name.
constexpr const char *MoneyFields[] = {
    "Daily",    "Daily_Sell",    "Daily_Buy",    "Cumulated", "Spot",     "Spot_Sell",    "Spot_Buy",
    "Outright", "Outright_Sell", "Outright_Buy", "Swap",      "Swap_Sell", "Swap_Buy",    "Deposit",
    "Deposit_Give", "Deposit_Take", "Take", "Return", "Interest",
};

constexpr DisplayField Fields[] = {
    {"Date", T::Date, 8},
    {"Daily", T::Currency, 8},        {"Daily_Sell", T::Currency, 8},   {"Daily_Buy", T::Currency, 8},
    {"Cumulated", T::Currency, 8},    {"Spot", T::Currency, 8},         {"Spot_Sell", T::Currency, 8},
    {"Spot_Buy", T::Currency, 8},     {"Outright", T::Currency, 8},     {"Outright_Sell", T::Currency, 8},
    {"Outright_Buy", T::Currency, 8}, {"Swap", T::Currency, 8},         {"Swap_Sell", T::Currency, 8},
    {"Swap_Buy", T::Currency, 8},     {"Deposit", T::Currency, 8},      {"Deposit_Give", T::Currency, 8},
    {"Deposit_Take", T::Currency, 8}, {"Take", T::Currency, 8},         {"Return", T::Currency, 8},
    {"Interest", T::Currency, 8},     {"Deals", T::BigInt, 8},          {"Caption", T::Variant},
    {"Summary", T::Boolean, 8},       {"NegSumm", T::Boolean, 8},       {"CurrentFilter", T::Variant, 8},
    {"CurrentFilter1", T::Variant, 8},
};

constexpr auto Amount = ColumnFormat::Amount;
constexpr auto Plain = ColumnFormat::Plain;
constexpr auto Right = C::AlignRight;

const ReportColumn Columns[] = {
    {"Caption", "Currency", "Caption", false, C::AlignLeft, 80, Plain, Views::Summary,
     ValueListFillers::FillCurrencyValueList},
    {"Date", "Date", "Date", true, C::AlignCenter, 90, Plain, Views::Detail},
    {"Daily", "Daily Position", "Daily", true, Right, 120, Amount, Views::Detail},
    {"Daily_Sell", "Daily Pay", "Daily_Sell", true, Right, 120, Amount},
    {"Daily_Buy", "Daily Receive", "Daily_Buy", true, Right, 120, Amount},
    {"Cumulated", "Cumulated Position", "Cumulated", true, Right, 130, Amount},
    {"Spot", "Spot", "Spot", true, Right, 110, Amount},
    {"Spot_Sell", "Spot Pay", "Spot_Sell", true, Right, 110, Amount},
    {"Spot_Buy", "Spot Receive", "Spot_Buy", true, Right, 110, Amount},
    {"Outright", "Outright", "Outright", true, Right, 110, Amount},
    {"Outright_Sell", "Outright Pay", "Outright_Sell", true, Right, 110, Amount},
    {"Outright_Buy", "Outright Receive", "Outright_Buy", true, Right, 110, Amount},
    {"Swap", "Swap", "Swap", true, Right, 110, Amount},
    {"Swap_Sell", "Swap Pay", "Swap_Sell", true, Right, 110, Amount},
    {"Swap_Buy", "Swap Receive", "Swap_Buy", true, Right, 110, Amount},
    {"Deposit", "Deposit", "Deposit", true, Right, 110, Amount},
    {"Deposit_Give", "Deposit Give", "Deposit_Give", true, Right, 110, Amount},
    {"Deposit_Take", "Deposit Take", "Deposit_Take", true, Right, 110, Amount},
    {"Deals", "Deals", "Deals", true, Right, 60},
    {"Summary", "Summary", "Summary", false, C::AlignLeft, 60},
    {"NegSumm", "NegSumm", "NegSumm", false, C::AlignLeft, 60},
    {"CurrentFilter", "CurrentFilter", "CurrentFilter", false, C::AlignLeft, 80},
    {"CurrentFilter1", "CurrentFilter1", "CurrentFilter1", false, C::AlignLeft, 80},
    {"Interest", "Interest", "Interest", true, Right, 110, Amount},
    {"Take", "Interest Take", "Take", true, Right, 110, Amount},
    {"Return", "Interest Return", "Return", true, Right, 110, Amount},
};

} // namespace

CashFlowLogic::CashFlowLogic(int owner, std::span<const StoredSwitch> switches)
    : m_owner(owner), m_switches(switches)
{
}

std::span<const FilterSlot> CashFlowLogic::filterSlots() const
{
    return FilterSlots;
}

DisplayLayout CashFlowLogic::layout() const
{
    return {Fields, Columns, "Caption", "Date"};
}

std::optional<ChartLayout> CashFlowLogic::chart() const
{
    return ChartLayout{ChartLayout::Kind::Ladder, "Cash-flow ladder", "Daily", "Date"};
}

std::span<const QueryKey::Bound> CashFlowLogic::storedBounds() const
{
    static const QueryKey::Bound bounds[] = {
        {"Trade Date", &QueryValues::ValDate1, &QueryValues::ValLong1, true},
        {"EndDate", &QueryValues::EndDate, &QueryValues::EndLong, true},
        {"End Trade Date", &QueryValues::EndDate1, &QueryValues::EndLong1, true},
    };
    return bounds;
}

QString CashFlowLogic::detailCaption(data::Recordset &display) const
{
    return currencyCaption(display, "Date");
}

bool CashFlowLogic::storeDates(FilterStore &store, const RunQuery &run) const
{
    return storeFirstRange(store, run, 2) && storeSecondRange(store, run, 1);
}

QList<QPair<QString, data::Value>> CashFlowLogic::parameterValues(const RunQuery &run) const
{
    QList<QPair<QString, data::Value>> values{
        {QStringLiteral("@UserName"), data::Value(run.userName)},
        {QStringLiteral("@DateReport"), data::Value(data::DateTime::fromDate(run.today))},
        {QStringLiteral("@OwnerID"), data::Value(m_owner)},
    };
    const auto level = [&run](const char *name) {
        return data::Value(run.switches.value(QString::fromLatin1(name)).toBool() ? 2 : 0);
    };
    if (!m_switches.empty()) {
        values.append({QStringLiteral("@R1"), level("WithRollower")});
        values.append({QStringLiteral("@N1"), level("WithNetting")});
    }
    return values;
}

void CashFlowLogic::setParameters(data::Command &command, const RunQuery &run) const
{
    for (const auto &[name, value] : parameterValues(run)) {
        if (data::Parameter *parameter = command.Parameters().Item(name))
            parameter->setValue(value);
    }
}

QString CashFlowLogic::currencyCriteria(int currency)
{
    const QString id = QString::number(currency);
    return QStringLiteral("Ccy1 = ") + id + QStringLiteral(" OR Ccy2 = ") + id;
}

QString CashFlowLogic::dayCriteria(int currency, QDate day)
{
    const QString id = QString::number(currency);
    const QString date = dateLiteral(day);
    QStringList legs;
    for (const char *leg : {"ValDateP1C1 = %1 AND Ccy1 = %2", "ValDateP2C1 = %1 AND Ccy1 = %2",
                            "ValDateP1C1 = %1 AND Ccy2 = %2", "ValDateP2C1 = %1 AND Ccy2 = %2"})
        legs.append(QLatin1Char('(') + QString::fromLatin1(leg).arg(date, id) + QLatin1Char(')'));
    return legs.join(QStringLiteral(" OR "));
}

DisplayCounts CashFlowLogic::buildDisplay(data::Recordset &flows, data::Recordset &display) const
{
    std::vector<std::pair<data::Field, data::Field>> money;
    for (const char *name : MoneyFields)
        money.emplace_back(field(flows, name), field(display, name));
    const data::Field ccy = field(flows, "Ccy"), valDate = field(flows, "ValDate"), summary = field(flows, "Summary"),
                      deals = field(flows, "Deals");
    const data::Field date = field(display, "Date"), rowDeals = field(display, "Deals"),
                      caption = field(display, "Caption"), isSummary = field(display, "Summary"),
                      negSumm = field(display, "NegSumm"), filter = field(display, "CurrentFilter"),
                      currencyFilter = field(display, "CurrentFilter1"), cumulated = field(display, "Cumulated");

    DisplayCounts counts;
    std::optional<int> group;
    for (; !flows.Eof(); flows.MoveNext()) {
        const int currency = ccy.value().toInt();
        if (currency != group) {
            group = currency;
            ++counts.groups;
        }
        display.AddNew();
        caption.setValue(currency);
        const QDate day = valDate.value().toDate().date();
        date.setValue(data::DateTime::fromDate(day));
        for (const auto &[from, to] : money)
            to.setValue(from.value().isNull() ? data::Value(data::Currency()) : from.value().convertedTo(T::Currency));
        rowDeals.setValue(deals.value().isNull() ? qint64(0) : deals.value().toInt64());
        const bool total = summary.value().toInt() == 2;
        isSummary.setValue(total);
        negSumm.setValue(total && cumulated.value().toCurrency() < data::Currency());
        currencyFilter.setValue(currencyCriteria(currency));
        filter.setValue(total ? currencyCriteria(currency) : dayCriteria(currency, day));
        display.UpdateBatch();
    }
    return counts;
}

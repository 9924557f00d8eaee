#include "NettingLogic.h"

#include "FilterStore.h"

#include "Recordset.h"

namespace {

using T = data::DataType;
using C = ReportColumn;

constexpr const char *DealTypes[] = {"Spot", "Outright", "Swap"};

constexpr FilterSlot FilterSlots[] = {
    {fcDateReport0, "Start Value"},
    Slots::openDate(fcDateReport1, "End Value"),
    Slots::relative(),
    {fcComboNetting},
    Slots::dealTypes(DealTypes),
    Slots::pairsBesideCurrencies(),
    Slots::currencies(&QueryValues::CcyIDArray),
    Slots::counterparties(),
    Slots::dealers(),
    Slots::categories(),
    Slots::statuses(),
    Slots::attributes(),
};

constexpr DisplayField Fields[] = {
    {"Caption", T::Variant},         {"Ccy", T::Variant},          {"Volume", T::Currency, 8},
    {"Volume2", T::Currency, 8},     {"Deals", T::BigInt, 8},      {"CurrentFilter", T::Variant, 8},
};

constexpr auto Amount = ColumnFormat::Amount;

constexpr ReportColumn Columns[] = {
    // The report fills the value lists of the counterparty and the key.
    {"Caption", "Counterparty", "Caption", false, C::AlignLeft, 200},
    {"Ccy", "Currency", "Ccy", true, C::AlignLeft, 90},
    {"Volume", "Volume", "Volume", true, C::AlignRight, 140, Amount},
    {"Volume2", "Volume 2", "Volume2", false, C::AlignRight, 140, Amount},
    {"Deals", "Deals", "Deals", true, C::AlignRight, 60},
    {"CurrentFilter", "CurrentFilter", "CurrentFilter", false, C::AlignLeft, 80},
};

/// "Field = value", or "Field IS NULL" for a row without one.
QString equals(const char *field, const data::Value &value)
{
    const QString name = QString::fromLatin1(field);
    if (value.isNull())
        return name + QStringLiteral(" IS NULL");
    return name + QStringLiteral(" = ") + value.toString();
}

} // namespace

NettingLogic::NettingLogic(View view) : m_view(view) {}

QString NettingLogic::procedure() const
{
    return m_view == View::Pair ? QStringLiteral("cnt_NettingPair") : QStringLiteral("cnt_Netting");
}

std::span<const FilterSlot> NettingLogic::filterSlots() const
{
    return FilterSlots;
}

DisplayLayout NettingLogic::layout() const
{
    return {Fields, Columns, "Caption", "Ccy"};
}

std::span<const QueryKey::Bound> NettingLogic::storedBounds() const
{
    return QueryKey::rangeEndBound();
}

bool NettingLogic::appliesSlot(const FilterSlot &slot, const RunQuery &) const
{
    if (slot.index == fcPairBox)
        return m_view == View::Pair;
    if (slot.index == fcCcyBox)
        return m_view == View::Currency;
    return true;
}

bool NettingLogic::storeDates(FilterStore &store, const RunQuery &run) const
{
    return storeFirstRange(store, run, 2);
}

bool NettingLogic::storeConditions(FilterStore &store, const RunQuery &run) const
{
    if (m_view == View::Pair)
        return true;
    return store.StoreCondition(run.switches.value(QString::fromLatin1(ConditionSwitch)).toString(), 7);
}

std::optional<QString> NettingLogic::conditionOf(const QString &nettingFilter)
{
    const QString text = nettingFilter.toUpper();
    if (text == QLatin1String("ALL"))
        return QString();
    if (text == QLatin1String("YES"))
        return QStringLiteral("NETTING = 2");
    if (text == QLatin1String("NO"))
        return QStringLiteral("NETTING <> 2");
    return std::nullopt;
}

DisplayCounts NettingLogic::buildRunDisplay(data::Recordset &result, data::Recordset &display,
                                            const RunQuery &run) const
{
    const data::Field counterparty = field(result, "CounterpartyID"), key = field(result, keyField()),
                      volume = field(result, "Volume"), volume2 = field(result, "Volume2");
    const data::Field caption = field(display, "Caption"), ccy = field(display, "Ccy"),
                      rowVolume = field(display, "Volume"), rowVolume2 = field(display, "Volume2"),
                      deals = field(display, "Deals"), filter = field(display, "CurrentFilter");
    const QString condition =
        m_view == View::Pair ? QString() : run.switches.value(QString::fromLatin1(ConditionSwitch)).toString();
    const QString prefix = condition.isEmpty() ? QString() : condition + QStringLiteral(" AND ");
    const auto amount = [](const data::Field &f) {
        const data::Value v = f.value();
        return v.isNull() ? data::Currency() : v.toCurrency();
    };

    // The procedure sorts its rows by counterparty and key: each run of
    // equal pairs is one display row.
    DisplayCounts counts;
    while (!result.Eof()) {
        ++counts.groups;
        const data::Value group = counterparty.value();
        while (!result.Eof() && counterparty.value() == group) {
            const data::Value value = key.value();
            qint64 count = 0;
            data::Currency sum, sum2;
            while (!result.Eof() && counterparty.value() == group && key.value() == value) {
                ++count;
                sum += amount(volume);
                sum2 += amount(volume2);
                result.MoveNext();
            }
            display.AddNew();
            caption.setValue(group);
            ccy.setValue(value);
            deals.setValue(count);
            rowVolume.setValue(sum);
            rowVolume2.setValue(sum2);
            filter.setValue(QString(prefix + equals("CounterPartyID", group) + QStringLiteral(" AND ")
                                    + equals(keyField(), value)));
            display.UpdateBatch();
            counts.deals += int(count);
        }
    }
    return counts;
}

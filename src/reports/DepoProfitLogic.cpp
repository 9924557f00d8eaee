#include "DepoProfitLogic.h"

#include "FilterStore.h"
#include "ValueListFillers.h"

#include "DateTime.h"
#include "Recordset.h"

#include <algorithm>
#include <cmath>

namespace {

using T = data::DataType;
using C = ReportColumn;

// The procedure reads deposits only: no deal-type box.
constexpr FilterSlot DaySlots[] = {
    Slots::openDate(fcDateReport0, "Date of Report"),
    Slots::relative(),
    Slots::currencies(&QueryValues::PairIDArray),
    Slots::counterparties(),
    Slots::dealers(),
    Slots::categories(),
    Slots::statuses(),
    Slots::attributes(),
};
constexpr FilterSlot RangeSlots[] = {
    Slots::openDate(fcDateReport0, "Start Report Date"),
    Slots::openDate(fcDateReport1, "End Report Date"),
    Slots::relative(),
    Slots::currencies(&QueryValues::PairIDArray),
    Slots::counterparties(),
    Slots::dealers(),
    Slots::categories(),
    Slots::statuses(),
    Slots::attributes(),
};

#define DEPO_PROFIT_FIGURES                                                                                  \
    {"AmntGiven", T::Currency, 8}, {"RateGiven", T::Double}, {"AmntTaken", T::Currency, 8},                  \
        {"RateTaken", T::Double}, {"PLinCcy", T::Currency, 8}, {"RatePosition", T::Double},                  \
        {"PLinUSD", T::Currency, 8}, {"Position", T::Currency, 8}, {"Deals", T::BigInt, 8}, {"Caption", T::Variant}
#define DEPO_PROFIT_MARKS {"Summary", T::Boolean}, {"RateFound", T::Boolean}, {"NegSumm", T::Boolean}, \
                          {"CurrentFilter", T::Variant}

constexpr DisplayField DayFields[] = {DEPO_PROFIT_FIGURES, DEPO_PROFIT_MARKS};
constexpr DisplayField RangeFields[] = {DEPO_PROFIT_FIGURES, {"CcyID", T::Variant}, DEPO_PROFIT_MARKS};

#undef DEPO_PROFIT_FIGURES
#undef DEPO_PROFIT_MARKS

constexpr auto Amount = ColumnFormat::Amount;
constexpr auto Rate = ColumnFormat::Rate;
constexpr auto Right = C::AlignRight;

#define DEPO_PROFIT_COLUMNS                                                                                  \
    {"AmntGiven", "Amnt Given", "AmntGiven", true, Right, 130, Amount},                                       \
        {"RateGiven", "Avrg Rate Given", "RateGiven", true, Right, 110, Rate},                                \
        {"AmntTaken", "Amnt Taken", "AmntTaken", true, Right, 130, Amount},                                   \
        {"RateTaken", "Avrg Rate Taken", "RateTaken", true, Right, 110, Rate},                                \
        {"PLinCcy", "P/L in Ccy", "PLinCcy", true, Right, 120, Amount},                                       \
        {"PLinUSD", "P/L in USD", "PLinUSD", true, Right, 120, Amount},                                       \
        {"Position", "Position", "Position", true, Right, 130, Amount},                                       \
        {"RatePosition", "Rate Position", "RatePosition", true, Right, 110, Rate},                            \
        {"Deals", "Deals", "Deals", true, Right, 60}, {"Summary", "Summary", "Summary", false, C::AlignLeft, 60}, \
        {"RateFound", "RateFound", "RateFound", false, C::AlignLeft, 60},                                     \
        {"NegSumm", "NegSumm", "NegSumm", false, C::AlignLeft, 60},                                           \
        {"CurrentFilter", "CurrentFilter", "CurrentFilter", false, C::AlignLeft, 80}

const ReportColumn DayColumns[] = {
    {"Caption", "Currency", "Caption", true, C::AlignLeft, 90, ColumnFormat::Plain, Views::Keep,
     ValueListFillers::FillCurrencyValueList},
    DEPO_PROFIT_COLUMNS,
};
const ReportColumn RangeColumns[] = {
    {"Caption", "ValueDate", "Caption", false, C::AlignCenter, 90},
    {"CcyID", "Currency", "CcyID", true, C::AlignLeft, 90, ColumnFormat::Plain, Views::Keep,
     ValueListFillers::FillCurrencyValueList},
    DEPO_PROFIT_COLUMNS,
};

#undef DEPO_PROFIT_COLUMNS

constexpr int GivenSide = 2;   // PayReceive of a given (placed) deposit

/// One side's sums: the principal, the part of it with an effective rate,
/// and principal times rate over that part.
struct Side
{
    data::Currency amount;
    double rated = 0;
    double weighted = 0;

    void add(data::Currency principal, std::optional<double> rate)
    {
        amount += principal;
        if (rate) {
            rated += principal.toDouble();
            weighted += principal.toDouble() * *rate;
        }
    }
    /// The average effective rate; none without a rated amount.
    std::optional<double> average() const
    {
        return rated == 0 ? std::nullopt : std::optional<double>(weighted / rated);
    }
};

/// The currency's terms, as the procedure gives them on each of its rows.
struct Terms
{
    double giveTax = 0, takeTax = 0, maxTakeRate = 0, currentRate = 0;
    int basis = 0;
};

} // namespace

QString DepoProfitLogic::procedure() const
{
    return m_range ? QStringLiteral("cnt_ProfitLossDepoRange") : QStringLiteral("cnt_ProfitLossDepo");
}

std::span<const FilterSlot> DepoProfitLogic::filterSlots() const
{
    if (m_range)
        return RangeSlots;
    return DaySlots;
}

DisplayLayout DepoProfitLogic::layout() const
{
    if (m_range)
        return {RangeFields, RangeColumns, "Caption", "CcyID"};
    return {DayFields, DayColumns, nullptr, "Caption"};
}

std::span<const QueryKey::Bound> DepoProfitLogic::storedBounds() const
{
    return QueryKey::endDateBound();
}

std::optional<DetailView> DepoProfitLogic::detailView() const
{
    if (m_range)
        return std::nullopt;
    return dvDepoOnly;
}

QString DepoProfitLogic::detailCaption(data::Recordset &display) const
{
    return currencyCaption(display, "Date");
}

bool DepoProfitLogic::storeDates(FilterStore &store, const RunQuery &run) const
{
    if (m_range)
        return storeFirstRange(store, run, 2);
    const QueryValues &q = run.query;
    const QDate day = q.boundDate(q.ValDate, q.ValLong, run.today);
    return store.StoreDateRange(day, day, 1);
}

std::optional<double> DepoProfitLogic::effectiveRate(double rate, int days, int basis)
{
    if (days <= 0 || basis == 0)
        return std::nullopt;
    return (std::pow(1.0 + days * rate / basis, 1.0 / days) - 1.0) * basis;
}

DisplayCounts DepoProfitLogic::buildRunDisplay(data::Recordset &deposits, data::Recordset &display,
                                               const RunQuery &run) const
{
    const bool taxed = run.switches.value(QString::fromLatin1(TaxSwitch)).toBool();
    const auto read = [&deposits](const char *name) { return field(deposits, name); };
    const data::Field ccy = read("Ccy"), valDate = read("ValDate"), side = read("PayReceive"),
                      volume = read("Volume"), rate = read("Rate"), duration = read("Duration"),
                      giveTax = read("GiveTax"), takeTax = read("TakeTax"), maxTakeRate = read("MaxTakeRate"),
                      currentRate = read("CurrentRate"), basis = read("DepoBase");
    const auto number = [](const data::Field &f) { return f.value().isNull() ? 0.0 : f.value().toDouble(); };
    const auto set = [&display](const char *name, const auto &value) { field(display, name).setValue(value); };
    const auto setRate = [&set](const char *name, std::optional<double> value) {
        if (value)
            set(name, *value);
    };
    const auto dayOf = [&valDate] { return valDate.value().toDate().date(); };

    DisplayCounts counts;
    data::Currency profit;
    QDate group;
    while (!deposits.Eof()) {
        const int currency = ccy.value().toInt();
        const QDate day = m_range ? dayOf() : QDate();
        if (m_range && day != group) {
            group = day;
            ++counts.groups;
        } else if (!m_range) {
            ++counts.groups;
        }
        Terms terms;
        terms.giveTax = taxed ? number(giveTax) : 0;
        terms.takeTax = taxed ? number(takeTax) : 0;
        terms.maxTakeRate = taxed ? number(maxTakeRate) : 0;
        terms.currentRate = number(currentRate);
        terms.basis = basis.value().isNull() ? 0 : basis.value().toInt();
        Side given, taken;
        qint64 deals = 0;
        bool everyRate = true;
        for (; !deposits.Eof() && ccy.value().toInt() == currency && (!m_range || dayOf() == day);
             deposits.MoveNext()) {
            const data::Currency principal = volume.value().isNull() ? data::Currency() : volume.value().toCurrency();
            double annual = number(rate) / 100.0;
            const bool isGiven = side.value().toInt() == GivenSide;
            if (!isGiven && terms.takeTax > 0 && annual > terms.maxTakeRate)
                annual += (annual - terms.maxTakeRate) * terms.takeTax;
            const std::optional<double> effective =
                effectiveRate(annual, duration.value().isNull() ? 0 : duration.value().toInt(), terms.basis);
            everyRate = everyRate && effective.has_value();
            (isGiven ? given : taken).add(principal, effective);
            ++deals;
        }
        const std::optional<double> giveRate =
            given.average() ? std::optional<double>((1.0 - terms.giveTax) * *given.average()) : std::nullopt;
        const std::optional<double> takeRate = taken.average();
        const double matched = std::min(given.amount.toDouble(), taken.amount.toDouble());
        const data::Currency inCcy = terms.basis == 0 ? data::Currency()
                                                      : data::Currency::fromDouble(
                                                            matched * (giveRate.value_or(0) - takeRate.value_or(0))
                                                            / terms.basis);
        const data::Currency inUsd =
            terms.currentRate == 0 ? data::Currency() : data::Currency::fromDouble(inCcy.toDouble() / terms.currentRate);
        const data::Currency position = taken.amount - given.amount;

        display.AddNew();
        if (m_range) {
            set("Caption", data::DateTime::fromDate(day));
            set("CcyID", currency);
        } else {
            set("Caption", currency);
        }
        set("AmntGiven", given.amount);
        setRate("RateGiven", giveRate);
        set("AmntTaken", taken.amount);
        setRate("RateTaken", takeRate);
        set("PLinCcy", inCcy);
        set("PLinUSD", inUsd);
        set("Position", position);
        // A row whose deposits all lack a rate has no position rate either.
        if (position != data::Currency() && (giveRate || takeRate))
            set("RatePosition",
                std::abs((taken.weighted - (1.0 - terms.giveTax) * given.weighted) / position.toDouble()));
        set("Deals", deals);
        QString criteria = QStringLiteral("Ccy = ") + QString::number(currency);
        if (m_range)
            criteria += QStringLiteral(" AND ValDate = ") + dateLiteral(day);
        set("CurrentFilter", criteria);
        set("Summary", true);
        set("NegSumm", position < data::Currency());
        set("RateFound", terms.currentRate != 0 && terms.basis != 0 && everyRate);
        display.UpdateBatch();
        counts.deals += int(deals);
        profit += inUsd;
    }
    counts.figures.insert(QString::fromLatin1(ProfitFigure), QVariant::fromValue(profit));
    return counts;
}

#include "DepoPosition.h"

#include "DepositLogic.h"

#include "ValueListFillers.h"

#include "DateTime.h"
#include "Recordset.h"

#include <cmath>

namespace {

using T = data::DataType;
using C = ReportColumn;

constexpr FilterSlot FilterSlots[] = {
    Slots::siteOpenDate(fcDateReport0, "Start Value"),
    Slots::openDate(fcDateReport1, "End Value"),
    Slots::relative(),
    Slots::currencies(&QueryValues::CcyIDArray),
    Slots::counterparties(),
    Slots::dealers(),
    Slots::categories(),
    Slots::statuses(),
    Slots::attributes(),
    Slots::clients(),
};

constexpr DisplayField Fields[] = {
    {"Date", T::Date, 8},          {"Position", T::Currency, 8}, {"ARGive", T::Double, 8},
    {"ARTGive", T::Double, 8},     {"Given", T::Currency, 8},    {"ARTake", T::Double, 8},
    {"ARTTake", T::Double, 8},     {"Taken", T::Currency, 8},    {"Deals", T::BigInt, 8},
    {"Caption", T::Variant},       {"Summary", T::Boolean, 8},   {"NegSumm", T::Boolean, 8},
    {"CurrentFilter", T::Variant, 8}, {"Interest", T::Currency, 8}, {"RO_Given", T::Currency, 8},
    {"RO_Take", T::Currency, 8},
};

constexpr auto Amount = ColumnFormat::Amount;
constexpr auto Rate = ColumnFormat::Rate;
constexpr auto Plain = ColumnFormat::Plain;
constexpr auto Right = C::AlignRight;

// The summary view shows each currency's totals: its name, not the dates
// and averages of its days.
const ReportColumn Columns[] = {
    {"Caption", "Currency", "Caption", false, C::AlignLeft, 80, Plain, Views::Summary,
     ValueListFillers::FillCurrencyValueList},
    {"Date", "Date", "Date", true, C::AlignCenter, 90, Plain, Views::Detail},
    {"Position", "Position", "Position", true, Right, 130, Amount},
    {"ARGive", "AvRateGive", "ARGive", true, Right, 90, Rate, Views::Detail},
    {"ARTGive", "AvRateGiveTime", "ARTGive", true, Right, 100, Rate, Views::Detail},
    {"Given", "Given", "Given", true, Right, 130, Amount},
    {"ARTake", "AvRateTake", "ARTake", true, Right, 90, Rate, Views::Detail},
    {"ARTTake", "AvRateTakeTime", "ARTTake", true, Right, 100, Rate, Views::Detail},
    {"Taken", "Take", "Taken", true, Right, 130, Amount},
    {"Deals", "Deals", "Deals", true, Right, 60},
    {"Summary", "Summary", "Summary", false, C::AlignLeft, 60},
    {"NegSumm", "NegSumm", "NegSumm", false, C::AlignLeft, 60},
    {"CurrentFilter", "CurrentFilter", "CurrentFilter", false, C::AlignLeft, 80},
    {"RO_Given", "RO Given", "RO_Given", true, Right, 120, Amount},
    {"RO_Take", "RO Take", "RO_Take", true, Right, 120, Amount},
    {"Interest", "Interest", "Interest", true, Right, 110, Amount},
};

/// A deposit of the procedure's DepoType 4 starts the day one of the same
/// counterparty, currency and side matures (a rollover); 2 runs more than a year.
constexpr int RolloverType = 4;
constexpr int LongType = 2;

/// The sums of one side of one day: the volume, and the volume-weighted
/// and volume-and-duration-weighted rate sums with their weights.
struct Side
{
    data::Currency volume;
    double rateSum = 0;      // |volume| x rate
    double rateTimeSum = 0;  // |volume| x rate x duration
    double timeSum = 0;      // |volume| x duration

    void add(data::Currency amount, double rate, double duration)
    {
        const double size = std::abs(amount.toDouble());
        volume += amount;
        rateSum += size * rate;
        rateTimeSum += size * rate * duration;
        timeSum += size * duration;
    }
    /// The volume-weighted average rate; none without volume. The volumes of
    /// one side share their sign, so their sum's size is the sum of their
    /// sizes, and a negative rate keeps its sign.
    std::optional<double> average() const
    {
        if (volume == data::Currency())
            return std::nullopt;
        return rateSum / std::abs(volume.toDouble());
    }
    /// The volume-and-duration-weighted average rate; none without duration.
    std::optional<double> timeAverage() const
    {
        return timeSum == 0 ? std::nullopt : std::optional<double>(rateTimeSum / timeSum);
    }
};

/// The currency's sums beside the day's, for its summary row.
struct Totals
{
    data::Currency given, taken, interest, rolledGiven, rolledTaken;
    qint64 deals = 0;
};

class DepoPositionLogic final : public DepositLogic
{
public:
    QString procedure() const override { return QStringLiteral("cnt_DepoPosition"); }
    std::span<const FilterSlot> filterSlots() const override { return FilterSlots; }
    DisplayLayout layout() const override { return {Fields, Columns, "Caption", "Date"}; }
    DisplayCounts buildDisplay(data::Recordset &deposits, data::Recordset &display) const override;
};

DisplayCounts DepoPositionLogic::buildDisplay(data::Recordset &deposits, data::Recordset &display) const
{
    const data::Field ccy = field(deposits, "Ccy"), valDate = field(deposits, "ValDate"),
                      volume = field(deposits, "Volume"), rate = field(deposits, "Rate"),
                      duration = field(deposits, "Duration"), depoType = field(deposits, "DepoType"),
                      interest = field(deposits, "Interest");
    const auto amount = [](const data::Field &f) {
        const data::Value v = f.value();
        return v.isNull() ? data::Currency() : v.toCurrency();
    };
    const auto number = [](const data::Field &f) {
        const data::Value v = f.value();
        return v.isNull() ? 0.0 : v.toDouble();
    };
    const auto set = [&display](const char *name, const auto &value) {
        field(display, name).setValue(value);
    };
    const auto setAverage = [&set](const char *name, std::optional<double> value) {
        if (value)
            set(name, *value);
    };
    const auto dayOf = [&valDate] { return valDate.value().toDate().date(); };

    DisplayCounts counts;
    while (!deposits.Eof()) {
        ++counts.groups;
        const int currency = ccy.value().toInt();
        Totals totals;
        QDate lastDay;
        while (!deposits.Eof() && ccy.value().toInt() == currency) {
            const QDate day = dayOf();
            lastDay = day;
            Side given, taken;
            Totals dayTotals;
            for (; !deposits.Eof() && ccy.value().toInt() == currency && dayOf() == day; deposits.MoveNext()) {
                const data::Currency principal = amount(volume);
                const int type = depoType.value().isNull() ? 0 : depoType.value().toInt();
                ++dayTotals.deals;
                // A volume of exactly 0 counts on the taken side.
                if (principal < data::Currency()) {
                    given.add(principal, number(rate), number(duration));
                    if (type == LongType || type == RolloverType)
                        dayTotals.rolledGiven += principal;
                } else {
                    taken.add(principal, number(rate), number(duration));
                    if (type == LongType)
                        dayTotals.rolledTaken += principal;
                }
                dayTotals.interest += amount(interest);
            }
            display.AddNew();
            set("Caption", currency);
            set("Date", data::DateTime::fromDate(day));
            set("Position", given.volume + taken.volume);
            setAverage("ARGive", given.average());
            setAverage("ARTGive", given.timeAverage());
            set("Given", given.volume);
            setAverage("ARTake", taken.average());
            setAverage("ARTTake", taken.timeAverage());
            set("Taken", taken.volume);
            set("Interest", dayTotals.interest);
            set("Deals", dayTotals.deals);
            set("RO_Given", dayTotals.rolledGiven);
            set("RO_Take", dayTotals.rolledTaken);
            set("Summary", false);
            set("NegSumm", false);
            // The day's deposits whatever their time of day.
            const QString dayDeposits = QStringLiteral("ValDate >= ") + dateLiteral(day)
                                        + QStringLiteral(" AND ValDate < ") + dateLiteral(day.addDays(1))
                                        + QStringLiteral(" AND Ccy = ") + QString::number(currency);
            set("CurrentFilter", dayDeposits);
            display.UpdateBatch();
            totals.given += given.volume;
            totals.taken += taken.volume;
            totals.interest += dayTotals.interest;
            totals.deals += dayTotals.deals;
            totals.rolledGiven += dayTotals.rolledGiven;
            totals.rolledTaken += dayTotals.rolledTaken;
        }
        const data::Currency position = totals.given + totals.taken;
        display.AddNew();
        set("Caption", currency);
        // The currency's last day, as the cash flow's summaries carry it: the
        // summary sorts after the days and shows "Summary" as its date.
        set("Date", data::DateTime::fromDate(lastDay));
        set("Position", position);
        set("Given", totals.given);
        set("Taken", totals.taken);
        set("Interest", totals.interest);
        set("Deals", totals.deals);
        set("RO_Given", totals.rolledGiven);
        set("RO_Take", totals.rolledTaken);
        set("Summary", true);
        set("NegSumm", position < data::Currency());
        set("CurrentFilter", QString(QStringLiteral("Ccy = ") + QString::number(currency)));
        display.UpdateBatch();
        counts.deals += int(totals.deals);
    }
    return counts;
}

const DepoPositionLogic Logic;

} // namespace

// A negative position is red.
DepoPosition::DepoPosition(QObject *parent)
    : CurrencyDaysReport(QStringLiteral("Depo Position"), Logic, "Position", parent)
{
}

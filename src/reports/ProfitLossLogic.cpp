#include "ProfitLossLogic.h"

#include "FilterStore.h"
#include "RateProgram.h"
#include "ValueListFillers.h"

#include "Command.h"
#include "DateTime.h"
#include "Recordset.h"

#include <cmath>

namespace {

using T = data::DataType;
using C = ReportColumn;

constexpr const char *DealTypes[] = {"Spot", "Outright", "Swap"};

const char *const RecalcSwitch = "WithRecalc";
const char *const AdminRateSwitch = "WithAdminRate";

constexpr FilterSlot FilterSlots[] = {
    Slots::openDate(fcDateReport0, "Date of Report"),
    Slots::relative(),
    Slots::dealTypes(DealTypes),
    Slots::currencies(&QueryValues::PairIDArray),
    Slots::counterparties(),
    Slots::dealers(),
    Slots::categories(),
    Slots::statuses(),
    Slots::attributes(),
    Slots::clients(),
};

constexpr DisplayField Fields[] = {
    {"ValDate", T::Date, 8},         {"StartPosition", T::Currency, 8}, {"StartRate", T::Double, 8},
    {"Sell", T::Currency, 8},        {"Buy", T::Currency, 8},           {"OpenPosition", T::Currency, 8},
    {"CurrentRate", T::Double, 8},   {"ProfitLoss", T::Currency, 8},    {"Commission", T::Currency, 8},
    {"Deals", T::BigInt, 8},         {"Caption", T::Variant},           {"Summary", T::Boolean},
    {"RateFound", T::Boolean},       {"NegSumm", T::Boolean},           {"CurrentFilter", T::Variant},
};

constexpr auto Amount = ColumnFormat::Amount;
constexpr auto Rate = ColumnFormat::Rate;
constexpr auto Plain = ColumnFormat::Plain;

const ReportColumn Columns[] = {
    {"Caption", "Currency", "Caption", false, C::AlignLeft, 90, Plain, Views::Summary,
     ValueListFillers::FillCurrencyValueList},
    {"ValDate", "Value Date", "ValDate", true, C::AlignCenter, 100, Plain, Views::Detail},
    {"StartPosition", "Start Position", "StartPosition", true, C::AlignRight, 130, Amount},
    {"Sell", "Sell", "Sell", true, C::AlignRight, 130, Amount},
    {"Buy", "Buy", "Buy", true, C::AlignRight, 130, Amount},
    {"OpenPosition", "Open Position", "OpenPosition", true, C::AlignRight, 130, Amount},
    {"Commission", "Commission", "Commission", true, C::AlignRight, 100, Amount},
    {"CurrentRate", "Current Rate USD", "CurrentRate", true, C::AlignRight, 110, Rate},
    {"ProfitLoss", "Open Position in USD", "ProfitLoss", true, C::AlignRight, 140, Amount},
    {"Deals", "Deals", "Deals", true, C::AlignRight, 60},
    {"Summary", "Summary", "Summary", false, C::AlignLeft, 80},
    {"RateFound", "RateFound", "RateFound", false, C::AlignLeft, 80},
    {"NegSumm", "NegSumm", "NegSumm", false, C::AlignLeft, 80},
    {"CurrentFilter", "CurrentFilter", "CurrentFilter", false, C::AlignLeft, 80},
};

constexpr StoredSwitch Switches[] = {{"With Recalc", RecalcSwitch}, {"With Commission", "WithCommission"}};

bool switchOn(const RunQuery &run, const char *name, bool otherwise = false)
{
    return run.switches.value(QString::fromLatin1(name), otherwise).toBool();
}

data::Value optionalRate(std::optional<double> rate)
{
    return rate ? data::Value(*rate) : data::Value::null(T::Double);
}

/// The sums of one currency's rows, for its summary row.
struct CurrencySums
{
    data::Currency move, commission, sell, buy, recalc, profit, commissionUsd;
    qint64 deals = 0;
    double openWeight = 0, openRated = 0;     // Σ|Sell + Buy|, Σ|Sell + Buy| x current rate
    double startWeight = 0, startRated = 0;   // Σ|moveOVP|, Σ|moveOVP| x start rate
    double lastRate = 0;                      // the current rate of the last row
};

} // namespace

std::span<const FilterSlot> ProfitLossLogic::filterSlots() const
{
    return FilterSlots;
}

DisplayLayout ProfitLossLogic::layout() const
{
    return {Fields, Columns, "Caption", nullptr};
}

std::span<const StoredSwitch> ProfitLossLogic::storedSwitches() const
{
    return Switches;
}

std::span<const QueryKey::Bound> ProfitLossLogic::storedBounds() const
{
    return QueryKey::endDateBound();
}

bool ProfitLossLogic::storeDates(FilterStore &store, const RunQuery &run) const
{
    const QueryValues &q = run.query;
    const QDate day = q.boundDate(q.ValDate, q.ValLong, run.today);
    return store.StoreDateRange(day, day, 1);
}

bool ProfitLossLogic::appliesSlot(const FilterSlot &slot, const RunQuery &run) const
{
    // A recalculated position is the desk's whole position: the deal types,
    // counterparties, categories and statuses would cut it.
    if (!switchOn(run, RecalcSwitch))
        return true;
    return slot.index != fcDealBox && slot.index != fcCptyBox && slot.index != fcLegendBox
           && slot.index != fcStatusBox;
}

void ProfitLossLogic::setParameters(data::Command &command, const RunQuery &run) const
{
    ReportLogic::setParameters(command, run);
    if (data::Parameter *total = command.Parameters().Item(QStringLiteral("@TotalCom")))
        total->setValue(data::Currency());
}

double ProfitLossLogic::marketRate(const services::RateProgram *rates, const QString &code, QDate day)
{
    if (!rates)
        return 0;
    const std::optional<services::RateQuote> quote = rates->QueryRate(code, day);
    if (!quote || (quote->status != 0 && quote->status != 1) || quote->bid < 0 || quote->ask < 0)
        return 0;
    return (quote->bid + quote->ask) / 2;
}

data::Currency ProfitLossLogic::revalue(data::Currency open, double rate, bool direct)
{
    if (rate == 0)
        return {};
    return data::Currency::fromDouble(direct ? open.toDouble() * rate : open.toDouble() / rate);
}

QString ProfitLossLogic::detailCaption(data::Recordset &display) const
{
    return currencyCaption(display, "ValDate");
}

DisplayCounts ProfitLossLogic::buildRunDisplay(data::Recordset &in, data::Recordset &out, const RunQuery &run) const
{
    const bool recalc = switchOn(run, RecalcSwitch);
    const bool adminRate = switchOn(run, AdminRateSwitch, true);
    (void)in.setSort(QStringLiteral("Caption, ValDate"));
    in.MoveFirst();
    const data::Field caption = field(in, "Caption"), valDate = field(in, "ValDate"), sell = field(in, "Sell"),
                      buy = field(in, "Buy"), commission = field(in, "Comission"), move = field(in, "moveOVP"),
                      startRate = field(in, "StartRate"), currentRate = field(in, "CurrentRate"),
                      deals = field(in, "Deals"), code = field(in, "CcyCode"), directQuote = field(in, "DirectQuote");
    const data::Field oValDate = field(out, "ValDate"), oStartPosition = field(out, "StartPosition"),
                      oStartRate = field(out, "StartRate"), oSell = field(out, "Sell"), oBuy = field(out, "Buy"),
                      oOpen = field(out, "OpenPosition"), oCurrentRate = field(out, "CurrentRate"),
                      oProfit = field(out, "ProfitLoss"), oCommission = field(out, "Commission"),
                      oDeals = field(out, "Deals"), oCaption = field(out, "Caption"), oSummary = field(out, "Summary"),
                      oRateFound = field(out, "RateFound"), oNegSumm = field(out, "NegSumm"),
                      oFilter = field(out, "CurrentFilter");

    DisplayCounts counts;
    data::Currency totalProfit, totalCommissionUsd;
    while (!in.Eof()) {
        const int id = caption.value().toInt();
        const QString currency = code.value().toString().trimmed();
        const bool usd = currency.compare(QLatin1String("USD"), Qt::CaseInsensitive) == 0;
        const bool direct = directQuote.value().toInt() == 1;
        CurrencySums sums;
        for (; !in.Eof() && caption.value().toInt() == id; in.MoveNext()) {
            const QDate day = valDate.value().toDate().date();
            const double start = usd ? 1.0 : startRate.value().toDouble();
            const double rate = usd ? 1.0 : adminRate ? currentRate.value().toDouble()
                                                      : marketRate(run.rates.get(), currency, day);
            const data::Currency rowSell = sell.value().toCurrency(), rowBuy = buy.value().toCurrency(),
                                 rowMove = move.value().toCurrency(), rowCommission = commission.value().toCurrency();
            const data::Currency traded = rowSell + rowBuy;
            const data::Currency open = recalc ? traded + rowMove : traded;
            const data::Currency profit = revalue(open, rate, direct);
            const qint64 rowDeals = deals.value().toInt64();

            out.AddNew();
            oCommission.setValue(rowCommission);
            oRateFound.setValue(rate > 0 && start > 0);
            oValDate.setValue(data::DateTime::fromDate(day));
            oCaption.setValue(id);
            oStartPosition.setValue(rowMove);
            oStartRate.setValue(start);
            oSell.setValue(rowSell);
            oBuy.setValue(rowBuy);
            oDeals.setValue(rowDeals);
            oOpen.setValue(open);
            oCurrentRate.setValue(rate);
            oProfit.setValue(profit);
            oSummary.setValue(false);
            oFilter.setValue(QStringLiteral("Ccy = %1 AND ValDate = %2").arg(id).arg(dateLiteral(day)));
            out.Update();

            sums.move += rowMove;
            sums.commission += rowCommission;
            sums.sell += rowSell;
            sums.buy += rowBuy;
            sums.deals += rowDeals;
            if (recalc)
                sums.recalc += rowMove;
            const double tradedWeight = std::abs(traded.toDouble()), moveWeight = std::abs(rowMove.toDouble());
            sums.openWeight += tradedWeight;
            sums.openRated += tradedWeight * rate;
            sums.startWeight += moveWeight;
            sums.startRated += moveWeight * start;
            sums.profit += profit;
            if (rate != 0)
                sums.commissionUsd += revalue(rowCommission, rate, direct);
            sums.lastRate = rate;
        }

        // A weight of 0 leaves the mean rate empty; an empty current rate is
        // 0 when the currency was traded (its amounts cancel out), else the
        // rate of its last row.
        std::optional<double> meanRate;
        if (sums.openWeight != 0)
            meanRate = sums.openRated / sums.openWeight;
        else
            meanRate = sums.sell != data::Currency() || sums.buy != data::Currency() ? 0.0 : sums.lastRate;
        out.AddNew();
        oCaption.setValue(id);
        oStartPosition.setValue(sums.move);
        oCommission.setValue(sums.commission);
        oStartRate.setValue(
            optionalRate(sums.startWeight != 0 ? std::optional<double>(sums.startRated / sums.startWeight) : std::nullopt));
        oCurrentRate.setValue(optionalRate(meanRate));
        oSell.setValue(sums.sell);
        oBuy.setValue(sums.buy);
        oOpen.setValue(sums.sell + sums.buy + sums.recalc);
        oProfit.setValue(sums.profit);
        oDeals.setValue(sums.deals);
        oSummary.setValue(true);
        oNegSumm.setValue(sums.profit < data::Currency());
        oFilter.setValue(QStringLiteral("Ccy = %1").arg(id));
        out.Update();

        totalProfit += sums.profit;
        totalCommissionUsd += sums.commissionUsd;
        counts.deals += int(sums.deals);
        ++counts.groups;
    }
    counts.figures.insert(QString::fromLatin1(ProfitFigure), QVariant::fromValue(totalProfit));
    counts.figures.insert(QString::fromLatin1(CommissionFigure), QVariant::fromValue(totalCommissionUsd));
    return counts;
}

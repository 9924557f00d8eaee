#include "BrokersPosition.h"

#include "ProfitTotals.h"
#include "ReportGrid.h"
#include "ReportToolbar.h"

#include "ValueListFillers.h"

#include "DateTime.h"
#include "Recordset.h"

namespace {

using T = data::DataType;
using C = ReportColumn;

constexpr const char *TotalFigure = "CommissionUSD";

constexpr FilterSlot FilterSlots[] = {
    Slots::siteOpenDate(fcDateReport0, "Start Date"),
    Slots::openDate(fcDateReport1, "End Date"),
    Slots::relative(),
    // The broker box: the brokers by short name, stored by their numbers.
    {fcDealerBox, "Broker ID", &QueryValues::Dealer, nullptr, Directory::Brokers, true, StoreCall::Brokers},
};

constexpr DisplayField Fields[] = {
    {"DealsCom", T::Currency, 8}, {"DailyCom", T::Currency, 8}, {"SumCom", T::Currency, 8},
    {"CurRate", T::Double},       {"SumUSD", T::Currency, 8},   {"DateCom", T::Date},
    {"Caption", T::Variant},      {"CcyID", T::Variant},        {"Summary", T::Boolean},
    {"RateFound", T::Boolean},
};

/// The currencies, and 0 for the summary rows' "USD Summary".
void fillCurrencyAndSummaryList(ValueListSink *column)
{
    ValueListFillers::FillCurrencyValueList(column);
    if (column)
        column->addValueListEntry(0, QStringLiteral("USD Summary"));
}

constexpr auto Amount = ColumnFormat::Amount;
constexpr auto Plain = ColumnFormat::Plain;
constexpr auto Right = C::AlignRight;

// Broker and day are the grid's groups, so their columns are hidden.
constexpr ReportColumn Columns[] = {
    {"Caption", "Broker", "Caption", false, C::AlignLeft, 120, Plain, Views::Keep,
     ValueListFillers::FillBrokerValueList},
    {"DateCom", "Date", "DateCom", false, C::AlignCenter, 90},
    {"CcyID", "Currency", "CcyID", true, C::AlignLeft, 100, Plain, Views::Keep, fillCurrencyAndSummaryList},
    {"DealsCom", "Deals Comission", "DealsCom", true, Right, 130, Amount},
    {"DailyCom", "Daily Comission", "DailyCom", true, Right, 130, Amount},
    {"SumCom", "Summary Comission", "SumCom", true, Right, 140, Amount},
    {"CurRate", "Current Rate", "CurRate", true, Right, 100, ColumnFormat::Rate},
    {"SumUSD", "Summary in USD", "SumUSD", true, Right, 130, Amount},
    {"Summary", "Summary", "Summary", false, C::AlignLeft, 60},
    {"RateFound", "RateFound", "RateFound", false, C::AlignLeft, 60},
};

constexpr StoredSwitch Switches[] = {{"With Recalc", "WithRecalc"}, {"With Commission", "WithCommission"}};

class BrokersLogic final : public ReportLogic
{
public:
    QString procedure() const override { return QStringLiteral("cnt_BrokerPosition"); }
    int owner() const override { return 15; }
    std::span<const FilterSlot> filterSlots() const override { return FilterSlots; }
    DisplayLayout layout() const override { return {Fields, Columns, "Caption", nullptr, "DateCom"}; }
    std::span<const StoredSwitch> storedSwitches() const override { return Switches; }
    std::span<const QueryKey::Bound> storedBounds() const override { return QueryKey::endDateBound(); }

    /// The trade days of slots 0 and 1 (kind 1); the value dates of slots 15
    /// and 16, which the report does not offer, stay open (kind 2).
    bool storeDates(FilterStore &store, const RunQuery &run) const override
    {
        return storeFirstRange(store, run, 1) && storeSecondRange(store, run, 2);
    }

    /// One row per broker, trade day and currency, in the procedure's order,
    /// and after each broker-day its summary row; the grand total in US
    /// dollars as the figure TotalFigure.
    DisplayCounts buildDisplay(data::Recordset &result, data::Recordset &display) const override
    {
        const data::Field broker = field(result, "BrID"), tradeDay = field(result, "TTDate"),
                          ccy = field(result, "Ccy"),
                          dealsVolume = field(result, "DealsVolume"), dailyVolume = field(result, "DailyVolume"),
                          sumVolume = field(result, "SumVolume"), usdSum = field(result, "USDSum"),
                          recRate = field(result, "RecRate");
        const data::Field caption = field(display, "Caption"), ccyId = field(display, "CcyID"),
                          date = field(display, "DateCom"), dealsCom = field(display, "DealsCom"),
                          dailyCom = field(display, "DailyCom"), sumCom = field(display, "SumCom"),
                          sumUsd = field(display, "SumUSD"), curRate = field(display, "CurRate"),
                          rateFound = field(display, "RateFound"), summary = field(display, "Summary");
        const auto amount = [](const data::Field &f) {
            const data::Value v = f.value();
            return v.isNull() ? data::Currency() : v.toCurrency();
        };
        const auto dayOf = [&tradeDay] { return tradeDay.value().toDate().date(); };

        DisplayCounts counts;
        data::Currency total;
        while (!result.Eof()) {
            ++counts.groups;
            const data::Value group = broker.value();
            const QDate day = dayOf();
            data::Currency dayTotal;
            for (; !result.Eof() && broker.value() == group && dayOf() == day; result.MoveNext()) {
                const double rate = recRate.value().isNull() ? 0.0 : recRate.value().toDouble();
                const data::Currency usd = amount(usdSum);
                display.AddNew();
                caption.setValue(group);
                ccyId.setValue(ccy.value());
                date.setValue(data::DateTime::fromDate(day));
                dealsCom.setValue(amount(dealsVolume));
                dailyCom.setValue(amount(dailyVolume));
                sumCom.setValue(amount(sumVolume));
                sumUsd.setValue(usd);
                curRate.setValue(rate);
                rateFound.setValue(rate != 0.0);
                summary.setValue(false);
                display.UpdateBatch();
                dayTotal += usd;
                total += usd;
            }
            display.AddNew();
            caption.setValue(group);
            ccyId.setValue(0);
            date.setValue(data::DateTime::fromDate(day));
            sumUsd.setValue(dayTotal);
            curRate.setValue(1.0);
            rateFound.setValue(true);
            summary.setValue(true);
            display.UpdateBatch();
        }
        counts.figures.insert(QString::fromLatin1(TotalFigure), QVariant::fromValue(total));
        return counts;
    }
};

const BrokersLogic Logic;

const QString CommissionCaption = QStringLiteral("Commission in USD");

} // namespace

BrokersPosition::BrokersPosition(QObject *parent) : Report(QStringLiteral("Brokers Position"), Logic, parent) {}

void BrokersPosition::setWithRecalc(bool on)
{
    WithRecalc = on;
    setToolState(QStringLiteral("ID_WithRecalculate"), on ? 1 : 0);
}

void BrokersPosition::setWithCommission(bool on)
{
    WithCommission = on;
    setToolState(QStringLiteral("ID_WithCommission"), on ? 1 : 0);
}

void BrokersPosition::SetUtil(EventClass *Util)
{
    Report::SetUtil(Util);
    if (Main_Menu) {
        for (const char *tool : {"ID_DetailWIndow", "ID_WithTaxe", "ID_ShowSummary", "ID_ShowDetails"})
            Main_Menu->setToolVisible(QString::fromLatin1(tool), false);
    }
    const ProfitTotals totals(Main_Menu);
    totals.setUpBand({ProfitTotals::ProfitTool});
    totals.setCaption(ProfitTotals::ProfitTool, CommissionCaption);
    totals.show(ProfitTotals::ProfitTool, data::Currency());
    if (Main_Table)
        Main_Table->addHighlight(QStringLiteral("Rate"), QStringLiteral("RateFound"), false, 0xFF00FF, false);
}

void BrokersPosition::ClearUtil()
{
    ProfitTotals(Main_Menu).clearBand();
    Report::ClearUtil();
}

void BrokersPosition::AsConnect_ExecuteComplete(const ReportRun::Outcome &outcome)
{
    TotalUSD = outcome.display
                   ? outcome.counts.figures.value(QString::fromLatin1(TotalFigure)).value<data::Currency>()
                   : data::Currency();
    Report::AsConnect_ExecuteComplete(outcome);
    ProfitTotals(Main_Menu).show(ProfitTotals::ProfitTool, NumTable > 0 ? TotalUSD : data::Currency());
}

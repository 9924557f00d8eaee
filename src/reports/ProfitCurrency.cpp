#include "ProfitCurrency.h"
#include "ProfitTotals.h"
#include "ReportGrid.h"

#include "QueryKey.h"
#include "ValueListFillers.h"

#include "DateTime.h"

#include <QSet>

namespace {

using T = data::DataType;
using C = ReportColumn;

constexpr const char *DealTypes[] = {"Spot", "Outright", "Swap"};

// The deal-date start bounds every run; the value dates are a further
// restriction of the amounts, open unless the user sets them.
constexpr FilterSlot FilterSlots[] = {
    {fcDateReport0, "Start Trade"},
    Slots::openDate(fcDateReport1, "End Trade"),
    Slots::openDate(fcDateReport2, "Start Value"),
    Slots::openDate(fcDateReport3, "End Value"),
    Slots::relative(),
    Slots::dealTypes(DealTypes),
    Slots::currencies(&QueryValues::CcyIDArray),
    Slots::counterparties(),
    Slots::dealers(),
    Slots::categories(),
    Slots::statuses(),
    Slots::attributes(),
};

// The names the stored queries have always used: the value-date range is
// kept as "Trade Date" and "End Trade Date".
const QueryKey::Bound StoredBounds[] = {
    {"End Date", &QueryValues::EndDate, &QueryValues::EndLong, true},
    {"Trade Date", &QueryValues::ValDate1, &QueryValues::ValLong1, true},
    {"End Trade Date", &QueryValues::EndDate1, &QueryValues::EndLong1, true},
};

constexpr DisplayField Fields[] = {
    {"Date", T::Date, 8},        {"Sell", T::Currency, 8},    {"Buy", T::Currency, 8},
    {"Total", T::Currency, 8},   {"Deals", T::BigInt, 8},     {"USDTotal", T::Currency, 8},
    {"USDCB", T::Currency, 8},   {"Caption", T::Variant},     {"Summary", T::Boolean},
    {"NegSumm", T::Boolean},     {"CurrentFilter", T::Variant},
};

constexpr auto Amount = ColumnFormat::Amount;
constexpr auto Plain = ColumnFormat::Plain;

const ReportColumn Columns[] = {
    {"Caption", "Currency", "Caption", false, C::AlignLeft, 90, Plain, Views::Summary,
     ValueListFillers::FillCurrencyValueList},
    {"Date", "Date", "Date", true, C::AlignCenter, 100, Plain, Views::Detail},
    {"Sell", "Sell", "Sell", true, C::AlignRight, 130, Amount},
    {"Buy", "Buy", "Buy", true, C::AlignRight, 130, Amount},
    {"Total", "Total", "Total", true, C::AlignRight, 130, Amount},
    {"Deals", "Deals", "Deals", true, C::AlignRight, 60},
    {"USDTotal", "USD Total", "USDTotal", true, C::AlignRight, 130, Amount},
    {"USDCB", "USD CB", "USDCB", true, C::AlignRight, 130, Amount},
    {"Summary", "Summary", "Summary", false, C::AlignLeft, 80},
    {"NegSumm", "NegSumm", "NegSumm", false, C::AlignLeft, 80},
    {"CurrentFilter", "CurrentFilter", "CurrentFilter", false, C::AlignLeft, 80},
};

/// The sums of a day or a currency: sales (the amounts that are not above
/// 0), purchases and the two US-dollar valuations.
struct Sums
{
    data::Currency sell, buy, usdTotal, usdCb;

    Sums &operator+=(const Sums &other)
    {
        sell += other.sell;
        buy += other.buy;
        usdTotal += other.usdTotal;
        usdCb += other.usdCb;
        return *this;
    }
    data::Currency total() const { return sell + buy; }
};

/// "TradeID = 1 OR TradeID = 2": the deals of a row in the deal result. The
/// recordset filter compiles such a list into one set lookup.
QString tradeCriteria(const QList<qint64> &deals)
{
    QString criteria;
    for (const qint64 deal : deals) {
        if (!criteria.isEmpty())
            criteria += QStringLiteral(" OR ");
        criteria += QStringLiteral("TradeID = ") + QString::number(deal);
    }
    return criteria;
}

class ProfitCurrencyLogic final : public ReportLogic
{
public:
    QString procedure() const override { return QStringLiteral("cnt_ProfitCurrency"); }
    int owner() const override { return 20; }
    std::span<const FilterSlot> filterSlots() const override { return FilterSlots; }
    DisplayLayout layout() const override { return {Fields, Columns, "Caption", "Date"}; }
    std::optional<DetailView> detailView() const override { return dvNewDetail; }
    /// The deals, third of the procedure's results.
    int detailResultSet() const override { return 2; }
    std::span<const QueryKey::Bound> storedBounds() const override { return StoredBounds; }

    /// The procedure reads the deal dates as kind 1 and the amounts' value
    /// dates as kind 2: each range goes under the kind its captions name.
    bool storeDates(FilterStore &store, const RunQuery &run) const override
    {
        return storeFirstRange(store, run, 1) && storeSecondRange(store, run, 2);
    }

    /// "EUR (2026-12-08)" on a day row, the currency alone on its summary.
    QString detailCaption(data::Recordset &display) const override { return currencyCaption(display, "Date"); }

    DisplayCounts buildDisplay(data::Recordset &in, data::Recordset &out) const override;
};

DisplayCounts ProfitCurrencyLogic::buildDisplay(data::Recordset &in, data::Recordset &out) const
{
    const data::Field ccyOf = field(in, "Ccy"), valDate = field(in, "ValDate"), volume = field(in, "Volume"),
                      usd1 = field(in, "USDVol1"), usd2 = field(in, "USDVol2"), tradeId = field(in, "TradeID");
    const data::Field oDate = field(out, "Date"), oSell = field(out, "Sell"), oBuy = field(out, "Buy"),
                      oTotal = field(out, "Total"), oDeals = field(out, "Deals"), oUsdTotal = field(out, "USDTotal"),
                      oUsdCb = field(out, "USDCB"), oCaption = field(out, "Caption"), oSummary = field(out, "Summary"),
                      oNegSumm = field(out, "NegSumm"), oFilter = field(out, "CurrentFilter");
    const auto writeSums = [&](const Sums &sums, qint64 deals, int ccy) {
        oSell.setValue(sums.sell);
        oBuy.setValue(sums.buy);
        oTotal.setValue(sums.total());
        oDeals.setValue(deals);
        oUsdTotal.setValue(sums.usdTotal);
        oUsdCb.setValue(sums.usdCb);
        oCaption.setValue(ccy);
    };

    DisplayCounts counts;
    // The result comes ordered by currency and value date: each run of equal
    // currencies is a group, each run of equal days within it a day row.
    while (!in.Eof()) {
        const int ccy = ccyOf.value().toInt();
        Sums currency;
        qint64 currencyDeals = 0;
        // A deal with amounts on several days is named once in the
        // currency's filter.
        QList<qint64> currencyList;
        QSet<qint64> inCurrency;
        while (!in.Eof() && ccyOf.value().toInt() == ccy) {
            const data::DateTime day = valDate.value().toDate().startOfDay();
            Sums sums;
            // A deal counts once on its day: both legs of a swap that settle
            // on the same day in one currency are one deal, not two.
            QList<qint64> deals;
            QSet<qint64> seen;
            while (!in.Eof() && ccyOf.value().toInt() == ccy && valDate.value().toDate().startOfDay() == day) {
                const data::Currency amount = volume.value().toCurrency();
                (amount > data::Currency() ? sums.buy : sums.sell) += amount;
                sums.usdTotal += usd1.value().toCurrency();
                sums.usdCb += usd2.value().toCurrency();
                const qint64 deal = tradeId.value().toInt64();
                if (!seen.contains(deal)) {
                    seen.insert(deal);
                    deals.append(deal);
                }
                in.MoveNext();
            }
            const QString dayFilter = tradeCriteria(deals);
            out.AddNew();
            oDate.setValue(day);
            writeSums(sums, deals.size(), ccy);
            oSummary.setValue(false);
            // A negative day total is red through "Negative"; the bold red of
            // NegSumm is the summaries'.
            oNegSumm.setValue(false);
            oFilter.setValue(dayFilter);
            out.UpdateBatch();
            currency += sums;
            currencyDeals += deals.size();
            for (const qint64 deal : deals) {
                if (!inCurrency.contains(deal)) {
                    inCurrency.insert(deal);
                    currencyList.append(deal);
                }
            }
        }
        out.AddNew();
        writeSums(currency, currencyDeals, ccy);
        oSummary.setValue(true);
        oNegSumm.setValue(currency.total() < data::Currency());
        oFilter.setValue(tradeCriteria(currencyList));
        out.Update();
        counts.deals += int(currencyDeals);
        ++counts.groups;
    }
    return counts;
}

const ProfitCurrencyLogic Logic;

} // namespace

ProfitCurrency::ProfitCurrency(QObject *parent) : Report(QStringLiteral("Profit/Loss Currency"), Logic, parent) {}

void ProfitCurrency::SetUtil(EventClass *Util)
{
    Report::SetUtil(Util);
    setToolEnabled(QStringLiteral("ID_DetailWIndow"), true);
    setToolEnabled(QStringLiteral("ID_Recalculate"), false);
    // cnt_ProfitCurrency reads the current deals only: a switch that would
    // add the archive and change nothing is not offered.
    setWithArchive(false);
    setToolEnabled(QStringLiteral("ID_WithArchive"), false);
    const ProfitTotals totals(Main_Menu);
    totals.setUpBand({ProfitTotals::ProfitTool, ProfitTotals::CommissionTool});
    totals.setCaption(ProfitTotals::CommissionTool, ProfitTotals::CbCaption);
    totals.showZero();
    if (Main_Table) {
        // After the base's "Summ": the later condition wins, so a negative
        // summary is red, not blue.
        Main_Table->addHighlight(QStringLiteral("NegSumm"), QStringLiteral("NegSumm"), true, 0x0000FF);
        Main_Table->addNegativeHighlight(QStringLiteral("Negative"), QStringLiteral("Total"), 0x0000FF);
    }
}

void ProfitCurrency::ClearUtil()
{
    ProfitTotals(Main_Menu).clearBand();
    Report::ClearUtil();
}

void ProfitCurrency::RebindTable()
{
    Report::RebindTable();
    boldSummariesBesideDetails();
}

void ProfitCurrency::AsConnect_ExecuteComplete(const ReportRun::Outcome &outcome)
{
    Report::AsConnect_ExecuteComplete(outcome);
    // The second result holds the two grand results, in one row.
    const data::RecordsetPtr results = outcome.results.size() > 1 ? outcome.results[1] : nullptr;
    const ProfitTotals totals(Main_Menu);
    if (NumTable == 0 || !results || results->Eof()) {
        totals.showZero();
        return;
    }
    totals.show(ProfitTotals::ProfitTool, results->Fields(QStringLiteral("Prl1")).value().toCurrency());
    totals.show(ProfitTotals::CommissionTool, results->Fields(QStringLiteral("Prl2")).value().toCurrency());
}

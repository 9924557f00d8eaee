#include "Profit_LossRange.h"
#include "ProfitTotals.h"
#include "ReportGrid.h"
#include "ReportToolbar.h"

#include "DirectoryProvider.h"
#include "ValueListSink.h"

namespace {

using T = data::DataType;
using C = ReportColumn;

constexpr FilterSlot FilterSlots[] = {
    Slots::openDate(fcDateReport0, "Start Report Date"),
    Slots::openDate(fcDateReport1, "End Report Date"),
    Slots::relative(),
    Slots::dealers(),
    Slots::clients(),
};

constexpr DisplayField Fields[] = {
    {"Caption", T::Variant},      {"ClientDeals", T::Currency, 8}, {"ClientCount", T::BigInt, 8},
    {"Value", T::Currency, 8},    {"Deals", T::BigInt, 8},         {"ProfitLoss", T::Currency, 8},
    {"Summary", T::Boolean},
};

/// The dealers by their staff numbers, every dealer that ever was (old deals
/// name them too), and the summary row's 0 as "Summary".
void fillDealerValueList(ValueListSink *column)
{
    if (!column)
        return;
    column->clearValueList();
    const TwoRowTable dealers = DirectoryProvider::instance().DealerList(false);
    for (int i = 0; i < dealers.size(); ++i)
        column->addValueListEntry(dealers.id(i), dealers.text(i));
    column->addValueListEntry(QVariant(0), QStringLiteral("Summary"));
}

constexpr auto Amount = ColumnFormat::Amount;
constexpr auto Plain = ColumnFormat::Plain;

// The count column's caption keeps its trailing blank: stored column
// layouts and the hosts' captions know it so.
const ReportColumn Columns[] = {
    {"Caption", "Dealer", "Caption", true, C::AlignLeft, 120, Plain, Views::Keep, fillDealerValueList},
    {"ClientValue", "Client Deals", "ClientDeals", true, C::AlignRight, 140, Amount},
    {"ClientDeals", "Client Deals Count ", "ClientCount", true, C::AlignRight, 110},
    {"Value", "Deals Value", "Value", true, C::AlignRight, 140, Amount},
    {"Deals", "Deals Count", "Deals", true, C::AlignRight, 90},
    {"ProfitLoss", "Profit/Loss", "ProfitLoss", true, C::AlignRight, 140, Amount},
    {"Summary", "Summary", "Summary", false, C::AlignLeft, 80},
};

/// Tools every report uses that this one hides while it is bound: it has
/// no detail window, and no view switch (its one summary row closes the list).
const QStringList HiddenCommonTools = {
    QStringLiteral("ID_DetailWIndow"),
    QStringLiteral("ID_ShowSummary"),
    QStringLiteral("ID_ShowDetails"),
};

/// The run's figure: the grand result of every dealer.
constexpr const char *ProfitFigure = "TotalProfit";

class ProfitLossRangeLogic final : public ReportLogic
{
public:
    QString procedure() const override { return QStringLiteral("cnt_ProfitLossRange"); }
    int owner() const override { return 13; }
    std::span<const FilterSlot> filterSlots() const override { return FilterSlots; }
    DisplayLayout layout() const override { return {Fields, Columns, nullptr, nullptr}; }
    std::span<const QueryKey::Bound> storedBounds() const override { return QueryKey::endDateBound(); }

    /// The report's date range, kind 2: the procedure selects the deals by
    /// their first value date. An "All" bound is open.
    bool storeDates(FilterStore &store, const RunQuery &run) const override
    {
        return storeFirstRange(store, run, 2);
    }

    DisplayCounts buildDisplay(data::Recordset &in, data::Recordset &out) const override;
};

DisplayCounts ProfitLossRangeLogic::buildDisplay(data::Recordset &in, data::Recordset &out) const
{
    const data::Field staff = field(in, "StaffID"), clientVolume = field(in, "BrClientDealVolume"),
                      clientCount = field(in, "ClientCount"), volume = field(in, "BrDealVolume"),
                      dealCount = field(in, "DealCount"), profit = field(in, "ProfitLoss");
    const data::Field oCaption = field(out, "Caption"), oClientDeals = field(out, "ClientDeals"),
                      oClientCount = field(out, "ClientCount"), oValue = field(out, "Value"),
                      oDeals = field(out, "Deals"), oProfit = field(out, "ProfitLoss"),
                      oSummary = field(out, "Summary");
    data::Currency sumClient, sumValue, sumProfit;
    qint64 sumClientCount = 0, sumDeals = 0;
    DisplayCounts counts;
    // Every row of the result is a dealer. The rows carry a "Caption" of
    // their own, but stopping where it changes would drop dealers without a
    // word and leave a summary that is not their sum.
    for (; !in.Eof(); in.MoveNext()) {
        const data::Currency client = clientVolume.value().toCurrency(), value = volume.value().toCurrency(),
                             result = profit.value().toCurrency();
        const qint64 clients = clientCount.value().toInt64(), deals = dealCount.value().toInt64();
        out.AddNew();
        oCaption.setValue(staff.value().toInt());
        oClientDeals.setValue(client);
        oClientCount.setValue(clients);
        oValue.setValue(value);
        oDeals.setValue(deals);
        oProfit.setValue(result);
        oSummary.setValue(false);
        out.UpdateBatch();
        sumClient += client;
        sumValue += value;
        sumProfit += result;
        sumClientCount += clients;
        sumDeals += deals;
        ++counts.groups;
    }
    out.AddNew();
    oCaption.setValue(0);
    oClientDeals.setValue(sumClient);
    oClientCount.setValue(sumClientCount);
    oValue.setValue(sumValue);
    oDeals.setValue(sumDeals);
    oProfit.setValue(sumProfit);
    oSummary.setValue(true);
    out.UpdateBatch();
    counts.deals = int(sumDeals);
    counts.figures.insert(QString::fromLatin1(ProfitFigure), QVariant::fromValue(sumProfit));
    return counts;
}

const ProfitLossRangeLogic Logic;

} // namespace

Profit_LossRange::Profit_LossRange(QObject *parent) : Report(QStringLiteral("Profit/Loss Range"), Logic, parent) {}

void Profit_LossRange::SetUtil(EventClass *Util)
{
    Report::SetUtil(Util);
    const ProfitTotals totals(Main_Menu);
    totals.setUpBand({ProfitTotals::ProfitTool});
    totals.show(ProfitTotals::ProfitTool, data::Currency());
    if (Main_Menu) {
        for (const QString &tool : HiddenCommonTools)
            Main_Menu->setToolVisible(tool, false);
    }
    if (Main_Table)
        Main_Table->addNegativeHighlight(QStringLiteral("Negative"), QStringLiteral("ProfitLoss"), 0x0000FF);
}

void Profit_LossRange::ClearUtil()
{
    ProfitTotals(Main_Menu).clearBand();
    if (Main_Menu) {
        for (const QString &tool : HiddenCommonTools)
            Main_Menu->setToolVisible(tool, true);
    }
    Report::ClearUtil();
}

void Profit_LossRange::AsConnect_ExecuteComplete(const ReportRun::Outcome &outcome)
{
    Report::AsConnect_ExecuteComplete(outcome);
    const data::Currency total =
        outcome.display && NumTable > 0
            ? outcome.counts.figures.value(QString::fromLatin1(ProfitFigure)).value<data::Currency>()
            : data::Currency();
    ProfitTotals(Main_Menu).show(ProfitTotals::ProfitTool, total);
}

#include "CurrencyPosition.h"
#include "ReportGrid.h"

#include "FieldReader.h"
#include "FilterStore.h"
#include "MessageService.h"
#include "NumberFormat.h"
#include "TextTable.h"
#include "ValueListFillers.h"

namespace {

using T = data::DataType;
using C = ReportColumn;

constexpr const char *DealTypes[] = {"Spot", "Outright", "Swap"};

/// The procedure's mark of a currency's recalculation row.
constexpr int RecalcRow = 2;
constexpr int WarningText = 3018;   // "Result may by incorrect with selected list of currency pair ..."
constexpr int ContinueText = 3019;  // "Continue?"

const char *const RecalcSwitch = "WithRecalc";

constexpr FilterSlot FilterSlots[] = {
    {fcDateReport0, "Value Date"},
    Slots::relative(),
    Slots::dealTypes(DealTypes),
    Slots::pairsBesideCurrencies(),
    Slots::currencies(&QueryValues::CcyIDArray),
    Slots::counterparties(),
    Slots::dealers(),
    Slots::categories(),
    Slots::statuses(),
    Slots::attributes(),
    Slots::clients(),
};

constexpr DisplayField Fields[] = {
    {"TicketNum", T::BigInt, 8}, {"DealerName", T::Variant},  {"BankName", T::Variant},
    {"DealType", T::BigInt, 8},  {"ConfTime", T::Date, 8},    {"Volume", T::Currency, 8},
    {"Total", T::Currency, 8},   {"Deals", T::BigInt, 8},     {"Caption", T::Variant},
    {"Summary", T::Boolean},     {"NegSumm", T::Boolean},     {"TCID", T::Variant},
    {"Status", T::BigInt, 8},
};

constexpr auto Amount = ColumnFormat::Amount;
constexpr auto Plain = ColumnFormat::Plain;

const ReportColumn Columns[] = {
    {"Caption", "Currency", "Caption", false, C::AlignLeft, 90, Plain, Views::Summary,
     ValueListFillers::FillCurrencyValueList},
    {"TicketNum", "Ticket #", "TicketNum", true, C::AlignRight, 70, Plain, Views::Detail},
    {"ConfTime", "Confirmed Time", "ConfTime", true, C::AlignCenter, 140, Plain, Views::Detail},
    {"DealerName", "Dealer Name", "DealerName", true, C::AlignLeft, 150},
    {"BankName", "Counterparty", "BankName", true, C::AlignLeft, 150},
    {"DealType", "Type of Deal", "DealType", true, C::AlignLeft, 90, Plain, Views::Detail,
     ValueListFillers::FillFxDealTypeValueList},
    {"Volume", "Volume", "Volume", true, C::AlignRight, 130, Amount},
    {"Total", "Total", "Total", false, C::AlignRight, 130, Amount, Views::Summary},
    {"Deals", "Deals", "Deals", false, C::AlignRight, 60, Plain, Views::Summary},
    {"Summary", "Summary", "Summary", false, C::AlignLeft, 80},
    {"NegSumm", "NegSumm", "NegSumm", false, C::AlignLeft, 80},
    {"TCID", "TCID", "TCID", false, C::AlignRight, 80},
    {"Status", "Status", "Status", false, C::AlignRight, 70},
};

constexpr StoredSwitch Switches[] = {{"With Recalc", RecalcSwitch}};

bool recalculates(const RunQuery &run)
{
    return run.switches.value(QString::fromLatin1(RecalcSwitch)).toBool();
}

class CurrencyPositionLogic final : public ReportLogic
{
public:
    QString procedure() const override { return QStringLiteral("cnt_CurrencyPosition"); }
    int owner() const override { return 7; }
    std::span<const FilterSlot> filterSlots() const override { return FilterSlots; }
    DisplayLayout layout() const override { return {Fields, Columns, "Caption", nullptr}; }
    std::optional<ChartLayout> chart() const override
    {
        return ChartLayout{ChartLayout::Kind::Bars, "Net position per currency", "Total"};
    }
    std::span<const StoredSwitch> storedSwitches() const override { return Switches; }

    /// The report's one date is a value date: the amounts that settle on
    /// that day. "All" stores no bound, so every value date counts.
    bool storeDates(FilterStore &store, const RunQuery &run) const override
    {
        const QueryValues &q = run.query;
        const QDate valueDate = q.boundDate(q.ValDate, q.ValLong, run.today);
        return !valueDate.isValid() || store.StoreDateRange(valueDate, valueDate, 2);
    }

    /// A recalculated position counts every currency and pair.
    bool appliesSlot(const FilterSlot &slot, const RunQuery &run) const override
    {
        return !recalculates(run) || (slot.index != fcCcyBox && slot.index != fcPairBox);
    }

    DisplayCounts buildRunDisplay(data::Recordset &in, data::Recordset &out, const RunQuery &run) const override;
};

DisplayCounts CurrencyPositionLogic::buildRunDisplay(data::Recordset &in, data::Recordset &out,
                                                     const RunQuery &run) const
{
    const bool recalc = recalculates(run);
    const auto field = [&in](const char *name) { return in.Fields(QString::fromLatin1(name)); };
    const data::Field ccyField = field("Ccy"), isCom = field("isCom"), volumeField = field("Volume"),
                      dealTime = field("DealTime"), ticket = field("TicketNum"), dealer = field("DealerID"),
                      bank = field("Bank1ID"), dealType = field("PureDealType"), tcid = field("TCID"),
                      status = field("Status");
    const auto outField = [&out](const char *name) { return out.Fields(QString::fromLatin1(name)); };
    const data::Field oTicketNum = outField("TicketNum"), oDealerName = outField("DealerName"),
                      oBankName = outField("BankName"), oDealType = outField("DealType"),
                      oConfTime = outField("ConfTime"), oVolume = outField("Volume"), oTotal = outField("Total"),
                      oDeals = outField("Deals"), oCaption = outField("Caption"), oSummary = outField("Summary"),
                      oNegSumm = outField("NegSumm"), oTCID = outField("TCID"), oStatus = outField("Status");

    DisplayCounts counts;
    while (!in.Eof()) {
        const int ccy = ccyField.value().toInt();
        data::Currency dealSum, recalcAmount;
        qint64 deals = 0;
        while (!in.Eof() && ccyField.value().toInt() == ccy) {
            const data::Currency volume = volumeField.value().toCurrency();
            if (isCom.value().toInt() == RecalcRow) {
                // One such row per currency; a second would be part of the same amount.
                recalcAmount += volume;
            } else {
                out.AddNew();
                oTicketNum.setValue(ticket.value());
                oDealerName.setValue(dealer.value().toString().trimmed());
                oBankName.setValue(bank.value().toString().trimmed());
                oDealType.setValue(dealType.value());
                oConfTime.setValue(dealTime.value());
                oVolume.setValue(volume);
                oCaption.setValue(ccy);
                oSummary.setValue(false);
                oNegSumm.setValue(false);
                oTCID.setValue(tcid.value());
                oStatus.setValue(status.value());
                out.UpdateBatch();
                dealSum += volume;
                ++deals;
            }
            in.MoveNext();
        }
        // Without recalculation a currency that has only its recalculation
        // row has nothing to show.
        if (!recalc && deals == 0)
            continue;
        const data::Currency total = recalc ? dealSum + recalcAmount : dealSum;
        out.AddNew();
        oTicketNum.setValue(deals);
        // The amount itself: the grid shows it as "Recalc: " in the value
        // format of the moment (CurrencySummaryTexts).
        if (recalc)
            oDealerName.setValue(recalcAmount);
        oVolume.setValue(total);
        oTotal.setValue(total);
        oDeals.setValue(deals);
        oCaption.setValue(ccy);
        oSummary.setValue(true);
        oNegSumm.setValue(total < data::Currency());
        out.Update();
        counts.deals += int(deals);
        ++counts.groups;
    }
    return counts;
}

const CurrencyPositionLogic Logic;

/// A currency's summary row shows texts in place of the deal columns.
class CurrencySummaryTexts final : public ShownRows
{
public:
    QVariant cell(const ShownRow &row, int column, const QVariant &value) const override
    {
        data::Recordset &rs = row.display;
        if (rs.Eof() || !rs.Fields(QStringLiteral("Summary")).value().toBool())
            return value;
        if (column == row.layout.columnIndex("BankName"))
            return QString(QStringLiteral("Deals: ") + rs.Fields(QStringLiteral("Deals")).value().toString());
        if (column == row.layout.columnIndex("DealerName")) {
            const data::Value recalc = rs.Fields(QStringLiteral("DealerName")).value();
            if (recalc.isNull())
                return QString();
            return QString(QStringLiteral("Recalc: ")
                           + NumberFormat::format(FieldReader::cellValue(recalc), row.formats.value));
        }
        // The count under "Ticket #" would read as a ticket; "Deals: n" shows it.
        if (column == row.layout.columnIndex("TicketNum"))
            return QString();
        return value;
    }
};

const CurrencySummaryTexts SummaryTexts;

} // namespace

CurrencyPosition::CurrencyPosition(QObject *parent) : Report(QStringLiteral("Currency Position"), Logic, parent) {}

QString CurrencyPosition::recalcWarningText()
{
    return TextTable::LoadText(WarningText) + QLatin1Char('\r') + TextTable::LoadText(ContinueText);
}

void CurrencyPosition::setWithRecalc(bool on)
{
    WithRecalc = on;
    setToolState(QStringLiteral("ID_WithRecalculate"), on ? 1 : 0);
}

void CurrencyPosition::SetUtil(EventClass *Util)
{
    Report::SetUtil(Util);
    setToolEnabled(QStringLiteral("ID_WithRecalculate"), true);
    setWithRecalc(WithRecalc);
    setToolEnabled(QStringLiteral("ID_ShowTicket"), false);
    offerArchiveSwitch();
    if (Main_Table) {
        // After the base's "Summ": the later condition wins, so a negative
        // total is red although its row is a summary row too.
        Main_Table->addHighlight(QStringLiteral("NegSumm"), QStringLiteral("NegSumm"), true, 0x0000FF);
        Main_Table->addNegativeHighlight(QStringLiteral("Negative"), QStringLiteral("Volume"), 0x0000FF);
    }
}

bool CurrencyPosition::confirmRun()
{
    // A recalculation sets aside a currency selection (the query's Pair)
    // and a pair selection (Pair2) alike: either is asked about.
    const QueryValues &q = query();
    if (!WithRecalc || (QueryValues::isAll(q.Pair) && QueryValues::isAll(q.Pair2)))
        return true;
    return MessageService::instance().Confirm(recalcWarningText());
}

const ShownRows &CurrencyPosition::shownRows() const
{
    return SummaryTexts;
}

#include "OpenPosition.h"

#include "PairSummary.h"

#include "FieldReader.h"
#include "FilterStore.h"
#include "NumberFormat.h"
#include "ValueListFillers.h"

#include <array>

namespace {

using T = data::DataType;
using C = ReportColumn;

constexpr const char *DealTypes[] = {"Spot", "Outright", "Swap"};

constexpr FilterSlot FilterSlots[] = {
    {fcDateReport0, "Deal Date"},
    Slots::openDate(fcDateReport1, "Value Date"),
    Slots::relative(),
    Slots::dealTypes(DealTypes),
    Slots::pairs(),
    Slots::counterparties(),
    Slots::dealers(),
    Slots::categories(),
    Slots::statuses(),
    Slots::tcids(),
    Slots::attributes(),
    Slots::clients(),
};

constexpr DisplayField Fields[] = {
    {"TicketNum", T::BigInt, 8}, {"DealerName", T::Variant},   {"BankName", T::Variant},
    {"ValueDate1", T::Date},     {"ValueDate2", T::Date},      {"SellRate", T::Double, 8},
    {"BuyRate", T::Double, 8},   {"BuyCcy1", T::Currency, 8},  {"SellCcy1", T::Currency, 8},
    {"Rate", T::Double, 8},      {"BuyCcy2", T::Currency, 8},  {"SellCcy2", T::Currency, 8},
    {"Caption", T::Variant},     {"Summary", T::Boolean},      {"TCID", T::Variant},
    {"ConfTime", T::Date},       {"Status", T::BigInt, 8},
};

constexpr auto Amount = ColumnFormat::Amount;
constexpr auto Rate = ColumnFormat::Rate;
constexpr auto Plain = ColumnFormat::Plain;

const ReportColumn Columns[] = {
    {"TicketNum", "Ticket #", "TicketNum", true, C::AlignRight, 70, Plain, Views::Detail},
    {"DealerName", "Dealers Name", "DealerName", true, C::AlignLeft, 150, Plain, Views::Detail},
    {"BankName", "Banks Name", "BankName", true, C::AlignLeft, 150, Plain, Views::Detail},
    {"BuyCcy1", "Buy Ccy1", "BuyCcy1", true, C::AlignRight, 130, Amount},
    {"SellCcy1", "Sell Ccy1", "SellCcy1", true, C::AlignRight, 130, Amount},
    {"SellRate", "Sell Rate", "SellRate", false, C::AlignRight, 100, Rate, Views::NotWithDetail},
    {"DateVal1", "Value Date1", "ValueDate1", true, C::AlignCenter, 150, Plain, Views::Detail},
    {"Rate", "Rate", "Rate", true, C::AlignRight, 95, Rate},
    {"BuyCcy2", "Buy Ccy2", "BuyCcy2", true, C::AlignRight, 130, Amount},
    {"SellCcy2", "Sell Ccy2", "SellCcy2", true, C::AlignRight, 130, Amount},
    {"DateVal2", "Value Date2", "ValueDate2", true, C::AlignCenter, 150, Plain, Views::Detail},
    {"BuyRate", "Buy Rate", "BuyRate", false, C::AlignRight, 100, Rate, Views::Summary},
    {"Caption", "Currency", "Caption", false, C::AlignLeft, 100, Plain, Views::Summary,
     ValueListFillers::FillPairValueList},
    {"SumCcy1", "Summary Ccy1", "DealerName", false, C::AlignRight, 130, Amount, Views::Summary},
    {"SumCcy2", "Summary Ccy2", "BankName", false, C::AlignRight, 130, Amount, Views::Summary},
    {"Summary", "Summary", "Summary", false, C::AlignLeft, 80},
    {"TCID", "TCID", "TCID", false, C::AlignRight, 80},
    {"ConfTime", "ConfTime", "ConfTime", false, C::AlignLeft, 130},
    {"Status", "Status", "Status", false, C::AlignRight, 70},
};

data::Value optionalRate(const std::optional<double> &rate)
{
    return rate ? data::Value(*rate) : data::Value::null(data::DataType::Double);
}

class OpenPositionLogic final : public ReportLogic
{
public:
    QString procedure() const override { return QStringLiteral("cnt_OpenPosition"); }
    int owner() const override { return 2; }
    std::span<const FilterSlot> filterSlots() const override { return FilterSlots; }
    DisplayLayout layout() const override { return {Fields, Columns, "Caption", "TicketNum"}; }
    // A pair's summary row holds its net first-currency amount under the dealer's column.
    std::optional<ChartLayout> chart() const override
    {
        return ChartLayout{ChartLayout::Kind::Bars, "Net position per pair (first currency)", "DealerName"};
    }

    /// The report date and the value date, each a one-day range; without
    /// either, the report date is today.
    bool storeDates(FilterStore &store, const RunQuery &run) const override
    {
        const QueryValues &q = run.query;
        const QDate reportDate = q.boundDate(q.ValDate, q.ValLong, run.today);
        const QDate valueDate = q.boundDate(q.EndDate, q.EndLong, run.today);
        if (!reportDate.isValid() && !valueDate.isValid())
            return store.StoreDateRange(run.today, run.today, 1);
        return store.StoreDateRange(reportDate, reportDate, 1) && store.StoreDateRange(valueDate, valueDate, 2);
    }

    DisplayCounts buildDisplay(data::Recordset &in, data::Recordset &out) const override;
};

DisplayCounts OpenPositionLogic::buildDisplay(data::Recordset &in, data::Recordset &out) const
{
    const auto field = [&in](const char *name) { return in.Fields(QString::fromLatin1(name)); };
    const data::Field pairField = field("PairCcy"), ticket = field("TicketNum"),
                      conf = field("ConfName"), bank = field("Bank1ID"), rateField = field("Rate"),
                      tcid = field("TCID"), dealTime = field("DealTime"), status = field("Status"),
                      volumeField = field("Volume"), volume2Field = field("Volume2"),
                      valDate = field("ValDate"), valDate2 = field("ValDate2");
    // Output fields are looked up once: a Field handle follows the current record.
    const auto outField = [&out](const char *name) { return out.Fields(QString::fromLatin1(name)); };
    const data::Field oTicketNum = outField("TicketNum"), oDealerName = outField("DealerName"),
                      oBankName = outField("BankName"), oValueDate1 = outField("ValueDate1"),
                      oValueDate2 = outField("ValueDate2"), oSellRate = outField("SellRate"),
                      oBuyRate = outField("BuyRate"), oBuyCcy1 = outField("BuyCcy1"),
                      oSellCcy1 = outField("SellCcy1"), oRate = outField("Rate"),
                      oBuyCcy2 = outField("BuyCcy2"), oSellCcy2 = outField("SellCcy2"),
                      oCaption = outField("Caption"), oSummary = outField("Summary"),
                      oTCID = outField("TCID"), oConfTime = outField("ConfTime"),
                      oStatus = outField("Status");

    DisplayCounts counts;
    while (!in.Eof()) {
        const int pair = pairField.value().toInt();
        PairSummary sums;
        while (!in.Eof() && pairField.value().toInt() == pair) {
            const data::Currency volume = volumeField.value().toCurrency();
            const data::Currency volume2 = volume2Field.value().toCurrency();
            const data::Value rate = rateField.value();
            const bool sell = volume < data::Currency();
            out.AddNew();
            oTicketNum.setValue(ticket.value());
            oDealerName.setValue(conf.value().toString().trimmed());
            oBankName.setValue(bank.value().toString().trimmed());
            oValueDate1.setValue(valDate.value());
            oValueDate2.setValue(valDate2.value());
            (sell ? oSellCcy1 : oBuyCcy1).setValue(volume);
            oRate.setValue(rate);
            (sell ? oBuyCcy2 : oSellCcy2).setValue(volume2);
            oCaption.setValue(pair);
            oSummary.setValue(false);
            oTCID.setValue(tcid.value());
            oConfTime.setValue(dealTime.value());
            oStatus.setValue(status.value());
            out.UpdateBatch();
            sums.addDeal(volume, volume2, rate.toDouble());
            ++counts.deals;
            in.MoveNext();
        }
        out.AddNew();
        oTicketNum.setValue(qint64(-1));
        oDealerName.setValue(sums.netCcy1());
        oBankName.setValue(sums.netCcy2());
        oSellRate.setValue(optionalRate(sums.sellRate()));
        oBuyRate.setValue(optionalRate(sums.buyRate()));
        oBuyCcy1.setValue(sums.buyCcy1());
        oSellCcy1.setValue(sums.sellCcy1());
        oRate.setValue(optionalRate(sums.positionRate()));
        oBuyCcy2.setValue(sums.sellsCcy2());
        oSellCcy2.setValue(sums.buysCcy2());
        oCaption.setValue(pair);
        oSummary.setValue(true);
        out.Update();
        ++counts.groups;
    }
    return counts;
}

const OpenPositionLogic Logic;

/// A pair's summary row shows its net amounts and average rates as texts.
class PairSummaryTexts final : public ShownRows
{
public:
    void changeRow(const ShownRow &row, QVector<QVariant> &values) const override
    {
        data::Recordset &rs = row.display;
        if (!rs.Fields(QStringLiteral("Summary")).value().toBool())
            return;
        const auto text = [&rs](const char *field, const QString &format) {
            const data::Value value = rs.Fields(QString::fromLatin1(field)).value();
            return value.isNull() ? QString() : NumberFormat::format(FieldReader::cellValue(value), format);
        };
        // A summary row carries ticket -1 only to sort first in its pair; it is no ticket.
        const std::array<std::pair<const char *, QString>, 5> texts{{
            {"TicketNum", QString()},
            {"DealerName", QStringLiteral("Ccy1: ") + text("DealerName", row.formats.value)},
            {"BankName", QStringLiteral("Ccy2: ") + text("BankName", row.formats.value)},
            {"DateVal1", QStringLiteral("Sell Rate: ") + text("SellRate", row.formats.rate)},
            {"DateVal2", QStringLiteral("Buy Rate: ") + text("BuyRate", row.formats.rate)},
        }};
        for (const auto &[key, value] : texts) {
            const int index = row.layout.columnIndex(key);
            if (index >= 0 && index < values.size())
                values[index] = value;
        }
    }
};

const PairSummaryTexts SummaryTexts;

} // namespace

OpenPosition::OpenPosition(QObject *parent) : Report(QStringLiteral("Currency Pairs"), Logic, parent) {}

void OpenPosition::SetUtil(EventClass *Util)
{
    Report::SetUtil(Util);
    setToolEnabled(QStringLiteral("ID_ShowTicket"), false);
    offerArchiveSwitch();
}

const ShownRows &OpenPosition::shownRows() const
{
    return SummaryTexts;
}

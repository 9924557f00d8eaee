#include "SingleCurrency.h"

#include "DayRangeLogic.h"
#include "ReportGrid.h"

#include "ValueListFillers.h"

#include "DateTime.h"

namespace {

using T = data::DataType;
using C = ReportColumn;

constexpr DisplayField Fields[] = {
    {"Date", T::Date},       {"Sell", T::Currency, 8}, {"Total", T::Currency, 8}, {"Deals", T::BigInt, 8},
    {"Caption", T::Variant}, {"Summary", T::Boolean},  {"NegSumm", T::Boolean},   {"CurrentFilter", T::Variant},
};

constexpr auto Amount = ColumnFormat::Amount;
constexpr auto Plain = ColumnFormat::Plain;

const ReportColumn Columns[] = {
    {"Caption", "Currency", "Caption", false, C::AlignLeft, 100, Plain, Views::Summary,
     ValueListFillers::FillCurrencyValueList},
    {"Date", "Date", "Date", true, C::AlignCenter, 100, Plain, Views::Detail},
    {"Sell", "Sell", "Sell", true, C::AlignRight, 130, Amount},
    {"Total", "Total", "Total", true, C::AlignRight, 130, Amount},
    {"Deals", "Deals", "Deals", true, C::AlignRight, 60},
    {"Summary", "Summary", "Summary", false, C::AlignLeft, 80},
    {"NegSumm", "NegSumm", "NegSumm", false, C::AlignLeft, 80},
};

class SingleCurrencyLogic final : public DayRangeLogic
{
public:
    QString procedure() const override { return QStringLiteral("cnt_SingleCurrency"); }
    int owner() const override { return 4; }
    DisplayLayout layout() const override { return {Fields, Columns, "Caption", "Date"}; }
    std::optional<DetailView> detailView() const override { return dvSingleCurrency; }

    DisplayCounts buildDisplay(data::Recordset &in, data::Recordset &out) const override;

protected:
    Directory groupDirectory() const override { return Directory::Currencies; }
};

/// The purchases (amounts above 0) and sales (the others) of a day or a currency.
struct Flow
{
    data::Currency bought, sold;

    void add(data::Currency amount) { (amount > data::Currency() ? bought : sold) += amount; }
    data::Currency total() const { return bought + sold; }
};

/// The rows of one currency: its days and, after the last, its summary.
class CurrencyDays final : public DayRangeLogic::DayRows
{
public:
    CurrencyDays(data::Recordset &in, data::Recordset &out)
        : m_out(out), m_volume(field(in, "Volume")), m_date(field(out, "Date")), m_sell(field(out, "Sell")),
          m_total(field(out, "Total")), m_deals(field(out, "Deals")), m_caption(field(out, "Caption")),
          m_summary(field(out, "Summary")), m_negSumm(field(out, "NegSumm")), m_filter(field(out, "CurrentFilter"))
    {
    }

    void addRow() override
    {
        const data::Currency amount = m_volume.value().toCurrency();
        m_day.add(amount);
        m_currency.add(amount);
    }

    void endDay(const DayRangeLogic::Day &day) override
    {
        m_out.AddNew();
        m_date.setValue(data::DateTime::fromDate(day.day));
        m_sell.setValue(m_day.sold);
        m_total.setValue(m_day.total());
        m_deals.setValue(day.deals);
        m_caption.setValue(day.group);
        m_summary.setValue(false);
        // Day rows are told apart by the "Negative" colour of their total;
        // the bold red of NegSumm is the summaries'.
        m_negSumm.setValue(false);
        // A deal has rows in both of its currencies: the detail window lists
        // the ones of this currency only.
        m_filter.setValue(QString(currencyCriteria(day.group) + QStringLiteral(" AND ")
                                  + DayRangeLogic::dayCriteria(day.day)));
        m_out.UpdateBatch();
        m_currencyDeals += day.deals;
        m_day = Flow();
    }

    void endGroup(int group) override
    {
        m_out.AddNew();
        m_sell.setValue(m_currency.sold);
        m_total.setValue(m_currency.total());
        m_deals.setValue(m_currencyDeals);
        m_caption.setValue(group);
        m_summary.setValue(true);
        m_negSumm.setValue(m_currency.total() < data::Currency());
        m_filter.setValue(currencyCriteria(group));
        m_out.Update();
        m_currency = Flow();
        m_currencyDeals = 0;
    }

private:
    static data::Field field(data::Recordset &rs, const char *name) { return DayRangeLogic::field(rs, name); }
    static QString currencyCriteria(int currency) { return QStringLiteral("Ccy = ") + QString::number(currency); }

    data::Recordset &m_out;
    const data::Field m_volume;
    const data::Field m_date, m_sell, m_total, m_deals, m_caption, m_summary, m_negSumm, m_filter;
    Flow m_day, m_currency;
    qint64 m_currencyDeals = 0;
};

DisplayCounts SingleCurrencyLogic::buildDisplay(data::Recordset &in, data::Recordset &out) const
{
    CurrencyDays rows(in, out);
    return walkDays(in, "Ccy", rows);
}

const SingleCurrencyLogic Logic;

} // namespace

SingleCurrency::SingleCurrency(QObject *parent) : DayRangeReport(QStringLiteral("Single Currency"), Logic, parent) {}

void SingleCurrency::SetUtil(EventClass *Util)
{
    DayRangeReport::SetUtil(Util);
    if (Main_Table) {
        // After the base's "Summ": a negative summary is red, not blue.
        Main_Table->addHighlight(QStringLiteral("NegSumm"), QStringLiteral("NegSumm"), true, 0x0000FF);
        Main_Table->addNegativeHighlight(QStringLiteral("Negative"), QStringLiteral("Total"), 0x0000FF);
    }
}

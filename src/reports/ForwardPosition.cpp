#include "ForwardPosition.h"

#include "DayRangeLogic.h"
#include "PairSummary.h"

#include "ValueListFillers.h"

#include "DateTime.h"

#include <optional>

namespace {

using T = data::DataType;
using C = ReportColumn;

constexpr DisplayField Fields[] = {
    {"Date", T::Date},           {"Ccy1", T::Currency, 8}, {"Rate", T::Double, 8},
    {"Ccy2", T::Currency, 8},    {"SwapDiff", T::Double, 8}, {"Deals", T::BigInt, 8},
    {"Caption", T::Variant},     {"Summary", T::Boolean},  {"CurrentFilter", T::Variant},
    {"CurrentFilter1", T::Variant},
};

constexpr auto Amount = ColumnFormat::Amount;
constexpr auto Rate = ColumnFormat::Rate;
constexpr auto Plain = ColumnFormat::Plain;

// In summary view the totals show under their own captions, each in the place
// of the day column it sums.
const ReportColumn Columns[] = {
    {"Caption", "Currency", "Caption", false, C::AlignLeft, 100, Plain, Views::Summary,
     ValueListFillers::FillPairValueList},
    {"Date", "Date", "Date", true, C::AlignCenter, 100, Plain, Views::Detail},
    {"Ccy1", "Ccy1", "Ccy1", true, C::AlignRight, 130, Amount, Views::Detail},
    {"SumCcy1", "Summary Ccy1", "Ccy1", false, C::AlignRight, 130, Amount, Views::Summary},
    {"Rate", "Rate", "Rate", true, C::AlignRight, 95, Rate},
    {"Ccy2", "Ccy2", "Ccy2", true, C::AlignRight, 130, Amount, Views::Detail},
    {"SumCcy2", "Summary Ccy2", "Ccy2", false, C::AlignRight, 130, Amount, Views::Summary},
    {"SwapDiff", "SwapDiff", "SwapDiff", true, C::AlignRight, 95, Rate, Views::Detail},
    {"Deals", "Deals", "Deals", true, C::AlignRight, 60},
    {"Summary", "Summary", "Summary", false, C::AlignLeft, 80},
};

data::Value optionalRate(const std::optional<double> &rate)
{
    return rate ? data::Value(*rate) : data::Value::null(data::DataType::Double);
}

class ForwardPositionLogic final : public DayRangeLogic
{
public:
    QString procedure() const override { return QStringLiteral("cnt_ForwardPosition"); }
    int owner() const override { return 3; }
    DisplayLayout layout() const override { return {Fields, Columns, "Caption", "Date"}; }
    std::optional<DetailView> detailView() const override { return dvCurrencyPair; }

    DisplayCounts buildDisplay(data::Recordset &in, data::Recordset &out) const override;

protected:
    Directory groupDirectory() const override { return Directory::Pairs; }
};

/// The rows of one pair: its days and, after the last, its summary.
class PairDays final : public DayRangeLogic::DayRows
{
public:
    PairDays(data::Recordset &in, data::Recordset &out)
        : m_out(out), m_volume(field(in, "Volume")), m_volume2(field(in, "Volume2")), m_date(field(out, "Date")),
          m_ccy1(field(out, "Ccy1")), m_rate(field(out, "Rate")), m_ccy2(field(out, "Ccy2")),
          m_swapDiff(field(out, "SwapDiff")), m_deals(field(out, "Deals")), m_caption(field(out, "Caption")),
          m_summary(field(out, "Summary")), m_filter(field(out, "CurrentFilter"))
    {
    }

    void addRow() override
    {
        const data::Currency volume = m_volume.value().toCurrency(), volume2 = m_volume2.value().toCurrency();
        // Only the nets and their rate are shown: the deal's own rate plays no part.
        m_day.addDeal(volume, volume2, 0.0);
        m_pair.addDeal(volume, volume2, 0.0);
    }

    void endDay(const DayRangeLogic::Day &day) override
    {
        const std::optional<double> rate = m_day.positionRate();
        m_out.AddNew();
        m_date.setValue(data::DateTime::fromDate(day.day));
        m_ccy1.setValue(m_day.netCcy1());
        m_rate.setValue(optionalRate(rate));
        m_ccy2.setValue(m_day.netCcy2());
        // How the day's rate moved from the pair's last earlier day that had one.
        if (rate && m_previousRate)
            m_swapDiff.setValue(*rate - *m_previousRate);
        m_deals.setValue(day.deals);
        m_caption.setValue(day.group);
        m_summary.setValue(false);
        m_filter.setValue(QString(DayRangeLogic::dayCriteria(day.day) + QStringLiteral(" AND PairCcy = ")
                                  + QString::number(day.group)));
        m_out.UpdateBatch();
        if (rate)
            m_previousRate = rate;
        m_pairDeals += day.deals;
        m_day = PairSummary();
    }

    void endGroup(int group) override
    {
        m_out.AddNew();
        m_ccy1.setValue(m_pair.netCcy1());
        m_rate.setValue(optionalRate(m_pair.positionRate()));
        m_ccy2.setValue(m_pair.netCcy2());
        m_deals.setValue(m_pairDeals);
        m_caption.setValue(group);
        m_summary.setValue(true);
        m_filter.setValue(QString(QStringLiteral("PairCcy = ") + QString::number(group)));
        m_out.Update();
        m_pair = PairSummary();
        m_pairDeals = 0;
        m_previousRate.reset();
    }

private:
    static data::Field field(data::Recordset &rs, const char *name) { return DayRangeLogic::field(rs, name); }

    data::Recordset &m_out;
    const data::Field m_volume, m_volume2;
    const data::Field m_date, m_ccy1, m_rate, m_ccy2, m_swapDiff, m_deals, m_caption, m_summary, m_filter;
    PairSummary m_day, m_pair;
    qint64 m_pairDeals = 0;
    std::optional<double> m_previousRate;
};

DisplayCounts ForwardPositionLogic::buildDisplay(data::Recordset &in, data::Recordset &out) const
{
    PairDays rows(in, out);
    return walkDays(in, "PairCcy", rows);
}

const ForwardPositionLogic Logic;

} // namespace

ForwardPosition::ForwardPosition(QObject *parent) : DayRangeReport(QStringLiteral("Position History"), Logic, parent) {}

#include "DepoReport.h"

#include "DepositLogic.h"

#include "ValueListFillers.h"

#include "DateTime.h"
#include "Recordset.h"

namespace {

using T = data::DataType;
using C = ReportColumn;

constexpr FilterSlot FilterSlots[] = {
    Slots::siteOpenDate(fcDateReport0, "Start Date"),
    Slots::openDate(fcDateReport1, "End Date"),
    Slots::relative(),
    Slots::currencies(&QueryValues::CcyIDArray),
    Slots::counterparties(),
    Slots::dealers(),
    Slots::categories(),
    Slots::statuses(),
    Slots::attributes(),
};

constexpr DisplayField Fields[] = {
    {"Date", T::Date, 8},           {"Position", T::Currency, 8},      {"ARGive", T::Double, 8},
    {"ARTGive", T::Double, 8},      {"Given", T::Currency, 8},         {"ARTake", T::Double, 8},
    {"ARTTake", T::Double, 8},      {"Taken", T::Currency, 8},         {"Deals", T::BigInt, 8},
    {"Caption", T::Variant},        {"Summary", T::Boolean, 8},        {"NegSumm", T::Boolean, 8},
    {"CurrentFilter", T::Variant, 8}, {"Interest", T::Currency, 8},    {"PositionRate", T::Double, 8},
    {"PositionRateT", T::Double, 8}, {"GiveInterest", T::Currency, 8}, {"TakeInterest", T::Currency, 8},
};

constexpr auto Amount = ColumnFormat::Amount;
constexpr auto Rate = ColumnFormat::Rate;
constexpr auto Plain = ColumnFormat::Plain;
constexpr auto Right = C::AlignRight;

// "T" is with tax here: the rates net of the interest tax.
const ReportColumn Columns[] = {
    {"Caption", "Currency", "Caption", false, C::AlignLeft, 80, Plain, Views::Summary,
     ValueListFillers::FillCurrencyValueList},
    {"Date", "Date", "Date", true, C::AlignCenter, 90, Plain, Views::Detail},
    {"Position", "Position", "Position", true, Right, 130, Amount},
    {"PositionRate", "Position Rate", "PositionRate", true, Right, 90, Rate},
    {"PositionRateT", "Rate With Taxe", "PositionRateT", true, Right, 100, Rate},
    {"Given", "Given", "Given", true, Right, 130, Amount},
    {"ARGive", "AvRate Give", "ARGive", true, Right, 90, Rate, Views::Detail},
    {"ARTGive", "AvRate Give With Tax", "ARTGive", true, Right, 130, Rate, Views::Detail},
    {"Taken", "Taken", "Taken", true, Right, 130, Amount},
    {"ARTake", "AvRate Take", "ARTake", true, Right, 90, Rate, Views::Detail},
    {"ARTTake", "AvRate Take With Tax", "ARTTake", true, Right, 130, Rate, Views::Detail},
    {"Deals", "Deals", "Deals", true, Right, 60},
    {"Summary", "Summary", "Summary", false, C::AlignLeft, 60},
    {"NegSumm", "NegSumm", "NegSumm", false, C::AlignLeft, 60},
    {"CurrentFilter", "CurrentFilter", "CurrentFilter", false, C::AlignLeft, 80},
    {"GiveInterest", "Give Interest", "GiveInterest", true, Right, 110, Amount},
    {"TakeInterest", "Take Interest", "TakeInterest", true, Right, 110, Amount},
    {"Interest", "Interest", "Interest", true, Right, 110, Amount},
};

/// The display fields copied from the result field of another name; the
/// others come from the field of their own name.
struct Copied
{
    const char *display;
    const char *result;
};
constexpr Copied CopiedFields[] = {
    {"Position", "Pozition"}, {"PositionRate", "PozitionRate"}, {"PositionRateT", "PozitionRateT"},
    {"Given", "Given"},       {"ARGive", "ARGive"},             {"ARTGive", "ARTGive"},
    {"Taken", "Taken"},       {"ARTake", "ARTake"},             {"ARTTake", "ARTTake"},
    {"Deals", "Deals"},       {"Interest", "Interest"},         {"GiveInterest", "GiveInterest"},
    {"TakeInterest", "TakeInterest"},
};

class DepoReportLogic final : public DepositLogic
{
public:
    QString procedure() const override { return QStringLiteral("ncnt_DepoReport1"); }
    std::span<const FilterSlot> filterSlots() const override { return FilterSlots; }
    DisplayLayout layout() const override { return {Fields, Columns, "Caption", "Date"}; }
    /// The deposits, the procedure's second result set.
    int detailResultSet() const override { return 1; }

    /// One display row per result row, in the procedure's order (a
    /// currency's days, then its summary).
    DisplayCounts buildDisplay(data::Recordset &rows, data::Recordset &display) const override
    {
        std::vector<std::pair<data::Field, data::Field>> copied;
        for (const Copied &c : CopiedFields)
            copied.emplace_back(field(rows, c.result), field(display, c.display));
        const data::Field ccy = field(rows, "Ccy"), day = field(rows, "ODate"), marker = field(rows, "Summary");
        const data::Field caption = field(display, "Caption"), date = field(display, "Date"),
                          summary = field(display, "Summary"), negative = field(display, "NegSumm"),
                          filter = field(display, "CurrentFilter"), position = field(display, "Position");
        DisplayCounts counts;
        std::optional<int> group;
        QDate lastDay;
        for (; !rows.Eof(); rows.MoveNext()) {
            const int currency = ccy.value().toInt();
            if (currency != group) {
                group = currency;
                lastDay = QDate();
                ++counts.groups;
            }
            display.AddNew();
            caption.setValue(currency);
            for (const auto &[from, to] : copied) {
                if (!from.value().isNull())
                    to.setValue(from.value().convertedTo(to.Type()));
            }
            const bool total = marker.value().toInt() == 2;
            const QString ccyCriteria = QStringLiteral("Ccy = ") + QString::number(currency);
            if (total) {
                // The currency's last day, so that the summary sorts after its days.
                date.setValue(data::DateTime::fromDate(lastDay));
                filter.setValue(ccyCriteria);
            } else {
                lastDay = day.value().toDate().date();
                date.setValue(data::DateTime::fromDate(lastDay));
                filter.setValue(QString(ccyCriteria + QStringLiteral(" AND ODate = ") + dateLiteral(lastDay)));
            }
            summary.setValue(total);
            negative.setValue(total && position.value().toCurrency() < data::Currency());
            display.UpdateBatch();
        }
        return counts;
    }
};

const DepoReportLogic Logic;

} // namespace

// A negative position is red.
DepoReport::DepoReport(QObject *parent) : CurrencyDaysReport(QStringLiteral("Depo Report"), Logic, "Position", parent)
{
}

void DepoReport::AsConnect_ExecuteComplete(const ReportRun::Outcome &outcome)
{
    ReportRun::Outcome counted = outcome;
    const data::RecordsetPtr totals = outcome.results.size() > 2 ? outcome.results[2] : nullptr;
    const bool given = totals && !totals->Eof() && !totals->Bof();
    if (outcome.display) {
        counted.counts.groups = given ? totals->Fields(QStringLiteral("CcyCount")).value().toInt() : -1;
        counted.counts.deals = given ? totals->Fields(QStringLiteral("DealCount")).value().toInt() : -1;
    }
    CurrencyDaysReport::AsConnect_ExecuteComplete(counted);
}

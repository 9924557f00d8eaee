#include "DepositTotals.h"

#include <Marvolt/Recordset.h>
#include <Marvolt/ReportLogic.h>

namespace {

using T = data::DataType;
using C = ReportColumn;

constexpr DisplayField Fields[] = {
    {"Caption", T::Variant}, {"Given", T::Currency, 8}, {"Taken", T::Currency, 8},
    {"Position", T::Currency, 8}, {"Deals", T::BigInt, 8},
};

const ReportColumn Columns[] = {
    {"Caption", "Currency", "Caption", true, C::AlignLeft, 90},
    {"Given", "Given", "Given", true, C::AlignRight, 140, ColumnFormat::Amount},
    {"Taken", "Taken", "Taken", true, C::AlignRight, 140, ColumnFormat::Amount},
    {"Position", "Position", "Position", true, C::AlignRight, 140, ColumnFormat::Amount},
    {"Deals", "Deals", "Deals", true, C::AlignRight, 70},
};

class DepositTotalsLogic final : public ReportLogic
{
public:
    QString procedure() const override { return QStringLiteral("ncnt_DepoReport1"); }
    // The procedure reads the deposit report's stored selection.
    int owner() const override { return 5; }
    DisplayLayout layout() const override { return {Fields, Columns}; }

    /// One row per currency: the procedure's summary rows (marker 2).
    DisplayCounts buildDisplay(data::Recordset &rows, data::Recordset &display) const override
    {
        const data::Field ccy = field(rows, "Ccy"), marker = field(rows, "Summary"), given = field(rows, "Given"),
                          taken = field(rows, "Taken"), position = field(rows, "Pozition"), deals = field(rows, "Deals");
        DisplayCounts counts;
        for (; !rows.Eof(); rows.MoveNext()) {
            if (marker.value().toInt() != 2)
                continue;
            display.AddNew();
            field(display, "Caption").setValue(ccy.value());
            field(display, "Given").setValue(given.value().toCurrency());
            field(display, "Taken").setValue(taken.value().toCurrency());
            field(display, "Position").setValue(position.value().toCurrency());
            field(display, "Deals").setValue(deals.value().toInt64());
            display.UpdateBatch();
            ++counts.groups;
            counts.deals += int(deals.value().toInt64());
        }
        return counts;
    }
};

const DepositTotalsLogic Logic;

} // namespace

DepositTotals::DepositTotals(QObject *parent) : Report(QStringLiteral("Host Deposit Totals"), Logic, parent) {}

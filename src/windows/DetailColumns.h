#pragma once

#include "ValueListSink.h"

#include <QString>

#include <span>

/// The columns of the detail window's grid for each DetailView, and the
/// texts it shows instead of deal codes. No widgets: the window applies them.
namespace DetailColumns {

/// One column of a fixed layout: caption, grid key, the deal field it shows
/// and its alignment (GridColumn::Alignment: 0 left, 1 centre, 2 right).
struct FixedColumn
{
    const char *caption;
    const char *key;
    const char *field;
    int alignment;
};

/// The thirteen columns of dvNewDetail (2) and the fourteen of dvDepoOnly
/// (3); empty for the views that show the deal recordset's own fields.
std::span<const FixedColumn> fixedColumns(int detailView);

/// Whether a deal field is one of the second-currency columns ("Volume2",
/// "ValDate2", "Rate") that only the currency-pair view shows.
bool isPairOnlyField(const QString &field);

/// The amount column whose negative values the "NegValue" condition marks.
QString amountColumn(int detailView);

/// Fills the value list of a deal field that holds a code ("PureDealType",
/// "DealType", "DepoType") or a pair or currency identifier ("PairCcy",
/// "Ccy", "Ccy1", "Ccy2": the directories' names); false (nothing filled)
/// for any other field. A null list is ignored.
bool fillValueList(const QString &field, ValueListSink *list);

/// The side of a deal as its kind names it: "Buy&Sell"/"Sell&Buy" for a
/// swap, "Borrow"/"Lend" for a deposit, "FRA Borrow"/"FRA Lend" for an FRA;
/// empty where the plain side text ("Buy", "Sell" ...) applies.
QString sideText(int pureDealType, int dealType);

} // namespace DetailColumns

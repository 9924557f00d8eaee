#pragma once

#include "ValueListSink.h"

/// Fill a column's value list so that the column shows names for the
/// identifiers its cells hold (pair and currency ids, broker and trader ids,
/// counterparty numbers). Errors are ignored: a list that cannot be read
/// leaves the column's value list as described for each routine, and the
/// grid then shows the raw identifiers. A null column is ignored.
namespace ValueListFillers {

/// Clears the list and adds every pair of DirectoryProvider::PairList(true):
/// value = identifier, text = name.
void FillPairValueList(ValueListSink *column);
/// The same with DirectoryProvider::CurrencyList(true).
void FillCurrencyValueList(ValueListSink *column);
/// Clears the list and adds the FX deal types by their codes: 2 "Spot",
/// 4 "Outright", 8 "Swap".
void FillFxDealTypeValueList(ValueListSink *column);
/// Clears the list and adds the module's brokers (value "BrID", text
/// "ShortName"); nothing at all when that list is empty.
void FillBrokerValueList(ValueListSink *column);
/// Adds every counterparty of "GetAllCpID": value "CPID", text "FullBankName".
void FillCounterpartyValueList(ValueListSink *column);
/// Loads the module's traders when that list is empty, then adds each trader
/// (value "StaffID", text "ShortName") and last the entry (0, "Summary"), the
/// marker summary rows carry in a trader column. Nothing when there are no traders.
void FillTraderValueList(ValueListSink *column);

} // namespace ValueListFillers

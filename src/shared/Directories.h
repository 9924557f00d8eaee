#pragma once

#include "CategoryRecord.h"
#include "TwoRowTable.h"

#include <QList>

/// The directory lists of the shared module: one copy per process, empty
/// until LoadDirectories() fills them. Each report hands them to its filter
/// controls in RefreshDirectory; value-list fillers use the brokers and
/// traders. Used from the user-interface thread only.
namespace Directories {

/// The module lists, each as its source gives it (two-row tables: (0, i)
/// shown text, (1, i) identifier).
struct Lists
{
    TwoRowTable Currencies;                ///< DirectoryProvider::CurrencyList(0)
    TwoRowTable Pairs;                     ///< DirectoryProvider::PairList(0)
    TwoRowTable Dealers;                   ///< DirectoryProvider::DealerList(true)
    TwoRowTable TCIDs;                     ///< DirectoryProvider::TCIDList()
    TwoRowTable Attributes;                ///< SessionContext::AttributeList()
    TwoRowTable Brokers;                   ///< DatabaseLookups::GetBrokerInfo(): "ShortName", "BrID"
    TwoRowTable Traders;                   ///< DatabaseLookups::GetTraderFromStaff(): "ShortName", "StaffID"
    QList<CategoryRecord> CategoryRecords; ///< DirectoryProvider::CategoryList()
    TwoRowTable Statuses;                  ///< DirectoryProvider::StatusList(true)
};

/// Fills every list, in this order: currencies, pairs, dealers, TCIDs,
/// attributes, brokers, traders, category records, statuses. A list that
/// cannot be read is left empty; the others are still filled.
void LoadDirectories();

/// The module lists as last loaded.
const Lists &current();

/// Replaces the traders list (GetTraderFromStaff keeps what it read here).
void setTraders(const TwoRowTable &traders);
/// Empties every list, as at start-up.
void clear();

} // namespace Directories

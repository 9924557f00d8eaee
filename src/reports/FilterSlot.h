#pragma once

#include "marvolt_export.h"

#include "FilterControl.h"
#include "QueryValues.h"

#include <QStringList>
#include <QtGlobal>
#include <QVariantList>

#include <span>

/// The directory list a filter slot offers (DirectoryProvider's lists, loaded
/// by Directories::LoadDirectories).
enum class Directory : quint8 { None, Dealers, Currencies, Pairs, TCIDs, Statuses, Attributes, Brokers };

/// How a slot's selection reaches the server before the report's procedure
/// runs (the filter store procedure that carries it).
enum class StoreCall : quint8 {
    None,
    Dealers,     ///< the dealer condition and StoreDealerF with the dealers' staff numbers
    TCIDs,       ///< StoreTCIDF
    Attributes,  ///< StoreAttributeF with the attribute identifiers
    DealTypes,   ///< StoreDealTypeF: no restriction when every offered type is selected
    Banks,       ///< StoreBankF
    Categories,  ///< StoreCategoryF of the category selection
    Statuses,    ///< StoreStatusF with the status names and codes
    Pairs,       ///< StorePairF with the pair identifiers
    Currencies,  ///< StoreCcyF with the currency identifiers
    Client,      ///< the client condition
    LoroNostro,  ///< StoreNostroF with the account codes (LORO 2, NOSTRO 1, none 0)
    Brokers,     ///< StoreDealerF with the brokers' numbers (BrID), without a dealer condition
};

/// One filter slot a report uses: which panel slot, what it shows and feeds,
/// and how its selection goes to the server. A report declares the table of
/// its slots; every slot not in it is hidden. The base class fills the slots
/// from the directories, shows the query in them, reads the identifiers of
/// the selection from the directory and makes the store calls.
struct MARVOLT_EXPORT FilterSlot
{
    int index;                                  ///< FilterIndex
    const char *caption = nullptr;              ///< replaces the panel's caption when set
    QStringList QueryValues::*names = nullptr;  ///< the list the slot feeds (list slots)
    QVariantList QueryValues::*ids = nullptr;   ///< the identifier list beside it, if the query keeps one
    Directory directory = Directory::None;
    bool typedList = false;                     ///< the list is handed over with TypeData 2
    StoreCall store = StoreCall::None;
    /// A fixed list of items the slot offers instead of a directory (deal types).
    std::span<const char *const> items = {};
    bool allowAll = false;                      ///< a date slot that may stay unbounded
    /// A date slot that may stay unbounded where the site allows an open
    /// start of a range (DatabaseLookups::GetCustomEditValue).
    bool allowAllBySite = false;
    /// The slot is shown only when this says so (null: always).
    bool (*available)() = nullptr;

    bool isDate() const;
};

/// The two fields a date slot shows: its bound and its day offset (ValDate
/// and ValLong for slot 0, EndDate and EndLong for slot 1, ValDate1 and
/// ValLong1 for slot 15, EndDate1 and EndLong1 for slot 16).
struct DateSlotFields
{
    int index;
    const char *date;
    const char *offset;
    QVariant QueryValues::*dateMember;
    QVariant QueryValues::*offsetMember;
};
/// The fields of a date slot; null for a slot that shows no date.
MARVOLT_EXPORT const DateSlotFields *dateSlotFields(int index);
/// The date slot that shows a field (either form, without regard to case);
/// null for a field no date slot shows.
MARVOLT_EXPORT const DateSlotFields *dateSlotOfField(const QString &field);

/// The slots most reports declare, as they declare them.
namespace Slots {
constexpr FilterSlot relative() { return {fcCombo1}; }
/// A date slot whose bound may stay open ("All").
constexpr FilterSlot openDate(int index, const char *caption)
{
    FilterSlot slot{index, caption};
    slot.allowAll = true;
    return slot;
}
/// A date slot whose bound may stay open where the site allows it.
constexpr FilterSlot siteOpenDate(int index, const char *caption)
{
    FilterSlot slot{index, caption};
    slot.allowAllBySite = true;
    return slot;
}
constexpr FilterSlot dealTypes(std::span<const char *const> offered)
{
    return {fcDealBox, nullptr, &QueryValues::Deal, nullptr, Directory::None, true, StoreCall::DealTypes, offered};
}
constexpr FilterSlot pairs()
{
    return {fcPairBox, nullptr, &QueryValues::Pair, &QueryValues::PairIDArray, Directory::Pairs, true, StoreCall::Pairs};
}
/// The pair box beside a currency box: the second pair list (Pair2), since
/// the currency box holds Pair.
constexpr FilterSlot pairsBesideCurrencies()
{
    return {fcPairBox, nullptr, &QueryValues::Pair2, &QueryValues::PairIDArray, Directory::Pairs, true, StoreCall::Pairs};
}
/// The currency box: the query's Pair, with the identifiers of the
/// selection in ids (the reports keep them in one list or the other).
constexpr FilterSlot currencies(QVariantList QueryValues::*ids)
{
    return {fcCcyBox, nullptr, &QueryValues::Pair, ids, Directory::Currencies, true, StoreCall::Currencies};
}
constexpr FilterSlot counterparties() { return {fcCptyBox, nullptr, &QueryValues::Bank, nullptr, Directory::None, false, StoreCall::Banks}; }
constexpr FilterSlot dealers()
{
    return {fcDealerBox, nullptr, &QueryValues::Dealer, nullptr, Directory::Dealers, true, StoreCall::Dealers};
}
constexpr FilterSlot categories()
{
    return {fcLegendBox, nullptr, &QueryValues::Category, nullptr, Directory::None, false, StoreCall::Categories};
}
constexpr FilterSlot statuses()
{
    return {fcStatusBox, nullptr, &QueryValues::Status, &QueryValues::DeskIDArray, Directory::Statuses, false, StoreCall::Statuses};
}
constexpr FilterSlot tcids()
{
    return {fcTCIDBox, nullptr, &QueryValues::TCID, nullptr, Directory::TCIDs, true, StoreCall::TCIDs};
}
/// Whether the database has deal attributes to offer.
MARVOLT_EXPORT bool hasDealAttributes();
/// Shown only when the database has deal attributes.
constexpr FilterSlot attributes()
{
    FilterSlot slot{fcListAttrib, nullptr, &QueryValues::Attributes, &QueryValues::AttributesID,
                    Directory::Attributes, false, StoreCall::Attributes};
    slot.available = hasDealAttributes;
    return slot;
}
/// The accounts offered by the LORO/NOSTRO box.
inline constexpr const char *LoroNostroItems[] = {"LORO", "NOSTRO", "NONE"};
constexpr FilterSlot loroNostro()
{
    return {fcLoroNostro, nullptr, &QueryValues::LoroNostro, nullptr, Directory::None, true, StoreCall::LoroNostro,
            LoroNostroItems};
}
constexpr FilterSlot clients() { return {fcClientBox, nullptr, &QueryValues::Client, nullptr, Directory::None, false, StoreCall::Client}; }
} // namespace Slots

#include "DetailColumns.h"

#include "AllSettings.h"
#include "ValueListFillers.h"

#include <QVariant>

namespace DetailColumns {

namespace {

constexpr int Left = 0;
constexpr int Centre = 1;
constexpr int Right = 2;

const FixedColumn NewDetailColumns[] = {
    {"Ticket Number", "TicketNum", "TicketNum", Right},
    {"TCID", "TCID", "TCID", Centre},
    {"CounterPartyID", "Bank1ID", "Bank1ID", Left},
    {"PureDealType", "PureDealType", "PureDealType", Left},
    {"DealType", "DealType", "DealType", Left},
    {"Ccy1", "Ccy1", "Ccy1", Left},
    {"Ccy2", "Ccy2", "Ccy2", Left},
    {"Volume Ccy1", "Volume1", "Volume1", Right},
    {"Exchange Rate P1", "ExchRate1", "ExchRate1", Right},
    {"Deposit Rate", "DepoRate", "DepoRate", Right},
    {"Exchange Rate P2", "ExchRate2", "ExchRate2", Right},
    {"Value Date P1", "ValDateP1C1", "ValDateP1C1", Right},
    {"Value Date P2", "ValDateP2C1", "ValDateP2C1", Right},
};

const FixedColumn DepoOnlyColumns[] = {
    {"Ticket Number", "TicketNum", "TicketNum", Right},
    {"CounterPartyID", "Bank1ID", "Bank1ID", Left},
    {"DealType", "DealType", "DealType", Left},
    {"Deal Date", "DealTime", "DealTime", Centre},
    {"DealerID", "DealerID", "DealerID", Left},
    {"Ccy", "Ccy", "Ccy", Left},
    {"Volume", "Volume1", "Volume1", Right},
    {"Deposit Rate", "DepoRate", "Rate", Right},
    {"Value Date P1", "ValDateP1C1", "ValDateP1C1", Centre},
    {"Value Date P2", "ValDateP2C1", "ValDateP2C1", Centre},
    {"Interest", "Interest", "Interest", Right},
    {"Tax", "Tax", "Tax", Right},
    {"Rate Tax", "RateTax", "RateTax", Right},
    {"Depo Type", "DepoType", "DepoType", Left},
};

// Deal kinds (PureDealType bit codes) and sides (DealType) as the trading
// database stores them.
constexpr int Spot = 2;
constexpr int Outright = 4;
constexpr int Swap = 8;
constexpr int Deposit = 16;
constexpr int Fra = 32;
constexpr int BuyOrTake = 1;
constexpr int SellOrGive = 2;

} // namespace

std::span<const FixedColumn> fixedColumns(int detailView)
{
    switch (detailView) {
    case dvNewDetail: return NewDetailColumns;
    case dvDepoOnly: return DepoOnlyColumns;
    default: return {};
    }
}

bool isPairOnlyField(const QString &field)
{
    return field.compare(QLatin1String("Volume2"), Qt::CaseInsensitive) == 0
           || field.compare(QLatin1String("ValDate2"), Qt::CaseInsensitive) == 0
           || field.compare(QLatin1String("Rate"), Qt::CaseInsensitive) == 0;
}

QString amountColumn(int detailView)
{
    // The deal recordsets of the position reports carry the signed leg amount
    // as "Volume"; the fixed layouts show the deal's own "Volume1".
    return fixedColumns(detailView).empty() ? QStringLiteral("Volume") : QStringLiteral("Volume1");
}

bool fillValueList(const QString &field, ValueListSink *list)
{
    struct Entry
    {
        int code;
        const char *text;
    };
    static const Entry PureDealTypes[] = {{Spot, "Spot"}, {Outright, "Outright"}, {Swap, "Swap"},
                                          {Deposit, "Deposit"}, {Fra, "FRA"}};
    // The plain sides; sideText() names those of swaps, deposits and FRAs.
    static const Entry DealTypes[] = {{BuyOrTake, "Buy"}, {SellOrGive, "Sell"}, {3, "Return"}, {4, "Receive"}};
    static const Entry DepoTypes[] = {{1, "Deposit"}, {2, "Long Deposit"}, {4, "Rollower"}};

    const auto is = [&field](const char *name) { return field.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; };
    // Pairs and currencies by their names, from the directories.
    if (is("PairCcy") || is("PairID")) {
        ValueListFillers::FillPairValueList(list);
        return true;
    }
    if (is("Ccy") || is("Ccy1") || is("Ccy2")) {
        ValueListFillers::FillCurrencyValueList(list);
        return true;
    }
    std::span<const Entry> entries;
    if (field.compare(QLatin1String("PureDealType"), Qt::CaseInsensitive) == 0)
        entries = PureDealTypes;
    else if (field.compare(QLatin1String("DealType"), Qt::CaseInsensitive) == 0)
        entries = DealTypes;
    else if (field.compare(QLatin1String("DepoType"), Qt::CaseInsensitive) == 0)
        entries = DepoTypes;
    else
        return false;
    if (!list)
        return true;
    list->clearValueList();
    for (const Entry &entry : entries)
        list->addValueListEntry(entry.code, QString::fromLatin1(entry.text));
    return true;
}

QString sideText(int pureDealType, int dealType)
{
    const bool buy = dealType == BuyOrTake;
    if (!buy && dealType != SellOrGive)
        return {};
    switch (pureDealType) {
    case Swap: return buy ? QStringLiteral("Buy&Sell") : QStringLiteral("Sell&Buy");
    case Deposit: return buy ? QStringLiteral("Borrow") : QStringLiteral("Lend");
    case Fra: return buy ? QStringLiteral("FRA Borrow") : QStringLiteral("FRA Lend");
    default: return {};
    }
}

} // namespace DetailColumns

#pragma once

#include "RateProgram.h"

#include "DateTime.h"
#include "Error.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace data {
class Connection;
}

namespace services {

/// The market quotes of every currency, read once from the rate tables and
/// then answered from memory: a query is a hash lookup and a binary search.
///
/// A book never changes after it is built, so any number of threads may read
/// one at the same time; a reload builds a new book.
class RateBook final
{
public:
    /// One quote as stored: its time (a whole day at midnight when the table
    /// holds a date only), bid, ask and status.
    struct Quote
    {
        data::DateTime time;
        double bid = 0.0;
        double ask = 0.0;
        int status = 0;
    };

    /// One currency of the directory with its quotes, oldest first.
    struct Currency
    {
        int id = 0;
        QString code;
        bool direct = false;    ///< quoted as US dollars per unit
        std::vector<Quote> quotes;
    };

    /// Status 0 (firm) and 1 (indicative) give a rate; every other status does not.
    static bool isUsable(int status) { return status == 0 || status == 1; }

    /// Builds a book from the directory's currencies and their quotes in any
    /// order. A code that appears twice keeps its first entry.
    explicit RateBook(std::vector<Currency> currencies);

    /// Reads Currencies and MarketRates through connection. Returns null with
    /// *error set when a read fails (an interrupted read fails as Cancelled).
    /// Quotes with an unreadable date or of a currency the directory lacks
    /// are skipped.
    static std::shared_ptr<const RateBook> read(data::Connection &connection, data::ErrorPtr *error);

    /// The latest usable quote of the currency on or before date (the whole
    /// day counts); when the currency has quotes up to then but none usable,
    /// its latest quote as it is. Null for an unknown code, an invalid date or
    /// no quote on or before the date. The code is matched ignoring case.
    std::optional<RateQuote> quote(QStringView code, QDate date) const;

    /// The latest quote of any status on or before the end of date, as the
    /// rate window lists it; null when there is none.
    const Quote *latestQuote(const Currency &currency, QDate date) const;

    const std::vector<Currency> &currencies() const { return m_currencies; }
    const Currency *currency(QStringView code) const;
    qsizetype quoteCount() const { return m_quoteCount; }

private:
    int indexOf(QStringView code) const;
    /// Index of the last quote before the end of date, -1 when there is none.
    static int lastIndexOn(const Currency &currency, QDate date);

    std::vector<Currency> m_currencies;
    /// Per currency, for each quote the index of the latest usable quote at
    /// or before it (-1: none), so that a query needs no backward scan.
    std::vector<std::vector<int>> m_usableAt;
    QHash<QString, int> m_byCode;               // upper-case code -> index
    qsizetype m_quoteCount = 0;
};

} // namespace services

#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace db {

/// Builds the demo trading database: the directories (currencies with their
/// parents, pairs, desks, dealers and confirmers, counterparties in
/// categories, brokers, TCIDs, attributes, custom settings), administrator,
/// market and central-bank rates following a random walk (with the gaps a
/// rate program meets: missing and unusable quotes), and spot, outright, swap,
/// deposit and FRA deals over the last 250 business days in Tickets, with an
/// Archive of older settled deals. The procedures are installed as well.
///
/// The output depends only on the options: the same deals, seed and "today"
/// give the same database, row for row. The rows are written with the SQLite
/// C API in one transaction, indexes last.
class DemoDatabase final
{
public:
    DemoDatabase() = delete;

    struct Options
    {
        QString out;                ///< database file; an existing one is replaced
        /// a PostgreSQL database to write as well (its connection string);
        /// without --out the file is a temporary one
        QString connect;
        std::int64_t deals = 20000; ///< deals in Tickets; the archive gets a fifth of that
        std::uint64_t seed = 1;
        QDate today;                ///< the last trading day is today or the business day before
        /// false (--no-procedures) writes the tables only, for a database
        /// whose procedures are loaded from elsewhere
        bool withProcedures = true;
    };

    struct Summary
    {
        std::int64_t deals = 0;
        std::int64_t archived = 0;
        int currencies = 0;
        int pairs = 0;
        int counterparties = 0;
        int dealers = 0;
        std::int64_t rates = 0;     ///< administrator, market and central-bank rate rows
        QDate firstDay;             ///< first trading day of Tickets
        QDate lastDay;              ///< last trading day of Tickets
    };

    /// Number of business days of deals in Tickets (and again in Archive).
    static constexpr int kTradingDays = 250;
    /// Largest accepted --deals.
    static constexpr std::int64_t kMaxDeals = 50'000'000;

    /// Reads the command-line arguments (without the program name). Returns
    /// nothing with a one-line reason in *error on a bad argument, and nothing
    /// with *help set for --help / -h. A missing --today is the current date.
    static std::optional<Options> parseArguments(const QStringList &arguments, QString *error,
                                                 bool *help = nullptr);
    static QString usage();

    /// Writes the database. False with the reason in *error; a half-written
    /// file is removed.
    static bool build(const Options &options, Summary *summary = nullptr, QString *error = nullptr);
};

} // namespace db

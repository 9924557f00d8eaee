#pragma once

#include <QList>
#include <QString>

namespace data {
class Connection;
}

namespace db {

/// Creates the trading database: the schema of db/schema and the stored
/// procedures of db/procedures, both compiled into this library as Qt
/// resources (":/db/schema/*.sql", ":/db/procedures/*.sql"), so a binary does
/// not need the source tree.
///
/// Errors are values: every function returns false and writes the database's
/// own message to *error (when error is not null). Nothing throws.
class TradingDatabase final
{
public:
    TradingDatabase() = delete;

    /// The SQL dialect of a trading database.
    enum class Dialect { SQLite, PostgreSQL };
    /// The dialect of the connection's database (by its driver).
    static Dialect dialectOf(data::Connection &connection);

    /// One SQL file: its file name ("20_deals.sql") and its text.
    struct Script
    {
        QString name;
        QString text;
    };

    /// Creates a new database file at path with the whole schema and every
    /// procedure. Refuses to touch an existing file; on failure the partly
    /// written file is removed.
    static bool create(const QString &path, QString *error = nullptr);

    /// Runs every schema script of the connection's dialect, in file-name
    /// order, on an open connection to an empty database, in one transaction.
    static bool installSchema(data::Connection &connection, QString *error = nullptr);

    /// Installs every procedure script into the connection's procedure
    /// catalog, replacing procedures of the same names. Stops at the first
    /// script that does not parse or install and names it in *error.
    static bool installProcedures(data::Connection &connection, QString *error = nullptr);

    /// The connection string of the SQLite database file at path, quoted so
    /// that any file name works; create adds Create=True.
    static QString connectionString(const QString &path, bool create = false);

    /// The schema scripts in the order they run. withIndexes false leaves out
    /// the index script (the last), for a bulk load that creates them after
    /// the rows; indexScript() gives it. For PostgreSQL the shared scripts
    /// are translated (PostgresDialect) and the scripts of db/schema/postgres
    /// (the SQLite functions, the checks as trigger functions, the run's
    /// filter store) run among them in file-name order.
    static QList<Script> schemaScripts(bool withIndexes = true, Dialect dialect = Dialect::SQLite);
    static Script indexScript(Dialect dialect = Dialect::SQLite);
    /// The procedure scripts, ordered by file name, in the dialect.
    static QList<Script> procedureScripts(Dialect dialect = Dialect::SQLite);
};

} // namespace db

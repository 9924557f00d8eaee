#include "PostgresCopy.h"

#include "TradingDatabase.h"

#include "Connection.h"
#include "postgres/PostgresDriver.h"

#include <QFile>

#include <sqlite3.h>

#include <memory>

namespace db::PostgresCopy {

namespace {

struct SqliteCloser
{
    void operator()(sqlite3 *db) const { sqlite3_close(db); }
};
struct StatementFinalizer
{
    void operator()(sqlite3_stmt *stmt) const { sqlite3_finalize(stmt); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

Statement prepare(sqlite3 *db, const QString &sql)
{
    sqlite3_stmt *raw = nullptr;
    sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &raw, nullptr);
    return Statement(raw);
}

/// A text value in COPY's text format.
void appendEscaped(QByteArray &line, const unsigned char *text, int length)
{
    for (int i = 0; i < length; ++i) {
        const char c = char(text[i]);
        switch (c) {
        case '\\': line += "\\\\"; break;
        case '\t': line += "\\t"; break;
        case '\n': line += "\\n"; break;
        case '\r': line += "\\r"; break;
        default: line += c; break;
        }
    }
}

/// The COPY lines of the next rows of a SELECT, about a megabyte at a time;
/// *rc is the last step's result.
bool nextRows(sqlite3_stmt *stmt, QByteArray *chunk, int *rc)
{
    const int columns = sqlite3_column_count(stmt);
    // Stepping a finished statement would start it again.
    while (*rc != SQLITE_DONE && chunk->size() < (1 << 20) && (*rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            if (c > 0)
                *chunk += '\t';
            switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_NULL:
                *chunk += "\\N";
                break;
            case SQLITE_INTEGER:
                *chunk += QByteArray::number(sqlite3_column_int64(stmt, c));
                break;
            case SQLITE_FLOAT:
                *chunk += QByteArray::number(sqlite3_column_double(stmt, c), 'g', 17);
                break;
            default:
                appendEscaped(*chunk, sqlite3_column_text(stmt, c), sqlite3_column_bytes(stmt, c));
                break;
            }
        }
        *chunk += '\n';
    }
    return !chunk->isEmpty();
}

bool run(data::Connection &connection, const QString &sql, const QString &step, QString *error)
{
    connection.Execute(sql);
    if (const data::ErrorPtr failure = connection.lastError()) {
        *error = step + QStringLiteral(": ") + failure->Description;
        return false;
    }
    return true;
}

} // namespace

bool copyFile(const QString &sqliteFile, const QString &postgresConnectionString, QString *error)
{
    QString ignored;
    error = error ? error : &ignored;
    sqlite3 *raw = nullptr;
    const int opened = sqlite3_open_v2(QFile::encodeName(sqliteFile).constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    std::unique_ptr<sqlite3, SqliteCloser> source(raw);
    if (opened != SQLITE_OK) {
        *error = QStringLiteral("%1: %2").arg(sqliteFile, QString::fromUtf8(sqlite3_errmsg(raw)));
        return false;
    }
    data::Connection target;
    if (!target.Open(postgresConnectionString)) {
        *error = target.lastError() ? target.lastError()->Description : QStringLiteral("cannot connect");
        return false;
    }
    auto *driver = dynamic_cast<data::PostgresDriver *>(target.driver());
    if (!driver) {
        *error = QStringLiteral("The connection string does not name a PostgreSQL database");
        return false;
    }
    if (!run(target, QStringLiteral("BEGIN"), QStringLiteral("begin"), error))
        return false;
    const auto fail = [&] {
        target.Execute(QStringLiteral("ROLLBACK"));
        return false;
    };
    for (const TradingDatabase::Script &script :
         TradingDatabase::schemaScripts(false, TradingDatabase::Dialect::PostgreSQL)) {
        if (!run(target, script.text, script.name, error))
            return fail();
    }

    // Every table but the procedure catalog, which is installed in the
    // server's dialect below, in the order the schema created them: a table
    // comes after those its foreign keys refer to.
    const Statement tables = prepare(source.get(), QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"
                                                                  " AND name NOT LIKE 'sqlite%' AND name NOT LIKE 'sys!_%' ESCAPE '!'"
                                                                  " ORDER BY rowid"));
    while (tables && sqlite3_step(tables.get()) == SQLITE_ROW) {
        const QString table = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(tables.get(), 0)));
        const Statement rows = prepare(source.get(), QStringLiteral("SELECT * FROM \"%1\"").arg(table));
        if (!rows) {
            *error = table + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(source.get()));
            return fail();
        }
        QStringList columns;
        for (int c = 0; c < sqlite3_column_count(rows.get()); ++c)
            columns.append(QString::fromUtf8(sqlite3_column_name(rows.get(), c)));
        // The schema fills its vocabulary tables itself; the file's rows replace them.
        if (!run(target, QStringLiteral("DELETE FROM %1").arg(table), table, error))
            return fail();
        int rc = SQLITE_OK;
        data::ErrorPtr failure;
        if (!driver->copyIn(table, columns, [&](QByteArray *chunk) { return nextRows(rows.get(), chunk, &rc); },
                            &failure)) {
            *error = table + QStringLiteral(": ") + (failure ? failure->Description : QString());
            return fail();
        }
        if (rc != SQLITE_DONE) {
            *error = table + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(source.get()));
            return fail();
        }
    }
    const TradingDatabase::Script indexes = TradingDatabase::indexScript(TradingDatabase::Dialect::PostgreSQL);
    if (!run(target, indexes.text, indexes.name, error))
        return fail();
    if (!TradingDatabase::installProcedures(target, error))
        return fail();
    return run(target, QStringLiteral("COMMIT; ANALYZE"), QStringLiteral("commit"), error);
}

} // namespace db::PostgresCopy

#include "SqliteScriptRunner.h"

#include "ExecutionControl.h"
#include "SqliteError.h"
#include "SqliteResultBuilder.h"
#include "SqliteStatementCache.h"
#include "SqliteValues.h"

#include <sqlite3.h>

#include <memory>

namespace data {

namespace {

bool assignsVariables(sqlite3_stmt *stmt)
{
    const int n = sqlite3_column_count(stmt);
    for (int i = 0; i < n; ++i) {
        const char *name = sqlite3_column_name(stmt, i);
        if (!name || name[0] != '@' || name[1] == '\0')
            return false;
    }
    return n > 0;
}

} // namespace

SqliteScriptRunner::SqliteScriptRunner(sqlite3 *db, ExecutionControl &control,
                                       const QString &procedureName,
                                       const QList<QList<ProcedureColumn>> *declared,
                                       SqliteStatementCache *cache)
    : m_db(db), m_control(control), m_procedure(procedureName), m_declared(declared), m_cache(cache)
{
}

void SqliteScriptRunner::fail(int rc, ExecuteResult &result)
{
    result.error = makeSqliteError(m_db, rc, &m_control, m_procedure);
}

bool SqliteScriptRunner::bindAll(sqlite3_stmt *stmt, const Variables &variables,
                                 ExecuteResult &result)
{
    const int count = sqlite3_bind_parameter_count(stmt);
    for (int i = 1; i <= count; ++i) {
        const char *rawName = sqlite3_bind_parameter_name(stmt, i);
        const QString name = rawName ? QString::fromUtf8(rawName) : QString();
        const auto it = name.isEmpty() ? variables.cend() : variables.constFind(name.toLower());
        if (it == variables.cend()) {
            if (!m_procedure.isEmpty()) {
                result.error = makeError(
                    Error::ErrorsInCommand,
                    QStringLiteral("%1: %2 is neither a parameter nor set by an earlier statement")
                        .arg(m_procedure, name.isEmpty() ? QStringLiteral("'?'") : name),
                    QStringLiteral("SQLite"));
                return false;
            }
            continue;   // unbound parameters are NULL
        }
        const int rc = SqliteValues::bind(stmt, i, it->value);
        if (rc != SQLITE_OK) {
            fail(rc, result);
            return false;
        }
    }
    return true;
}

bool SqliteScriptRunner::run(const QString &script, Variables &variables, ExecuteResult &result)
{
    const QByteArray utf8 = script.toUtf8();
    int resultSetCount = 0;

    if (m_cache) {
        if (const std::vector<sqlite3_stmt *> *cached = m_cache->find(utf8)) {
            for (sqlite3_stmt *stmt : *cached) {
                if (m_control.shouldStop()) {
                    fail(SQLITE_INTERRUPT, result);
                    return false;
                }
                if (!runStatement(stmt, variables, result, resultSetCount))
                    return false;
            }
            return true;
        }
    }

    // Statements are prepared one at a time, each after the one before has
    // run: a statement may use a table an earlier one created.
    std::vector<SqliteStatementCache::Statement> prepared;
    const char *tail = utf8.constData();
    const char *const end = tail + utf8.size();
    while (tail < end) {
        if (m_control.shouldStop()) {
            fail(SQLITE_INTERRUPT, result);
            return false;
        }
        sqlite3_stmt *raw = nullptr;
        const char *next = nullptr;
        const int rc = sqlite3_prepare_v2(m_db, tail, int(end - tail), &raw, &next);
        SqliteStatementCache::Statement stmt(raw);
        if (rc != SQLITE_OK) {
            fail(rc, result);
            return false;
        }
        tail = next;
        if (!stmt)
            continue;   // only blanks or comments were left
        if (!runStatement(stmt.get(), variables, result, resultSetCount))
            return false;
        if (m_cache)
            prepared.push_back(std::move(stmt));
    }
    // Only a script that ran to its end is kept: every statement of it is known.
    if (m_cache)
        m_cache->insert(utf8, std::move(prepared));
    return true;
}

bool SqliteScriptRunner::runStatement(sqlite3_stmt *stmt, Variables &variables, ExecuteResult &result,
                                      int &resultSetCount)
{
    // Reset on every way out: a statement left mid-step would keep its read
    // transaction open, and a cached one is stepped again by a later run.
    struct ResetOnExit
    {
        sqlite3_stmt *stmt;
        ~ResetOnExit() { sqlite3_reset(stmt); }
    } resetOnExit{stmt};

    if (!bindAll(stmt, variables, result))
        return false;

    const sqlite3_int64 changesBefore = sqlite3_total_changes64(m_db);
    int rc = SQLITE_DONE;
    if (sqlite3_column_count(stmt) == 0) {
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        }
    } else if (!m_procedure.isEmpty() && assignsVariables(stmt)) {
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) {
            const int n = sqlite3_column_count(stmt);
            for (int i = 0; i < n; ++i) {
                const QString key = QString::fromUtf8(sqlite3_column_name(stmt, i)).toLower();
                const SqliteValues::Cell cell = SqliteValues::readCell(stmt, i);
                auto it = variables.find(key);
                if (it == variables.end()) {
                    const DataType type = SqliteValues::typeFromStorage(cell.storage);
                    variables.insert(key, Variable{type, SqliteValues::toValue(cell, type)});
                } else {
                    it->value = SqliteValues::toValue(cell, it->type);
                }
            }
            // Only the first row assigns; the rest need not be computed.
            rc = SQLITE_DONE;
        } else if (rc == SQLITE_DONE) {
            // No row: declared variables keep their values; new names exist, as null.
            const int n = sqlite3_column_count(stmt);
            for (int i = 0; i < n; ++i) {
                const QString key = QString::fromUtf8(sqlite3_column_name(stmt, i)).toLower();
                if (!variables.contains(key))
                    variables.insert(key, Variable{DataType::Variant, Value()});
            }
        }
    } else {
        const QList<ProcedureColumn> *declared =
            m_declared && resultSetCount < m_declared->size() ? &m_declared->at(resultSetCount) : nullptr;
        RecordsetPtr rs;
        rc = SqliteResultBuilder(stmt, declared).build(&rs);
        if (rc == SQLITE_DONE) {
            result.results.push_back(std::move(rs));
            ++resultSetCount;
        }
    }
    if (rc != SQLITE_DONE) {
        fail(rc, result);
        return false;
    }
    if (sqlite3_total_changes64(m_db) != changesBefore)
        result.recordsAffected += long(sqlite3_changes64(m_db));
    return true;
}

} // namespace data

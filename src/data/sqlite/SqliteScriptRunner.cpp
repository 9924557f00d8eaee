#include "SqliteScriptRunner.h"

#include "ExecutionControl.h"
#include "SqliteError.h"
#include "SqliteResultBuilder.h"
#include "SqliteValues.h"

#include <sqlite3.h>

#include <memory>

namespace data {

namespace {

struct StatementDeleter
{
    void operator()(sqlite3_stmt *stmt) const { sqlite3_finalize(stmt); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

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
                                       const QList<QList<ProcedureColumn>> *declared)
    : m_db(db), m_control(control), m_procedure(procedureName), m_declared(declared)
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
    const char *tail = utf8.constData();
    const char *const end = tail + utf8.size();
    int resultSetCount = 0;

    while (tail < end) {
        if (m_control.shouldStop()) {
            fail(SQLITE_INTERRUPT, result);
            return false;
        }
        sqlite3_stmt *raw = nullptr;
        const char *next = nullptr;
        const int prepared = sqlite3_prepare_v2(m_db, tail, int(end - tail), &raw, &next);
        Statement stmt(raw);
        if (prepared != SQLITE_OK) {
            fail(prepared, result);
            return false;
        }
        tail = next;
        if (!stmt)
            continue;   // only blanks or comments were left
        if (!bindAll(stmt.get(), variables, result))
            return false;

        const sqlite3_int64 changesBefore = sqlite3_total_changes64(m_db);
        int rc = SQLITE_DONE;
        if (sqlite3_column_count(stmt.get()) == 0) {
            while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
            }
        } else if (!m_procedure.isEmpty() && assignsVariables(stmt.get())) {
            rc = sqlite3_step(stmt.get());
            if (rc == SQLITE_ROW) {
                const int n = sqlite3_column_count(stmt.get());
                for (int i = 0; i < n; ++i) {
                    const QString key = QString::fromUtf8(sqlite3_column_name(stmt.get(), i)).toLower();
                    const SqliteValues::Cell cell = SqliteValues::readCell(stmt.get(), i);
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
                const int n = sqlite3_column_count(stmt.get());
                for (int i = 0; i < n; ++i) {
                    const QString key = QString::fromUtf8(sqlite3_column_name(stmt.get(), i)).toLower();
                    if (!variables.contains(key))
                        variables.insert(key, Variable{DataType::Variant, Value()});
                }
            }
        } else {
            const QList<ProcedureColumn> *declared =
                m_declared && resultSetCount < m_declared->size() ? &m_declared->at(resultSetCount)
                                                                  : nullptr;
            RecordsetPtr rs;
            rc = SqliteResultBuilder(stmt.get(), declared).build(&rs);
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
    }
    return true;
}

} // namespace data

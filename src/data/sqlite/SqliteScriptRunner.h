#pragma once

#include "DataTypes.h"
#include "Driver.h"
#include "ProcedureCatalog.h"
#include "ProcedureVariables.h"
#include "Value.h"

#include <QHash>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

namespace data {

class ExecutionControl;
class SqliteStatementCache;

/// Runs a script of SQL statements on one SQLite handle, in order.
///
/// Statements are prepared one at a time (sqlite3_prepare_v2 and its tail),
/// so a statement may use a table an earlier one created, and ';' inside
/// strings or trigger bodies is left to SQLite. Parameters written @Name are
/// bound by name from the variables. Every statement that returns columns
/// yields one Recordset, in order.
///
/// In a procedure two further rules hold:
/// - A statement whose every column name begins with "@" assigns its first
///   row to those variables (declared parameters keep their type; a new name
///   becomes a local variable) and yields no result set; without a row the
///   variables keep their values.
/// - Referring to a variable that is neither a parameter nor assigned before
///   is an error, so a misspelt name cannot pass as NULL silently.
/// In plain SQL an unknown @Name binds NULL.
///
/// With a statement cache the statements of a script are prepared once and
/// reused by later runs of the same text on the same handle. SQLite prepares
/// a reused statement again by itself when a table it uses was dropped and
/// created anew since (as a procedure's own working tables are), so a cached
/// run sees the same tables as a fresh one.
class SqliteScriptRunner final
{
public:
    using Variable = ProcedureVariable;
    using Variables = ProcedureVariables;

    /// procedureName: empty for plain SQL. declared: the procedure's declared
    /// result columns (may be null). cache: where the script's prepared
    /// statements are kept between runs (may be null: prepared each run).
    SqliteScriptRunner(sqlite3 *db, ExecutionControl &control, const QString &procedureName,
                       const QList<QList<ProcedureColumn>> *declared,
                       SqliteStatementCache *cache = nullptr);

    /// Runs every statement. On the first failure stops and returns false with
    /// result.error set; the result sets read so far stay in result.results.
    bool run(const QString &script, Variables &variables, ExecuteResult &result);

private:
    bool bindAll(sqlite3_stmt *stmt, const Variables &variables, ExecuteResult &result);
    /// Binds, steps and reads one prepared statement; false with result.error
    /// on failure. Leaves the statement reset.
    bool runStatement(sqlite3_stmt *stmt, Variables &variables, ExecuteResult &result,
                      int &resultSetCount);
    void fail(int rc, ExecuteResult &result);

    sqlite3 *m_db;
    ExecutionControl &m_control;
    QString m_procedure;
    const QList<QList<ProcedureColumn>> *m_declared;
    SqliteStatementCache *m_cache;
};

} // namespace data

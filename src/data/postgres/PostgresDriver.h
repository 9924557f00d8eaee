#pragma once

#include "Driver.h"
#include "ProcedureCatalog.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <mutex>
#include <optional>
#include <vector>

struct pg_conn;
struct pg_cancel;
struct pg_result;

namespace data {

class ConnectionString;
namespace PostgresResults {
class ResultSetSink;
}

/// The PostgreSQL driver: one libpq connection to a server.
///
/// Connection string keys (case-insensitive): "Host", "Port", "Database",
/// "User" and "Password", and any libpq keyword ("sslmode",
/// "connect_timeout", "application_name" ...), passed on as they are.
///
/// Command texts may hold several statements, run one after another; each
/// that returns rows gives a result set, in order. Named parameters
/// ("@Name", as the SQLite driver takes them) are sent as the server's
/// numbered ones, typed by the parameter's type (PostgresValues::
/// parameterType) except dates, which the server reads as the type it infers
/// (a date, timestamp or text column); a name without a parameter is null. Rows come in the binary format and go
/// straight into the recordset's columns, typed by the column's type
/// (PostgresValues); a column of a type the driver does not read fails the
/// command with its name.
///
/// A statement runs while the driver watches its control: a cancel request
/// or the deadline sends the server a cancel (PQcancel), and the command
/// ends as cancelled or timed out. Errors carry the server's message, with
/// the SQLSTATE as the native code (five characters, base 36) and in the
/// description.
///
/// "SAVEPOINT name" outside a transaction begins one, and releasing that
/// savepoint commits it, as SQLite does: callers that enclose their work in a
/// savepoint work the same on both.
///
/// adModeRead opens a session whose transactions are read only.
///
/// Stored procedures (adCmdStoredProc) come from the procedure catalog on the
/// server (ProcedureCatalog's tables) and run as on SQLite: the body's
/// statements in order on this session, inside a transaction of their own
/// (a savepoint within the caller's), rolled back on failure. Parameters are
/// sent typed by their declaration (PostgresValues::parameterType); result
/// columns take the declared types and the declared spelling of their names
/// (the server folds unquoted names to lower case), converted from the
/// storage class as the SQLite driver converts them; a statement whose every
/// column is named "@..." assigns its first row to those variables; output
/// parameters receive the variables' final values. A procedure that creates
/// temporary tables runs, on a read-only session, in a read-write transaction
/// that is always rolled back: its working tables go, and nothing it might
/// have written lasts. Other procedures on a read-only session can write only
/// temporary tables (a run's filter store).
class PostgresDriver final : public Driver
{
public:
    static std::unique_ptr<PostgresDriver> create(const ConnectionString &settings, ErrorPtr *error);
    ~PostgresDriver() override;

    QString providerName() const override { return QStringLiteral("PostgreSQL"); }
    bool open(int mode, ErrorPtr *error, const ExecutionControl *control = nullptr) override;
    void close() override;
    bool isOpen() const override { return m_conn != nullptr; }
    int mode() const override { return m_mode; }
    std::unique_ptr<Driver> cloneClosed() const override;
    ExecuteResult execute(const ExecuteRequest &request, ExecutionControl &control) override;
    void interrupt() override;
    bool procedureParameters(const QString &procedure, QList<Parameter> *parameters, ErrorPtr *error) override;

    /// Loads rows into table with COPY FROM STDIN (text format): rows gives
    /// the next chunk of lines, each row's values tab-separated ("\\N" for
    /// null, backslash, tab and line breaks escaped), and false at the end.
    /// False with *error when the server refuses the data; the rows of a
    /// failed copy are not kept.
    bool copyIn(const QString &table, const QStringList &columns, const std::function<bool(QByteArray *)> &rows,
                ErrorPtr *error);

    /// The libpq connection string the settings make.
    QByteArray conninfo() const { return m_conninfo; }
    /// The server process of the open connection (pg_stat_activity's pid); 0 when closed.
    int backendPid() const;

private:
    PostgresDriver() = default;

    /// Sends one statement and reads its results to the end, watching control.
    /// values: the statement's parameters in their text form, nothing for
    /// null; types: their type OIDs (empty: every one for the server to infer).
    /// Rows come one at a time (single-row mode) and go to sink, or by
    /// default into result.results; a sink's failure fails the statement.
    bool runStatement(const QString &text, const std::vector<unsigned> &types,
                      const std::vector<std::optional<QByteArray>> &values, ExecutionControl &control,
                      ExecuteResult &result, PostgresResults::ResultSetSink *sink = nullptr);
    /// One plain statement without parameters or control, as for transaction control.
    bool exec(const QString &text, ErrorPtr *error);
    /// The statement the driver sends for one of a command's: BEGIN before a
    /// savepoint outside a transaction, COMMIT for releasing that savepoint.
    QStringList transactionStatements(const QString &statement);

    ExecuteResult runProcedure(const ExecuteRequest &request, ExecutionControl &control);
    bool loadProcedure(const QString &name, ProcedureDefinition *definition, ErrorPtr *error);
    /// The cancel request to the server, when control asks for one.
    void cancelWhenAsked(const ExecutionControl &control, bool *sent);

    QByteArray m_conninfo;
    int m_mode = adModeUnknown;
    pg_conn *m_conn = nullptr;
    pg_cancel *m_cancel = nullptr;
    std::mutex m_handleMutex;   // interrupt() against close()
    QString m_implicitSavepoint;  // the savepoint that began the open transaction, lower case
};

} // namespace data

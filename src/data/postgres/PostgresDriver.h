#pragma once

#include "Driver.h"

#include <QByteArray>
#include <QString>

#include <mutex>
#include <optional>
#include <vector>

struct pg_conn;
struct pg_cancel;

namespace data {

class ConnectionString;

/// The PostgreSQL driver: one libpq connection to a server.
///
/// Connection string keys (case-insensitive): "Host", "Port", "Database",
/// "User" and "Password", and any libpq keyword ("sslmode",
/// "connect_timeout", "application_name" ...), passed on as they are.
///
/// Command texts may hold several statements, run one after another; each
/// that returns rows gives a result set, in order. Named parameters
/// ("@Name", as the SQLite driver takes them) are sent as the server's
/// numbered ones, as text for the server to read as the type it infers; a
/// name without a parameter is null. Rows come in the binary format and go
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
/// adModeRead opens a session whose transactions are read only. Stored
/// procedures (adCmdStoredProc) are not installed on PostgreSQL yet: such a
/// command fails with NoSuchProcedure.
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

    /// The libpq connection string the settings make.
    QByteArray conninfo() const { return m_conninfo; }
    /// The server process of the open connection (pg_stat_activity's pid); 0 when closed.
    int backendPid() const;

private:
    PostgresDriver() = default;

    /// Sends one statement and reads its results to the end, watching control.
    /// values: the statement's parameters in their text form, nothing for null.
    bool runStatement(const QString &text, const std::vector<std::optional<QByteArray>> &values,
                      ExecutionControl &control, ExecuteResult &result);
    /// The cancel request to the server, when control asks for one.
    void cancelWhenAsked(const ExecutionControl &control, bool *sent);

    QByteArray m_conninfo;
    int m_mode = adModeUnknown;
    pg_conn *m_conn = nullptr;
    pg_cancel *m_cancel = nullptr;
    std::mutex m_handleMutex;   // interrupt() against close()
};

} // namespace data

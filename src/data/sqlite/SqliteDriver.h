#pragma once

#include "Driver.h"
#include "ProcedureCatalog.h"
#include "SqliteStatementCache.h"

#include <QString>

#include <chrono>
#include <mutex>
#include <utility>

struct sqlite3;

namespace data {

class ConnectionString;

/// The SQLite driver: one sqlite3 handle on a database file.
///
/// Connection string keys (case-insensitive):
/// - "Data Source": the database file (required);
/// - "Busy Timeout": milliseconds to wait for a lock held by another
///   connection before failing (default 5000);
/// - "Create": "True" creates a missing file, in write-ahead-log mode (so that
///   readers and a writer do not block each other); without it a missing file
///   is an error.
///
/// Stored procedures come from the catalog tables (see ProcedureCatalog). A
/// procedure run leaves no TEMP table, view or trigger behind that it
/// created, and on a read-write handle runs as one transaction (a savepoint):
/// all its writes are committed together, or none when a statement fails or
/// the run is cancelled. On a read-only handle no transaction is held
/// between statements, so a long report never blocks writers.
///
/// The handle keeps the prepared statements of the procedures it ran and of
/// its catalog look-ups, so a procedure run again (the filter-store calls
/// before every report) is not parsed again. The catalog is still read on
/// every call, so a reinstalled procedure takes effect at once; the kept
/// statements go when the handle closes or the main schema changes.
class SqliteDriver final : public Driver
{
public:
    static constexpr int DefaultBusyTimeoutMs = 5000;

    /// Reads the settings; null and *error when they are invalid.
    static std::unique_ptr<SqliteDriver> create(const ConnectionString &settings, ErrorPtr *error);
    ~SqliteDriver() override;

    QString providerName() const override { return QStringLiteral("SQLite"); }
    bool open(int mode, ErrorPtr *error, const ExecutionControl *control = nullptr) override;
    void close() override;
    bool isOpen() const override { return m_db != nullptr; }
    int mode() const override { return m_mode; }
    /// True when the file at the path is another file than the one opened
    /// (or is gone).
    bool isStale() const override;
    std::unique_ptr<Driver> cloneClosed() const override;
    ExecuteResult execute(const ExecuteRequest &request, ExecutionControl &control) override;
    void interrupt() override;
    bool procedureParameters(const QString &procedure, QList<Parameter> *parameters,
                             ErrorPtr *error) override;

    QString path() const { return m_path; }
    int busyTimeoutMs() const { return m_busyTimeoutMs; }
    /// The native handle, for tests and tools; null when closed.
    sqlite3 *handle() const { return m_db; }

private:
    SqliteDriver() = default;

    static int busyHandler(void *self, int attempt);
    static int progressHandler(void *control);

    /// Reads the procedure from the catalog; false with NoSuchProcedure (or
    /// the SQLite error) in *error.
    bool loadProcedure(const QString &name, ProcedureDefinition *definition, ErrorPtr *error);
    ExecuteResult runProcedure(const ExecuteRequest &request, ExecutionControl &control);
    ExecuteResult runText(const ExecuteRequest &request, ExecutionControl &control);
    QStringList tempObjects();
    void dropTempObjectsExcept(const QStringList &keep);
    /// Runs SQL that returns no rows, outside any control; false on failure.
    bool exec(const char *sql, ErrorPtr *error = nullptr, const ExecutionControl *control = nullptr);
    /// Whether the open file uses write-ahead logging.
    bool isWriteAheadLog() const;
    /// Drops the kept statements when the main schema changed since they were
    /// prepared: a statement's columns (SELECT *) may differ after it.
    void checkSchemaVersion();
    /// A kept statement for sql (prepared on first use), reset and unbound;
    /// null with *rc set when it does not prepare. Reset it after use.
    sqlite3_stmt *cachedStatement(const char *sql, int *rc);

    QString m_path;
    int m_busyTimeoutMs = DefaultBusyTimeoutMs;
    bool m_create = false;
    int m_mode = adModeUnknown;
    /// The opened file's device and inode, told apart from a file that
    /// replaced it at the same path.
    std::pair<quint64, quint64> m_fileIdentity{0, 0};

    sqlite3 *m_db = nullptr;
    SqliteStatementCache m_statements;
    qint64 m_statementsSchema = -1;   // main schema_version the kept statements were prepared at
    std::mutex m_handleMutex;   // interrupt() against close()

    // Busy handler state: the control of the running request (may be null)
    // and when the current wait for a lock began.
    const ExecutionControl *m_activeControl = nullptr;
    std::chrono::steady_clock::time_point m_busySince;
};

} // namespace data

#pragma once

#include "marvolt_export.h"

#include "DataTypes.h"
#include "Error.h"
#include "Recordset.h"

#include <QObject>
#include <QString>

#include <memory>

namespace data {

class Command;
class Driver;
class ExecutionControl;
struct ExecuteRequest;
struct ExecuteResult;

/// A connection to the trading database.
///
/// The connection string names the driver and its settings, e.g.
/// "Provider=SQLite;Data Source=/var/lib/marvolt/trading.db" (see the README).
/// Settings (CommandTimeout, ConnectionTimeout, Mode, CursorLocation) are set
/// before Open(). Mode adModeRead (1) opens the database read only: every write
/// through this connection fails with an Error.
///
/// Asynchronous commands run on a worker thread with a database handle of
/// their own; their completion is delivered as ExecuteComplete on the thread
/// that owns this object. Only one asynchronous command runs at a time; while
/// it runs State() is adStateOpen | adStateExecuting.
///
/// Nothing throws: failures return false or null and set lastError().
class MARVOLT_EXPORT Connection final : public QObject
{
    Q_OBJECT
public:
    explicit Connection(QObject *parent = nullptr);
    ~Connection() override;   ///< cancels a running command; its completion is dropped

    QString ConnectionString() const { return m_connectionString; }
    void setConnectionString(const QString &text) { m_connectionString = text; }
    int CommandTimeout() const { return m_commandTimeout; }
    void setCommandTimeout(int seconds) { m_commandTimeout = seconds; }
    int ConnectionTimeout() const { return m_connectionTimeout; }
    void setConnectionTimeout(int seconds) { m_connectionTimeout = seconds; }
    int Mode() const { return m_mode; }
    void setMode(int mode) { m_mode = mode; }
    int CursorLocation() const { return m_cursorLocation; }
    void setCursorLocation(int location) { m_cursorLocation = location; }

    /// Opens the connection; an empty connectionString keeps ConnectionString().
    /// Fails (ObjectOpen) when already open; a missing database file, an
    /// unknown Provider or a malformed string fail with an Error.
    /// User, password and options are accepted for compatibility; the drivers
    /// we have take no credentials.
    bool Open(const QString &connectionString = {}, const QString &userId = {},
              const QString &password = {}, long options = -1);
    /// Closes the connection. Fails (StillExecuting) while a command runs: Cancel
    /// first; after Cancel, Close waits the few milliseconds the interrupted
    /// command needs to stop. Fails (ObjectClosed) when not open.
    bool Close();
    /// Interrupts the running asynchronous command. Its ExecuteComplete still
    /// arrives, with adStatus adStatusCancel (4), a Cancelled error and no recordset
    /// (unless the command had already finished all its work, which is then
    /// reported as it happened).
    void Cancel();
    /// Stops the statement running on this connection's own handle: a
    /// synchronous command that another thread runs on a connection it owns.
    /// Safe to call from any thread, provided the caller keeps the connection
    /// from being closed or destroyed meanwhile; the command fails with
    /// Cancelled. Does nothing when no statement runs.
    void Interrupt();
    int State() const;
    /// Whether the open connection no longer reaches the database it was
    /// opened on (its file was removed or replaced since), so that a
    /// connection kept for reuse is opened again instead. False when closed.
    bool isStale() const;

    /// Runs plain SQL (one or more statements); returns the first result set,
    /// or null for statements returning no rows or on failure (lastError()).
    /// With adAsyncExecute it returns null at once and the outcome arrives as
    /// ExecuteComplete with a null pCommand.
    RecordsetPtr Execute(const QString &sql, long *recordsAffected = nullptr,
                         int options = adOptionUnspecified);

    ErrorPtr lastError() const { return m_lastError; }

    /// The open driver, for Command and for the procedure catalog.
    Driver *driver() const { return m_driver.get(); }

Q_SIGNALS:
    /// An asynchronous command ended. pError is null on success; adStatus is
    /// adStatusOK, adStatusErrorsOccurred or adStatusCancel; pRecordset is the
    /// first result set (null on failure or cancel), its following result
    /// sets reached through NextRecordset().
    void ExecuteComplete(long RecordsAffected, data::ErrorPtr pError, int adStatus,
                         data::Command *pCommand, data::RecordsetPtr pRecordset,
                         data::Connection *pConnection);

private:
    friend class Command;
    class AsyncRun;

    RecordsetPtr runSync(Command *cmd, long *recordsAffected);
    RecordsetPtr runSync(Command *cmd, long *recordsAffected, ExecutionControl &control);
    bool startAsync(Command *cmd);
    bool startAsync(const ExecuteRequest &request, Command *cmd, int timeoutSeconds);
    void finishAsync(const std::shared_ptr<AsyncRun> &run);
    /// Hands the result sets out (chained, attached to this connection) and
    /// copies output parameter values into cmd; returns the first result set.
    RecordsetPtr deliver(ExecuteResult &result, Command *cmd);
    void setError(ErrorPtr error) { m_lastError = std::move(error); }

    QString m_connectionString;
    int m_commandTimeout = 30;
    int m_connectionTimeout = 15;
    int m_mode = adModeUnknown;
    int m_cursorLocation = adUseServer;
    std::unique_ptr<Driver> m_driver;
    std::shared_ptr<AsyncRun> m_running;
    ErrorPtr m_lastError;
};

} // namespace data

Q_DECLARE_METATYPE(data::RecordsetPtr)

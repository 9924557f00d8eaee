#pragma once

#include "Error.h"
#include "Parameter.h"
#include "Recordset.h"
#include "Value.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

#include <functional>
#include <memory>

class ExecManager;

namespace data {
class Connection;
}

/// One named execution of a stored procedure, handed out by ExecManager: set
/// its parameters, start it with ExecuteAsync() and take its result from
/// ExComplete, which is raised on the thread the manager lives on (the
/// user-interface thread), never on the worker.
///
/// Each run has a worker thread and a connection of its own, opened read only
/// with the manager's connection string as a report's private connection is,
/// and closed when the run ends. Two objects of one manager therefore run side
/// by side without sharing a database handle or a result.
///
/// A run ends in exactly one of three ways:
/// - it completes: ExComplete is raised once, with the output parameters and
///   the procedure's result sets in order, detached from any connection;
/// - it fails (no database, no such procedure, a locked database, an error in
///   the procedure, the command time-out): ExComplete is raised once with no
///   result sets, and GetLastError() gives the database's reason;
/// - it is stopped, by Cancel(), by another ExecuteAsync() of the same object,
///   by ExecManager::ReleaseCommand() or by the manager's destruction: the
///   running statement is interrupted and nothing is raised for the run, even
///   when its result was already on its way.
///
/// The manager owns the object: release it with ExecManager::ReleaseCommand()
/// rather than deleting it, and hold it in a QPointer where it may outlive
/// the release. Use it only on the manager's thread.
class ExecCommand final : public QObject
{
    Q_OBJECT
public:
    ~ExecCommand() override;   ///< stops a run still going

    /// The stored procedure this object runs: the name it was asked for by.
    QString Name() const { return m_name; }

    /// Sets a parameter of the next runs by its name, at sign included
    /// ("@UserName"; compared without regard to case), replacing an earlier
    /// value; the value is converted to the declared type. A name the
    /// procedure does not declare is skipped when the run starts, so a caller
    /// may set a parameter that only some versions of a procedure take.
    /// Parameters not set start null.
    void SetParameter(const QString &name, const data::Value &value);

    /// Starts the procedure and returns at once; the outcome arrives as
    /// ExComplete. A run of this object still going is stopped first and
    /// never reports. Returns false, with GetLastError(), only when no run can
    /// start at all (the manager has no connection string or is being
    /// destroyed); whatever the database refuses comes through ExComplete.
    bool ExecuteAsync();
    /// Stops the running run: its statement (or its wait for a lock) is
    /// interrupted, its worker is free within milliseconds, its ExComplete is
    /// never raised and GetLastError() says Cancelled. Does nothing when no
    /// run is going.
    void Cancel();
    /// True from ExecuteAsync() until ExComplete is raised or the run is stopped.
    bool isExecuting() const { return m_run != nullptr; }

    /// Why the last run failed or was stopped; Number 0 (no error) after a run
    /// that completed and before the first one. Number is a data::Error::Code,
    /// NativeError the database's own code.
    data::Error GetLastError() const { return m_lastError; }
    /// An output or input-output parameter as the last completed run returned
    /// it; null before, after a failure and for a name the procedure does not
    /// return.
    data::Value GetParameter(const QString &name) const;

    /// Seconds a run may take before it fails with data::Error::Timeout; 0
    /// waits for ever. Default 1200, a report query's time-out. Applies from
    /// the next ExecuteAsync().
    int commandTimeout() const { return m_timeout; }
    void setCommandTimeout(int seconds) { m_timeout = seconds; }

    /// Work on the run's own connection before the procedure, done on the
    /// worker right after the connection is opened: typically storing a
    /// report's filter selections in the connection's run scope
    /// (FilterStore::createRunScope()), so that the procedure reads exactly
    /// this run's selections. Returning an error ends the run with it. It runs
    /// on another thread, so it may use only what it captured by value.
    /// Applies from the next ExecuteAsync().
    using Preparation = std::function<data::ErrorPtr(data::Connection &connection)>;
    void setPreparation(Preparation preparation) { m_preparation = std::move(preparation); }

    static constexpr int DefaultCommandTimeoutSeconds = 1200;

Q_SIGNALS:
    /// A run completed or failed (see the class comment). GetParameters holds
    /// the procedure's output and input-output parameters with the values it
    /// returned; Recordsets its result sets in procedure order. Recordsets is
    /// empty on failure, and also for a procedure that returns no result set
    /// at all, when GetLastError().Number is 0.
    void ExComplete(const QList<data::Parameter> &GetParameters,
                    const QList<data::RecordsetPtr> &Recordsets);

private:
    friend class ExecManager;
    struct Run;

    ExecCommand(const QString &name, ExecManager *manager);
    /// Stops the running run without touching the last error.
    void stop();
    /// Delivers a run's outcome on this object's thread, unless the run was
    /// stopped or superseded meanwhile.
    void finish(const std::shared_ptr<Run> &run);
    /// What the worker does: open, prepare, run, detach the results.
    static void execute(Run &run);

    ExecManager *m_manager;
    QString m_name;
    QList<QPair<QString, data::Value>> m_parameters;
    int m_timeout = DefaultCommandTimeoutSeconds;
    Preparation m_preparation;
    std::shared_ptr<Run> m_run;   // the run going, if any
    data::Error m_lastError;
    QList<data::Parameter> m_outputs;   // of the last completed run
};

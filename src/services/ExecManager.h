#pragma once

#include "ExecCommand.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThreadPool>

/// Hands out named execution objects (ExecCommand), each of which runs one
/// stored procedure asynchronously on a connection of its own and raises
/// ExComplete on this manager's thread.
///
/// A report's query, start to end:
///
///     if (m_exec) {                        // a run still pending: drop it
///         m_exec->Cancel();
///         m_manager->ReleaseCommand("cnt_CashFlow");
///     }
///     m_exec = m_manager->GetCommand("cnt_CashFlow");
///     connect(m_exec, &ExecCommand::ExComplete, this, &CashFlow::ExObj_ExComplete);
///     m_exec->SetParameter("@UserName", userName);
///     m_exec->ExecuteAsync();
///     ...
///     // in ExObj_ExComplete: read the result, then
///     m_manager->ReleaseCommand("cnt_CashFlow");
///
/// Names: the name is the procedure's (compared without regard to case), and
/// a manager holds one object per name. GetCommand() of a name it holds gives
/// that same object, running or not; starting it again stops the run going
/// (see ExecCommand::ExecuteAsync()). ReleaseCommand() stops and discards it,
/// so the next GetCommand() of the name gives a fresh object.
///
/// The names are this manager's own, not the process's: a caller whose runs
/// must not meet another's (each report object) has a manager of its own.
/// Two cash-flow controls in one host sharing one manager would share the one
/// "cnt_CashFlow" object, and each would cancel and release the other's run.
///
/// Threads: each run has a worker thread from the manager's pool. Destroying
/// the manager stops every run (nothing is raised for them) and waits the
/// few milliseconds their interrupted statements take to end; no thread
/// outlives it. Use the manager and its objects on the thread it lives on.
class ExecManager final : public QObject
{
    Q_OBJECT
public:
    /// connectionString as for data::Connection ("Provider=SQLite;Data Source=...").
    explicit ExecManager(const QString &connectionString, QObject *parent = nullptr);
    ~ExecManager() override;

    /// The connection string every run opens its connection with.
    QString ConnectionString() const { return m_connectionString; }
    /// Applies to runs started afterwards.
    void setConnectionString(const QString &connectionString) { m_connectionString = connectionString; }

    /// The execution object for the stored procedure name: the one this
    /// manager holds under that name, or a new one. Null for an empty name.
    /// The object stays valid until ReleaseCommand(name) or the manager's
    /// destruction.
    ExecCommand *GetCommand(const QString &name);
    /// Stops the run of the object of that name, if one is going (its
    /// ExComplete is never raised), and discards the object; its connection
    /// closes as soon as the interrupted statement has ended. The object is
    /// deleted once control returns to the event loop, so a handler of its
    /// own ExComplete may release it. Does nothing for a name not held.
    void ReleaseCommand(const QString &name);

    /// Worker threads still busy, counting those of stopped runs that are
    /// ending their interrupted statement; for diagnostics and tests.
    int activeWorkers() const { return m_workers.activeThreadCount(); }

private:
    friend class ExecCommand;
    static QString key(const QString &name) { return name.trimmed().toLower(); }

    QString m_connectionString;
    QHash<QString, QPointer<ExecCommand>> m_commands;
    QThreadPool m_workers;
    bool m_closing = false;   // in the destructor: no run may start
};

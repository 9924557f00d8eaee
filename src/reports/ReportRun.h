#pragma once

#include "marvolt_export.h"

#include "ReportLogic.h"
#include "RunConnectionPool.h"

#include "Error.h"
#include "Recordset.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <thread>
#include <vector>

/// One run of a report's query, from the opening of its connection to its
/// built display rows, on a worker thread of its own: the user interface only
/// binds the outcome.
///
/// The worker takes a read-only connection with the session's connection
/// string from the report's pool (or opens one), gives it a private filter
/// store (FilterStore::createRunScope),
/// stores the run's selections there, runs the report's procedure with the
/// refreshed parameters and builds the display recordset from the result
/// set the logic names. Because the selections live on the run's own connection, two
/// runs at the same moment (two controls, or two processes, of one user and
/// report) each read exactly their own filter. The first step that fails ends
/// the run with the database's reason. A run that ended well gives its
/// connection back to the pool; a failed or cancelled one closes it.
///
/// The worker reads only what the run was given: the logic (immutable, one
/// per report class) and a copy of the query. The outcome is delivered to
/// `done` on the receiver's thread, unless the receiver is gone by then.
/// Destroying a run cancels it and waits for its worker.
class MARVOLT_EXPORT ReportRun final
{
public:
    struct Outcome
    {
        /// Why the run failed; null when it succeeded or was cancelled.
        data::ErrorPtr error;
        /// The step that failed ("StoreBankF", "cnt_OpenPosition" ...).
        QString failedStep;
        bool cancelled = false;
        /// The procedure's first result set, detached from any connection;
        /// null when the display's result set returned no rows.
        data::RecordsetPtr result;
        /// Every result set of the procedure in order, detached (null for
        /// one that is not open); empty when result is null.
        std::vector<data::RecordsetPtr> results;
        /// The procedure's output parameters by name ("@TotalCom").
        QVariantMap outputs;
        /// Every display row the logic built from result; filtered to the
        /// run's view when the run was given the grid's order (see rows).
        /// Null without a result.
        data::RecordsetPtr display;
        /// The rows of the display's view (its filter is set) in the grid's
        /// order; null when the run was given no order.
        std::shared_ptr<const RowArrangement> rows;
        /// The view's rows compared with the run's previousRows, bookmark by
        /// bookmark; null when the run was given no order or no rows to
        /// compare with.
        std::shared_ptr<const RowChangeMarks::Comparison> marks;
        DisplayCounts counts;
    };
    using Done = std::function<void(const Outcome &)>;

    /// Starts a run. The logic must outlive it (report logics are static).
    ReportRun(const ReportLogic &logic, RunQuery run, const QString &connectionString,
              std::shared_ptr<RunConnectionPool> connections, QObject *receiver, Done done);
    /// Builds the display of a procedure that ran elsewhere (a report that
    /// runs its query through the execution library): only the display build
    /// and the arrangement of its rows, from results (the result sets in
    /// procedure order) and outputs, on the run's worker.
    ReportRun(const ReportLogic &logic, RunQuery run, std::vector<data::RecordsetPtr> results, QVariantMap outputs,
              QObject *receiver, Done done);
    ~ReportRun();
    ReportRun(const ReportRun &) = delete;
    ReportRun &operator=(const ReportRun &) = delete;

    /// Stops the run as soon as possible: the statement running is
    /// interrupted and the outcome, if it still comes, says cancelled.
    void cancel();
    /// Waits until the worker has ended.
    void wait();

    /// The query command's time-out and the connection's, in seconds.
    static constexpr int CommandTimeoutSeconds = 1200;
    static constexpr int ConnectionTimeoutSeconds = 600;

private:
    struct State;
    static Outcome execute(const ReportLogic &logic, const RunQuery &run, const QString &connectionString,
                           RunConnectionPool &connections, State &state);
    /// Hands the outcome to done on the receiver's thread (a cancelled run's
    /// as cancelled), unless the receiver is gone.
    static void deliver(Outcome outcome, const State &state, const QPointer<QObject> &receiver, const Done &done);
    /// The outcome of a procedure's result sets: the display built from the
    /// one the logic names, unless it returned no rows.
    static void build(const ReportLogic &logic, const RunQuery &run, std::vector<data::RecordsetPtr> results,
                      QVariantMap outputs, Outcome &outcome);
    /// The pool's connection for connectionString, or a newly opened one;
    /// null with *error when it does not open.
    static std::unique_ptr<data::Connection> connect(const QString &connectionString,
                                                     RunConnectionPool &connections, data::ErrorPtr *error);

    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

#include "ReportRun.h"

#include "CellValue.h"
#include "DisplayReader.h"
#include "FieldReader.h"
#include "FilterStore.h"

#include "Command.h"
#include "Connection.h"

#include <QMetaObject>
#include <QScopeGuard>

#include <atomic>
#include <mutex>

/// What the worker and the owner of a run share: the cancel request and the
/// connection the worker is using, so that a cancel can interrupt it.
struct ReportRun::State
{
    std::atomic<bool> cancelled{false};
    std::mutex mutex;                       // guards connection against cancel()
    data::Connection *connection = nullptr; // while the worker has it open
};

namespace {

data::ErrorPtr cancelledError()
{
    return data::makeError(data::Error::Cancelled, QStringLiteral("Operation cancelled"),
                           QStringLiteral("ReportRun"));
}

/// Filters the display to the run's view and orders its rows as the grid
/// will show them: walks over every display row, kept off the user-interface
/// thread. Null without an order, or when the view's filter is refused (the
/// binding then tells why).
std::shared_ptr<const RowArrangement> arrangeDisplay(const ReportLogic &logic, const RunQuery &run,
                                                     data::Recordset &display)
{
    if (!run.rowOrder || !display.setFilter(viewFilter(run.view)))
        return nullptr;
    std::vector<data::Field> fields;
    for (const ReportColumn &column : logic.layout().columns)
        fields.push_back(display.Fields(QString::fromLatin1(column.field)));
    const auto cell = [&](int row, int column) -> QVariant {
        if (column < 0 || column >= int(fields.size()) || !display.setAbsolutePosition(qint64(row) + 1))
            return {};
        return CellValue::unwrap(gridCellValue(fields[size_t(column)].value()));
    };
    return std::make_shared<const RowArrangement>(
        RowArrangement::build(int(display.RecordCount()), *run.rowOrder, cell, true));
}

/// The view's rows (the display filtered by arrangeDisplay) compared with
/// the rows the grid held, read as the grid reads its cells: another walk
/// over every row, kept off the user-interface thread. Null when the grid
/// marks no changes or the run has no order.
std::shared_ptr<const RowChangeMarks::Comparison> compareDisplay(const ReportLogic &logic, const RunQuery &run,
                                                                 const data::RecordsetPtr &display)
{
    if (!run.previousRows || !run.rowOrder)
        return nullptr;
    DisplayReader reader(display, logic.layout(), *run.shownRows);
    const int columns = int(logic.layout().columns.size());
    QVector<int> groupColumns;
    for (const RowOrdering::Key &group : run.rowOrder->groups)
        groupColumns.append(group.column);
    const auto cells = [&](int row, QVector<QVariant> &values) {
        values.resize(columns);
        for (int c = 0; c < columns; ++c)
            values[c] = CellValue::unwrap(reader.cell(row, c, run.formats));
    };
    return std::make_shared<const RowChangeMarks::Comparison>(RowChangeMarks::compare(
        *run.previousRows, int(display->RecordCount()), columns, groupColumns, cells));
}

/// Every result set of a procedure's run, from the first on, each detached
/// from the connection (the connection goes back to the pool); null for one
/// that is not open. Moving to the next result set closes the one before, so
/// each is kept as a clone, which holds its rows.
std::vector<data::RecordsetPtr> detachedResults(data::RecordsetPtr first)
{
    std::vector<data::RecordsetPtr> results;
    for (data::RecordsetPtr set = std::move(first); set; set = set->NextRecordset()) {
        data::RecordsetPtr kept = set->State() == data::adStateOpen ? set->Clone() : nullptr;
        if (kept)
            kept->setActiveConnection(nullptr);
        results.push_back(std::move(kept));
    }
    return results;
}

} // namespace

ReportRun::ReportRun(const ReportLogic &logic, RunQuery run, const QString &connectionString,
                     std::shared_ptr<RunConnectionPool> connections, QObject *receiver, Done done)
    : m_state(std::make_shared<State>())
{
    m_thread = std::thread([&logic, run = std::move(run), connectionString, connections = std::move(connections),
                            state = m_state, receiver = QPointer<QObject>(receiver), done = std::move(done)] {
        deliver(execute(logic, run, connectionString, *connections, *state), *state, receiver, done);
    });
}

ReportRun::ReportRun(const ReportLogic &logic, RunQuery run, std::vector<data::RecordsetPtr> results,
                     QVariantMap outputs, QObject *receiver, Done done)
    : m_state(std::make_shared<State>())
{
    m_thread = std::thread([&logic, run = std::move(run), results = std::move(results), outputs = std::move(outputs),
                            state = m_state, receiver = QPointer<QObject>(receiver), done = std::move(done)]() mutable {
        Outcome outcome;
        build(logic, run, std::move(results), std::move(outputs), outcome);
        deliver(std::move(outcome), *state, receiver, done);
    });
}

void ReportRun::deliver(Outcome outcome, const State &state, const QPointer<QObject> &receiver, const Done &done)
{
    if (state.cancelled) {
        outcome = Outcome();
        outcome.cancelled = true;
    }
    // Posted to the receiver: run on its thread, and dropped with its other
    // posted events if it is destroyed first.
    if (receiver)
        QMetaObject::invokeMethod(receiver.data(), [done, outcome] { done(outcome); }, Qt::QueuedConnection);
}

ReportRun::~ReportRun()
{
    cancel();
    wait();
}

void ReportRun::cancel()
{
    m_state->cancelled = true;
    std::lock_guard lock(m_state->mutex);
    if (m_state->connection)
        m_state->connection->Interrupt();
}

void ReportRun::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

std::unique_ptr<data::Connection> ReportRun::connect(const QString &connectionString,
                                                     RunConnectionPool &connections, data::ErrorPtr *error)
{
    if (std::unique_ptr<data::Connection> kept = connections.take(connectionString))
        return kept;
    auto connection = std::make_unique<data::Connection>();
    connection->setCommandTimeout(CommandTimeoutSeconds);
    connection->setConnectionTimeout(ConnectionTimeoutSeconds);
    connection->setMode(data::adModeRead);
    connection->setCursorLocation(data::adUseClient);
    if (!connection->Open(connectionString, QString(), QString(), -1)) {
        *error = connection->lastError();
        return nullptr;
    }
    return connection;
}

ReportRun::Outcome ReportRun::execute(const ReportLogic &logic, const RunQuery &run,
                                      const QString &connectionString, RunConnectionPool &connections,
                                      State &state)
{
    Outcome outcome;
    const auto fail = [&outcome](const QString &step, data::ErrorPtr error) {
        outcome.failedStep = step;
        outcome.error = error ? std::move(error) : cancelledError();
        return outcome;
    };
    if (state.cancelled)
        return fail(QString(), cancelledError());

    data::ErrorPtr openError;
    std::unique_ptr<data::Connection> connection = connect(connectionString, connections, &openError);
    if (!connection)
        return fail(QStringLiteral("Open"), openError);
    {
        std::lock_guard lock(state.mutex);
        state.connection = connection.get();
    }
    // Whatever the way out, the connection is no longer reachable by cancel;
    // it goes back to the pool only when the run ended well and was not
    // cancelled (checked under the lock that cancel takes).
    const auto release = qScopeGuard([&] {
        std::lock_guard lock(state.mutex);
        state.connection = nullptr;
        if (!outcome.error && !state.cancelled)
            connections.give(std::move(connection));
        else
            connection->Close();
    });

    FilterStore store(*connection, run.userName, logic.owner());
    if (!store.createRunScope() || !logic.storeSelections(store, run))
        return fail(store.failedProcedure(), store.lastError());
    if (state.cancelled)
        return fail(QString(), cancelledError());

    data::Command command;
    command.setCommandType(data::adCmdStoredProc);
    command.setCommandText(logic.procedure());
    command.setCommandTimeout(CommandTimeoutSeconds);
    command.setActiveConnection(connection.get());
    if (!command.Parameters().Refresh())
        return fail(logic.procedure(), command.lastError());
    logic.setParameters(command, run);
    data::RecordsetPtr first = command.Execute();
    if (command.lastError())
        return fail(logic.procedure(), command.lastError());

    QVariantMap outputs;
    for (int i = 0; i < command.Parameters().Count(); ++i) {
        const data::Parameter *parameter = command.Parameters().Item(i);
        if (parameter->Direction() == data::adParamOutput || parameter->Direction() == data::adParamInputOutput)
            outputs.insert(parameter->Name(), FieldReader::cellValue(parameter->value()));
    }
    build(logic, run, detachedResults(std::move(first)), std::move(outputs), outcome);
    return outcome;
}

void ReportRun::build(const ReportLogic &logic, const RunQuery &run, std::vector<data::RecordsetPtr> results,
                      QVariantMap outputs, Outcome &outcome)
{
    const size_t source = size_t(logic.displayResultSet());
    data::RecordsetPtr result = source < results.size() ? results[source] : nullptr;
    if (!result || (result->Eof() && result->Bof()))
        return;
    outcome.outputs = std::move(outputs);

    auto display = std::make_shared<data::Recordset>();
    display->setCursorLocation(data::adUseClient);
    display->setCursorType(data::adOpenStatic);
    auto fields = display->Fields();
    for (const DisplayField &field : logic.layout().fields)
        fields.Append(QString::fromLatin1(field.name), field.type, field.size);
    if (display->Fields().Count() > 0 && display->Open()) {
        result->MoveFirst();
        outcome.counts = logic.buildRunDisplay(*result, *display, run);
        outcome.rows = arrangeDisplay(logic, run, *display);
        if (outcome.rows)
            outcome.marks = compareDisplay(logic, run, display);
        outcome.display = std::move(display);
    }
    outcome.result = results.front();
    outcome.results = std::move(results);
}

#include "ExecCommand.h"

#include "ExecManager.h"

#include "Command.h"
#include "Connection.h"
#include "ExecutionControl.h"

#include <QMetaObject>
#include <QScopeGuard>

#include <mutex>
#include <utility>

namespace {

const QString kSource = QStringLiteral("ExecCommand");

data::Error cancelledError()
{
    return data::Error{data::Error::Cancelled, QStringLiteral("Operation cancelled"), kSource, 0};
}

bool isOutput(int direction)
{
    return direction == data::adParamOutput || direction == data::adParamInputOutput
           || direction == data::adParamReturnValue;
}

} // namespace

/// One run: what it was started with, the switches that stop it and what it
/// returned. Shared by the object, the worker and the queued completion, so
/// whichever is last frees it; a stopped run's worker ends on its own.
struct ExecCommand::Run
{
    QString procedure;
    QString connectionString;
    QList<QPair<QString, data::Value>> parameters;
    int timeout = 0;
    Preparation preparation;

    // The cancel request is seen by the running statement, by the gaps between
    // the statements of the procedure and by a wait for a lock; the interrupt
    // covers what runs outside the procedure (the open, the preparation).
    data::ExecutionControl control;
    std::mutex mutex;                       // guards connection against stop()
    data::Connection *connection = nullptr; // while the worker has it open

    // Written by the worker before it posts the completion.
    data::ErrorPtr error;
    QList<data::Parameter> outputs;
    QList<data::RecordsetPtr> results;

    void stop()
    {
        control.cancel();
        std::lock_guard lock(mutex);
        if (connection)
            connection->Interrupt();
    }
};

ExecCommand::ExecCommand(const QString &name, ExecManager *manager)
    : QObject(manager), m_manager(manager), m_name(name)
{
}

ExecCommand::~ExecCommand()
{
    // Not through the manager: it may be the one destroying this object.
    stop();
}

void ExecCommand::SetParameter(const QString &name, const data::Value &value)
{
    for (auto &parameter : m_parameters) {
        if (parameter.first.compare(name, Qt::CaseInsensitive) == 0) {
            parameter.second = value;
            return;
        }
    }
    m_parameters.append({name, value});
}

data::Value ExecCommand::GetParameter(const QString &name) const
{
    for (const data::Parameter &parameter : m_outputs) {
        if (parameter.Name().compare(name, Qt::CaseInsensitive) == 0)
            return parameter.value();
    }
    return data::Value::null();
}

bool ExecCommand::ExecuteAsync()
{
    stop();
    m_outputs.clear();
    m_lastError = data::Error();
    if (m_manager->m_closing || m_manager->ConnectionString().trimmed().isEmpty()) {
        m_lastError = data::Error{data::Error::ObjectClosed,
                                  m_manager->m_closing
                                      ? QStringLiteral("The execution manager is closing")
                                      : QStringLiteral("There is no connection string for the "
                                                       "trading database"),
                                  kSource, 0};
        return false;
    }

    auto run = std::make_shared<Run>();
    run->procedure = m_name.trimmed();
    run->connectionString = m_manager->ConnectionString();
    run->parameters = m_parameters;
    run->timeout = m_timeout;
    run->preparation = m_preparation;
    m_run = run;

    // The completion goes through the manager rather than this object: the
    // manager outlives every worker (its destructor waits for them), while
    // this object may be released and deleted before its worker ends.
    ExecManager *manager = m_manager;
    QPointer<ExecCommand> self(this);
    m_manager->m_workers.start([run, manager, self] {
        execute(*run);
        QMetaObject::invokeMethod(
            manager, [run, self] {
                if (self)
                    self->finish(run);
            },
            Qt::QueuedConnection);
    });
    return true;
}

void ExecCommand::Cancel()
{
    if (!m_run)
        return;
    stop();
    m_lastError = cancelledError();
}

void ExecCommand::stop()
{
    if (const std::shared_ptr<Run> run = std::exchange(m_run, nullptr))
        run->stop();
}

void ExecCommand::finish(const std::shared_ptr<Run> &run)
{
    // A run that was stopped, or superseded by a newer one, is no longer
    // m_run: its result may already have been posted, but it is not delivered.
    if (run != m_run)
        return;
    m_run.reset();
    if (run->error) {
        m_lastError = *run->error;
        m_outputs.clear();
        Q_EMIT ExComplete({}, {});
        return;
    }
    m_lastError = data::Error();
    m_outputs = run->outputs;
    Q_EMIT ExComplete(run->outputs, run->results);
}

void ExecCommand::execute(Run &run)
{
    const auto fail = [&run](data::ErrorPtr error) {
        run.error = error ? std::move(error) : std::make_shared<const data::Error>(cancelledError());
    };
    if (run.control.isCancelled())
        return fail(nullptr);

    // Set up as a report's private connection: read only, client cursors.
    data::Connection connection;
    connection.setCommandTimeout(run.timeout);
    connection.setConnectionTimeout(600);
    connection.setMode(data::adModeRead);
    connection.setCursorLocation(data::adUseClient);
    if (!connection.Open(run.connectionString, QString(), QString(), -1))
        return fail(connection.lastError());
    {
        std::lock_guard lock(run.mutex);
        run.connection = &connection;
    }
    // Closed, and out of stop()'s reach, whatever the way out.
    const auto close = qScopeGuard([&] {
        std::lock_guard lock(run.mutex);
        run.connection = nullptr;
        connection.Close();
    });

    if (run.preparation) {
        if (data::ErrorPtr error = run.preparation(connection))
            return fail(std::move(error));
    }
    if (run.control.isCancelled())
        return fail(nullptr);

    data::Command command;
    command.setActiveConnection(&connection);
    command.setCommandType(data::adCmdStoredProc);
    command.setCommandText(run.procedure);
    command.setCommandTimeout(run.timeout);
    if (!command.Parameters().Refresh())
        return fail(command.lastError());
    for (const auto &[name, value] : std::as_const(run.parameters)) {
        if (data::Parameter *parameter = command.Parameters().Item(name))
            parameter->setValue(value);
    }

    // The time-out counts from here, as a command's does.
    run.control.setTimeout(run.timeout);
    data::RecordsetPtr next = command.Execute(run.control);
    if (command.lastError())
        return fail(command.lastError());

    // NextRecordset() closes the handle it is called on; a clone keeps its rows.
    while (next) {
        if (next->State() == data::adStateOpen) {
            data::RecordsetPtr kept = next->Clone();
            kept->setActiveConnection(nullptr);
            run.results.append(kept);
        }
        next = next->NextRecordset();
    }
    for (const data::Parameter &parameter : command.parameterList().items()) {
        if (isOutput(parameter.Direction()))
            run.outputs.append(parameter);
    }
}

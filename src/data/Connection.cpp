#include "Connection.h"

#include "Command.h"
#include "Driver.h"
#include "ExecutionControl.h"

#include <QMetaObject>
#include <QPointer>

#include <atomic>
#include <mutex>
#include <thread>

namespace data {

namespace {

const QString kSource = QStringLiteral("Connection");

bool isOutput(int direction)
{
    return direction == adParamOutput || direction == adParamInputOutput
           || direction == adParamReturnValue;
}

ErrorPtr closedError()
{
    return makeError(Error::ObjectClosed,
                     QStringLiteral("Operation is not allowed when the object is closed"), kSource);
}

ErrorPtr executingError()
{
    return makeError(Error::StillExecuting,
                     QStringLiteral("Operation is not allowed while an asynchronous command is executing"),
                     kSource);
}

} // namespace

/// One asynchronous command: shared by the connection, its worker thread and
/// the queued completion, so whichever ends last frees it.
class Connection::AsyncRun final
{
public:
    ExecuteRequest request;
    QPointer<Command> command;
    ExecutionControl control;
    std::thread thread;
    ExecuteResult result;            // written by the worker before it posts the completion

    std::mutex workerMutex;          // guards worker against Cancel from the owning thread
    Driver *worker = nullptr;        // the worker's open driver, while it runs a statement
    std::atomic<bool> dropped{false};   // the connection is going away: deliver nothing

    void interrupt()
    {
        control.cancel();
        std::lock_guard lock(workerMutex);
        if (worker)
            worker->interrupt();
    }
    void join()
    {
        if (thread.joinable())
            thread.join();
    }
};

Connection::Connection(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<data::ErrorPtr>();
    qRegisterMetaType<data::RecordsetPtr>();
}

Connection::~Connection()
{
    if (m_running) {
        // The completion may already be queued; the flag and the removal of
        // this object's posted events both keep it from running.
        m_running->dropped = true;
        m_running->interrupt();
        m_running->join();
        m_running.reset();
    }
}

bool Connection::Open(const QString &connectionString, const QString &, const QString &, long)
{
    m_lastError.reset();
    if (m_driver) {
        setError(makeError(Error::ObjectOpen,
                           QStringLiteral("Operation is not allowed when the object is open"), kSource));
        return false;
    }
    if (!connectionString.isEmpty())
        m_connectionString = connectionString;
    ErrorPtr error;
    std::unique_ptr<Driver> driver = Driver::create(m_connectionString, &error);
    if (!driver || !driver->open(m_mode, &error)) {
        setError(error);
        return false;
    }
    m_driver = std::move(driver);
    return true;
}

bool Connection::Close()
{
    m_lastError.reset();
    if (!m_driver) {
        setError(closedError());
        return false;
    }
    if (m_running) {
        if (!m_running->control.isCancelled()) {
            setError(executingError());
            return false;
        }
        // Cancelled: the interrupted statement stops within milliseconds. Its
        // completion stays queued and is still delivered.
        m_running->join();
        m_running.reset();
    }
    m_driver->close();
    m_driver.reset();
    return true;
}

void Connection::Cancel()
{
    if (m_running)
        m_running->interrupt();
}

void Connection::Interrupt()
{
    if (m_driver)
        m_driver->interrupt();
}

int Connection::State() const
{
    if (!m_driver)
        return adStateClosed;
    return m_running ? (adStateOpen | adStateExecuting) : adStateOpen;
}

bool Connection::isStale() const
{
    return m_driver && m_driver->isStale();
}

RecordsetPtr Connection::Execute(const QString &sql, long *recordsAffected, int options)
{
    m_lastError.reset();
    if (recordsAffected)
        *recordsAffected = 0;
    ExecuteRequest request;
    request.text = sql;
    request.commandType = adCmdText;
    if (options != adOptionUnspecified && (options & adAsyncExecute)) {
        startAsync(request, nullptr, m_commandTimeout);
        return nullptr;
    }
    if (!m_driver) {
        setError(closedError());
        return nullptr;
    }
    ExecutionControl control(m_commandTimeout);
    ExecuteResult result = m_driver->execute(request, control);
    if (recordsAffected)
        *recordsAffected = result.recordsAffected;
    setError(result.error);
    return deliver(result, nullptr);
}

RecordsetPtr Connection::runSync(Command *cmd, long *recordsAffected)
{
    ExecutionControl control(cmd->CommandTimeout());
    return runSync(cmd, recordsAffected, control);
}

RecordsetPtr Connection::runSync(Command *cmd, long *recordsAffected, ExecutionControl &control)
{
    m_lastError.reset();
    if (!m_driver) {
        cmd->m_lastError = closedError();
        return nullptr;
    }
    ExecuteRequest request;
    request.text = cmd->CommandText();
    request.commandType = cmd->CommandType();
    request.parameters = cmd->parameterList().items();
    ExecuteResult result = m_driver->execute(request, control);
    if (recordsAffected)
        *recordsAffected = result.recordsAffected;
    cmd->m_lastError = result.error;
    return deliver(result, cmd);
}

bool Connection::startAsync(Command *cmd)
{
    ExecuteRequest request;
    request.text = cmd->CommandText();
    request.commandType = cmd->CommandType();
    request.parameters = cmd->parameterList().items();
    return startAsync(request, cmd, cmd->CommandTimeout());
}

bool Connection::startAsync(const ExecuteRequest &request, Command *cmd, int timeoutSeconds)
{
    m_lastError.reset();
    if (!m_driver) {
        setError(closedError());
        return false;
    }
    if (m_running) {
        setError(executingError());
        return false;
    }
    auto run = std::make_shared<AsyncRun>();
    run->request = request;
    run->command = cmd;
    run->control.setTimeout(timeoutSeconds);

    // The worker opens a handle of its own: a sqlite3 handle (or a server
    // session) must not be shared with the synchronous work of this thread.
    std::shared_ptr<Driver> worker = m_driver->cloneClosed();
    const int mode = m_driver->mode();
    run->thread = std::thread([this, run, worker, mode] {
        ExecuteResult result;
        ErrorPtr openError;
        if (!run->control.isCancelled() && worker->open(mode, &openError, &run->control)) {
            {
                std::lock_guard lock(run->workerMutex);
                run->worker = worker.get();
            }
            result = worker->execute(run->request, run->control);
            {
                std::lock_guard lock(run->workerMutex);
                run->worker = nullptr;
            }
            worker->close();
        } else {
            result.parameters = run->request.parameters;
            result.error = run->control.isCancelled()
                               ? makeError(Error::Cancelled, QStringLiteral("Operation cancelled"),
                                           kSource)
                               : openError;
        }
        run->result = std::move(result);
        // Posted to this object: delivered on its thread, and discarded with
        // the object's other posted events if it is destroyed first (its
        // destructor joins this thread, so it is still alive here).
        QMetaObject::invokeMethod(
            this, [this, run] { finishAsync(run); }, Qt::QueuedConnection);
    });
    m_running = run;
    return true;
}

void Connection::finishAsync(const std::shared_ptr<AsyncRun> &run)
{
    if (run->dropped)
        return;
    run->join();
    if (m_running == run)
        m_running.reset();

    ExecuteResult &result = run->result;
    int status = adStatusOK;
    if (result.error)
        status = result.error->Number == Error::Cancelled ? adStatusCancel : adStatusErrorsOccurred;
    Command *cmd = run->command.data();
    if (cmd)
        cmd->m_lastError = result.error;
    RecordsetPtr first = deliver(result, cmd);
    Q_EMIT ExecuteComplete(result.recordsAffected, result.error, status, cmd, first, this);
}

RecordsetPtr Connection::deliver(ExecuteResult &result, Command *cmd)
{
    if (result.error) {
        result.results.clear();
        return nullptr;
    }
    if (cmd) {
        for (int i = 0; i < cmd->m_params.Count(); ++i) {
            Parameter *p = cmd->m_params.Item(i);
            if (!isOutput(p->Direction()))
                continue;
            for (const Parameter &returned : std::as_const(result.parameters)) {
                if (returned.Name().compare(p->Name(), Qt::CaseInsensitive) == 0) {
                    p->setValue(returned.value());
                    break;
                }
            }
        }
    }
    if (result.results.empty())
        return nullptr;
    for (const RecordsetPtr &rs : result.results)
        rs->setActiveConnection(this);
    RecordsetPtr first = result.results.front();
    first->setFollowingResults(
        std::vector<RecordsetPtr>(result.results.begin() + 1, result.results.end()));
    result.results.clear();
    return first;
}

} // namespace data

#include "Command.h"

#include "Connection.h"
#include "Driver.h"
#include "ExecutionControl.h"

namespace data {

Command::Command(QObject *parent) : QObject(parent)
{
}

Command::~Command() = default;

bool Command::Parameters_::Refresh()
{
    Command *cmd = m_cmd;
    cmd->m_lastError.reset();
    if (!cmd->m_connection || !cmd->m_connection->driver()) {
        cmd->m_lastError = makeError(Error::ObjectClosed,
                                     QStringLiteral("Parameters.Refresh needs an open connection"),
                                     QStringLiteral("Command"));
        return false;
    }
    if (cmd->m_type != adCmdStoredProc) {
        cmd->m_lastError = makeError(Error::InvalidArgument,
                                     QStringLiteral("Parameters.Refresh reads the parameters of a "
                                                    "stored procedure; the command is not one"),
                                     QStringLiteral("Command"));
        return false;
    }
    QList<Parameter> parameters;
    ErrorPtr error;
    if (!cmd->m_connection->driver()->procedureParameters(cmd->m_text.trimmed(), &parameters, &error)) {
        cmd->m_lastError = error;
        return false;
    }
    cmd->m_params.m_items = parameters;
    return true;
}

bool Command::readyToExecute(long *recordsAffected)
{
    m_lastError.reset();
    if (recordsAffected)
        *recordsAffected = 0;
    if (!m_connection) {
        m_lastError = makeError(Error::ObjectClosed,
                                QStringLiteral("The command has no active connection"),
                                QStringLiteral("Command"));
        return false;
    }
    return true;
}

RecordsetPtr Command::Execute(long *recordsAffected, int options)
{
    if (!readyToExecute(recordsAffected))
        return nullptr;
    // -1 (unspecified) has every bit set, so it must not count as asynchronous.
    if (options != adOptionUnspecified && (options & adAsyncExecute)) {
        if (!m_connection->startAsync(this))
            m_lastError = m_connection->lastError();
        return nullptr;
    }
    return m_connection->runSync(this, recordsAffected);
}

RecordsetPtr Command::Execute(ExecutionControl &control, long *recordsAffected)
{
    if (!readyToExecute(recordsAffected))
        return nullptr;
    return m_connection->runSync(this, recordsAffected, control);
}

} // namespace data

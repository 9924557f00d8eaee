#include "ProcedureCall.h"

#include "SessionContext.h"

ProcedureCall::ProcedureCall(const QString &procedure) : m_procedure(procedure)
{
}

bool ProcedureCall::open()
{
    if (m_error)
        return false;
    if (m_open)
        return true;
    if (!m_connection.Open(SessionContext::instance().ConnectionString())) {
        m_error = m_connection.lastError();
        return false;
    }
    m_command.setActiveConnection(&m_connection);
    m_command.setCommandType(data::adCmdStoredProc);
    m_command.setCommandText(m_procedure);
    if (!m_command.Parameters().Refresh()) {
        m_error = m_command.lastError();
        return false;
    }
    m_open = true;
    return true;
}

bool ProcedureCall::set(const QString &name, const data::Value &value)
{
    if (!open())
        return false;
    data::Parameter *parameter = m_command.Parameters().Item(name);
    if (!parameter) {
        m_error = data::makeError(data::Error::ItemNotFound,
                                  m_procedure + QStringLiteral(" has no parameter ") + name,
                                  QStringLiteral("ProcedureCall"));
        return false;
    }
    parameter->setValue(value);
    return true;
}

data::RecordsetPtr ProcedureCall::execute()
{
    if (!open())
        return nullptr;
    data::RecordsetPtr rs = m_command.Execute();
    if (m_command.lastError()) {
        m_error = m_command.lastError();
        return nullptr;
    }
    // Rows are read only from an open result; a statement list that ends
    // without returning columns leaves the caller's result empty.
    if (rs && rs->State() != data::adStateOpen)
        return nullptr;
    return rs;
}

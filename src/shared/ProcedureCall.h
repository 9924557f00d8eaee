#pragma once

#include "Command.h"
#include "Connection.h"
#include "Error.h"
#include "Recordset.h"
#include "Value.h"

#include <QString>

/// One stored-procedure call of the shared lookups on a connection of its
/// own, opened with the connection string of the session (SessionContext):
/// command type 4, parameters refreshed from the database's catalog and set by
/// name, values always bound.
///
/// Use: open(), then set() each parameter, then execute() as often as needed
/// (parameters keep their values between executions). Every step returns
/// false (or null) after a failure and leaves the error in lastError(); a step
/// after a failure does nothing and fails too, so a caller may check once.
class ProcedureCall final
{
public:
    explicit ProcedureCall(const QString &procedure);

    /// Opens the connection and reads the procedure's parameters.
    bool open();
    /// Sets the parameter name ("@CcyName"); fails when the procedure has none of that name.
    bool set(const QString &name, const data::Value &value);
    /// Runs the procedure; returns its first result set, or null when it
    /// returned none or failed (failed() tells which).
    data::RecordsetPtr execute();

    bool failed() const { return m_error != nullptr; }
    data::ErrorPtr lastError() const { return m_error; }

private:
    QString m_procedure;
    data::Connection m_connection;
    data::Command m_command;
    data::ErrorPtr m_error;
    bool m_open = false;
};

#pragma once

#include "DataTypes.h"
#include "Error.h"
#include "Parameter.h"
#include "Recordset.h"

#include <QObject>
#include <QPointer>

namespace data {

class Connection;
class ExecutionControl;

/// A statement or stored-procedure call on a Connection.
///
/// Typical use for a report query:
///     cmd.setActiveConnection(&conn);
///     cmd.setCommandType(adCmdStoredProc);
///     cmd.setCommandText("cnt_OpenPosition");
///     cmd.Parameters().Refresh();                      // from the procedure catalog
///     cmd.Parameters().Item("@UserName")->setValue(user);
///     cmd.Execute(nullptr, adAsyncExecute);            // result in Connection::ExecuteComplete
///
/// Output parameters hold their returned values after a synchronous Execute,
/// or when ExecuteComplete of an asynchronous one arrives.
class Command final : public QObject
{
    Q_OBJECT
public:
    explicit Command(QObject *parent = nullptr);
    ~Command() override;

    Connection *ActiveConnection() const { return m_connection; }
    void setActiveConnection(Connection *connection) { m_connection = connection; }
    QString CommandText() const { return m_text; }
    void setCommandText(const QString &text) { m_text = text; }
    int CommandType() const { return m_type; }
    void setCommandType(int type) { m_type = type; }
    /// Seconds; 0 waits for ever.
    int CommandTimeout() const { return m_timeout; }
    void setCommandTimeout(int seconds) { m_timeout = seconds; }

    /// Parameters().Refresh() reads the procedure's parameter list from the
    /// database; false (lastError()) when there is no connection or no such procedure.
    class Parameters_ final
    {
    public:
        bool Refresh();
        int Count() const { return m_cmd->m_params.Count(); }
        Parameter *Item(int index) { return m_cmd->m_params.Item(index); }
        Parameter *Item(const QString &name) { return m_cmd->m_params.Item(name); }
        void Append(const Parameter &p) { m_cmd->m_params.Append(p); }
        ParameterCollection &collection() { return m_cmd->m_params; }

    private:
        friend class Command;
        explicit Parameters_(Command *cmd) : m_cmd(cmd) {}
        Command *m_cmd;
    };
    Parameters_ Parameters() { return Parameters_(this); }
    const ParameterCollection &parameterList() const { return m_params; }
    void setParameterList(const ParameterCollection &params) { m_params = params; }

    /// Runs the command. With options adAsyncExecute (16) it returns null at
    /// once and the outcome arrives as the connection's ExecuteComplete, on the
    /// connection's thread. Otherwise (-1) it runs to the end and returns the
    /// first result set (null on failure, lastError() set); *recordsAffected
    /// receives the rows changed by the statements.
    RecordsetPtr Execute(long *recordsAffected = nullptr, int options = adOptionUnspecified);
    /// Runs the command synchronously, as Execute() does, but under the
    /// caller's control instead of one of its own: a worker that runs the
    /// command on a connection it owns can be stopped from another thread
    /// through control.cancel(), which ends a running statement, the gap
    /// between two statements of a procedure and a wait for a lock alike
    /// (Connection::Interrupt() alone misses the last two). The time-out is
    /// control's deadline; CommandTimeout() is not applied.
    RecordsetPtr Execute(ExecutionControl &control, long *recordsAffected = nullptr);

    ErrorPtr lastError() const { return m_lastError; }

private:
    friend class Connection;
    /// Clears the last error and *recordsAffected; false (ObjectClosed) without a connection.
    bool readyToExecute(long *recordsAffected);

    QPointer<Connection> m_connection;
    QString m_text;
    int m_type = adCmdText;
    int m_timeout = 30;
    ParameterCollection m_params;
    ErrorPtr m_lastError;
};

} // namespace data

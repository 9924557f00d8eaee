#pragma once

#include "DataTypes.h"
#include "Error.h"
#include "Parameter.h"
#include "Recordset.h"

#include <QList>
#include <QString>

#include <memory>
#include <vector>

namespace data {

class ExecutionControl;

/// What a Command or Connection asks a driver to run.
struct ExecuteRequest
{
    QString text;                   ///< SQL text, or the procedure name for adCmdStoredProc
    int commandType = adCmdText;
    QList<Parameter> parameters;    ///< bound by name; output parameters receive their values
};

/// The outcome of one run. On failure error is set and results may be empty.
struct ExecuteResult
{
    std::vector<RecordsetPtr> results;  ///< one per statement that returned columns, in order
    long recordsAffected = 0;           ///< rows inserted, changed or deleted by the statements
    QList<Parameter> parameters;        ///< the request's parameters, output values filled in
    ErrorPtr error;
};

/// One database back end behind Connection and Command.
///
/// A driver object owns at most one native handle. Connection keeps one for
/// synchronous work on its own thread; an asynchronous run takes a closed
/// copy (cloneClosed()) and opens it on its worker thread, so the two never
/// share a handle. Apart from interrupt(), a driver object is used by one
/// thread at a time.
///
/// Errors are values: nothing throws; failures come back as Error objects
/// with the driver's own message and native code.
class Driver
{
public:
    virtual ~Driver() = default;

    /// Chooses the driver named by the connection string's Provider and reads
    /// its settings. Returns null and sets *error on a malformed string or an
    /// unknown provider.
    static std::unique_ptr<Driver> create(const QString &connectionString, ErrorPtr *error);

    /// The Provider value this driver answers to, e.g. "SQLite".
    virtual QString providerName() const = 0;

    /// Opens the database. mode adModeRead (1) opens it read only. A control,
    /// when given, can cancel a wait for a locked file during the open.
    virtual bool open(int mode, ErrorPtr *error, const ExecutionControl *control = nullptr) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    /// The mode the driver was opened with.
    virtual int mode() const = 0;
    /// Whether the open handle no longer reaches the database its settings
    /// name (the database was removed or replaced since the open), so that a
    /// handle kept open for reuse is opened again instead.
    virtual bool isStale() const { return false; }

    /// A new, closed driver with the same settings, for another thread.
    virtual std::unique_ptr<Driver> cloneClosed() const = 0;

    /// Runs a request to its end on the calling thread. control carries the
    /// cancel request and the deadline; the driver polls it while statements run.
    virtual ExecuteResult execute(const ExecuteRequest &request, ExecutionControl &control) = 0;

    /// Stops the statement running on this driver's handle as soon as possible.
    /// Safe to call from any thread while the handle is open.
    virtual void interrupt() = 0;

    /// The declared parameters of a stored procedure, in order, with null values.
    /// Fails with NoSuchProcedure when the catalog does not know it.
    virtual bool procedureParameters(const QString &procedure, QList<Parameter> *parameters,
                                     ErrorPtr *error) = 0;
};

} // namespace data

#pragma once

#include <QMetaType>
#include <QString>

#include <memory>

namespace data {

/// The first error of a failed operation: Number and Description as the
/// reports show them to the user.
struct Error
{
    /// Error numbers, as signed 32-bit values.
    enum Code : int {
        Unspecified = int(0x80004005),        ///< E_FAIL: the database refused (locked, busy, missing file)
        ErrorsInCommand = int(0x80040E14),    ///< an SQL error in the statement or procedure
        Cancelled = int(0x80040E4E),          ///< the operation was cancelled
        Timeout = int(0x80040E31),            ///< the command timed out
        NoSuchProcedure = int(0x80040E10),    ///< unknown stored procedure
        ReadOnly = int(0x80040E09),           ///< a write through a read-only connection
        ItemNotFound = 3265,                  ///< no field or parameter of that name
        NoCurrentRecord = 3021,               ///< BOF or EOF is true
        InvalidArgument = 3001,               ///< e.g. malformed filter criteria
        ObjectClosed = 3704,                  ///< operation on a closed object
        ObjectOpen = 3705,                    ///< operation on an object that is already open
        StillExecuting = 3711,                ///< operation not allowed while executing
        TypeMismatch = int(0x80020005),       ///< a value that does not fit the field
    };

    int Number = 0;
    QString Description;
    QString Source;         ///< what raised it: "SQLite", "Recordset", "Criteria" ...
    int NativeError = 0;    ///< the driver's own code (sqlite3 extended result code)
};

/// Null when there was no error, as the event argument `pError`.
using ErrorPtr = std::shared_ptr<const Error>;

inline ErrorPtr makeError(int number, const QString &description, const QString &source = {},
                          int nativeError = 0)
{
    return std::make_shared<const Error>(Error{number, description, source, nativeError});
}

} // namespace data

Q_DECLARE_METATYPE(data::ErrorPtr)

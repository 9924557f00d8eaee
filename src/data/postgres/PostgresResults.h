#pragma once

#include "Error.h"
#include "ProcedureCatalog.h"
#include "Recordset.h"

#include <QString>

#include <memory>

struct pg_conn;
struct pg_result;

namespace data {

/// What the PostgreSQL driver's parts share about the server's results:
/// their errors and their rows.
namespace PostgresResults {

/// The Source of the driver's errors.
inline const QString Source = QStringLiteral("PostgreSQL");

/// The SQLSTATE's five characters as a number (base 36), for NativeError.
int sqlstateCode(const char *state);

/// The server's message of a failed result (or the connection's, without
/// one), with its SQLSTATE in the text and as the native code.
ErrorPtr serverError(const pg_result *result, pg_conn *conn);

struct ResultDeleter
{
    void operator()(pg_result *r) const;
};
using Result = std::unique_ptr<pg_result, ResultDeleter>;

/// The rows of a result as a recordset of its columns. Without declared
/// columns each value goes straight from libpq's buffer into its column,
/// typed by the column's type. A column named in declared (compared without
/// regard to case) takes the declared spelling and type, converted from the
/// value's storage class as on SQLite. False and *error when a column's type
/// or a value cannot be read.
bool readRows(const pg_result *result, const QList<ProcedureColumn> *declared, RecordsetPtr *out,
              ErrorPtr *error);

} // namespace PostgresResults

} // namespace data

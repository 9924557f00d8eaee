#pragma once

#include "ProcedureCatalog.h"
#include "Recordset.h"

#include <QList>

struct sqlite3_stmt;

namespace data {

/// Reads a prepared, bound statement to its end into a new Recordset.
///
/// Each field's type comes, in this order, from the procedure's declared
/// result column of the same name, from the column's declared type in its
/// table (see SqliteValues::typeFromDeclaration), or from the storage class
/// of the column's first non-null value (rows are held back until every such
/// column has shown one; a column that is null throughout becomes VarWChar).
/// Field names are the column names; a repeated name gets a suffix "_2",
/// "_3"... so that every field stays reachable by name.
class SqliteResultBuilder final
{
public:
    /// declared: the declared columns of this result set, or null.
    SqliteResultBuilder(sqlite3_stmt *stmt, const QList<ProcedureColumn> *declared);

    /// Steps the statement to its end. Returns SQLITE_DONE and sets *result on
    /// success, or the failing step's result code (*result untouched).
    int build(RecordsetPtr *result);

private:
    RecordsetPtr createRecordset() const;

    sqlite3_stmt *m_stmt;
    const QList<ProcedureColumn> *m_declared;
    QStringList m_names;
    QList<DataType> m_types;
    QList<bool> m_resolved;
};

} // namespace data

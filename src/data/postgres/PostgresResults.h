#pragma once

#include "Error.h"
#include "ProcedureCatalog.h"
#include "Recordset.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

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
/// one), with its SQLSTATE in the text and as the native code. A write
/// refused by a read-only session (25006) is Error::ReadOnly, as on SQLite.
ErrorPtr serverError(const pg_result *result, pg_conn *conn);

struct ResultDeleter
{
    void operator()(pg_result *r) const;
};
using Result = std::unique_ptr<pg_result, ResultDeleter>;

/// A result set read into a recordset as the server sends it, one row at a
/// time (libpq's single-row mode), so that the rows are never held twice:
/// each value goes straight from libpq's buffer into its column, typed by the
/// column's type. A column named in declared (compared without regard to
/// case) takes the declared spelling and type, converted from the value's
/// storage class as on SQLite.
class RecordsetReader final
{
public:
    RecordsetReader();
    ~RecordsetReader();

    /// Starts a recordset with the columns of description (any piece of the
    /// result set). False and *error when a column's type cannot be read.
    bool start(const pg_result *description, const QList<ProcedureColumn> *declared, ErrorPtr *error);
    /// Appends the rows of one piece: one row in single-row mode, none in the
    /// piece that ends the result set. False and *error for a value it cannot read.
    bool append(const pg_result *piece, ErrorPtr *error);
    /// The recordset of the rows appended; the reader can start again.
    RecordsetPtr finish();

private:
    RecordsetPtr m_recordset;
    std::unique_ptr<RecordsetLoader> m_loader;
    std::vector<unsigned> m_oids;
    std::vector<std::optional<DataType>> m_declaredTypes;
};

/// What a statement does with the result sets that return rows, told piece
/// by piece as they arrive: begin with the first piece, rows for every piece
/// (the first and the last included), end after the last.
class ResultSetSink
{
public:
    virtual ~ResultSetSink() = default;
    virtual bool begin(const pg_result *description, ErrorPtr *error) = 0;
    virtual bool rows(const pg_result *piece, ErrorPtr *error) = 0;
    virtual bool end(ErrorPtr *error) = 0;
};

/// Result sets kept as recordsets, in the order they come; declared gives the
/// declared columns of the n-th (nullptr: none).
class RecordsetSink final : public ResultSetSink
{
public:
    using Declared = std::function<const QList<ProcedureColumn> *(std::size_t index)>;

    explicit RecordsetSink(std::vector<RecordsetPtr> &out, Declared declared = {})
        : m_out(out), m_declared(std::move(declared))
    {
    }
    bool begin(const pg_result *description, ErrorPtr *error) override;
    bool rows(const pg_result *piece, ErrorPtr *error) override { return m_reader.append(piece, error); }
    bool end(ErrorPtr *error) override;

private:
    std::vector<RecordsetPtr> &m_out;
    Declared m_declared;
    RecordsetReader m_reader;
    std::size_t m_count = 0;
};

} // namespace PostgresResults

} // namespace data

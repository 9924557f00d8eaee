#pragma once

#include "DataTypes.h"
#include "Value.h"
#include "sqlite/SqliteValues.h"

#include <QByteArray>

#include <optional>

namespace data {

class RecordsetLoader;

/// The PostgreSQL types the driver reads, by their type OIDs, and how their
/// binary form becomes recordset values.
///
/// Whole numbers, floating point, booleans, text of every kind, dates and
/// timestamps (without time zone: the civil time the deal tables keep) and
/// numeric are read. A numeric column reads as Currency: exact for values
/// of up to four decimals, the money columns' scale, and rounded to the
/// nearest ten-thousandth beyond. Money in the trading tables is bigint
/// ten-thousandths, read as BigInt here and as Currency where a procedure
/// declares it so.
namespace PostgresValues {

/// The field type for a column of type OID; nothing for a type the driver
/// does not read.
std::optional<DataType> typeOf(unsigned oid);

/// Loads the binary value of a column of type OID into field of the row
/// being loaded; a null pointer is a null value. False when the bytes are not
/// that type's binary form.
bool load(RecordsetLoader &loader, int field, unsigned oid, const char *bytes, int length);

/// The value as a cell of the storage class SQLite would have given it
/// (whole number, floating point, text or null), so that a procedure's
/// declared columns convert exactly as they do on SQLite: booleans and whole
/// numbers are INTEGER, numeric is INTEGER when it is whole and fits, else
/// FLOAT; dates and timestamps are ISO text. False for a type the driver does
/// not read or bytes that are not its binary form.
bool readCell(unsigned oid, const char *bytes, int length, SqliteValues::Cell *cell);

/// The type OID a procedure parameter of that field type is sent as: whole
/// numbers, booleans and Currency as bigint (money in ten-thousandths, as the
/// trading tables keep it), Double as double precision, every other type as
/// text (dates in the tables' ISO text form).
unsigned parameterType(DataType type);

/// A parameter's value in PostgreSQL's text form, for the server to read as
/// the type it infers; null for a null value. Currency goes as its whole
/// ten-thousandths (the trading tables' money), booleans as 1 or 0.
std::optional<QByteArray> parameterText(const Value &value);

} // namespace PostgresValues

} // namespace data

#pragma once

#include "DataTypes.h"
#include "Value.h"

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

/// A parameter's value in PostgreSQL's text form, for the server to read as
/// the type it infers; null for a null value. Currency goes as its whole
/// ten-thousandths (the trading tables' money), booleans as 1 or 0.
std::optional<QByteArray> parameterText(const Value &value);

} // namespace PostgresValues

} // namespace data

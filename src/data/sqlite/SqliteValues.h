#pragma once

#include "DataTypes.h"
#include "Value.h"

#include <QString>

#include <optional>

struct sqlite3_stmt;

namespace data {

class RecordsetLoader;

/// How values cross between SQLite's storage classes and DataType fields.
///
/// The database conventions: money (Currency) is stored as INTEGER
/// ten-thousandths; a REAL in a Currency column (e.g. raw * rate) is rounded
/// half away from zero to whole ten-thousandths, a TEXT is read as a decimal
/// amount. Dates are TEXT, "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS"; an INTEGER
/// date is read as seconds since 1970, a REAL one as a julian day number.
/// Booleans are INTEGER 0/1. Rates are REAL.
namespace SqliteValues {

/// One column value of the current row, read once by storage class.
struct Cell
{
    int storage = 5;   ///< SQLITE_INTEGER 1, SQLITE_FLOAT 2, SQLITE_TEXT 3, SQLITE_BLOB 4, SQLITE_NULL 5
    qint64 i = 0;
    double d = 0;
    QString text;      ///< TEXT and BLOB as UTF-8 text
};

Cell readCell(sqlite3_stmt *stmt, int column);

/// The field type for a declared column type ("INTEGER", "VARCHAR(50)",
/// "MONEY" ...), or nothing when the declaration says nothing usable.
std::optional<DataType> typeFromDeclaration(const char *declaredType);
/// The field type for a value of that storage class.
DataType typeFromStorage(int storage);

/// The cell as a value of the given field type; a value that does not fit
/// (a text that is no number in a numeric field) becomes a null of that type.
Value toValue(const Cell &cell, DataType type);

/// Loads the cell into field of the loader's current row, converted as toValue()
/// does, without building a Value for the common storage/type pairs.
void load(RecordsetLoader &loader, int field, DataType type, const Cell &cell);

/// Binds a value to the statement's parameter index (1-based): null as NULL,
/// booleans 0/1, Currency as its raw ten-thousandths, Date as ISO text.
/// Returns the sqlite3 result code.
int bind(sqlite3_stmt *stmt, int index, const Value &value);

/// Rounds half away from zero; nothing for NaN, infinities and values
/// outside the 64-bit range.
std::optional<qint64> roundToInt64(double value);

} // namespace SqliteValues
} // namespace data

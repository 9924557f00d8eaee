#pragma once

#include "Recordset.h"

#include <QString>
#include <QVariant>

/// Reads a display recordset's fields into the values the grid's unbound
/// cells take (FitchData of every report).
namespace FieldReader {

/// How GetFieldValue returns a value.
enum Mode {
    Raw = 0,          ///< the value as it is
    RateFormat = 1,   ///< formatted text, SessionContext::RateFormat()
    ValueFormat = 2,  ///< formatted text, SessionContext::ValueFormat()
};

/// The value of field in the current record of rs.
/// - A null value gives 0 (a 16-bit integer) when nullAsZero, else the text "<<Error>>".
/// - Mode 0 gives the value: numbers and texts as standard QVariant types,
///   money as data::Currency and dates as data::DateTime (exact, as the grid takes them).
/// - Modes 1 and 2 give the text formatted with the rate or value format;
///   a value that is not a number comes back as its text.
/// - Any other mode, an unknown field or no current record give an empty QVariant.
QVariant GetFieldValue(data::Recordset &rs, const QString &field, int mode, bool nullAsZero);

/// A field value as the grid's cells take it (the mode 0 result for a non-null value).
QVariant cellValue(const data::Value &value);

} // namespace FieldReader

#pragma once

#include <QString>

namespace data {
class Recordset;
}

/// The rows of a recordset as CSV: a header line of field names, then every
/// row from the first to the last in the recordset's order (its filter
/// applies), raw values as data::Value::toString() gives them (C-locale
/// numbers, currency without trailing zeros, "True"/"False", US dates, null
/// as an empty field). Fields holding a comma, a quote or a line break are
/// quoted, quotes doubled. Lines end with "\n". Leaves the recordset's cursor
/// at its end.
namespace RecordsetCsv {

QString write(data::Recordset &recordset);
QString quoted(const QString &text);

} // namespace RecordsetCsv

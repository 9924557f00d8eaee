#include "SqliteValues.h"

#include "Recordset.h"

#include <sqlite3.h>

#include <cmath>

namespace data::SqliteValues {

namespace {

// Seconds between the julian day epoch and 1970-01-01 00:00:00.
constexpr double kUnixEpochJulianDay = 2440587.5;

std::optional<qint64> integerFromText(const QString &text)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    if (ok)
        return v;
    const double d = text.trimmed().toDouble(&ok);
    if (ok)
        return roundToInt64(d);
    return std::nullopt;
}

std::optional<qint64> dateSecsFromCell(const Cell &cell)
{
    switch (cell.storage) {
    case SQLITE_TEXT: {
        const auto dt = DateTime::fromIsoString(cell.text.trimmed());
        if (dt)
            return dt->secs();
        return std::nullopt;
    }
    case SQLITE_INTEGER:
        return cell.i;
    case SQLITE_FLOAT:
        return roundToInt64((cell.d - kUnixEpochJulianDay) * 86400.0);
    default:
        return std::nullopt;
    }
}

QString textOf(const Cell &cell)
{
    switch (cell.storage) {
    case SQLITE_INTEGER:
        return QString::number(cell.i);
    case SQLITE_FLOAT:
        return QString::number(cell.d, 'g', 15);
    default:
        return cell.text;
    }
}

} // namespace

std::optional<qint64> roundToInt64(double value)
{
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    if (!std::isfinite(value) || value >= 9223372036854775808.0 || value < -9223372036854775808.0)
        return std::nullopt;
    return qint64(std::round(value));
}

Cell readCell(sqlite3_stmt *stmt, int column)
{
    Cell cell;
    cell.storage = sqlite3_column_type(stmt, column);
    switch (cell.storage) {
    case SQLITE_INTEGER:
        cell.i = sqlite3_column_int64(stmt, column);
        break;
    case SQLITE_FLOAT:
        cell.d = sqlite3_column_double(stmt, column);
        break;
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        const auto *bytes = static_cast<const char *>(
            cell.storage == SQLITE_TEXT
                ? static_cast<const void *>(sqlite3_column_text(stmt, column))
                : sqlite3_column_blob(stmt, column));
        cell.text = QString::fromUtf8(bytes, sqlite3_column_bytes(stmt, column));
        break;
    }
    default:
        cell.storage = SQLITE_NULL;
        break;
    }
    return cell;
}

std::optional<DataType> typeFromDeclaration(const char *declaredType)
{
    if (!declaredType || !*declaredType)
        return std::nullopt;
    // "VARCHAR(50)", "double precision", "NVARCHAR (100)": the first word decides.
    QString word = QString::fromUtf8(declaredType).trimmed().toUpper();
    qsizetype end = 0;
    while (end < word.size() && (word[end].isLetterOrNumber() || word[end] == u'_'))
        ++end;
    word.truncate(end);

    if (word == u"INTEGER" || word == u"BIGINT")
        return DataType::BigInt;
    if (word == u"INT" || word == u"INT32")
        return DataType::Integer;
    if (word == u"SMALLINT" || word == u"TINYINT")
        return DataType::SmallInt;
    if (word == u"BOOLEAN" || word == u"BOOL" || word == u"BIT")
        return DataType::Boolean;
    if (word == u"REAL" || word == u"DOUBLE" || word == u"FLOAT" || word == u"NUMERIC"
        || word == u"DECIMAL")
        return DataType::Double;
    if (word == u"MONEY" || word == u"CURRENCY")
        return DataType::Currency;
    if (word == u"DATE" || word == u"DATETIME" || word == u"TIMESTAMP")
        return DataType::Date;
    if (word == u"TEXT" || word == u"VARCHAR" || word == u"NVARCHAR" || word == u"CHAR"
        || word == u"NCHAR" || word == u"CLOB" || word == u"STRING")
        return DataType::VarWChar;
    return std::nullopt;
}

DataType typeFromStorage(int storage)
{
    switch (storage) {
    case SQLITE_INTEGER:
        return DataType::BigInt;
    case SQLITE_FLOAT:
        return DataType::Double;
    default:
        return DataType::VarWChar;
    }
}

Value toValue(const Cell &cell, DataType type)
{
    if (cell.storage == SQLITE_NULL)
        return Value::null(type);
    switch (type) {
    case DataType::SmallInt:
    case DataType::Integer:
    case DataType::BigInt: {
        std::optional<qint64> v;
        if (cell.storage == SQLITE_INTEGER)
            v = cell.i;
        else if (cell.storage == SQLITE_FLOAT)
            v = roundToInt64(cell.d);
        else
            v = integerFromText(cell.text);
        return v ? Value(*v, type) : Value::null(type);
    }
    case DataType::Boolean:
        if (cell.storage == SQLITE_INTEGER)
            return Value(cell.i != 0);
        if (cell.storage == SQLITE_FLOAT)
            return Value(cell.d != 0);
        return Value(cell.text).convertedTo(DataType::Boolean);
    case DataType::Double: {
        if (cell.storage == SQLITE_INTEGER)
            return Value(double(cell.i));
        if (cell.storage == SQLITE_FLOAT)
            return Value(cell.d);
        bool ok = false;
        const double d = cell.text.trimmed().toDouble(&ok);
        return ok ? Value(d) : Value::null(type);
    }
    case DataType::Currency: {
        if (cell.storage == SQLITE_INTEGER)
            return Value(Currency::fromRaw(cell.i));
        if (cell.storage == SQLITE_FLOAT) {
            const auto raw = roundToInt64(cell.d);
            return raw ? Value(Currency::fromRaw(*raw)) : Value::null(type);
        }
        const auto c = Currency::fromString(cell.text.trimmed());
        return c ? Value(*c) : Value::null(type);
    }
    case DataType::Date: {
        const auto secs = dateSecsFromCell(cell);
        return secs ? Value(DateTime::fromSecs(*secs)) : Value::null(type);
    }
    case DataType::BStr:
    case DataType::VarChar:
    case DataType::VarWChar:
        return Value(textOf(cell)).convertedTo(type);
    case DataType::Variant:
    case DataType::Empty:
        break;
    }
    if (cell.storage == SQLITE_INTEGER)
        return Value(cell.i);
    if (cell.storage == SQLITE_FLOAT)
        return Value(cell.d);
    return Value(cell.text);
}

void load(RecordsetLoader &loader, int field, DataType type, const Cell &cell)
{
    if (cell.storage == SQLITE_NULL) {
        loader.setNull(field);
        return;
    }
    switch (type) {
    case DataType::SmallInt:
    case DataType::Integer:
    case DataType::BigInt:
    case DataType::Currency:
        if (cell.storage == SQLITE_INTEGER) {
            loader.setInt64(field, cell.i);
            return;
        }
        if (cell.storage == SQLITE_FLOAT) {
            if (const auto v = roundToInt64(cell.d))
                loader.setInt64(field, *v);
            else
                loader.setNull(field);
            return;
        }
        break;
    case DataType::Boolean:
        if (cell.storage == SQLITE_INTEGER) {
            loader.setInt64(field, cell.i != 0 ? 1 : 0);
            return;
        }
        break;
    case DataType::Double:
        if (cell.storage == SQLITE_FLOAT) {
            loader.setDouble(field, cell.d);
            return;
        }
        if (cell.storage == SQLITE_INTEGER) {
            loader.setDouble(field, double(cell.i));
            return;
        }
        break;
    case DataType::Date:
        if (const auto secs = dateSecsFromCell(cell))
            loader.setInt64(field, *secs);
        else
            loader.setNull(field);
        return;
    case DataType::BStr:
    case DataType::VarChar:
    case DataType::VarWChar:
        loader.setText(field, textOf(cell));
        return;
    case DataType::Variant:
    case DataType::Empty:
        break;
    }
    const Value v = toValue(cell, type);
    if (v.isNull())
        loader.setNull(field);
    else
        loader.setValue(field, v);
}

int bind(sqlite3_stmt *stmt, int index, const Value &value)
{
    if (value.isNull())
        return sqlite3_bind_null(stmt, index);
    switch (value.type()) {
    case DataType::Boolean:
        return sqlite3_bind_int(stmt, index, value.toBool() ? 1 : 0);
    case DataType::SmallInt:
    case DataType::Integer:
    case DataType::BigInt:
        return sqlite3_bind_int64(stmt, index, value.toInt64());
    case DataType::Double:
        return sqlite3_bind_double(stmt, index, value.toDouble());
    case DataType::Currency:
        return sqlite3_bind_int64(stmt, index, value.toCurrency().raw());
    case DataType::Date: {
        const QByteArray text = value.toDate().toIsoString().toUtf8();
        return sqlite3_bind_text(stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    case DataType::BStr:
    case DataType::VarChar:
    case DataType::VarWChar: {
        const QByteArray text = value.toString().toUtf8();
        return sqlite3_bind_text(stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    case DataType::Variant:
    case DataType::Empty:
        break;
    }
    return sqlite3_bind_null(stmt, index);
}

} // namespace data::SqliteValues

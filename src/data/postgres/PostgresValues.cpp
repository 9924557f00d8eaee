#include "PostgresValues.h"

#include "DateTime.h"
#include "Recordset.h"

#include <sqlite3.h>

#include <QtEndian>

#include <cmath>
#include <cstring>
#include <limits>

namespace data::PostgresValues {

namespace {

// Type OIDs, as in the server's pg_type catalog.
enum Oid : unsigned {
    BoolOid = 16,
    NameOid = 19,
    Int8Oid = 20,
    Int2Oid = 21,
    Int4Oid = 23,
    TextOid = 25,
    Float4Oid = 700,
    Float8Oid = 701,
    BpcharOid = 1042,
    VarcharOid = 1043,
    DateOid = 1082,
    TimestampOid = 1114,
    NumericOid = 1700,
};

// The server counts dates and timestamps from 2000-01-01, DateTime from 1970-01-01.
constexpr qint64 EpochShiftDays = 10957;
constexpr qint64 EpochShiftSecs = EpochShiftDays * 86400;

template <typename T>
T bigEndian(const char *bytes)
{
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return qFromBigEndian(value);
}

/// A numeric value read from its binary form: digit count, weight, sign,
/// display scale, then base-10000 digits, the first of weight `weight`.
struct Numeric
{
    bool nan = false;
    bool negative = false;
    bool exact = true;     ///< raw holds the value exactly
    qint64 raw = 0;        ///< the value in ten-thousandths
    double approximate = 0;
};

std::optional<Numeric> readNumeric(const char *bytes, int length)
{
    if (length < 8)
        return std::nullopt;
    const int digits = bigEndian<quint16>(bytes);
    const int weight = bigEndian<qint16>(bytes + 2);
    const quint16 sign = bigEndian<quint16>(bytes + 4);
    if (length < 8 + 2 * digits)
        return std::nullopt;
    Numeric n;
    if (sign == 0xC000) {
        n.nan = true;
        return n;
    }
    constexpr qint64 Max = std::numeric_limits<qint64>::max();
    for (int k = 0; k < digits; ++k) {
        const int digit = bigEndian<quint16>(bytes + 8 + 2 * k);
        const int power = weight - k;   // the digit counts 10000^power
        n.approximate += digit * std::pow(10000.0, power);
        if (power < -1) {
            n.exact = n.exact && digit == 0;
            continue;
        }
        qint64 term = digit;
        for (int p = 0; p < power + 1 && n.exact; ++p) {
            n.exact = term <= Max / 10000;
            term *= 10000;
        }
        n.exact = n.exact && n.raw <= Max - term;
        if (n.exact)
            n.raw += term;
    }
    n.negative = sign == 0x4000;
    if (n.negative) {
        n.raw = -n.raw;
        n.approximate = -n.approximate;
    }
    return n;
}

/// Exact to four decimals: the value in ten-thousandths when it fits, else
/// the nearest double.
bool loadNumeric(RecordsetLoader &loader, int field, const char *bytes, int length)
{
    const std::optional<Numeric> n = readNumeric(bytes, length);
    if (!n)
        return false;
    if (n->nan)
        loader.setNull(field);
    else if (n->exact)
        loader.setInt64(field, n->raw);
    else
        loader.setDouble(field, n->approximate);
    return true;
}

double floatOf(unsigned oid, const char *bytes)
{
    if (oid == Float4Oid) {
        const quint32 bits = bigEndian<quint32>(bytes);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    const quint64 bits = bigEndian<quint64>(bytes);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

qint64 timestampSecs(const char *bytes)
{
    const qint64 micros = bigEndian<qint64>(bytes);
    // Whole seconds, rounded down also before 2000.
    const qint64 secs = micros >= 0 ? micros / 1000000 : -((-micros + 999999) / 1000000);
    return secs + EpochShiftSecs;
}

} // namespace

std::optional<DataType> typeOf(unsigned oid)
{
    switch (oid) {
    case BoolOid:
        return DataType::Boolean;
    case Int2Oid:
        return DataType::SmallInt;
    case Int4Oid:
        return DataType::Integer;
    case Int8Oid:
        return DataType::BigInt;
    case Float4Oid:
    case Float8Oid:
        return DataType::Double;
    case NumericOid:
        return DataType::Currency;
    case DateOid:
    case TimestampOid:
        return DataType::Date;
    case TextOid:
    case VarcharOid:
    case BpcharOid:
    case NameOid:
        return DataType::VarWChar;
    default:
        return std::nullopt;
    }
}

bool load(RecordsetLoader &loader, int field, unsigned oid, const char *bytes, int length)
{
    if (!bytes) {
        loader.setNull(field);
        return true;
    }
    switch (oid) {
    case BoolOid:
        if (length != 1)
            return false;
        loader.setInt64(field, bytes[0] ? 1 : 0);
        return true;
    case Int2Oid:
        if (length != 2)
            return false;
        loader.setInt64(field, bigEndian<qint16>(bytes));
        return true;
    case Int4Oid:
        if (length != 4)
            return false;
        loader.setInt64(field, bigEndian<qint32>(bytes));
        return true;
    case Int8Oid:
        if (length != 8)
            return false;
        loader.setInt64(field, bigEndian<qint64>(bytes));
        return true;
    case Float4Oid:
    case Float8Oid:
        if (length != (oid == Float4Oid ? 4 : 8))
            return false;
        loader.setDouble(field, floatOf(oid, bytes));
        return true;
    case NumericOid:
        return loadNumeric(loader, field, bytes, length);
    case DateOid:
        if (length != 4)
            return false;
        loader.setInt64(field, (qint64(bigEndian<qint32>(bytes)) + EpochShiftDays) * 86400);
        return true;
    case TimestampOid:
        if (length != 8)
            return false;
        loader.setInt64(field, timestampSecs(bytes));
        return true;
    case TextOid:
    case VarcharOid:
    case BpcharOid:
    case NameOid:
        loader.setUtf8Text(field, bytes, length);
        return true;
    default:
        return false;
    }
}

bool readCell(unsigned oid, const char *bytes, int length, SqliteValues::Cell *cell)
{
    *cell = SqliteValues::Cell{};
    if (!bytes) {
        cell->storage = SQLITE_NULL;
        return true;
    }
    const auto whole = [&](qint64 value) {
        cell->storage = SQLITE_INTEGER;
        cell->i = value;
        return true;
    };
    switch (oid) {
    case BoolOid:
        return length == 1 && whole(bytes[0] ? 1 : 0);
    case Int2Oid:
        return length == 2 && whole(bigEndian<qint16>(bytes));
    case Int4Oid:
        return length == 4 && whole(bigEndian<qint32>(bytes));
    case Int8Oid:
        return length == 8 && whole(bigEndian<qint64>(bytes));
    case Float4Oid:
    case Float8Oid:
        if (length != (oid == Float4Oid ? 4 : 8))
            return false;
        cell->storage = SQLITE_FLOAT;
        cell->d = floatOf(oid, bytes);
        return true;
    case NumericOid: {
        const std::optional<Numeric> n = readNumeric(bytes, length);
        if (!n)
            return false;
        if (n->nan) {
            cell->storage = SQLITE_NULL;
            return true;
        }
        if (n->exact && n->raw % 10000 == 0)
            return whole(n->raw / 10000);
        cell->storage = SQLITE_FLOAT;
        cell->d = n->approximate;
        return true;
    }
    case DateOid:
    case TimestampOid: {
        if (length != (oid == DateOid ? 4 : 8))
            return false;
        const qint64 secs = oid == DateOid ? (qint64(bigEndian<qint32>(bytes)) + EpochShiftDays) * 86400
                                           : timestampSecs(bytes);
        cell->storage = SQLITE_TEXT;
        cell->text = DateTime::fromSecs(secs).toIsoString();
        return true;
    }
    case TextOid:
    case VarcharOid:
    case BpcharOid:
    case NameOid:
        cell->storage = SQLITE_TEXT;
        cell->text = QString::fromUtf8(bytes, length);
        return true;
    default:
        return false;
    }
}

unsigned parameterType(DataType type)
{
    switch (type) {
    case DataType::Boolean:
    case DataType::SmallInt:
    case DataType::Integer:
    case DataType::BigInt:
    case DataType::Currency:
        return Int8Oid;
    case DataType::Double:
        return Float8Oid;
    case DataType::Variant:
    case DataType::Empty:
        return 0;   // the server infers it
    default:
        return TextOid;
    }
}

std::optional<QByteArray> parameterText(const Value &value)
{
    if (value.isNull())
        return std::nullopt;
    switch (value.type()) {
    case DataType::Boolean:
        return QByteArray(value.toBool() ? "1" : "0");
    case DataType::SmallInt:
    case DataType::Integer:
    case DataType::BigInt:
        return QByteArray::number(value.toInt64());
    case DataType::Currency:
        return QByteArray::number(value.toCurrency().raw());
    case DataType::Double:
        return QByteArray::number(value.toDouble(), 'g', 17);
    case DataType::Date:
        return value.toDate().toIsoString().toUtf8();
    default:
        return value.toString().toUtf8();
    }
}

} // namespace data::PostgresValues

#include "PostgresValues.h"

#include "Recordset.h"

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

/// numeric's binary form: digit count, weight, sign, display scale, then
/// base-10000 digits, the first of weight `weight`.
bool loadNumeric(RecordsetLoader &loader, int field, const char *bytes, int length)
{
    if (length < 8)
        return false;
    const int digits = bigEndian<quint16>(bytes);
    const int weight = bigEndian<qint16>(bytes + 2);
    const quint16 sign = bigEndian<quint16>(bytes + 4);
    if (length < 8 + 2 * digits)
        return false;
    if (sign == 0xC000) {   // NaN
        loader.setNull(field);
        return true;
    }
    // Exact to four decimals: the value in ten-thousandths, when it fits.
    constexpr qint64 Max = std::numeric_limits<qint64>::max();
    bool exact = true;
    qint64 raw = 0;
    double approximate = 0;
    for (int k = 0; k < digits; ++k) {
        const int digit = bigEndian<quint16>(bytes + 8 + 2 * k);
        const int power = weight - k;   // the digit counts 10000^power
        approximate += digit * std::pow(10000.0, power);
        if (power < -1) {
            exact = exact && digit == 0;
            continue;
        }
        qint64 term = digit;
        for (int p = 0; p < power + 1 && exact; ++p) {
            exact = term <= Max / 10000;
            term *= 10000;
        }
        exact = exact && raw <= Max - term;
        if (exact)
            raw += term;
    }
    const bool negative = sign == 0x4000;
    if (exact) {
        loader.setInt64(field, negative ? -raw : raw);
        return true;
    }
    loader.setDouble(field, negative ? -approximate : approximate);
    return true;
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
    case Float4Oid: {
        if (length != 4)
            return false;
        const quint32 bits = bigEndian<quint32>(bytes);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        loader.setDouble(field, value);
        return true;
    }
    case Float8Oid: {
        if (length != 8)
            return false;
        const quint64 bits = bigEndian<quint64>(bytes);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        loader.setDouble(field, value);
        return true;
    }
    case NumericOid:
        return loadNumeric(loader, field, bytes, length);
    case DateOid:
        if (length != 4)
            return false;
        loader.setInt64(field, (qint64(bigEndian<qint32>(bytes)) + EpochShiftDays) * 86400);
        return true;
    case TimestampOid: {
        if (length != 8)
            return false;
        const qint64 micros = bigEndian<qint64>(bytes);
        // Whole seconds, rounded down also before 2000.
        const qint64 secs = micros >= 0 ? micros / 1000000 : -((-micros + 999999) / 1000000);
        loader.setInt64(field, secs + EpochShiftSecs);
        return true;
    }
    case TextOid:
    case VarcharOid:
    case BpcharOid:
    case NameOid:
        loader.setText(field, QString::fromUtf8(bytes, length));
        return true;
    default:
        return false;
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

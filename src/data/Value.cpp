#include "Value.h"

#include <QDateTime>

#include <cmath>
#include <limits>

namespace data {

namespace {

enum class Family { Empty, Integer, Boolean, Double, Currency, Date, String };

Family familyOf(DataType t)
{
    switch (t) {
    case DataType::SmallInt:
    case DataType::Integer:
    case DataType::BigInt:
        return Family::Integer;
    case DataType::Boolean:
        return Family::Boolean;
    case DataType::Double:
        return Family::Double;
    case DataType::Currency:
        return Family::Currency;
    case DataType::Date:
        return Family::Date;
    case DataType::BStr:
    case DataType::VarChar:
    case DataType::VarWChar:
        return Family::String;
    case DataType::Empty:
    case DataType::Variant:
        break;
    }
    return Family::Empty;
}

// Rounds to the nearest integer, halves to even, as the reports' integer
// conversions of fractional numbers always did.
std::optional<qint64> roundToInt64(double d)
{
    if (!std::isfinite(d) || d >= 9.2233720368547758e18 || d < -9.2233720368547758e18)
        return std::nullopt;
    return qint64(std::nearbyint(d));
}

std::optional<qint64> parseInteger(const QString &text)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    if (ok)
        return v;
    const QString t = text.trimmed();
    const double d = t.toDouble(&ok);
    if (ok)
        return roundToInt64(d);
    return std::nullopt;
}

std::optional<double> parseDouble(const QString &text)
{
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (ok && std::isfinite(d))
        return d;
    return std::nullopt;
}

std::optional<bool> parseBool(const QString &text)
{
    const QString t = text.trimmed();
    if (t.compare(u"True", Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(u"False", Qt::CaseInsensitive) == 0)
        return false;
    if (const auto d = parseDouble(t))
        return *d != 0;
    return std::nullopt;
}

std::optional<DateTime> parseDate(const QString &text)
{
    if (auto d = DateTime::fromIsoString(text))
        return d;
    return DateTime::fromUsString(text);
}

std::optional<Currency> parseCurrency(const QString &text)
{
    if (auto c = Currency::fromString(text))
        return c;
    // Exponent forms ("1e3") are not money texts but are still numbers.
    if (const auto d = parseDouble(text))
        return Currency::fromDouble(*d);
    return std::nullopt;
}

qint64 intRange(DataType t, bool max)
{
    switch (t) {
    case DataType::SmallInt:
        return max ? std::numeric_limits<qint16>::max() : std::numeric_limits<qint16>::min();
    case DataType::Integer:
        return max ? std::numeric_limits<qint32>::max() : std::numeric_limits<qint32>::min();
    default:
        return max ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
    }
}

} // namespace

Value Value::null(DataType type)
{
    Value v;
    v.m_type = type;
    return v;
}

Value::Value(bool v) : m_type(DataType::Boolean), m_null(false)
{
    m_num.i = v ? 1 : 0;
}

Value::Value(int v) : m_type(DataType::Integer), m_null(false)
{
    m_num.i = v;
}

Value::Value(qint64 v, DataType type) : m_type(type), m_null(false)
{
    Q_ASSERT(familyOf(type) == Family::Integer);
    m_num.i = v;
}

Value::Value(double v) : m_type(DataType::Double), m_null(false)
{
    m_num.d = v;
}

Value::Value(Currency v) : m_type(DataType::Currency), m_null(false)
{
    m_num.i = v.raw();
}

Value::Value(DateTime v) : m_type(DataType::Date), m_null(false)
{
    m_num.i = v.secs();
}

Value::Value(const QString &v) : m_type(DataType::VarWChar), m_null(false), m_str(v)
{
}

bool Value::toBool() const
{
    if (m_null)
        return false;
    switch (familyOf(m_type)) {
    case Family::Integer:
    case Family::Boolean:
    case Family::Currency:
    case Family::Date:
        return m_num.i != 0;
    case Family::Double:
        return m_num.d != 0;
    case Family::String:
        return parseBool(m_str).value_or(false);
    case Family::Empty:
        break;
    }
    return false;
}

qint64 Value::toInt64() const
{
    if (m_null)
        return 0;
    switch (familyOf(m_type)) {
    case Family::Integer:
    case Family::Date:
        return m_num.i;
    case Family::Boolean:
        return m_num.i ? -1 : 0;
    case Family::Currency:
        return qint64(std::nearbyint(double(m_num.i) / Currency::Scale));
    case Family::Double:
        return roundToInt64(m_num.d).value_or(0);
    case Family::String:
        return parseInteger(m_str).value_or(0);
    case Family::Empty:
        break;
    }
    return 0;
}

double Value::toDouble() const
{
    if (m_null)
        return 0;
    switch (familyOf(m_type)) {
    case Family::Integer:
    case Family::Date:
        return double(m_num.i);
    case Family::Boolean:
        return m_num.i ? -1.0 : 0.0;
    case Family::Currency:
        return Currency::fromRaw(m_num.i).toDouble();
    case Family::Double:
        return m_num.d;
    case Family::String:
        return parseDouble(m_str).value_or(0.0);
    case Family::Empty:
        break;
    }
    return 0;
}

Currency Value::toCurrency() const
{
    if (m_null)
        return Currency();
    switch (familyOf(m_type)) {
    case Family::Integer:
        return Currency::fromUnits(m_num.i);
    case Family::Boolean:
        return Currency::fromUnits(m_num.i ? -1 : 0);
    case Family::Currency:
        return Currency::fromRaw(m_num.i);
    case Family::Double:
        return Currency::fromDouble(m_num.d);
    case Family::String:
        return parseCurrency(m_str).value_or(Currency());
    case Family::Date:
    case Family::Empty:
        break;
    }
    return Currency();
}

DateTime Value::toDate() const
{
    if (m_null)
        return DateTime();
    switch (familyOf(m_type)) {
    case Family::Date:
    case Family::Integer:
        return DateTime::fromSecs(m_num.i);
    case Family::String:
        return parseDate(m_str).value_or(DateTime());
    default:
        break;
    }
    return DateTime();
}

QString Value::toString() const
{
    if (m_null)
        return QString();
    switch (familyOf(m_type)) {
    case Family::Integer:
        return QString::number(m_num.i);
    case Family::Boolean:
        return m_num.i ? QStringLiteral("True") : QStringLiteral("False");
    case Family::Currency:
        return Currency::fromRaw(m_num.i).toString();
    case Family::Double:
        // 15 significant digits: what a double holds reliably, so 0.1 + 0.2
        // prints as 0.3 rather than 0.30000000000000004.
        return QString::number(m_num.d, 'g', 15);
    case Family::Date:
        return DateTime::fromSecs(m_num.i).toUsString();
    case Family::String:
        return m_str;
    case Family::Empty:
        break;
    }
    return QString();
}

Value Value::convertedTo(DataType type) const
{
    if (type == DataType::Variant || type == m_type)
        return *this;
    if (m_null)
        return null(type);
    const Family from = familyOf(m_type);
    switch (familyOf(type)) {
    case Family::Integer: {
        std::optional<qint64> v;
        switch (from) {
        case Family::Integer:
        case Family::Boolean:
        case Family::Currency:
            v = toInt64();
            break;
        case Family::Double:
            v = roundToInt64(m_num.d);
            break;
        case Family::String:
            v = parseInteger(m_str);
            break;
        default:
            break;
        }
        if (!v || *v < intRange(type, false) || *v > intRange(type, true))
            return null(type);
        return Value(*v, type);
    }
    case Family::Boolean:
        if (from == Family::String) {
            const auto b = parseBool(m_str);
            return b ? Value(*b) : null(type);
        }
        if (from == Family::Date)
            return null(type);
        return Value(toBool());
    case Family::Double:
        if (from == Family::String) {
            const auto d = parseDouble(m_str);
            return d ? Value(*d) : null(type);
        }
        if (from == Family::Date)
            return null(type);
        return Value(toDouble());
    case Family::Currency:
        if (from == Family::String) {
            const auto c = parseCurrency(m_str);
            return c ? Value(*c) : null(type);
        }
        if (from == Family::Date)
            return null(type);
        if (from == Family::Double && (!std::isfinite(m_num.d) || std::fabs(m_num.d) > 9.2e14))
            return null(type);
        return Value(toCurrency());
    case Family::Date:
        if (from == Family::String) {
            const auto d = parseDate(m_str);
            return d ? Value(*d) : null(type);
        }
        if (from == Family::Integer)
            return Value(toDate());
        return null(type);
    case Family::String: {
        Value v(toString());
        v.m_type = type;
        return v;
    }
    case Family::Empty:
        break;
    }
    return Value();
}

QVariant Value::toVariant() const
{
    if (m_null)
        return QVariant();
    switch (familyOf(m_type)) {
    case Family::Integer:
        return m_type == DataType::BigInt ? QVariant(qlonglong(m_num.i)) : QVariant(int(m_num.i));
    case Family::Boolean:
        return QVariant(m_num.i != 0);
    case Family::Double:
        return QVariant(m_num.d);
    case Family::Currency:
        // Qt views and formatters know doubles; every amount a desk handles
        // (below 2^53 ten-thousandths) survives the trip exactly to four decimals.
        return QVariant(Currency::fromRaw(m_num.i).toDouble());
    case Family::Date:
        return QVariant(DateTime::fromSecs(m_num.i).toQDateTime());
    case Family::String:
        return QVariant(m_str);
    case Family::Empty:
        break;
    }
    return QVariant();
}

Value Value::fromVariant(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return Value();
    switch (v.typeId()) {
    case QMetaType::Bool:
        return Value(v.toBool());
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return Value(v.toInt());
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Long:
        return Value(qint64(v.toLongLong()));
    case QMetaType::ULongLong:
    case QMetaType::ULong:
        if (v.toULongLong() > quint64(std::numeric_limits<qint64>::max()))
            return Value(v.toDouble());
        return Value(qint64(v.toLongLong()));
    case QMetaType::Double:
    case QMetaType::Float:
        return Value(v.toDouble());
    case QMetaType::QDate:
        return Value(DateTime::fromDate(v.toDate()));
    case QMetaType::QDateTime:
        return Value(DateTime::fromQDateTime(v.toDateTime()));
    case QMetaType::QString:
        return Value(v.toString());
    default:
        break;
    }
    if (v.metaType() == QMetaType::fromType<Value>())
        return v.value<Value>();
    if (v.canConvert<QString>())
        return Value(v.toString());
    return Value();
}

bool Value::operator==(const Value &other) const
{
    if (m_null || other.m_null)
        return m_null && other.m_null;
    const Family f = familyOf(m_type);
    if (f != familyOf(other.m_type))
        return false;
    switch (f) {
    case Family::Double:
        return m_num.d == other.m_num.d;
    case Family::String:
        return m_str == other.m_str;
    case Family::Empty:
        return true;
    default:
        return m_num.i == other.m_num.i;
    }
}

} // namespace data

#include "FieldReader.h"

#include "NumberFormat.h"

#include "SessionContext.h"

namespace FieldReader {

namespace {

/// The format of pattern, parsed once: FitchData runs for every visible cell
/// and the pattern changes only when the host sets a new one.
const NumberFormat &formatFor(const QString &pattern)
{
    static NumberFormat cached;
    if (cached.pattern() != pattern)
        cached = NumberFormat(pattern);
    return cached;
}

QString formatted(const data::Value &value, const QString &pattern)
{
    const NumberFormat &format = formatFor(pattern);
    switch (value.type()) {
    case data::DataType::Currency:
        return format.format(value.toCurrency());
    case data::DataType::SmallInt:
    case data::DataType::Integer:
    case data::DataType::BigInt:
        return format.format(value.toInt64());
    case data::DataType::Double:
        return format.format(value.toDouble());
    case data::DataType::Date:
        // Dates are not numbers here: the text they show is their own.
        return value.toString();
    default:
        return format.format(cellValue(value));
    }
}

} // namespace

QVariant cellValue(const data::Value &value)
{
    if (value.isNull())
        return {};
    switch (value.type()) {
    case data::DataType::Currency:
        return QVariant::fromValue(value.toCurrency());
    case data::DataType::Date:
        return QVariant::fromValue(value.toDate());
    default:
        return value.toVariant();
    }
}

QVariant GetFieldValue(data::Recordset &rs, const QString &field, int mode, bool nullAsZero)
{
    const data::Field f = rs.Fields(field);
    if (!f.isValid() || rs.Eof() || rs.Bof())
        return {};
    const data::Value value = f.value();
    if (value.isNull()) {
        if (nullAsZero)
            return QVariant::fromValue(qint16(0));
        return QStringLiteral("<<Error>>");
    }
    switch (mode) {
    case Raw:
        return cellValue(value);
    case RateFormat:
        return formatted(value, SessionContext::instance().RateFormat());
    case ValueFormat:
        return formatted(value, SessionContext::instance().ValueFormat());
    default:
        return {};
    }
}

} // namespace FieldReader

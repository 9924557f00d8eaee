#include "CellValue.h"

#include "Currency.h"
#include "DateTime.h"
#include "NumberFormat.h"
#include "Value.h"

#include <QDateTime>
#include <QLocale>

namespace {

bool isIntegerType(int id)
{
    switch (id) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

// Reads a text as a number when the whole text is one (C locale, as the
// database and the reports write numbers).
bool textNumber(const QString &text, long double &out)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    bool ok = false;
    const qint64 i = t.toLongLong(&ok);
    if (ok) {
        out = i;
        return true;
    }
    const double d = QLocale::c().toDouble(t, &ok);
    if (ok)
        out = d;
    return ok;
}

} // namespace

bool CellValue::isWrapped(const QVariant &value)
{
    return value.metaType() == QMetaType::fromType<data::Value>();
}

QVariant CellValue::unwrap(QVariant &&value)
{
    return isWrapped(value) ? unwrap(static_cast<const QVariant &>(value)) : std::move(value);
}

QVariant CellValue::unwrap(const QVariant &value)
{
    if (!isWrapped(value))
        return value;
    const data::Value v = value.value<data::Value>();
    if (v.isNull())
        return {};
    switch (v.type()) {
    case data::DataType::Currency:
        return QVariant::fromValue(v.toCurrency());
    case data::DataType::Date:
        return QVariant::fromValue(v.toDate());
    default:
        return v.toVariant();
    }
}

bool CellValue::isNull(const QVariant &value)
{
    return !value.isValid() || value.isNull();
}

bool CellValue::isNumber(const QVariant &value)
{
    const int id = value.metaType().id();
    return isIntegerType(id) || id == QMetaType::Double || id == QMetaType::Float
        || id == QMetaType::Bool || value.metaType() == QMetaType::fromType<data::Currency>();
}

bool CellValue::isDate(const QVariant &value)
{
    const int id = value.metaType().id();
    return id == QMetaType::QDate || id == QMetaType::QDateTime
        || value.metaType() == QMetaType::fromType<data::DateTime>();
}

qint64 CellValue::dateSeconds(const QVariant &value)
{
    if (value.metaType() == QMetaType::fromType<data::DateTime>())
        return value.value<data::DateTime>().secs();
    if (value.metaType().id() == QMetaType::QDate)
        return QDateTime(value.toDate(), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
    if (value.metaType().id() == QMetaType::QDateTime) {
        // Civil time as shown, whatever zone the QDateTime carries.
        const QDateTime dt = value.toDateTime();
        return QDateTime(dt.date(), dt.time(), Qt::UTC).toSecsSinceEpoch();
    }
    return 0;
}

CellValue::Key CellValue::key(const QVariant &given)
{
    if (isWrapped(given))
        return key(unwrap(given));
    const QVariant &value = given;
    Key k;
    if (isNull(value))
        return k;
    const int id = value.metaType().id();
    if (value.metaType() == QMetaType::fromType<data::Currency>()) {
        k.kind = Key::Number;
        k.number = static_cast<long double>(value.value<data::Currency>().raw()) / 10000.0L;
    } else if (isIntegerType(id)) {
        k.kind = Key::Number;
        k.number = (id == QMetaType::ULongLong || id == QMetaType::ULong)
                       ? static_cast<long double>(value.toULongLong())
                       : static_cast<long double>(value.toLongLong());
    } else if (id == QMetaType::Double || id == QMetaType::Float) {
        k.kind = Key::Number;
        k.number = value.toDouble();
    } else if (id == QMetaType::Bool) {
        k.kind = Key::Bool;
        k.number = value.toBool() ? 1 : 0;   // false sorts before true
    } else if (isDate(value)) {
        k.kind = Key::Date;
        k.number = dateSeconds(value);
    } else {
        const QString text = value.toString();
        long double n = 0;
        if (textNumber(text, n)) {
            k.kind = Key::Number;
            k.number = n;
        } else {
            k.kind = Key::Text;
            k.text = text.toCaseFolded();
        }
    }
    return k;
}

int CellValue::compare(const Key &a, const Key &b)
{
    if (a.kind != b.kind) {
        // A boolean against a number compares by truth, as a variant would:
        // true equals any non-zero number.
        const bool boolAndNumber = (a.kind == Key::Bool && b.kind == Key::Number)
                                   || (a.kind == Key::Number && b.kind == Key::Bool);
        if (boolAndNumber) {
            const bool ta = a.number != 0;
            const bool tb = b.number != 0;
            return ta == tb ? 0 : (ta ? 1 : -1);
        }
        return a.kind < b.kind ? -1 : 1;
    }
    if (a.kind == Key::Text)
        return a.text.compare(b.text);
    if (a.number < b.number)
        return -1;
    return a.number > b.number ? 1 : 0;
}

QString CellValue::hashKey(const QVariant &given)
{
    const QVariant value = unwrap(given);
    if (isNull(value))
        return {};
    static const NumberFormat plain;
    const int id = value.metaType().id();
    if (isNumber(value) && id != QMetaType::Bool)
        return QLatin1String("n:") + plain.format(value);
    if (id == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("b:1") : QStringLiteral("b:0");
    if (isDate(value))
        return QLatin1String("d:") + QString::number(dateSeconds(value));
    const QString text = value.toString();
    long double n = 0;
    if (textNumber(text, n))
        return QLatin1String("n:") + plain.format(QVariant(text.trimmed()));
    return QLatin1String("s:") + text.toCaseFolded();
}


#pragma once

#include "marvolt_export.h"

#include "Currency.h"
#include "DataTypes.h"
#include "DateTime.h"

#include <QString>
#include <QVariant>

namespace data {

/// One field or parameter value: null, or a typed value of one of the
/// DataType kinds. Cheap to copy (strings are implicitly shared).
///
/// Conversions (toInt64(), toCurrency() ...) follow what a report expects of a
/// variant: numbers convert among themselves, booleans are -1/0 as numbers,
/// strings are parsed; a null or unconvertible value gives 0, false or "".
class MARVOLT_EXPORT Value final
{
public:
    /// The empty value: never set. isNull() is true for it as well.
    Value() = default;
    static Value null(DataType type = DataType::Empty);

    Value(bool v);
    Value(int v);                                        ///< Integer
    Value(qint64 v, DataType type = DataType::BigInt);   ///< SmallInt, Integer or BigInt
    Value(double v);
    Value(Currency v);
    Value(DateTime v);
    Value(const QString &v);
    Value(const char *v) : Value(QString::fromUtf8(v)) {}

    /// The declared type. For a null value, the type it was declared with.
    DataType type() const { return m_type; }
    bool isNull() const { return m_null; }
    bool isEmpty() const { return m_type == DataType::Empty; }

    bool toBool() const;
    qint64 toInt64() const;
    int toInt() const { return int(toInt64()); }
    double toDouble() const;
    Currency toCurrency() const;
    DateTime toDate() const;
    /// Text form: numbers in C locale, currency without trailing zeros, dates as
    /// DateTime::toUsString(), booleans "True"/"False", null as "".
    QString toString() const;

    /// Converts to the given field type; returns a null of that type when the
    /// value cannot be represented (a non-numeric string into a number).
    Value convertedTo(DataType type) const;

    QVariant toVariant() const;
    static Value fromVariant(const QVariant &v);

    /// Same type family and same value; null equals null.
    bool operator==(const Value &other) const;

private:
    DataType m_type = DataType::Empty;
    bool m_null = true;
    union {
        qint64 i;   // integers, booleans, currency raw, date secs
        double d;
    } m_num{0};
    QString m_str;
};

} // namespace data

Q_DECLARE_METATYPE(data::Value)

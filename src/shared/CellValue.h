#pragma once

#include <QString>
#include <QVariant>

/// How the grid reads the values that cells hold (QVariant of standard types,
/// data::Currency or data::DateTime): comparison for sorting, grouping and
/// format conditions, and a text key for value-list lookup.
///
/// Numbers of every type compare by value (5, 5.0, Currency 5 and the text "5"
/// are equal); texts compare without regard to case; dates compare by time;
/// null sorts before everything else.
class CellValue final
{
public:
    /// A value reduced to what ordering needs; cheap to compare in bulk.
    struct Key
    {
        enum Kind : qint8 { Null, Bool, Number, Date, Text };
        Kind kind = Null;
        long double number = 0;   // Number, Bool (1/0), Date (seconds)
        QString text;             // Text, case-folded
    };

    /// A data::Value held in a variant becomes the plain variant of its value
    /// (Currency and DateTime kept exact, null as an invalid variant); any
    /// other variant comes back unchanged. The grid reads every cell through it,
    /// so readers may hand over report values as they are.
    static QVariant unwrap(const QVariant &value);
    static QVariant unwrap(QVariant &&value);
    static bool isWrapped(const QVariant &value);

    static Key key(const QVariant &value);
    /// <0, 0, >0 like strcmp. Different kinds order as Null < Bool < Number < Date < Text.
    static int compare(const Key &a, const Key &b);
    static int compare(const QVariant &a, const QVariant &b) { return compare(key(a), key(b)); }

    /// A text that is equal for equal values, e.g. for hashing into a value list.
    static QString hashKey(const QVariant &value);

    static bool isNull(const QVariant &value);
    /// True for numbers of any type, data::Currency and booleans.
    static bool isNumber(const QVariant &value);
    /// Dates: QDate, QDateTime, data::DateTime.
    static bool isDate(const QVariant &value);
    /// Seconds since 1970-01-01 00:00 of a date value (civil time, no zone).
    static qint64 dateSeconds(const QVariant &value);
};


#pragma once

#include "Currency.h"

#include <QChar>
#include <QString>
#include <QVariant>
#include <QVector>

/// A numeric display format in the format language the host hands over as
/// FormatRate and FormatValue, for example "#,##0.00", "0.0000" or "#,##0;(#,##0)".
///
/// Language:
/// - `0` a digit, or 0 when the number has none there; `#` a digit, or nothing.
///   Integer digits beyond the placeholders are all shown at the leftmost one.
/// - `.` the decimal point (the first one; later ones are literal text). A point
///   with no fraction digit shown after it (only `#` placeholders, all empty) is dropped.
/// - `,` between integer placeholders groups the integer digits by thousands;
///   commas directly before the decimal point (or after the last integer
///   placeholder) divide the number by 1000 each.
/// - `%` multiplies by 100 and is shown where it stands.
/// - `E+`, `E-`, `e+` or `e-` directly followed by `0` or `#` placeholders shows
///   the number in scientific notation: "0.00E+00" shows 1000 as "1.00E+03". The
///   mantissa has as many integer digits as the section has integer placeholders
///   ("##0.0E+0" shows 12345 as "123.5E+2"), and is rounded to the fraction
///   placeholders. The exponent is written with `E` or `e` as in the pattern,
///   with its sign ("+" is shown only after `E+`/`e+`, "-" always), and with at
///   least as many digits as `0`s follow the sign (at least one). What follows
///   the exponent's placeholders is literal. `E` or `e` in any other place is literal.
/// - `"text"` and `\c` are literal; any other character is shown as it is.
/// - Up to three sections separated by `;`: positive; negative; zero. With a
///   negative section the negative number is shown with it and without a minus
///   sign; without one, a minus sign precedes the positive section's text. The
///   zero section serves numbers that round to zero in the section that would show them.
/// - An empty pattern (or "General Number") shows the number plainly; "Fixed",
///   "Standard" and "Percent" stand for "0.00", "#,##0.00" and "0.00%".
///
/// Numbers are rounded half away from zero on their decimal value: a double is
/// first taken at its shortest round-trip decimal form (2.675 rounds to 2.68),
/// Currency and integers are exact. A result that rounds to zero never carries a
/// minus sign. Output uses '.' and ',' unless other symbols are set.
class NumberFormat final
{
public:
    NumberFormat();
    explicit NumberFormat(const QString &pattern);

    QString pattern() const { return m_pattern; }
    /// True for the empty pattern and "General Number": no rounding, no grouping.
    bool isGeneral() const { return m_general; }

    /// The characters written for the decimal point and the thousands separator.
    void setSymbols(QChar decimalPoint, QChar groupSeparator);

    QString format(double value) const;
    QString format(qint64 value) const;
    QString format(data::Currency value) const;
    /// Numbers of any C++ or Qt type, data::Currency, data::Value, and texts that read as a
    /// number (C locale) are formatted; other texts come back unchanged; an
    /// invalid or null variant gives "".
    QString format(const QVariant &value) const;

    /// One-off formatting. Prefer keeping a NumberFormat where a pattern is used
    /// many times: parsing is done once per object.
    static QString format(const QVariant &value, const QString &pattern);

private:
    /// An exact decimal number: digits * 10^exponent, with sign.
    struct Decimal
    {
        QByteArray digits;   // '0'..'9', no leading zeros; empty for zero
        int exponent = 0;
        bool negative = false;
        bool isZero() const { return digits.isEmpty(); }
        void normalize();
        void roundToDecimals(int decimals);
        QByteArray integerDigits() const;
        QByteArray fractionDigits(int count) const;
    };

    struct Token
    {
        enum Kind { Zero, Hash, Point, Literal };
        Kind kind;
        QString text;   // Literal only
    };

    struct Section
    {
        QVector<Token> tokens;
        int integerPlaceholders = 0;
        int fractionPlaceholders = 0;
        int pointIndex = -1;     // index of the Point token, or -1
        bool grouping = false;
        int scaleThousands = 0;  // number of trailing commas
        bool percent = false;
        // Scientific notation: the tokens are the mantissa's, the exponent follows.
        bool scientific = false;
        QChar exponentLetter;
        bool exponentPlus = false;   // "E+": a sign before positive exponents too
        int exponentDigits = 0;      // minimum digits of the exponent
        QString suffix;              // literal text after the exponent
        bool hasDigits() const { return integerPlaceholders + fractionPlaceholders > 0; }
    };

    static Section parseSection(const QString &text);
    static QStringList splitSections(const QString &pattern);
    static Decimal fromDouble(double value);
    static Decimal fromInteger(qint64 value);
    static Decimal fromCurrency(data::Currency value);

    QString formatDecimal(Decimal value) const;
    QString formatGeneral(const Decimal &value) const;
    Decimal prepared(const Decimal &value, const Section &section) const;
    QString render(const Decimal &absValue, const Section &section) const;
    QString renderFixed(const Decimal &absValue, const Section &section) const;
    QString renderInteger(const Section &section, int end, QByteArray digits) const;

    QString m_pattern;
    bool m_general = true;
    QVector<Section> m_sections;
    QChar m_point = QLatin1Char('.');
    QChar m_group = QLatin1Char(',');
};


#include "NumberFormat.h"

#include "CellValue.h"

#include <QLocale>

#include <cmath>
#include <limits>

NumberFormat::NumberFormat() = default;

NumberFormat::NumberFormat(const QString &pattern)
    : m_pattern(pattern)
{
    QString effective = pattern;
    const QString named = pattern.trimmed();
    if (named.compare(QLatin1String("General Number"), Qt::CaseInsensitive) == 0)
        effective.clear();
    else if (named.compare(QLatin1String("Fixed"), Qt::CaseInsensitive) == 0)
        effective = QStringLiteral("0.00");
    else if (named.compare(QLatin1String("Standard"), Qt::CaseInsensitive) == 0)
        effective = QStringLiteral("#,##0.00");
    else if (named.compare(QLatin1String("Percent"), Qt::CaseInsensitive) == 0)
        effective = QStringLiteral("0.00%");

    m_general = effective.isEmpty();
    if (m_general)
        return;
    const QStringList parts = splitSections(effective);
    for (int i = 0; i < parts.size() && i < 3; ++i)
        m_sections.append(parseSection(parts.at(i)));
}

void NumberFormat::setSymbols(QChar decimalPoint, QChar groupSeparator)
{
    m_point = decimalPoint;
    m_group = groupSeparator;
}

// --- Decimal ---------------------------------------------------------------

void NumberFormat::Decimal::normalize()
{
    int lead = 0;
    while (lead < digits.size() && digits.at(lead) == '0')
        ++lead;
    digits.remove(0, lead);
    int trail = 0;
    while (trail < digits.size() && digits.at(digits.size() - 1 - trail) == '0')
        ++trail;
    digits.chop(trail);
    exponent += trail;
    if (digits.isEmpty()) {
        exponent = 0;
        negative = false;
    }
}

void NumberFormat::Decimal::roundToDecimals(int decimals)
{
    if (exponent >= -decimals)
        return;
    const int drop = -decimals - exponent;   // digits to remove on the right
    if (drop > digits.size()) {
        // Every digit is below half a unit of the last kept place.
        digits.clear();
        normalize();
        return;
    }
    const bool up = digits.at(digits.size() - drop) >= '5';
    QByteArray kept = digits.left(digits.size() - drop);
    if (up) {
        int i = kept.size() - 1;
        while (i >= 0 && kept.at(i) == '9') {
            kept[i] = '0';
            --i;
        }
        if (i >= 0)
            kept[i] = char(kept.at(i) + 1);
        else
            kept.prepend('1');
    }
    digits = kept;
    exponent = -decimals;
    normalize();
}

QByteArray NumberFormat::Decimal::integerDigits() const
{
    if (digits.isEmpty())
        return {};
    if (exponent >= 0)
        return digits + QByteArray(exponent, '0');
    const int count = digits.size() + exponent;
    return count > 0 ? digits.left(count) : QByteArray();
}

QByteArray NumberFormat::Decimal::fractionDigits(int count) const
{
    QByteArray fraction;
    if (!digits.isEmpty() && exponent < 0) {
        const int places = -exponent;
        fraction = places > digits.size()
                       ? QByteArray(places - digits.size(), '0') + digits
                       : digits.right(places);
    }
    if (fraction.size() < count)
        fraction.append(QByteArray(count - fraction.size(), '0'));
    return fraction.left(count);
}

NumberFormat::Decimal NumberFormat::fromDouble(double value)
{
    Decimal d;
    // The shortest text that reads back as the same double is the decimal
    // value the user typed or the database returned; rounding it, rather than
    // the binary expansion, makes 2.675 round to 2.68 as people expect.
    const QByteArray text = QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
    int i = 0;
    if (i < text.size() && (text.at(i) == '-' || text.at(i) == '+')) {
        d.negative = text.at(i) == '-';
        ++i;
    }
    int pointShift = 0;
    bool afterPoint = false;
    for (; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c >= '0' && c <= '9') {
            d.digits.append(c);
            if (afterPoint)
                ++pointShift;
        } else if (c == '.') {
            afterPoint = true;
        } else if (c == 'e' || c == 'E') {
            d.exponent = text.mid(i + 1).toInt();
            break;
        }
    }
    d.exponent -= pointShift;
    d.normalize();
    return d;
}

NumberFormat::Decimal NumberFormat::fromInteger(qint64 value)
{
    Decimal d;
    d.negative = value < 0;
    // Through unsigned so that the most negative value has a magnitude too.
    const quint64 magnitude = value < 0 ? quint64(0) - quint64(value) : quint64(value);
    d.digits = QByteArray::number(magnitude);
    d.normalize();
    return d;
}

NumberFormat::Decimal NumberFormat::fromCurrency(data::Currency value)
{
    Decimal d = fromInteger(value.raw());
    d.exponent -= 4;
    d.normalize();
    return d;
}

// --- Parsing ---------------------------------------------------------------

QStringList NumberFormat::splitSections(const QString &pattern)
{
    QStringList parts;
    QString current;
    bool quoted = false;
    for (int i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (c == QLatin1Char('\\') && !quoted && i + 1 < pattern.size()) {
            current.append(c);
            current.append(pattern.at(++i));
            continue;
        } else if (c == QLatin1Char(';') && !quoted) {
            parts.append(current);
            current.clear();
            continue;
        }
        current.append(c);
    }
    parts.append(current);
    return parts;
}

NumberFormat::Section NumberFormat::parseSection(const QString &text)
{
    Section s;
    int pendingCommas = 0;
    auto addLiteral = [&s](const QString &literal) {
        if (!s.tokens.isEmpty() && s.tokens.last().kind == Token::Literal)
            s.tokens.last().text += literal;
        else
            s.tokens.append(Token{Token::Literal, literal});
    };
    auto isPlaceholder = [&text](int i) {
        return i < text.size() && (text.at(i) == QLatin1Char('0') || text.at(i) == QLatin1Char('#'));
    };
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool inFraction = s.pointIndex >= 0;
        if (s.scientific) {
            // After the exponent everything is literal; '%' still scales.
            if (c == QLatin1Char('"')) {
                const int close = text.indexOf(QLatin1Char('"'), i + 1);
                const int end = close < 0 ? text.size() : close;
                s.suffix += text.mid(i + 1, end - i - 1);
                i = end;
            } else if (c == QLatin1Char('\\')) {
                if (i + 1 < text.size())
                    s.suffix += text.at(++i);
            } else {
                s.percent = s.percent || c == QLatin1Char('%');
                s.suffix += c;
            }
            continue;
        }
        if ((c == QLatin1Char('E') || c == QLatin1Char('e')) && s.hasDigits() && i + 1 < text.size()
            && (text.at(i + 1) == QLatin1Char('+') || text.at(i + 1) == QLatin1Char('-'))
            && isPlaceholder(i + 2)) {
            s.scientific = true;
            s.exponentLetter = c;
            s.exponentPlus = text.at(i + 1) == QLatin1Char('+');
            for (i += 2; isPlaceholder(i); ++i) {
                if (text.at(i) == QLatin1Char('0'))
                    ++s.exponentDigits;
            }
            --i;
            continue;
        }
        if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            if (!inFraction) {
                if (pendingCommas > 0 && s.integerPlaceholders > 0)
                    s.grouping = true;
                pendingCommas = 0;
                ++s.integerPlaceholders;
            } else {
                ++s.fractionPlaceholders;
            }
            s.tokens.append(Token{c == QLatin1Char('0') ? Token::Zero : Token::Hash, {}});
        } else if (c == QLatin1Char('.') && !inFraction) {
            if (s.integerPlaceholders > 0)
                s.scaleThousands += pendingCommas;
            pendingCommas = 0;
            s.pointIndex = s.tokens.size();
            s.tokens.append(Token{Token::Point, {}});
        } else if (c == QLatin1Char(',')) {
            if (!inFraction)
                ++pendingCommas;
        } else if (c == QLatin1Char('%')) {
            s.percent = true;
            addLiteral(QStringLiteral("%"));
        } else if (c == QLatin1Char('"')) {
            const int close = text.indexOf(QLatin1Char('"'), i + 1);
            const int end = close < 0 ? text.size() : close;
            addLiteral(text.mid(i + 1, end - i - 1));
            i = end;
        } else if (c == QLatin1Char('\\')) {
            if (i + 1 < text.size())
                addLiteral(QString(text.at(++i)));
        } else {
            addLiteral(QString(c));
        }
    }
    if (s.pointIndex < 0 && s.integerPlaceholders > 0)
        s.scaleThousands += pendingCommas;
    return s;
}

// --- Formatting ------------------------------------------------------------

QString NumberFormat::format(double value) const
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-Infinity") : QStringLiteral("Infinity");
    return formatDecimal(fromDouble(value));
}

QString NumberFormat::format(qint64 value) const
{
    return formatDecimal(fromInteger(value));
}

QString NumberFormat::format(data::Currency value) const
{
    return formatDecimal(fromCurrency(value));
}

QString NumberFormat::format(const QVariant &given) const
{
    const QVariant value = CellValue::unwrap(given);
    if (!value.isValid() || value.isNull())
        return {};
    if (value.metaType() == QMetaType::fromType<data::Currency>())
        return format(value.value<data::Currency>());
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::SChar:
        return format(value.toLongLong());
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::UChar: {
        const qulonglong u = value.toULongLong();
        if (u <= qulonglong(std::numeric_limits<qint64>::max()))
            return format(qint64(u));
        Decimal d;
        d.digits = QByteArray::number(u);
        return formatDecimal(d);
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return format(value.toDouble());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QString: {
        const QString text = value.toString();
        bool ok = false;
        const qint64 asInt = text.trimmed().toLongLong(&ok);
        if (ok)
            return format(asInt);
        const double asDouble = QLocale::c().toDouble(text.trimmed(), &ok);
        if (ok)
            return format(asDouble);
        return text;
    }
    default:
        return value.toString();
    }
}

QString NumberFormat::format(const QVariant &value, const QString &pattern)
{
    return NumberFormat(pattern).format(value);
}

NumberFormat::Decimal NumberFormat::prepared(const Decimal &value, const Section &section) const
{
    Decimal d = value;
    d.negative = false;
    if (section.percent)
        d.exponent += 2;
    d.exponent -= 3 * section.scaleThousands;
    d.normalize();
    // A scientific section rounds its mantissa, once the exponent is known.
    if (section.hasDigits() && !section.scientific)
        d.roundToDecimals(section.fractionPlaceholders);
    return d;
}

QString NumberFormat::formatDecimal(Decimal value) const
{
    if (m_general || m_sections.isEmpty())
        return formatGeneral(value);

    const Section &positive = m_sections.at(0);
    const bool hasNegative = m_sections.size() > 1 && !m_sections.at(1).tokens.isEmpty();
    const bool hasZero = m_sections.size() > 2 && !m_sections.at(2).tokens.isEmpty();

    const Section &chosen = (value.negative && hasNegative) ? m_sections.at(1) : positive;
    const Decimal magnitude = prepared(value, chosen);
    if (magnitude.isZero())
        return hasZero ? render(prepared(value, m_sections.at(2)), m_sections.at(2))
                       : render(prepared(value, positive), positive);
    if (value.negative && !hasNegative)
        return QLatin1Char('-') + render(magnitude, positive);
    return render(magnitude, chosen);
}

QString NumberFormat::formatGeneral(const Decimal &value) const
{
    if (value.isZero())
        return QStringLiteral("0");
    // Very large or very small magnitudes would be walls of zeros in plain form.
    const int magnitude = value.digits.size() + value.exponent;
    if (magnitude > 21 || magnitude < -15) {
        QString text = value.negative ? QStringLiteral("-") : QString();
        text += QLatin1Char(value.digits.at(0));
        if (value.digits.size() > 1)
            text += m_point + QString::fromLatin1(value.digits.mid(1));
        text += QStringLiteral("E") + (magnitude - 1 >= 0 ? QStringLiteral("+") : QString())
                + QString::number(magnitude - 1);
        return text;
    }
    QString text = value.negative ? QStringLiteral("-") : QString();
    const QByteArray integer = value.integerDigits();
    text += integer.isEmpty() ? QStringLiteral("0") : QString::fromLatin1(integer);
    if (value.exponent < 0)
        text += m_point + QString::fromLatin1(value.fractionDigits(-value.exponent));
    return text;
}

QString NumberFormat::renderInteger(const Section &section, int end, QByteArray digits) const
{
    // Placeholders are filled from the right; the leftmost one takes every
    // remaining digit. Zeros pad the number out to the leftmost '0'.
    int firstZero = -1;
    int placeholder = 0;
    for (int i = 0; i < end; ++i) {
        const Token::Kind k = section.tokens.at(i).kind;
        if (k == Token::Zero || k == Token::Hash) {
            if (k == Token::Zero && firstZero < 0)
                firstZero = placeholder;
            ++placeholder;
        }
    }
    const int minDigits = firstZero < 0 ? 0 : section.integerPlaceholders - firstZero;
    if (digits.size() < minDigits)
        digits.prepend(QByteArray(minDigits - digits.size(), '0'));

    QString out;
    int pos = digits.size() - 1;
    int emitted = 0;
    auto emitDigit = [&](char c) {
        if (section.grouping && emitted > 0 && emitted % 3 == 0)
            out.prepend(m_group);
        out.prepend(QLatin1Char(c));
        ++emitted;
    };
    int remainingPlaceholders = section.integerPlaceholders;
    for (int i = end - 1; i >= 0; --i) {
        const Token &t = section.tokens.at(i);
        if (t.kind == Token::Literal) {
            out.prepend(t.text);
            continue;
        }
        --remainingPlaceholders;
        if (remainingPlaceholders == 0) {
            while (pos >= 0)
                emitDigit(digits.at(pos--));
        } else if (pos >= 0) {
            emitDigit(digits.at(pos--));
        }
    }
    return out;
}

QString NumberFormat::render(const Decimal &absValue, const Section &section) const
{
    if (!section.scientific)
        return renderFixed(absValue, section);
    // The mantissa gets as many integer digits as there are integer
    // placeholders: absValue = 0.<digits> x 10^(digits + exponent).
    Decimal mantissa = absValue;
    int exponent = 0;
    if (!mantissa.isZero()) {
        const int integerDigits = section.integerPlaceholders;
        exponent = int(mantissa.digits.size()) + mantissa.exponent - integerDigits;
        mantissa.exponent -= exponent;
        mantissa.roundToDecimals(section.fractionPlaceholders);
        if (int(mantissa.digits.size()) + mantissa.exponent > integerDigits) {
            // Rounding carried into a new digit (9.996 -> 10.00): shift once more.
            ++exponent;
            --mantissa.exponent;
        }
    }
    QString out = renderFixed(mantissa, section);
    out += section.exponentLetter;
    if (exponent < 0)
        out += QLatin1Char('-');
    else if (section.exponentPlus)
        out += QLatin1Char('+');
    out += QStringLiteral("%1").arg(qAbs(exponent), qMax(section.exponentDigits, 1), 10, QLatin1Char('0'));
    return out + section.suffix;
}

QString NumberFormat::renderFixed(const Decimal &absValue, const Section &section) const
{
    if (!section.hasDigits()) {
        QString out;
        for (const Token &t : section.tokens)
            if (t.kind == Token::Literal)
                out += t.text;
        return out;
    }

    const int end = section.pointIndex >= 0 ? section.pointIndex : section.tokens.size();
    const QByteArray integer = absValue.integerDigits();
    QString out;
    if (section.integerPlaceholders > 0) {
        out = renderInteger(section, end, integer);
    } else {
        for (int i = 0; i < end; ++i)
            out += section.tokens.at(i).text;
        // Without integer placeholders the integer digits still have to be shown.
        Section plain;
        plain.grouping = section.grouping;
        plain.integerPlaceholders = 1;
        plain.tokens.append(Token{Token::Hash, {}});
        out += renderInteger(plain, 1, integer);
    }
    if (section.pointIndex < 0)
        return out;

    const QByteArray fraction = absValue.fractionDigits(section.fractionPlaceholders);
    int lastSignificant = fraction.size() - 1;
    while (lastSignificant >= 0 && fraction.at(lastSignificant) == '0')
        --lastSignificant;

    QString fractionText;
    bool anyDigit = false;
    int f = 0;
    for (int i = section.pointIndex + 1; i < section.tokens.size(); ++i) {
        const Token &t = section.tokens.at(i);
        if (t.kind == Token::Literal) {
            fractionText += t.text;
        } else if (t.kind == Token::Zero || (t.kind == Token::Hash && f <= lastSignificant)) {
            fractionText += QLatin1Char(fraction.at(f++));
            anyDigit = true;
        } else {
            ++f;
        }
    }
    if (anyDigit)
        out += m_point;
    return out + fractionText;
}


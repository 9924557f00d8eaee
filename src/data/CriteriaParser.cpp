#include "CriteriaParser.h"

#include "Currency.h"
#include "DateTime.h"

#include <cmath>

namespace data {

namespace {

bool isIdentStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool isIdentPart(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

/// A number starts at i: a digit, or a point and a digit.
bool startsNumber(QStringView text, qsizetype i)
{
    if (i >= text.size())
        return false;
    return isDigit(text[i])
           || (text[i] == QLatin1Char('.') && i + 1 < text.size() && isDigit(text[i + 1]));
}

/// "m/d/yy ..." with the year written out ("m/d/19yy ..."); any other text unchanged.
/// Two-digit years 00-29 are 2000-2029, 30-99 are 1930-1999.
QString withFourDigitYear(QStringView text)
{
    qsizetype i = 0;
    auto digits = [&](int most) {
        const qsizetype start = i;
        while (i < text.size() && i - start < most && isDigit(text[i]))
            ++i;
        return i - start;
    };
    auto slash = [&] {
        if (i < text.size() && text[i] == QLatin1Char('/')) {
            ++i;
            return true;
        }
        return false;
    };
    if (digits(2) == 0 || !slash() || digits(2) == 0 || !slash())
        return text.toString();
    const qsizetype yearAt = i;
    if (digits(3) != 2 || (i < text.size() && !text[i].isSpace()))
        return text.toString();
    const int year = text.mid(yearAt, 2).toInt();
    QString out = text.left(yearAt).toString();
    out += QLatin1String(year < 30 ? "20" : "19");
    out += text.mid(yearAt);
    return out;
}

} // namespace

QString CriteriaParser::quoted(QStringView text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
        } else if (c.isSurrogate() || !c.isPrint()) {
            out += QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
        } else {
            out += c;
        }
    }
    return QLatin1Char('"') + out + QLatin1Char('"');
}

void CriteriaParser::fail(int position, const QString &what)
{
    if (m_error.isEmpty())
        m_error = QStringLiteral("Invalid filter criteria at position %1: %2.").arg(position).arg(what);
}

QString CriteriaParser::describe(const Token &t) const
{
    switch (t.type) {
    case Tok::End:
        return QStringLiteral("the end of the text");
    case Tok::Text:
        return QStringLiteral("a text value");
    case Tok::Date:
        return QStringLiteral("a date value");
    case Tok::Number:
        return QStringLiteral("the number %1").arg(t.text);
    default:
        return quoted(t.text);
    }
}

void CriteriaParser::expected(const QString &what)
{
    fail(current().position, QStringLiteral("expected %1, found %2").arg(what, describe(current())));
}

void CriteriaParser::lexNumber(QStringView text, qsizetype &i, int position)
{
    const qsizetype start = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    if (i < text.size() && text[i] == QLatin1Char('.')) {
        ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
    }
    // An exponent only when digits follow: "5E" stays a number and a name.
    if (i < text.size() && (text[i] == QLatin1Char('E') || text[i] == QLatin1Char('e'))) {
        qsizetype j = i + 1;
        if (j < text.size() && (text[j] == QLatin1Char('+') || text[j] == QLatin1Char('-')))
            ++j;
        if (j < text.size() && isDigit(text[j])) {
            i = j;
            while (i < text.size() && isDigit(text[i]))
                ++i;
        }
    }
    m_tokens.push_back({Tok::Number, position, text.mid(start, i - start).toString(), 0});
}

bool CriteriaParser::tokenize(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        const int pos = int(i) + 1;
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (startsNumber(text, i)) {
            lexNumber(text, i, pos);
            continue;
        }
        if (c == QLatin1Char('$') && startsNumber(text, i + 1)) {
            // A currency amount: the dollar sign is decoration, the number is the value.
            ++i;
            lexNumber(text, i, pos);
            continue;
        }
        if (isIdentStart(c)) {
            const qsizetype start = i;
            while (i < text.size() && isIdentPart(text[i]))
                ++i;
            const QString word = text.mid(start, i - start).toString();
            const QString upper = word.toUpper();
            Tok type = Tok::Ident;
            if (upper == u"AND")
                type = Tok::And;
            else if (upper == u"OR")
                type = Tok::Or;
            else if (upper == u"LIKE")
                type = Tok::Like;
            else if (upper == u"IS")
                type = Tok::Is;
            else if (upper == u"NOT")
                type = Tok::Not;
            else if (upper == u"NULL")
                type = Tok::Null;
            else if (upper == u"TRUE")
                type = Tok::True;
            else if (upper == u"FALSE")
                type = Tok::False;
            m_tokens.push_back({type, pos, word, 0});
            continue;
        }
        switch (c.unicode()) {
        case '[': {
            const qsizetype close = text.indexOf(QLatin1Char(']'), i + 1);
            if (close < 0) {
                fail(pos, QStringLiteral("expected \"]\" to close the field name"));
                return false;
            }
            const QString name = text.mid(i + 1, close - i - 1).trimmed().toString();
            if (name.isEmpty()) {
                fail(pos, QStringLiteral("expected a field name inside the brackets"));
                return false;
            }
            m_tokens.push_back({Tok::Ident, pos, name, 0});
            i = close + 1;
            continue;
        }
        case '\'': {
            QString value;
            qsizetype j = i + 1;
            bool closed = false;
            while (j < text.size()) {
                if (text[j] == QLatin1Char('\'')) {
                    if (j + 1 < text.size() && text[j + 1] == QLatin1Char('\'')) {
                        value += QLatin1Char('\'');
                        j += 2;
                        continue;
                    }
                    closed = true;
                    break;
                }
                value += text[j];
                ++j;
            }
            if (!closed) {
                fail(pos, QStringLiteral("expected \"'\" to close the text value"));
                return false;
            }
            m_tokens.push_back({Tok::Text, pos, value, 0});
            i = j + 1;
            continue;
        }
        case '#': {
            const qsizetype close = text.indexOf(QLatin1Char('#'), i + 1);
            if (close < 0) {
                fail(pos, QStringLiteral("expected \"#\" to close the date value"));
                return false;
            }
            const QStringView body = text.mid(i + 1, close - i - 1);
            i = close + 1;
            // #'1'#: a text that begins and ends with a quote, written without
            // doubling its quotes.
            if (body.size() >= 2 && body.front() == QLatin1Char('\'') && body.back() == QLatin1Char('\'')) {
                m_tokens.push_back({Tok::Text, pos, body.toString(), 0});
                continue;
            }
            const auto secs = dateLiteral(body);
            if (!secs) {
                fail(pos + 1, QStringLiteral("expected a date as m/d/yyyy [h:mm[:ss]] [AM|PM], found %1")
                                  .arg(quoted(body)));
                return false;
            }
            m_tokens.push_back({Tok::Date, pos, body.toString(), *secs});
            continue;
        }
        case '(':
            m_tokens.push_back({Tok::LParen, pos, QStringLiteral("("), 0});
            ++i;
            continue;
        case ')':
            m_tokens.push_back({Tok::RParen, pos, QStringLiteral(")"), 0});
            ++i;
            continue;
        case '-':
            m_tokens.push_back({Tok::Minus, pos, QStringLiteral("-"), 0});
            ++i;
            continue;
        case '+':
            m_tokens.push_back({Tok::Plus, pos, QStringLiteral("+"), 0});
            ++i;
            continue;
        case '=':
            m_tokens.push_back({Tok::Eq, pos, QStringLiteral("="), 0});
            ++i;
            continue;
        case '<':
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('>')) {
                m_tokens.push_back({Tok::Ne, pos, QStringLiteral("<>"), 0});
                i += 2;
            } else if (i + 1 < text.size() && text[i + 1] == QLatin1Char('=')) {
                m_tokens.push_back({Tok::Le, pos, QStringLiteral("<="), 0});
                i += 2;
            } else {
                m_tokens.push_back({Tok::Lt, pos, QStringLiteral("<"), 0});
                ++i;
            }
            continue;
        case '>':
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('=')) {
                m_tokens.push_back({Tok::Ge, pos, QStringLiteral(">="), 0});
                i += 2;
            } else {
                m_tokens.push_back({Tok::Gt, pos, QStringLiteral(">"), 0});
                ++i;
            }
            continue;
        default:
            break;
        }
        fail(pos, QStringLiteral("unexpected character %1").arg(quoted(text.mid(i, c.isHighSurrogate() ? 2 : 1))));
        return false;
    }
    m_tokens.push_back({Tok::End, int(text.size()) + 1, QString(), 0});
    return true;
}

std::optional<CriteriaExpr> CriteriaParser::parse(QStringView text)
{
    m_tokens.clear();
    m_next = 0;
    m_error.clear();
    if (!tokenize(text))
        return std::nullopt;
    auto expr = parseOr(0);
    if (!expr)
        return std::nullopt;
    if (current().type != Tok::End) {
        expected(QStringLiteral("AND, OR or the end of the criteria"));
        return std::nullopt;
    }
    return expr;
}

std::optional<CriteriaExpr> CriteriaParser::parseOr(int depth)
{
    auto first = parseAnd(depth);
    if (!first || current().type != Tok::Or)
        return first;
    CriteriaExpr any;
    any.kind = CriteriaExpr::Kind::Or;
    any.children.push_back(std::move(*first));
    while (current().type == Tok::Or) {
        ++m_next;
        auto next = parseAnd(depth);
        if (!next)
            return std::nullopt;
        any.children.push_back(std::move(*next));
    }
    return any;
}

std::optional<CriteriaExpr> CriteriaParser::parseAnd(int depth)
{
    auto first = parsePrimary(depth);
    if (!first || current().type != Tok::And)
        return first;
    CriteriaExpr all;
    all.kind = CriteriaExpr::Kind::And;
    all.children.push_back(std::move(*first));
    while (current().type == Tok::And) {
        ++m_next;
        auto next = parsePrimary(depth);
        if (!next)
            return std::nullopt;
        all.children.push_back(std::move(*next));
    }
    return all;
}

std::optional<CriteriaExpr> CriteriaParser::parsePrimary(int depth)
{
    if (current().type == Tok::LParen) {
        if (depth >= MaxDepth) {
            fail(current().position, QStringLiteral("parentheses nested deeper than %1 levels").arg(MaxDepth));
            return std::nullopt;
        }
        ++m_next;
        auto inner = parseOr(depth + 1);
        if (!inner)
            return std::nullopt;
        if (current().type != Tok::RParen) {
            expected(QStringLiteral("\")\""));
            return std::nullopt;
        }
        ++m_next;
        return inner;
    }
    if (current().type == Tok::Ident)
        return parseComparison();
    expected(QStringLiteral("a field name or \"(\""));
    return std::nullopt;
}

std::optional<CriteriaExpr> CriteriaParser::parseComparison()
{
    CriteriaExpr cmp;
    cmp.field = current().text;
    cmp.position = current().position;
    ++m_next;
    switch (current().type) {
    case Tok::Is: {
        ++m_next;
        const bool negated = current().type == Tok::Not;
        if (negated)
            ++m_next;
        if (current().type != Tok::Null) {
            expected(QStringLiteral("NULL"));
            return std::nullopt;
        }
        ++m_next;
        cmp.op = negated ? CriteriaExpr::Op::Ne : CriteriaExpr::Op::Eq;
        cmp.literal.kind = CriteriaLiteral::Kind::Null;
        return cmp;
    }
    case Tok::Like: {
        ++m_next;
        if (current().type != Tok::Text) {
            expected(QStringLiteral("a pattern in quotes"));
            return std::nullopt;
        }
        cmp.op = CriteriaExpr::Op::Like;
        cmp.literal.kind = CriteriaLiteral::Kind::Text;
        cmp.literal.text = current().text;
        ++m_next;
        return cmp;
    }
    case Tok::Eq: cmp.op = CriteriaExpr::Op::Eq; break;
    case Tok::Ne: cmp.op = CriteriaExpr::Op::Ne; break;
    case Tok::Lt: cmp.op = CriteriaExpr::Op::Lt; break;
    case Tok::Gt: cmp.op = CriteriaExpr::Op::Gt; break;
    case Tok::Le: cmp.op = CriteriaExpr::Op::Le; break;
    case Tok::Ge: cmp.op = CriteriaExpr::Op::Ge; break;
    default:
        expected(QStringLiteral("a comparison operator (=, <>, <, >, <=, >=, LIKE, IS)"));
        return std::nullopt;
    }
    ++m_next;
    auto literal = parseLiteral();
    if (!literal)
        return std::nullopt;
    cmp.literal = std::move(*literal);
    return cmp;
}

std::optional<CriteriaLiteral> CriteriaParser::numberLiteral(QStringView text)
{
    text = text.trimmed();
    // [+|-]digits[.digits][(E|e)[+|-]digits], or with no digits before the point.
    qsizetype i = 0;
    const bool negative = i < text.size() && text[i] == QLatin1Char('-');
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        ++i;
    QByteArray digits;        // every digit of the mantissa, the point left out
    qsizetype pointAt = -1;   // digits before the point
    for (; i < text.size(); ++i) {
        if (isDigit(text[i]))
            digits += char(text[i].unicode());
        else if (text[i] == QLatin1Char('.') && pointAt < 0)
            pointAt = digits.size();
        else
            break;
    }
    if (digits.isEmpty())
        return std::nullopt;
    if (pointAt < 0)
        pointAt = digits.size();
    qint64 exponent = 0;
    if (i < text.size() && (text[i] == QLatin1Char('E') || text[i] == QLatin1Char('e'))) {
        ++i;
        const bool negativeExponent = i < text.size() && text[i] == QLatin1Char('-');
        if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
            ++i;
        if (i >= text.size() || !isDigit(text[i]))
            return std::nullopt;
        for (; i < text.size() && isDigit(text[i]); ++i) {
            // Far beyond any double: the value is out of range (or zero) either way.
            if (exponent < 100000)
                exponent = exponent * 10 + text[i].digitValue();
        }
        if (negativeExponent)
            exponent = -exponent;
    }
    if (i != text.size())
        return std::nullopt;

    // The value is 0.<digits> x 10^point once leading zeros are gone.
    qint64 point = pointAt + exponent;
    qsizetype lead = 0;
    while (lead < digits.size() && digits[lead] == '0')
        ++lead;
    digits.remove(0, lead);
    point -= lead;
    while (!digits.isEmpty() && digits.back() == '0')
        digits.chop(1);

    CriteriaLiteral lit;
    lit.kind = CriteriaLiteral::Kind::Number;
    lit.text = text.toString();
    if (digits.isEmpty()) {
        lit.number = negative ? -0.0 : 0.0;
        lit.integer = 0;
        lit.currencyRaw = 0;
        return lit;
    }
    bool ok = false;
    const QByteArray plain = QByteArrayLiteral("0.") + digits + 'e' + QByteArray::number(point);
    lit.number = plain.toDouble(&ok);
    if (!ok || !std::isfinite(lit.number) || lit.number == 0)
        return std::nullopt;
    if (negative)
        lit.number = -lit.number;
    // Keep the exact forms beside the double, so that integer, currency and
    // date comparisons never go through binary fractions.
    auto exactly = [&](qint64 scaleDigits) -> std::optional<qint64> {
        const qint64 wholeDigits = point + scaleDigits;
        if (wholeDigits < digits.size() || wholeDigits > 19)
            return std::nullopt;   // a fraction left over, or beyond 64 bits
        QByteArray whole = negative ? QByteArrayLiteral("-") : QByteArray();
        whole += digits;
        whole += QByteArray(wholeDigits - digits.size(), '0');
        bool fits = false;
        const qint64 v = whole.toLongLong(&fits);
        return fits ? std::optional<qint64>(v) : std::nullopt;
    };
    lit.integer = exactly(0);
    lit.currencyRaw = exactly(4);
    return lit;
}

std::optional<qint64> CriteriaParser::dateLiteral(QStringView text)
{
    if (const auto d = DateTime::fromUsString(withFourDigitYear(text.trimmed())))
        return d->secs();
    if (const auto d = DateTime::fromIsoString(text))
        return d->secs();
    return std::nullopt;
}

std::optional<CriteriaLiteral> CriteriaParser::parseLiteral()
{
    CriteriaLiteral lit;
    const Token &t = current();
    switch (t.type) {
    case Tok::Text:
        lit.kind = CriteriaLiteral::Kind::Text;
        lit.text = t.text;
        ++m_next;
        return lit;
    case Tok::Date:
        lit.kind = CriteriaLiteral::Kind::Date;
        lit.text = t.text;
        lit.secs = t.secs;
        ++m_next;
        return lit;
    case Tok::True:
    case Tok::False:
        lit.kind = CriteriaLiteral::Kind::Boolean;
        lit.boolean = t.type == Tok::True;
        lit.text = lit.boolean ? QStringLiteral("True") : QStringLiteral("False");
        lit.number = lit.boolean ? -1 : 0;
        lit.integer = lit.boolean ? -1 : 0;
        lit.currencyRaw = lit.boolean ? -Currency::Scale : 0;
        ++m_next;
        return lit;
    case Tok::Null:
        lit.kind = CriteriaLiteral::Kind::Null;
        ++m_next;
        return lit;
    default:
        break;
    }
    bool negative = false;
    if (t.type == Tok::Minus || t.type == Tok::Plus) {
        negative = t.type == Tok::Minus;
        ++m_next;
    }
    if (current().type != Tok::Number) {
        expected(QStringLiteral("a value (a number, 'text', #date#, True, False or Null)"));
        return std::nullopt;
    }
    const QString digits = current().text;
    auto number = numberLiteral(negative ? QString(QLatin1Char('-') + digits) : digits);
    if (!number) {
        fail(current().position, QStringLiteral("the number %1 is out of range").arg(digits));
        return std::nullopt;
    }
    lit = std::move(*number);
    ++m_next;
    return lit;
}

} // namespace data

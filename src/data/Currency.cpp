#include "Currency.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace data {

namespace {

// Largest magnitude of whole units that still fits the 64-bit raw count.
constexpr quint64 MaxRaw = quint64(std::numeric_limits<qint64>::max());

// Rounds a plain decimal digit string "[-]ddd[.ddd]" half away from zero to four
// decimals. Used for doubles whose scaled value lies too close to a half to
// trust the binary product: 1.00005 is 1.0000499999999999 in binary, but the
// user typed (and the shortest decimal form shows) 1.00005.
std::optional<qint64> roundDecimalText(const char *begin, const char *end)
{
    bool negative = false;
    if (begin != end && (*begin == '-' || *begin == '+')) {
        negative = *begin == '-';
        ++begin;
    }
    quint64 raw = 0;
    int fractionDigits = -1;   // -1: still in the integer part
    bool anyDigit = false;
    bool roundUp = false;
    for (const char *p = begin; p != end; ++p) {
        const char c = *p;
        if (c == '.') {
            if (fractionDigits >= 0)
                return std::nullopt;
            fractionDigits = 0;
            continue;
        }
        if (c < '0' || c > '9')
            return std::nullopt;
        anyDigit = true;
        if (fractionDigits >= 4) {
            // Only the first dropped digit decides: half away from zero.
            if (fractionDigits == 4)
                roundUp = c >= '5';
            ++fractionDigits;
            continue;
        }
        const quint64 digit = quint64(c - '0');
        if (raw > (MaxRaw - digit) / 10)
            return std::nullopt;
        raw = raw * 10 + digit;
        if (fractionDigits >= 0)
            ++fractionDigits;
    }
    if (!anyDigit)
        return std::nullopt;
    for (int i = std::max(fractionDigits, 0); i < 4; ++i) {
        if (raw > MaxRaw / 10)
            return std::nullopt;
        raw *= 10;
    }
    if (roundUp)
        ++raw;
    if (raw > MaxRaw)
        return std::nullopt;
    return negative ? -qint64(raw) : qint64(raw);
}

} // namespace

Currency Currency::fromDouble(double value)
{
    if (!std::isfinite(value))
        return Currency();
    const double scaled = value * Scale;
    if (std::fabs(scaled) >= 9.2e18)
        return fromRaw(scaled < 0 ? std::numeric_limits<qint64>::min()
                                  : std::numeric_limits<qint64>::max());
    const double rounded = std::round(scaled);   // half away from zero
    // Far from a half the binary product rounds as the decimal would; near a
    // half, decide on the shortest decimal text of the double instead.
    const double distanceToHalf = std::fabs(std::fabs(scaled - std::trunc(scaled)) - 0.5);
    if (distanceToHalf > 1e-6 * std::max(1.0, std::fabs(scaled) * 1e-9))
        return fromRaw(qint64(rounded));
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::fixed);
    if (result.ec == std::errc()) {
        if (const auto raw = roundDecimalText(buffer, result.ptr))
            return fromRaw(*raw);
    }
    return fromRaw(qint64(rounded));
}

std::optional<Currency> Currency::fromString(QStringView text)
{
    text = text.trimmed();
    if (text.isEmpty() || text.size() > 60)
        return std::nullopt;
    char buffer[64];
    int n = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u > 0x7f)
            return std::nullopt;
        buffer[n++] = char(u);
    }
    const auto raw = roundDecimalText(buffer, buffer + n);
    if (!raw)
        return std::nullopt;
    return fromRaw(*raw);
}

QString Currency::toString() const
{
    // Work on the magnitude as unsigned so the most negative raw value prints too.
    const bool negative = m_raw < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(m_raw) : quint64(m_raw);
    const quint64 units = magnitude / Scale;
    quint64 fraction = magnitude % Scale;
    QString text;
    if (negative)
        text += QLatin1Char('-');
    text += QString::number(units);
    if (fraction != 0) {
        int digits = 4;
        while (fraction % 10 == 0) {
            fraction /= 10;
            --digits;
        }
        text += QLatin1Char('.');
        text += QString::number(fraction).rightJustified(digits, QLatin1Char('0'));
    }
    return text;
}

} // namespace data

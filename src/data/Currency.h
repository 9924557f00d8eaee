#pragma once

#include "marvolt_export.h"

#include <QString>
#include <QtGlobal>

#include <compare>
#include <optional>

namespace data {

/// A money amount: a 64-bit integer count of ten-thousandths. Sums and
/// differences are exact; conversion from a double rounds half away from zero
/// to the fourth decimal. Overflow of the 64-bit range is not detected.
class MARVOLT_EXPORT Currency final
{
public:
    static constexpr qint64 Scale = 10000;

    constexpr Currency() = default;
    /// Whole units, e.g. Currency::fromUnits(5) == 5.0000.
    static constexpr Currency fromUnits(qint64 units) { return fromRaw(units * Scale); }
    /// The raw ten-thousandths, e.g. fromRaw(12345) == 1.2345.
    static constexpr Currency fromRaw(qint64 raw)
    {
        Currency c;
        c.m_raw = raw;
        return c;
    }
    static Currency fromDouble(double value);
    /// Parses "-1234.5", "1234.56789" (rounded), "+0.5"; no grouping, '.' as
    /// decimal point. Returns nothing for anything else.
    static std::optional<Currency> fromString(QStringView text);

    constexpr qint64 raw() const { return m_raw; }
    double toDouble() const { return double(m_raw) / Scale; }
    /// Plain decimal text with the trailing zeros of the fraction removed:
    /// "1234.5", "-0.0001", "17".
    QString toString() const;

    constexpr Currency operator-() const { return fromRaw(-m_raw); }
    constexpr Currency operator+(Currency o) const { return fromRaw(m_raw + o.m_raw); }
    constexpr Currency operator-(Currency o) const { return fromRaw(m_raw - o.m_raw); }
    constexpr Currency &operator+=(Currency o) { m_raw += o.m_raw; return *this; }
    constexpr Currency &operator-=(Currency o) { m_raw -= o.m_raw; return *this; }
    constexpr Currency operator*(qint64 n) const { return fromRaw(m_raw * n); }
    constexpr auto operator<=>(const Currency &) const = default;

private:
    qint64 m_raw = 0;
};

} // namespace data

#pragma once

#include "Currency.h"

#include <optional>

/// The sums of one currency pair's deals that its summary row shows: the
/// sells (negative first-currency volume) and the buys in both currencies,
/// and the rate-weighted volumes from which the average rates come.
///
/// An average whose divisor is zero (no sells, no buys, or nets that cancel)
/// has no value: the summary row leaves that field empty.
class PairSummary final
{
public:
    /// Adds one deal: its signed first-currency volume, its second-currency
    /// volume and its rate.
    void addDeal(data::Currency volume, data::Currency volume2, double rate);

    data::Currency sellCcy1() const { return m_a; }   ///< A: first currency of the sells
    data::Currency buyCcy1() const { return m_b; }    ///< B: first currency of the buys
    data::Currency sellsCcy2() const { return m_c; }  ///< C: second currency of the sells
    data::Currency buysCcy2() const { return m_d; }   ///< D: second currency of the buys
    data::Currency netCcy1() const { return m_a + m_b; }
    data::Currency netCcy2() const { return m_c + m_d; }

    /// |E / A|: the average rate of the sells.
    std::optional<double> sellRate() const;
    /// |F / B|: the average rate of the buys.
    std::optional<double> buyRate() const;
    /// |(C + D) / (A + B)|: the rate of the open position, when both nets are non-zero.
    std::optional<double> positionRate() const;

private:
    data::Currency m_a, m_b, m_c, m_d;
    double m_e = 0.0;   // sum over the sells of |rate x volume|
    double m_f = 0.0;   // the same over the buys
};

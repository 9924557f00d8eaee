#include "PairSummary.h"

#include <cmath>

void PairSummary::addDeal(data::Currency volume, data::Currency volume2, double rate)
{
    if (volume < data::Currency()) {
        m_a += volume;
        m_c += volume2;
        m_e += std::abs(rate * volume.toDouble());
    } else {
        m_b += volume;
        m_d += volume2;
        m_f += std::abs(rate * volume.toDouble());
    }
}

std::optional<double> PairSummary::sellRate() const
{
    if (m_a == data::Currency())
        return std::nullopt;
    return std::abs(m_e / m_a.toDouble());
}

std::optional<double> PairSummary::buyRate() const
{
    if (m_b == data::Currency())
        return std::nullopt;
    return std::abs(m_f / m_b.toDouble());
}

std::optional<double> PairSummary::positionRate() const
{
    if (netCcy1() == data::Currency() || netCcy2() == data::Currency())
        return std::nullopt;
    return std::abs(netCcy2().toDouble() / netCcy1().toDouble());
}

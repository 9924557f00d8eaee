#pragma once

#include <cstdint>
#include <vector>

namespace db {

/// The demo generator's random numbers: xoshiro256** seeded through
/// splitmix64. Everything is integer and plain double arithmetic (no
/// <random> distributions, no libm), so a seed gives the same sequence with
/// every compiler and standard library.
class DemoRandom final
{
public:
    explicit DemoRandom(std::uint64_t seed)
    {
        std::uint64_t x = seed;
        for (std::uint64_t &s : m_state) {
            x += 0x9E3779B97F4A7C15ull;
            std::uint64_t z = x;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            s = z ^ (z >> 31);
        }
    }

    std::uint64_t next()
    {
        const std::uint64_t result = rotl(m_state[1] * 5, 7) * 9;
        const std::uint64_t t = m_state[1] << 17;
        m_state[2] ^= m_state[0];
        m_state[3] ^= m_state[1];
        m_state[1] ^= m_state[2];
        m_state[0] ^= m_state[3];
        m_state[2] ^= t;
        m_state[3] = rotl(m_state[3], 45);
        return result;
    }

    /// Uniform in [0, 1), 53 random bits.
    double uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    /// Uniform whole number in [0, n); n > 0.
    int below(int n) { return int((next() >> 33) % std::uint64_t(n)); }
    /// Uniform whole number in [lo, hi].
    int range(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool chance(double p) { return uniform() < p; }
    /// Approximately standard normal: the Irwin-Hall sum of twelve uniforms
    /// minus six (bounded by +-6, which suits prices).
    double normal()
    {
        double sum = 0;
        for (int i = 0; i < 12; ++i)
            sum += uniform();
        return sum - 6.0;
    }
    /// An index drawn with the given (not necessarily normalised) weights.
    int weighted(const std::vector<double> &weights)
    {
        double total = 0;
        for (double w : weights)
            total += w;
        double u = uniform() * total;
        for (int i = 0; i < int(weights.size()); ++i) {
            if (u < weights[i])
                return i;
            u -= weights[i];
        }
        return int(weights.size()) - 1;
    }

private:
    static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t m_state[4];
};

} // namespace db

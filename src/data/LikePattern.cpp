#include "LikePattern.h"

namespace data {

LikePattern::LikePattern(QStringView pattern)
{
    // Wildcards are flagged beside the text rather than replaced by a reserved
    // character, so that no character of a pattern can turn into a wildcard.
    m_pattern.reserve(pattern.size());
    m_anyRun.reserve(std::size_t(pattern.size()));
    for (QChar c : pattern) {
        const bool wildcard = c == QLatin1Char('*') || c == QLatin1Char('%');
        m_pattern += wildcard ? c : c.toCaseFolded();
        m_anyRun.push_back(wildcard);
    }
}

bool LikePattern::matches(QStringView text) const
{
    const qsizetype n = text.size();
    const qsizetype m = m_pattern.size();
    qsizetype t = 0;
    qsizetype p = 0;
    qsizetype starP = -1;   // pattern position after the last '*'
    qsizetype starT = 0;    // text position that '*' currently stands for
    while (t < n) {
        if (p < m && isAnyRun(p)) {
            starP = ++p;
            starT = t;
        } else if (p < m && m_pattern[p] == text[t].toCaseFolded()) {
            ++p;
            ++t;
        } else if (starP >= 0) {
            // Let the last '*' swallow one more character and retry.
            p = starP;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < m && isAnyRun(p))
        ++p;
    return p == m;
}

} // namespace data

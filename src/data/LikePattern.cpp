#include "LikePattern.h"

namespace data {

LikePattern::LikePattern(QStringView pattern)
{
    m_pattern.reserve(pattern.size());
    for (QChar c : pattern) {
        if (c == QLatin1Char('*') || c == QLatin1Char('%'))
            m_pattern += QChar(char16_t(AnyRun));
        else if (c == QLatin1Char('_') || c == QLatin1Char('?'))
            m_pattern += QChar(char16_t(AnyOne));
        else
            m_pattern += c.toCaseFolded();
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
        if (p < m && m_pattern[p].unicode() == AnyRun) {
            starP = ++p;
            starT = t;
        } else if (p < m && (m_pattern[p].unicode() == AnyOne
                             || m_pattern[p] == text[t].toCaseFolded())) {
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
    while (p < m && m_pattern[p].unicode() == AnyRun)
        ++p;
    return p == m;
}

} // namespace data

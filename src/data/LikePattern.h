#pragma once

#include <QString>
#include <QStringView>

#include <vector>

namespace data {

/// A LIKE pattern of filter criteria: '*' and '%' match any run of characters
/// (none included); every other character, '_' and '?' among them, matches
/// itself without regard to case. There is no single-character wildcard and no
/// escape: a pattern cannot ask for a literal '*' or '%'.
///
/// Matching is iterative with a single backtracking point, so it takes at most
/// text length x pattern length steps whatever the pattern ("*a*a*a*b" included).
class LikePattern final
{
public:
    explicit LikePattern(QStringView pattern);

    bool matches(QStringView text) const;

private:
    bool isAnyRun(qsizetype p) const { return m_anyRun[std::size_t(p)]; }

    QString m_pattern;            // case-folded
    std::vector<bool> m_anyRun;   // per pattern character: a wildcard

};

} // namespace data

#pragma once

#include <QString>
#include <QStringView>

namespace data {

/// A LIKE pattern of filter criteria: '*' or '%' match any run of characters,
/// '_' or '?' exactly one; everything else matches itself without regard to case.
///
/// Matching is iterative with a single backtracking point, so it takes at most
/// text length x pattern length steps whatever the pattern ("*a*a*a*b" included).
class LikePattern final
{
public:
    explicit LikePattern(QStringView pattern);

    bool matches(QStringView text) const;

private:
    enum : char16_t { AnyRun = 0xFFFF, AnyOne = 0xFFFE };
    // The pattern case-folded, wildcards replaced by the two non-characters above.
    QString m_pattern;
};

} // namespace data

#include "RowArrangement.h"

#include "CellValue.h"

#include <algorithm>
#include <map>

namespace {

struct KeyLess
{
    bool operator()(const CellValue::Key &a, const CellValue::Key &b) const
    {
        return CellValue::compare(a, b) < 0;
    }
};

using Ranks = std::vector<std::vector<int>>;

/// Every row's group value of one level as the rank of that value among the
/// level's distinct values, so that sorting compares integers. Groups are
/// ordered by what the user reads (the value-list text when there is one),
/// then by value. Returns the number of distinct values.
int rankLevel(int rows, const RowOrdering::Key &group, const QHash<QString, QString> &texts,
              const RowArrangement::CellReader &cell, std::vector<int> &rank)
{
    std::map<CellValue::Key, int, KeyLess> distinct;
    std::vector<int> ids(static_cast<size_t>(rows));
    std::vector<QVariant> values;
    CellValue::Key lastKey;
    int lastId = -1;
    for (int row = 0; row < rows; ++row) {
        const QVariant v = cell(row, group.column);
        CellValue::Key k = CellValue::key(v);
        // Reports write the rows of a group together: most rows repeat the
        // previous row's value and need no lookup.
        if (lastId >= 0 && CellValue::compare(k, lastKey) == 0) {
            ids[size_t(row)] = lastId;
            continue;
        }
        auto [it, inserted] = distinct.try_emplace(k, int(distinct.size()));
        if (inserted)
            values.push_back(v);
        ids[size_t(row)] = lastId = it->second;
        lastKey = std::move(k);
    }
    std::vector<int> byOrder(values.size());
    std::vector<CellValue::Key> textKeys(values.size());
    std::vector<CellValue::Key> valueKeys(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        byOrder[i] = int(i);
        valueKeys[i] = CellValue::key(values[i]);
        const auto text = texts.constFind(CellValue::hashKey(values[i]));
        textKeys[i] = text != texts.constEnd() ? CellValue::key(*text) : valueKeys[i];
    }
    std::sort(byOrder.begin(), byOrder.end(), [&](int a, int b) {
        int c = CellValue::compare(textKeys[size_t(a)], textKeys[size_t(b)]);
        if (c == 0)
            c = CellValue::compare(valueKeys[size_t(a)], valueKeys[size_t(b)]);
        return group.ascending ? c < 0 : c > 0;
    });
    std::vector<int> rankOfId(values.size());
    for (size_t r = 0; r < byOrder.size(); ++r)
        rankOfId[size_t(byOrder[r])] = int(r);
    rank.resize(size_t(rows));
    for (int row = 0; row < rows; ++row)
        rank[size_t(row)] = rankOfId[size_t(ids[size_t(row)])];
    return int(values.size());
}

/// The groups of one level over order[begin, end), then their inner levels.
void buildLevel(RowArrangement &a, const RowOrdering &ordering, const RowArrangement::CellReader &cell,
                const Ranks &ranks, int parent, int level, int begin, int end)
{
    const std::vector<int> &rank = ranks[size_t(level)];
    const int first = int(a.tree.size());
    int runStart = begin;
    while (runStart < end) {
        const int r = rank[size_t(a.order[size_t(runStart)])];
        int runEnd = runStart + 1;
        while (runEnd < end && rank[size_t(a.order[size_t(runEnd)])] == r)
            ++runEnd;
        RowArrangement::Group g;
        g.parent = parent;
        g.rowInParent = int(a.tree.size()) - first;
        g.level = level;
        g.value = cell(a.order[size_t(runStart)], ordering.groups.at(level).column);
        g.rowBegin = runStart;
        g.rowEnd = runEnd;
        g.childCount = runEnd - runStart;
        a.tree.push_back(g);
        runStart = runEnd;
    }
    const int last = int(a.tree.size());
    if (parent < 0) {
        a.topGroups = last - first;
    } else {
        a.tree[size_t(parent)].firstChild = first;
        a.tree[size_t(parent)].childCount = last - first;
    }
    if (level + 1 < int(ranks.size()))
        for (int g = first; g < last; ++g)
            buildLevel(a, ordering, cell, ranks, g, level + 1, a.tree[size_t(g)].rowBegin, a.tree[size_t(g)].rowEnd);
}

} // namespace

int RowArrangement::countRows(const RowOrdering &ordering, const std::vector<int> &order, int begin, int end,
                              const CellReader &cell)
{
    if (ordering.uncountedColumn < 0)
        return end - begin;
    int rows = 0;
    for (int i = begin; i < end; ++i)
        rows += cell(order[size_t(i)], ordering.uncountedColumn) == ordering.uncountedValue ? 0 : 1;
    return rows == 0 && end > begin ? -1 : rows;
}

RowArrangement RowArrangement::build(int rows, const RowOrdering &ordering, const CellReader &cell, bool countGroups)
{
    RowArrangement a;
    a.rows = std::max(0, rows);
    a.ordering = ordering;
    const int n = a.rows;
    a.order.resize(size_t(n));
    for (int i = 0; i < n; ++i)
        a.order[size_t(i)] = i;
    if (n == 0 || !cell)
        return a;

    Ranks ranks(size_t(ordering.groups.size()));
    int topRankCount = 0;
    for (int level = 0; level < ordering.groups.size(); ++level) {
        static const QHash<QString, QString> NoTexts;
        const auto &texts = size_t(level) < ordering.groupTexts.size() ? ordering.groupTexts[size_t(level)] : NoTexts;
        const int distinct = rankLevel(n, ordering.groups.at(level), texts, cell, ranks[size_t(level)]);
        if (level == 0)
            topRankCount = distinct;
    }

    std::vector<std::vector<CellValue::Key>> sortValues(size_t(ordering.sortKeys.size()));
    for (int s = 0; s < ordering.sortKeys.size(); ++s) {
        auto &keys = sortValues[size_t(s)];
        keys.resize(size_t(n));
        for (int row = 0; row < n; ++row)
            keys[size_t(row)] = CellValue::key(cell(row, ordering.sortKeys.at(s).column));
    }

    // Inner group levels and sort keys order rows within an outer group.
    auto lessInner = [&](int x, int y) {
        for (size_t level = 1; level < ranks.size(); ++level)
            if (ranks[level][size_t(x)] != ranks[level][size_t(y)])
                return ranks[level][size_t(x)] < ranks[level][size_t(y)];
        for (size_t s = 0; s < sortValues.size(); ++s) {
            const int c = CellValue::compare(sortValues[s][size_t(x)], sortValues[s][size_t(y)]);
            if (c != 0)
                return ordering.sortKeys.at(int(s)).ascending ? c < 0 : c > 0;
        }
        return false;
    };
    const bool innerOrder = ranks.size() > 1 || !sortValues.empty();
    // Reports usually deliver rows already in order; checking is one pass.
    auto sortRange = [&](auto begin, auto end) {
        if (innerOrder && !std::is_sorted(begin, end, lessInner))
            std::stable_sort(begin, end, lessInner);
    };
    if (ranks.empty()) {
        sortRange(a.order.begin(), a.order.end());
    } else {
        // The outermost level by counting: linear, and stable.
        const std::vector<int> &top = ranks[0];
        std::vector<int> start(size_t(topRankCount) + 1, 0);
        for (int row = 0; row < n; ++row)
            ++start[size_t(top[size_t(row)]) + 1];
        for (size_t r = 1; r < start.size(); ++r)
            start[r] += start[r - 1];
        std::vector<int> next(start.begin(), start.end() - 1);
        for (int row = 0; row < n; ++row)
            a.order[size_t(next[size_t(top[size_t(row)])]++)] = row;
        for (int r = 0; r < topRankCount; ++r)
            sortRange(a.order.begin() + start[size_t(r)], a.order.begin() + start[size_t(r) + 1]);
        buildLevel(a, ordering, cell, ranks, -1, 0, 0, n);
    }
    if (countGroups)
        for (Group &g : a.tree)
            g.counted = countRows(ordering, a.order, g.rowBegin, g.rowEnd, cell);
    return a;
}

#pragma once

#include "marvolt_export.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>

#include <functional>
#include <vector>

/// How a grid orders its rows: the group columns, outermost first, and the
/// sort keys within the innermost group. A group column's values are ordered
/// by the text its value list shows for them (then by value), so the texts
/// travel with the order: a copy of the lists, readable on any thread.
struct MARVOLT_EXPORT RowOrdering
{
    struct Key
    {
        int column = -1;
        bool ascending = true;
        bool operator==(const Key &) const = default;
    };
    QVector<Key> groups;
    QVector<Key> sortKeys;
    /// Per group level: the value-list text of a value, by CellValue::hashKey;
    /// a value without an entry is ordered by itself.
    std::vector<QHash<QString, QString>> groupTexts;
    /// Rows whose column uncountedColumn holds uncountedValue (summary rows)
    /// are left out of a group's count; -1 counts every row.
    int uncountedColumn = -1;
    QVariant uncountedValue;

    /// The same columns, directions, texts and uncounted rows: an
    /// arrangement made for one serves the other.
    bool operator==(const RowOrdering &) const = default;
};

/// The rows of a grid in display order and the group tree above them, built
/// from the group and sort cells of every row. Pure data: it is built where
/// the rows are (a report's worker thread, for a large result) and handed to
/// the grid, which then shows a million rows without reading one.
struct MARVOLT_EXPORT RowArrangement
{
    struct Group
    {
        int parent = -1;       // group index, -1 for the top level
        int rowInParent = 0;
        int level = 0;
        QVariant value;
        int firstChild = 0;    // first subgroup (inner levels)
        int childCount = 0;    // subgroups, or data rows for the innermost level
        int rowBegin = 0;      // range of order below this group
        int rowEnd = 0;
        /// The rows a group row reports: counted rows, -1 when the group has
        /// rows but none counts, -2 when not counted yet.
        int counted = -2;
    };

    int rows = 0;
    RowOrdering ordering;      // what the rows were ordered by
    std::vector<int> order;    // row bookmarks in display order
    std::vector<Group> tree;   // every group node, each level's groups in order
    int topGroups = 0;         // groups of level 0: tree[0 .. topGroups)

    /// (row bookmark, column index) -> the cell's value, as the grid reads it.
    using CellReader = std::function<QVariant(int row, int column)>;
    /// Arranges `rows` rows as `ordering` says. Rows are read once per group and sort
    /// column; reports deliver a group's rows together, which costs no lookup.
    /// With countGroups, every group's counted rows are read as well (one
    /// more column of every row); without, the groups are left uncounted.
    static RowArrangement build(int rows, const RowOrdering &ordering, const CellReader &cell,
                                bool countGroups = false);
    /// The counted rows of order[begin, end) (see Group::counted).
    static int countRows(const RowOrdering &ordering, const std::vector<int> &order, int begin, int end,
                         const CellReader &cell);
};

#pragma once

#include "CellValue.h"
#include "FormatCondition.h"
#include "GridColumn.h"
#include "ReportDocument.h"
#include "RowArrangement.h"
#include "RowChangeMarks.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QList>
#include <QVarLengthArray>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace widgets {

/// The model behind the Grid: unbound rows, fetched from the control only when
/// shown, arranged in groups of equal column values and ordered by sort keys.
///
/// Rows are identified by their bookmark, 0 .. ItemCount-1, the row number the
/// control's readers understand. Grouping and sorting read just the group and
/// sort columns of every row once per rebuild; display cells, format conditions
/// and value-list texts are read when a cell is painted. Group nodes are the
/// top levels of the tree (one level per group column), data rows are their
/// leaves; without groups the data rows are the top level.
///
/// The model owns its columns and format conditions. It does not keep
/// expansion: the view does; Grid keeps it across rebuilds.
///
/// With change marking on, every re-read (setItemCount, setCellReader,
/// rebuild) marks the rows that changed against the previous re-read
/// (RowChangeMarks says how rows are matched): it takes the comparison made
/// where the rows were read (a report run's worker) when it is given one
/// made for its columns and groups, and otherwise reads every cell of every
/// row once more itself. The cells compared are those read (RawValueRole), not what a row
/// reader shows over them: a summary row that shows its amounts as texts is
/// compared by its amounts. Grouping and sorting the same rows again is no
/// re-read: it keeps the marks, and the next re-read, grouped otherwise than
/// the one before, marks nothing. Marking is off by default, so that a model
/// that is not asked for it reads only the rows it shows.
class GridModel final : public QAbstractItemModel
{
    Q_OBJECT

public:
    /// (row bookmark, column index) -> the cell's value.
    using CellReader = std::function<QVariant(int row, int column)>;
    /// (row bookmark, values of every column, resized to the column count):
    /// fills or changes the values shown for one row. Used for display only.
    using RowReader = std::function<void(int row, QVector<QVariant> &values)>;

    enum Role {
        RawValueRole = Qt::UserRole + 1,   ///< the value as read (data rows), the group value (group rows)
        IsGroupRole,                       ///< bool
        BookmarkRole,                      ///< int, -1 for group rows
        GroupCountRole,                    ///< int, counted rows below a group row; -1 when none counts
        GroupLevelRole,                    ///< int, 0 for the outermost group, -1 for data rows
        GroupCaptionRole,                  ///< the grouped column's caption (group rows)
        ShownValueRole,                    ///< the value shown (data rows): the row reader's, when it changed it
        RowMarkRole,                       ///< int(RowMark) of the row, None for group rows
    };

    struct SortKey
    {
        int column = -1;
        bool ascending = true;
    };

    explicit GridModel(QObject *parent = nullptr);
    ~GridModel() override;

    // --- columns --------------------------------------------------------
    GridColumn *addColumn(const QString &key, const QString &caption, const QString &dataField = {});
    /// Removes every column, group, sort key and condition.
    void clearColumns();
    int columnCountTotal() const { return int(m_columns.size()); }
    GridColumn *column(int index) const;
    /// Lookup without regard to case; nullptr when absent.
    GridColumn *column(const QString &key) const;
    int columnIndex(const QString &key) const;

    // --- data -------------------------------------------------------------
    void setCellReader(CellReader reader);
    void setRowReader(RowReader reader);
    int ItemCount() const { return m_itemCount; }
    /// Rows whose column columnKey holds value (summary rows) are left out
    /// of the number a group row shows. A group made of such rows alone
    /// shows no number (GroupCountRole -1). An empty key counts every row.
    void setUncountedRows(const QString &columnKey, const QVariant &value);
    /// Sets the row count and rebuilds. Negative counts are taken as 0.
    void setItemCount(int count);
    /// Sets the row count and takes the order and groups from `prepared`
    /// when it was made for this count and the current groups, sort keys and
    /// value lists (ordering()); otherwise rebuilds as setItemCount(count).
    /// `marks`, when given, is the comparison of the rows with those before
    /// made where they were read (RowChangeMarks::compare against
    /// changeMarksBase()); it is taken instead of reading every row again
    /// when it was made for the current columns and groups.
    void setItemCount(int count, const RowArrangement &prepared, const RowChangeMarks::Comparison *marks = nullptr);
    /// What the rows are ordered by now, for an arrangement made elsewhere.
    RowOrdering ordering() const;
    /// Re-reads groups and order (a reset) and forgets cached cells.
    void rebuild();

    // --- change marks -----------------------------------------------------
    /// Turns marking on or off; off drops the marks and the remembered rows,
    /// so that the first re-read after turning it on again marks nothing.
    void setMarkingChanges(bool on);
    bool isMarkingChanges() const { return m_markingChanges; }
    /// The rows a comparison made elsewhere is made against (null when
    /// there are none to compare with); nullopt while not marking.
    std::optional<std::shared_ptr<const RowChangeMarks::Remembered>> changeMarksBase() const;
    /// The mark the last re-read gave the row of `index`; None for group rows.
    RowMark rowMark(const QModelIndex &index) const;
    bool hasChangeMarks() const { return m_changeMarks.hasMarks(); }
    /// Drops the marks; the rows stay remembered for the next comparison.
    void clearChangeMarks();
    /// The next re-read marks nothing, for rows that are not a newer version
    /// of those shown (another view of the same result, another query).
    void forgetRowsForChangeMarks();

    // --- grouping and sorting -------------------------------------------
    /// Groups by the column (outermost first). Unknown keys are ignored.
    bool addGroup(const QString &columnKey, bool ascending = true);
    void clearGroups();
    QVector<SortKey> groups() const { return m_groups; }
    bool addSortKey(const QString &columnKey, bool ascending = true);
    void clearSortKeys();
    QVector<SortKey> sortKeys() const { return m_sortKeys; }

    // --- format conditions ------------------------------------------------
    /// Adds a condition; a condition with the same key is replaced.
    FormatCondition *addCondition(const QString &key, const QString &columnKey,
                                  FormatCondition::Operator op, const QVariant &value1,
                                  const QVariant &value2 = {});
    FormatCondition *condition(const QString &key) const;
    void removeCondition(const QString &key);
    void clearConditions();
    QList<FormatCondition *> conditions() const { return m_conditions; }

    // --- reading the tree -------------------------------------------------
    bool isGroup(const QModelIndex &index) const;
    /// Bookmark of a data row, -1 for a group row or an invalid index.
    int bookmark(const QModelIndex &index) const;
    /// The value of `column` in the row of `index`: the cell for a data row;
    /// for a group row, the group value when `column` is grouped at or above
    /// the row's level, else an empty value.
    QVariant value(const QModelIndex &index, int column) const;
    /// What a cell shows: value-list text, formatted number, date or text.
    QString displayText(const QVariant &value, int column) const;
    /// The number (as its variant, Currency kept) or date (QDateTime, UTC) a
    /// cell showing value shows; invalid where it shows text, a value list's
    /// text or a boolean. Exports keep it as a number or a date.
    QVariant numberOrDate(const QVariant &value, int column) const;
    /// A data row's cell as copies and exports take it, read once: the text
    /// shown, or with numberOrDate the number or date behind it and the text
    /// only when there is none.
    void shownCell(const QModelIndex &index, QString *text, QVariant *numberOrDate) const;
    /// The text of a group row: value-list text of the group value and the row count.
    QString groupText(const QModelIndex &index) const;
    /// The values of group rows from the outermost down to `index` itself
    /// (for a data row: its groups). Identifies a group across rebuilds.
    QStringList groupPath(const QModelIndex &index) const;
    /// The group row with this path, or an invalid index.
    QModelIndex groupIndex(const QStringList &path) const;
    /// The data row with this bookmark, or an invalid index.
    QModelIndex indexOfBookmark(int bookmark) const;
    /// Every group index, outermost levels first within each branch (pre-order).
    QModelIndexList allGroupIndexes() const;
    int groupLevels() const { return int(m_groups.size()); }

    /// Date display formats (Qt date format strings).
    void setDateFormats(const QString &date, const QString &dateTime);
    QString dateFormat() const { return m_dateFormat; }
    QString dateTimeFormat() const { return m_dateTimeFormat; }

    // --- copies, prints and exports -----------------------------------------
    /// Every row in the order shown, group rows before their rows, the rows
    /// of collapsed groups included.
    QModelIndexList allRows() const;
    /// Rows of this model as a document takes them: group rows with their
    /// level and text; data rows with the text of each of `columns` and, with
    /// `withValues`, the number or date behind it (shownCell). A data row
    /// drawn bold by a format condition is a summary row, negative when its
    /// bold text is red.
    QList<ReportRow> documentRows(const QModelIndexList &rows, const QList<int> &columns, bool withValues) const;
    /// One of those rows.
    ReportRow documentRow(const QModelIndex &index, const QList<int> &columns, bool withValues) const;
    /// A model of the same rows, for reading them on another thread while
    /// this one goes on: the columns (captions, formats, alignments, value
    /// lists), the conditions, the groups and sort keys, the uncounted rows,
    /// the date formats and the arranged rows are copied; its cells are read
    /// through `cells` and `rows`, which must be usable on that thread. It
    /// marks no changes and belongs to no thread: whoever holds it last
    /// deletes it, on whichever thread.
    std::unique_ptr<GridModel> copyForReading(CellReader cells, RowReader rows) const;

    // --- QAbstractItemModel ----------------------------------------------
    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

Q_SIGNALS:
    /// A column or a condition changed how cells look; the view repaints.
    void appearanceChanged();
    /// Rows were marked, or their marks were dropped or replaced.
    void changeMarksChanged();

private:
    using Group = RowArrangement::Group;

    enum NodeKind : quintptr { GroupNode = 1, GroupedRow = 2, TopRow = 3 };
    static quintptr nodeId(NodeKind kind, int group) { return (quintptr(group) << 2) | kind; }
    static NodeKind nodeKind(const QModelIndex &index) { return NodeKind(index.internalId() & 3); }
    static int nodeGroup(const QModelIndex &index) { return int(index.internalId() >> 2); }

    QVariant rawCell(int row, int column) const;
    /// rawCell() of every column of a row, read without the cache.
    void readRawRow(int row, QVector<QVariant> &values) const;
    void applyRowReader(int row, QVector<QVariant> &values) const;
    const QVector<QVariant> &displayRow(int row) const;
    QVariant cellValue(int row, int column) const;   // display value: row reader when set
    const QVarLengthArray<int, 4> &matchedConditions(int row) const;
    /// How the conditions matching a data row draw one of its cells.
    struct CellLook
    {
        bool fontSet = false;
        bool bold = false;
        bool italic = false;
        qint64 fore = -1;   // Windows colours, -1 for none
        qint64 back = -1;
    };
    CellLook cellLook(int row, const GridColumn *column) const;
    /// Groups and orders the rows again without re-reading them for marks.
    void rearrange();
    void buildTree();
    void adopt(RowArrangement rows);
    /// Marks the rows just read against those of the previous re-read, or
    /// takes `given` when it was made for them.
    void markChangedRows(const RowChangeMarks::Comparison *given = nullptr);
    QVector<int> groupColumns() const;
    void dropChangeMarks(bool forgetRows);
    void invalidateCaches();
    void onAppearanceChanged();
    /// The number a group row shows; -1 when none of its rows counts.
    int countedRows(int group) const;
    /// The column whose value marks rows left out of group counts; -1 for none.
    int uncountedColumn() const;

    QList<GridColumn *> m_columns;
    QList<FormatCondition *> m_conditions;
    QVector<SortKey> m_groups;
    QVector<SortKey> m_sortKeys;
    CellReader m_cellReader;
    RowReader m_rowReader;
    int m_itemCount = 0;

    std::vector<int> m_order;          // bookmarks in display order
    mutable std::vector<int> m_positionOf;   // inverse of m_order, built on first use
    std::vector<Group> m_tree;         // every group node
    int m_topGroups = 0;               // groups of level 0: m_tree[0 .. m_topGroups)

    QString m_dateFormat = QStringLiteral("yyyy-MM-dd");
    QString m_dateTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

    mutable QHash<int, QVector<QVariant>> m_rowCache;
    QString m_uncountedKey;
    QVariant m_uncountedValue;
    /// countedRows per group, read once per rebuild when first shown; -2 unknown.
    mutable std::vector<int> m_groupCounts;
    mutable QHash<int, QVarLengthArray<int, 4>> m_conditionCache;

    bool m_markingChanges = false;
    RowChangeMarks m_changeMarks;
};

} // namespace widgets

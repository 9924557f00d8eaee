#pragma once

#include "FormatCondition.h"
#include "GridColumn.h"
#include "GridModel.h"
#include "ReportDocument.h"

#include <QElapsedTimer>
#include <QTreeView>

#include <memory>

class QLabel;
class QTimer;

namespace widgets {

/// Every row of a grid as it shows them, copied for a worker thread to take
/// an export's document while the grid goes on (Grid::rowsCopy). The copy
/// holds the grid's arrangement and presentation as they were when taken, and
/// reads cells through the readers it was given.
class GridRowsCopy final
{
public:
    /// The rows as Grid::reportDocument(false, cells) gives them; one
    /// thread at a time, any thread.
    QList<ReportRow> rows() const;
    /// The same rows handed to `take` one by one, in order, until it
    /// returns false.
    void forEachRow(const std::function<bool(ReportRow &&)> &take) const;

private:
    friend class Grid;
    std::shared_ptr<const GridModel> m_model;
    QList<int> m_columns;   // the visible columns in their order
    bool m_withValues = false;
};

/// The report grid: unbound rows fed by the control, grouped by one or more
/// columns, ordered by sort keys, with value lists and format conditions.
///
/// Only the rows on screen are read (see GridModel). The view keeps uniform row
/// heights and expands groups one by one: QTreeView::expandAll() grows with the
/// square of the rows and is never used.
///
/// Rows as the control sees them: Row() is the position of the current row
/// among the rows on screen counted from the top of the list (0 first, group
/// rows included, rows of collapsed groups not counted), -1 when there is none.
/// Setting ItemCount or calling refresh() re-reads everything and keeps the
/// expanded groups, the current row and the scroll position where the same
/// groups still exist.
///
/// After a re-read with the same groups as the one before (the refresh of a
/// report), the rows whose amounts changed are tinted amber and the new rows
/// green, behind their text; the tint fades out linearly over
/// changeMarkDuration() and nothing else moves. How rows are matched across
/// re-reads is RowChangeMarks'; a selected row shows its selection instead.
///
/// Events for the control: RowChange(lastRow) when the current row moves,
/// DblClick() on a double click on a row, KeyPress(keyAscii) for typed keys
/// (space is 32), MouseUp(button, shift, x, y) on a mouse release over the
/// rows or the header (button 1 left, 2 right, 4 middle; shift 1 Shift,
/// 2 Ctrl, 4 Alt; x, y in the grid's coordinates, for ColFromPoint()).
class Grid final : public QTreeView
{
    Q_OBJECT
    Q_PROPERTY(int ItemCount READ ItemCount WRITE setItemCount)
    Q_PROPERTY(int Row READ Row WRITE setRow)
    Q_PROPERTY(bool GroupByBoxVisible READ GroupByBoxVisible WRITE setGroupByBoxVisible)

public:
    explicit Grid(QWidget *parent = nullptr);
    ~Grid() override;

    GridModel *gridModel() const { return m_model; }

    // --- columns ------------------------------------------------------------
    GridColumn *addColumn(const QString &key, const QString &caption, const QString &dataField = {});
    /// Lookup by key without regard to case; nullptr when absent.
    GridColumn *Columns(const QString &key) const;
    /// By Index (creation order, 0 first); nullptr when out of range.
    GridColumn *Columns(int index) const;
    int ColumnCount() const;
    /// Removes columns, groups, sort keys and format conditions.
    void clearColumns();

    // --- data -----------------------------------------------------------------
    void setCellReader(GridModel::CellReader reader);
    void setRowReader(GridModel::RowReader reader);
    int ItemCount() const;
    /// Sets the row count and re-reads, keeping expansion, current row and scroll.
    void setItemCount(int count);
    /// The same, with the rows already arranged for ordering() (see
    /// GridModel::setItemCount).
    void setItemCount(int count, const RowArrangement &arranged, const RowChangeMarks::Comparison *marks = nullptr);
    /// What the rows are grouped and sorted by now.
    RowOrdering ordering() const;
    /// Re-reads every row with the same count, keeping the same state.
    void refresh();

    // --- change marks -------------------------------------------------------------
    /// How long the mark of a changed or new row takes to fade out, in
    /// milliseconds; 0 or less turns marking off (a re-read reads no more
    /// than it shows). Turned on again, the next re-read marks nothing: it
    /// has nothing to be compared with.
    void setChangeMarkDuration(int ms);
    int changeMarkDuration() const { return m_markDuration; }
    static constexpr int DefaultChangeMarkDuration = 4000;
    RowMark rowMark(const QModelIndex &index) const;
    /// How strong the row's tint is now: 1 right after the re-read that
    /// marked it, falling linearly to 0 at the end of the duration; 0 for a
    /// row without a mark.
    qreal markStrength(const QModelIndex &index) const;
    /// What a comparison of the next rows made elsewhere is made against
    /// (see GridModel::changeMarksBase).
    std::optional<std::shared_ptr<const RowChangeMarks::Remembered>> changeMarksBase() const
    {
        return m_model->changeMarksBase();
    }
    /// The next re-read marks nothing (see GridModel::forgetRowsForChangeMarks).
    void forgetRowsForChangeMarks();

    // --- grouping, sorting, conditions -----------------------------------------
    bool addGroup(const QString &columnKey, bool ascending = true);
    void clearGroups();
    /// Number of group levels.
    int groupCount() const;
    bool addSortKey(const QString &columnKey, bool ascending = true);
    void clearSortKeys();
    FormatCondition *addFormatCondition(const QString &key, const QString &columnKey,
                                        FormatCondition::Operator op, const QVariant &value1,
                                        const QVariant &value2 = {});
    /// By key, without regard to case; nullptr when absent.
    FormatCondition *FmtCondition(const QString &key) const;
    void removeFormatCondition(const QString &key);

    /// Sizes every visible column to the widest of its caption and the texts
    /// it shows, no wider than maxWidth. The texts are those of a bounded
    /// sample, so that a million rows cost no more than a few thousand: the
    /// first rows of every group (where reports put their summary rows), up
    /// to SampleGroups of them, and rows spread evenly over the rest.
    void fitColumnsToContents(int maxWidth);
    static constexpr int SampleRows = 1000;
    static constexpr int SampleGroups = 1000;

    // --- expansion ----------------------------------------------------------------
    void expandAllGroups();
    void collapseAllGroups();
    /// Expands the selected group rows with the groups inside them; with no
    /// selected group, the current group row.
    void expandSelectedGroups();

    // --- rows -------------------------------------------------------------------
    int Row() const;
    /// Makes the row at this position current; out-of-range positions are ignored.
    void setRow(int row);
    /// Rows on screen if the list were scrolled through: groups, and the rows of expanded groups.
    int visibleRowCount() const;
    /// The group-row test of the current row.
    bool IsGroupItem() const;
    /// The group-row test of the row at a position.
    bool isGroupRow(int row) const;
    /// Bookmark of the current row, -1 for a group row or no row.
    int currentBookmark() const;
    /// The value of a column in the current row (for a group row: the group
    /// value of its own or an outer group's column, else empty).
    QVariant Value(const QString &columnKey) const;
    /// The text the current row shows in a column.
    QString Text(const QString &columnKey) const;
    /// The column under a point in the grid's coordinates (header or rows);
    /// nullptr when there is none there.
    GridColumn *ColFromPoint(int x, int y) const;
    /// Display position of an index (the inverse of indexAtRow()).
    int rowOfIndex(const QModelIndex &index) const;
    QModelIndex indexAtRow(int row) const;

    /// Tab-separated texts of the visible columns in their order, one line per
    /// row, headed by the captions; group rows give their text. Only the
    /// selected rows when `selectedOnly`, else every row, those of collapsed
    /// groups included.
    QString copyText(bool selectedOnly) const;
    /// The same rows for printing or copying with their kinds: group rows with
    /// their level and text; a data row drawn bold by a format condition (the
    /// "Summ" and "NegSumm" summaries) is a summary row, negative when its bold
    /// text is red. Captions and alignments of the visible columns in their
    /// order; the title and parameters are left to the caller.
    ///
    /// With DocumentCells::Texts every data cell holds its text; with
    /// DocumentCells::Workbook a cell that shows a number or a date holds
    /// that value (ReportRow::values) instead of its text, which spares
    /// formatting every amount of a result bound for a spreadsheet.
    enum class DocumentCells { Texts, Workbook };
    ReportDocument reportDocument(bool selectedOnly, DocumentCells cells = DocumentCells::Texts) const;
    /// The same document without its rows: date formats, and the captions,
    /// alignments, number formats and widths of the visible columns.
    ReportDocument documentColumns() const;
    /// Every row, for reportDocument(false, cells) on another thread:
    /// `cellReader` and `rowReader` read what this grid's readers read, and
    /// must be usable on that thread. Costs a copy of the arrangement (a few
    /// bytes a row), not a walk over the rows.
    GridRowsCopy rowsCopy(GridModel::CellReader cellReader, GridModel::RowReader rowReader,
                          DocumentCells cells) const;

    // --- group-by box -----------------------------------------------------------------
    bool GroupByBoxVisible() const;
    void setGroupByBoxVisible(bool visible);
    /// The prompt the box shows while there are no groups.
    void setGroupByBoxText(const QString &text);

    /// Date display formats (Qt date format strings).
    void setDateFormats(const QString &date, const QString &dateTime);

    void keyboardSearch(const QString &search) override;

Q_SIGNALS:
    void RowChange(int lastRow);
    void DblClick();
    void KeyPress(int keyAscii);
    void MouseUp(int button, int shift, int x, int y);
    /// The user changed the groups through the header menu or the group-by box.
    void groupsChangedByUser();

protected:
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void updateGeometries() override;

private:
    struct SavedState
    {
        QList<QStringList> expanded;
        QStringList currentPath;
        bool currentIsGroup = false;
        int currentPosition = -1;   // place inside its group
        int row = -1;
        int vScroll = 0;
        int hScroll = 0;
    };

    QList<int> visibleColumnsInOrder() const;
    QModelIndexList rowsToCopy(bool selectedOnly) const;
    SavedState saveState() const;
    void restoreState(const SavedState &state);
    template<typename Change> void keepingState(Change change);
    void applyColumn(GridColumn *column);
    void applyAllColumns();
    void syncColumnsFromHeader();
    void onColumnPositionChanged(GridColumn *column, int position);
    int expandedSize(const QModelIndex &group) const;
    void emitMouseUp(QMouseEvent *event, QWidget *source);
    void onChangeMarksChanged();
    void stepMarkFade();
    qreal fadeStrength() const;
    void updateGroupByBox();
    void showGroupMenu(const QPoint &pos);

    GridModel *m_model;
    QLabel *m_groupByBox;
    bool m_groupByBoxVisible = false;
    QString m_groupByBoxPrompt;
    bool m_syncing = false;
    bool m_restoring = false;
    int m_lastRow = -1;

    QTimer *m_markFade;             // runs while rows are marked
    QElapsedTimer m_markClock;      // since the re-read that marked them
    int m_markDuration = DefaultChangeMarkDuration;
};

} // namespace widgets

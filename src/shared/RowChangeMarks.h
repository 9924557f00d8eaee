#pragma once

#include "marvolt_export.h"

#include <QVariant>
#include <QVector>

#include <functional>
#include <memory>
#include <vector>

/// What a re-read found in a row: an amount changed, or the row was not there before.
enum class RowMark : quint8 { None, Changed, New };

/// Which rows of a grid's new result changed against the result it held
/// before. Pure data, no widgets: the comparison is made where the rows are
/// (a report run's worker thread, or GridModel for rows it reads itself), the
/// Grid paints and fades what it says.
///
/// A row is the same row in both results when its identity is equal: the
/// cells of the group columns, whatever they hold, and every other cell that
/// identifies, each with its column. A cell identifies unless it holds an
/// amount (data::Currency, double or float) or nothing (null): amounts and
/// empty cells are what may change in a row that stays the same row. Texts,
/// dates, booleans and integers (ticket numbers, ids, statuses) identify. So a
/// deal whose volume or rate changes is Changed, and so is a buy turned sell
/// (its amount moves to the other column, leaving one empty); a deal whose
/// ticket, counterparty, value date, status or group changes is another row
/// (New), the old one gone. Rows whose identity is no longer there are not
/// marked: there is no row left to mark.
///
/// Rows sharing an identity are matched with rows of the same amounts first,
/// whatever their order, so that duplicates trading places mark nothing; the
/// others are matched in order, Changed while the previous result had rows of
/// that identity left, New beyond.
///
/// A row is kept as two 64-bit digests (identity, amounts), not as its cells;
/// two different rows taken for one would need a 64-bit collision. Comparing
/// costs one read of every cell and a few hash look-ups per row. Results of
/// more than MaxRows rows are neither compared nor remembered, which bounds
/// the tables kept (32 bytes a row) and the reads a grid makes itself.
class MARVOLT_EXPORT RowChangeMarks final
{
public:
    /// Fills `cells`, resized as needed, with the values of every column of
    /// the row with this bookmark, unwrapped (see CellValue::unwrap).
    using RowCells = std::function<void(int row, QVector<QVariant> &cells)>;

    /// Comparing 100,000 rows of 12 cells takes about 30 ms once they are
    /// read; the reads cost what the reader costs, twice that again for the
    /// open position report (1.3 µs a row of 19 columns in all).
    static constexpr int MaxRows = 100000;

    /// The rows of one result as a later one is compared with them.
    /// Immutable once made: a run's worker compares against the rows a grid
    /// holds while the grid goes on.
    struct Remembered;

    /// The outcome of comparing a result with the rows remembered before it.
    struct Comparison
    {
        /// By bookmark; empty when nothing is marked.
        std::vector<RowMark> marks;
        int markedRows = 0;
        /// What the comparison was made against, and the new result's rows
        /// for the next one (null above MaxRows).
        std::shared_ptr<const Remembered> against;
        std::shared_ptr<const Remembered> rows;
    };

    /// Reads the `rows` rows of a new result (bookmarks 0 .. rows-1, `columns`
    /// cells each) and marks them against `previous`. Nothing is marked when
    /// there were no rows before, when they were forgotten (null), or when
    /// they had other group columns or another number of columns. Any thread.
    static Comparison compare(const std::shared_ptr<const Remembered> &previous, int rows, int columns,
                              const QVector<int> &groupColumns, const RowCells &cells);

    /// compare() against the rows remembered now, then adopt() of the outcome.
    void takeRows(int rows, int columns, const QVector<int> &groupColumns, const RowCells &cells);
    /// Takes a comparison made elsewhere: its marks when it was made against
    /// the rows remembered now (none were forgotten or taken since), none
    /// otherwise; its rows are remembered for the next comparison either way.
    /// The marks of the previous call are replaced.
    void adopt(Comparison comparison);
    /// The rows the next comparison is made against; null when forgotten.
    const std::shared_ptr<const Remembered> &remembered() const { return m_remembered; }
    /// Whether a comparison made against remembered() with these group
    /// columns and this number of columns can be adopted as it is.
    static bool madeFor(const Comparison &comparison, int columns, const QVector<int> &groupColumns);

    /// The next takeRows() marks nothing. Drops the marks too.
    void forgetRows();
    /// Drops the marks; the rows stay for the next comparison.
    void clearMarks();

    /// The mark of a row of the last takeRows(); None out of range.
    RowMark mark(int row) const;
    bool hasMarks() const { return m_markedRows > 0; }
    int markedRows() const { return m_markedRows; }

private:
    std::shared_ptr<const Remembered> m_remembered;
    std::vector<RowMark> m_marks;   // by bookmark; empty when nothing is marked
    int m_markedRows = 0;
};

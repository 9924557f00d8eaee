#pragma once

#include <QVariant>
#include <QVector>

#include <functional>
#include <vector>

namespace widgets {

/// What a re-read found in a row: an amount changed, or the row was not there before.
enum class RowMark : quint8 { None, Changed, New };

/// Which rows of a grid's new result changed against the result it held
/// before. Pure data, no widgets: GridModel hands it the rows of every re-read,
/// the Grid paints and fades what it says.
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
/// more than MaxRows rows are neither compared nor remembered: reading all
/// their cells would hold the UI thread on every refresh.
class RowChangeMarks final
{
public:
    /// Fills `cells`, resized as needed, with the values of every column of
    /// the row with this bookmark, unwrapped (see CellValue::unwrap).
    using RowCells = std::function<void(int row, QVector<QVariant> &cells)>;

    /// Comparing 100,000 rows of 12 cells takes about 30 ms once they are
    /// read; the reads cost what the reader costs, twice that again for the
    /// open position report (1.3 µs a row of 19 columns in all).
    static constexpr int MaxRows = 100000;

    /// Reads the `rows` rows of a new result (bookmarks 0 .. rows-1, `columns`
    /// cells each) and marks them against the rows taken before. Nothing is
    /// marked when there were no rows before, when they were forgotten, or
    /// when they had other group columns or another number of columns. The
    /// marks of the previous call are replaced either way, and the new rows
    /// are kept for the next call.
    void takeRows(int rows, int columns, const QVector<int> &groupColumns, const RowCells &cells);
    /// The next takeRows() marks nothing. Drops the marks too.
    void forgetRows();
    /// Drops the marks; the rows stay for the next comparison.
    void clearMarks();

    /// The mark of a row of the last takeRows(); None out of range.
    RowMark mark(int row) const;
    bool hasMarks() const { return m_markedRows > 0; }
    int markedRows() const { return m_markedRows; }

private:
    struct Digest
    {
        quint64 identity = 0;
        quint64 amounts = 0;
    };

    /// How many rows have each digest: open addressing over the digests
    /// themselves, which are well mixed already, so that no key is hashed
    /// again (QHash would, at a fifth of the whole comparison).
    class DigestCounts
    {
    public:
        /// Empties the table and makes room for `digests` different digests.
        void reset(size_t digests);
        void add(quint64 digest);
        /// Takes one row of the digest away; false when none is left.
        bool take(quint64 digest);
        bool isEmpty() const { return m_size == 0; }

    private:
        struct Slot
        {
            quint64 digest = 0;
            int count = 0;
            bool used = false;
        };
        Slot *find(quint64 digest);

        std::vector<Slot> m_slots;   // a power of two, never more than half used
        size_t m_size = 0;
    };

    static Digest digest(const QVector<QVariant> &cells, const QVector<int> &groupColumns);
    static quint64 whole(const Digest &d);
    void markAgainstPrevious(const std::vector<Digest> &digests);
    void remember(const std::vector<Digest> &digests, int columns, const QVector<int> &groupColumns);

    // The previous result (empty when forgotten): how many of its rows have
    // each identity, and each identity with its amounts (whole()).
    int m_columns = 0;
    QVector<int> m_groupColumns;
    DigestCounts m_identities;
    DigestCounts m_wholeRows;

    std::vector<RowMark> m_marks;   // by bookmark; empty when nothing is marked
    int m_markedRows = 0;
};

} // namespace widgets

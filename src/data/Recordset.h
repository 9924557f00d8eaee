#pragma once

#include "marvolt_export.h"

#include "DataTypes.h"
#include "Error.h"
#include "Value.h"

#include <QPointer>
#include <QString>

#include <cstddef>
#include <memory>
#include <vector>

namespace data {

class Connection;
class Criteria;
class Recordset;
class RecordsetStorage;
using RecordsetPtr = std::shared_ptr<Recordset>;

/// One field of a recordset, addressed through the recordset's current record.
/// A light handle: valid while its recordset lives; an invalid handle (unknown
/// name or index) reads as an empty value and ignores writes.
class MARVOLT_EXPORT Field final
{
public:
    bool isValid() const { return m_rs != nullptr; }
    int index() const { return m_index; }
    QString Name() const;
    DataType Type() const;
    int DefinedSize() const;
    int Attributes() const;

    /// The value in the current record; empty (and lastError() NoCurrentRecord
    /// on the recordset) when the recordset is at BOF or EOF.
    Value value() const;
    /// Sets the value in the current record, converted to the field's type.
    /// Returns false (and sets the recordset's lastError()) when there is no
    /// current record or the value cannot be converted.
    bool setValue(const Value &value) const;

private:
    friend class Recordset;
    friend class FieldCollection;
    Field(Recordset *rs, int index) : m_rs(rs), m_index(index) {}
    Recordset *m_rs = nullptr;
    int m_index = -1;
};

/// The field list of a recordset: Count, Item by index or name, Append.
class MARVOLT_EXPORT FieldCollection final
{
public:
    int Count() const;
    Field Item(int index) const;
    Field Item(const QString &name) const;
    /// Index of the field with that name, compared without regard to case; -1 if none.
    int indexOf(const QString &name) const;
    /// Adds a field to a closed recordset that has no rows yet. Returns false
    /// (lastError() set) on a duplicate name or when the recordset is open.
    bool Append(const QString &name, DataType type, int definedSize = 0,
                int attributes = adFldUnspecified);

private:
    friend class Recordset;
    explicit FieldCollection(Recordset *rs) : m_rs(rs) {}
    Recordset *m_rs;
};

/// An in-memory, typed, column-oriented table with a cursor: the result set of
/// a query or a table built field by field.
///
/// Clones share the rows (a row added or a value set through one is seen by all)
/// but each has its own cursor, filter and sort. Bookmarks identify rows across
/// all clones of one recordset and stay valid while the rows live.
///
/// Errors are values: operations that can fail return false or an empty result
/// and leave the reason in lastError(); nothing throws.
class MARVOLT_EXPORT Recordset final
{
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    // ---- settings for a recordset built in memory (before Open)
    int CursorLocation() const { return m_cursorLocation; }
    void setCursorLocation(int location) { m_cursorLocation = location; }
    int CursorType() const { return m_cursorType; }
    void setCursorType(int type) { m_cursorType = type; }
    int LockType() const { return m_lockType; }
    void setLockType(int type) { m_lockType = type; }

    FieldCollection Fields() { return FieldCollection(this); }
    Field Fields(int index);
    Field Fields(const QString &name);

    /// Opens a recordset built with Fields().Append(), without a connection.
    /// Fails when no field was appended or it is open already.
    bool Open();
    /// Closes this handle: the cursor, filter and sort go; clones keep the rows.
    void Close();
    /// adStateClosed (0) or adStateOpen (1).
    int State() const;
    /// True for the options this recordset offers: adAddNew (0x1000400) when
    /// open, adBookmark, adFind, adApproxPosition.
    bool Supports(long options) const;

    // ---- editing
    /// Appends an empty (all null) row and makes it the current record.
    bool AddNew();
    /// Commits the current row. Values are written as they are set, so this
    /// only ends the AddNew; kept because callers follow the add/set/update rhythm.
    bool Update();
    bool UpdateBatch();

    // ---- navigation over the rows this handle shows (after filter and sort)
    bool Eof() const;   ///< past the last row (also true when there are no rows)
    bool Bof() const;   ///< before the first row (also true when there are no rows)
    qint64 RecordCount() const;   ///< rows shown; -1 when closed
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    /// 1-based position of the current record; -1 at BOF/EOF or when empty.
    qint64 AbsolutePosition() const;
    bool setAbsolutePosition(qint64 position);

    /// The current row's bookmark; -1 at BOF/EOF.
    qint64 Bookmark() const;
    /// Makes the row with that bookmark current. Fails when the row is not
    /// among the rows this handle shows.
    bool setBookmark(qint64 bookmark);

    /// A new handle on the same rows, positioned on the first row, with no
    /// filter and no sort. lockType is accepted for compatibility and ignored.
    RecordsetPtr Clone(int lockType = adLockUnspecified);

    /// Shows only the rows matching the criteria ("Summary = False",
    /// "Ccy = 5 AND ValDate = #12/5/2026#", "TradeID = 1 OR TradeID = 2"...).
    /// An empty string removes the filter. Moves to the first shown row. A
    /// malformed criteria returns false, keeps the previous filter and leaves
    /// an InvalidArgument error naming the position in lastError(): a caller
    /// that goes on without checking shows the old filter's rows as the new result.
    [[nodiscard]] bool setFilter(const QString &criteria);
    QString Filter() const { return m_filter; }

    /// Orders the shown rows by "Field [ASC|DESC], Field2 ..."; stable, nulls
    /// first (null is the lowest value, so DESC puts nulls last), strings
    /// without regard to case. An empty string restores the natural order.
    /// Moves to the first row. An unknown field returns false, keeping the
    /// previous sort (InvalidArgument in lastError()).
    bool setSort(const QString &sortKeys);
    QString Sort() const { return m_sort; }

    /// Moves to the next row (from the current one, after skipping skipRecords)
    /// in the given direction that matches the criteria; returns false and
    /// stops at EOF (or BOF backwards) when there is none.
    bool Find(const QString &criteria, qint64 skipRecords = 0,
              int searchDirection = adSearchForward);

    /// The next result set of the same command, or null when there is none.
    /// This handle is closed by the call, as a forward move through results.
    RecordsetPtr NextRecordset();

    /// The connection the rows came from; null when built in memory or detached.
    Connection *ActiveConnection() const;
    /// Setting null detaches the recordset from its connection.
    void setActiveConnection(Connection *connection);

    ErrorPtr lastError() const { return m_lastError; }

    // ---- for drivers
    /// Queues result sets to be handed out by NextRecordset(), in order.
    void setFollowingResults(std::vector<RecordsetPtr> results);

    /// Bytes held by the rows (shared with the clones), for measurements.
    std::size_t storageBytes() const;

private:
    friend class Field;
    friend class FieldCollection;
    friend class RecordsetLoader;
    class View;
    struct SortKey
    {
        int field = -1;
        bool descending = false;
    };

    void setError(int number, const QString &description) const;
    bool requireOpen() const;
    /// The storage row under the cursor, or -1 (closed, BOF or EOF).
    qint64 currentRow() const;
    /// Rebuilds the shown rows from the filter and sort and moves to the first.
    void rebuildView();

    std::shared_ptr<RecordsetStorage> m_storage;
    std::unique_ptr<View> m_view;
    QString m_filter;
    QString m_sort;
    std::shared_ptr<const Criteria> m_filterCriteria;
    std::vector<SortKey> m_sortKeys;
    int m_cursorLocation = adUseClient;
    int m_cursorType = adOpenStatic;
    int m_lockType = adLockUnspecified;
    QPointer<Connection> m_connection;
    std::vector<RecordsetPtr> m_following;
    mutable ErrorPtr m_lastError;
};

/// Fast bulk loading for drivers and for tables built row by row in code:
/// values are given by field index, without the per-value checks of Field.
/// The recordset must be open with its fields appended. A value that does not
/// fit its field (text that is no number for a numeric field) is stored as null.
/// The rows appear in every handle that shows all rows; a filtered or sorted
/// handle shows them once its filter or sort is set again.
class MARVOLT_EXPORT RecordsetLoader final
{
public:
    explicit RecordsetLoader(Recordset &rs);
    ~RecordsetLoader();   ///< ends an unfinished row

    void beginRow();
    void setNull(int field);
    void setInt64(int field, qint64 value);     ///< integers, booleans (0/1), currency raw, date secs
    void setDouble(int field, double value);
    void setText(int field, const QString &text);
    void setUtf8Text(int field, const char *bytes, qsizetype length);   ///< setText() of UTF-8 bytes
    void setValue(int field, const Value &value);   ///< converted to the field's type
    void endRow();

private:
    Recordset &m_rs;
    RecordsetStorage *m_storage;
    std::size_t m_row = 0;
    bool m_inRow = false;
};

} // namespace data

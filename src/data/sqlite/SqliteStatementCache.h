#pragma once

#include <QByteArray>
#include <QHash>

#include <memory>
#include <vector>

struct sqlite3_stmt;

namespace data {

/// Prepared statements of one SQLite handle, kept for reuse, keyed by the
/// UTF-8 text of the script they were prepared from.
///
/// A stored procedure is a script of several statements that is run again and
/// again on the same handle (a report stores a dozen filter selections before
/// every query); parsing and planning its statements each time costs more
/// than running them. The cache keeps the statements of a script, in order,
/// once every one of them has been prepared.
///
/// Not supported: sharing between handles, or use by two threads at once. The
/// owner must clear() the cache before it closes the handle (the statements
/// belong to it), and whenever the main database's schema changes. Statements
/// are handed out reset and with their bindings cleared; the caller resets one
/// again when done with it, so that no statement keeps a read transaction open.
/// A reinstalled procedure with another body is another key; the stale entry
/// ages out. At most `capacity` scripts are kept; inserting one more drops
/// the whole cache, which is simpler than an age order and costs only a
/// re-prepare on the next runs.
class SqliteStatementCache final
{
public:
    struct Finalizer
    {
        void operator()(sqlite3_stmt *stmt) const;
    };
    using Statement = std::unique_ptr<sqlite3_stmt, Finalizer>;

    explicit SqliteStatementCache(qsizetype capacity = 64);
    ~SqliteStatementCache();
    SqliteStatementCache(const SqliteStatementCache &) = delete;
    SqliteStatementCache &operator=(const SqliteStatementCache &) = delete;

    /// The statements of script, in order, each reset with no bindings; null
    /// when the script is not cached. The pointers stay valid until the next
    /// insert() or clear().
    const std::vector<sqlite3_stmt *> *find(const QByteArray &script);
    /// Keeps the prepared statements of script (every statement of it, in
    /// order); they are reset first. Replaces an entry of the same text.
    void insert(const QByteArray &script, std::vector<Statement> statements);
    /// Finalizes every statement.
    void clear();
    qsizetype size() const { return m_entries.size(); }

private:
    struct Entry
    {
        std::vector<Statement> owned;
        std::vector<sqlite3_stmt *> handles;
    };
    qsizetype m_capacity;
    QHash<QByteArray, std::shared_ptr<Entry>> m_entries;
};

} // namespace data

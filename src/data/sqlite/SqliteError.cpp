#include "SqliteError.h"

#include "ExecutionControl.h"

#include <sqlite3.h>

namespace data {

ErrorPtr makeSqliteError(sqlite3 *db, int rc, const ExecutionControl *control, const QString &context)
{
    const QString source = QStringLiteral("SQLite");
    const int extended = db ? sqlite3_extended_errcode(db) : rc;
    const int primary = rc & 0xff;
    const bool stopped = primary == SQLITE_INTERRUPT || primary == SQLITE_BUSY
                         || primary == SQLITE_LOCKED;
    // A cancel or time-out also ends a wait for a lock: report the reason the
    // caller knows about, not the lock.
    if (stopped && control && control->isCancelled())
        return makeError(Error::Cancelled, QStringLiteral("Operation cancelled"), source, extended);
    if (stopped && control && control->isTimedOut())
        return makeError(Error::Timeout, QStringLiteral("Query timeout expired"), source, extended);

    QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    if (!context.isEmpty())
        message = context + QStringLiteral(": ") + message;

    int number = Error::ErrorsInCommand;
    switch (primary) {
    case SQLITE_INTERRUPT:
        number = Error::Cancelled;
        break;
    case SQLITE_READONLY:
        number = Error::ReadOnly;
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_CANTOPEN:
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_IOERR:
    case SQLITE_PERM:
    case SQLITE_FULL:
    case SQLITE_NOMEM:
    case SQLITE_AUTH:
        number = Error::Unspecified;
        break;
    default:
        break;
    }
    return makeError(number, message, source, extended);
}

} // namespace data

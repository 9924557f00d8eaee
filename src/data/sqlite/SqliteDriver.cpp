#include "SqliteDriver.h"

#include "ConnectionString.h"
#include "ExecutionControl.h"
#include "ProcedureVariables.h"
#include "SqliteError.h"
#include "SqliteScriptRunner.h"
#include "SqliteValues.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <thread>

namespace data {

namespace {

const QString kSource = QStringLiteral("SQLite");

// How many virtual-machine steps pass between two looks at the cancel flag
// and the deadline: often enough to stop within milliseconds, rarely enough
// to cost nothing measurable.
constexpr int kProgressSteps = 1000;

/// The device and inode of the file at path; zeros when there is none.
std::pair<quint64, quint64> fileIdentity(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {0, 0};
    return {quint64(info.st_dev), quint64(info.st_ino)};
}

struct StatementDeleter
{
    void operator()(sqlite3_stmt *stmt) const { sqlite3_finalize(stmt); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// A statement the driver keeps: released by a reset, so that it holds no
// read transaction, and finalized only with the cache.
struct StatementResetter
{
    void operator()(sqlite3_stmt *stmt) const { sqlite3_reset(stmt); }
};
using KeptStatement = std::unique_ptr<sqlite3_stmt, StatementResetter>;

QString quotedIdentifier(const QString &name)
{
    QString escaped = name;
    escaped.replace(u'"', QStringLiteral("\"\""));
    return u'"' + escaped + u'"';
}

DataType storedType(qint64 value)
{
    const auto type = DataType(int(value));
    return ProcedureCatalog::typeName(type).isEmpty() ? DataType::Variant : type;
}


} // namespace

std::unique_ptr<SqliteDriver> SqliteDriver::create(const ConnectionString &settings, ErrorPtr *error)
{
    auto fail = [error](const QString &message) {
        if (error)
            *error = makeError(Error::InvalidArgument, message, kSource);
        return nullptr;
    };
    std::unique_ptr<SqliteDriver> driver(new SqliteDriver);
    driver->m_path = settings.value(QStringLiteral("Data Source")).trimmed();
    if (driver->m_path.isEmpty())
        return fail(QStringLiteral("The connection string names no Data Source (the database file)"));
    if (settings.contains(QStringLiteral("Busy Timeout"))) {
        bool ok = false;
        const int ms = settings.value(QStringLiteral("Busy Timeout")).trimmed().toInt(&ok);
        if (!ok || ms < 0)
            return fail(QStringLiteral("Busy Timeout must be a number of milliseconds, not '%1'")
                            .arg(settings.value(QStringLiteral("Busy Timeout"))));
        driver->m_busyTimeoutMs = ms;
    }
    if (settings.contains(QStringLiteral("Create"))) {
        const auto create = settings.boolValue(QStringLiteral("Create"));
        if (!create)
            return fail(QStringLiteral("Create must be True or False, not '%1'")
                            .arg(settings.value(QStringLiteral("Create"))));
        driver->m_create = *create;
    }
    return driver;
}

SqliteDriver::~SqliteDriver()
{
    close();
}

std::unique_ptr<Driver> SqliteDriver::cloneClosed() const
{
    std::unique_ptr<SqliteDriver> copy(new SqliteDriver);
    copy->m_path = m_path;
    copy->m_busyTimeoutMs = m_busyTimeoutMs;
    copy->m_create = m_create;
    return copy;
}

bool SqliteDriver::open(int mode, ErrorPtr *error, const ExecutionControl *control)
{
    close();
    // Each handle is used by one thread at a time (Connection's own thread or
    // one worker), so SQLite's per-call mutexes would only cost time.
    int flags = SQLITE_OPEN_NOMUTEX;
    if (mode == adModeRead)
        flags |= SQLITE_OPEN_READONLY;
    else
        flags |= SQLITE_OPEN_READWRITE | (m_create ? SQLITE_OPEN_CREATE : 0);

    const bool creating = m_create && mode != adModeRead && !QFileInfo::exists(m_path);
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(m_path.toUtf8().constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db))
                                   : QString::fromUtf8(sqlite3_errstr(rc));
        const int native = db ? sqlite3_extended_errcode(db) : rc;
        sqlite3_close_v2(db);
        if (error)
            *error = makeError(Error::Unspecified,
                               QStringLiteral("Cannot open database '%1': %2").arg(m_path, message),
                               kSource, native);
        return false;
    }
    sqlite3_extended_result_codes(db, 1);
    m_fileIdentity = fileIdentity(m_path);
    sqlite3_busy_handler(db, &SqliteDriver::busyHandler, this);
    {
        std::lock_guard lock(m_handleMutex);
        m_db = db;
    }
    m_mode = mode;

    // sqlite3_open_v2 reads nothing; reading the header now turns a file that
    // is no database (or is locked exclusively for longer than the busy
    // timeout) into an error of Open rather than of the first query.
    ErrorPtr headerError;
    m_activeControl = control;
    const bool readable = exec("PRAGMA schema_version", &headerError, control);
    m_activeControl = nullptr;
    if (!readable) {
        close();
        if (error)
            *error = makeError(headerError->Number,
                               QStringLiteral("Cannot open database '%1': %2")
                                   .arg(m_path, headerError->Description),
                               kSource, headerError->NativeError);
        return false;
    }
    // A read-only connection (a report's run) reads the file through a memory
    // map: a report that picks tens of thousands of deals scattered over the
    // file (the positions carried into a day) then reads them straight from
    // the page cache instead of copying each page with a system call, which
    // halves its time. Only reads go through the map, so a stray write cannot
    // reach the file; the first gigabyte is mapped, the rest is read as before.
    if (mode == adModeRead)
        exec("PRAGMA mmap_size=1073741824");
    // A new database gets write-ahead logging: readers (a long report on its
    // worker) and a writer (a Store* procedure of the next query) then never
    // wait for each other. The setting stays with the file.
    if (creating)
        exec("PRAGMA journal_mode=WAL");
    // In WAL mode a commit at synchronous NORMAL cannot corrupt the file; it
    // only waits for the disk at checkpoints instead of at every commit. The
    // control's writes are the filter selections a report stores before each
    // query (a dozen small commits), which FULL would make cost a disk flush
    // each. A rollback-journal file keeps SQLite's default.
    if (mode != adModeRead && isWriteAheadLog())
        exec("PRAGMA synchronous=NORMAL");
    return true;
}

void SqliteDriver::close()
{
    // The statements belong to the handle: finalized first, or the close
    // would leave the handle open until they are.
    m_statements.clear();
    m_statementsSchema = -1;
    std::lock_guard lock(m_handleMutex);
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

bool SqliteDriver::isStale() const
{
    const auto now = fileIdentity(m_path);
    return now == std::pair<quint64, quint64>{0, 0} || now != m_fileIdentity;
}

void SqliteDriver::interrupt()
{
    std::lock_guard lock(m_handleMutex);
    if (m_db)
        sqlite3_interrupt(m_db);
}

int SqliteDriver::busyHandler(void *self, int attempt)
{
    auto *driver = static_cast<SqliteDriver *>(self);
    const auto now = std::chrono::steady_clock::now();
    if (attempt == 0)
        driver->m_busySince = now;
    if (driver->m_activeControl && driver->m_activeControl->shouldStop())
        return 0;
    const auto waited =
        std::chrono::duration_cast<std::chrono::milliseconds>(now - driver->m_busySince).count();
    const qint64 remaining = driver->m_busyTimeoutMs - waited;
    if (remaining <= 0)
        return 0;
    // Short sleeps first, since most locks are released within milliseconds;
    // never longer than 20 ms so a cancel is noticed promptly.
    const qint64 step = attempt < 3 ? 1 : attempt < 10 ? 5 : 20;
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(step, remaining)));
    return 1;
}

int SqliteDriver::progressHandler(void *control)
{
    return static_cast<const ExecutionControl *>(control)->shouldStop() ? 1 : 0;
}

bool SqliteDriver::exec(const char *sql, ErrorPtr *error, const ExecutionControl *control)
{
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        return true;
    if (error)
        *error = makeSqliteError(m_db, rc, control);
    return false;
}

bool SqliteDriver::isWriteAheadLog() const
{
    sqlite3_stmt *stmt = nullptr;
    bool wal = false;
    if (sqlite3_prepare_v2(m_db, "PRAGMA journal_mode", -1, &stmt, nullptr) == SQLITE_OK
        && sqlite3_step(stmt) == SQLITE_ROW) {
        const auto *mode = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0));
        wal = mode && qstricmp(mode, "wal") == 0;
    }
    sqlite3_finalize(stmt);
    return wal;
}

void SqliteDriver::checkSchemaVersion()
{
    qint64 version = -1;
    int rc = SQLITE_OK;
    if (sqlite3_stmt *stmt = cachedStatement("PRAGMA main.schema_version", &rc)) {
        if (sqlite3_step(stmt) == SQLITE_ROW)
            version = sqlite3_column_int64(stmt, 0);
        sqlite3_reset(stmt);
    }
    if (version < 0 || version != m_statementsSchema)
        m_statements.clear();
    m_statementsSchema = version;
}

sqlite3_stmt *SqliteDriver::cachedStatement(const char *sql, int *rc)
{
    const QByteArray key = QByteArray::fromRawData(sql, int(qstrlen(sql)));
    if (const std::vector<sqlite3_stmt *> *kept = m_statements.find(key)) {
        *rc = SQLITE_OK;
        return kept->front();
    }
    sqlite3_stmt *raw = nullptr;
    *rc = sqlite3_prepare_v2(m_db, sql, -1, &raw, nullptr);
    if (*rc != SQLITE_OK || !raw) {
        sqlite3_finalize(raw);
        return nullptr;
    }
    std::vector<SqliteStatementCache::Statement> one;
    one.emplace_back(raw);
    m_statements.insert(QByteArray(sql), std::move(one));
    return raw;
}

namespace {

// Lets the running request's control stop statements (progress handler) and
// lock waits (busy handler) for as long as it lives.
class ControlScope final
{
public:
    ControlScope(sqlite3 *db, const ExecutionControl *&active, ExecutionControl &control,
                 int (*progress)(void *))
        : m_db(db), m_active(active)
    {
        m_active = &control;
        sqlite3_progress_handler(m_db, kProgressSteps, progress, &control);
    }
    ~ControlScope()
    {
        sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
        m_active = nullptr;
    }
    ControlScope(const ControlScope &) = delete;
    ControlScope &operator=(const ControlScope &) = delete;

private:
    sqlite3 *m_db;
    const ExecutionControl *&m_active;
};

} // namespace

ExecuteResult SqliteDriver::execute(const ExecuteRequest &request, ExecutionControl &control)
{
    if (!m_db) {
        ExecuteResult result;
        result.parameters = request.parameters;
        result.error = makeError(Error::ObjectClosed,
                                 QStringLiteral("Operation is not allowed when the object is closed"),
                                 kSource);
        return result;
    }
    if (request.commandType == adCmdStoredProc)
        return runProcedure(request, control);
    return runText(request, control);
}

ExecuteResult SqliteDriver::runText(const ExecuteRequest &request, ExecutionControl &control)
{
    ExecuteResult result;
    result.parameters = request.parameters;
    SqliteScriptRunner::Variables variables;
    for (const Parameter &p : request.parameters) {
        variables.insert(p.Name().toLower(),
                         {p.Type(), p.Direction() == adParamOutput ? Value::null(p.Type()) : p.value()});
    }
    ControlScope scope(m_db, m_activeControl, control, &SqliteDriver::progressHandler);
    SqliteScriptRunner(m_db, control, QString(), nullptr).run(request.text, variables, result);
    return result;
}

ExecuteResult SqliteDriver::runProcedure(const ExecuteRequest &request, ExecutionControl &control)
{
    ExecuteResult result;
    result.parameters = request.parameters;

    ProcedureDefinition def;
    {
        ControlScope scope(m_db, m_activeControl, control, &SqliteDriver::progressHandler);
        checkSchemaVersion();
        if (!loadProcedure(request.text, &def, &result.error))
            return result;
    }

    SqliteScriptRunner::Variables variables = ProcedureRun::startingVariables(def, request.parameters);

    const bool wasAutocommit = sqlite3_get_autocommit(m_db) != 0;
    const QStringList tempBefore = tempObjects();
    const bool useSavepoint = m_mode != adModeRead;
    if (useSavepoint && !exec("SAVEPOINT marvolt_procedure", &result.error))
        return result;

    bool ok;
    {
        ControlScope scope(m_db, m_activeControl, control, &SqliteDriver::progressHandler);
        ok = SqliteScriptRunner(m_db, control, def.name, &def.resultSets, &m_statements)
                 .run(def.body, variables, result);
    }

    // Clean-up runs without the control: a cancelled run must still drop its
    // working tables and undo its writes.
    dropTempObjectsExcept(tempBefore);
    if (useSavepoint) {
        if (wasAutocommit && sqlite3_get_autocommit(m_db)) {
            // The body ended the transaction itself; nothing is left to release.
        } else if (ok) {
            ErrorPtr commitError;
            if (!exec("RELEASE marvolt_procedure", &commitError)) {
                exec("ROLLBACK TO marvolt_procedure; RELEASE marvolt_procedure");
                result.error = commitError;
                ok = false;
            }
        } else {
            exec("ROLLBACK TO marvolt_procedure; RELEASE marvolt_procedure");
        }
    } else if (wasAutocommit && !sqlite3_get_autocommit(m_db)) {
        exec("ROLLBACK");
        if (ok) {
            result.error = makeError(Error::ErrorsInCommand,
                                     QStringLiteral("%1: the procedure left a transaction open; "
                                                    "it was rolled back")
                                         .arg(def.name),
                                     kSource);
            ok = false;
        }
    }

    if (!ok) {
        result.results.clear();
        return result;
    }
    ProcedureRun::fillOutputs(result.parameters, variables);
    return result;
}

QStringList SqliteDriver::tempObjects()
{
    QStringList objects;
    sqlite3_stmt *raw = nullptr;
    if (sqlite3_prepare_v2(m_db,
                           "SELECT type, name FROM temp.sqlite_master"
                           " WHERE type IN ('table', 'view', 'trigger')",
                           -1, &raw, nullptr)
        != SQLITE_OK) {
        sqlite3_finalize(raw);
        return objects;
    }
    Statement stmt(raw);
    while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
        objects.append(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), 0)))
                       + u'\n'
                       + QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), 1))));
    }
    return objects;
}

void SqliteDriver::dropTempObjectsExcept(const QStringList &keep)
{
    const QStringList now = tempObjects();
    // Triggers and views first: they may refer to the tables.
    for (const char *kind : {"trigger", "view", "table"}) {
        for (const QString &object : now) {
            if (keep.contains(object))
                continue;
            const qsizetype cut = object.indexOf(u'\n');
            if (object.left(cut) != QLatin1String(kind))
                continue;
            const QByteArray sql = (QStringLiteral("DROP %1 IF EXISTS temp.%2")
                                        .arg(QString::fromLatin1(kind).toUpper(),
                                             quotedIdentifier(object.mid(cut + 1))))
                                       .toUtf8();
            exec(sql.constData());
        }
    }
}

bool SqliteDriver::loadProcedure(const QString &name, ProcedureDefinition *definition,
                                 ErrorPtr *error)
{
    const QByteArray nameUtf8 = name.trimmed().toUtf8();
    // Kept statements, reset (not finalized) when the next query replaces them.
    auto query = [&](const char *sql, KeptStatement *stmt) {
        // Released before the next is fetched: fetching may drop the cache.
        stmt->reset();
        int rc = SQLITE_OK;
        sqlite3_stmt *raw = cachedStatement(sql, &rc);
        stmt->reset(raw);
        if (rc == SQLITE_OK)
            sqlite3_bind_text(raw, 1, nameUtf8.constData(), int(nameUtf8.size()), SQLITE_TRANSIENT);
        return rc;
    };
    auto notFound = [&](const QString &why) {
        if (error)
            *error = makeError(Error::NoSuchProcedure,
                               QStringLiteral("Could not find stored procedure '%1'%2").arg(name, why),
                               kSource);
        return false;
    };

    KeptStatement stmt;
    int rc = query("SELECT name, body FROM sys_procedures WHERE name = ?1", &stmt);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
        if (message.startsWith(u"no such table"))
            return notFound(QStringLiteral(": the database has no procedure catalog"));
        if (error)
            *error = makeSqliteError(m_db, rc, m_activeControl);
        return false;
    }
    rc = sqlite3_step(stmt.get());
    if (rc == SQLITE_DONE)
        return notFound({});
    if (rc != SQLITE_ROW) {
        if (error)
            *error = makeSqliteError(m_db, rc, m_activeControl);
        return false;
    }
    definition->name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), 0)));
    definition->body = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), 1)),
                                         sqlite3_column_bytes(stmt.get(), 1));

    // Catalogs written before parameters or result columns were declared may
    // lack those tables: that means "none declared".
    if (query("SELECT name, type, direction, size FROM sys_procedure_params"
              " WHERE procedure = ?1 ORDER BY ordinal",
              &stmt)
        == SQLITE_OK) {
        while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
            definition->parameters.append(
                Parameter(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), 0))),
                          storedType(sqlite3_column_int64(stmt.get(), 1)),
                          sqlite3_column_int(stmt.get(), 2), sqlite3_column_int(stmt.get(), 3)));
        }
        if (rc != SQLITE_DONE) {
            if (error)
                *error = makeSqliteError(m_db, rc, m_activeControl);
            return false;
        }
    }
    if (query("SELECT result_set, name, type FROM sys_procedure_columns"
              " WHERE procedure = ?1 ORDER BY result_set, ordinal",
              &stmt)
        == SQLITE_OK) {
        while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
            const int set = sqlite3_column_int(stmt.get(), 0);
            if (set < 1 || set > 100)
                continue;
            while (definition->resultSets.size() < set)
                definition->resultSets.append(QList<ProcedureColumn>());
            definition->resultSets[set - 1].append(
                ProcedureColumn{QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), 1))),
                                storedType(sqlite3_column_int64(stmt.get(), 2))});
        }
        if (rc != SQLITE_DONE) {
            if (error)
                *error = makeSqliteError(m_db, rc, m_activeControl);
            return false;
        }
    }
    return true;
}

bool SqliteDriver::procedureParameters(const QString &procedure, QList<Parameter> *parameters,
                                       ErrorPtr *error)
{
    if (!m_db) {
        if (error)
            *error = makeError(Error::ObjectClosed,
                               QStringLiteral("Operation is not allowed when the object is closed"),
                               kSource);
        return false;
    }
    ExecutionControl control;
    ControlScope scope(m_db, m_activeControl, control, &SqliteDriver::progressHandler);
    checkSchemaVersion();
    ProcedureDefinition def;
    if (!loadProcedure(procedure, &def, error))
        return false;
    *parameters = def.parameters;
    return true;
}

} // namespace data

#include "RegistryAccess.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLockFile>
#include <QStandardPaths>

#include <sqlite3.h>

#include <limits>
#include <optional>

Q_LOGGING_CATEGORY(lcRegistry, "marvolt.registry")

namespace {

// The type tag stored beside each value. These numbers are in users' store
// files: never renumber them, only add.
enum class StoredType : int {
    Empty = 0,
    Bool = 1,
    Int = 2,
    LongLong = 3,
    Float = 4,
    Double = 5,
    String = 6,
    Date = 7,
    DateTime = 8,
    StringList = 9,
    ByteArray = 10,
};

constexpr int BusyTimeoutMs = 10000;

// One row per value. The *_fold columns hold the case-folded key path and
// name: they make lookups case-insensitive for every script, which SQLite's
// NOCASE (ASCII only) would not. The rowid keeps the order of first writing,
// which an upsert leaves unchanged.
constexpr const char *SchemaSql =
    "CREATE TABLE IF NOT EXISTS registry_values ("
    " key_fold TEXT NOT NULL,"
    " name_fold TEXT NOT NULL,"
    " key TEXT NOT NULL,"
    " name TEXT NOT NULL,"
    " type INTEGER NOT NULL,"
    " value,"
    " PRIMARY KEY (key_fold, name_fold))";

// Every statement the store runs on registry_values. Opening compiles each of
// them against the file: a table of an older or foreign layout (a missing
// column, no unique key for the upsert, no rowid for the order of writing)
// then counts as an unreadable store, instead of failing every read and write
// for the life of the process.
constexpr const char *SelectValueSql =
    "SELECT type, value FROM registry_values WHERE key_fold = ?1 AND name_fold = ?2";
constexpr const char *SelectKeySql =
    "SELECT name, type, value FROM registry_values WHERE key_fold = ?1 ORDER BY rowid";
constexpr const char *UpsertSql =
    "INSERT INTO registry_values (key_fold, name_fold, key, name, type, value)"
    " VALUES (?1, ?2, ?3, ?4, ?5, ?6)"
    " ON CONFLICT (key_fold, name_fold) DO UPDATE SET type = excluded.type, value = excluded.value";
constexpr const char *DeleteValueSql = "DELETE FROM registry_values WHERE key_fold = ?1 AND name_fold = ?2";
constexpr const char *DeleteKeySql =
    "DELETE FROM registry_values WHERE key_fold = ?1 OR (key_fold >= ?2 AND key_fold < ?3)";
constexpr const char *StoreStatements[] = {SelectValueSql, SelectKeySql, UpsertSql, DeleteValueSql, DeleteKeySql};

std::optional<StoredType> storedTypeOf(const QVariant &v)
{
    if (!v.isValid())
        return StoredType::Empty;
    switch (v.metaType().id()) {
    case QMetaType::Bool: return StoredType::Bool;
    case QMetaType::Int: return StoredType::Int;
    case QMetaType::LongLong: return StoredType::LongLong;
    case QMetaType::Float: return StoredType::Float;
    case QMetaType::Double: return StoredType::Double;
    case QMetaType::QString: return StoredType::String;
    case QMetaType::QDate: return StoredType::Date;
    case QMetaType::QDateTime: return StoredType::DateTime;
    case QMetaType::QStringList: return StoredType::StringList;
    case QMetaType::QByteArray: return StoredType::ByteArray;
    default: return std::nullopt;
    }
}

// "\\a\\\\b\\" -> "a\\b": the registry has no empty segments.
QString normalizedKey(const QString &key)
{
    return key.split(QLatin1Char('\\'), Qt::SkipEmptyParts).join(QLatin1Char('\\'));
}

QString sqliteMessage(sqlite3 *db, int rc)
{
    if (db)
        return QString::fromUtf8(sqlite3_errmsg(db));
    return QString::fromUtf8(sqlite3_errstr(rc));
}

bool isCorruption(int rc)
{
    const int primary = rc & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

/// A prepared statement that finalizes itself.
class Statement final
{
public:
    Statement(sqlite3 *db, const char *sql)
    {
        m_rc = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr);
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Q_DISABLE_COPY_MOVE(Statement)

    bool ok() const { return m_rc == SQLITE_OK; }
    int rc() const { return m_rc; }
    sqlite3_stmt *get() const { return m_stmt; }

    void bindText(int index, const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    /// Steps once; remembers the result code.
    int step()
    {
        m_rc = sqlite3_step(m_stmt);
        return m_rc;
    }

private:
    sqlite3_stmt *m_stmt = nullptr;
    int m_rc = SQLITE_OK;
};

bool bindValue(Statement &st, int index, StoredType type, const QVariant &v)
{
    sqlite3_stmt *s = st.get();
    switch (type) {
    case StoredType::Empty:
        return sqlite3_bind_null(s, index) == SQLITE_OK;
    case StoredType::Bool:
        return sqlite3_bind_int(s, index, v.toBool() ? 1 : 0) == SQLITE_OK;
    case StoredType::Int:
        return sqlite3_bind_int(s, index, v.toInt()) == SQLITE_OK;
    case StoredType::LongLong:
        return sqlite3_bind_int64(s, index, v.toLongLong()) == SQLITE_OK;
    case StoredType::Float:
        return sqlite3_bind_double(s, index, double(v.value<float>())) == SQLITE_OK;
    case StoredType::Double:
        return sqlite3_bind_double(s, index, v.toDouble()) == SQLITE_OK;
    case StoredType::String:
        st.bindText(index, v.toString());
        return true;
    case StoredType::Date:
        st.bindText(index, v.toDate().toString(Qt::ISODate));
        return true;
    case StoredType::DateTime:
        st.bindText(index, v.toDateTime().toString(Qt::ISODateWithMs));
        return true;
    case StoredType::StringList:
        st.bindText(index, QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(v.toStringList()))
                                                 .toJson(QJsonDocument::Compact)));
        return true;
    case StoredType::ByteArray: {
        const QByteArray bytes = v.toByteArray();
        return sqlite3_bind_blob(s, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT) == SQLITE_OK;
    }
    }
    return false;
}

QString columnText(sqlite3_stmt *s, int col)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(s, col));
    return QString::fromUtf8(text, sqlite3_column_bytes(s, col));
}

/// Decodes the (type, value) columns at \a typeCol and \a typeCol + 1. nullopt
/// when the stored data does not fit its type tag (a damaged or foreign row).
std::optional<QVariant> decodeValue(sqlite3_stmt *s, int typeCol)
{
    const int valueCol = typeCol + 1;
    const int sqlType = sqlite3_column_type(s, valueCol);
    switch (StoredType(sqlite3_column_int(s, typeCol))) {
    case StoredType::Empty:
        if (sqlType == SQLITE_NULL)
            return QVariant();
        break;
    case StoredType::Bool:
        if (sqlType == SQLITE_INTEGER)
            return QVariant(sqlite3_column_int64(s, valueCol) != 0);
        break;
    case StoredType::Int:
        if (sqlType == SQLITE_INTEGER) {
            const qint64 n = sqlite3_column_int64(s, valueCol);
            if (n >= std::numeric_limits<qint32>::min() && n <= std::numeric_limits<qint32>::max())
                return QVariant(int(n));
        }
        break;
    case StoredType::LongLong:
        if (sqlType == SQLITE_INTEGER)
            return QVariant(qint64(sqlite3_column_int64(s, valueCol)));
        break;
    case StoredType::Float:
        if (sqlType == SQLITE_FLOAT || sqlType == SQLITE_INTEGER)
            return QVariant(float(sqlite3_column_double(s, valueCol)));
        break;
    case StoredType::Double:
        if (sqlType == SQLITE_FLOAT || sqlType == SQLITE_INTEGER)
            return QVariant(sqlite3_column_double(s, valueCol));
        break;
    case StoredType::String:
        if (sqlType == SQLITE_TEXT)
            return QVariant(columnText(s, valueCol));
        break;
    case StoredType::Date:
        if (sqlType == SQLITE_TEXT) {
            const QString text = columnText(s, valueCol);
            const QDate d = QDate::fromString(text, Qt::ISODate);
            if (d.isValid() || text.isEmpty())
                return QVariant(d);
        }
        break;
    case StoredType::DateTime:
        if (sqlType == SQLITE_TEXT) {
            const QString text = columnText(s, valueCol);
            const QDateTime dt = QDateTime::fromString(text, Qt::ISODateWithMs);
            if (dt.isValid() || text.isEmpty())
                return QVariant(dt);
        }
        break;
    case StoredType::StringList:
        if (sqlType == SQLITE_TEXT) {
            QJsonParseError error;
            const QJsonDocument doc = QJsonDocument::fromJson(columnText(s, valueCol).toUtf8(), &error);
            if (error.error == QJsonParseError::NoError && doc.isArray()) {
                QStringList list;
                for (const QJsonValue &item : doc.array()) {
                    if (!item.isString())
                        return std::nullopt;
                    list.append(item.toString());
                }
                return QVariant(list);
            }
        }
        break;
    case StoredType::ByteArray:
        if (sqlType == SQLITE_BLOB || sqlType == SQLITE_NULL) {
            const auto *data = static_cast<const char *>(sqlite3_column_blob(s, valueCol));
            return QVariant(QByteArray(data, sqlite3_column_bytes(s, valueCol)));
        }
        break;
    }
    return std::nullopt;
}

} // namespace

RegistryAccess::RegistryAccess(const QString &storePath)
    : m_path(storePath)
{
}

RegistryAccess::~RegistryAccess()
{
    closeHandle();
}

RegistryAccess &RegistryAccess::instance()
{
    // Never destroyed before other statics that may still save settings at exit.
    static auto *store = new RegistryAccess(defaultStorePath());
    return *store;
}

QString RegistryAccess::defaultStorePath()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Quorvex/registry.sqlite");
}

void RegistryAccess::setPath(const QString &storePath)
{
    QMutexLocker lock(&m_mutex);
    Q_ASSERT(m_batchDepth == 0);
    closeHandle();
    m_path = storePath;
    m_openFailed = false;
    m_error = Error::NoError;
    m_errorText.clear();
}

QString RegistryAccess::path() const
{
    QMutexLocker lock(&m_mutex);
    return m_path;
}

RegistryAccess::Error RegistryAccess::lastError() const
{
    QMutexLocker lock(&m_mutex);
    return m_error;
}

QString RegistryAccess::lastErrorText() const
{
    QMutexLocker lock(&m_mutex);
    return m_errorText;
}

bool RegistryAccess::failed(Error error, const QString &text, int sqliteCode)
{
    m_error = error;
    m_errorText = sqliteCode ? QStringLiteral("%1 (SQLite %2)").arg(text).arg(sqliteCode) : text;
    return false;
}

void RegistryAccess::closeHandle()
{
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

bool RegistryAccess::exec(const char *sql)
{
    char *message = nullptr;
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        const QString text = message ? QString::fromUtf8(message) : sqliteMessage(m_db, rc);
        sqlite3_free(message);
        return failed(isCorruption(rc) ? Error::StoreCorrupt : Error::StoreFailed, text, rc);
    }
    return true;
}

bool RegistryAccess::writable()
{
    // Once a write of a batch failed, the batch will roll back: further writes
    // must not slip into the store on their own.
    if (m_batchDepth > 0 && m_batchFailed)
        return failed(Error::StoreFailed, QStringLiteral("an earlier write of this batch failed"));
    if (!ensureOpen()) {
        if (m_batchDepth > 0)
            m_batchFailed = true;
        return false;
    }
    return true;
}

bool RegistryAccess::ensureOpen()
{
    if (m_db)
        return true;
    if (openFile()) {
        m_openFailed = false;
        return true;
    }
    // One warning per failure, not one per read: the host reads dozens of
    // values at start-up and each would repeat the same message.
    if (!m_openFailed)
        qCWarning(lcRegistry).noquote() << "Settings store" << m_path
                                        << "cannot be used; defaults apply and nothing is saved:"
                                        << m_errorText;
    m_openFailed = true;
    return false;
}

namespace {

enum class StoreState { Ok, Corrupt, Failed };

int openHandle(const QString &path, sqlite3 **db)
{
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                                   nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_extended_result_codes(*db, 1);
        sqlite3_busy_timeout(*db, BusyTimeoutMs);
    }
    return rc;
}

StoreState checkHandle(sqlite3 *db, QString *problem)
{
    // quick_check reads every page of this small file: it finds damage that
    // a first query could miss until the day it hits the damaged page.
    Statement st(db, "PRAGMA quick_check(1)");
    if (!st.ok()) {
        *problem = sqliteMessage(db, st.rc());
        return isCorruption(st.rc()) ? StoreState::Corrupt : StoreState::Failed;
    }
    const int rc = st.step();
    if (rc != SQLITE_ROW) {
        *problem = sqliteMessage(db, rc);
        return isCorruption(rc) ? StoreState::Corrupt : StoreState::Failed;
    }
    const QString verdict = columnText(st.get(), 0);
    if (verdict != QLatin1String("ok")) {
        *problem = verdict;
        return StoreState::Corrupt;
    }
    return StoreState::Ok;
}

/// Whether the store can work on the tables of the file. A file without
/// tables is a new store; one with tables but no registry_values belongs to
/// something else, and creating our table in it would write into another
/// program's database. Tables beside ours and added columns with a default
/// are left alone: a later version may keep more in the same file.
StoreState checkLayout(sqlite3 *db, QString *problem)
{
    const auto failedWith = [db, problem](int rc) {
        *problem = sqliteMessage(db, rc);
        // A layout the statements do not fit is a plain SQLITE_ERROR; busy,
        // I/O or memory failures say nothing about the file.
        if ((rc & 0xff) == SQLITE_ERROR) {
            *problem = QStringLiteral("a table layout it cannot use: ") + *problem;
            return StoreState::Corrupt;
        }
        return isCorruption(rc) ? StoreState::Corrupt : StoreState::Failed;
    };

    Statement objects(db, "SELECT lower(name) = 'registry_values' FROM sqlite_schema"
                          " WHERE type IN ('table', 'view') AND name NOT LIKE 'sqlite!_%' ESCAPE '!'");
    if (!objects.ok())
        return failedWith(objects.rc());
    bool ours = false;
    bool others = false;
    int rc;
    while ((rc = objects.step()) == SQLITE_ROW)
        (sqlite3_column_int(objects.get(), 0) ? ours : others) = true;
    if (rc != SQLITE_DONE)
        return failedWith(rc);
    if (!ours) {
        if (!others)
            return StoreState::Ok;
        *problem = QStringLiteral("a database of other tables, with no settings");
        return StoreState::Corrupt;
    }

    for (const char *sql : StoreStatements) {
        Statement st(db, sql);
        if (!st.ok())
            return failedWith(st.rc());
    }
    // A column the upsert leaves out must take NULL or have a default, or
    // every write would fail on it.
    Statement required(db, "SELECT name FROM pragma_table_info('registry_values')"
                           " WHERE \"notnull\" AND dflt_value IS NULL"
                           " AND lower(name) NOT IN ('key_fold', 'name_fold', 'key', 'name', 'type')");
    if (!required.ok())
        return failedWith(required.rc());
    rc = required.step();
    if (rc == SQLITE_ROW) {
        *problem = QStringLiteral("a table layout it cannot use: the column %1 must be filled")
                       .arg(columnText(required.get(), 0));
        return StoreState::Corrupt;
    }
    if (rc != SQLITE_DONE)
        return failedWith(rc);
    return StoreState::Ok;
}

} // namespace

bool RegistryAccess::openFile()
{
    if (m_path.isEmpty())
        return failed(Error::StoreUnavailable, QStringLiteral("no store path"));
    QDir().mkpath(QFileInfo(m_path).absolutePath());

    // Processes open the store one at a time. Otherwise one could open the
    // file, or start a write-ahead log beside it, while another moves an
    // unreadable store aside and starts the fresh one: both would then work
    // on files the other does not see. The lock is held for the open only;
    // SQLite's own locking keeps the writes apart after that. When it cannot
    // be taken (a read-only folder, a holder that does not let go), a sound
    // store is still used; only replacing one needs it.
    QLockFile lock(m_path + QStringLiteral(".lock"));
    lock.setStaleLockTime(30000);
    const bool locked = lock.tryLock(BusyTimeoutMs);

    int rc = openHandle(m_path, &m_db);
    if (rc != SQLITE_OK) {
        const QString text = sqliteMessage(m_db, rc);
        closeHandle();
        return failed(Error::StoreUnavailable, text, rc);
    }
    QString problem;
    StoreState state = checkHandle(m_db, &problem);
    if (state == StoreState::Ok)
        state = checkLayout(m_db, &problem);
    switch (state) {
    case StoreState::Ok:
        break;
    case StoreState::Failed:
        closeHandle();
        return failed(Error::StoreUnavailable, problem);
    case StoreState::Corrupt:
        closeHandle();
        if (!locked)
            return failed(Error::StoreCorrupt,
                          QStringLiteral("unreadable store (%1); could not lock it to replace it").arg(problem));
        if (!replaceCorruptStore(problem))
            return false;
        break;
    }
    // WAL lets readers go on while another process writes. Where the file
    // system cannot do WAL, SQLite keeps its rollback journal, which is just as
    // safe, only less concurrent: so a refusal here is not an error.
    sqlite3_exec(m_db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    // With WAL, NORMAL still never corrupts the file and keeps every commit
    // through a crash of the process; only a power cut can lose the last few.
    // FULL would sync on each commit: 8 ms instead of 0.25 ms for the query a
    // report writes after every run on the UI thread, and far more on a busy
    // disk. Settings are not worth stalling the desk for.
    sqlite3_exec(m_db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    if (!exec(SchemaSql)) {
        m_error = Error::StoreUnavailable;
        closeHandle();
        return false;
    }
    return true;
}

bool RegistryAccess::replaceCorruptStore(const QString &problem)
{
    // Called with the open lock held, so no other process has the file open
    // through this code while it moves.
    const QString aside = m_path + QStringLiteral(".corrupt-")
                          + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    if (!QFile::rename(m_path, aside))
        return failed(Error::StoreCorrupt,
                      QStringLiteral("unreadable store (%1); could not move it aside").arg(problem));
    // The log belongs to the damaged file; the shared-memory index is rebuilt
    // from the log, so it can go.
    QFile::rename(m_path + QStringLiteral("-wal"), aside + QStringLiteral("-wal"));
    QFile::remove(m_path + QStringLiteral("-shm"));
    qCWarning(lcRegistry).noquote() << "Settings store" << m_path << "was unreadable (" + problem + ");"
                                    << "it was kept as" << aside
                                    << "and a new store with default settings was started";

    const int rc = openHandle(m_path, &m_db);
    if (rc != SQLITE_OK) {
        const QString text = sqliteMessage(m_db, rc);
        closeHandle();
        return failed(Error::StoreUnavailable, text, rc);
    }
    return true;
}

QVariant RegistryAccess::ReadValue(const QString &key, const QString &name, const QVariant &defaultValue)
{
    QMutexLocker lock(&m_mutex);
    const QString path = normalizedKey(key);
    if (path.isEmpty()) {
        failed(Error::InvalidKey, QStringLiteral("empty key path"));
        return defaultValue;
    }
    if (!ensureOpen())
        return defaultValue;

    Statement st(m_db, SelectValueSql);
    if (!st.ok()) {
        failed(Error::StoreFailed, sqliteMessage(m_db, st.rc()), st.rc());
        qCWarning(lcRegistry).noquote() << "Reading" << path << name << "failed:" << m_errorText;
        return defaultValue;
    }
    st.bindText(1, path.toCaseFolded());
    st.bindText(2, name.toCaseFolded());
    const int rc = st.step();
    if (rc == SQLITE_DONE) {
        m_error = Error::NoError;
        return defaultValue;
    }
    if (rc != SQLITE_ROW) {
        failed(Error::StoreFailed, sqliteMessage(m_db, rc), rc);
        qCWarning(lcRegistry).noquote() << "Reading" << path << name << "failed:" << m_errorText;
        return defaultValue;
    }
    const std::optional<QVariant> value = decodeValue(st.get(), 0);
    if (!value) {
        failed(Error::CorruptValue, QStringLiteral("damaged value"));
        qCWarning(lcRegistry).noquote() << "Value" << name << "of" << path
                                        << "cannot be decoded; its default is used";
        return defaultValue;
    }
    m_error = Error::NoError;
    return *value;
}

RegistryValues RegistryAccess::ReadValues(const QString &key)
{
    QMutexLocker lock(&m_mutex);
    RegistryValues result;
    const QString path = normalizedKey(key);
    if (path.isEmpty()) {
        failed(Error::InvalidKey, QStringLiteral("empty key path"));
        return result;
    }
    if (!ensureOpen())
        return result;

    Statement st(m_db, SelectKeySql);
    if (!st.ok()) {
        failed(Error::StoreFailed, sqliteMessage(m_db, st.rc()), st.rc());
        qCWarning(lcRegistry).noquote() << "Reading" << path << "failed:" << m_errorText;
        return result;
    }
    st.bindText(1, path.toCaseFolded());
    m_error = Error::NoError;
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        const QString name = columnText(st.get(), 0);
        if (const std::optional<QVariant> value = decodeValue(st.get(), 1)) {
            result.append({name, *value});
        } else {
            failed(Error::CorruptValue, QStringLiteral("damaged value"));
            qCWarning(lcRegistry).noquote() << "Value" << name << "of" << path
                                            << "cannot be decoded and is left out";
        }
    }
    if (rc != SQLITE_DONE) {
        failed(Error::StoreFailed, sqliteMessage(m_db, rc), rc);
        qCWarning(lcRegistry).noquote() << "Reading" << path << "failed:" << m_errorText;
    }
    return result;
}

bool RegistryAccess::WriteValue(const QString &key, const QString &name, const QVariant &value)
{
    return WriteValues(key, {{name, value}});
}

bool RegistryAccess::WriteValues(const QString &key, const RegistryValues &values)
{
    QMutexLocker lock(&m_mutex);
    const QString path = normalizedKey(key);
    auto refuse = [this](Error error, const QString &text, int rc = 0) {
        failed(error, text, rc);
        if (m_batchDepth > 0)
            m_batchFailed = true;
        qCWarning(lcRegistry).noquote() << "Writing settings failed:" << m_errorText;
        return false;
    };
    if (path.isEmpty())
        return refuse(Error::InvalidKey, QStringLiteral("empty key path"));
    for (const RegistryValue &v : values) {
        if (!storedTypeOf(v.data))
            return refuse(Error::UnsupportedType,
                          QStringLiteral("value %1 of %2 has the unsupported type %3")
                              .arg(v.name, path, QString::fromLatin1(v.data.typeName())));
    }
    if (values.isEmpty()) {
        m_error = Error::NoError;
        return true;
    }

    if (!writable())
        return false;
    Batch batch(*this);
    if (!writable())
        return false;   // could not start the transaction
    Statement st(m_db, UpsertSql);
    if (!st.ok())
        return refuse(Error::StoreFailed, sqliteMessage(m_db, st.rc()), st.rc());
    st.bindText(1, path.toCaseFolded());
    st.bindText(3, path);
    for (const RegistryValue &v : values) {
        const StoredType type = *storedTypeOf(v.data);
        st.bindText(2, v.name.toCaseFolded());
        st.bindText(4, v.name);
        sqlite3_bind_int(st.get(), 5, int(type));
        if (!bindValue(st, 6, type, v.data))
            return refuse(Error::StoreFailed, sqliteMessage(m_db, SQLITE_ERROR));
        const int rc = st.step();
        if (rc != SQLITE_DONE)
            return refuse(isCorruption(rc) ? Error::StoreCorrupt : Error::StoreFailed,
                          sqliteMessage(m_db, rc), rc);
        sqlite3_reset(st.get());
    }
    if (!batch.commit())
        return false;
    m_error = Error::NoError;
    return true;
}

bool RegistryAccess::DeleteValue(const QString &key, const QString &name)
{
    QMutexLocker lock(&m_mutex);
    const QString path = normalizedKey(key);
    if (path.isEmpty())
        return failed(Error::InvalidKey, QStringLiteral("empty key path"));
    if (!writable())
        return false;
    Statement st(m_db, DeleteValueSql);
    if (st.ok()) {
        st.bindText(1, path.toCaseFolded());
        st.bindText(2, name.toCaseFolded());
        st.step();
    }
    if (st.rc() != SQLITE_DONE) {
        failed(Error::StoreFailed, sqliteMessage(m_db, st.rc()), st.rc());
        if (m_batchDepth > 0)
            m_batchFailed = true;
        qCWarning(lcRegistry).noquote() << "Deleting" << name << "of" << path << "failed:" << m_errorText;
        return false;
    }
    m_error = Error::NoError;
    return true;
}

bool RegistryAccess::DeleteKey(const QString &key)
{
    QMutexLocker lock(&m_mutex);
    const QString path = normalizedKey(key);
    if (path.isEmpty())
        return failed(Error::InvalidKey, QStringLiteral("empty key path"));
    if (!writable())
        return false;
    // The key itself and everything below it: folded paths that start with
    // "<key>\". ']' follows '\' in code order, so the range is exactly that
    // prefix, and it can use the primary-key index.
    const QString folded = path.toCaseFolded();
    Statement st(m_db, DeleteKeySql);
    if (st.ok()) {
        st.bindText(1, folded);
        st.bindText(2, folded + QLatin1Char('\\'));
        st.bindText(3, folded + QLatin1Char(']'));
        st.step();
    }
    if (st.rc() != SQLITE_DONE) {
        failed(Error::StoreFailed, sqliteMessage(m_db, st.rc()), st.rc());
        if (m_batchDepth > 0)
            m_batchFailed = true;
        qCWarning(lcRegistry).noquote() << "Deleting key" << path << "failed:" << m_errorText;
        return false;
    }
    m_error = Error::NoError;
    return true;
}

bool RegistryAccess::beginBatch()
{
    if (m_batchDepth++ > 0)
        return true;
    m_batchFailed = false;
    if (!ensureOpen()) {
        m_batchFailed = true;
        return false;
    }
    // IMMEDIATE takes the write lock now, waiting out other writers with the
    // busy timeout. A deferred transaction would upgrade from read to write
    // later, and in WAL mode that upgrade fails at once instead of waiting
    // when another process wrote in between.
    if (!exec("BEGIN IMMEDIATE")) {
        m_batchFailed = true;
        qCWarning(lcRegistry).noquote() << "Settings store is busy or failing:" << m_errorText;
        return false;
    }
    return true;
}

bool RegistryAccess::endBatch(bool commit)
{
    Q_ASSERT(m_batchDepth > 0);
    if (!commit)
        m_batchFailed = true;
    if (--m_batchDepth > 0)
        return !m_batchFailed;

    const bool inTransaction = m_db && !sqlite3_get_autocommit(m_db);
    if (m_batchFailed) {
        if (inTransaction)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    if (!inTransaction)
        return false;
    if (!exec("COMMIT")) {
        qCWarning(lcRegistry).noquote() << "Saving settings failed:" << m_errorText;
        if (!sqlite3_get_autocommit(m_db))
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    return true;
}

RegistryAccess::Batch::Batch(RegistryAccess &store)
    : m_store(store)
{
    m_store.m_mutex.lock();
    m_store.beginBatch();
}

RegistryAccess::Batch::~Batch()
{
    if (!m_done)
        m_store.endBatch(false);
    m_store.m_mutex.unlock();
}

bool RegistryAccess::Batch::commit()
{
    Q_ASSERT(!m_done);
    m_done = true;
    return m_store.endBatch(true);
}

#pragma once

#include <QList>
#include <QLoggingCategory>
#include <QRecursiveMutex>
#include <QString>
#include <QVariant>

struct sqlite3;

Q_DECLARE_LOGGING_CATEGORY(lcRegistry)

/// One named value of a registry key: what ReadValues returns and WriteValues
/// takes, one entry per value ((0, i) the name, (1, i) the data).
struct RegistryValue
{
    QString name;
    QVariant data;

    bool operator==(const RegistryValue &) const = default;
};
using RegistryValues = QList<RegistryValue>;

/// The per-user settings store: keys with named, typed values, laid out like the
/// Windows registry ("Software\Quorvex, Ltd.\<App_Name>\Property" ...).
///
/// Key paths use "\" between segments; every other character, "/" included, is
/// part of a segment ("Profit/Loss" is one key). Leading, trailing and doubled
/// backslashes are ignored. Key paths and value names compare without regard to
/// case, as the registry does; a value keeps the spelling it was first written
/// with. Value names may hold any character, "\" and "/" included.
///
/// Every value reads back with the type it was written with, in this or any
/// other process: bool, int (32-bit), qint64, float, double, QString, QDate,
/// QDateTime, QStringList, QByteArray and the empty QVariant. Other types are
/// refused (UnsupportedType). ReadValues lists a key's values in the order they
/// were first written.
///
/// The store is a SQLite database file (write-ahead log, busy timeout), so any
/// number of processes may read and write it at once without corrupting it. It
/// opens on first use. A file that is not a readable store (damaged, not a
/// database, or a database whose tables this code cannot work on: an older
/// or foreign layout) is renamed aside to "<file>.corrupt-<timestamp>" with
/// one warning and a fresh store is started; when several processes find it
/// at once, one of them moves it and all use the fresh store. A store that
/// cannot be opened at all (no permission, no disk) gives every default on
/// read and fails every write, with one warning.
///
/// Failures are values: writes return false and lastError() tells why; reads
/// return the caller's default. Thread-safe; one instance per process
/// (instance()) is what the settings routines use.
class RegistryAccess final
{
public:
    enum class Error {
        NoError,
        InvalidKey,        ///< an empty key path
        UnsupportedType,   ///< a value of a type the store cannot keep
        StoreUnavailable,  ///< the store file cannot be opened or created
        StoreCorrupt,      ///< the store file is damaged and could not be replaced
        StoreFailed,       ///< a read or write failed (disk full, locked too long ...)
        CorruptValue,      ///< a stored value cannot be decoded; the default was returned
    };

    /// A store backed by the file at \a storePath (created on first write).
    explicit RegistryAccess(const QString &storePath);
    ~RegistryAccess();
    Q_DISABLE_COPY_MOVE(RegistryAccess)

    /// The process-wide store, at defaultStorePath() unless setPath() moved it.
    static RegistryAccess &instance();
    /// "$XDG_CONFIG_HOME/Quorvex/registry.sqlite" (usually ~/.config/...).
    static QString defaultStorePath();

    /// Closes the current file; the next call opens \a storePath. Tests and the
    /// headless runner use this to work on a store of their own.
    void setPath(const QString &storePath);
    QString path() const;

    /// The value \a name of \a key, or \a defaultValue when the key or the value
    /// is absent, or when the store cannot be read.
    QVariant ReadValue(const QString &key, const QString &name, const QVariant &defaultValue = {});
    /// Every value of \a key in the order they were first written; empty when
    /// the key has no values. Values that cannot be decoded are left out.
    RegistryValues ReadValues(const QString &key);
    /// Writes (creates or replaces) one value.
    bool WriteValue(const QString &key, const QString &name, const QVariant &value);
    /// Writes every (name, data) pair of \a values, all or none.
    bool WriteValues(const QString &key, const RegistryValues &values);
    /// Removes one value; removing an absent value succeeds.
    bool DeleteValue(const QString &key, const QString &name);
    /// Removes the key with its values and every key below it; removing an
    /// absent key succeeds.
    bool DeleteKey(const QString &key);

    Error lastError() const;
    QString lastErrorText() const;

    /// Groups several writes into one transaction: other processes see all of
    /// them or none, and a failure rolls all of them back. Batches nest; only the
    /// outermost one commits, and an inner batch left without commit() makes the
    /// outer commit() roll back. Other threads wait while a batch is open.
    class Batch final
    {
    public:
        explicit Batch(RegistryAccess &store);
        ~Batch();   ///< rolls back unless commit() was called
        Q_DISABLE_COPY_MOVE(Batch)

        /// Ends the batch; false when anything in it failed (it is rolled back).
        bool commit();

    private:
        RegistryAccess &m_store;
        bool m_done = false;
    };

private:
    bool ensureOpen();
    bool writable();
    bool openFile();
    bool replaceCorruptStore(const QString &problem);
    void closeHandle();
    bool exec(const char *sql);
    bool failed(Error error, const QString &text, int sqliteCode = 0);
    bool beginBatch();
    bool endBatch(bool commit);

    mutable QRecursiveMutex m_mutex;
    QString m_path;
    sqlite3 *m_db = nullptr;
    bool m_openFailed = false;   // set after a failed open, so we warn once
    int m_batchDepth = 0;
    bool m_batchFailed = false;
    Error m_error = Error::NoError;
    QString m_errorText;
};

#pragma once

// The database backend a run of a test program uses, and databases of its
// own on the PostgreSQL test server.
//
// A suite that runs on both backends is registered twice (marvolt_add_test
// BACKENDS): once as it is, on SQLite, and once as <name>_postgres with
// MARVOLT_TEST_BACKEND=postgresql. The server is MARVOLT_PG_CONNECT, a
// connection string to one of its databases (scripts/test.sh starts a
// throwaway cluster and sets it); a PostgreSQL run without it skips with
// the reason.

#include "Connection.h"
#include "ConnectionString.h"

#include <QCoreApplication>
#include <QString>
#include <QTemporaryDir>

#include <atomic>
#include <memory>

namespace testbackend {

inline bool onPostgres()
{
    return qEnvironmentVariable("MARVOLT_TEST_BACKEND").compare(QLatin1String("postgresql"), Qt::CaseInsensitive) == 0;
}

inline QString serverString()
{
    return qEnvironmentVariable("MARVOLT_PG_CONNECT");
}

/// Why this run cannot use its backend: empty on SQLite and when a server is set.
inline QString unavailableReason()
{
    if (!onPostgres() || !serverString().isEmpty())
        return {};
    return QStringLiteral("no PostgreSQL server: set MARVOLT_PG_CONNECT, or run scripts/test.sh, which starts one");
}

/// Skips the whole test program (from initTestCase) when its backend is missing.
#define MARVOLT_SKIP_WITHOUT_BACKEND()                                                                       \
    do {                                                                                                     \
        if (const QString reason = testbackend::unavailableReason(); !reason.isEmpty())                      \
            QSKIP(qPrintable(reason));                                                                       \
    } while (false)

/// The backend's name for test messages.
inline QString name()
{
    return onPostgres() ? QStringLiteral("PostgreSQL") : QStringLiteral("SQLite");
}

/// A fresh database on the test server, named after its purpose and the
/// process, dropped (with any session still on it) when the object goes.
/// templateName: a database to copy (CREATE DATABASE ... TEMPLATE), or empty
/// for an empty one.
class ScratchDatabase final
{
public:
    explicit ScratchDatabase(const QString &purpose, const QString &templateName = QString())
    {
        static std::atomic<int> counter{0};
        m_name = QStringLiteral("marvolt_%1_%2_%3")
                     .arg(purpose.toLower())
                     .arg(QCoreApplication::applicationPid())
                     .arg(++counter);
        const QString sql = templateName.isEmpty()
                                ? QStringLiteral("CREATE DATABASE %1").arg(m_name)
                                : QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(m_name, templateName);
        m_created = admin(sql);
    }
    ~ScratchDatabase()
    {
        if (m_created)
            admin(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_name));
    }
    ScratchDatabase(const ScratchDatabase &) = delete;
    ScratchDatabase &operator=(const ScratchDatabase &) = delete;

    bool isValid() const { return m_created; }
    QString error() const { return m_error; }
    QString databaseName() const { return m_name; }

    /// The server's connection string with this database.
    QString connectionString() const
    {
        const std::optional<data::ConnectionString> server = data::ConnectionString::parse(serverString());
        QStringList parts;
        if (!server)
            return {};
        for (auto it = server->values().cbegin(); it != server->values().cend(); ++it) {
            if (it.key() != QLatin1String("database") && it.key() != QLatin1String("initial catalog"))
                parts << it.key() + u'=' + it.value();
        }
        return parts.join(u';') + QStringLiteral(";Database=") + m_name;
    }

private:
    bool admin(const QString &sql)
    {
        data::Connection connection;
        if (!connection.Open(serverString())) {
            m_error = connection.lastError() ? connection.lastError()->Description : QStringLiteral("cannot connect");
            return false;
        }
        connection.Execute(sql);
        if (connection.lastError()) {
            m_error = connection.lastError()->Description;
            return false;
        }
        return true;
    }

    QString m_name;
    QString m_error;
    bool m_created = false;
};

/// An empty database on the run's backend, for a suite that makes its own
/// tables: a new file in a temporary folder on SQLite, a scratch database on
/// the server. connectionString() opens it.
class EmptyDatabase final
{
public:
    explicit EmptyDatabase(const QString &purpose)
    {
        if (onPostgres()) {
            m_server = std::make_unique<ScratchDatabase>(purpose);
            m_error = m_server->error();
            return;
        }
        m_connectionString = QStringLiteral("Provider=SQLite;Data Source=%1")
                                 .arg(m_dir.filePath(purpose + QStringLiteral(".db")));
        data::Connection creator;
        if (!creator.Open(m_connectionString + QStringLiteral(";Create=True")))
            m_error = creator.lastError() ? creator.lastError()->Description : QStringLiteral("cannot create");
    }

    bool isValid() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    QString connectionString() const { return m_server ? m_server->connectionString() : m_connectionString; }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ScratchDatabase> m_server;
    QString m_connectionString;
    QString m_error;
};

/// A query listing the session's temporary tables, one name per row.
inline QString temporaryTablesQuery()
{
    return onPostgres() ? QStringLiteral("SELECT relname AS name FROM pg_class"
                                         " WHERE relnamespace = pg_my_temp_schema() AND relkind = 'r'")
                        : QStringLiteral("SELECT name FROM temp.sqlite_master WHERE type = 'table'");
}

} // namespace testbackend

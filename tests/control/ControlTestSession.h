#pragma once

// The set-up the control tests share: a demo trading database built once per
// test program, and for every test a user who never ran the control.

#include "MessageService.h"
#include "RegistryAccess.h"
#include "SessionContext.h"
#include "SharedValues.h"

#include "DemoDatabase.h"

#include <QDate>
#include <QString>
#include <QTemporaryDir>

namespace controltest {

inline bool buildDemoDatabase(const QString &path, qint64 deals, quint64 seed, QDate today, QString *error)
{
    db::DemoDatabase::Options options;
    options.out = path;
    options.deals = deals;
    options.seed = seed;
    options.today = today;
    return db::DemoDatabase::build(options, nullptr, error);
}

/// The connection string of a database file.
inline QString connectionString(const QString &db)
{
    return QStringLiteral("Provider=SQLite;Data Source=\"%1\"").arg(db);
}

/// A fresh settings store, no shared values or messages, and a new session
/// of the user "tester" on db; false when the session cannot be opened.
inline bool startFreshUser(const QString &registryPath, const QString &db)
{
    RegistryAccess::instance().setPath(registryPath);
    SharedValues::reset();
    MessageService::instance().clearMessages();
    SessionContext::resetInstance();
    SessionContext::instance().OpenSession(connectionString(db));
    SessionContext::instance().setCurrentUserName(QStringLiteral("tester"));
    return SessionContext::instance().isOpen();
}

/// The set-up of a test program over one demo database: the database,
/// built once in a folder of its own, and a fresh user for every test.
class DemoSession final
{
public:
    /// Builds the database of `deals` deals made from `seed` around `today`.
    bool build(qint64 deals, quint64 seed, QDate today, QString *error)
    {
        if (!m_dir.isValid()) {
            *error = QStringLiteral("no temporary folder");
            return false;
        }
        return buildDemoDatabase(database(), deals, seed, today, error);
    }
    /// startFreshUser() with a settings store no test used before.
    bool startFreshUser()
    {
        return controltest::startFreshUser(
            m_dir.filePath(QStringLiteral("registry-%1.sqlite").arg(++m_registryCount)), database());
    }
    QString database() const { return m_dir.filePath(QStringLiteral("trading.db")); }
    QString connectionString() const { return controltest::connectionString(database()); }
    QString folder() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    int m_registryCount = 0;
};

} // namespace controltest

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

/// A fresh settings store, no shared values or messages, and a new session
/// of the user "tester" on db; false when the session cannot be opened.
inline bool startFreshUser(const QString &registryPath, const QString &db)
{
    RegistryAccess::instance().setPath(registryPath);
    SharedValues::reset();
    MessageService::instance().clearMessages();
    SessionContext::resetInstance();
    SessionContext::instance().OpenSession(QStringLiteral("Provider=SQLite;Data Source=\"%1\"").arg(db));
    SessionContext::instance().setCurrentUserName(QStringLiteral("tester"));
    return SessionContext::instance().isOpen();
}

} // namespace controltest

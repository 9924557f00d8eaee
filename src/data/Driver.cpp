#include "Driver.h"

#include "ConnectionString.h"
#include "sqlite/SqliteDriver.h"
#ifdef MARVOLT_HAVE_POSTGRES
#include "postgres/PostgresDriver.h"
#endif

namespace data {

std::unique_ptr<Driver> Driver::create(const QString &connectionString, ErrorPtr *error)
{
    QString parseError;
    const auto settings = ConnectionString::parse(connectionString, &parseError);
    if (!settings) {
        if (error)
            *error = makeError(Error::InvalidArgument, parseError, QStringLiteral("Connection"));
        return nullptr;
    }
    const QString provider = settings->value(QStringLiteral("Provider")).trimmed();
    if (provider.isEmpty()) {
        if (error)
            *error = makeError(Error::InvalidArgument,
                               QStringLiteral("The connection string names no Provider"),
                               QStringLiteral("Connection"));
        return nullptr;
    }
    if (provider.compare(u"SQLite", Qt::CaseInsensitive) == 0
        || provider.compare(u"SQLite3", Qt::CaseInsensitive) == 0) {
        return SqliteDriver::create(*settings, error);
    }
#ifdef MARVOLT_HAVE_POSTGRES
    if (provider.compare(u"PostgreSQL", Qt::CaseInsensitive) == 0
        || provider.compare(u"Postgres", Qt::CaseInsensitive) == 0) {
        return PostgresDriver::create(*settings, error);
    }
#endif
    if (error)
        *error = makeError(Error::InvalidArgument,
                           QStringLiteral("Provider '%1' is not supported").arg(provider),
                           QStringLiteral("Connection"));
    return nullptr;
}

} // namespace data

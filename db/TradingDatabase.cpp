#include "TradingDatabase.h"

#include "Connection.h"
#include "Driver.h"
#include "ExecutionControl.h"
#include "PostgresDialect.h"
#include "ProcedureCatalog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

// The resources live in an object library linked into every user of this
// static library; initialising them by name keeps that working when the
// linker would otherwise drop the unreferenced initialiser.
static void initResources()
{
    Q_INIT_RESOURCE(tradingdb_sql);
}

namespace db {
namespace {

const QString kSchemaDir = QStringLiteral(":/db/schema");
const QString kPostgresSchemaDir = QStringLiteral(":/db/schema/postgres");
const QString kProcedureDir = QStringLiteral(":/db/procedures");
const QString kIndexScript = QStringLiteral("90_indexes.sql");

QList<TradingDatabase::Script> readScripts(const QString &dir)
{
    initResources();
    QList<TradingDatabase::Script> scripts;
    const QStringList names = QDir(dir).entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        QFile file(dir + QLatin1Char('/') + name);
        if (file.open(QIODevice::ReadOnly))
            scripts.append({name, QString::fromUtf8(file.readAll())});
    }
    return scripts;
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

QString describe(const data::ErrorPtr &error)
{
    return error ? error->Description : QStringLiteral("unknown error");
}

/// Runs plain SQL on the connection's own handle; false with the database's
/// message on failure.
bool runSql(data::Connection &connection, const QString &sql, QString *error)
{
    data::ExecutionControl control;
    data::ExecuteRequest request;
    request.text = sql;
    const data::ExecuteResult result = connection.driver()->execute(request, control);
    if (result.error) {
        setError(error, describe(result.error));
        return false;
    }
    return true;
}

} // namespace

QString TradingDatabase::connectionString(const QString &path, bool create)
{
    QString quoted = path;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QStringLiteral("Provider=SQLite;Data Source=\"") + quoted + QLatin1Char('"')
           + (create ? QStringLiteral(";Create=True") : QString());
}

TradingDatabase::Dialect TradingDatabase::dialectOf(data::Connection &connection)
{
    return connection.driver() && connection.driver()->providerName() == QLatin1String("PostgreSQL")
               ? Dialect::PostgreSQL
               : Dialect::SQLite;
}

QList<TradingDatabase::Script> TradingDatabase::schemaScripts(bool withIndexes, Dialect dialect)
{
    QList<Script> scripts = readScripts(kSchemaDir);
    if (!withIndexes)
        scripts.removeIf([](const Script &s) { return s.name == kIndexScript; });
    if (dialect == Dialect::PostgreSQL) {
        for (Script &s : scripts)
            s.text = PostgresDialect::translateSchema(s.text);
        scripts += readScripts(kPostgresSchemaDir);
        std::stable_sort(scripts.begin(), scripts.end(),
                         [](const Script &a, const Script &b) { return a.name < b.name; });
    }
    return scripts;
}

TradingDatabase::Script TradingDatabase::indexScript(Dialect dialect)
{
    for (const Script &s : readScripts(kSchemaDir)) {
        if (s.name == kIndexScript)
            return {s.name, dialect == Dialect::PostgreSQL ? PostgresDialect::translateSchema(s.text) : s.text};
    }
    return {};
}

QList<TradingDatabase::Script> TradingDatabase::procedureScripts(Dialect dialect)
{
    QList<Script> scripts = readScripts(kProcedureDir);
    if (dialect == Dialect::PostgreSQL) {
        for (Script &s : scripts)
            s.text = PostgresDialect::translate(s.text);
    }
    return scripts;
}

bool TradingDatabase::installSchema(data::Connection &connection, QString *error)
{
    if (!connection.driver() || !connection.driver()->isOpen()) {
        setError(error, QStringLiteral("The connection is not open"));
        return false;
    }
    // A savepoint rather than BEGIN, so that a caller's own transaction may
    // enclose the installation.
    if (!runSql(connection, QStringLiteral("SAVEPOINT marvolt_schema"), error))
        return false;
    for (const Script &script : schemaScripts(true, dialectOf(connection))) {
        QString message;
        if (!runSql(connection, script.text, &message)) {
            setError(error, script.name + QStringLiteral(": ") + message);
            runSql(connection, QStringLiteral("ROLLBACK TO marvolt_schema"), nullptr);
            runSql(connection, QStringLiteral("RELEASE marvolt_schema"), nullptr);
            return false;
        }
    }
    return runSql(connection, QStringLiteral("RELEASE marvolt_schema"), error);
}

bool TradingDatabase::installProcedures(data::Connection &connection, QString *error)
{
    if (!connection.driver() || !connection.driver()->isOpen()) {
        setError(error, QStringLiteral("The connection is not open"));
        return false;
    }
    const QList<Script> scripts = procedureScripts(dialectOf(connection));
    if (scripts.isEmpty()) {
        setError(error, QStringLiteral("No procedure scripts are compiled in"));
        return false;
    }
    for (const Script &script : scripts) {
        data::ErrorPtr failure;
        if (!data::ProcedureCatalog::installScript(connection, script.text, &failure)) {
            setError(error, script.name + QStringLiteral(": ") + describe(failure));
            return false;
        }
    }
    return true;
}

bool TradingDatabase::create(const QString &path, QString *error)
{
    if (QFileInfo::exists(path)) {
        setError(error, QStringLiteral("%1 already exists").arg(path));
        return false;
    }
    bool ok = false;
    {
        data::Connection connection;
        if (!connection.Open(connectionString(path, true))) {
            setError(error, describe(connection.lastError()));
        } else {
            ok = installSchema(connection, error) && installProcedures(connection, error);
            connection.Close();
        }
    }
    if (!ok)
        QFile::remove(path);
    return ok;
}

} // namespace db

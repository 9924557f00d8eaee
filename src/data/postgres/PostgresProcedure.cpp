// The PostgreSQL driver's stored procedures: the catalog's scripts run on
// the session, with the variable rules of the SQLite driver.

#include "PostgresDriver.h"

#include "PostgresResults.h"
#include "PostgresStatements.h"
#include "PostgresValues.h"

#include "ExecutionControl.h"
#include "ProcedureVariables.h"

#include <libpq-fe.h>

#include <QRegularExpression>

namespace data {

using namespace PostgresResults;

namespace {

using Variables = ProcedureVariables;

bool createsTemporaryTables(const QString &body)
{
    static const QRegularExpression create(QStringLiteral("\\bCREATE\\s+TEMP(ORARY)?\\s+TABLE\\b"),
                                           QRegularExpression::CaseInsensitiveOption);
    return create.match(body).hasMatch();
}

bool assignsVariables(const PGresult *result)
{
    const int n = PQnfields(result);
    for (int c = 0; c < n; ++c) {
        const char *name = PQfname(result, c);
        if (!name || name[0] != '@' || name[1] == '\0')
            return false;
    }
    return n > 0;
}

/// Assigns the first row of result to its columns' variables: a declared
/// variable keeps its type, a new name takes its value's storage class;
/// without a row declared variables keep their values and new ones are null.
bool assign(const PGresult *result, Variables &variables, ErrorPtr *error)
{
    for (int c = 0; c < PQnfields(result); ++c) {
        const QString key = QString::fromUtf8(PQfname(result, c)).toLower();
        auto it = variables.find(key);
        if (PQntuples(result) == 0) {
            if (it == variables.end())
                variables.insert(key, {});
            continue;
        }
        SqliteValues::Cell cell;
        if (!PostgresValues::readCell(PQftype(result, c), PQgetisnull(result, 0, c) ? nullptr : PQgetvalue(result, 0, c),
                                      PQgetlength(result, 0, c), &cell)) {
            *error = makeError(Error::TypeMismatch,
                               QStringLiteral("The variable %1 was given a value of a type the driver does not read")
                                   .arg(key),
                               Source);
            return false;
        }
        if (it == variables.end()) {
            const DataType type = SqliteValues::typeFromStorage(cell.storage);
            variables.insert(key, {type, SqliteValues::toValue(cell, type)});
        } else {
            it->value = SqliteValues::toValue(cell, it->type);
        }
    }
    return true;
}

/// A procedure's result sets: one whose columns all name variables assigns
/// them its first row; the others become recordsets with the procedure's
/// declared columns, the n-th result set the n-th declaration.
class ProcedureResults final : public ResultSetSink
{
public:
    ProcedureResults(std::vector<RecordsetPtr> &out, const QList<QList<ProcedureColumn>> &declared,
                     Variables &variables)
        : m_recordsets(out,
                       [&declared](std::size_t n) {
                           return n < std::size_t(declared.size()) ? &declared[qsizetype(n)] : nullptr;
                       }),
          m_variables(variables)
    {
    }

    bool begin(const PGresult *description, ErrorPtr *error) override
    {
        m_assigning = assignsVariables(description);
        m_assigned = false;
        return m_assigning || m_recordsets.begin(description, error);
    }
    bool rows(const PGresult *piece, ErrorPtr *error) override
    {
        if (!m_assigning)
            return m_recordsets.rows(piece, error);
        // The first row, or the empty end when there was none.
        if (m_assigned || (PQntuples(piece) == 0 && PQresultStatus(piece) != PGRES_TUPLES_OK))
            return true;
        m_assigned = true;
        return assign(piece, m_variables, error);
    }
    bool end(ErrorPtr *error) override { return m_assigning || m_recordsets.end(error); }

private:
    RecordsetSink m_recordsets;
    Variables &m_variables;
    bool m_assigning = false;
    bool m_assigned = false;
};

/// The spelling of a variable (lower case, with its "@") as body first writes it.
QString spelling(const QString &body, const QString &name)
{
    const QRegularExpression written(QRegularExpression::escape(name) + QStringLiteral("\\b"),
                                     QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = written.match(body);
    return m.hasMatch() ? m.captured() : name;
}

const char TemporaryTables[] = "SELECT c.relname FROM pg_class c"
                               " WHERE c.relnamespace = pg_my_temp_schema() AND c.relkind = 'r'";

} // namespace

ExecuteResult PostgresDriver::runProcedure(const ExecuteRequest &request, ExecutionControl &control)
{
    ExecuteResult result;
    result.parameters = request.parameters;
    ProcedureDefinition def;
    if (!loadProcedure(request.text, &def, &result.error))
        return result;

    Variables variables = ProcedureRun::startingVariables(def, request.parameters);

    // The procedure's own transaction, or a savepoint in the caller's. On a
    // read-only session a procedure with working tables needs a read-write
    // transaction; it is rolled back at the end, so nothing it wrote lasts.
    const bool nested = PQtransactionStatus(m_conn) != PQTRANS_IDLE;
    const bool withWorkingTables = createsTemporaryTables(def.body);
    const bool rollBackAtEnd = !nested && m_mode == adModeRead && withWorkingTables;
    const QString begin = nested          ? QStringLiteral("SAVEPOINT marvolt_procedure")
                          : rollBackAtEnd ? QStringLiteral("BEGIN READ WRITE")
                                          : QStringLiteral("BEGIN");
    const QString undo = nested ? QStringLiteral("ROLLBACK TO SAVEPOINT marvolt_procedure; "
                                                 "RELEASE SAVEPOINT marvolt_procedure")
                                : QStringLiteral("ROLLBACK");
    if (!exec(begin, &result.error))
        return result;

    // Working tables the procedure leaves are dropped before it commits, as
    // on SQLite; a rolled-back transaction takes them with it.
    QStringList tablesBefore;
    const auto temporaryTables = [&](QStringList *names) {
        Result r(PQexec(m_conn, TemporaryTables));
        for (int i = 0; i < PQntuples(r.get()); ++i)
            names->append(QString::fromUtf8(PQgetvalue(r.get(), i, 0)));
        return PQresultStatus(r.get()) == PGRES_TUPLES_OK;
    };
    bool ok = !withWorkingTables || rollBackAtEnd || temporaryTables(&tablesBefore);

    ProcedureResults results(result.results, def.resultSets, variables);
    const QList<PostgresStatement> statements = splitPostgresStatements(def.body);
    for (qsizetype s = 0; ok && s < statements.size(); ++s) {
        if (control.shouldStop()) {
            result.error = control.isCancelled()
                               ? makeError(Error::Cancelled, QStringLiteral("Operation cancelled"), Source)
                               : makeError(Error::Timeout, QStringLiteral("Query timeout expired"), Source);
            ok = false;
            break;
        }
        std::vector<unsigned> types;
        std::vector<std::optional<QByteArray>> values;
        for (const QString &name : statements[s].parameterNames) {
            const auto it = variables.constFind(name);
            if (it == variables.cend()) {
                result.error = makeError(Error::ErrorsInCommand,
                                         QStringLiteral("%1: %2 is neither a parameter nor set by an earlier statement")
                                             .arg(def.name, spelling(def.body, name)),
                                         Source);
                ok = false;
                break;
            }
            types.push_back(PostgresValues::parameterType(it->type == DataType::Variant ? it->value.type() : it->type));
            values.push_back(PostgresValues::parameterText(it->value));
        }
        ok = ok && runStatement(statements[s].text, types, values, control, result, &results);
    }
    // A failing statement's message names its procedure, as on SQLite.
    if (!ok && result.error && result.error->Number != Error::Cancelled && result.error->Number != Error::Timeout
        && !result.error->Description.startsWith(def.name + u':'))
        result.error = makeError(result.error->Number, def.name + QStringLiteral(": ") + result.error->Description,
                                 result.error->Source, result.error->NativeError);

    if (ok && withWorkingTables && !rollBackAtEnd) {
        QStringList tablesAfter;
        ok = temporaryTables(&tablesAfter);
        for (const QString &table : tablesAfter) {
            if (ok && !tablesBefore.contains(table))
                ok = exec(QStringLiteral("DROP TABLE pg_temp.\"%1\"").arg(QString(table).replace(QStringLiteral("\""), QStringLiteral("\"\""))),
                          &result.error);
        }
    }
    if (ok) {
        const QString finish = nested          ? QStringLiteral("RELEASE SAVEPOINT marvolt_procedure")
                               : rollBackAtEnd ? QStringLiteral("ROLLBACK")
                                               : QStringLiteral("COMMIT");
        ok = exec(finish, &result.error);
    } else {
        exec(undo, nullptr);
    }
    if (!ok) {
        result.results.clear();
        return result;
    }
    ProcedureRun::fillOutputs(result.parameters, variables);
    return result;
}

bool PostgresDriver::loadProcedure(const QString &name, ProcedureDefinition *definition, ErrorPtr *error)
{
    const QByteArray key = name.trimmed().toUtf8();
    const char *values[] = {key.constData()};
    const unsigned types[] = {PostgresValues::parameterType(DataType::VarWChar)};
    const auto query = [&](const char *sql) {
        return Result(PQexecParams(m_conn, sql, 1, types, values, nullptr, nullptr, 0));
    };
    const auto failed = [&](const Result &r) {
        if (PQresultStatus(r.get()) == PGRES_TUPLES_OK)
            return false;
        if (error)
            *error = serverError(r.get(), m_conn);
        return true;
    };
    const auto notFound = [&](const QString &why) {
        if (error)
            *error = makeError(Error::NoSuchProcedure,
                               QStringLiteral("Could not find stored procedure '%1'%2").arg(name, why), Source);
        return false;
    };

    // The catalog's existence is asked first: a failing statement would end
    // a transaction the caller has open.
    const Result catalog = query("SELECT to_regclass('sys_procedures') IS NOT NULL WHERE $1 = $1");
    if (failed(catalog))
        return false;
    if (PQntuples(catalog.get()) == 0 || PQgetvalue(catalog.get(), 0, 0)[0] != 't')
        return notFound(QStringLiteral(": the database has no procedure catalog"));

    const Result body = query("SELECT name, body FROM sys_procedures WHERE lower(name) = lower($1)");
    if (failed(body))
        return false;
    if (PQntuples(body.get()) == 0)
        return notFound({});
    definition->name = QString::fromUtf8(PQgetvalue(body.get(), 0, 0));
    definition->body = QString::fromUtf8(PQgetvalue(body.get(), 0, 1));

    const auto storedType = [](const char *text) {
        const auto type = DataType(QByteArray(text).toInt());
        return ProcedureCatalog::typeName(type).isEmpty() ? DataType::Variant : type;
    };
    const Result params = query("SELECT name, type, direction, size FROM sys_procedure_params"
                                " WHERE lower(procedure) = lower($1) ORDER BY ordinal");
    if (failed(params))
        return false;
    for (int i = 0; i < PQntuples(params.get()); ++i) {
        definition->parameters.append(Parameter(QString::fromUtf8(PQgetvalue(params.get(), i, 0)),
                                                storedType(PQgetvalue(params.get(), i, 1)),
                                                QByteArray(PQgetvalue(params.get(), i, 2)).toInt(),
                                                QByteArray(PQgetvalue(params.get(), i, 3)).toInt()));
    }
    const Result columns = query("SELECT result_set, name, type FROM sys_procedure_columns"
                                 " WHERE lower(procedure) = lower($1) ORDER BY result_set, ordinal");
    if (failed(columns))
        return false;
    for (int i = 0; i < PQntuples(columns.get()); ++i) {
        const int set = QByteArray(PQgetvalue(columns.get(), i, 0)).toInt();
        if (set < 1 || set > 100)
            continue;
        while (definition->resultSets.size() < set)
            definition->resultSets.append(QList<ProcedureColumn>());
        definition->resultSets[set - 1].append(
            ProcedureColumn{QString::fromUtf8(PQgetvalue(columns.get(), i, 1)), storedType(PQgetvalue(columns.get(), i, 2))});
    }
    return true;
}

} // namespace data

#include "PostgresDriver.h"

#include "PostgresResults.h"
#include "PostgresStatements.h"
#include "PostgresValues.h"

#include "ConnectionString.h"
#include "ExecutionControl.h"

#include <libpq-fe.h>

#include <QRegularExpression>

#include <poll.h>

#include <memory>

namespace data {

using namespace PostgresResults;

namespace {

bool isDataChange(const char *commandStatus)
{
    const QByteArray status(commandStatus);
    const QByteArray tag = status.left(status.indexOf(' '));
    return tag == "INSERT" || tag == "UPDATE" || tag == "DELETE" || tag == "MERGE";
}

// The settings' own names for libpq's keywords.
struct KeyName
{
    const char *setting;
    const char *keyword;
};
constexpr KeyName KeyNames[] = {
    {"host", "host"}, {"server", "host"}, {"port", "port"}, {"database", "dbname"}, {"initial catalog", "dbname"},
    {"user", "user"}, {"user id", "user"}, {"uid", "user"}, {"password", "password"}, {"pwd", "password"},
};

/// A value as a libpq connection-string value: quoted, with \ and ' escaped.
QByteArray quotedValue(const QString &value)
{
    QByteArray out = "'";
    for (const char c : value.toUtf8()) {
        if (c == '\\' || c == '\'')
            out += '\\';
        out += c;
    }
    return out + '\'';
}

} // namespace

std::unique_ptr<PostgresDriver> PostgresDriver::create(const ConnectionString &settings, ErrorPtr *)
{
    std::unique_ptr<PostgresDriver> driver(new PostgresDriver);
    QByteArray conninfo;
    for (auto it = settings.values().cbegin(); it != settings.values().cend(); ++it) {
        if (it.key() == QLatin1String("provider"))
            continue;
        QByteArray keyword = it.key().toUtf8();
        for (const KeyName &k : KeyNames) {
            if (it.key() == QLatin1String(k.setting))
                keyword = k.keyword;
        }
        conninfo += keyword + '=' + quotedValue(it.value()) + ' ';
    }
    driver->m_conninfo = conninfo.trimmed();
    return driver;
}

PostgresDriver::~PostgresDriver()
{
    close();
}

bool PostgresDriver::open(int mode, ErrorPtr *error, const ExecutionControl *)
{
    if (m_conn) {
        if (error)
            *error = makeError(Error::ObjectOpen, QStringLiteral("The connection is already open"), Source);
        return false;
    }
    pg_conn *conn = PQconnectdb(m_conninfo.constData());
    if (PQstatus(conn) != CONNECTION_OK) {
        if (error)
            *error = makeError(Error::Unspecified,
                               QStringLiteral("Cannot connect to the PostgreSQL server: %1")
                                   .arg(QString::fromUtf8(PQerrorMessage(conn)).trimmed()),
                               Source);
        PQfinish(conn);
        return false;
    }
    PQsetClientEncoding(conn, "UTF8");
    // The server's notices ("table ... does not exist, skipping") are no
    // errors; libpq would print them on standard error.
    PQsetNoticeProcessor(conn, [](void *, const char *) {}, nullptr);
    if (mode == adModeRead) {
        Result r(PQexec(conn, "SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY"));
        if (PQresultStatus(r.get()) != PGRES_COMMAND_OK) {
            if (error)
                *error = serverError(r.get(), conn);
            PQfinish(conn);
            return false;
        }
    }
    std::lock_guard lock(m_handleMutex);
    m_conn = conn;
    m_cancel = PQgetCancel(conn);
    m_mode = mode;
    return true;
}

void PostgresDriver::close()
{
    std::lock_guard lock(m_handleMutex);
    if (m_cancel)
        PQfreeCancel(m_cancel);
    m_cancel = nullptr;
    if (m_conn)
        PQfinish(m_conn);
    m_conn = nullptr;
}

int PostgresDriver::backendPid() const
{
    return m_conn ? PQbackendPID(m_conn) : 0;
}

std::unique_ptr<Driver> PostgresDriver::cloneClosed() const
{
    std::unique_ptr<PostgresDriver> copy(new PostgresDriver);
    copy->m_conninfo = m_conninfo;
    return copy;
}

void PostgresDriver::interrupt()
{
    std::lock_guard lock(m_handleMutex);
    if (m_cancel) {
        char message[256];
        PQcancel(m_cancel, message, sizeof message);
    }
}

void PostgresDriver::cancelWhenAsked(const ExecutionControl &control, bool *sent)
{
    if (!*sent && control.shouldStop()) {
        interrupt();
        *sent = true;
    }
}

bool PostgresDriver::exec(const QString &text, ErrorPtr *error)
{
    Result r(PQexec(m_conn, text.toUtf8().constData()));
    const ExecStatusType status = PQresultStatus(r.get());
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
        return true;
    if (error)
        *error = serverError(r.get(), m_conn);
    return false;
}

QStringList PostgresDriver::transactionStatements(const QString &statement)
{
    static const QRegularExpression savepoint(QStringLiteral("^\\s*SAVEPOINT\\s+(\\w+)\\s*$"),
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression release(QStringLiteral("^\\s*RELEASE\\s+(?:SAVEPOINT\\s+)?(\\w+)\\s*$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const PGTransactionStatusType state = PQtransactionStatus(m_conn);
    if (state == PQTRANS_IDLE) {
        m_implicitSavepoint.clear();
        const QRegularExpressionMatch m = savepoint.match(statement);
        if (m.hasMatch()) {
            m_implicitSavepoint = m.captured(1).toLower();
            return {QStringLiteral("BEGIN"), statement};
        }
    } else if (!m_implicitSavepoint.isEmpty()) {
        const QRegularExpressionMatch m = release.match(statement);
        if (m.hasMatch() && m.captured(1).toLower() == m_implicitSavepoint) {
            m_implicitSavepoint.clear();
            return {QStringLiteral("COMMIT")};
        }
    }
    return {statement};
}

bool PostgresDriver::runStatement(const QString &text, const std::vector<unsigned> &types,
                                  const std::vector<std::optional<QByteArray>> &values, ExecutionControl &control,
                                  ExecuteResult &result, ResultSetSink *sink)
{
    std::vector<const char *> pointers;
    for (const std::optional<QByteArray> &v : values)
        pointers.push_back(v ? v->constData() : nullptr);
    const QByteArray sql = text.toUtf8();
    if (!PQsendQueryParams(m_conn, sql.constData(), int(pointers.size()), types.empty() ? nullptr : types.data(),
                           pointers.data(), nullptr, nullptr, 1)) {
        result.error = serverError(nullptr, m_conn);
        return false;
    }
    // One row at a time: the rows go into their recordset as they arrive,
    // and libpq never holds the whole result beside it.
    PQsetSingleRowMode(m_conn);
    RecordsetSink recordsets(result.results);
    if (!sink)
        sink = &recordsets;
    // Wait for the server, looking at the control every 50 ms.
    bool cancelSent = false;
    bool inResultSet = false;
    ErrorPtr failure;
    for (;;) {
        while (PQisBusy(m_conn)) {
            cancelWhenAsked(control, &cancelSent);
            pollfd descriptor{PQsocket(m_conn), POLLIN, 0};
            if (poll(&descriptor, 1, 50) > 0 && !PQconsumeInput(m_conn)) {
                result.error = serverError(nullptr, m_conn);
                return false;
            }
        }
        Result r(PQgetResult(m_conn));
        if (!r)
            break;
        const ExecStatusType status = PQresultStatus(r.get());
        switch (status) {
        case PGRES_SINGLE_TUPLE:
        case PGRES_TUPLES_OK:
            if (failure)
                break;   // the rest of a failed result set is read and dropped
            if (!inResultSet) {
                inResultSet = true;
                if (!sink->begin(r.get(), &failure))
                    break;
            }
            if (sink->rows(r.get(), &failure) && status == PGRES_TUPLES_OK) {
                inResultSet = false;
                sink->end(&failure);
            }
            break;
        case PGRES_COMMAND_OK:
            // COMMIT of a transaction that had failed ends it as a rollback.
            if (!failure && QByteArray(PQcmdStatus(r.get())) == "ROLLBACK" && sql.trimmed().toUpper().startsWith("COMMIT"))
                failure = makeError(Error::ErrorsInCommand,
                                    QStringLiteral("The transaction had failed and was rolled back"), Source);
            // Rows changed by data statements count; a table made AS SELECT does not.
            if (isDataChange(PQcmdStatus(r.get())))
                result.recordsAffected += QByteArray(PQcmdTuples(r.get())).toLong();
            break;
        default:
            if (!failure) {
                const char *state = PQresultErrorField(r.get(), PG_DIAG_SQLSTATE);
                const bool cancelled = state && QByteArray(state) == "57014";
                if (cancelled && control.isCancelled())
                    failure = makeError(Error::Cancelled, QStringLiteral("Operation cancelled"), Source,
                                        sqlstateCode(state));
                else if (cancelled && control.isTimedOut())
                    failure = makeError(Error::Timeout, QStringLiteral("Query timeout expired"), Source,
                                        sqlstateCode(state));
                else
                    failure = serverError(r.get(), m_conn);
            }
            break;
        }
    }
    if (failure) {
        result.error = failure;
        return false;
    }
    return true;
}

ExecuteResult PostgresDriver::execute(const ExecuteRequest &request, ExecutionControl &control)
{
    ExecuteResult result;
    result.parameters = request.parameters;
    if (!m_conn) {
        result.error = makeError(Error::ObjectClosed, QStringLiteral("The connection is closed"), Source);
        return result;
    }
    if (request.commandType == adCmdStoredProc)
        return runProcedure(request, control);
    for (const PostgresStatement &statement : splitPostgresStatements(request.text)) {
        if (control.shouldStop()) {
            result.error = control.isCancelled()
                               ? makeError(Error::Cancelled, QStringLiteral("Operation cancelled"), Source)
                               : makeError(Error::Timeout, QStringLiteral("Query timeout expired"), Source);
            return result;
        }
        std::vector<unsigned> types;
        std::vector<std::optional<QByteArray>> texts;
        for (const QString &name : statement.parameterNames) {
            unsigned type = 0;
            std::optional<QByteArray> text;
            for (const Parameter &p : request.parameters) {
                if (p.Name().compare(name, Qt::CaseInsensitive) == 0
                    || QString(u'@' + p.Name()).compare(name, Qt::CaseInsensitive) == 0) {
                    // A date goes untyped: the server reads it as what it is
                    // compared with or stored in (date, timestamp or ISO text).
                    const DataType declared = p.Type() == DataType::Variant ? p.value().type() : p.Type();
                    type = declared == DataType::Date ? 0 : PostgresValues::parameterType(declared);
                    text = PostgresValues::parameterText(p.value());
                    break;
                }
            }
            types.push_back(type);
            texts.push_back(std::move(text));
        }
        for (const QString &text : transactionStatements(statement.text)) {
            const bool own = text == statement.text;
            if (!runStatement(text, own ? types : decltype(types)(), own ? texts : decltype(texts)(), control, result))
                return result;
        }
    }
    return result;
}

bool PostgresDriver::copyIn(const QString &table, const QStringList &columns,
                            const std::function<bool(QByteArray *)> &rows, ErrorPtr *error)
{
    const QString sql = QStringLiteral("COPY %1 (%2) FROM STDIN").arg(table, columns.join(QStringLiteral(", ")));
    Result start(PQexec(m_conn, sql.toUtf8().constData()));
    if (PQresultStatus(start.get()) != PGRES_COPY_IN) {
        if (error)
            *error = serverError(start.get(), m_conn);
        return false;
    }
    QByteArray chunk;
    bool sent = true;
    while (sent && rows(&chunk)) {
        sent = PQputCopyData(m_conn, chunk.constData(), int(chunk.size())) == 1;
        chunk.clear();
    }
    PQputCopyEnd(m_conn, sent ? nullptr : "the client could not send the rows");
    bool ok = true;
    while (Result r{PQgetResult(m_conn)}) {
        if (PQresultStatus(r.get()) == PGRES_COPY_IN) {   // the end did not reach the server
            PQputCopyEnd(m_conn, "the copy was ended");
            continue;
        }
        if (PQresultStatus(r.get()) != PGRES_COMMAND_OK && ok) {
            if (error)
                *error = serverError(r.get(), m_conn);
            ok = false;
        }
    }
    return ok;
}

bool PostgresDriver::procedureParameters(const QString &procedure, QList<Parameter> *parameters, ErrorPtr *error)
{
    if (!m_conn) {
        if (error)
            *error = makeError(Error::ObjectClosed, QStringLiteral("The connection is closed"), Source);
        return false;
    }
    ProcedureDefinition definition;
    if (!loadProcedure(procedure, &definition, error))
        return false;
    *parameters = definition.parameters;
    return true;
}

} // namespace data

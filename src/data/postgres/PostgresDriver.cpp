#include "PostgresDriver.h"

#include "PostgresStatements.h"
#include "PostgresValues.h"

#include "ConnectionString.h"
#include "ExecutionControl.h"

#include <libpq-fe.h>

#include <poll.h>

#include <memory>

namespace data {

namespace {

const QString Source = QStringLiteral("PostgreSQL");

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

/// The SQLSTATE's five characters as a number (base 36), for NativeError.
int sqlstateCode(const char *state)
{
    bool ok = false;
    const int code = state ? QByteArray(state).toInt(&ok, 36) : 0;
    return ok ? code : 0;
}

ErrorPtr serverError(const PGresult *result, pg_conn *conn)
{
    const char *state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const char *primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    QString message = QString::fromUtf8(primary ? primary : PQerrorMessage(conn)).trimmed();
    if (state)
        message += QStringLiteral(" (SQLSTATE %1)").arg(QString::fromLatin1(state));
    return makeError(Error::ErrorsInCommand, message, Source, sqlstateCode(state));
}

struct ResultDeleter
{
    void operator()(PGresult *r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

/// The rows of a result as a recordset of its columns: each value goes
/// straight from libpq's buffer into its column. False and *error when a
/// column's type or a value cannot be read.
bool readRows(const PGresult *result, RecordsetPtr *out, ErrorPtr *error)
{
    const int columns = PQnfields(result);
    auto rs = std::make_shared<Recordset>();
    rs->setCursorLocation(adUseClient);
    rs->setCursorType(adOpenStatic);
    std::vector<unsigned> oids;
    for (int c = 0; c < columns; ++c) {
        const unsigned oid = PQftype(result, c);
        const std::optional<DataType> type = PostgresValues::typeOf(oid);
        QString name = QString::fromUtf8(PQfname(result, c));
        if (!type) {
            *error = makeError(Error::TypeMismatch,
                               QStringLiteral("The column \"%1\" has a type the driver does not read (type OID %2); "
                                              "cast it to text, a number or a date")
                                   .arg(name)
                                   .arg(oid),
                               Source);
            return false;
        }
        // A repeated name gets a suffix, so that every field stays reachable by name.
        int suffix = 2;
        const QString base = name;
        while (rs->Fields().indexOf(name) >= 0)
            name = base + u'_' + QString::number(suffix++);
        rs->Fields().Append(name, *type, 0, adFldMayBeNull);
        oids.push_back(oid);
    }
    rs->Open();
    {
        RecordsetLoader loader(*rs);
        const int rows = PQntuples(result);
        for (int r = 0; r < rows; ++r) {
            loader.beginRow();
            for (int c = 0; c < columns; ++c) {
                const bool null = PQgetisnull(result, r, c);
                if (!PostgresValues::load(loader, c, oids[size_t(c)], null ? nullptr : PQgetvalue(result, r, c),
                                          PQgetlength(result, r, c))) {
                    *error = makeError(Error::TypeMismatch,
                                       QStringLiteral("The column \"%1\" sent a value the driver cannot read")
                                           .arg(QString::fromUtf8(PQfname(result, c))),
                                       Source);
                    return false;
                }
            }
            loader.endRow();
        }
    }
    *out = std::move(rs);
    return true;
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

bool PostgresDriver::runStatement(const QString &text, const std::vector<std::optional<QByteArray>> &values,
                                  ExecutionControl &control, ExecuteResult &result)
{
    std::vector<const char *> pointers;
    for (const std::optional<QByteArray> &v : values)
        pointers.push_back(v ? v->constData() : nullptr);
    const QByteArray sql = text.toUtf8();
    if (!PQsendQueryParams(m_conn, sql.constData(), int(pointers.size()), nullptr, pointers.data(), nullptr, nullptr,
                           1)) {
        result.error = serverError(nullptr, m_conn);
        return false;
    }
    // Wait for the server, looking at the control every 50 ms.
    bool cancelSent = false;
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
        switch (PQresultStatus(r.get())) {
        case PGRES_TUPLES_OK: {
            RecordsetPtr rows;
            if (!failure && readRows(r.get(), &rows, &failure))
                result.results.push_back(std::move(rows));
            break;
        }
        case PGRES_COMMAND_OK:
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
    if (request.commandType == adCmdStoredProc) {
        result.error = makeError(Error::NoSuchProcedure,
                                 QStringLiteral("%1: the reports' procedures are not installed on PostgreSQL")
                                     .arg(request.text),
                                 Source);
        return result;
    }
    for (const PostgresStatement &statement : splitPostgresStatements(request.text)) {
        if (control.shouldStop()) {
            result.error = control.isCancelled()
                               ? makeError(Error::Cancelled, QStringLiteral("Operation cancelled"), Source)
                               : makeError(Error::Timeout, QStringLiteral("Query timeout expired"), Source);
            return result;
        }
        std::vector<std::optional<QByteArray>> texts;
        for (const QString &name : statement.parameterNames) {
            std::optional<QByteArray> text;
            for (const Parameter &p : request.parameters) {
                if (p.Name().compare(name, Qt::CaseInsensitive) == 0
                    || QString(u'@' + p.Name()).compare(name, Qt::CaseInsensitive) == 0) {
                    text = PostgresValues::parameterText(p.value());
                    break;
                }
            }
            texts.push_back(std::move(text));
        }
        if (!runStatement(statement.text, texts, control, result))
            return result;
    }
    return result;
}

bool PostgresDriver::procedureParameters(const QString &procedure, QList<Parameter> *, ErrorPtr *error)
{
    if (error)
        *error = makeError(Error::NoSuchProcedure,
                           QStringLiteral("%1: the reports' procedures are not installed on PostgreSQL").arg(procedure),
                           Source);
    return false;
}

} // namespace data

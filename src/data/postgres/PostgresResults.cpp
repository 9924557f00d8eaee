#include "PostgresResults.h"

#include "PostgresValues.h"

#include <libpq-fe.h>

#include <vector>

namespace data::PostgresResults {

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
    // A write on a read-only session is the same refusal as on a read-only file.
    const bool readOnly = state && QByteArray(state) == "25006";
    return makeError(readOnly ? Error::ReadOnly : Error::ErrorsInCommand, message, Source, sqlstateCode(state));
}

void ResultDeleter::operator()(pg_result *r) const
{
    PQclear(r);
}

RecordsetReader::RecordsetReader() = default;
RecordsetReader::~RecordsetReader() = default;

bool RecordsetReader::start(const PGresult *description, const QList<ProcedureColumn> *declared, ErrorPtr *error)
{
    const int columns = PQnfields(description);
    m_loader.reset();
    m_recordset = std::make_shared<Recordset>();
    m_recordset->setCursorLocation(adUseClient);
    m_recordset->setCursorType(adOpenStatic);
    m_oids.clear();
    m_declaredTypes.clear();
    for (int c = 0; c < columns; ++c) {
        const unsigned oid = PQftype(description, c);
        std::optional<DataType> type = PostgresValues::typeOf(oid);
        QString name = QString::fromUtf8(PQfname(description, c));
        std::optional<DataType> declaredType;
        for (const ProcedureColumn &column : declared ? *declared : QList<ProcedureColumn>()) {
            if (column.name.compare(name, Qt::CaseInsensitive) == 0) {
                name = column.name;
                declaredType = column.type;
                type = column.type;
                break;
            }
        }
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
        while (m_recordset->Fields().indexOf(name) >= 0)
            name = base + u'_' + QString::number(suffix++);
        m_recordset->Fields().Append(name, *type, 0, adFldMayBeNull);
        m_oids.push_back(oid);
        m_declaredTypes.push_back(declaredType);
    }
    m_recordset->Open();
    m_loader = std::make_unique<RecordsetLoader>(*m_recordset);
    return true;
}

bool RecordsetReader::append(const PGresult *piece, ErrorPtr *error)
{
    const int columns = int(m_oids.size());
    const int rows = PQntuples(piece);
    for (int r = 0; r < rows; ++r) {
        m_loader->beginRow();
        for (int c = 0; c < columns; ++c) {
            const char *bytes = PQgetisnull(piece, r, c) ? nullptr : PQgetvalue(piece, r, c);
            const int length = PQgetlength(piece, r, c);
            bool read;
            if (const std::optional<DataType> &type = m_declaredTypes[size_t(c)]) {
                SqliteValues::Cell cell;
                read = PostgresValues::readCell(m_oids[size_t(c)], bytes, length, &cell);
                if (read)
                    SqliteValues::load(*m_loader, c, *type, cell);
            } else {
                read = PostgresValues::load(*m_loader, c, m_oids[size_t(c)], bytes, length);
            }
            if (!read) {
                *error = makeError(Error::TypeMismatch,
                                   QStringLiteral("The column \"%1\" sent a value the driver cannot read")
                                       .arg(QString::fromUtf8(PQfname(piece, c))),
                                   Source);
                return false;
            }
        }
        m_loader->endRow();
    }
    return true;
}

RecordsetPtr RecordsetReader::finish()
{
    m_loader.reset();
    return std::move(m_recordset);
}

bool RecordsetSink::begin(const PGresult *description, ErrorPtr *error)
{
    return m_reader.start(description, m_declared ? m_declared(m_count) : nullptr, error);
}

bool RecordsetSink::end(ErrorPtr *)
{
    m_out.push_back(m_reader.finish());
    ++m_count;
    return true;
}

} // namespace data::PostgresResults

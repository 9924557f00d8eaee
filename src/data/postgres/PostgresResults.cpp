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
    return makeError(Error::ErrorsInCommand, message, Source, sqlstateCode(state));
}

void ResultDeleter::operator()(pg_result *r) const
{
    PQclear(r);
}

bool readRows(const PGresult *result, const QList<ProcedureColumn> *declared, RecordsetPtr *out, ErrorPtr *error)
{
    const int columns = PQnfields(result);
    auto rs = std::make_shared<Recordset>();
    rs->setCursorLocation(adUseClient);
    rs->setCursorType(adOpenStatic);
    std::vector<unsigned> oids;
    std::vector<std::optional<DataType>> declaredTypes;
    for (int c = 0; c < columns; ++c) {
        const unsigned oid = PQftype(result, c);
        std::optional<DataType> type = PostgresValues::typeOf(oid);
        QString name = QString::fromUtf8(PQfname(result, c));
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
        while (rs->Fields().indexOf(name) >= 0)
            name = base + u'_' + QString::number(suffix++);
        rs->Fields().Append(name, *type, 0, adFldMayBeNull);
        oids.push_back(oid);
        declaredTypes.push_back(declaredType);
    }
    rs->Open();
    {
        RecordsetLoader loader(*rs);
        const int rows = PQntuples(result);
        for (int r = 0; r < rows; ++r) {
            loader.beginRow();
            for (int c = 0; c < columns; ++c) {
                const char *bytes = PQgetisnull(result, r, c) ? nullptr : PQgetvalue(result, r, c);
                const int length = PQgetlength(result, r, c);
                bool read;
                if (const std::optional<DataType> &type = declaredTypes[size_t(c)]) {
                    SqliteValues::Cell cell;
                    read = PostgresValues::readCell(oids[size_t(c)], bytes, length, &cell);
                    if (read)
                        SqliteValues::load(loader, c, *type, cell);
                } else {
                    read = PostgresValues::load(loader, c, oids[size_t(c)], bytes, length);
                }
                if (!read) {
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


} // namespace data::PostgresResults

#include "TicketLookup.h"

#include "Connection.h"
#include "Command.h"

namespace {

/// The deal in one table; null when the table does not hold it, with the
/// reason in *error when the query failed.
data::RecordsetPtr findIn(data::Connection &connection, const char *table, const TicketKey &key, QString *error)
{
    data::Command command;
    command.setActiveConnection(&connection);
    command.setCommandText(QStringLiteral("SELECT * FROM %1 WHERE TCID = @TCID AND TicketNum = @TicketNum "
                                          "AND Status = @Status AND DealTime >= @From AND DealTime < @To")
                               .arg(QLatin1String(table)));
    const auto bind = [&command](const char *name, data::DataType type, const data::Value &value) {
        command.Parameters().Append(data::Parameter(QString::fromLatin1(name), type, data::adParamInput, 0, value));
    };
    using T = data::DataType;
    bind("@TCID", T::VarWChar, data::Value(key.tcid));
    bind("@TicketNum", T::BigInt, data::Value(key.ticketNum));
    bind("@Status", T::Integer, data::Value(key.status));
    // Deal times are stored as "yyyy-MM-dd hh:mm:ss": the day is a range of texts.
    bind("@From", T::VarWChar, data::Value(key.dealDate.toString(Qt::ISODate)));
    bind("@To", T::VarWChar, data::Value(key.dealDate.addDays(1).toString(Qt::ISODate)));
    data::RecordsetPtr rows = command.Execute();
    if (!rows) {
        if (command.lastError())
            *error = command.lastError()->Description;
        return nullptr;
    }
    return rows->Eof() && rows->Bof() ? nullptr : rows;
}

} // namespace

TicketLookupResult findTicket(const QString &connectionString, const TicketKey &key)
{
    TicketLookupResult result;
    if (key.tcid.isEmpty() || !key.dealDate.isValid())
        return result;
    data::Connection connection;
    connection.setMode(data::adModeRead);
    if (!connection.Open(connectionString)) {
        result.error = connection.lastError() ? connection.lastError()->Description : QStringLiteral("no connection");
        return result;
    }
    result.deal = findIn(connection, "Tickets", key, &result.error);
    if (!result.deal && result.error.isEmpty()) {
        result.deal = findIn(connection, "Archive", key, &result.error);
        result.archive = result.deal != nullptr;
    }
    if (result.deal)
        result.deal->setActiveConnection(nullptr);
    return result;
}

#pragma once

// The counterparties a demo database's day has FX deals with, most deals
// first: tests that run two filters side by side pick theirs from it.

#include "Connection.h"
#include "Recordset.h"

#include <QDate>
#include <QStringList>

namespace reporttest {

inline QStringList busiestBanks(const QString &connectionString, QDate day)
{
    data::Connection connection;
    if (!connection.Open(connectionString))
        return {};
    data::RecordsetPtr rs = connection.Execute(
        QStringLiteral("SELECT Bank1ID FROM Tickets WHERE DealTime >= '%1' AND DealTime < '%2' "
                       "AND PureDealType IN (2, 4, 8) AND Status >= 0 GROUP BY Bank1ID "
                       "ORDER BY count(*) DESC, Bank1ID")
            .arg(day.toString(Qt::ISODate), day.addDays(1).toString(Qt::ISODate)));
    QStringList banks;
    if (!rs)
        return banks;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
        banks.append(rs->Fields(0).value().toString());
    return banks;
}

} // namespace reporttest

#pragma once

// Helpers shared by the trading-database tests: a fresh database with the
// schema and chosen procedures, procedure calls with named arguments, and
// result rows as comparable texts.

#include "Command.h"
#include "Connection.h"
#include "ProcedureCatalog.h"
#include "TradingDatabase.h"

#include <QList>
#include <QPair>
#include <QStringList>
#include <QTest>

#include <memory>

namespace dbtest {

using Arguments = QList<QPair<QString, data::Value>>;

/// Opens (creating) the database file at path with the schema and the named
/// procedures from the compiled-in scripts; null on failure (a QFAIL-able message in *why).
inline std::unique_ptr<data::Connection> openWithSchema(const QString &path, const QStringList &procedures,
                                                        QString *why)
{
    auto connection = std::make_unique<data::Connection>();
    if (!connection->Open(QStringLiteral("Provider=SQLite;Data Source=%1;Create=True").arg(path))) {
        *why = connection->lastError() ? connection->lastError()->Description : QStringLiteral("open failed");
        return nullptr;
    }
    if (!db::TradingDatabase::installSchema(*connection, why))
        return nullptr;
    for (const db::TradingDatabase::Script &script : db::TradingDatabase::procedureScripts()) {
        if (!procedures.contains(script.name.chopped(4)))
            continue;
        data::ErrorPtr error;
        if (!data::ProcedureCatalog::installScript(*connection, script.text, &error)) {
            *why = script.name + QStringLiteral(": ") + (error ? error->Description : QString());
            return nullptr;
        }
    }
    return connection;
}

/// Result rows as "a|b|c" texts, nulls as "<null>".
inline QStringList rowTexts(const data::RecordsetPtr &rs)
{
    QStringList rows;
    if (!rs)
        return rows;
    if (rs->RecordCount() == 0)
        return rows;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        QStringList cells;
        for (int i = 0; i < rs->Fields().Count(); ++i) {
            const data::Value v = rs->Fields(i).value();
            cells << (v.isNull() ? QStringLiteral("<null>") : v.toString());
        }
        rows << cells.join(u'|');
    }
    return rows;
}

/// Calls a stored procedure with parameters refreshed from the catalog and
/// set by name. Returns its first result set; *error receives the failure
/// (null on success).
inline data::RecordsetPtr callProcedure(data::Connection &connection, const QString &name,
                                        const Arguments &arguments, data::ErrorPtr *error)
{
    data::Command cmd;
    cmd.setActiveConnection(&connection);
    cmd.setCommandType(data::adCmdStoredProc);
    cmd.setCommandText(name);
    *error = nullptr;
    if (!cmd.Parameters().Refresh()) {
        *error = cmd.lastError();
        return nullptr;
    }
    for (const auto &argument : arguments) {
        data::Parameter *p = cmd.Parameters().Item(argument.first);
        if (!p) {
            *error = data::makeError(data::Error::ItemNotFound, QStringLiteral("no parameter ") + argument.first);
            return nullptr;
        }
        p->setValue(argument.second);
    }
    data::RecordsetPtr rs = cmd.Execute();
    *error = cmd.lastError();
    return rs;
}

/// Runs plain SQL with named values; the rows as texts. Fails the test on an error.
inline QStringList query(data::Connection &connection, const QString &sql, const Arguments &arguments = {})
{
    data::Command cmd;
    cmd.setActiveConnection(&connection);
    cmd.setCommandType(data::adCmdText);
    cmd.setCommandText(sql);
    for (const auto &argument : arguments)
        cmd.Parameters().Append(data::Parameter(argument.first, argument.second.type(), data::adParamInput,
                                                0, argument.second));
    const data::RecordsetPtr rs = cmd.Execute();
    if (cmd.lastError())
        qWarning("SQL failed: %s", qPrintable(cmd.lastError()->Description));
    return rowTexts(rs);
}

inline bool exec(data::Connection &connection, const QString &sql)
{
    data::Command cmd;
    cmd.setActiveConnection(&connection);
    cmd.setCommandType(data::adCmdText);
    cmd.setCommandText(sql);
    cmd.Execute();
    if (cmd.lastError()) {
        qWarning("SQL failed: %s", qPrintable(cmd.lastError()->Description));
        return false;
    }
    return true;
}

} // namespace dbtest

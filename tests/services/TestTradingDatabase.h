#pragma once

// A trading database for the service and lookup tests: created with the real
// schema and procedures in a temporary directory, opened as the process-wide
// session, with a few directory rows. Header only: every test executable
// compiles it on its own.

#include "TradingDatabase.h"

#include "DirectoryProvider.h"
#include "MessageService.h"
#include "SessionContext.h"

#include "Connection.h"
#include "Recordset.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

class TestTradingDatabase final
{
public:
    TestTradingDatabase() = default;
    /// Closes the session before the temporary directory and its file go.
    ~TestTradingDatabase()
    {
        DirectoryProvider::resetInstance();
        SessionContext::resetInstance();
    }
    TestTradingDatabase(const TestTradingDatabase &) = delete;
    TestTradingDatabase &operator=(const TestTradingDatabase &) = delete;

    /// Creates the database and opens it as a fresh session for user "alice";
    /// the directory provider and the message record start empty.
    bool create()
    {
        if (!m_dir.isValid())
            return fail(QStringLiteral("no temporary directory"));
        m_path = m_dir.filePath(QStringLiteral("trading.db"));
        // Building the schema and procedures takes a while; every test
        // starts from a copy of one built database instead.
        static QTemporaryDir templateDir;
        static const QString templatePath = templateDir.filePath(QStringLiteral("template.db"));
        QString error;
        if (!QFile::exists(templatePath) && !db::TradingDatabase::create(templatePath, &error))
            return fail(error);
        if (!QFile::copy(templatePath, m_path))
            return fail(QStringLiteral("cannot copy the template database"));
        SessionContext::resetInstance();
        DirectoryProvider::resetInstance();
        MessageService::resetInstance();
        SessionContext &session = SessionContext::instance();
        session.setCurrentUserName(QStringLiteral("alice"));
        if (!session.OpenSession(connectionString()))
            return fail(session.lastError()->Description);
        return true;
    }

    QString connectionString() const
    {
        return QStringLiteral("Provider=SQLite;Data Source=") + m_path;
    }
    QString path() const { return m_path; }
    QString error() const { return m_error; }

    /// Runs statements on the session connection; false (error()) on failure.
    bool exec(const QString &sql)
    {
        data::Connection *conn = SessionContext::instance().SessionConnection();
        conn->Execute(sql);
        if (conn->lastError())
            return fail(conn->lastError()->Description + QStringLiteral(" in: ") + sql);
        return true;
    }

    /// Every row of a query, each row's fields joined with ",", nulls as "NULL".
    QStringList rows(const QString &sql)
    {
        QStringList result;
        data::Connection *conn = SessionContext::instance().SessionConnection();
        data::RecordsetPtr rs = conn->Execute(sql);
        if (!rs) {
            if (conn->lastError())
                result.append(QStringLiteral("ERROR: ") + conn->lastError()->Description);
            return result;
        }
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            QStringList fields;
            for (int i = 0; i < rs->Fields().Count(); ++i) {
                const data::Value v = rs->Fields(i).value();
                fields.append(v.isNull() ? QStringLiteral("NULL") : v.toString());
            }
            result.append(fields.join(QLatin1Char(',')));
        }
        return result;
    }

    /// Currencies USD, EUR, RUB, RUR (a variant of RUB), CNY, CNH (of CNY);
    /// pairs EUR/USD, USD/RUB, USD/RUR; dealers, traders, brokers, TCIDs,
    /// attributes, categories and counterparties.
    bool fillDirectories()
    {
        return exec(QStringLiteral(
                   "INSERT INTO Currencies (CcyID, Ccy, Name, ParentCcyID, SortOrder) VALUES "
                   "(1, 'USD', 'US Dollar', NULL, 1), (2, 'EUR', 'Euro', NULL, 2), "
                   "(3, 'RUB', 'Rouble', NULL, 3), (4, 'RUR', 'Rouble (old)', 3, 9), "
                   "(5, 'CNY', 'Yuan', NULL, 4), (6, 'CNH', 'Yuan offshore', 5, 5)"))
            && exec(QStringLiteral(
                   "INSERT INTO Pairs (PairID, Ccy1, Ccy2, Name, SortOrder) VALUES "
                   "(10, 2, 1, 'EUR/USD', 1), (11, 1, 3, 'USD/RUB', 2), (12, 1, 4, 'USD/RUR', 3)"))
            && exec(QStringLiteral(
                   "INSERT INTO Staff (StaffID, ShortName, FullName, IsDealer, IsTrader, Active) VALUES "
                   "(101, 'IVAN', 'Ivan Petrov', 1, 1, 1), (102, 'ANNA', 'Anna Smith', 1, 0, 1), "
                   "(103, 'OLEG', 'Oleg Old', 1, 1, 0), (104, 'KATE', 'Kate Back', 0, 1, 1)"))
            && exec(QStringLiteral(
                   "INSERT INTO Brokers (BrID, ShortName, FullName, Active) VALUES "
                   "(7, 'ICAP', 'ICAP plc', 1), (8, 'BGC', 'BGC Partners', 0)"))
            && exec(QStringLiteral(
                   "INSERT INTO TCIDs (TCID, Name) VALUES ('REUT1', 'Reuters 1'), ('EBS2', 'EBS 2')"))
            && exec(QStringLiteral(
                   "INSERT INTO Attributes (AttributeID, Name) VALUES (2, 'Proprietary'), (1, 'Hedge')"))
            && exec(QStringLiteral(
                   "INSERT INTO Categories (CategoryID, Name) VALUES (1, 'Banks'), (2, 'Funds'), (3, 'Empty')"))
            && exec(QStringLiteral(
                   "INSERT INTO CategoryAttributes (CategoryID, Attribute, Value) VALUES "
                   "(1, 'Country', 'DE'), (1, 'Country', 'RU'), (1, 'Rating', 'A'), (2, 'Country', 'US')"))
            && exec(QStringLiteral(
                   "INSERT INTO Counterparties (CPID, ShortName, FullBankName, CategoryID) VALUES "
                   "(501, 'DBK', 'Deutsche Bank', 1), (502, 'SBR', 'Sberbank', 1), "
                   "(503, 'BLK', 'BlackRock', 2)"));
    }

private:
    bool fail(const QString &error)
    {
        m_error = error;
        return false;
    }

    QTemporaryDir m_dir;
    QString m_path;
    QString m_error;
};

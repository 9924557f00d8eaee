#pragma once

// A small trading database for the report-procedure tests: created with the
// real schema and procedures, a fixed set of directories, deals added row by
// row, selections stored through the Store* procedures, and report procedures
// run through the data layer as the reports run them. Results come back as
// one text per row so that a failing comparison shows the values.
//
// On the PostgreSQL backend (../support/TestBackend.h) each fixture is a
// database of its own on the test server, copied from a template loaded once
// from the SQLite template; the tests' own SQL is written for SQLite and
// translated as the shared scripts are.

#include "Command.h"
#include "Connection.h"
#include "Recordset.h"
#include "PostgresDialect.h"
#include "TradingDatabase.h"
#include "../support/TestBackend.h"
#ifdef MARVOLT_HAVE_POSTGRES
#include "PostgresCopy.h"
#endif

#include <QFile>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace reporttest {

using Params = QList<QPair<QString, data::Value>>;

/// One deal row; amounts in whole units of the currency, stored as
/// ten-thousandths. Fields left unset keep the defaults of a EUR/USD spot deal
/// bought from BANKA on 2026-12-04, value 2026-12-08.
struct Deal
{
    qint64 tradeId = 0;
    qint64 ticket = 0;
    QString tcid = QStringLiteral("T1");
    int status = 3;
    QString dealTime = QStringLiteral("2026-12-04 10:00:00");
    QString dealer = QStringLiteral("JD");
    int staffId = 7;
    QString bank = QStringLiteral("BANKA");
    int cpid = 100;
    int type = 2;        // PureDealType
    int side = 1;        // DealType
    QString pair = QStringLiteral("10");   // PairID, "NULL" for deposits
    int ccy1 = 2;
    QString ccy2 = QStringLiteral("1");
    double volume1 = 1000000;
    QString volumeP1C2;  // default: -volume1 * rate1
    QString volumeP2C1 = QStringLiteral("NULL");
    QString volumeP2C2 = QStringLiteral("NULL");
    double rate1 = 1.1;
    QString rate2 = QStringLiteral("NULL");
    QString valDate1 = QStringLiteral("2026-12-08");
    QString valDate1C2;  // default: valDate1
    QString valDate2 = QStringLiteral("NULL");
    QString depoRate = QStringLiteral("NULL");
    QString yearLength = QStringLiteral("NULL");
    QString commission = QStringLiteral("NULL");   // units
    QString commissionCcy = QStringLiteral("NULL");
    QString broker = QStringLiteral("NULL");
    int client = 0;
    int loroNostro = 0;
};

inline QString money(double units)
{
    return QString::number(qint64(qRound64(units * 10000.0)));
}

inline QString quoted(const QString &text)
{
    return text == QLatin1String("NULL") ? text : QLatin1Char('\'') + text + QLatin1Char('\'');
}

/// The text of one value as the tests compare it: dates ISO, null "-".
inline QString cellText(const data::Value &v)
{
    if (v.isNull())
        return QStringLiteral("-");
    if (v.type() == data::DataType::Date)
        return v.toDate().toIsoString();
    if (v.type() == data::DataType::Double)
        return QString::number(v.toDouble(), 'g', 10);
    return v.toString();
}

class Fixture final
{
public:
    /// A copy of the template database (schema, procedures, directories), made
    /// once per test run; check ok() with QVERIFY2(.., error()).
    Fixture()
    {
        m_path = m_dir.path() + QStringLiteral("/trading.db");
        const QString source = templatePath(&m_error);
        if (source.isEmpty() || !QFile::copy(source, m_path)) {
            m_error += QStringLiteral(" (no template database)");
            return;
        }
        if (testbackend::onPostgres()) {
            const QString templateName = postgresTemplate(&m_error);
            if (templateName.isEmpty())
                return;
            m_server = std::make_unique<testbackend::ScratchDatabase>(QStringLiteral("procedures"), templateName);
            if (!m_server->isValid()) {
                m_error = m_server->error();
                return;
            }
        }
        m_rw.setMode(data::adModeReadWrite);
        if (!m_rw.Open(connectionString())) {
            m_error = m_rw.lastError()->Description;
            return;
        }
        m_ok = true;
    }

    bool ok() const { return m_ok; }
    QByteArray error() const { return m_error.toUtf8(); }
    QString connectionString() const
    {
        return m_server ? m_server->connectionString() : QStringLiteral("Provider=SQLite;Data Source=") + m_path;
    }

    bool exec(const QString &sql)
    {
        m_rw.Execute(m_server ? db::PostgresDialect::translate(sql) : sql);
        if (m_rw.lastError()) {
            m_error = m_rw.lastError()->Description + QStringLiteral(" in: ") + sql;
            return false;
        }
        return true;
    }

    bool add(Deal d)
    {
        static qint64 next = 1;
        if (d.tradeId == 0)
            d.tradeId = next++;
        if (d.ticket == 0)
            d.ticket = d.tradeId;
        const QString p1c2 = d.volumeP1C2.isEmpty() ? money(-d.volume1 * d.rate1)
                             : d.volumeP1C2 == QLatin1String("NULL") ? d.volumeP1C2
                                                                    : money(d.volumeP1C2.toDouble());
        const auto amount = [](const QString &units) {
            return units == QLatin1String("NULL") ? units : money(units.toDouble());
        };
        return exec(QStringLiteral(
                        "INSERT INTO Tickets (TradeID, TicketNum, TCID, Status, DealTime, DealerID, StaffID, Bank1ID,"
                        " CPID, PureDealType, DealType, PairID, Ccy1, Ccy2, Volume1, VolumeP1C2, VolumeP2C1, VolumeP2C2,"
                        " ExchRate1, ExchRate2, ValDateP1C1, ValDateP1C2, ValDateP2C1, ValDateP2C2, DepoRate, YearLength,"
                        " Commission, CommissionCcy, BrokerID, ClDeal, LoroNostro) VALUES"
                        " (%1, %2, '%3', %4, '%5', '%6', %7, '%8', %9, %10, %11, %12, %13, %14, %15, %16, %17, %18,"
                        " %19, %20, '%21', '%22', %23, %24, %25, %26, %27, %28, %29, %30, %31)")
                        .arg(d.tradeId).arg(d.ticket).arg(d.tcid).arg(d.status).arg(d.dealTime, d.dealer)
                        .arg(d.staffId).arg(d.bank).arg(d.cpid).arg(d.type).arg(d.side).arg(d.pair).arg(d.ccy1)
                        .arg(d.ccy2, money(d.volume1), p1c2, amount(d.volumeP2C1), amount(d.volumeP2C2))
                        .arg(d.rate1).arg(d.rate2, d.valDate1, d.valDate1C2.isEmpty() ? d.valDate1 : d.valDate1C2,
                                          quoted(d.valDate2), quoted(d.valDate2), d.depoRate, d.yearLength)
                        .arg(amount(d.commission), quoted(d.commissionCcy), d.broker)
                        .arg(d.client).arg(d.loroNostro));
    }

    /// Runs a procedure through the data layer on a read-only connection, as
    /// the reports do, and returns every result set (detached copies).
    /// Parameters not given stay NULL. Empty on failure (error()).
    QList<data::RecordsetPtr> run(const QString &procedure, const Params &params, bool *okOut = nullptr)
    {
        QList<data::RecordsetPtr> results;
        bool ok = false;
        data::Connection conn;
        conn.setMode(data::adModeRead);
        conn.setCursorLocation(data::adUseClient);
        if (conn.Open(connectionString())) {
            data::Command cmd;
            cmd.setActiveConnection(&conn);
            cmd.setCommandType(data::adCmdStoredProc);
            cmd.setCommandText(procedure);
            ok = cmd.Parameters().Refresh();
            for (const auto &p : params) {
                data::Parameter *param = cmd.Parameters().Item(p.first);
                if (!param) {
                    m_error = QStringLiteral("no parameter ") + p.first;
                    ok = false;
                    break;
                }
                param->setValue(p.second);
            }
            if (ok) {
                data::RecordsetPtr rs = cmd.Execute();
                if (cmd.lastError()) {
                    m_error = cmd.lastError()->Description;
                    ok = false;
                }
                results = readAll(rs);
            } else if (cmd.lastError()) {
                m_error = cmd.lastError()->Description;
            }
        } else {
            m_error = conn.lastError()->Description;
        }
        if (okOut)
            *okOut = ok;
        return results;
    }

    /// A Store* procedure on the read-write connection.
    bool store(const QString &procedure, const Params &params)
    {
        data::Command cmd;
        cmd.setActiveConnection(&m_rw);
        cmd.setCommandType(data::adCmdStoredProc);
        cmd.setCommandText(procedure);
        if (!cmd.Parameters().Refresh()) {
            m_error = cmd.lastError()->Description;
            return false;
        }
        for (const auto &p : params)
            cmd.Parameters().Item(p.first)->setValue(p.second);
        cmd.Execute();
        if (cmd.lastError()) {
            m_error = cmd.lastError()->Description;
            return false;
        }
        return true;
    }

    bool storeRange(int owner, int kind, const QString &from, const QString &to)
    {
        return store(QStringLiteral("StoreDateRange"),
                     {{QStringLiteral("@UserName"), user()}, {QStringLiteral("@ownID"), owner},
                      {QStringLiteral("@Kind"), kind},
                      {QStringLiteral("@DateFrom"), from.isEmpty() ? data::Value() : data::Value(from)},
                      {QStringLiteral("@DateTo"), to.isEmpty() ? data::Value() : data::Value(to)}});
    }

    /// A list selection: procedure (StorePairF ...), its list parameter, entries joined with '|'.
    bool storeList(const QString &procedure, int owner, const QString &parameter, const QString &entries)
    {
        return store(procedure, {{QStringLiteral("@UserName"), user()}, {QStringLiteral("@ownID"), owner},
                                 {parameter, entries}});
    }

    bool storeCondition(int owner, int kind, const QString &text)
    {
        return store(QStringLiteral("StoreCondition"),
                     {{QStringLiteral("@UserName"), user()}, {QStringLiteral("@ownID"), owner},
                      {QStringLiteral("@Kind"), kind}, {QStringLiteral("@Condition"), text}});
    }

    static QString user() { return QStringLiteral("tester"); }

    /// The database every fixture copies: created on first use, with the
    /// currencies, pairs, counterparties, dealers, brokers and rates the tests use.
    static QString templatePath(QString *error)
    {
        static QTemporaryDir dir;
        static QString path;
        static QString failure;
        if (path.isEmpty() && failure.isEmpty()) {
            const QString file = dir.path() + QStringLiteral("/template.db");
            data::Connection conn;
            conn.setMode(data::adModeReadWrite);
            if (!db::TradingDatabase::create(file, &failure)) {
                failure = QStringLiteral("create: ") + failure;
            } else if (!conn.Open(QStringLiteral("Provider=SQLite;Data Source=") + file)) {
                failure = conn.lastError()->Description;
            } else {
                conn.Execute(QStringLiteral(
                    "INSERT INTO Currencies (CcyID, Ccy, Name, DirectQuote) VALUES"
                    " (1, 'USD', 'US Dollar', 0), (2, 'EUR', 'Euro', 1), (3, 'RUB', 'Rouble', 0), (4, 'GBP', 'Pound', 1);"
                    "INSERT INTO Pairs (PairID, Ccy1, Ccy2, Name) VALUES"
                    " (10, 2, 1, 'EUR/USD'), (11, 1, 3, 'USD/RUB'), (12, 4, 1, 'GBP/USD');"
                    "INSERT INTO Categories (CategoryID, Name) VALUES (1, 'Banks');"
                    "INSERT INTO Counterparties (CPID, ShortName, FullBankName, CategoryID, Netting) VALUES"
                    " (100, 'BANKA', 'Bank A', 1, 2), (101, 'BANKB', 'Bank B', 1, 0), (102, 'BANKC', 'Bank C', NULL, 0);"
                    "INSERT INTO Staff (StaffID, ShortName, FullName, IsDealer) VALUES"
                    " (7, 'JD', 'John Doe', 1), (8, 'AS', 'Ann Smith', 1);"
                    "INSERT INTO Brokers (BrID, ShortName, FullName, CommissionRate, CommissionCcy) VALUES"
                    " (1, 'EBS', 'EBS', 20, 'USD'), (2, 'ICAP', 'ICAP', 10, 'EUR');"
                    "INSERT INTO AdminRates (CcyID, RateDate, Rate) VALUES"
                    " (2, '2026-12-01', 1.05), (2, '2026-12-03', 1.1), (2, '2026-12-09', 1.2), (3, '2026-12-03', 100);"));
                if (conn.lastError())
                    failure = conn.lastError()->Description;
                else
                    path = file;
                conn.Close();
            }
        }
        if (error)
            *error = failure;
        return path;
    }

    /// The PostgreSQL database every fixture copies there: the template file
    /// loaded once into the test server.
    static QString postgresTemplate(QString *error)
    {
#ifdef MARVOLT_HAVE_POSTGRES
        static QString failure;
        static const std::unique_ptr<testbackend::ScratchDatabase> server = [] {
            QString problem;
            const QString file = templatePath(&problem);
            auto database = std::make_unique<testbackend::ScratchDatabase>(QStringLiteral("procedures_template"));
            if (file.isEmpty())
                failure = problem;
            else if (!database->isValid())
                failure = database->error();
            else if (!db::PostgresCopy::copyFile(file, database->connectionString(), &problem))
                failure = QStringLiteral("loading the template: ") + problem;
            return database;
        }();
        *error = failure;
        return failure.isEmpty() ? server->databaseName() : QString();
#else
        *error = QStringLiteral("this build has no PostgreSQL driver");
        return {};
#endif
    }

    static QList<data::RecordsetPtr> readAll(data::RecordsetPtr rs)
    {
        QList<data::RecordsetPtr> results;
        while (rs) {
            data::RecordsetPtr copy = rs->Clone();
            copy->setActiveConnection(nullptr);
            results << copy;
            rs = rs->NextRecordset();
        }
        return results;
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
    std::unique_ptr<testbackend::ScratchDatabase> m_server;   // the PostgreSQL backend's database
    data::Connection m_rw;
    QString m_error;
    bool m_ok = false;
};

/// The named columns of every row of a result, "a|b|c" per row.
inline QStringList columns(data::RecordsetPtr rs, const QStringList &names)
{
    QStringList rows;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        QStringList cells;
        for (const QString &n : names)
            cells << cellText(rs->Fields(n).value());
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

} // namespace reporttest

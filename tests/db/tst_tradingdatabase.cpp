// Creating the trading database from the compiled-in scripts: the schema,
// every procedure script, the deal tables' shared shape and the indexes the
// report queries rely on.

#include "TradingDbTestSupport.h"

#include <QFile>

#include <algorithm>
#include <QTemporaryDir>

using namespace data;
using db::TradingDatabase;

namespace {

QStringList columnsOf(Connection &conn, const QString &table)
{
    QStringList columns;
    for (const QString &row : dbtest::query(conn, QStringLiteral("SELECT name, type, \"notnull\", pk FROM pragma_table_info('%1') ORDER BY cid").arg(table)))
        columns << row;
    return columns;
}

} // namespace

class tst_TradingDatabase final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Connection> m_planConn;

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void cleanupTestCase() { m_planConn.reset(); }

    void createInstallsSchemaAndEveryProcedure()
    {
        const QString path = m_dir.filePath(QStringLiteral("full.db"));
        QString error;
        QVERIFY2(TradingDatabase::create(path, &error), qPrintable(error));

        Connection conn;
        QVERIFY(conn.Open(QStringLiteral("Provider=SQLite;Data Source=%1").arg(path)));
        QStringList expected;
        for (const auto &script : TradingDatabase::procedureScripts())
            expected << script.name.chopped(4).toLower();
        expected.sort();
        QStringList installed = dbtest::query(conn, QStringLiteral("SELECT lower(name) FROM sys_procedures ORDER BY 1"));
        QCOMPARE(installed, expected);
        QCOMPARE(dbtest::query(conn, QStringLiteral("SELECT count(*) FROM Statuses")), QStringList{"8"});

        // Installing again replaces the procedures rather than adding copies.
        QVERIFY2(TradingDatabase::installProcedures(conn, &error), qPrintable(error));
        QCOMPARE(dbtest::query(conn, QStringLiteral("SELECT lower(name) FROM sys_procedures ORDER BY 1")), expected);
    }

    void createAcceptsAnyFileName()
    {
        const QString path = m_dir.filePath(QStringLiteral("a;b \"quoted\" name.db"));
        QString error;
        QVERIFY2(TradingDatabase::create(path, &error), qPrintable(error));
        Connection conn;
        QVERIFY(conn.Open(TradingDatabase::connectionString(path)));
        QCOMPARE(dbtest::query(conn, QStringLiteral("SELECT count(*) FROM Statuses")), QStringList{"8"});
    }

    void createRefusesAnExistingFile()
    {
        const QString path = m_dir.filePath(QStringLiteral("existing.db"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("not a database");
        }
        QString error;
        QVERIFY(!TradingDatabase::create(path, &error));
        QVERIFY(error.contains(QStringLiteral("already exists")));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("not a database"));
    }

    void schemaInstallFailsOnAClosedConnection()
    {
        Connection conn;
        QString error;
        QVERIFY(!TradingDatabase::installSchema(conn, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!TradingDatabase::installProcedures(conn, &error));
    }

    void schemaInstallIsAllOrNothing()
    {
        const QString path = m_dir.filePath(QStringLiteral("twice.db"));
        QString error;
        auto conn = dbtest::openWithSchema(path, {}, &error);
        QVERIFY2(conn, qPrintable(error));
        // The tables exist now, so a second run fails at its first script
        // and leaves the database as it was.
        QVERIFY(!TradingDatabase::installSchema(*conn, &error));
        QVERIFY(error.startsWith(QStringLiteral("10_directories.sql")));
        QCOMPARE(dbtest::query(*conn, QStringLiteral("SELECT count(*) FROM Statuses")), QStringList{"8"});
    }

    void ticketsAndArchiveHaveTheSameColumns()
    {
        QString error;
        auto conn = dbtest::openWithSchema(m_dir.filePath(QStringLiteral("columns.db")), {}, &error);
        QVERIFY2(conn, qPrintable(error));
        const QStringList tickets = columnsOf(*conn, QStringLiteral("Tickets"));
        QCOMPARE(columnsOf(*conn, QStringLiteral("Archive")), tickets);
        // The fields the deal ticket shows, and the keys the reports filter on.
        for (const char *name : {"TradeID", "TCID", "TicketNum", "Status", "DealTime", "ConfTime", "Conversation",
                                 "Commission", "CommissionCcy", "BrokerID", "BrokerName", "Flag_Nal", "DealerID",
                                 "DealerName", "ConfID", "ConfName", "Bank1ID", "Bank1Name", "PureDealType",
                                 "DealType", "SwiftDate", "Period1", "Period2", "Ccy1", "Ccy2", "Volume1",
                                 "VolumeP1C2", "VolumeP2C1", "VolumeP2C2", "ExchRate1", "ExchRate2", "SwapRate",
                                 "OutrPremRate", "ValDateP1C1", "ValDateP1C2", "ValDateP2C1", "ValDateP2C2",
                                 "YearLength", "DepoRate", "FRASetDate", "FRAFixDate", "FRAMatDate", "ClDeal",
                                 "LoroNostro", "DeskID"}) {
            const bool found = std::any_of(tickets.begin(), tickets.end(), [name](const QString &row) {
                return row.section(u'|', 0, 0) == QLatin1String(name);
            });
            QVERIFY2(found, name);
        }
    }

    void reportQueriesAreServedByIndexes_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("index");
        QTest::newRow("one-day-by-deal-time")
            << "t.DealTime >= COALESCE((SELECT r.DateFrom FROM FilterDateRange r WHERE r.UserName = @UserName "
               "AND r.OwnerID = 2 AND r.Kind = 1), '') AND t.DealTime < COALESCE((SELECT date(r.DateTo, '+1 day') "
               "FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 2 AND r.Kind = 1), '9999-12-31')"
            << "IX_Tickets_DealTime";
        QTest::newRow("value-date-range")
            << "t.ValDateP1C1 >= '2026-12-01' AND t.ValDateP1C1 <= '2026-12-31'" << "IX_Tickets_ValDate";
        QTest::newRow("pair-history") << "t.PairID = 3 AND t.DealTime >= '2026-01-01'" << "IX_Tickets_Pair";
        QTest::newRow("ticket-lookup") << "t.TCID = 'RD01' AND t.TicketNum = 17" << "IX_Tickets_Ticket";
    }

    void reportQueriesAreServedByIndexes()
    {
        QFETCH(QString, where);
        QFETCH(QString, index);
        if (!m_planConn) {
            QString error;
            m_planConn = dbtest::openWithSchema(m_dir.filePath(QStringLiteral("plan.db")), {}, &error);
            QVERIFY2(m_planConn, qPrintable(error));
        }
        const QStringList plan = dbtest::query(
            *m_planConn, QStringLiteral("EXPLAIN QUERY PLAN SELECT t.TradeID FROM Tickets t WHERE ") + where,
            {{QStringLiteral("@UserName"), Value(QStringLiteral("u"))}});
        QVERIFY2(plan.join(u'\n').contains(QStringLiteral(" INDEX ") + index + u' '), qPrintable(plan.join(u'\n')));
    }
};

QTEST_GUILESS_MAIN(tst_TradingDatabase)
#include "tst_tradingdatabase.moc"

// The ticket window's look-up on a generated demo database: a current deal,
// an archived one, one that is nowhere, and the deals the look-up by the
// confirmation time would miss (not confirmed, confirmed the next day), a
// channel with a quote in it and each negative status.

#include "../reports/ReportHost.h"

#include "TicketLookup.h"

#include "Clock.h"
#include "Connection.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

const QDate Today(2026, 12, 4);

} // namespace

class TestTicketLookup final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QString error;
        m_connectionString = reporttest::buildDemoDatabase(m_dir, 2500, Today, &error);
        QVERIFY2(!m_connectionString.isEmpty(), qPrintable(error));
    }

    void findsTheDealOfItsKey_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("which");   // SQL condition choosing the deal
        QTest::addColumn<QString>("change");  // SQL applied to that deal first, if any
        QTest::newRow("current-deal") << "Tickets" << "Status = 3" << QString();
        QTest::newRow("archived-deal") << "Archive" << "1 = 1" << QString();
        QTest::newRow("not-confirmed") << "Tickets" << "ConfTime IS NULL" << QString();
        QTest::newRow("confirmed-a-later-day") << "Tickets" << "date(ConfTime) > date(DealTime)" << QString();
        QTest::newRow("archived-confirmed-a-later-day") << "Archive" << "date(ConfTime) > date(DealTime)" << QString();
        QTest::newRow("channel-with-a-quote") << "Tickets" << "Status = 3" << "TCID = 'O''BRIEN'";
        QTest::newRow("deleted") << "Tickets" << "Status = -1" << QString();
        QTest::newRow("faulty") << "Tickets" << "Status = -2" << QString();
        QTest::newRow("service") << "Tickets" << "Status = -4" << QString();
    }
    void findsTheDealOfItsKey()
    {
        QFETCH(QString, table);
        QFETCH(QString, which);
        QFETCH(QString, change);
        data::Connection connection;
        connection.setMode(data::adModeReadWrite);
        QVERIFY(connection.Open(m_connectionString));
        const QString chosen = QStringLiteral("(SELECT MAX(TradeID) FROM %1 WHERE %2)").arg(table, which);
        if (!change.isEmpty()) {
            long changed = 0;
            connection.Execute(QStringLiteral("UPDATE %1 SET %2 WHERE TradeID = %3").arg(table, change, chosen), &changed);
            QCOMPARE(changed, 1L);
        }
        data::RecordsetPtr deal = connection.Execute(
            QStringLiteral("SELECT TradeID, TCID, TicketNum, Status, date(DealTime) AS Day FROM %1 WHERE TradeID = %2")
                .arg(table, chosen));
        QVERIFY(deal && !deal->Eof());
        TicketKey key;
        key.tcid = deal->Fields(QStringLiteral("TCID")).value().toString();
        key.ticketNum = deal->Fields(QStringLiteral("TicketNum")).value().toInt64();
        key.status = deal->Fields(QStringLiteral("Status")).value().toInt();
        key.dealDate = QDate::fromString(deal->Fields(QStringLiteral("Day")).value().toString(), Qt::ISODate);

        const TicketLookupResult found = findTicket(m_connectionString, key);
        QVERIFY2(found.error.isEmpty(), qPrintable(found.error));
        QVERIFY(found.deal);
        QCOMPARE(found.deal->RecordCount(), 1);
        QCOMPARE(found.deal->Fields(QStringLiteral("TradeID")).value().toInt64(),
                 deal->Fields(QStringLiteral("TradeID")).value().toInt64());
        QCOMPARE(found.archive, table == QLatin1String("Archive"));
    }

    void findsNothingForAnotherDayStatusOrTicket_data()
    {
        QTest::addColumn<int>("dayShift");
        QTest::addColumn<int>("statusShift");
        QTest::addColumn<int>("ticketShift");
        QTest::newRow("a-day-without-deals") << -1000 << 0 << 0;
        QTest::newRow("another-status") << 0 << 1 << 0;
        QTest::newRow("another-ticket") << 0 << 0 << 100000;
    }
    void findsNothingForAnotherDayStatusOrTicket()
    {
        QFETCH(int, dayShift);
        QFETCH(int, statusShift);
        QFETCH(int, ticketShift);
        data::Connection connection;
        QVERIFY(connection.Open(m_connectionString));
        data::RecordsetPtr deal = connection.Execute(QStringLiteral(
            "SELECT TCID, TicketNum, Status, date(DealTime) AS Day FROM Tickets WHERE Status = 3 ORDER BY TradeID LIMIT 1"));
        QVERIFY(deal && !deal->Eof());
        TicketKey key;
        key.tcid = deal->Fields(QStringLiteral("TCID")).value().toString();
        key.ticketNum = deal->Fields(QStringLiteral("TicketNum")).value().toInt64() + ticketShift;
        key.status = deal->Fields(QStringLiteral("Status")).value().toInt() + statusShift;
        key.dealDate =
            QDate::fromString(deal->Fields(QStringLiteral("Day")).value().toString(), Qt::ISODate).addDays(dayShift);
        const TicketLookupResult found = findTicket(m_connectionString, key);
        QVERIFY(!found.deal);
        QVERIFY(!found.archive);
        QVERIFY2(found.error.isEmpty(), qPrintable(found.error));
    }

    void aDatabaseThatCannotBeOpenedSaysWhy()
    {
        TicketKey key{QStringLiteral("EB01"), Today, 3, 1};
        const TicketLookupResult found =
            findTicket(QStringLiteral("Provider=SQLite;Data Source=") + m_dir.filePath(QStringLiteral("missing/no.db")),
                       key);
        QVERIFY(!found.deal);
        QVERIFY(!found.error.isEmpty());
    }

private:
    QTemporaryDir m_dir;
    QString m_connectionString;
};

QTEST_MAIN(TestTicketLookup)
#include "tst_ticket_lookup.moc"

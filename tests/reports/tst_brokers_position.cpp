// The brokers' position end to end on a generated demo database: every
// currency row against commissions this test computes from Tickets, the
// brokers' tariffs and the administrator's rates with SQL of its own (the
// booked commission, the tariff of the deals booked without one, the rate to
// the US dollar), every broker-day's summary row and the grand total on the
// toolbar; the broker filter; a missing rate and a negative total.

#include "ReportHost.h"

#include "BrokersPosition.h"
#include "Directories.h"
#include "ProfitTotals.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using reporttest::Host;

namespace {

const QDate Today(2026, 12, 4);

// US dollars per unit of currency `id` at the administrator's latest rate on
// or before `day` (1 for the dollar itself, NULL without a rate).
const QString UsdPerUnit = QStringLiteral(R"(
    (CASE WHEN (SELECT Ccy FROM Currencies WHERE CcyID = %1) = 'USD' THEN 1.0
          ELSE (SELECT CASE WHEN q.DirectQuote = 1 THEN a.Rate ELSE 1.0 / a.Rate END
                FROM AdminRates a JOIN Currencies q ON q.CcyID = a.CcyID
                WHERE a.CcyID = %1 AND a.Rate <> 0 AND a.RateDate <= %2
                ORDER BY a.RateDate DESC LIMIT 1) END))");

// Per broker, trade day in [@From, @To] and commission currency: what is
// booked, what the tariff gives (per million US dollars of the first
// currency, in the broker's currency, to the cent), and the US dollars of
// their sum at today's rate. @Broker 0 is every broker. Amounts are raw
// (ten-thousandths).
QString commissions()
{
    const QString ccy1Usd = UsdPerUnit.arg(QStringLiteral("t.Ccy1"), QStringLiteral("date(t.DealTime)"));
    const QString brokerUsd = UsdPerUnit.arg(QStringLiteral("k.CcyID"), QStringLiteral("date(t.DealTime)"));
    const QString todayUsd = UsdPerUnit.arg(QStringLiteral("Cid"), QStringLiteral("'2026-12-04'"));
    return QStringLiteral(R"(
WITH per_deal AS (
    SELECT t.BrokerID AS BrID, date(t.DealTime) AS Day, k.CcyID AS Cid,
           COALESCE(t.Commission, 0) AS Booked,
           CASE WHEN t.Commission IS NULL
                THEN COALESCE(ROUND(ABS(t.Volume1) * %1 * b.CommissionRate / 1000000.0 / %2 / 100.0) * 100, 0)
                ELSE 0 END AS Tariff
    FROM Tickets t JOIN Brokers b ON b.BrID = t.BrokerID
    JOIN Currencies k ON k.Ccy = COALESCE(t.CommissionCcy, b.CommissionCcy)
    WHERE t.BrokerID IS NOT NULL AND t.Status >= 0 AND t.PureDealType IN (2, 4, 8, 16, 32)
      AND date(t.DealTime) BETWEEN @From AND @To AND (@Broker = '0' OR t.BrokerID = CAST(@Broker AS INTEGER))),
per_day AS (SELECT BrID, Day, Cid, SUM(Booked) AS Booked, SUM(Tariff) AS Tariff FROM per_deal GROUP BY BrID, Day, Cid)
SELECT BrID, Day, Cid AS Ccy, Booked, Tariff, COALESCE(%3, 0) AS Rate,
       CAST(ROUND((Booked + Tariff) * COALESCE(%3, 0) / 100.0) * 100 AS INTEGER) AS Usd
FROM per_day ORDER BY BrID, Day, Cid
)")
        .arg(ccy1Usd, brokerUsd, todayUsd);
}

data::Value f(const data::RecordsetPtr &rs, const char *name)
{
    return rs->Fields(QString::fromLatin1(name)).value();
}

QString shownOnToolbar(data::Currency amount)
{
    return ProfitTotals::figure(amount, SessionContext::instance().ValueFormat()).text;
}

QString raw(const data::Value &v)
{
    return data::Currency::fromRaw(v.toInt64()).toString();
}

} // namespace

class TestBrokersPosition final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QString error;
        m_connectionString = reporttest::startDemoReportTests(m_dir, 2500, Today, QStringLiteral("Brokers Position"), &error);
        QVERIFY2(!m_connectionString.isEmpty(), qPrintable(error));
    }

    void cleanupTestCase()
    {
        SessionContext::resetInstance();
        Clock::reset();
    }

    void init() { MessageService::instance().clearMessages(); }

    void rowsEqualCommissionsFromTickets_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QString>("broker");   // short name; "All"
        QTest::newRow("every-broker-this-year") << QDate(2026, 1, 1) << QStringLiteral("All");
        QTest::newRow("every-broker-last-week") << QDate(2026, 11, 27) << QStringLiteral("All");
        QTest::newRow("one-broker-this-year") << QDate(2026, 1, 1) << QStringLiteral("PARKW");
    }
    void rowsEqualCommissionsFromTickets()
    {
        QFETCH(QDate, from);
        QFETCH(QString, broker);
        BrokersPosition report;
        Host host;
        host.wire(report);
        // The broker box lists the brokers, not the dealers.
        const TwoRowTable &brokers = Directories::current().Brokers;
        QVERIFY(brokers.size() > 0);
        QCOMPARE(host.role(fcDealerBox, "SArrayData"), brokers.toArrayData());
        QCOMPARE(host.captions[fcDealerBox]->property("text").toString(), QStringLiteral("Broker ID"));
        QVERIFY(report.setQueryField(QStringLiteral("Relative"), false));
        QVERIFY(report.setQueryField(QStringLiteral("ValDate"), from)
                && report.setQueryField(QStringLiteral("ValLong"), int(Today.daysTo(from))));
        QVERIFY(report.setQueryField(QStringLiteral("Dealer"), QStringList{broker}));
        QVERIFY(host.run(report));
        QVERIFY2(MessageService::instance().messages().isEmpty(),
                 qPrintable(MessageService::instance().messages().join(u'\n')));
        const data::RecordsetPtr rows = report.DisplayRecordset();
        QVERIFY(rows && rows->RecordCount() > 0);

        int brokerId = 0;
        for (int i = 0; i < brokers.size(); ++i) {
            if (brokers.text(i) == broker)
                brokerId = brokers.id(i).toInt();
        }
        QCOMPARE(brokerId == 0, broker == QLatin1String("All"));
        const data::RecordsetPtr expected =
            reporttest::query(m_connectionString, commissions(),
                              {{QStringLiteral("@From"), from.toString(Qt::ISODate)},
                               {QStringLiteral("@To"), Today.toString(Qt::ISODate)},
                               {QStringLiteral("@Broker"), QString::number(brokerId)}});
        QVERIFY(expected && expected->RecordCount() > 0);
        bool tariffed = false;
        int brokerDays = 0;
        data::Currency total;
        expected->MoveFirst();
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
            const QString day = f(rows, "DateCom").toDate().toIsoString();
            data::Currency dayTotal;
            for (; !rows->Eof() && !f(rows, "Summary").toBool(); rows->MoveNext(), expected->MoveNext()) {
                QVERIFY2(!expected->Eof(), "the report shows more commissions than the deals hold");
                const QString shown = QStringList{f(rows, "Caption").toString(), f(rows, "DateCom").toDate().toIsoString(),
                                                  f(rows, "CcyID").toString(), f(rows, "DealsCom").toCurrency().toString(),
                                                  f(rows, "DailyCom").toCurrency().toString(),
                                                  f(rows, "SumCom").toCurrency().toString(),
                                                  QString::number(f(rows, "CurRate").toDouble(), 'f', 6),
                                                  f(rows, "SumUSD").toCurrency().toString()}
                                          .join(u'|');
                const QString computed =
                    QStringList{f(expected, "BrID").toString(), f(expected, "Day").toString(), f(expected, "Ccy").toString(),
                                raw(f(expected, "Booked")), raw(f(expected, "Tariff")),
                                data::Currency::fromRaw(f(expected, "Booked").toInt64() + f(expected, "Tariff").toInt64())
                                    .toString(),
                                QString::number(f(expected, "Rate").toDouble(), 'f', 6), raw(f(expected, "Usd"))}
                        .join(u'|');
                QCOMPARE(shown, computed);
                QCOMPARE(f(rows, "DateCom").toDate().toIsoString(), day);
                QCOMPARE(f(rows, "RateFound").toBool(), f(rows, "CurRate").toDouble() != 0.0);
                tariffed = tariffed || f(rows, "DailyCom").toCurrency() != data::Currency();
                dayTotal += f(rows, "SumUSD").toCurrency();
            }
            QVERIFY2(!rows->Eof(), "a broker-day without its summary row");
            ++brokerDays;
            QCOMPARE(f(rows, "CcyID").toInt(), 0);
            QCOMPARE(f(rows, "DateCom").toDate().toIsoString(), day);
            QCOMPARE(f(rows, "SumUSD").toCurrency().toString(), dayTotal.toString());
            QCOMPARE(f(rows, "CurRate").toDouble(), 1.0);
            QVERIFY(f(rows, "RateFound").toBool());
            total += dayTotal;
        }
        QVERIFY2(expected->Eof(), "the deals hold commissions the report does not show");
        QVERIFY2(tariffed || from == QDate(2026, 11, 27), "no row of the year shows a tariff commission");
        QCOMPARE(report.NumTable, brokerDays);
        QCOMPARE(report.TotalUSD.toString(), total.toString());
        QCOMPARE(host.toolbar.texts.value(QStringLiteral("ID_Profit")), shownOnToolbar(total));
        if (brokerId != 0) {
            for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext())
                QCOMPARE(f(rows, "Caption").toInt(), brokerId);
        }
    }

    void missingRateIsMarkedAndNegativeTotalIsRed()
    {
        // A copy where the pound has no administrator's rate and a rebate
        // of the dollar outweighs every commission.
        const QString copy = m_dir.filePath(QStringLiteral("rebate.db"));
        QVERIFY(QFile::copy(m_dir.filePath(QStringLiteral("demo.db")), copy));
        const QString copyConnection = QStringLiteral("Provider=SQLite;Data Source=") + copy;
        {
            data::Connection connection;
            connection.setMode(data::adModeReadWrite);
            QVERIFY(connection.Open(copyConnection));
            long changed = 0;
            connection.Execute(QStringLiteral(
                                   "DELETE FROM AdminRates WHERE CcyID = (SELECT CcyID FROM Currencies WHERE Ccy = 'GBP')"),
                               &changed);
            QVERIFY(changed > 0);
            connection.Execute(QStringLiteral("UPDATE Tickets SET Commission = -10000000000000, CommissionCcy = 'USD' "
                                              "WHERE TradeID = (SELECT MIN(TradeID) FROM Tickets WHERE BrokerID IS NOT "
                                              "NULL AND Status >= 0 AND DealTime >= '2026-01-01')"),
                               &changed);
            QCOMPARE(changed, 1L);
        }
        SessionContext::instance().CloseSession();
        QVERIFY(reporttest::openReportSession(copyConnection, QStringLiteral("demo"), QStringLiteral("Brokers Position")));
        BrokersPosition report;
        Host host;
        host.wire(report);
        QCOMPARE(host.toolbar.texts.value(QStringLiteral("ID_Profit")), shownOnToolbar(data::Currency()));
        QVERIFY(report.setQueryField(QStringLiteral("Relative"), false));
        QVERIFY(report.setQueryField(QStringLiteral("ValDate"), QDate(2026, 1, 1))
                && report.setQueryField(QStringLiteral("ValLong"), int(Today.daysTo(QDate(2026, 1, 1)))));
        QVERIFY(host.run(report));
        const data::RecordsetPtr rows = report.DisplayRecordset();
        QVERIFY(rows);
        int unrated = 0;
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
            if (!f(rows, "RateFound").toBool()) {
                ++unrated;
                QCOMPARE(f(rows, "CurRate").toDouble(), 0.0);
                QCOMPARE(f(rows, "SumUSD").toCurrency(), data::Currency());
            }
        }
        QVERIFY(unrated > 0);
        QVERIFY(host.grid.highlights.contains(QStringLiteral("Rate")));
        QVERIFY(report.TotalUSD < data::Currency());
        QCOMPARE(host.toolbar.texts.value(QStringLiteral("ID_Profit")), shownOnToolbar(report.TotalUSD));
        QCOMPARE(host.toolbar.colors.value(QStringLiteral("ID_Profit")), 0x0000FFu);
        SessionContext::instance().CloseSession();
        QVERIFY(reporttest::openReportSession(m_connectionString, QStringLiteral("demo"),
                                              QStringLiteral("Brokers Position")));
    }

private:
    QTemporaryDir m_dir;
    QString m_connectionString;
};

QTEST_MAIN(TestBrokersPosition)
#include "tst_brokers_position.moc"

// The deposit reports end to end on a generated demo database: every day
// row and summary row of the deposit position, and of the deposit report,
// against sums and weighted average rates this test computes from the
// deposits in Tickets with SQL of its own (the side by the principal's sign,
// the rollovers and long deposits by their dates), each row's filter against
// the deposits it names; a principal of exactly 0.

#include "ReportHost.h"

#include "DepoPosition.h"
#include "DepoReport.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using reporttest::Host;

namespace {

const QDate Today(2026, 12, 4);

// Per currency and start date in [@From, @To] (@Ccy 0: every currency):
// given (negative principal) and taken, their rates weighted by principal
// and by principal and days, the interest (repayment less principal), the
// rolled-over given (a deposit that starts the day another of the same
// bank, currency and side matures) and the long deposits (over 366 days) of
// either side. Raw amounts (ten-thousandths).
const QString Days = QStringLiteral(R"(
WITH d AS (
    SELECT t.Ccy1 AS Ccy, t.ValDateP1C1 AS Day, t.Volume1 AS V, t.DepoRate AS R,
           julianday(t.ValDateP2C1) - julianday(t.ValDateP1C1) AS Days, t.VolumeP2C1 + t.Volume1 AS Interest,
           EXISTS (SELECT 1 FROM Tickets p WHERE p.PureDealType = 16 AND p.Status >= 0 AND p.Bank1ID = t.Bank1ID
                   AND p.Ccy1 = t.Ccy1 AND (p.Volume1 < 0) = (t.Volume1 < 0) AND p.ValDateP2C1 = t.ValDateP1C1
                   AND p.ValDateP2C1 BETWEEN @From AND @To
                   AND p.TradeID <> t.TradeID) AS Rolled
    FROM Tickets t
    WHERE t.PureDealType = 16 AND t.Status >= 0 AND t.ValDateP1C1 BETWEEN @From AND @To
      AND (@Ccy = '0' OR t.Ccy1 = CAST(@Ccy AS INTEGER)))
SELECT Ccy, Day,
       SUM(CASE WHEN V < 0 THEN V ELSE 0 END) AS Given, SUM(CASE WHEN V >= 0 THEN V ELSE 0 END) AS Taken,
       SUM(CASE WHEN V < 0 THEN -V * R END) / SUM(CASE WHEN V < 0 THEN -V END) AS AvGive,
       SUM(CASE WHEN V < 0 THEN -V * R * Days END) / SUM(CASE WHEN V < 0 THEN -V * Days END) AS AvGiveTime,
       SUM(CASE WHEN V > 0 THEN V * R END) / SUM(CASE WHEN V > 0 THEN V END) AS AvTake,
       SUM(CASE WHEN V > 0 THEN V * R * Days END) / SUM(CASE WHEN V > 0 THEN V * Days END) AS AvTakeTime,
       SUM(Interest) AS Interest, COUNT(*) AS Deals,
       SUM(CASE WHEN V < 0 AND (Rolled OR Days > 366) THEN V ELSE 0 END) AS RolledGiven,
       SUM(CASE WHEN V >= 0 AND NOT Rolled AND Days > 366 THEN V ELSE 0 END) AS LongTaken
FROM d GROUP BY Ccy, Day ORDER BY Ccy, Day
)");

// The deposit report's further figures per currency and start date (every
// currency): the position's rate (principal times rate over the net
// principal) and the interest of each side.
const QString ReportDays = QStringLiteral(R"(
SELECT Ccy1 AS Ccy, ValDateP1C1 AS Day, SUM(Volume1 * DepoRate) / NULLIF(SUM(Volume1), 0) AS PositionRate,
       SUM(CASE WHEN Volume1 < 0 THEN VolumeP2C1 + Volume1 ELSE 0 END) AS GiveInterest,
       SUM(CASE WHEN Volume1 >= 0 THEN VolumeP2C1 + Volume1 ELSE 0 END) AS TakeInterest
FROM Tickets WHERE PureDealType = 16 AND Status >= 0 AND ValDateP1C1 BETWEEN @From AND @To
GROUP BY Ccy1, ValDateP1C1 ORDER BY Ccy1, ValDateP1C1
)");

data::Value f(const data::RecordsetPtr &rs, const char *name)
{
    return rs->Fields(QString::fromLatin1(name)).value();
}

QString raw(const data::Value &v)
{
    return v.isNull() ? data::Currency().toString() : data::Currency::fromRaw(v.toInt64()).toString();
}

/// An average as the test compares it: six decimals, "-" when there is none.
QString rate(const data::Value &v)
{
    return v.isNull() ? QStringLiteral("-") : QString::number(v.toDouble(), 'f', 6);
}

} // namespace

class TestDepoPosition final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QString error;
        m_connectionString = reporttest::startDemoReportTests(m_dir, 2500, Today, QStringLiteral("Depo Position"), &error);
        QVERIFY2(!m_connectionString.isEmpty(), qPrintable(error));
    }

    void cleanupTestCase()
    {
        SessionContext::resetInstance();
        Clock::reset();
    }

    void init() { MessageService::instance().clearMessages(); }

    void rowsEqualDepositsFromTickets_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("currency");
        QTest::newRow("every-currency-since-november") << QDate(2026, 11, 1) << Today << QStringLiteral("All");
        QTest::newRow("euro-this-year") << QDate(2026, 1, 1) << Today << QStringLiteral("EUR");
    }
    void rowsEqualDepositsFromTickets()
    {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QString, currency);
        DepoPosition report;
        Host host;
        host.wire(report);
        QVERIFY(report.setQueryField(QStringLiteral("Relative"), false));
        QVERIFY(report.setQueryField(QStringLiteral("ValDate"), from)
                && report.setQueryField(QStringLiteral("ValLong"), int(Today.daysTo(from))));
        QVERIFY(report.setQueryField(QStringLiteral("EndDate"), to)
                && report.setQueryField(QStringLiteral("EndLong"), int(Today.daysTo(to))));
        QVERIFY(report.setQueryField(QStringLiteral("Pair"), QStringList{currency}));
        QVERIFY(host.run(report));
        QVERIFY2(MessageService::instance().messages().isEmpty(),
                 qPrintable(MessageService::instance().messages().join(u'\n')));
        const data::RecordsetPtr rows = report.DisplayRecordset();
        QVERIFY(rows && rows->RecordCount() > 0);

        const QString currencyId = currency == QLatin1String("All")
                                       ? QStringLiteral("0")
                                       : reporttest::query(m_connectionString,
                                                           QStringLiteral("SELECT CcyID FROM Currencies WHERE Ccy = @C"),
                                                           {{QStringLiteral("@C"), currency}})
                                             ->Fields(0)
                                             .value()
                                             .toString();
        const data::RecordsetPtr days =
            reporttest::query(m_connectionString, Days,
                              {{QStringLiteral("@From"), from.toString(Qt::ISODate)},
                               {QStringLiteral("@To"), to.toString(Qt::ISODate)},
                               {QStringLiteral("@Ccy"), currencyId}});
        QVERIFY(days && days->RecordCount() > 0);
        int groups = 0;
        qint64 deals = 0;
        days->MoveFirst();
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
            const int ccy = f(rows, "Caption").toInt();
            data::Currency given, taken, interest, rolled;
            qint64 currencyDeals = 0;
            for (; !rows->Eof() && !f(rows, "Summary").toBool(); rows->MoveNext(), days->MoveNext()) {
                QVERIFY2(!days->Eof(), "the report shows more days than Tickets hold");
                const QString shown =
                    QStringList{f(rows, "Caption").toString(), f(rows, "Date").toDate().toIsoString(),
                                f(rows, "Given").toCurrency().toString(), f(rows, "Taken").toCurrency().toString(),
                                f(rows, "Position").toCurrency().toString(), rate(f(rows, "ARGive")),
                                rate(f(rows, "ARTGive")), rate(f(rows, "ARTake")), rate(f(rows, "ARTTake")),
                                f(rows, "Interest").toCurrency().toString(), f(rows, "Deals").toString(),
                                f(rows, "RO_Given").toCurrency().toString(), f(rows, "RO_Take").toCurrency().toString()}
                        .join(u'|');
                const QString computed =
                    QStringList{f(days, "Ccy").toString(), f(days, "Day").toString(), raw(f(days, "Given")),
                                raw(f(days, "Taken")),
                                data::Currency::fromRaw(f(days, "Given").toInt64() + f(days, "Taken").toInt64()).toString(),
                                rate(f(days, "AvGive")), rate(f(days, "AvGiveTime")), rate(f(days, "AvTake")),
                                rate(f(days, "AvTakeTime")), raw(f(days, "Interest")), f(days, "Deals").toString(),
                                raw(f(days, "RolledGiven")), raw(f(days, "LongTaken"))}
                        .join(u'|');
                QCOMPARE(shown, computed);
                QCOMPARE(f(rows, "Caption").toInt(), ccy);
                given += f(rows, "Given").toCurrency();
                taken += f(rows, "Taken").toCurrency();
                interest += f(rows, "Interest").toCurrency();
                rolled += f(rows, "RO_Given").toCurrency();
                currencyDeals += f(rows, "Deals").toInt64();

                // The row's filter names exactly its deposits, whatever their time of day.
                data::RecordsetPtr detail = report.DetRecordset->Clone();
                QVERIFY(detail->setFilter(f(rows, "CurrentFilter").toString()));
                QCOMPARE(detail->RecordCount(), f(rows, "Deals").toInt64());
            }
            QVERIFY2(!rows->Eof(), "a currency without its summary row");
            ++groups;
            deals += currencyDeals;
            const data::Currency position = given + taken;
            QCOMPARE(f(rows, "Caption").toInt(), ccy);
            QVERIFY(f(rows, "ARGive").isNull() && f(rows, "ARTTake").isNull());
            QCOMPARE(f(rows, "Given").toCurrency().toString(), given.toString());
            QCOMPARE(f(rows, "Taken").toCurrency().toString(), taken.toString());
            QCOMPARE(f(rows, "Position").toCurrency().toString(), position.toString());
            QCOMPARE(f(rows, "Interest").toCurrency().toString(), interest.toString());
            QCOMPARE(f(rows, "RO_Given").toCurrency().toString(), rolled.toString());
            QCOMPARE(f(rows, "Deals").toInt64(), currencyDeals);
            QCOMPARE(f(rows, "NegSumm").toBool(), position < data::Currency());
            data::RecordsetPtr detail = report.DetRecordset->Clone();
            QVERIFY(detail->setFilter(f(rows, "CurrentFilter").toString()));
            QCOMPARE(detail->RecordCount(), currencyDeals);
        }
        QVERIFY2(days->Eof(), "Tickets hold deposits the report does not show");
        QCOMPARE(report.NumTable, groups);
        QCOMPARE(report.NumDeal, int(deals));
    }

    void depoReportRowsEqualDepositsFromTickets()
    {
        const QDate from(2026, 11, 1);
        DepoReport report;
        Host host;
        host.wire(report);
        QVERIFY(report.setQueryField(QStringLiteral("Relative"), false));
        QVERIFY(report.setQueryField(QStringLiteral("ValDate"), from)
                && report.setQueryField(QStringLiteral("ValLong"), int(Today.daysTo(from))));
        QVERIFY(report.setQueryField(QStringLiteral("EndDate"), Today)
                && report.setQueryField(QStringLiteral("EndLong"), 0));
        QVERIFY(host.run(report));
        QVERIFY2(MessageService::instance().messages().isEmpty(),
                 qPrintable(MessageService::instance().messages().join(u'\n')));
        const data::RecordsetPtr rows = report.DisplayRecordset();
        QVERIFY(rows && rows->RecordCount() > 0);
        const QList<QPair<QString, QString>> range = {{QStringLiteral("@From"), from.toString(Qt::ISODate)},
                                                      {QStringLiteral("@To"), Today.toString(Qt::ISODate)},
                                                      {QStringLiteral("@Ccy"), QStringLiteral("0")}};
        const data::RecordsetPtr days = reporttest::query(m_connectionString, Days, range);
        const data::RecordsetPtr further = reporttest::query(m_connectionString, ReportDays, range);
        QVERIFY(days && further && days->RecordCount() == further->RecordCount());
        QSet<int> currencies;
        qint64 deals = 0;
        days->MoveFirst();
        further->MoveFirst();
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
            currencies.insert(f(rows, "Caption").toInt());
            if (f(rows, "Summary").toBool()) {
                QCOMPARE(f(rows, "CurrentFilter").toString(), QStringLiteral("Ccy = ") + f(rows, "Caption").toString());
                QCOMPARE(f(rows, "NegSumm").toBool(), f(rows, "Position").toCurrency() < data::Currency());
                continue;
            }
            QVERIFY2(!days->Eof(), "the report shows more days than Tickets hold");
            const QString shown =
                QStringList{f(rows, "Caption").toString(), f(rows, "Date").toDate().toIsoString(),
                            f(rows, "Given").toCurrency().toString(), f(rows, "Taken").toCurrency().toString(),
                            rate(f(rows, "ARGive")), rate(f(rows, "ARTake")), rate(f(rows, "PositionRate")),
                            f(rows, "GiveInterest").toCurrency().toString(),
                            f(rows, "TakeInterest").toCurrency().toString(), f(rows, "Interest").toCurrency().toString(),
                            f(rows, "Deals").toString()}
                    .join(u'|');
            const QString computed =
                QStringList{f(days, "Ccy").toString(), f(days, "Day").toString(), raw(f(days, "Given")),
                            raw(f(days, "Taken")), rate(f(days, "AvGive")), rate(f(days, "AvTake")),
                            rate(f(further, "PositionRate")), raw(f(further, "GiveInterest")),
                            raw(f(further, "TakeInterest")), raw(f(days, "Interest")), f(days, "Deals").toString()}
                    .join(u'|');
            QCOMPARE(shown, computed);
            deals += f(rows, "Deals").toInt64();
            data::RecordsetPtr detail = report.GetDetRecForPrint()->Clone();
            QVERIFY(detail->setFilter(f(rows, "CurrentFilter").toString()));
            QCOMPARE(detail->RecordCount(), f(rows, "Deals").toInt64());
            days->MoveNext();
            further->MoveNext();
        }
        QVERIFY2(days->Eof(), "Tickets hold deposits the report does not show");
        // The counts are the procedure's.
        QCOMPARE(report.NumTable, int(currencies.size()));
        QCOMPARE(report.NumDeal, int(deals));
    }

    void principalOfZeroCountsAsTakenAndSummaryViewHidesTheAverages()
    {
        // A copy in which one given deposit of the day has a principal of 0.
        const QString copy = m_dir.filePath(QStringLiteral("zero.db"));
        QVERIFY(QFile::copy(m_dir.filePath(QStringLiteral("demo.db")), copy));
        const QString copyConnection = QStringLiteral("Provider=SQLite;Data Source=") + copy;
        const QDate day(2026, 11, 10);
        {
            data::Connection connection;
            connection.setMode(data::adModeReadWrite);
            QVERIFY(connection.Open(copyConnection));
            long changed = 0;
            connection.Execute(QStringLiteral("UPDATE Tickets SET Volume1 = 0, VolumeP2C1 = 0 WHERE TradeID = "
                                              "(SELECT MIN(TradeID) FROM Tickets WHERE PureDealType = 16 AND Status >= 0 "
                                              "AND Volume1 < 0 AND ValDateP1C1 = '2026-11-10')"),
                               &changed);
            QCOMPARE(changed, 1L);
        }
        SessionContext::instance().CloseSession();
        QVERIFY(reporttest::openReportSession(copyConnection, QStringLiteral("demo"), QStringLiteral("Depo Position")));
        DepoPosition report;
        Host host;
        host.wire(report);
        QVERIFY(report.setQueryField(QStringLiteral("Relative"), false));
        QVERIFY(report.setQueryField(QStringLiteral("ValDate"), day)
                && report.setQueryField(QStringLiteral("ValLong"), int(Today.daysTo(day))));
        QVERIFY(report.setQueryField(QStringLiteral("EndDate"), day)
                && report.setQueryField(QStringLiteral("EndLong"), int(Today.daysTo(day))));
        QVERIFY(host.run(report));
        const data::RecordsetPtr rows = report.DisplayRecordset();
        QVERIFY(rows && rows->RecordCount() > 0);
        bool found = false;
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
            if (f(rows, "Summary").toBool() || f(rows, "Taken").toCurrency() != data::Currency()
                || f(rows, "Given").toCurrency() != data::Currency())
                continue;
            // Only the zero deposit: on the taken side, with a rate of its own
            // neither average can weigh.
            found = true;
            QCOMPARE(f(rows, "Deals").toInt64(), 1);
            QVERIFY(f(rows, "ARGive").isNull() && f(rows, "ARTake").isNull());
        }
        QVERIFY(found);

        // The summary view shows the currency and its totals, not the days' averages.
        AllSettings summary;
        summary.DisplaySetting = vwSummary;
        report.setViewSetting(summary);
        report.RebindTable();
        QVERIFY(host.grid.columns.value(QStringLiteral("Caption")).visible);
        for (const char *key : {"Date", "ARGive", "ARTGive", "ARTake", "ARTTake"})
            QVERIFY2(!host.grid.columns.value(QString::fromLatin1(key)).visible, key);
        QVERIFY(host.grid.highlights.contains(QStringLiteral("NegSumm")));
        QVERIFY(host.grid.highlightColors.contains(QStringLiteral("Negative")));
        SessionContext::instance().CloseSession();
        QVERIFY(reporttest::openReportSession(m_connectionString, QStringLiteral("demo"), QStringLiteral("Depo Position")));
    }

private:
    QTemporaryDir m_dir;
    QString m_connectionString;
};

QTEST_MAIN(TestDepoPosition)
#include "tst_depo_position.moc"

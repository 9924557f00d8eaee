// The profit and loss report end to end on a generated demo database, at the
// administrator's rates and at the rate program's, without and with the
// carried positions: every row's amounts, rate and revaluation and the deals
// the detail window lists for it, every summary row's sums and weighted
// rate, and the report's three totals, against figures this test computes
// from Tickets, Brokers, AdminRates, MarketRates and Currencies with SQL of
// its own.

#include "ReportHost.h"

#include "Profit_Loss.h"

#include "Connection.h"

#include <QHash>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using data::Currency;
using reporttest::Host;

namespace {

const QDate Today(2026, 12, 4);

// The FX amounts of the day's deals and of the earlier deals still to settle
// (Carried), each with its currency and value date; deals with a negative
// status are left out.
const QString Amounts = QStringLiteral(R"(
WITH d AS (
    SELECT t.*, date(t.DealTime) < '%1' AS Carried FROM Tickets t
    WHERE date(t.DealTime) <= '%1' AND t.PureDealType IN (2, 4, 8) AND t.Status >= 0),
amounts AS (
    SELECT Carried, TradeID, Ccy1 AS Ccy, Volume1 AS V, ValDateP1C1 AS ValDate FROM d
    UNION ALL SELECT Carried, TradeID, Ccy2, VolumeP1C2, COALESCE(ValDateP1C2, ValDateP1C1) FROM d
    UNION ALL SELECT Carried, TradeID, Ccy1, VolumeP2C1, ValDateP2C1 FROM d WHERE PureDealType = 8
    UNION ALL SELECT Carried, TradeID, Ccy2, VolumeP2C2, COALESCE(ValDateP2C2, ValDateP2C1) FROM d
              WHERE PureDealType = 8),
booked AS (
    SELECT k.CcyID AS Ccy, d.ValDateP1C1 AS ValDate, d.Commission AS Com FROM d
    LEFT JOIN Brokers b ON b.BrID = d.BrokerID
    JOIN Currencies k ON k.Ccy = COALESCE(d.CommissionCcy, b.CommissionCcy)
    WHERE d.Carried = 0 AND d.Commission IS NOT NULL),
rows AS (
    SELECT Ccy, ValDate,
           SUM(CASE WHEN Carried = 0 AND V < 0 THEN V ELSE 0 END) AS Sell,
           SUM(CASE WHEN Carried = 0 AND V > 0 THEN V ELSE 0 END) AS Buy,
           SUM(CASE WHEN Carried = 1 THEN V ELSE 0 END) AS Move,
           COUNT(DISTINCT CASE WHEN Carried = 0 THEN TradeID END) AS Deals
    FROM amounts WHERE Carried = 0 OR ValDate >= '%1' GROUP BY Ccy, ValDate),
keys AS (SELECT Ccy, ValDate FROM rows UNION SELECT Ccy, ValDate FROM booked)
SELECT k.Ccy, k.ValDate, COALESCE(r.Sell, 0), COALESCE(r.Buy, 0), COALESCE(r.Move, 0), COALESCE(r.Deals, 0),
       COALESCE((SELECT SUM(Com) FROM booked b WHERE b.Ccy = k.Ccy AND b.ValDate = k.ValDate), 0),
       c.DirectQuote,
       CASE WHEN c.Ccy = 'USD' THEN 1.0 ELSE COALESCE((SELECT a.Rate FROM AdminRates a
            WHERE a.CcyID = k.Ccy AND a.Rate > 0 AND a.RateDate <= '%1' ORDER BY a.RateDate DESC LIMIT 1), 0) END,
       CASE WHEN c.Ccy = 'USD' THEN 1.0 ELSE COALESCE((SELECT (m.Bid + m.Ask) / 2 FROM MarketRates m
            WHERE m.CcyID = k.Ccy AND m.Status IN (0, 1) AND m.RateDate <= k.ValDate
            ORDER BY m.RateDate DESC LIMIT 1), 0) END
FROM keys k JOIN Currencies c ON c.CcyID = k.Ccy LEFT JOIN rows r ON r.Ccy = k.Ccy AND r.ValDate = k.ValDate
ORDER BY k.Ccy, k.ValDate
)");

// The brokers' tariff on the day's broker deals booked without a commission,
// in US dollars at the administrator's rate of the tariff's currency.
const QString Tariff = QStringLiteral(R"(
SELECT COALESCE(ROUND(SUM(ROUND(ABS(t.Volume1) * b.CommissionRate / 1000000.0)
       * CASE WHEN k.Ccy = 'USD' THEN 1.0 WHEN k.DirectQuote = 1 THEN a.Rate ELSE 1.0 / a.Rate END)), 0)
FROM Tickets t JOIN Brokers b ON b.BrID = t.BrokerID JOIN Currencies k ON k.Ccy = b.CommissionCcy
LEFT JOIN AdminRates a ON a.CcyID = k.CcyID AND a.RateDate = (SELECT max(RateDate) FROM AdminRates x
     WHERE x.CcyID = k.CcyID AND x.Rate > 0 AND x.RateDate <= '%1')
WHERE date(t.DealTime) = '%1' AND t.PureDealType IN (2, 4, 8) AND t.Status >= 0 AND t.Commission IS NULL
)");

struct Expected
{
    qint64 sell = 0, buy = 0, move = 0, deals = 0, commission = 0;   // raw ten-thousandths
    bool direct = false;
    double rate = 0;
};

qint64 raw(const data::Value &v)
{
    return v.toCurrency().raw();
}

/// An amount of raw ten-thousandths in US dollars at rate, in raw units.
double dollars(qint64 amount, double rate, bool direct)
{
    return rate == 0 ? 0 : direct ? double(amount) * rate : double(amount) / rate;
}

} // namespace

class TestProfitLossDemo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        reporttest::startReportTests(m_dir);
        QString error;
        m_connection = reporttest::buildDemoDatabase(m_dir, 20000, Today, &error);   // about 80 deals a day
        QVERIFY2(!m_connection.isEmpty(), qPrintable(error));
    }

    void demoDayEqualsFiguresFromTheDealTables_data()
    {
        QTest::addColumn<bool>("adminRate");
        QTest::addColumn<bool>("recalc");
        QTest::newRow("administrators-rates") << true << false;
        QTest::newRow("market-rates-of-the-rate-program") << false << false;
        QTest::newRow("recalculated-with-the-carried-positions") << true << true;
    }
    void demoDayEqualsFiguresFromTheDealTables()
    {
        QFETCH(bool, adminRate);
        QFETCH(bool, recalc);
        QVERIFY(reporttest::openReportSession(m_connection, QStringLiteral("demo"), QStringLiteral("Profit/Loss")));
        Host host;
        Profit_Loss report;
        host.wire(report);
        QVERIFY(report.ReutersRate);
        report.WithAdminRate = adminRate;
        report.setWithRecalc(recalc);
        QVERIFY(host.run(report));
        QVERIFY2(MessageService::instance().messages().isEmpty(), qPrintable(MessageService::instance().lastMessage()));
        data::RecordsetPtr rs = report.DisplayRecordset();
        QVERIFY(rs);
        QVERIFY(report.DetRecordset);
        const data::RecordsetPtr deals = report.DetRecordset->Clone();

        data::Connection db;
        QVERIFY(db.Open(m_connection));
        QHash<QPair<int, QDate>, Expected> expected;
        for (data::RecordsetPtr t = db.Execute(Amounts.arg(Today.toString(Qt::ISODate))); t && !t->Eof(); t->MoveNext()) {
            const auto f = [&t](int i) { return t->Fields(i).value(); };
            expected.insert({f(0).toInt(), QDate::fromString(f(1).toString(), Qt::ISODate)},
                            {f(2).toInt64(), f(3).toInt64(), f(4).toInt64(), f(5).toInt64(), f(6).toInt64(),
                             f(7).toInt() == 1, f(adminRate ? 8 : 9).toDouble()});
        }
        QVERIFY2(expected.size() > 50, "the demo day has too few positions");

        QSet<QPair<int, QDate>> shown;
        qint64 currencyProfit = 0, totalProfit = 0, sell = 0, buy = 0, move = 0;
        double commissionUsd = 0, openWeight = 0, openRated = 0, lastRate = 0;
        int rowsWithoutRate = 0, currencies = 0;
        const auto f = [&rs](const char *name) { return rs->Fields(QString::fromLatin1(name)).value(); };
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            const int ccy = f("Caption").toInt();
            if (f("Summary").toBool()) {
                QCOMPARE(raw(f("Sell")), sell);
                QCOMPARE(raw(f("Buy")), buy);
                QCOMPARE(raw(f("OpenPosition")), sell + buy + (recalc ? move : 0));
                QCOMPARE(raw(f("ProfitLoss")), currencyProfit);
                const double mean = openWeight != 0 ? openRated / openWeight : sell != 0 || buy != 0 ? 0 : lastRate;
                QVERIFY2(std::abs(f("CurrentRate").toDouble() - mean) <= 1e-9 * std::max(1.0, mean),
                         qPrintable(QStringLiteral("currency %1: %2 against %3").arg(ccy).arg(f("CurrentRate").toDouble()).arg(mean)));
                totalProfit += currencyProfit;
                currencyProfit = sell = buy = move = 0;
                openWeight = openRated = 0;
                ++currencies;
                continue;
            }
            const QPair<int, QDate> key{ccy, f("ValDate").toDate().date()};
            QVERIFY2(!shown.contains(key), "a currency and value date twice");
            shown.insert(key);
            const QString where = QStringLiteral("currency %1 on %2").arg(ccy).arg(key.second.toString(Qt::ISODate));
            QVERIFY2(expected.contains(key), qPrintable(where + QStringLiteral(": not in the deal tables")));
            const Expected e = expected.value(key);
            QVERIFY2(raw(f("Sell")) == e.sell && raw(f("Buy")) == e.buy && raw(f("StartPosition")) == e.move
                         && f("Deals").toInt64() == e.deals && raw(f("Commission")) == e.commission,
                     qPrintable(where));
            QVERIFY2(f("CurrentRate").toDouble() == e.rate, qPrintable(where));
            // Rounded to the ten-thousandth: halves may round either way.
            const qint64 open = e.sell + e.buy + (recalc ? e.move : 0);
            QCOMPARE(raw(f("OpenPosition")), open);
            const double value = dollars(open, e.rate, e.direct);
            QVERIFY2(std::abs(double(raw(f("ProfitLoss"))) - value) <= 0.5 + 1e-12 * std::abs(value), qPrintable(where));
            QCOMPARE(f("RateFound").toBool(), e.rate > 0 && f("StartRate").toDouble() > 0);
            // The detail window's deals of the row: the day's deals with an
            // amount on it (a commission of its own adds none).
            QVERIFY2(deals->setFilter(f("CurrentFilter").toString()), qPrintable(where));
            QSet<qint64> dealsOfRow;
            for (deals->MoveFirst(); !deals->Eof(); deals->MoveNext()) {
                if (raw(deals->Fields(QStringLiteral("Volume")).value()) != 0)
                    dealsOfRow.insert(deals->Fields(QStringLiteral("TradeID")).value().toInt64());
            }
            QVERIFY2(dealsOfRow.size() == e.deals, qPrintable(where));
            rowsWithoutRate += e.rate == 0 ? 1 : 0;
            currencyProfit += raw(f("ProfitLoss"));
            sell += e.sell;
            buy += e.buy;
            move += e.move;
            openWeight += std::abs(double(e.sell + e.buy));
            openRated += std::abs(double(e.sell + e.buy)) * e.rate;
            lastRate = e.rate;
            if (e.rate != 0)
                commissionUsd += std::round(dollars(e.commission, e.rate, e.direct));
        }
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QVERIFY2(shown.contains(it.key()), qPrintable(QStringLiteral("currency %1 on %2 missing")
                                                             .arg(it.key().first).arg(it.key().second.toString(Qt::ISODate))));
        // ZAR has no administrator's rate, MXN no market quote.
        QVERIFY(rowsWithoutRate > 0);
        QCOMPARE(report.NumTable, currencies);
        QCOMPARE(report.TotalProfit.raw(), totalProfit);
        QVERIFY(std::abs(double(report.CurComUSD.raw()) - commissionUsd) <= 1);
        const data::RecordsetPtr tariff = db.Execute(Tariff.arg(Today.toString(Qt::ISODate)));
        QVERIFY(tariff && !tariff->Eof());
        // The demo books a commission on every broker deal: no tariff is due.
        QCOMPARE(report.ComComUSD.raw(), tariff->Fields(0).value().toInt64());
    }

private:
    QTemporaryDir m_dir;
    QString m_connection;
};

QTEST_GUILESS_MAIN(TestProfitLossDemo)
#include "tst_profit_loss_demo.moc"

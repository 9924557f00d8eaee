// The deposit carry reports end to end on a generated demo database: every
// row, with and without the tax terms, against amounts and effective rates
// this test computes from the deposits in Tickets, the day bases, the tax
// terms and the administrator's rates with SQL of its own, and the carry
// results computed from those; the total on the toolbar; a deposit of 0 days.

#include "ReportHost.h"

#include "Profit_LossDepo.h"

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>

using reporttest::Host;

namespace {

const QDate Today(2026, 12, 4);

// Per currency (and start date with @Range 1) of the deposits outstanding on
// @Day (started by it, maturing after it, dealt by its end) or, with @Range
// 1, starting in [@From, @To]: the principal given and taken (raw), the
// average effective rate of each side over the deposits that have one, the
// day basis, the rate to the dollar (units per dollar) on @Day or today,
// the number of deposits and whether one of them has no rate (0 days).
const QString Sides = QStringLiteral(R"(
WITH d AS (
    SELECT t.Ccy1 AS Ccy, t.ValDateP1C1 AS Start, t.Volume1 < 0 AS Given, ABS(t.Volume1) AS V,
           t.DepoRate / 100.0 AS R, julianday(t.ValDateP2C1) - julianday(t.ValDateP1C1) AS Days, k.DepoBase AS B,
           CASE WHEN @Tax = '1' THEN COALESCE(x.GiveTax, 0.0) ELSE 0.0 END AS GiveTax,
           CASE WHEN @Tax = '1' THEN COALESCE(x.TakeTax, 0.0) ELSE 0.0 END AS TakeTax,
           CASE WHEN @Tax = '1' THEN COALESCE(x.MaxTakeRate, 0.0) ELSE 0.0 END AS MaxRate
    FROM Tickets t JOIN Currencies k ON k.CcyID = t.Ccy1 LEFT JOIN DepoTaxes x ON x.CcyID = t.Ccy1
    WHERE t.PureDealType = 16 AND t.Status >= 0
      AND (@Range = '1' AND t.ValDateP1C1 BETWEEN @From AND @To
           OR @Range = '0' AND t.ValDateP1C1 <= @Day AND t.ValDateP2C1 > @Day AND date(t.DealTime) <= @Day)),
capped AS (SELECT *, CASE WHEN NOT Given AND TakeTax > 0 AND R > MaxRate THEN R + (R - MaxRate) * TakeTax ELSE R END AS RC
           FROM d),
e AS (SELECT *, CASE WHEN Days > 0 THEN (pow(1 + Days * RC / B, 1.0 / Days) - 1) * B END AS Eff FROM capped)
SELECT Ccy, CASE WHEN @Range = '1' THEN Start END AS Start,
       SUM(CASE WHEN Given THEN V ELSE 0 END) AS Given, SUM(CASE WHEN NOT Given THEN V ELSE 0 END) AS Taken,
       (1 - MAX(GiveTax)) * SUM(CASE WHEN Given THEN V * Eff END) / SUM(CASE WHEN Given AND Eff IS NOT NULL THEN V END)
           AS RateGiven,
       SUM(CASE WHEN NOT Given THEN V * Eff END) / SUM(CASE WHEN NOT Given AND Eff IS NOT NULL THEN V END) AS RateTaken,
       SUM(CASE WHEN Given THEN V * Eff ELSE 0.0 END) AS GivenWeighted, SUM(CASE WHEN NOT Given THEN V * Eff ELSE 0.0 END)
           AS TakenWeighted,
       MAX(GiveTax) AS GiveTax, MAX(B) AS B, COUNT(*) AS Deals, MAX(Eff IS NULL) AS Unrated,
       CASE WHEN (SELECT Ccy FROM Currencies WHERE CcyID = e.Ccy) = 'USD' THEN 1.0
            ELSE (SELECT CASE WHEN k.DirectQuote = 1 THEN 1.0 / a.Rate ELSE a.Rate END
                  FROM AdminRates a JOIN Currencies k ON k.CcyID = a.CcyID
                  WHERE a.CcyID = e.Ccy AND a.Rate > 0 AND a.RateDate <= @Day ORDER BY a.RateDate DESC LIMIT 1) END
           AS PerUsd,
       (SELECT Ccy FROM Currencies WHERE CcyID = e.Ccy) AS Code
FROM e GROUP BY CASE WHEN @Range = '1' THEN Start END, Ccy ORDER BY CASE WHEN @Range = '1' THEN Start END, Ccy
)");

data::Value f(const data::RecordsetPtr &rs, const char *name)
{
    return rs->Fields(QString::fromLatin1(name)).value();
}

bool near(double a, double b, double tolerance)
{
    return std::abs(a - b) <= tolerance;
}

} // namespace

class TestDepoProfit final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QString error;
        m_connectionString =
            reporttest::startDemoReportTests(m_dir, 2500, Today, QStringLiteral("Profit/Loss Depo"), &error);
        QVERIFY2(!m_connectionString.isEmpty(), qPrintable(error));
    }

    void cleanupTestCase()
    {
        SessionContext::resetInstance();
        Clock::reset();
    }

    void init() { MessageService::instance().clearMessages(); }

    void rowsEqualCarryFromTickets_data()
    {
        QTest::addColumn<bool>("range");
        QTest::addColumn<bool>("taxed");
        QTest::newRow("today-without-tax") << false << false;
        QTest::newRow("today-with-tax") << false << true;
        QTest::newRow("november-starts-with-tax") << true << true;
    }
    void rowsEqualCarryFromTickets()
    {
        QFETCH(bool, range);
        QFETCH(bool, taxed);
        const QDate from(2026, 11, 1), to(2026, 11, 30);
        std::unique_ptr<Profit_LossDepo> report;
        if (range)
            report = std::make_unique<Profit_LossDepoRange>();
        else
            report = std::make_unique<Profit_LossDepo>();
        Host host;
        host.wire(*report);
        report->setWithTaxe(taxed);
        QCOMPARE(host.toolbar.states.value(QStringLiteral("ID_WithTaxe")), taxed ? 1 : 0);
        if (range) {
            QVERIFY(report->setQueryField(QStringLiteral("Relative"), false));
            QVERIFY(report->setQueryField(QStringLiteral("ValDate"), from)
                    && report->setQueryField(QStringLiteral("ValLong"), int(Today.daysTo(from))));
            QVERIFY(report->setQueryField(QStringLiteral("EndDate"), to)
                    && report->setQueryField(QStringLiteral("EndLong"), int(Today.daysTo(to))));
        }
        QVERIFY(host.run(*report));
        QVERIFY2(MessageService::instance().messages().isEmpty(),
                 qPrintable(MessageService::instance().messages().join(u'\n')));
        const data::RecordsetPtr rows = report->DisplayRecordset();
        QVERIFY(rows && rows->RecordCount() > 0);
        const data::RecordsetPtr expected = reporttest::query(
            m_connectionString, Sides,
            {{QStringLiteral("@Range"), range ? QStringLiteral("1") : QStringLiteral("0")},
             {QStringLiteral("@Tax"), taxed ? QStringLiteral("1") : QStringLiteral("0")},
             {QStringLiteral("@Day"), Today.toString(Qt::ISODate)},
             {QStringLiteral("@From"), from.toString(Qt::ISODate)},
             {QStringLiteral("@To"), to.toString(Qt::ISODate)}});
        QVERIFY(expected);
        QCOMPARE(rows->RecordCount(), expected->RecordCount());

        bool taxShows = false;
        data::Currency total;
        expected->MoveFirst();
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext(), expected->MoveNext()) {
            const QString where = f(expected, "Code").toString() + QLatin1Char(' ') + f(expected, "Start").toString();
            QCOMPARE(f(rows, range ? "CcyID" : "Caption").toInt(), f(expected, "Ccy").toInt());
            if (range)
                QCOMPARE(f(rows, "Caption").toDate().toIsoString(), f(expected, "Start").toString());
            const double given = f(expected, "Given").toDouble() / 10000, taken = f(expected, "Taken").toDouble() / 10000;
            QCOMPARE(f(rows, "AmntGiven").toCurrency().toDouble(), given);
            QCOMPARE(f(rows, "AmntTaken").toCurrency().toDouble(), taken);
            QCOMPARE(f(rows, "Deals").toInt64(), f(expected, "Deals").toInt64());
            const auto sameRate = [&](const char *shown, const char *computed) {
                const data::Value a = f(rows, shown), b = f(expected, computed);
                return a.isNull() == b.isNull() && (a.isNull() || near(a.toDouble(), b.toDouble(), 1e-12));
            };
            QVERIFY2(sameRate("RateGiven", "RateGiven"), qPrintable(where));
            QVERIFY2(sameRate("RateTaken", "RateTaken"), qPrintable(where));
            const double rg = f(expected, "RateGiven").toDouble(), rt = f(expected, "RateTaken").toDouble();
            const double basis = f(expected, "B").toDouble();
            const double inCcy = std::min(given, taken) * (rg - rt) / basis;
            QVERIFY2(near(f(rows, "PLinCcy").toCurrency().toDouble(), inCcy, 0.0001), qPrintable(where));
            const double perUsd = f(expected, "PerUsd").toDouble();
            QVERIFY2(near(f(rows, "PLinUSD").toCurrency().toDouble(), perUsd == 0 ? 0 : inCcy / perUsd, 0.0002),
                     qPrintable(where));
            const double position = taken - given;
            QCOMPARE(f(rows, "Position").toCurrency().toDouble(), position);
            QCOMPARE(f(rows, "NegSumm").toBool(), position < 0);
            if (position != 0) {
                const double weightedGiven = f(expected, "GivenWeighted").toDouble() / 10000;
                const double weightedTaken = f(expected, "TakenWeighted").toDouble() / 10000;
                const double rate = std::abs(
                    (weightedTaken - (1 - f(expected, "GiveTax").toDouble()) * weightedGiven) / position);
                // The net of the two sides over a small position magnifies
                // the rounding of either sum.
                const double tolerance = 1e-12 * (1 + (weightedGiven + weightedTaken) / std::abs(position));
                QVERIFY2(near(f(rows, "RatePosition").toDouble(), rate, tolerance), qPrintable(where));
            }
            QCOMPARE(f(rows, "RateFound").toBool(), perUsd != 0 && basis != 0 && !f(expected, "Unrated").toBool());
            QVERIFY(f(rows, "Summary").toBool());
            taxShows = taxShows || f(expected, "GiveTax").toDouble() > 0;
            total += f(rows, "PLinUSD").toCurrency();
        }
        // The demo's tax terms reach some row when the switch is on.
        QCOMPARE(taxShows, taxed);
        QCOMPARE(report->TotalProfit.toString(), total.toString());
        QVERIFY(!host.toolbar.texts.value(QStringLiteral("ID_Profit")).isEmpty());
        QCOMPARE(host.toolbar.visible_.value(QStringLiteral("ID_DetailWIndow")), !range);
    }

    void depositOfNoDaysHasNoRateAndIsMarked()
    {
        // The demo's deposits starting in early December include one that
        // matures on its start day.
        Profit_LossDepoRange report;
        Host host;
        host.wire(report);
        const QDate from(2026, 12, 1);
        QVERIFY(report.setQueryField(QStringLiteral("Relative"), false));
        QVERIFY(report.setQueryField(QStringLiteral("ValDate"), from)
                && report.setQueryField(QStringLiteral("ValLong"), int(Today.daysTo(from))));
        QVERIFY(report.setQueryField(QStringLiteral("EndDate"), Today)
                && report.setQueryField(QStringLiteral("EndLong"), 0));
        QVERIFY(host.run(report));
        const data::RecordsetPtr rows = report.DisplayRecordset();
        QVERIFY(rows && rows->RecordCount() > 0);
        const int sameDay = reporttest::query(m_connectionString,
                                              QStringLiteral("SELECT COUNT(*) FROM Tickets WHERE PureDealType = 16 "
                                                             "AND Status >= 0 AND ValDateP2C1 = ValDateP1C1 "
                                                             "AND ValDateP1C1 BETWEEN '2026-12-01' AND '2026-12-04'"))
                                ->Fields(0)
                                .value()
                                .toInt();
        QVERIFY(sameDay > 0);
        int marked = 0;
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
            for (const char *rate : {"RateGiven", "RateTaken", "RatePosition"})
                QVERIFY(f(rows, rate).isNull() || std::isfinite(f(rows, rate).toDouble()));
            if (f(rows, "RateFound").toBool())
                continue;
            ++marked;
            QCOMPARE(f(rows, "PLinCcy").toCurrency(), data::Currency());
        }
        QCOMPARE(marked, sameDay);
        QVERIFY(host.grid.highlights.contains(QStringLiteral("Rate")));
    }

private:
    QTemporaryDir m_dir;
    QString m_connectionString;
};

QTEST_MAIN(TestDepoProfit)
#include "tst_depo_profit.moc"

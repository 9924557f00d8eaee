// The demo database generator: its arguments, its determinism (the same
// seed gives the same content, another seed other content) and the
// invariants that make its deals believable.

#include "BusinessCalendar.h"
#include "DemoDatabase.h"
#include "TradingDbTestSupport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

using namespace data;
using db::DemoDatabase;

namespace {

const QDate kToday(2026, 12, 6);   // a Sunday: the last trading day is Friday 2026-12-04

/// A hash of every row of every table except the procedure catalog.
QByteArray contentHash(Connection &conn)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const QStringList tables = dbtest::query(
        conn, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sys_%' "
                             "AND name NOT LIKE 'sqlite_%' ORDER BY name"));
    for (const QString &table : tables) {
        hash.addData(table.toUtf8());
        for (const QString &row : dbtest::query(conn, QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(table)))
            hash.addData(row.toUtf8());
    }
    return hash.result().toHex();
}

} // namespace

class tst_DemoDatabase final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Connection> m_conn;     // a 3000-deal database, seed 42

    QByteArray buildAndHash(const QString &name, std::uint64_t seed, std::int64_t deals)
    {
        DemoDatabase::Options options;
        options.out = m_dir.filePath(name);
        options.deals = deals;
        options.seed = seed;
        options.today = kToday;
        options.withProcedures = false;
        QString error;
        if (!DemoDatabase::build(options, nullptr, &error)) {
            qWarning("build failed: %s", qPrintable(error));
            return {};
        }
        Connection conn;
        if (!conn.Open(QStringLiteral("Provider=SQLite;Data Source=%1").arg(options.out)))
            return {};
        return contentHash(conn);
    }

    QString scalar(const QString &sql)
    {
        const QStringList rows = dbtest::query(*m_conn, sql);
        return rows.isEmpty() ? QString() : rows.first();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        DemoDatabase::Options options;
        options.out = m_dir.filePath(QStringLiteral("demo.db"));
        options.deals = 3000;
        options.seed = 42;
        options.today = kToday;
        options.withProcedures = false;
        DemoDatabase::Summary summary;
        QString error;
        QVERIFY2(DemoDatabase::build(options, &summary, &error), qPrintable(error));
        QCOMPARE(summary.deals, std::int64_t(3000));
        QCOMPARE(summary.archived, std::int64_t(600));
        QCOMPARE(summary.lastDay, QDate(2026, 12, 4));
        m_conn = std::make_unique<Connection>();
        QVERIFY(m_conn->Open(QStringLiteral("Provider=SQLite;Data Source=%1").arg(options.out)));
    }

    void cleanupTestCase() { m_conn.reset(); }

    void arguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("reason");

        QTest::newRow("minimal") << QStringList{"--out", "x.db"} << true << "";
        QTest::newRow("all-options") << QStringList{"--out", "x.db", "--deals", "1000000", "--seed", "7",
                                                    "--today", "2026-12-04"}
                                     << true << "";
        QTest::newRow("equals-form") << QStringList{"--out=x.db", "--deals=5"} << true << "";
        QTest::newRow("missing-out") << QStringList{"--deals", "5"} << false << "--out";
        QTest::newRow("out-without-value") << QStringList{"--out"} << false << "out";
        QTest::newRow("zero-deals") << QStringList{"--out", "x.db", "--deals", "0"} << false << "--deals";
        QTest::newRow("words-for-deals") << QStringList{"--out", "x.db", "--deals", "many"} << false << "--deals";
        QTest::newRow("too-many-deals") << QStringList{"--out", "x.db", "--deals", "50000001"} << false << "--deals";
        QTest::newRow("negative-seed") << QStringList{"--out", "x.db", "--seed", "-1"} << false << "--seed";
        QTest::newRow("bad-date") << QStringList{"--out", "x.db", "--today", "2026-02-30"} << false << "--today";
        QTest::newRow("other-date-form") << QStringList{"--out", "x.db", "--today", "04.12.2026"} << false
                                         << "--today";
        QTest::newRow("unknown-option") << QStringList{"--out", "x.db", "--fast"} << false << "fast";
        QTest::newRow("stray-argument") << QStringList{"--out", "x.db", "extra"} << false << "extra";
    }

    void arguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, valid);
        QFETCH(QString, reason);
        QString error;
        const auto options = DemoDatabase::parseArguments(arguments, &error);
        QCOMPARE(options.has_value(), valid);
        if (valid) {
            QVERIFY(options->today.isValid());
            QCOMPARE(options->out, QStringLiteral("x.db"));
        } else {
            QVERIFY2(error.contains(reason), qPrintable(error));
            QVERIFY(!error.contains(u'\n'));
        }
    }

    void argumentDefaults()
    {
        QString error;
        const auto options = DemoDatabase::parseArguments({QStringLiteral("--out"), QStringLiteral("x.db")}, &error);
        QVERIFY(options);
        QCOMPARE(options->deals, std::int64_t(20000));
        QCOMPARE(options->today, QDate::currentDate());
        QVERIFY(options->withProcedures);
        bool help = false;
        QVERIFY(!DemoDatabase::parseArguments({QStringLiteral("--help")}, &error, &help));
        QVERIFY(help);
    }

    void sameSeedGivesTheSameDatabase()
    {
        const QByteArray a = buildAndHash(QStringLiteral("a.db"), 7, 400);
        const QByteArray b = buildAndHash(QStringLiteral("b.db"), 7, 400);
        const QByteArray c = buildAndHash(QStringLiteral("c.db"), 8, 400);
        QVERIFY(!a.isEmpty());
        QCOMPARE(a, b);
        QVERIFY(a != c);
    }

    void buildInstallsTheProcedures()
    {
        DemoDatabase::Options options;
        options.out = m_dir.filePath(QStringLiteral("with-procedures.db"));
        options.deals = 50;
        options.today = kToday;
        QString error;
        QVERIFY2(DemoDatabase::build(options, nullptr, &error), qPrintable(error));
        Connection conn;
        QVERIFY(conn.Open(db::TradingDatabase::connectionString(options.out)));
        // One call proves the catalog is there; the lookups themselves are tested on their own.
        ErrorPtr failure;
        QCOMPARE(dbtest::rowTexts(dbtest::callProcedure(conn, QStringLiteral("GetParentCcy"),
                                                        {{QStringLiteral("@CcyName"), Value(QStringLiteral("RUR"))}},
                                                        &failure)),
                 QStringList{"RUB"});
    }

    void failedBuildLeavesNoFile()
    {
        DemoDatabase::Options options;
        options.out = m_dir.filePath(QStringLiteral("no-such-dir/x.db"));
        options.deals = 10;
        options.today = kToday;
        QString error;
        QVERIFY(!DemoDatabase::build(options, nullptr, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFile::exists(options.out));
    }

    void directoriesAreComplete()
    {
        QVERIFY(scalar(QStringLiteral("SELECT count(*) FROM Currencies")).toInt() >= 20);
        QCOMPARE(dbtest::query(*m_conn, QStringLiteral(
                     "SELECT Ccy FROM Currencies WHERE Ccy IN ('USD','EUR','GBP','AUD','RUB','JPY','CHF') ORDER BY Ccy")),
                 (QStringList{"AUD", "CHF", "EUR", "GBP", "JPY", "RUB", "USD"}));
        QCOMPARE(dbtest::query(*m_conn, QStringLiteral("SELECT c.Ccy || '>' || p.Ccy FROM Currencies c "
                                                       "JOIN Currencies p ON p.CcyID = c.ParentCcyID ORDER BY 1")),
                 (QStringList{"CNH>CNY", "RUR>RUB"}));
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM Staff WHERE IsDealer = 1")), QStringLiteral("30"));
        QVERIFY(scalar(QStringLiteral("SELECT count(*) FROM Counterparties")).toInt() >= 200);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM Counterparties WHERE CategoryID IS NULL")),
                 QStringLiteral("0"));
        QCOMPARE(scalar(QStringLiteral("SELECT CustomValue FROM CustomSettings WHERE CustomID = 1010")),
                 QStringLiteral("2"));
        // Every pair joins two known currencies.
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM Pairs p LEFT JOIN Currencies a ON a.CcyID = p.Ccy1 "
                                       "LEFT JOIN Currencies b ON b.CcyID = p.Ccy2 WHERE a.CcyID IS NULL OR b.CcyID IS NULL")),
                 QStringLiteral("0"));
    }

    void dealsSpanTwoHundredFiftyBusinessDays()
    {
        QCOMPARE(scalar(QStringLiteral("SELECT count(DISTINCT date(DealTime)) FROM Tickets")), QStringLiteral("250"));
        QCOMPARE(scalar(QStringLiteral("SELECT max(date(DealTime)) FROM Tickets")), QStringLiteral("2026-12-04"));
        const QDate first = db::BusinessCalendar::daysEndingAt(QDate(2026, 12, 4), 250).front();
        QCOMPARE(scalar(QStringLiteral("SELECT min(date(DealTime)) FROM Tickets")), first.toString(Qt::ISODate));
        QCOMPARE(scalar(QStringLiteral("SELECT count(DISTINCT date(DealTime)) FROM Archive")), QStringLiteral("250"));
        QCOMPARE(scalar(QStringLiteral("SELECT (SELECT max(TradeID) FROM Archive) < (SELECT min(TradeID) FROM Tickets)")),
                 QStringLiteral("1"));
    }

    void dealInvariantsHold_data()
    {
        QTest::addColumn<QString>("violations");
        // Each query counts the deals that break one rule.
        QTest::newRow("weekend-deal-or-value-date")
            << "SELECT count(*) FROM %1 WHERE strftime('%w', DealTime) IN ('0','6') "
               "OR strftime('%w', ValDateP1C1) IN ('0','6') OR strftime('%w', ValDateP2C1) IN ('0','6')";
        QTest::newRow("value-date-before-deal-date")
            << "SELECT count(*) FROM %1 WHERE ValDateP1C1 < date(DealTime) OR ValDateP2C1 < ValDateP1C1 "
               "OR ValDateP1C2 < date(DealTime)";
        QTest::newRow("legs-with-the-same-sign")
            << "SELECT count(*) FROM %1 WHERE PureDealType IN (2, 4, 8) AND (Volume1 > 0) = (VolumeP1C2 > 0)";
        QTest::newRow("swap-far-leg-not-reversed")
            << "SELECT count(*) FROM %1 WHERE PureDealType = 8 AND (VolumeP2C1 <> -Volume1 "
               "OR (VolumeP2C1 > 0) = (VolumeP2C2 > 0) OR ValDateP2C1 <= ValDateP1C1)";
        QTest::newRow("deposit-repaid-with-interest")
            << "SELECT count(*) FROM %1 WHERE PureDealType = 16 AND (abs(VolumeP2C1) < abs(Volume1) "
               "OR (Volume1 > 0) = (VolumeP2C1 > 0) OR DepoRate IS NULL OR Ccy2 IS NOT NULL)";
        QTest::newRow("rate-off-volume-ratio")
            << "SELECT count(*) FROM %1 WHERE PureDealType IN (2, 4) "
               "AND abs(abs(VolumeP1C2 * 1.0 / Volume1) - ExchRate1) > ExchRate1 * 0.0001";
        QTest::newRow("fx-without-pair")
            << "SELECT count(*) FROM %1 t LEFT JOIN Pairs p ON p.PairID = t.PairID WHERE t.PureDealType IN (2, 4, 8) "
               "AND (p.PairID IS NULL OR p.Ccy1 <> t.Ccy1 OR p.Ccy2 <> t.Ccy2)";
        QTest::newRow("side-disagrees-with-sign")
            << "SELECT count(*) FROM %1 WHERE (DealType = 1) <> (Volume1 > 0)";
        QTest::newRow("commission-without-broker")
            << "SELECT count(*) FROM %1 WHERE (BrokerID IS NULL AND Commission IS NOT NULL) OR Commission <= 0";
        QTest::newRow("ticket-number-repeated-in-a-day")
            << "SELECT count(*) FROM (SELECT 1 FROM %1 GROUP BY TCID, TicketNum, date(DealTime) HAVING count(*) > 1)";
        QTest::newRow("confirmed-before-the-deal-or-days-later")
            << "SELECT count(*) FROM %1 WHERE ConfTime < DealTime OR julianday(date(ConfTime)) - julianday(date(DealTime)) > 3";
        QTest::newRow("unconfirmed-but-checked")
            << "SELECT count(*) FROM %1 WHERE ConfTime IS NULL AND Status <> 0";
        QTest::newRow("unknown-counterparty-or-dealer")
            << "SELECT count(*) FROM %1 t LEFT JOIN Counterparties c ON c.CPID = t.CPID "
               "LEFT JOIN Staff s ON s.StaffID = t.StaffID "
               "WHERE c.ShortName IS NOT t.Bank1ID OR s.ShortName IS NOT t.DealerID";
        QTest::newRow("codes-outside-vocabulary")
            << "SELECT count(*) FROM %1 WHERE PureDealType NOT IN (2, 4, 8, 16, 32) OR LoroNostro NOT IN (0, 1, 2) "
               "OR ClDeal NOT IN (0, 2) OR Status NOT IN (SELECT StatusID FROM Statuses)";
    }

    void dealInvariantsHold()
    {
        QFETCH(QString, violations);
        QCOMPARE(scalar(violations.arg(QStringLiteral("Tickets"))), QStringLiteral("0"));
        QCOMPARE(scalar(violations.arg(QStringLiteral("Archive"))), QStringLiteral("0"));
    }

    void archiveHoldsSettledDealsOnly()
    {
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM Archive WHERE max(ValDateP1C1, COALESCE(ValDateP2C1, '')) "
                                       ">= (SELECT min(DealTime) FROM Tickets)")),
                 QStringLiteral("0"));
    }

    void mixLooksLikeADealingRoom()
    {
        const double clients = scalar(QStringLiteral("SELECT avg(ClDeal = 2) FROM Tickets")).toDouble();
        QVERIFY2(clients > 0.15 && clients < 0.25, qPrintable(QString::number(clients)));
        QCOMPARE(dbtest::query(*m_conn, QStringLiteral("SELECT DISTINCT PureDealType FROM Tickets ORDER BY 1")),
                 (QStringList{"2", "4", "8", "16", "32"}));
        QCOMPARE(dbtest::query(*m_conn, QStringLiteral("SELECT DISTINCT LoroNostro FROM Tickets ORDER BY 1")),
                 (QStringList{"0", "1", "2"}));
        QVERIFY(scalar(QStringLiteral("SELECT count(DISTINCT Status) FROM Tickets")).toInt() >= 5);
        // About a quarter of the broker deals wait for the broker's statement: the tariff gives their commission.
        const double unbooked =
            scalar(QStringLiteral("SELECT avg(Commission IS NULL) FROM Tickets WHERE BrokerID IS NOT NULL")).toDouble();
        QVERIFY2(unbooked > 0.15 && unbooked < 0.35, qPrintable(QString::number(unbooked)));
        // Netting and rollover have something to settle: opposite flows of a
        // netting counterparty on one day, a deposit started on the maturity
        // of another with the same counterparty.
        QVERIFY(scalar(QStringLiteral(
                    "SELECT count(*) FROM Tickets a JOIN Counterparties c ON c.CPID = a.CPID AND c.Netting = 2 "
                    "JOIN Tickets b ON b.CPID = a.CPID AND b.TradeID > a.TradeID AND b.Ccy1 = a.Ccy1 "
                    "AND b.ValDateP1C1 = a.ValDateP1C1 AND (a.Volume1 > 0) <> (b.Volume1 > 0) "
                    "WHERE a.PureDealType IN (2, 4) AND b.PureDealType IN (2, 4)"))
                    .toInt()
                > 0);
        QVERIFY(scalar(QStringLiteral("SELECT count(*) FROM Tickets a JOIN Tickets b ON b.CPID = a.CPID "
                                      "AND b.PureDealType = 16 AND b.Ccy1 = a.Ccy1 AND b.ValDateP1C1 = a.ValDateP2C1 "
                                      "AND b.TradeID <> a.TradeID WHERE a.PureDealType = 16"))
                    .toInt()
                > 0);
        // The back office meets deals not confirmed yet, deals confirmed the
        // next morning and deposits that mature on their start day.
        QVERIFY(scalar(QStringLiteral("SELECT count(*) FROM Tickets WHERE ConfTime IS NULL")).toInt() > 0);
        QVERIFY(scalar(QStringLiteral("SELECT count(*) FROM Tickets WHERE date(ConfTime) > date(DealTime)")).toInt() > 0);
        QVERIFY(scalar(QStringLiteral("SELECT count(*) FROM Tickets WHERE PureDealType = 16 AND ValDateP2C1 = ValDateP1C1"))
                    .toInt()
                > 0);
        // EUR/USD stays near its real level and every deal rate near the day's administrator rate.
        const double eurusd = scalar(QStringLiteral("SELECT avg(ExchRate1) FROM Tickets t JOIN Pairs p USING (PairID) "
                                                    "WHERE p.Name = 'EUR/USD' AND PureDealType = 2")).toDouble();
        QVERIFY2(eurusd > 0.9 && eurusd < 1.3, qPrintable(QString::number(eurusd)));
        QCOMPARE(scalar(QStringLiteral(
                     "SELECT count(*) FROM Tickets t JOIN AdminRates a ON a.CcyID = t.Ccy2 AND a.RateDate = date(t.DealTime) "
                     "WHERE t.PureDealType = 2 AND t.Ccy1 = 1 AND abs(t.ExchRate1 / a.Rate - 1) > 0.01")),
                 QStringLiteral("0"));
    }

    void ratesCoverEveryBusinessDay()
    {
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM (SELECT DISTINCT date(DealTime) AS d FROM Tickets) "
                                       "WHERE d NOT IN (SELECT RateDate FROM AdminRates) "
                                       "OR d NOT IN (SELECT RateDate FROM MarketRates)")),
                 QStringLiteral("0"));
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM MarketRates WHERE Bid > Ask OR Bid <= 0")),
                 QStringLiteral("0"));
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM AdminRates WHERE CcyID = 1")), QStringLiteral("0"));
    }

    // The paths of a rate program and of the central-bank valuation are all
    // on the demo's last day.
    void ratesHaveTheGapsARateProgramMeets()
    {
        const auto count = [this](const QString &sql) { return scalar(sql).toInt(); };
        const QString lastDay = QStringLiteral("(SELECT max(RateDate) FROM AdminRates)");
        const QString ccy = QStringLiteral("(SELECT CcyID FROM Currencies WHERE Ccy = '%1')");
        QCOMPARE(count(QStringLiteral("SELECT count(*) FROM AdminRates WHERE CcyID = ") + ccy.arg("ZAR")), 0);
        QCOMPARE(count(QStringLiteral("SELECT count(*) FROM MarketRates WHERE CcyID = ") + ccy.arg("MXN")), 0);
        QCOMPARE(scalar(QStringLiteral("SELECT Status FROM MarketRates WHERE RateDate = %1 AND CcyID = %2")
                            .arg(lastDay, ccy.arg("TRY"))),
                 QStringLiteral("3"));
        QCOMPARE(count(QStringLiteral("SELECT count(*) FROM MarketRates WHERE RateDate = %1 AND CcyID = %2")
                           .arg(lastDay, ccy.arg("NOK"))),
                 0);
        QVERIFY(count(QStringLiteral("SELECT count(*) FROM MarketRates WHERE Status = 2")) > 0);
        QVERIFY(count(QStringLiteral("SELECT count(*) FROM MarketRates WHERE Status = 3")) > 1);
        // The majors are quoted every business day.
        QCOMPARE(count(QStringLiteral("SELECT count(*) FROM (SELECT DISTINCT RateDate FROM AdminRates) d "
                                      "WHERE (SELECT count(*) FROM MarketRates m WHERE m.RateDate = d.RateDate "
                                      "AND m.CcyID IN (SELECT CcyID FROM Currencies "
                                      "WHERE Ccy IN ('EUR', 'GBP', 'AUD', 'JPY'))) < 4")),
                 0);
        // The central bank fixes every currency but USD and the child codes, every day.
        QCOMPARE(scalar(QStringLiteral("SELECT group_concat(Ccy) FROM (SELECT Ccy FROM Currencies k WHERE NOT EXISTS "
                                       "(SELECT 1 FROM CBRates c WHERE c.CcyID = k.CcyID) ORDER BY Ccy)")),
                 QStringLiteral("CNH,RUR,USD"));
        QCOMPARE(count(QStringLiteral("SELECT count(DISTINCT RateDate) FROM CBRates")),
                 count(QStringLiteral("SELECT count(DISTINCT RateDate) FROM AdminRates")));
    }
};

QTEST_GUILESS_MAIN(tst_DemoDatabase)
#include "tst_demodatabase.moc"

// The position report procedures (open position, currency position, position
// history, single currency) on a small hand-built deal set, run through the
// data layer as the reports run them.

#include "ReportProcedureFixture.h"

#include <QtTest>

using namespace reporttest;

namespace {

const QString kUser = QStringLiteral("@UserName");
const QString kToday = QStringLiteral("@DateReport");

/// Deals of 2026-12-04 unless said otherwise. Trade ids are the ticket numbers.
bool addPositionDeals(Fixture &f)
{
    Deal buy;                       // 1: EUR/USD buy 1M at 1.1, 10:00
    buy.tradeId = 1;
    Deal sell;                      // 2: EUR/USD sell 500k at 1.12, 09:00, BANKB, dealer AS, client deal
    sell.tradeId = 2;
    sell.dealTime = QStringLiteral("2026-12-04 09:00:00");
    sell.volume1 = -500000;
    sell.rate1 = 1.12;
    sell.side = 2;
    sell.bank = QStringLiteral("BANKB");
    sell.cpid = 101;
    sell.dealer = QStringLiteral("AS");
    sell.staffId = 8;
    sell.client = 2;
    Deal rub;                       // 3: USD/RUB buy 100k at 90, commission 15 GBP
    rub.tradeId = 3;
    rub.pair = QStringLiteral("11");
    rub.ccy1 = 1;
    rub.ccy2 = QStringLiteral("3");
    rub.volume1 = 100000;
    rub.rate1 = 90;
    rub.valDate1 = QStringLiteral("2026-12-07");
    rub.commission = QStringLiteral("15");
    rub.commissionCcy = QStringLiteral("GBP");
    rub.tcid = QStringLiteral("T2");
    Deal swap;                      // 4: EUR/USD swap, buy near 12-08 at 1.1, sell far 12-15 at 1.105
    swap.tradeId = 4;
    swap.type = 8;
    swap.dealTime = QStringLiteral("2026-12-04 11:00:00");
    swap.volume1 = 200000;
    swap.volumeP2C1 = QStringLiteral("-200000");
    swap.volumeP2C2 = QStringLiteral("221000");
    swap.rate2 = QStringLiteral("1.105");
    swap.valDate2 = QStringLiteral("2026-12-15");
    Deal gbp;                       // 5: GBP/USD buy only, 12:00
    gbp.tradeId = 5;
    gbp.pair = QStringLiteral("12");
    gbp.ccy1 = 4;
    gbp.volume1 = 300000;
    gbp.rate1 = 1.25;
    gbp.dealTime = QStringLiteral("2026-12-04 12:00:00");
    Deal yesterday = buy;           // 6: another deal date
    yesterday.tradeId = 6;
    yesterday.dealTime = QStringLiteral("2026-12-03 16:00:00");
    Deal deleted = buy;             // 7: a deleted deal
    deleted.tradeId = 7;
    deleted.status = -1;
    Deal depo;                      // 8: a deposit is no FX position
    depo.tradeId = 8;
    depo.type = 16;
    depo.pair = QStringLiteral("NULL");
    depo.ccy2 = QStringLiteral("NULL");
    depo.volumeP1C2 = QStringLiteral("NULL");
    depo.volume1 = -1000000;
    depo.valDate2 = QStringLiteral("2026-12-10");
    Deal commissioned = buy;        // 9: EUR/USD buy 100k, commission 20 USD
    commissioned.tradeId = 9;
    commissioned.volume1 = 100000;
    commissioned.dealTime = QStringLiteral("2026-12-04 13:00:00");
    commissioned.commission = QStringLiteral("20");
    commissioned.commissionCcy = QStringLiteral("USD");
    for (const Deal &d : {buy, sell, rub, swap, gbp, yesterday, deleted, depo, commissioned})
        if (!f.add(d))
            return false;
    return true;
}

} // namespace

class tst_PositionProcedures final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { MARVOLT_SKIP_WITHOUT_BACKEND(); }
    void openPositionGivesTheLegsOfTheDayByPair();
    void openPositionDefaultsToTheReportDate();
    void openPositionKeepsDealsThatCancel();
    void openPositionAppliesStoredSelection_data();
    void openPositionAppliesStoredSelection();
    void currencyPositionSplitsDealsAndAddsCommissionRows();
    void currencyPositionKeepsSelectedCurrenciesOnly();
    void forwardPositionOrdersLegsByPairAndTime();
    void singleCurrencyGivesCurrencyAmountsInTimeOrder();
};

void tst_PositionProcedures::openPositionGivesTheLegsOfTheDayByPair()
{
    Fixture f;
    QVERIFY2(f.ok(), f.error());
    QVERIFY2(addPositionDeals(f), f.error());
    QVERIFY2(f.storeRange(2, 1, QStringLiteral("2026-12-04"), QStringLiteral("2026-12-04")), f.error());
    bool ok = false;
    const auto sets = f.run(QStringLiteral("cnt_OpenPosition"),
                            {{kUser, Fixture::user()}, {kToday, QStringLiteral("2026-12-20")}}, &ok);
    QVERIFY2(ok, f.error());
    QCOMPARE(sets.size(), 1);
    // Pair 10 in time order (the swap's near leg, then its far leg), then 11,
    // then the GBP/USD pair that has only buys. The deal of the day before,
    // the deleted deal and the deposit are not there.
    const QStringList expected = {
        "10|2|BANKB|-500000|560000|1.12|2026-12-08|2026-12-08|1",
        "10|1|BANKA|1000000|-1100000|1.1|2026-12-08|2026-12-08|1",
        "10|4|BANKA|200000|-220000|1.1|2026-12-08|2026-12-08|1",
        "10|4|BANKA|-200000|221000|1.105|2026-12-15|2026-12-15|2",
        "10|9|BANKA|100000|-110000|1.1|2026-12-08|2026-12-08|1",
        "11|3|BANKA|100000|-9000000|90|2026-12-07|2026-12-07|1",
        "12|5|BANKA|300000|-375000|1.25|2026-12-08|2026-12-08|1",
    };
    QCOMPARE(columns(sets.at(0), {"PairCcy", "TicketNum", "Bank1ID", "Volume", "Volume2", "Rate", "ValDate",
                                  "ValDate2", "Leg"}),
             expected);
    QCOMPARE(columns(sets.at(0), {"DealTime", "Status", "TCID"}).first(),
             QStringLiteral("2026-12-04 09:00:00|3|T1"));
}

void tst_PositionProcedures::openPositionDefaultsToTheReportDate()
{
    Fixture f;
    QVERIFY2(f.ok(), f.error());
    QVERIFY2(addPositionDeals(f), f.error());
    bool ok = false;
    const auto sets = f.run(QStringLiteral("cnt_OpenPosition"),
                            {{kUser, Fixture::user()}, {kToday, QStringLiteral("2026-12-03")}}, &ok);
    QVERIFY2(ok, f.error());
    QCOMPARE(columns(sets.at(0), {"TicketNum"}), QStringList{"6"});
}

void tst_PositionProcedures::openPositionKeepsDealsThatCancel()
{
    Fixture f;
    QVERIFY2(f.ok(), f.error());
    // Buys and sells of 100k USD cancel in the first currency but not in the second.
    Deal buy;
    buy.tradeId = 1;
    buy.pair = QStringLiteral("11");
    buy.ccy1 = 1;
    buy.ccy2 = QStringLiteral("3");
    buy.volume1 = 100000;
    buy.rate1 = 90;
    Deal sell = buy;
    sell.tradeId = 2;
    sell.volume1 = -100000;
    sell.rate1 = 91;
    sell.dealTime = QStringLiteral("2026-12-04 10:00:01");
    QVERIFY2(f.add(buy) && f.add(sell), f.error());
    bool ok = false;
    const auto sets = f.run(QStringLiteral("cnt_OpenPosition"),
                            {{kUser, Fixture::user()}, {kToday, QStringLiteral("2026-12-04")}}, &ok);
    QVERIFY2(ok, f.error());
    QCOMPARE(columns(sets.at(0), {"PairCcy", "TicketNum", "Volume", "Volume2", "Rate"}),
             QStringList({"11|1|100000|-9000000|90", "11|2|-100000|9100000|91"}));
}

void tst_PositionProcedures::openPositionAppliesStoredSelection_data()
{
    QTest::addColumn<QString>("procedure");
    QTest::addColumn<QString>("parameter");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("tickets");

    QTest::newRow("counterparty") << "StoreBankF" << "@Banks" << "BANKB" << QStringList{"2"};
    QTest::newRow("pair") << "StorePairF" << "@PairIDs" << "11|12" << QStringList{"3", "5"};
    QTest::newRow("deal-type-swap") << "StoreDealTypeF" << "@DealTypes" << "8" << QStringList{"4", "4"};
    QTest::newRow("deleted-status-only-when-selected")
        << "StoreStatusF" << "@StatusIDs" << "-1" << QStringList{"7"};
    QTest::newRow("tcid") << "StoreTCIDF" << "@TCIDs" << "T2" << QStringList{"3"};
    QTest::newRow("category-without-bank-c") << "StoreCategoryF" << "@Categories" << "Banks"
                                             << QStringList{"2", "1", "4", "4", "9", "3", "5"};
    QTest::newRow("dealer-condition") << "StoreCondition:1" << "" << "DealerID = 'AS'" << QStringList{"2"};
    QTest::newRow("client-condition") << "StoreCondition:5" << "" << "ClDeal = 2" << QStringList{"2"};
    QTest::newRow("interbank-condition") << "StoreCondition:5" << "" << "ClDeal <> 2"
                                         << QStringList{"1", "4", "4", "9", "10", "3", "5"};
    QTest::newRow("value-date-range-picks-legs") << "StoreDateRange:2" << "" << "2026-12-15|2026-12-31"
                                                 << QStringList{"4"};
}

void tst_PositionProcedures::openPositionAppliesStoredSelection()
{
    QFETCH(QString, procedure);
    QFETCH(QString, parameter);
    QFETCH(QString, value);
    QFETCH(QStringList, tickets);

    Fixture f;
    QVERIFY2(f.ok(), f.error());
    QVERIFY2(addPositionDeals(f), f.error());
    Deal other;                     // 10: a deal of BANKC, which has no category
    other.tradeId = 10;
    other.bank = QStringLiteral("BANKC");
    other.cpid = 102;
    other.dealTime = QStringLiteral("2026-12-04 23:59:59");
    QVERIFY2(f.add(other), f.error());
    QVERIFY2(f.storeRange(2, 1, QStringLiteral("2026-12-04"), QStringLiteral("2026-12-04")), f.error());
    // Another user's selection must not leak into this user's report.
    QVERIFY2(f.store(QStringLiteral("StorePairF"), {{kUser, QStringLiteral("someone else")},
                                                   {QStringLiteral("@ownID"), 2},
                                                   {QStringLiteral("@PairIDs"), QStringLiteral("12")}}),
             f.error());
    bool stored = false;
    if (procedure.startsWith(QLatin1String("StoreCondition:")))
        stored = f.storeCondition(2, procedure.section(QLatin1Char(':'), 1).toInt(), value);
    else if (procedure == QLatin1String("StoreDateRange:2"))
        stored = f.storeRange(2, 2, value.section(QLatin1Char('|'), 0, 0), value.section(QLatin1Char('|'), 1));
    else
        stored = f.storeList(procedure, 2, parameter, value);
    QVERIFY2(stored, f.error());

    bool ok = false;
    const auto sets = f.run(QStringLiteral("cnt_OpenPosition"),
                            {{kUser, Fixture::user()}, {kToday, QStringLiteral("2026-12-04")}}, &ok);
    QVERIFY2(ok, f.error());
    QCOMPARE(columns(sets.at(0), {"TicketNum"}), tickets);
}

void tst_PositionProcedures::currencyPositionSplitsDealsAndAddsCommissionRows()
{
    Fixture f;
    QVERIFY2(f.ok(), f.error());
    QVERIFY2(addPositionDeals(f), f.error());
    // The value date 2026-12-08: the swap's far leg (12-15) and the USD/RUB
    // deal (12-07) are outside it; the USD/RUB deal's GBP commission is too.
    QVERIFY2(f.storeRange(7, 2, QStringLiteral("2026-12-08"), QStringLiteral("2026-12-08")), f.error());
    bool ok = false;
    auto sets = f.run(QStringLiteral("cnt_CurrencyPosition"), {{kUser, Fixture::user()}}, &ok);
    QVERIFY2(ok, f.error());
    const QStringList dated = {
        "1|0|-1100000|6", "1|0|560000|2",  "1|0|-1100000|1", "1|0|-220000|4",
        "1|0|-375000|5",  "1|0|-110000|9", "1|2|-20|-",
        "2|0|1000000|6",  "2|0|-500000|2", "2|0|1000000|1",  "2|0|200000|4",
        "2|0|100000|9",   "4|0|300000|5",
    };
    QCOMPARE(columns(sets.at(0), {"Ccy", "isCom", "Volume", "TicketNum"}), dated);

    // Without a value date every leg counts, and GBP, which no deal trades,
    // has only its recalculation row.
    QVERIFY2(f.storeRange(7, 2, QString(), QString()), f.error());
    sets = f.run(QStringLiteral("cnt_CurrencyPosition"), {{kUser, Fixture::user()}}, &ok);
    QVERIFY2(ok, f.error());
    const QStringList all = columns(sets.at(0), {"Ccy", "isCom", "Volume", "TicketNum"});
    QVERIFY2(all.contains(QStringLiteral("1|0|221000|4")), qPrintable(all.join(QLatin1Char(' '))));
    QVERIFY2(all.contains(QStringLiteral("3|0|-9000000|3")), qPrintable(all.join(QLatin1Char(' '))));
    QCOMPARE(all.filter(QRegularExpression(QStringLiteral("^4\\|"))),
             QStringList({"4|0|300000|5", "4|2|-15|-"}));
}

void tst_PositionProcedures::currencyPositionKeepsSelectedCurrenciesOnly()
{
    Fixture f;
    QVERIFY2(f.ok(), f.error());
    QVERIFY2(addPositionDeals(f), f.error());
    QVERIFY2(f.storeRange(7, 2, QStringLiteral("2026-12-07"), QStringLiteral("2026-12-07")), f.error());
    QVERIFY2(f.storeList(QStringLiteral("StoreCcyF"), 7, QStringLiteral("@CcyIDs"), QStringLiteral("3|4")),
             f.error());
    bool ok = false;
    const auto sets = f.run(QStringLiteral("cnt_CurrencyPosition"), {{kUser, Fixture::user()}}, &ok);
    QVERIFY2(ok, f.error());
    QCOMPARE(columns(sets.at(0), {"Ccy", "isCom", "Volume", "Bank1ID", "PureDealType", "DealTime"}),
             QStringList({"3|0|-9000000|BANKA|2|2026-12-04 10:00:00", "4|2|-15|-|-|-"}));
}

void tst_PositionProcedures::forwardPositionOrdersLegsByPairAndTime()
{
    Fixture f;
    QVERIFY2(f.ok(), f.error());
    QVERIFY2(addPositionDeals(f), f.error());
    // Trade dates from 12-03 on; value dates up to 12-08 leave out the swap's far leg.
    QVERIFY2(f.storeRange(3, 1, QStringLiteral("2026-12-03"), QString()), f.error());
    QVERIFY2(f.storeRange(3, 2, QString(), QStringLiteral("2026-12-08")), f.error());
    bool ok = false;
    const auto sets = f.run(QStringLiteral("cnt_ForwardPosition"),
                            {{kUser, Fixture::user()}, {kToday, QStringLiteral("2026-12-04")}}, &ok);
    QVERIFY2(ok, f.error());
    const QStringList expected = {
        "10|2026-12-03 16:00:00|1000000|-1100000|6",
        "10|2026-12-04 09:00:00|-500000|560000|2",
        "10|2026-12-04 10:00:00|1000000|-1100000|1",
        "10|2026-12-04 11:00:00|200000|-220000|4",
        "10|2026-12-04 13:00:00|100000|-110000|9",
        "11|2026-12-04 10:00:00|100000|-9000000|3",
        "12|2026-12-04 12:00:00|300000|-375000|5",
    };
    QCOMPARE(columns(sets.at(0), {"PairCcy", "DealTime", "Volume", "Volume2", "TradeID"}), expected);
}

void tst_PositionProcedures::singleCurrencyGivesCurrencyAmountsInTimeOrder()
{
    Fixture f;
    QVERIFY2(f.ok(), f.error());
    QVERIFY2(addPositionDeals(f), f.error());
    QVERIFY2(f.storeRange(4, 1, QStringLiteral("2026-12-04"), QStringLiteral("2026-12-04")), f.error());
    QVERIFY2(f.storeList(QStringLiteral("StoreCcyF"), 4, QStringLiteral("@CcyIDs"), QStringLiteral("2")), f.error());
    bool ok = false;
    const auto sets = f.run(QStringLiteral("cnt_SingleCurrency"),
                            {{kUser, Fixture::user()}, {kToday, QStringLiteral("2026-12-04")}}, &ok);
    QVERIFY2(ok, f.error());
    // Only the euro amounts; the swap gives its near and its far leg.
    const QStringList expected = {
        "2|2026-12-04 09:00:00|-500000|2|2026-12-08",
        "2|2026-12-04 10:00:00|1000000|1|2026-12-08",
        "2|2026-12-04 11:00:00|200000|4|2026-12-08",
        "2|2026-12-04 11:00:00|-200000|4|2026-12-15",
        "2|2026-12-04 13:00:00|100000|9|2026-12-08",
    };
    QCOMPARE(columns(sets.at(0), {"Ccy", "DealTime", "Volume", "TradeID", "ValDate"}), expected);
}

QTEST_GUILESS_MAIN(tst_PositionProcedures)
#include "tst_positionprocedures.moc"

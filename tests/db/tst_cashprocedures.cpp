// The cash, counterparty, deposit and broker report procedures (cash flow,
// netting, deposit position, deposit report, brokers' position) on a small
// hand-built deal set, run through the data layer as the reports run them.

#include "ReportProcedureFixture.h"

#include <QtTest>

using namespace reporttest;

namespace {

const QString kUser = QStringLiteral("@UserName");
const QString kToday = QStringLiteral("@DateReport");

const QStringList kFlowColumns = {"Ccy", "ValDate", "Daily", "Daily_Sell", "Daily_Buy", "Cumulated", "Summary", "Deals"};

/// A deposit of `units` (negative given, positive taken) from `start` to `end`
/// at `rate` per cent on a 360-day year; the repayment carries the interest.
Deal deposit(qint64 id, double units, const QString &start, const QString &end, double rate, int days,
             const QString &bank = QStringLiteral("BANKA"), int cpid = 100)
{
    Deal d;
    d.tradeId = id;
    d.type = 16;
    d.side = units < 0 ? 2 : 1;
    d.pair = QStringLiteral("NULL");
    d.ccy2 = QStringLiteral("NULL");
    d.volumeP1C2 = QStringLiteral("NULL");
    d.volume1 = units;
    d.rate1 = 0;
    d.valDate1 = start;
    d.valDate2 = end;
    d.depoRate = QString::number(rate);
    d.yearLength = QStringLiteral("360");
    const double interest = qAbs(units) * rate / 100.0 * days / 360.0;
    d.volumeP2C1 = QString::number(units < 0 ? -units + interest : -(units + interest), 'f', 4);
    d.bank = bank;
    d.cpid = cpid;
    return d;
}

/// EUR/USD trades with BANKA (netting agreement) and BANKB, a USD/RUB swap and
/// a euro deposit rolled over on 12-10.
bool addCashDeals(Fixture &f)
{
    Deal buy;                       // 1: buy 1M EUR at 1.1 from BANKA, value 12-08
    buy.tradeId = 1;
    Deal sell = buy;                // 2: sell 400k EUR at 1.1 to BANKA, value 12-08
    sell.tradeId = 2;
    sell.volume1 = -400000;
    sell.side = 2;
    Deal other = buy;               // 3: sell 100k EUR at 1.1 to BANKB, value 12-08
    other.tradeId = 3;
    other.volume1 = -100000;
    other.bank = QStringLiteral("BANKB");
    other.cpid = 101;
    Deal swap;                      // 4: USD/RUB swap with BANKB, buy near 12-08 at 90, sell far 12-10 at 91
    swap.tradeId = 4;
    swap.type = 8;
    swap.pair = QStringLiteral("11");
    swap.ccy1 = 1;
    swap.ccy2 = QStringLiteral("3");
    swap.volume1 = 10000;
    swap.rate1 = 90;
    swap.volumeP2C1 = QStringLiteral("-10000");
    swap.volumeP2C2 = QStringLiteral("910000");
    swap.rate2 = QStringLiteral("91");
    swap.valDate2 = QStringLiteral("2026-12-10");
    swap.bank = QStringLiteral("BANKB");
    swap.cpid = 101;
    // 5: 360k EUR given to BANKA 12-08 to 12-10 at 5%: interest 100
    // 6: rolled over: 360k EUR given to BANKA again from 12-10 to 12-12
    for (const Deal &d : {buy, sell, other, swap, deposit(5, -360000, "2026-12-08", "2026-12-10", 5, 2),
                          deposit(6, -360000, "2026-12-10", "2026-12-12", 5, 2)})
        if (!f.add(d))
            return false;
    return f.storeRange(6, 2, QStringLiteral("2026-12-08"), QStringLiteral("2026-12-10"));
}

QList<data::RecordsetPtr> runCashFlow(Fixture &f, int rollover, int netting, bool *ok)
{
    return f.run(QStringLiteral("cnt_CashFlow"), {{kUser, Fixture::user()},
                                                  {kToday, QStringLiteral("2026-12-04")},
                                                  {QStringLiteral("@R1"), rollover},
                                                  {QStringLiteral("@N1"), netting}},
                 ok);
}

} // namespace

class tst_CashProcedures final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { MARVOLT_SKIP_WITHOUT_BACKEND(); }
    void cashFlowGivesFlowsThenTheCurrencySummary();
    void cashFlowSettlesNetOnRequest_data();
    void cashFlowSettlesNetOnRequest();
    void cashFlowReadsTheCallersOwnerNumber();
    void nettingGivesOneRowPerDealAndCurrency();
    void nettingAppliesTheNettingCondition();
    void nettingPairGivesOneRowPerDeal();
    void depoPositionClassifiesDeposits();
    void depoReportComputesDaysSummariesAndCounts();
    void brokerPositionSumsCommissionPerBrokerDayAndCurrency();
    void brokerPositionReadsBrokerSelection();
};

void tst_CashProcedures::cashFlowGivesFlowsThenTheCurrencySummary()
{
    Fixture f;
    QVERIFY2(f.ok(), f.error());
    QVERIFY2(addCashDeals(f), f.error());
    bool ok = false;
    const auto sets = runCashFlow(f, 0, 0, &ok);
    QVERIFY2(ok, f.error());
    QCOMPARE(sets.size(), 2);
    // Each currency's value dates in order, its summary row (2) last. The
    // second deposit's repayment (12-12) is outside the value dates.
    const QStringList expected = {
        "1|2026-12-08|-540000|-1100000|560000|-540000|0|4",
        "1|2026-12-10|-10000|-10000|0|-550000|0|1",
        "1|2026-12-10|-550000|-1110000|560000|-550000|2|4",
        "2|2026-12-08|140000|-860000|1000000|140000|0|4",
        "2|2026-12-10|100|-360000|360100|140100|0|2",
        "2|2026-12-10|140100|-1220000|1360100|140100|2|5",
        "3|2026-12-08|-900000|-900000|0|-900000|0|1",
        "3|2026-12-10|910000|0|910000|10000|0|1",
        "3|2026-12-10|10000|-900000|910000|10000|2|1",
    };
    QCOMPARE(columns(sets.at(0), kFlowColumns), expected);
    QCOMPARE(columns(sets.at(1), {"TradeID", "Ccy1", "Ccy2", "ValDateP1C1", "ValDateP2C1"}),
             QStringList({"1|2|1|2026-12-08|-", "2|2|1|2026-12-08|-", "3|2|1|2026-12-08|-",
                          "4|1|3|2026-12-08|2026-12-10", "5|2|-|2026-12-08|2026-12-10",
                          "6|2|-|2026-12-10|2026-12-12"}));
    // The same flows split by deal type.
    const QStringList byType = {
        "1|2026-12-08|-1100000|550000|10000|0|0|0",
        "1|2026-12-10|0|0|-10000|0|0|0",
        "1|2026-12-10|-1100000|550000|0|0|0|0",
        "2|2026-12-08|-500000|1000000|0|-360000|0|0",
        "2|2026-12-10|0|0|0|-360000|360000|100",
        "2|2026-12-10|-500000|1000000|0|-720000|360000|100",
        "3|2026-12-08|0|0|-900000|0|0|0",
        "3|2026-12-10|0|0|910000|0|0|0",
        "3|2026-12-10|0|0|10000|0|0|0",
    };
    QCOMPARE(columns(sets.at(0), {"Ccy", "ValDate", "Spot_Sell", "Spot_Buy", "Swap", "Deposit_Give", "Deposit_Take",
                                  "Interest"}),
             byType);
    QCOMPARE(columns(sets.at(0), {"Outright", "Return", "Take"}).at(4), QStringLiteral("0|0|100"));

    // "@R1" and "@N1" left unset run as 0.
    const auto unset = f.run(QStringLiteral("cnt_CashFlow"),
                             {{kUser, Fixture::user()}, {kToday, QStringLiteral("2026-12-04")}}, &ok);
    QVERIFY2(ok, f.error());
    QCOMPARE(columns(unset.at(0), kFlowColumns), expected);
}

void tst_CashProcedures::cashFlowSettlesNetOnRequest_data()
{
    QTest::addColumn<int>("rollover");
    QTest::addColumn<int>("netting");
    QTest::addColumn<QString>("euro12_08");   // Daily_Sell|Daily_Buy of EUR on 12-08
    QTest::addColumn<QString>("euro12_10");   // Daily_Sell|Daily_Buy|Deposit_Give|Deposit_Take of EUR on 12-10

    QTest::newRow("gross") << 0 << 0 << "-860000|1000000" << "-360000|360100|-360000|360000";
    // BANKA has a netting agreement: its buy and sell settle as +600k, the
    // deposit as -360k; BANKB's sale stays gross. On 12-10 the repayment and
    // the new deposit with BANKA net to the interest.
    QTest::newRow("netting") << 0 << 2 << "-100000|240000" << "0|100|-360000|360000";
    QTest::newRow("rollover") << 2 << 0 << "-860000|1000000" << "-360000|360100|0|0";
    QTest::newRow("any-other-code-is-gross") << 1 << 1 << "-860000|1000000" << "-360000|360100|-360000|360000";
}

void tst_CashProcedures::cashFlowSettlesNetOnRequest()
{
    QFETCH(int, rollover);
    QFETCH(int, netting);
    QFETCH(QString, euro12_08);
    QFETCH(QString, euro12_10);

    Fixture f;
    QVERIFY2(f.ok(), f.error());
    QVERIFY2(addCashDeals(f), f.error());
    bool ok = false;
    const auto sets = runCashFlow(f, rollover, netting, &ok);
    QVERIFY2(ok, f.error());
    const QStringList rows = columns(sets.at(0), {"Ccy", "ValDate", "Summary", "Daily", "Daily_Sell", "Daily_Buy",
                                                  "Deposit_Give", "Deposit_Take"});
    QCOMPARE(rows.at(3).section(QLatin1Char('|'), 4, 5), euro12_08);
    QCOMPARE(rows.at(4).section(QLatin1Char('|'), 4, 7), euro12_10);
    // The net flow of a day does not depend on how it settles.
    QCOMPARE(rows.at(3).section(QLatin1Char('|'), 0, 3), QStringLiteral("2|2026-12-08|0|140000"));
}

void tst_CashProcedures::cashFlowReadsTheCallersOwnerNumber()
{
    Fixture f;
    QVERIFY2(f.ok(), f.error());
    QVERIFY2(addCashDeals(f), f.error());
    // The dealers report keeps its selections under 72 and passes it.
    QVERIFY2(f.storeRange(72, 2, QStringLiteral("2026-12-12"), QStringLiteral("2026-12-12")), f.error());
    bool ok = false;
    const auto sets = f.run(QStringLiteral("cnt_CashFlow"),
                            {{kUser, Fixture::user()}, {QStringLiteral("@OwnerID"), 72}}, &ok);
    QVERIFY2(ok, f.error());
    QCOMPARE(columns(sets.at(0), {"Ccy", "ValDate", "Daily", "Summary"}),
             QStringList({"2|2026-12-12|360100|0", "2|2026-12-12|360100|2"}));
}

void tst_CashProcedures::nettingGivesOneRowPerDealAndCurrency()
{
    Fixture f;
    QVERIFY2(f.ok(), f.error());
    QVERIFY2(addCashDeals(f), f.error());
    Deal rub;                       // 7: BANKA also trades USD/RUB: three currencies
    rub.tradeId = 7;
    rub.pair = QStringLiteral("11");
    rub.ccy1 = 1;
    rub.ccy2 = QStringLiteral("3");
    rub.volume1 = -20000;
    rub.rate1 = 90;
    QVERIFY2(f.add(rub), f.error());
    bool ok = false;
    const auto sets = f.run(QStringLiteral("cnt_Netting"), {{kUser, Fixture::user()}}, &ok);
    QVERIFY2(ok, f.error());
    // Ordered by counterparty, currency, deal; the swap nets its legs; the
    // deposits are no FX deals.
    const QStringList expected = {
        "100|1|-1100000|1000000|2|1", "100|1|440000|-400000|2|2",  "100|1|-20000|1800000|2|7",
        "100|2|1000000|-1100000|2|1", "100|2|-400000|440000|2|2",
        "100|3|1800000|-20000|2|7",
        "101|1|110000|-100000|0|3",   "101|1|0|10000|0|4",
        "101|2|-100000|110000|0|3",
        "101|3|10000|0|0|4",
    };
    QCOMPARE(columns(sets.at(0), {"CounterpartyID", "Ccy", "Volume", "Volume2", "NETTING", "TradeID"}), expected);
}

void tst_CashProcedures::nettingAppliesTheNettingCondition()
{
    Fixture f;
    QVERIFY2(f.ok(), f.error());
    QVERIFY2(addCashDeals(f), f.error());
    QVERIFY2(f.storeCondition(10, 7, QStringLiteral("NETTING = 2")), f.error());
    // A pair selection left from the pair view does not limit the currency view.
    QVERIFY2(f.storeList(QStringLiteral("StorePairF"), 10, QStringLiteral("@PairIDs"), QStringLiteral("11")),
             f.error());
    bool ok = false;
    auto sets = f.run(QStringLiteral("cnt_Netting"), {{kUser, Fixture::user()}}, &ok);
    QVERIFY2(ok, f.error());
    QCOMPARE(columns(sets.at(0), {"CounterpartyID", "Ccy", "TradeID"}),
             QStringList({"100|1|1", "100|1|2", "100|2|1", "100|2|2"}));

    QVERIFY2(f.storeCondition(10, 7, QStringLiteral("NETTING <> 2")), f.error());
    sets = f.run(QStringLiteral("cnt_Netting"), {{kUser, Fixture::user()}}, &ok);
    QVERIFY2(ok, f.error());
    QCOMPARE(columns(sets.at(0), {"CounterpartyID", "TradeID"}),
             QStringList({"101|3", "101|4", "101|3", "101|4"}));
}

void tst_CashProcedures::nettingPairGivesOneRowPerDeal()
{
    Fixture f;
    QVERIFY2(f.ok(), f.error());
    QVERIFY2(addCashDeals(f), f.error());
    QVERIFY2(f.storeRange(10, 2, QStringLiteral("2026-12-08"), QStringLiteral("2026-12-08")), f.error());
    // A currency selection left from the currency view does not limit the pair view.
    QVERIFY2(f.storeList(QStringLiteral("StoreCcyF"), 10, QStringLiteral("@CcyIDs"), QStringLiteral("3")), f.error());
    bool ok = false;
    const auto sets = f.run(QStringLiteral("cnt_NettingPair"), {{kUser, Fixture::user()}}, &ok);
    QVERIFY2(ok, f.error());
    // Only the swap's near leg lies on 12-08.
    QCOMPARE(columns(sets.at(0), {"CounterpartyID", "PairCcy", "Volume", "Volume2", "NETTING", "TradeID"}),
             QStringList({"100|10|1000000|-1100000|2|1", "100|10|-400000|440000|2|2",
                          "101|10|-100000|110000|0|3", "101|11|10000|-900000|0|4"}));
}

void tst_CashProcedures::depoPositionClassifiesDeposits()
{
    Fixture f;
    QVERIFY2(f.ok(), f.error());
    QVERIFY2(addCashDeals(f), f.error());
    // 7: 100k taken from BANKB for 400 days at 3%; 8: 50k taken from BANKB on 12-10
    QVERIFY2(f.add(deposit(7, 100000, "2026-12-08", "2028-01-12", 3, 400, "BANKB", 101)), f.error());
    QVERIFY2(f.add(deposit(8, 50000, "2026-12-10", "2026-12-11", 2, 1, "BANKB", 101)), f.error());
    QVERIFY2(f.storeRange(5, 2, QStringLiteral("2026-12-01"), QStringLiteral("2026-12-31")), f.error());
    bool ok = false;
    const auto sets = f.run(QStringLiteral("cnt_DepoPosition"),
                            {{kUser, Fixture::user()}, {kToday, QStringLiteral("2026-12-04")}}, &ok);
    QVERIFY2(ok, f.error());
    // Deposit 6 continues deposit 5 (same counterparty, currency and side):
    // a rollover (4); deposit 8 starts when 5 matures but on the other side.
    const QStringList expected = {
        "2|2026-12-08|-360000|5|2|1|100|5",
        "2|2026-12-08|100000|3|400|2|-3333.3333|7",
        "2|2026-12-10|-360000|5|2|4|100|6",
        "2|2026-12-10|50000|2|1|1|-2.7778|8",
    };
    QCOMPARE(columns(sets.at(0), {"Ccy", "ValDate", "Volume", "Rate", "Duration", "DepoType", "Interest", "TradeID"}),
             expected);
}

void tst_CashProcedures::depoReportComputesDaysSummariesAndCounts()
{
    Fixture f;
    QVERIFY2(f.ok(), f.error());
    QVERIFY2(f.exec(QStringLiteral("INSERT INTO CustomSettings (CustomID, Name, CustomValue) "
                                   "VALUES (1020, 'Deposit interest tax', 20)")),
             f.error());
    // 12-08: 1M given at 5% and 400k taken at 3%; 12-09: only given; one USD deposit
    QVERIFY2(f.add(deposit(1, -1000000, "2026-12-08", "2026-12-15", 5, 7)), f.error());
    QVERIFY2(f.add(deposit(2, 400000, "2026-12-08", "2026-12-15", 3, 7, "BANKB", 101)), f.error());
    QVERIFY2(f.add(deposit(3, -200000, "2026-12-09", "2026-12-10", 4, 1)), f.error());
    Deal usd = deposit(4, -360000, "2026-12-09", "2026-12-11", 5, 2);
    usd.ccy1 = 1;
    QVERIFY2(f.add(usd), f.error());
    bool ok = false;
    const auto sets = f.run(QStringLiteral("ncnt_DepoReport1"), {{kUser, Fixture::user()}}, &ok);
    QVERIFY2(ok, f.error());
    QCOMPARE(sets.size(), 3);
    const QStringList expected = {
        "1|2026-12-09|-360000|5|4|-360000|5|4|0|-|-|1|100|0",
        "1|-|-360000|5|4|-360000|5|4|0|-|-|1|100|2",
        "2|2026-12-08|-600000|6.333333333|5.066666667|-1000000|5|4|400000|3|2.4|2|738.8889|0",
        "2|2026-12-09|-200000|4|3.2|-200000|4|3.2|0|-|-|1|22.2222|0",
        "2|-|-800000|5.75|4.6|-1200000|4.833333333|3.866666667|400000|3|2.4|3|761.1111|2",
    };
    QCOMPARE(columns(sets.at(0), {"Ccy", "ODate", "Pozition", "PozitionRate", "PozitionRateT", "Given", "ARGive",
                                  "ARTGive", "Taken", "ARTake", "ARTTake", "Deals", "Interest", "Summary"}),
             expected);
    QCOMPARE(columns(sets.at(0), {"GiveInterest", "TakeInterest"}).at(2), QStringLiteral("972.2222|-233.3333"));
    QCOMPARE(columns(sets.at(1), {"Ccy", "ODate", "TradeID", "Tax", "RateTax"}),
             QStringList({"1|2026-12-09|4|20|4", "2|2026-12-08|1|194.4444|4", "2|2026-12-08|2|-46.6667|2.4",
                          "2|2026-12-09|3|4.4444|3.2"}));
    QCOMPARE(columns(sets.at(2), {"CcyCount", "DealCount"}), QStringList{"2|4"});
}

void tst_CashProcedures::brokerPositionSumsCommissionPerBrokerDayAndCurrency()
{
    Fixture f;
    QVERIFY2(f.ok(), f.error());
    Deal booked;                    // 1: EBS, 50 USD booked
    booked.tradeId = 1;
    booked.broker = QStringLiteral("1");
    booked.commission = QStringLiteral("50");
    booked.commissionCcy = QStringLiteral("USD");
    Deal euro = booked;             // 2: EBS, 30 EUR booked
    euro.tradeId = 2;
    euro.commission = QStringLiteral("30");
    euro.commissionCcy = QStringLiteral("EUR");
    Deal tariff = booked;           // 3: EBS, nothing booked: 20 USD per million US dollars of 2M EUR at 1.1
    tariff.tradeId = 3;
    tariff.volume1 = -2000000;
    tariff.commission = QStringLiteral("NULL");
    Deal nextDay = booked;          // 4: EBS the next day
    nextDay.tradeId = 4;
    nextDay.dealTime = QStringLiteral("2026-12-05 09:30:00");
    Deal pound = booked;            // 5: ICAP, 12 GBP booked: no GBP rate
    pound.tradeId = 5;
    pound.broker = QStringLiteral("2");
    pound.commissionCcy = QStringLiteral("GBP");
    pound.commission = QStringLiteral("12");
    Deal direct;                    // 6: no broker
    direct.tradeId = 6;
    for (const Deal &d : {booked, euro, tariff, nextDay, pound, direct})
        QVERIFY2(f.add(d), f.error());
    bool ok = false;
    const auto sets = f.run(QStringLiteral("cnt_BrokerPosition"),
                            {{kUser, Fixture::user()}, {kToday, QStringLiteral("2026-12-04")}}, &ok);
    QVERIFY2(ok, f.error());
    // A broker-day with two currencies gives two rows; the euro converts at
    // the last rate on or before the report date (1.1 of 12-03).
    const QStringList expected = {
        "1|2026-12-04|1|50|44|94|94|1",
        "1|2026-12-04|2|30|0|30|33|1.1",
        "1|2026-12-05|1|50|0|50|50|1",
        "2|2026-12-04|4|12|0|12|0|0",
    };
    QCOMPARE(columns(sets.at(0), {"BrID", "TTDate", "Ccy", "DealsVolume", "DailyVolume", "SumVolume", "USDSum",
                                  "RecRate"}),
             expected);
}

void tst_CashProcedures::brokerPositionReadsBrokerSelection()
{
    Fixture f;
    QVERIFY2(f.ok(), f.error());
    Deal ebs;
    ebs.tradeId = 1;
    ebs.broker = QStringLiteral("1");
    ebs.commission = QStringLiteral("5");
    ebs.commissionCcy = QStringLiteral("USD");
    Deal icap = ebs;
    icap.tradeId = 2;
    icap.broker = QStringLiteral("2");
    icap.dealTime = QStringLiteral("2026-12-07 10:00:00");
    QVERIFY2(f.add(ebs) && f.add(icap), f.error());
    // The brokers report's dealer box holds broker numbers.
    QVERIFY2(f.store(QStringLiteral("StoreDealerF"), {{kUser, Fixture::user()}, {QStringLiteral("@ownID"), 15},
                                                     {QStringLiteral("@isDelete"), 1},
                                                     {QStringLiteral("@StaffID"), 2}}),
             f.error());
    QVERIFY2(f.storeRange(15, 1, QStringLiteral("2026-12-07"), QStringLiteral("2026-12-07")), f.error());
    bool ok = false;
    const auto sets = f.run(QStringLiteral("cnt_BrokerPosition"),
                            {{kUser, Fixture::user()}, {kToday, QStringLiteral("2026-12-07")}}, &ok);
    QVERIFY2(ok, f.error());
    QCOMPARE(columns(sets.at(0), {"BrID", "TTDate", "Ccy", "SumVolume"}), QStringList{"2|2026-12-07|1|5"});
}

QTEST_GUILESS_MAIN(tst_CashProcedures)
#include "tst_cashprocedures.moc"

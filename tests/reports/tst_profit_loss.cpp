// The profit and loss report without a display: the revaluation of each row
// at the administrator's rate or the rate program's, the summary rows with
// their weighted rates and the rule for an empty one, the figures of the
// toolbar, and the report's life with the rate program (the window closed by
// the user, the program released when the report is cleared), a run on a
// database with its commission totals, the US dollar / rouble book on a day
// without deals, the range report's dealer rows with their total, and the
// profit by currency report's days, filters, date ranges and totals; a slow
// run replaced by the next one.
// The report's rows on a generated database are checked by
// tst_profit_loss_demo and the golden files.

#include "ReportHost.h"

#include "ProfitCurrency.h"
#include "ProfitLossLogic.h"
#include "ProfitTotals.h"
#include "Profit_Loss.h"
#include "Profit_LossRange.h"
#include "Profit_LossUSDRUB.h"
#include "RateProgram.h"

#include "Connection.h"
#include "Currency.h"
#include "FilterStore.h"
#include "DateTime.h"
#include "Recordset.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QRegularExpression>
#include <QTest>

using data::Currency;
using reporttest::Host;

namespace {

/// One position row as cnt_ProfitLoss returns it, amounts in units.
struct Position
{
    int id;
    const char *code;
    bool direct;
    const char *valDate;
    double sell = 0, buy = 0, commission = 0, move = 0;
    double startRate = 0, currentRate = 0;
    qint64 deals = 1;
};

data::RecordsetPtr positions(const QList<Position> &rows)
{
    using T = data::DataType;
    auto rs = std::make_shared<data::Recordset>();
    auto fields = rs->Fields();
    for (const char *money : {"Sell", "Buy", "Comission", "moveOVP"})
        fields.Append(QString::fromLatin1(money), T::Currency, 8);
    fields.Append(QStringLiteral("Caption"), T::Integer, 4);
    fields.Append(QStringLiteral("ValDate"), T::Date, 8);
    fields.Append(QStringLiteral("StartRate"), T::Double, 8);
    fields.Append(QStringLiteral("CurrentRate"), T::Double, 8);
    fields.Append(QStringLiteral("Deals"), T::BigInt, 8);
    fields.Append(QStringLiteral("CcyCode"), T::VarWChar, 3);
    fields.Append(QStringLiteral("DirectQuote"), T::Integer, 4);
    rs->Open();
    for (const Position &p : rows) {
        rs->AddNew();
        const auto set = [&rs](const char *name, const data::Value &v) { rs->Fields(QString::fromLatin1(name)).setValue(v); };
        set("Caption", p.id);
        set("CcyCode", QString::fromLatin1(p.code));
        set("DirectQuote", p.direct ? 1 : 0);
        set("ValDate", data::DateTime::fromDate(QDate::fromString(QString::fromLatin1(p.valDate), Qt::ISODate)));
        set("Sell", Currency::fromDouble(p.sell));
        set("Buy", Currency::fromDouble(p.buy));
        set("Comission", Currency::fromDouble(p.commission));
        set("moveOVP", Currency::fromDouble(p.move));
        set("StartRate", p.startRate);
        set("CurrentRate", p.currentRate);
        set("Deals", p.deals);
        rs->Update();
    }
    rs->MoveFirst();
    return rs;
}

/// A rate program that answers from a table and has no window.
class TableRates final : public services::RateProgram
{
public:
    QHash<QString, services::RateQuote> quotes;
    void ShowWindow() override {}
    void HideWindow() override {}
    std::optional<services::RateQuote> QueryRate(const QString &code, const QDate &) const override
    {
        return quotes.contains(code) ? std::optional(quotes.value(code)) : std::nullopt;
    }
    void CloseProgram() override { Q_EMIT RateClose(); }
};

struct Built
{
    data::RecordsetPtr display;
    DisplayCounts counts;
};

Built build(const QList<Position> &rows, QVariantMap switches = {},
            std::shared_ptr<const services::RateProgram> rates = nullptr)
{
    static const ProfitLossLogic logic;
    auto display = std::make_shared<data::Recordset>();
    for (const DisplayField &f : logic.layout().fields)
        display->Fields().Append(QString::fromLatin1(f.name), f.type, f.size);
    display->Open();
    RunQuery run;
    run.switches = std::move(switches);
    run.rates = std::move(rates);
    data::RecordsetPtr in = positions(rows);
    Built built{display, logic.buildRunDisplay(*in, *display, run)};
    return built;
}

/// The named fields of every display row, joined with '|'.
QStringList rowTexts(data::Recordset &rs, const QStringList &fields)
{
    QStringList rows;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
        QStringList cells;
        for (const QString &name : fields)
            cells << reporttest::cellText(rs.Fields(name).value());
        rows << cells.join(u'|');
    }
    return rows;
}

const QStringList RowFields = {"Caption", "OpenPosition", "CurrentRate", "ProfitLoss", "RateFound"};

} // namespace

Q_DECLARE_METATYPE(Position)

class TestProfitLoss : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_settingsDir.isValid());
        reporttest::startReportTests(m_settingsDir);
    }

    void rowIsRevaluedAtItsRate_data()
    {
        QTest::addColumn<Position>("position");
        QTest::addColumn<bool>("recalc");
        QTest::addColumn<QString>("row");
        QTest::newRow("usd-is-worth-one-dollar")
            << Position{1, "USD", false, "2026-12-08", -500, 0, 0, 0, 0, 0} << false << "1|-500|1|-500|True";
        QTest::newRow("direct-quote-multiplies")
            << Position{2, "EUR", true, "2026-12-08", 0, 1000, 0, 0, 1.1, 1.2} << false << "2|1000|1.2|1200|True";
        QTest::newRow("other-quote-divides")
            << Position{5, "JPY", false, "2026-12-08", 0, 120000, 0, 0, 119, 120} << false << "5|120000|120|1000|True";
        QTest::newRow("no-rate-is-worth-nothing")
            << Position{9, "ZAR", false, "2026-12-08", 0, 1000, 0, 0, 18, 0} << false << "9|1000|0|0|False";
        QTest::newRow("no-start-rate-is-marked")
            << Position{9, "ZAR", false, "2026-12-08", 0, 1850, 0, 0, 0, 18.5} << false << "9|1850|18.5|100|False";
        QTest::newRow("recalculation-adds-the-start-position")
            << Position{2, "EUR", true, "2026-12-08", 0, 1000, 0, 500, 1.1, 1.2} << true << "2|1500|1.2|1800|True";
        QTest::newRow("without-recalculation-the-start-position-is-shown-only")
            << Position{2, "EUR", true, "2026-12-08", 0, 1000, 0, 500, 1.1, 1.2} << false << "2|1000|1.2|1200|True";
    }
    void rowIsRevaluedAtItsRate()
    {
        QFETCH(Position, position);
        QFETCH(bool, recalc);
        QFETCH(QString, row);
        const Built built = build({position}, {{QStringLiteral("WithRecalc"), recalc}});
        QCOMPARE(rowTexts(*built.display, RowFields).first(), row);
    }

    void summaryWeighsItsRatesByTheOpenPositions()
    {
        const Built built = build({{2, "EUR", true, "2026-12-07", -100, 0, 10, 200, 1.0, 1.1, 2},
                                   {2, "EUR", true, "2026-12-08", 0, 300, 0, 0, 1.0, 1.3, 3}});
        QCOMPARE(rowTexts(*built.display, {"Summary", "StartPosition", "StartRate", "Sell", "Buy", "OpenPosition",
                                           "Commission", "CurrentRate", "ProfitLoss", "Deals", "NegSumm",
                                           "CurrentFilter"}),
                 (QStringList{"False|200|1|-100|0|-100|10|1.1|-110|2|-|Ccy = 2 AND ValDate = #12/7/2026#",
                              "False|0|1|0|300|300|0|1.3|390|3|-|Ccy = 2 AND ValDate = #12/8/2026#",
                              "True|200|1|-100|300|200|10|1.25|280|5|False|Ccy = 2"}));
        QCOMPARE(built.counts.groups, 1);
        QCOMPARE(built.counts.deals, 5);
    }

    void emptySummaryRateIsReplaced_data()
    {
        QTest::addColumn<QList<Position>>("rows");
        QTest::addColumn<QString>("summary");   // StartRate|CurrentRate|ProfitLoss|NegSumm
        QTest::newRow("traded-amounts-that-cancel-give-zero")
            << QList<Position>{{5, "JPY", false, "2026-12-08", -1000, 1000, 0, 0, 119, 120}} << "-|0|0|False";
        QTest::newRow("no-turnover-takes-the-last-rows-rate")
            << QList<Position>{{5, "JPY", false, "2026-12-08", 0, 0, 0, 0, 119, 120, 0},
                               {5, "JPY", false, "2026-12-09", 0, 0, 0, 0, 119, 121, 0}}
            << "-|121|0|False";
        QTest::newRow("a-loss-is-marked")
            << QList<Position>{{5, "JPY", false, "2026-12-08", -12000, 0, 0, 0, 119, 120}} << "-|120|-100|True";
    }
    void emptySummaryRateIsReplaced()
    {
        QFETCH(QList<Position>, rows);
        QFETCH(QString, summary);
        const Built built = build(rows);
        QCOMPARE(rowTexts(*built.display, {"StartRate", "CurrentRate", "ProfitLoss", "NegSumm"}).last(), summary);
    }

    void marketRateComesFromTheRateProgram_data()
    {
        QTest::addColumn<bool>("program");
        QTest::addColumn<int>("status");
        QTest::addColumn<double>("bid");
        QTest::addColumn<QStringList>("rows");
        const QString usd = QStringLiteral("1|-1000|1|-1000|True");
        QTest::newRow("firm-or-indicative-quote-gives-its-mid")
            << true << 1 << 30.10 << QStringList{usd, "3|3020|30.2|100|True"};
        QTest::newRow("unusable-status-gives-no-rate") << true << 2 << 30.10 << QStringList{usd, "3|3020|0|0|False"};
        QTest::newRow("negative-side-gives-no-rate") << true << 0 << -1.0 << QStringList{usd, "3|3020|0|0|False"};
        QTest::newRow("absent-program-gives-no-rate-but-usd") << false << 0 << 0.0
                                                              << QStringList{usd, "3|3020|0|0|False"};
    }
    void marketRateComesFromTheRateProgram()
    {
        QFETCH(bool, program);
        QFETCH(int, status);
        QFETCH(double, bid);
        QFETCH(QStringList, rows);
        std::shared_ptr<TableRates> rates;
        if (program) {
            rates = std::make_shared<TableRates>();
            rates->quotes.insert(QStringLiteral("RUB"), {status, bid, 30.30});
            rates->quotes.insert(QStringLiteral("USD"), {2, 0, 0});   // never asked: USD is 1
        }
        // The rows' administrator's rates are not used.
        const Built built = build({{1, "USD", false, "2026-12-08", -1000, 0, 0, 0, 0, 0},
                                   {3, "RUB", false, "2026-12-08", 0, 3020, 0, 0, 30, 31}},
                                  {{QStringLiteral("WithAdminRate"), false}}, rates);
        // The value-date rows: a summary row has no RateFound.
        const QStringList detail = rowTexts(*built.display, RowFields);
        QCOMPARE(detail.filter(QRegularExpression(QStringLiteral("(True|False)$"))), rows);
    }

    void figuresAreTheTotalResultAndTheCommissionInDollars()
    {
        const Built built = build({{2, "EUR", true, "2026-12-08", 0, 1000, 10, 0, 1.1, 1.2},
                                   {5, "JPY", false, "2026-12-08", -120000, 0, 1200, 0, 119, 120},
                                   {9, "ZAR", false, "2026-12-08", 0, 1000, 5, 0, 18, 0}});
        QCOMPARE(built.counts.figures.value(ProfitLossLogic::ProfitFigure).value<Currency>(), Currency::fromUnits(200));
        // ZAR's commission has no rate: it counts in no dollar total.
        QCOMPARE(built.counts.figures.value(ProfitLossLogic::CommissionFigure).value<Currency>(),
                 Currency::fromUnits(22));
    }

    void rateWindowClosedByTheUserUnchecksItsTool()
    {
        reporttest::Fixture db;
        QVERIFY2(db.ok(), db.error());
        QVERIFY(reporttest::openReportSession(db.connectionString(), QStringLiteral("pl"), QStringLiteral("Profit/Loss")));
        SessionContext::instance().setValueFormat(QStringLiteral("#,##0.00"));
        Host host;
        Profit_Loss report;
        host.wire(report);
        QVERIFY(report.ReutersRate);
        QVERIFY(host.toolbar.enabled(QStringLiteral("ID_ReutersRate")));
        QVERIFY(host.toolbar.enabled(QStringLiteral("ID_RateSource")));
        QCOMPARE(host.toolbar.texts.value(QStringLiteral("ID_Profit")), QStringLiteral("0.00"));

        host.toolbar.states[QStringLiteral("ID_ReutersRate")] = 1;
        Q_EMIT report.ReutersRate->RateClose();
        QCOMPARE(host.toolbar.states.value(QStringLiteral("ID_ReutersRate")), 0);
        QVERIFY(report.ReutersRate);

        const QPointer<services::RateProgram> program = report.ReutersRate.get();
        report.ClearUtil();
        QVERIFY(!report.ReutersRate);
        QVERIFY(program);   // still inside its own closing
        QTRY_VERIFY(!program);
    }

    void summariesArePlainInTheSummaryView()
    {
        reporttest::Fixture db;
        QVERIFY2(db.ok(), db.error());
        QVERIFY(reporttest::openReportSession(db.connectionString(), QStringLiteral("pl"), QStringLiteral("Profit/Loss")));
        Host host;
        Profit_Loss report;
        host.wire(report, vwSummary);
        QCOMPARE(host.grid.boldHighlights.value(QStringLiteral("Summ"), true), false);
        QCOMPARE(host.grid.boldHighlights.value(QStringLiteral("NegSumm"), true), false);
        AllSettings all;
        all.DisplaySetting = vwAll;
        report.setViewSetting(all);
        report.RebindTable();
        QCOMPARE(host.grid.boldHighlights.value(QStringLiteral("Summ")), true);
        QCOMPARE(host.grid.boldHighlights.value(QStringLiteral("NegSumm")), true);
    }

    void withoutARateProgramItsToolsAreDisabled()
    {
        reporttest::Fixture db;
        QVERIFY2(db.ok() && db.exec(QStringLiteral("DROP TABLE MarketRates")), db.error());
        QVERIFY(reporttest::openReportSession(db.connectionString(), QStringLiteral("pl"), QStringLiteral("Profit/Loss")));
        Host host;
        auto report = std::make_unique<Profit_Loss>();
        host.wire(*report);
        QVERIFY(!report->ReutersRate);
        QVERIFY(!host.toolbar.enabled(QStringLiteral("ID_ReutersRate")));
        QVERIFY(!host.toolbar.enabled(QStringLiteral("ID_RateSource")));
        report->ShowReutersRate();   // nothing to show, and no failure
        report->ClearUtil();
        report.reset();
    }

    void runShowsTheTotalsWithAndWithoutCommission_data()
    {
        QTest::addColumn<bool>("withCommission");
        QTest::addColumn<QString>("shown");
        // EUR bought and sold again: nothing; USD -1,100,000 and +1,200,000:
        // 100,000. The booked 50 EUR are 60 dollars; EBS's tariff of 20 USD
        // per million on the deal booked without one is the procedure's
        // @TotalCom, subtracted only with the switch on.
        QTest::newRow("without-the-tariff") << false << "99,940.00";
        QTest::newRow("with-the-tariff") << true << "99,920.00";
    }
    void runShowsTheTotalsWithAndWithoutCommission()
    {
        QFETCH(bool, withCommission);
        QFETCH(QString, shown);
        reporttest::Fixture db;
        QVERIFY2(db.ok(), db.error());
        QVERIFY2(db.exec(QStringLiteral("INSERT INTO AdminRates (CcyID, RateDate, Rate) VALUES (2, '2026-12-04', 1.2)")),
                 db.error());
        reporttest::Deal booked;   // 1,000,000 EUR bought at 1.1 through ICAP, 50 EUR commission booked
        booked.commission = QStringLiteral("50");
        booked.commissionCcy = QStringLiteral("EUR");
        booked.broker = QStringLiteral("2");
        reporttest::Deal tariff;   // sold again at 1.2 through EBS, nothing booked
        tariff.side = 2;
        tariff.volume1 = -1000000;
        tariff.rate1 = 1.2;
        tariff.broker = QStringLiteral("1");
        QVERIFY2(db.add(booked) && db.add(tariff), db.error());
        QVERIFY(reporttest::openReportSession(db.connectionString(), QStringLiteral("pl"), QStringLiteral("Profit/Loss")));
        SessionContext::instance().setValueFormat(QStringLiteral("#,##0.00"));
        Host host;
        Profit_Loss report;
        host.wire(report);
        report.setProperty("WithCommission", withCommission);
        QVERIFY(host.run(report));
        QVERIFY2(MessageService::instance().messages().isEmpty(), qPrintable(MessageService::instance().lastMessage()));
        QCOMPARE(host.toolbar.texts.value(QStringLiteral("ID_Profit")), QStringLiteral("100,000.00"));
        QCOMPARE(host.toolbar.texts.value(QStringLiteral("ID_ProffitWithCommission")), shown);
    }

    // A day without deals still has the positions carried into it.
    void usdRubBookShowsCarriedPositionsOnADayWithoutDeals()
    {
        reporttest::Fixture db;
        QVERIFY2(db.ok(), db.error());
        reporttest::Deal carried;   // USD/RUB bought the day before, settling after the report day
        carried.dealTime = QStringLiteral("2026-12-03 11:00:00");
        carried.pair = QStringLiteral("11");
        carried.ccy1 = 1;
        carried.ccy2 = QStringLiteral("3");
        carried.volume1 = 1000;
        carried.rate1 = 90;
        carried.valDate1 = QStringLiteral("2026-12-07");
        reporttest::Deal euro;   // not of the book
        euro.dealTime = carried.dealTime;
        QVERIFY2(db.add(carried) && db.add(euro), db.error());
        QVERIFY(reporttest::openReportSession(db.connectionString(), QStringLiteral("pl"),
                                              QStringLiteral("Profit/Loss USD/RUB")));
        SessionContext::instance().setValueFormat(QStringLiteral("#,##0.00"));
        Host host;
        Profit_LossUSDRUB report;
        QCOMPARE(report.ownerNumber(), 30);
        host.wire(report);
        report.setWithRecalc(true);
        QVERIFY(host.run(report));
        QVERIFY2(MessageService::instance().messages().isEmpty(), qPrintable(MessageService::instance().lastMessage()));
        QVERIFY(report.DisplayRecordset());
        // USD +1,000 and RUB -90,000 at 100 (the rouble's latest rate): -900.
        QCOMPARE(rowTexts(*report.DisplayRecordset(), {"Caption", "Summary", "OpenPosition", "ProfitLoss", "Deals"}),
                 (QStringList{"1|False|1000|1000|0", "1|True|1000|1000|0", "3|False|-90000|-900|0",
                              "3|True|-90000|-900|0"}));
        QCOMPARE(report.NumTable, 2);
        QCOMPARE(host.toolbar.texts.value(QStringLiteral("ID_Profit")), QStringLiteral("100.00"));
    }

    void rangeListsEveryDealerAndTheirTotal()
    {
        reporttest::Fixture db;
        QVERIFY2(db.ok(), db.error());
        reporttest::Deal first;   // JD: 1,000,000 EUR bought at 1.1, worth 1.1: 0
        reporttest::Deal second;   // AS: the same at 1.05 for a client: +50,000
        second.dealer = QStringLiteral("AS");
        second.staffId = 8;
        second.rate1 = 1.05;
        second.client = 2;
        QVERIFY2(db.add(first) && db.add(second), db.error());
        QVERIFY(reporttest::openReportSession(db.connectionString(), QStringLiteral("pl"),
                                              QStringLiteral("Profit/Loss Range")));
        SessionContext::instance().setValueFormat(QStringLiteral("#,##0.00"));
        Host host;
        Profit_LossRange report;
        host.wire(report);
        QCOMPARE(host.toolbar.visible_.value(QStringLiteral("ID_DetailWIndow"), true), false);
        QCOMPARE(host.toolbar.visible_.value(QStringLiteral("ID_ReutersRate"), true), false);
        // Value dates from today to 12-08, at the rate of 12-08 (the one of 12-03).
        QVERIFY(report.setQueryField(QStringLiteral("EndDate"), QDate(2026, 12, 8))
                && report.setQueryField(QStringLiteral("EndLong"), 4));
        QVERIFY(host.run(report));
        QVERIFY2(MessageService::instance().messages().isEmpty(), qPrintable(MessageService::instance().lastMessage()));
        QCOMPARE(rowTexts(*report.DisplayRecordset(), {"Caption", "ClientDeals", "ClientCount", "Value", "Deals",
                                                       "ProfitLoss", "Summary"}),
                 (QStringList{"7|0|0|1100000|1|0|False", "8|1100000|1|1100000|1|50000|False",
                              "0|1100000|1|2200000|2|50000|True"}));
        QCOMPARE(host.toolbar.texts.value(QStringLiteral("ID_Profit")), QStringLiteral("50,000.00"));

        // The range's end is kept as "End Date", as the profit reports store it.
        const QString path = QueryKey(report.App_Name, QueryKey::currentQueryName()).path();
        QVERIFY(RegistryAccess::instance().ReadValue(path, QStringLiteral("End Date")).isValid());
        QVERIFY(!RegistryAccess::instance().ReadValue(path, QueryKey::valueDateName()).isValid());
        report.ClearUtil();
        QCOMPARE(host.toolbar.visible_.value(QStringLiteral("ID_DetailWIndow")), true);
    }

    void profitByCurrencyListsItsDaysAndTheServersTotals()
    {
        reporttest::Fixture db;
        QVERIFY2(db.ok(), db.error());
        reporttest::Deal sold;   // 500 EUR sold at 1.1 on 12-08
        sold.tradeId = sold.ticket = 501;
        sold.side = 2;
        sold.volume1 = -500;
        reporttest::Deal later = sold;   // and 1,000 more on 12-09
        later.tradeId = later.ticket = 502;
        later.volume1 = -1000;
        later.valDate1 = QStringLiteral("2026-12-09");
        QVERIFY2(db.add(sold) && db.add(later), db.error());
        QVERIFY(reporttest::openReportSession(db.connectionString(), QStringLiteral("pl"),
                                              QStringLiteral("Profit/Loss Currency")));
        SessionContext::instance().setValueFormat(QStringLiteral("#,##0.00"));
        Host host;
        ProfitCurrency report;
        host.wire(report);
        QVERIFY(host.run(report));
        QVERIFY2(MessageService::instance().messages().isEmpty(), qPrintable(MessageService::instance().lastMessage()));
        const QStringList euro = rowTexts(*report.DisplayRecordset(), {"Caption", "Date", "Sell", "Buy", "Total",
                                                                       "Deals", "NegSumm", "CurrentFilter"})
                                     .filter(QRegularExpression(QStringLiteral("^2\\|")));
        QCOMPARE(euro, (QStringList{"2|2026-12-08|-500|0|-500|1|False|TradeID = 501",
                                    "2|2026-12-09|-1000|0|-1000|1|False|TradeID = 502",
                                    "2|-|-1500|0|-1500|2|True|TradeID = 501 OR TradeID = 502"}));
        // The server's totals: 1,500 EUR sold for 1,650 USD, at the latest
        // administrator's rate (1.2, the range is open) -1,800 + 1,650; the
        // central bank has no euro rate, so only the dollars count there.
        QCOMPARE(host.toolbar.texts.value(QStringLiteral("ID_Profit")), QStringLiteral("-150.00"));
        QCOMPARE(host.toolbar.colors.value(QStringLiteral("ID_Profit")), ProfitTotals::NegativeColor);
        QCOMPARE(host.toolbar.texts.value(QStringLiteral("ID_ProffitWithCommission")), QStringLiteral("1,650.00"));

        // The deal dates are kind 1 as the captions "Start Trade"/"End Trade"
        // say, the value dates kind 2 ("Start Value"/"End Value").
        QVERIFY(report.setQueryField(QStringLiteral("EndDate"), QDate(2026, 12, 4))
                && report.setQueryField(QStringLiteral("EndLong"), 0)
                && report.setQueryField(QStringLiteral("ValDate1"), QDate(2026, 12, 8))
                && report.setQueryField(QStringLiteral("ValLong1"), 4));
        data::Connection connection;
        QVERIFY(connection.Open(db.connectionString()));
        FilterStore store(connection, QStringLiteral("pl"), report.ownerNumber());
        RunQuery run;
        run.query = report.query();
        run.today = Clock::today();
        QVERIFY(store.createRunScope() && report.logic().storeDates(store, run));
        QStringList ranges;
        for (data::RecordsetPtr rs = connection.Execute(QStringLiteral(
                 "SELECT Kind || '|' || COALESCE(DateFrom, '-') || '|' || COALESCE(DateTo, '-') FROM FilterDateRange "
                 "ORDER BY Kind"));
             rs && !rs->Eof(); rs->MoveNext())
            ranges << rs->Fields(0).value().toString();
        QCOMPARE(ranges, (QStringList{"1|2026-12-04|2026-12-04", "2|2026-12-08|-"}));
    }

    // The first run is slow (its counterparty "SLOW" makes the procedure
    // count for a long while); a second one replaces it. The first one's
    // end, whenever it comes, neither clears the second's rows nor ends the
    // busy state a second time.
    void replacedSlowRunLeavesTheNewerResult()
    {
        reporttest::Fixture db;
        QVERIFY2(db.ok(), db.error());
        QVERIFY2(db.add(reporttest::Deal()), db.error());
        QVERIFY2(db.exec(QStringLiteral(
                     "UPDATE sys_procedures SET body = 'DROP TABLE IF EXISTS temp.slow; CREATE TEMP TABLE slow AS "
                     "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < CASE WHEN EXISTS "
                     "(SELECT 1 FROM FilterBank WHERE Bank1ID = ''SLOW'') THEN 100000000 ELSE 0 END) "
                     "SELECT count(*) AS n FROM c; ' || body WHERE name = 'cnt_ProfitLoss'")),
                 db.error());
        QVERIFY(reporttest::openReportSession(db.connectionString(), QStringLiteral("pl"), QStringLiteral("Profit/Loss")));
        Host host;
        Profit_Loss report;
        host.wire(report);
        QSignalSpy ends(&host.events, &EventClass::UnActivProgress);
        QVERIFY(report.setQueryField(QStringLiteral("Bank"), QStringList{"SLOW"}));
        report.StartAnalyser();
        QTest::qWait(200);   // the slow run is counting
        QCOMPARE(ends.count(), 0);
        QVERIFY(report.setQueryField(QStringLiteral("Bank"), QStringList{"All"}));
        QElapsedTimer clock;
        clock.start();
        report.StartAnalyser();
        QVERIFY(ends.wait(20000));
        QVERIFY2(clock.elapsed() < 5000, "the second run waited for the first");
        QCOMPARE(report.NumTable, 2);
        const int endsOfTheNewer = ends.count();
        QTest::qWait(500);   // the first run's cancelled end arrives and is dropped
        QCOMPARE(ends.count(), endsOfTheNewer);
        QCOMPARE(report.NumTable, 2);
        QVERIFY(report.DisplayRecordset() && report.DisplayRecordset()->RecordCount() == 4);
        QVERIFY(MessageService::instance().messages().isEmpty());
    }

private:
    QTemporaryDir m_settingsDir;
};

QTEST_GUILESS_MAIN(TestProfitLoss)
#include "tst_profit_loss.moc"

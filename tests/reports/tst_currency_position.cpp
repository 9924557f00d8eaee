// The currency position report without a display: what its runs store on
// the server, its display build (totals, the recalculation row with the
// switch on and off, negative totals), the warning before a recalculated run
// with a selection, the switch kept with the query, and a whole run on a
// generated demo database checked against Tickets with SQL of its own.

#include "../db/ReportProcedureFixture.h"
#include "ReportHost.h"

#include "CurrencyPosition.h"

#include "Clock.h"
#include "Connection.h"
#include "DemoDatabase.h"
#include "FilterStore.h"
#include "MessageService.h"
#include "QueryKey.h"
#include "RegistryAccess.h"
#include "SessionContext.h"

#include <QSignalSpy>
#include <QTest>

using data::Currency;
using reporttest::Host;

namespace {

const QString AppName = QStringLiteral("Currency Position");

/// Answers every question as told and keeps what it was asked.
class AnsweringSink final : public MessageSink
{
public:
    explicit AnsweringSink(bool ok, QStringList *asked) : m_ok(ok), m_asked(asked) {}
    void show(const QString &) override {}
    bool confirm(const QString &text) override
    {
        m_asked->append(text);
        return m_ok;
    }

private:
    bool m_ok;
    QStringList *m_asked;
};

QString cell(const data::Value &v)
{
    if (v.isNull())
        return QStringLiteral("-");
    if (v.type() == data::DataType::Currency)
        return v.toCurrency().toString();
    if (v.type() == data::DataType::Date)
        return v.toDate().toIsoString();
    return v.toString();
}

/// Every display row: caption|ticket|dealer|bank|volume|total|deals|summary|negSumm.
QStringList displayRows(const Report &report)
{
    QStringList rows;
    data::RecordsetPtr rs = report.DisplayRecordset();
    if (!rs)
        return rows;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        QStringList cells;
        for (const char *name : {"Caption", "TicketNum", "DealerName", "BankName", "Volume", "Total", "Deals",
                                 "Summary", "NegSumm"})
            cells << cell(rs->Fields(QString::fromLatin1(name)).value());
        rows << cells.join(u'|');
    }
    return rows;
}

/// Value date 2026-12-08: a EUR/USD buy and sell (USD commission), a
/// GBP/USD sell whose commission is in roubles, which no deal of the day
/// trades; a USD/RUB deal settling a day later.
bool addDeals(reporttest::Fixture &db)
{
    reporttest::Deal buy;
    buy.ticket = 11;
    buy.commission = QStringLiteral("20");
    buy.commissionCcy = QStringLiteral("USD");
    reporttest::Deal sell;
    sell.ticket = 12;
    sell.volume1 = -400000;
    sell.rate1 = 1.2;
    sell.side = 2;
    sell.dealTime = QStringLiteral("2026-12-04 11:00:00");
    reporttest::Deal cable;
    cable.ticket = 13;
    cable.pair = QStringLiteral("12");
    cable.ccy1 = 4;
    cable.volume1 = -300000;
    cable.rate1 = 1.25;
    cable.side = 2;
    cable.bank = QStringLiteral("BANKB");
    cable.cpid = 101;
    cable.dealTime = QStringLiteral("2026-12-04 12:00:00");
    cable.commission = QStringLiteral("50");
    cable.commissionCcy = QStringLiteral("RUB");
    reporttest::Deal later;
    later.ticket = 14;
    later.pair = QStringLiteral("11");
    later.ccy1 = 1;
    later.ccy2 = QStringLiteral("3");
    later.volume1 = 100000;
    later.rate1 = 90;
    later.valDate1 = QStringLiteral("2026-12-09");
    return db.add(buy) && db.add(sell) && db.add(cable) && db.add(later);
}

/// The filter tables of owner 7 as the run's connection holds them, one
/// "table: rows" text per table that has rows.
QStringList storedSelections(data::Connection &connection)
{
    const QList<QPair<QString, QString>> tables = {
        {"FilterDateRange", "Kind || ':' || COALESCE(DateFrom, '') || '..' || COALESCE(DateTo, '')"},
        {"FilterCcy", "CcyID"},
        {"FilterPair", "PairID"},
        {"FilterBank", "Bank1ID"},
        {"FilterDealType", "DealType"},
        {"FilterDealer", "StaffID"},
        {"FilterCondition", "Kind || Op || COALESCE(Value, NumValue)"},
        {"FilterStatus", "StatusID"},
        {"FilterTCID", "TCID"},
    };
    QStringList stored;
    for (const auto &[table, value] : tables) {
        data::RecordsetPtr rs = connection.Execute(
            QStringLiteral("SELECT group_concat(v, ' ') FROM (SELECT %1 AS v FROM %2 WHERE OwnerID = 7 ORDER BY 1)")
                .arg(value, table));
        if (rs && !rs->Eof() && !rs->Fields(0).value().isNull())
            stored << table + QStringLiteral(": ") + rs->Fields(0).value().toString();
    }
    return stored;
}

/// Wires the report to the host and runs it on the value date 2026-12-08.
bool runDay(Host &host, CurrencyPosition &report, bool recalc)
{
    host.wire(report);
    report.setProperty("WithRecalc", recalc);
    return report.setQueryField(QStringLiteral("ValLong"), 4) && host.run(report);
}

} // namespace

class TestCurrencyPosition final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_settingsDir.isValid());
        reporttest::startReportTests(m_settingsDir);
        m_db = std::make_unique<reporttest::Fixture>();
        QVERIFY2(m_db->ok() && addDeals(*m_db), m_db->error());
    }

    void init()
    {
        QVERIFY(reporttest::openReportSession(m_db->connectionString(), reporttest::Fixture::user(), AppName));
        SessionContext::instance().setValueFormat(QStringLiteral("#,##0.00"));
        MessageService::instance().setSink(nullptr);
    }

    void cleanupTestCase()
    {
        MessageService::instance().setSink(nullptr);
        SessionContext::resetInstance();
        Clock::reset();
    }

    // What one run stores for owner 7, straight from the report's logic on a
    // connection of the test's own.
    void storesTheSelectionsOfTheRun_data()
    {
        QTest::addColumn<QVariantMap>("fields");
        QTest::addColumn<bool>("recalc");
        QTest::addColumn<QStringList>("stored");
        const QString day = QStringLiteral("FilterDateRange: 2:2026-12-08..2026-12-08");
        QTest::newRow("absolute-day-is-a-value-date-range")
            << QVariantMap{{"Relative", false}, {"ValDate", QDate(2026, 12, 8)}} << false << QStringList{day};
        QTest::newRow("relative-day-counts-from-today")
            << QVariantMap{{"ValLong", 4}} << false << QStringList{day};
        QTest::newRow("all-stores-no-bound")
            << QVariantMap{{"Relative", false}, {"ValDate", QStringLiteral("All")}} << false << QStringList{};
        QTest::newRow("currencies-and-pairs-by-identifier")
            << QVariantMap{{"ValLong", 4}, {"Pair", QStringList{"EUR", "GBP"}}, {"Pair2", QStringList{"EUR/USD"}}}
            << false << QStringList{day, "FilterCcy: 2 4", "FilterPair: 10"};
        QTest::newRow("recalc-sets-currencies-and-pairs-aside-only")
            << QVariantMap{{"ValLong", 4}, {"Pair", QStringList{"EUR"}}, {"Pair2", QStringList{"EUR/USD"}},
                           {"Bank", QStringList{"BANKA"}}}
            << true << QStringList{day, "FilterBank: BANKA"};
        QTest::newRow("dealer-client-and-two-deal-types")
            << QVariantMap{{"ValLong", 4}, {"Dealer", QStringList{"JD"}}, {"Client", QStringList{"Client"}},
                           {"Deal", QStringList{"Spot", "Swap"}}}
            << false
            << QStringList{day, "FilterDealType: 2 8", "FilterDealer: 7", "FilterCondition: 1=JD 5=2"};
        QTest::newRow("every-deal-type-is-no-restriction")
            << QVariantMap{{"ValLong", 4}, {"Deal", QStringList{"Spot", "Outright", "Swap"}}} << false
            << QStringList{day};
    }
    void storesTheSelectionsOfTheRun()
    {
        QFETCH(QVariantMap, fields);
        QFETCH(bool, recalc);
        QFETCH(QStringList, stored);
        CurrencyPosition report;
        for (auto it = fields.cbegin(); it != fields.cend(); ++it)
            QVERIFY2(report.setQueryField(it.key(), it.value()), qPrintable(it.key()));
        RunQuery run;
        run.query = report.query();
        run.userName = reporttest::Fixture::user();
        run.today = Clock::today();
        run.switches.insert(QStringLiteral("WithRecalc"), recalc);
        // The identifiers the run reads from the directories for these names.
        const QHash<QString, QVariant> ids = {{"EUR", 2}, {"GBP", 4}, {"EUR/USD", 10}, {"JD", 7}};
        for (const auto &[slot, names] : {std::pair{fcCcyBox, run.query.Pair}, std::pair{fcPairBox, run.query.Pair2},
                                          std::pair{fcDealerBox, run.query.Dealer}}) {
            if (!QueryValues::isAll(names)) {
                for (const QString &name : names)
                    run.ids[size_t(slot)].append(ids.value(name));
            }
        }

        data::Connection connection;
        connection.setMode(data::adModeRead);
        QVERIFY(connection.Open(m_db->connectionString()));
        FilterStore store(connection, run.userName, report.ownerNumber());
        QVERIFY(store.createRunScope());
        QVERIFY2(report.logic().storeSelections(store, run),
                 qPrintable(store.lastError() ? store.lastError()->Description : QString()));
        QCOMPARE(storedSelections(connection), stored);
    }

    // The display of the day 2026-12-08: one summary row per currency after
    // its amounts, with the switch off and on.
    void buildsAmountAndSummaryRows_data()
    {
        QTest::addColumn<bool>("recalc");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("deals");
        QTest::addColumn<int>("groups");
        const QStringList deals = {
            "1|11|JD|BANKA|-1100000|-|-|False|False",
            "1|12|JD|BANKA|480000|-|-|False|False",
            "1|13|JD|BANKB|375000|-|-|False|False",
        };
        const QStringList euro = {"2|11|JD|BANKA|1000000|-|-|False|False", "2|12|JD|BANKA|-400000|-|-|False|False"};
        const QString pound = QStringLiteral("4|13|JD|BANKB|-300000|-|-|False|False");
        // Without recalculation the rouble, which has only its commission,
        // has no rows at all.
        QTest::newRow("switch-off-leaves-out-a-currency-with-only-its-recalculation")
            << false
            << deals + QStringList{"1|3|-|-|-245000|-245000|3|True|True"} + euro
                   + QStringList{"2|2|-|-|600000|600000|2|True|False", pound, "4|1|-|-|-300000|-300000|1|True|True"}
            << 6 << 3;
        // With it every summary row carries its recalculation (0 without a
        // commission) and the rouble has a summary row of no amounts.
        QTest::newRow("switch-on-adds-each-recalculation-and-the-commission-only-currency")
            << true
            << deals + QStringList{"1|3|-20|-|-245020|-245020|3|True|True"} + euro
                   + QStringList{"2|2|0|-|600000|600000|2|True|False", "3|0|-50|-|-50|-50|0|True|True", pound,
                                 "4|1|0|-|-300000|-300000|1|True|True"}
            << 6 << 4;
    }
    void buildsAmountAndSummaryRows()
    {
        QFETCH(bool, recalc);
        QFETCH(QStringList, rows);
        QFETCH(int, deals);
        QFETCH(int, groups);
        Host host;
        CurrencyPosition report;
        QSignalSpy reselect(&host.events, &EventClass::ReSelectTabl);
        QVERIFY(runDay(host, report, recalc));
        QVERIFY2(MessageService::instance().messages().isEmpty(), qPrintable(MessageService::instance().lastMessage()));
        QCOMPARE(displayRows(report), rows);
        QCOMPARE(report.NumDeal, deals);
        QCOMPARE(report.NumTable, groups);
        QCOMPARE(reselect.last().at(1).toInt(), deals);
        QCOMPARE(reselect.last().at(2).toInt(), groups);
        QCOMPARE(host.grid.itemCount, rows.size());
    }

    // What the grid shows in a summary row's dealer and counterparty columns.
    void summaryRowTexts_data()
    {
        QTest::addColumn<bool>("recalc");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("texts");   // ticket|dealer|bank
        QTest::newRow("deal-row-keeps-its-values") << false << 0 << "11|JD|BANKA";
        QTest::newRow("summary-without-recalc") << false << 3 << "||Deals: 3";
        QTest::newRow("summary-with-recalc-in-value-format") << true << 3 << "|Recalc: -20.00|Deals: 3";
        QTest::newRow("commission-only-currency") << true << 7 << "|Recalc: -50.00|Deals: 0";
    }
    void summaryRowTexts()
    {
        QFETCH(bool, recalc);
        QFETCH(int, row);
        QFETCH(QString, texts);
        Host host;
        CurrencyPosition report;
        QVERIFY(runDay(host, report, recalc));
        QVector<QVariant> values;
        report.readRow(row, values);
        const auto text = [&](const char *key) {
            const QVariant v = values.value(host.grid.columns[key].index);
            return v.isValid() ? v.toString() : QStringLiteral("-");
        };
        QCOMPARE(QStringList({text("TicketNum"), text("DealerName"), text("BankName")}).join(u'|'), texts);
        // The cell read gives the counterparty column's text as well.
        if (texts.startsWith(u'|'))
            QCOMPARE(report.FitchData(host.grid.columns["BankName"].index, row).toString(), texts.section(u'|', 2));
    }

    // With the switch on the currency and pair selections do not apply; a
    // selection left in the query must be confirmed, and Cancel changes
    // nothing: the grid keeps the last result and the progress stops.
    void recalculationWarning_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("selection");
        QTest::addColumn<bool>("recalc");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<QString>("captions");   // the currencies shown after the refresh
        QTest::newRow("currency-selected-cancel-keeps-the-grid")
            << "Pair" << QStringList{"EUR"} << true << false << true << "2";
        QTest::newRow("pair-selected-cancel-keeps-the-grid")
            << "Pair2" << QStringList{"GBP/USD"} << true << false << true << "2";
        QTest::newRow("currency-selected-ok-shows-every-currency")
            << "Pair" << QStringList{"EUR"} << true << true << true << "1 2 3 4";
        QTest::newRow("pair-selected-ok-shows-every-currency")
            << "Pair2" << QStringList{"GBP/USD"} << true << true << true << "1 2 3 4";
        QTest::newRow("no-selection-no-question") << "Pair" << QStringList{"All"} << true << false << false
                                                  << "1 2 3 4";
        QTest::newRow("switch-off-pair-selection-applies")
            << "Pair2" << QStringList{"GBP/USD"} << false << false << false << "1 4";
        QTest::newRow("switch-off-currency-selection-applies")
            << "Pair" << QStringList{"GBP", "USD"} << false << false << false << "1 4";
    }
    void recalculationWarning()
    {
        QFETCH(QString, field);
        QFETCH(QStringList, selection);
        QFETCH(bool, recalc);
        QFETCH(bool, answer);
        QFETCH(bool, asked);
        QFETCH(QString, captions);
        QStringList questions;
        MessageService::instance().setSink(std::make_unique<AnsweringSink>(answer, &questions));
        Host host;
        CurrencyPosition report;
        host.wire(report);
        QVERIFY(report.setQueryField(QStringLiteral("ValLong"), 4));
        // The last result: the euro alone.
        QVERIFY(report.setQueryField(QStringLiteral("Pair"), QStringList{"EUR"}));
        QVERIFY(host.run(report));
        const QStringList before = displayRows(report);
        QCOMPARE(before.size(), 3);

        QVERIFY(report.setQueryField(QStringLiteral("Pair"), QStringList{"All"}));
        QVERIFY(report.setQueryField(field, selection));
        report.setProperty("WithRecalc", recalc);
        QSignalSpy started(&host.events, &EventClass::InitProgress);
        QSignalSpy stopped(&host.events, &EventClass::UnActivProgress);
        report.StartAnalyser();
        QCOMPARE(questions.size(), asked ? 1 : 0);
        if (asked) {
            QCOMPARE(questions.first(), QStringLiteral("Result may by incorrect with selected list of currency pair "
                                                       "and recalculating position!\rContinue?"));
        }
        if (asked && !answer) {
            QCOMPARE(started.count(), 1);
            QCOMPARE(stopped.count(), 1);
            QVERIFY(!report.isRunning());
            QCOMPARE(displayRows(report), before);
            QCOMPARE(host.grid.itemCount, before.size());
            QCOMPARE(report.committedQuery().Pair, QStringList{"EUR"});
        } else {
            QVERIFY(stopped.count() || stopped.wait(20000));
        }
        QStringList shown;
        for (const QString &row : displayRows(report)) {
            if (row.endsWith(QLatin1String("True|False")) || row.endsWith(QLatin1String("True|True")))
                shown << row.section(u'|', 0, 0);
        }
        QCOMPARE(shown.join(u' '), captions);
    }

    // "With Recalc" and the second pair list are kept with the query and come
    // back, with the tool's check mark, in the next report.
    void switchAndPairListAreKeptWithTheQuery()
    {
        {
            Host host;
            CurrencyPosition report;
            host.wire(report);
            QCOMPARE(host.toolbar.states.value(QStringLiteral("ID_WithRecalculate"), -1), 0);
            QVERIFY(host.toolbar.enabled(QStringLiteral("ID_WithRecalculate")));
            report.setProperty("WithRecalc", true);
            QCOMPARE(host.toolbar.states.value(QStringLiteral("ID_WithRecalculate")), 1);
            QVERIFY(report.setQueryField(QStringLiteral("Pair2"), QStringList{"EUR/USD", "GBP/USD"}));
            QVERIFY(report.setQueryField(QStringLiteral("ValLong"), 4));
            QVERIFY(host.run(report));
        }
        const QueryKey key(AppName, QStringLiteral("Query"));
        QVERIFY(key.readBool(QStringLiteral("With Recalc"), false));
        QCOMPARE(key.readList(QStringLiteral("Pair2")), (QStringList{"EUR/USD", "GBP/USD"}));

        Host host;
        CurrencyPosition report;
        host.wire(report);
        QVERIFY(report.WithRecalc);
        QCOMPARE(host.toolbar.states.value(QStringLiteral("ID_WithRecalculate")), 1);
        QCOMPARE(report.query().Pair2, (QStringList{"EUR/USD", "GBP/USD"}));
        QCOMPARE(report.committedQuery().Pair2, (QStringList{"EUR/USD", "GBP/USD"}));
        QCOMPARE(host.role(fcPairBox, "ArrayChecked").toStringList(), (QStringList{"EUR/USD", "GBP/USD"}));
    }

    // The archive switch reaches the procedure: a settled deal of the day
    // shows only with it on, and only where the archive is available.
    void archiveDealShowsOnlyWithTheSwitchOn_data()
    {
        QTest::addColumn<bool>("available");
        QTest::addColumn<bool>("switchOn");
        QTest::addColumn<int>("deals");
        QTest::newRow("switch-on-adds-the-archive") << true << true << 8;
        QTest::newRow("switch-off-reads-current-deals") << true << false << 6;
        QTest::newRow("no-archive-keeps-the-switch-off") << false << true << 6;
    }
    void archiveDealShowsOnlyWithTheSwitchOn()
    {
        QFETCH(bool, available);
        QFETCH(bool, switchOn);
        QFETCH(int, deals);
        const reporttest::ArchivedDeal settled(*m_db, 71, available);
        QVERIFY2(settled.ok(), m_db->error());
        Host host;
        CurrencyPosition report;
        host.wire(report);
        QCOMPARE(host.toolbar.enabled(QStringLiteral("ID_WithArchive")), available);
        report.setProperty("WithArchive", switchOn);
        QVERIFY(report.setQueryField(QStringLiteral("ValLong"), 4) && host.run(report));
        QCOMPARE(report.NumDeal, deals);
    }

    void filterSlotsColumnsAndTools()
    {
        Host host;
        CurrencyPosition report;
        host.wire(report);
        for (int index : {fcDateReport0, fcCombo1, fcDealBox, fcPairBox, fcCcyBox, fcCptyBox, fcDealerBox,
                          fcLegendBox, fcStatusBox, fcClientBox})
            QVERIFY2(host.filters[size_t(index)]->property("visible").toBool(), qPrintable(QString::number(index)));
        for (int index : {fcDateReport1, fcComboNetting, fcTypeDate, fcLoroNostro, fcTCIDBox, fcDateReport2,
                          fcDateReport3})
            QVERIFY2(!host.filters[size_t(index)]->property("visible").toBool(), qPrintable(QString::number(index)));
        QCOMPARE(host.captions[fcDateReport0]->property("text").toString(), QStringLiteral("Value Date"));
        QCOMPARE(host.role(fcDealBox, "SArrayData").toStringList(), (QStringList{"Spot", "Outright", "Swap"}));
        QVERIFY(!host.role(fcCcyBox, "SArrayData").toList().isEmpty());
        QVERIFY(!host.toolbar.enabled(QStringLiteral("ID_ShowTicket")));
        // The negative total's red comes after the summary rows' blue, so it wins.
        QCOMPARE(host.grid.highlights, (QStringList{"Summ", "NegSumm", "Negative"}));
        QCOMPARE(host.grid.columns.size(), 13);
        QCOMPARE(host.grid.columns["Total"].format, SessionContext::instance().ValueFormat());
        QVERIFY(host.grid.valueLists[QStringLiteral("DealType")].entries == 3);
        QVERIFY(host.grid.valueLists[QStringLiteral("Caption")].entries > 0);
    }

    // A run on a generated demo database: the amount rows are the day's legs
    // of Tickets (own SQL), every summary row is the sum and count of the
    // amount rows above it, plus the commission (own SQL) when recalculated.
    void demoDayEqualsFiguresFromTickets_data()
    {
        QTest::addColumn<bool>("recalc");
        QTest::addColumn<int>("offset");
        QTest::newRow("today") << false << 0;
        QTest::newRow("today-recalculated") << true << 0;
        QTest::newRow("yesterday-recalculated-commission-on-traded-currency") << true << -1;
        QTest::newRow("next-monday-spot-and-forward-legs") << false << 3;
    }
    void demoDayEqualsFiguresFromTickets()
    {
        QFETCH(bool, recalc);
        QFETCH(int, offset);
        const QString path = demoDatabase();
        QVERIFY(!path.isEmpty());
        const QString connection = QStringLiteral("Provider=SQLite;Data Source=") + path;
        QVERIFY(SessionContext::instance().OpenSession(connection));
        const QString day = Clock::today().addDays(offset).toString(Qt::ISODate);

        Host host;
        CurrencyPosition report;
        host.wire(report);
        QVERIFY(report.setQueryField(QStringLiteral("ValLong"), offset));
        report.setProperty("WithRecalc", recalc);
        QVERIFY(host.run(report));
        QVERIFY2(MessageService::instance().messages().isEmpty(), qPrintable(MessageService::instance().lastMessage()));
        data::RecordsetPtr rs = report.DisplayRecordset();
        QVERIFY(rs);

        data::Connection db;
        QVERIFY(db.Open(connection));
        const QString legs = QStringLiteral(
            "WITH legs AS ("
            " SELECT Ccy1 AS Ccy, Volume1 AS V, ValDateP1C1 AS D, t.* FROM Tickets t"
            " UNION ALL SELECT Ccy2, VolumeP1C2, COALESCE(ValDateP1C2, ValDateP1C1), t.* FROM Tickets t"
            " UNION ALL SELECT Ccy1, VolumeP2C1, ValDateP2C1, t.* FROM Tickets t WHERE PureDealType = 8"
            " UNION ALL SELECT Ccy2, VolumeP2C2, COALESCE(ValDateP2C2, ValDateP2C1), t.* FROM Tickets t"
            "  WHERE PureDealType = 8)"
            " SELECT Ccy || '|' || TicketNum || '|' || DealerID || '|' || Bank1ID || '|' || PureDealType || '|'"
            " || DealTime || '|' || V || '|' || TCID || '|' || Status FROM legs"
            " WHERE D = '%1' AND PureDealType IN (2, 4, 8) AND Status >= 0"
            " ORDER BY Ccy, DealTime, TicketNum, TradeID")
                                 .arg(day);
        QStringList expected;
        for (data::RecordsetPtr t = db.Execute(legs); t && !t->Eof(); t->MoveNext())
            expected << t->Fields(0).value().toString();
        QVERIFY2(expected.size() > 10, "the demo day settles too few amounts");
        QHash<int, qint64> commission;
        for (data::RecordsetPtr t = db.Execute(QStringLiteral(
                 "SELECT c.CcyID, -SUM(t.Commission) FROM Tickets t JOIN Currencies c ON c.Ccy = t.CommissionCcy"
                 " WHERE t.ValDateP1C1 = '%1' AND t.PureDealType IN (2, 4, 8) AND t.Status >= 0"
                 " AND t.Commission <> 0 GROUP BY c.CcyID").arg(day));
             t && !t->Eof(); t->MoveNext())
            commission.insert(t->Fields(0).value().toInt(), t->Fields(1).value().toInt64());

        QStringList dealRows;
        QHash<int, qint64> sums, counts;
        QList<int> summaryOrder;
        const auto f = [&rs](const char *name) { return rs->Fields(QString::fromLatin1(name)).value(); };
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            const int ccy = f("Caption").toInt();
            if (!f("Summary").toBool()) {
                QVERIFY2(!summaryOrder.contains(ccy), "an amount row after its currency's summary row");
                dealRows << QStringList{QString::number(ccy), f("TicketNum").toString(), f("DealerName").toString(),
                                        f("BankName").toString(), f("DealType").toString(),
                                        f("ConfTime").toDate().toIsoString(),
                                        QString::number(f("Volume").toCurrency().raw()), f("TCID").toString(),
                                        f("Status").toString()}
                                .join(u'|');
                sums[ccy] += f("Volume").toCurrency().raw();
                ++counts[ccy];
                continue;
            }
            summaryOrder << ccy;
            const qint64 r = recalc ? commission.value(ccy) : 0;
            const qint64 total = sums.value(ccy) + r;
            QCOMPARE(f("Volume").toCurrency().raw(), total);
            QCOMPARE(f("Total").toCurrency().raw(), total);
            QCOMPARE(f("Deals").toInt64(), counts.value(ccy));
            QCOMPARE(f("TicketNum").toInt64(), counts.value(ccy));
            QCOMPARE(f("NegSumm").toBool(), total < 0);
            QCOMPARE(f("DealerName").isNull(), !recalc);
            if (recalc)
                QCOMPARE(f("DealerName").toCurrency().raw(), r);
        }
        QCOMPARE(dealRows, expected);
        // Every currency with amounts has its summary row; with the switch on,
        // so has every currency with commission, amounts or not.
        QSet<int> groups(counts.keyBegin(), counts.keyEnd());
        if (recalc)
            groups.unite(QSet<int>(commission.keyBegin(), commission.keyEnd()));
        QCOMPARE(QSet<int>(summaryOrder.begin(), summaryOrder.end()), groups);
        QCOMPARE(summaryOrder.size(), groups.size());
        QCOMPARE(report.NumDeal, int(expected.size()));
        QCOMPARE(report.NumTable, int(groups.size()));
    }

private:
    /// The golden files' demo database (2,500 deals, seed 6, today
    /// 2026-12-04), built once.
    QString demoDatabase()
    {
        if (m_demo.isEmpty()) {
            db::DemoDatabase::Options options;
            options.out = m_settingsDir.filePath(QStringLiteral("demo.db"));
            options.deals = 2500;
            options.seed = 6;
            options.today = QDate(2026, 12, 4);
            QString error;
            if (db::DemoDatabase::build(options, nullptr, &error))
                m_demo = options.out;
            else
                qWarning() << "demo database:" << error;
        }
        return m_demo;
    }

    QTemporaryDir m_settingsDir;
    std::unique_ptr<reporttest::Fixture> m_db;
    QString m_demo;
};

QTEST_GUILESS_MAIN(TestCurrencyPosition)
#include "tst_currency_position.moc"

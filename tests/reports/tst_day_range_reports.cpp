// The two day-by-day history reports, forward position and single currency,
// without a display: their date ranges as they reach the server, the stored
// query with its own values, the day and summary rows over several days (a
// swap whose legs cancel in the first currency among them), and each row's
// CurrentFilter against the deal recordset the detail window filters.
// Their rows on a generated database are checked by tst_day_range_demo and
// the golden files.

#include "ReportHost.h"

#include "ForwardPosition.h"
#include "ReportFactory.h"
#include "SingleCurrency.h"

#include "Connection.h"
#include "FilterStore.h"

#include <QSet>
#include <QTest>

#include <memory>

using reporttest::Host;

namespace {

const QDate Today(2026, 12, 4);

std::unique_ptr<Report> makeReport(int windowType)
{
    return ReportFactory::createReport(windowType);
}

/// Every display row, the named fields joined with '|'.
QStringList displayRows(const Report &report, const QStringList &fields)
{
    QStringList rows;
    data::RecordsetPtr rs = report.DisplayRecordset();
    if (!rs)
        return rows;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        QStringList cells;
        for (const QString &name : fields)
            cells << reporttest::cellText(rs->Fields(name).value());
        rows << cells.join(u'|');
    }
    return rows;
}

const QStringList ForwardFields = {"Caption", "Date", "Ccy1", "Ccy2", "Rate", "SwapDiff", "Deals", "Summary"};
const QStringList SingleFields = {"Caption", "Date", "Sell", "Total", "Deals", "Summary", "NegSumm"};

/// EUR/USD over three trade days: a buy and a sell on 12-02, a buy at the
/// midnight that starts 12-03 and on 12-04 only a swap whose legs cancel in euros; GBP/USD one buy on
/// 12-04; a deal of 12-01, before the range the tests set.
bool addDeals(reporttest::Fixture &db)
{
    reporttest::Deal buy;
    buy.tradeId = buy.ticket = 101;
    buy.dealTime = QStringLiteral("2026-12-02 10:00:00");
    buy.valDate1 = QStringLiteral("2026-12-04");
    reporttest::Deal sell = buy;
    sell.tradeId = sell.ticket = 102;
    sell.dealTime = QStringLiteral("2026-12-02 23:59:59");   // the last second of its day
    sell.volume1 = -500000;
    sell.rate1 = 1.12;
    sell.side = 2;
    reporttest::Deal next;
    next.tradeId = next.ticket = 103;
    next.dealTime = QStringLiteral("2026-12-03 00:00:00");   // the first of the next
    next.volume1 = 200000;
    next.rate1 = 1.15;
    next.valDate1 = QStringLiteral("2026-12-07");
    reporttest::Deal swap;
    swap.tradeId = swap.ticket = 104;
    swap.type = 8;
    swap.dealTime = QStringLiteral("2026-12-04 09:00:00");
    swap.volumeP2C1 = QStringLiteral("-1000000");
    swap.volumeP2C2 = QStringLiteral("1105000");
    swap.rate2 = QStringLiteral("1.105");
    swap.valDate2 = QStringLiteral("2026-12-15");
    reporttest::Deal cable;
    cable.tradeId = cable.ticket = 105;
    cable.pair = QStringLiteral("12");
    cable.ccy1 = 4;
    cable.volume1 = 300000;
    cable.rate1 = 1.25;
    reporttest::Deal before = buy;
    before.tradeId = before.ticket = 100;
    before.dealTime = QStringLiteral("2026-12-01 15:00:00");
    return db.add(buy) && db.add(sell) && db.add(next) && db.add(swap) && db.add(cable) && db.add(before);
}

/// One date bound in both of its forms, as the filter panel sets it: a day
/// count (relative), a date (absolute) or "All".
bool setBound(Report &report, int slot, const QVariant &bound)
{
    const DateSlotFields *fields = dateSlotFields(slot);
    QVariant date = bound, offset = bound;
    if (bound.typeId() == QMetaType::Int)
        date = Today.addDays(bound.toInt());
    else if (bound.typeId() == QMetaType::QDate)
        offset = int(Today.daysTo(bound.toDate()));
    return report.setQueryField(QString::fromLatin1(fields->date), date)
           && report.setQueryField(QString::fromLatin1(fields->offset), offset);
}

/// Trade dates 12-02 .. 12-04 as absolute dates, value dates open unless given.
void setRange(Report &report, const QVariant &valueEnd = QStringLiteral("All"))
{
    QVERIFY(report.setQueryField(QStringLiteral("Relative"), false));
    QVERIFY(setBound(report, fcDateReport0, QDate(2026, 12, 2)));
    QVERIFY(setBound(report, fcDateReport1, QDate(2026, 12, 4)));
    QVERIFY(setBound(report, fcDateReport2, QStringLiteral("All")));
    QVERIFY(setBound(report, fcDateReport3, valueEnd));
}

/// The rows the criteria selects in a copy of the report's deal result, as
/// the detail window filters it: their number, and their distinct deals.
struct Selected
{
    int rows = -1;
    QSet<qint64> deals;
    QSet<int> groups;   // the values of groupField among them
};

Selected select(const Report &report, const QString &criteria, const QString &groupField)
{
    Selected selected;
    if (!report.MainRecordset)
        return selected;
    data::RecordsetPtr deals = report.MainRecordset->Clone();
    if (!deals->setFilter(criteria))
        return selected;
    selected.rows = 0;
    for (deals->MoveFirst(); !deals->Eof(); deals->MoveNext()) {
        ++selected.rows;
        selected.deals.insert(deals->Fields(QStringLiteral("TradeID")).value().toInt64());
        selected.groups.insert(deals->Fields(groupField).value().toInt());
    }
    return selected;
}

} // namespace

class TestDayRangeReports final : public QObject
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
        for (const char *app : {"Position History", "Single Currency"})
            QVERIFY(reporttest::openReportSession(m_db->connectionString(), reporttest::Fixture::user(),
                                                  QString::fromLatin1(app)));
    }

    void cleanupTestCase()
    {
        SessionContext::resetInstance();
        Clock::reset();
    }

    void reportsAreBuiltAndNamed_data()
    {
        QTest::addColumn<int>("windowType");
        QTest::addColumn<QString>("appName");
        QTest::addColumn<int>("owner");
        QTest::addColumn<int>("detailView");
        QTest::newRow("forward-position") << 1 << "Position History" << 3 << int(dvCurrencyPair);
        QTest::newRow("single-currency") << 2 << "Single Currency" << 4 << int(dvSingleCurrency);
    }
    void reportsAreBuiltAndNamed()
    {
        QFETCH(int, windowType);
        QFETCH(QString, appName);
        QFETCH(int, owner);
        QFETCH(int, detailView);
        QCOMPARE(ReportFactory::windowTypeFromText(appName), std::optional<int>(windowType));
        const std::unique_ptr<Report> report = makeReport(windowType);
        QCOMPARE(report->App_Name, appName);
        QCOMPARE(report->ownerNumber(), owner);
        QCOMPARE(int(report->logic().detailView().value_or(DetailView(-1))), detailView);
    }

    // What storeDates hands the server: each range from its start to its end
    // as set, an "All" bound open, relative bounds counted from today.
    void dateRangesReachTheServerAsSet_data()
    {
        QTest::addColumn<int>("windowType");
        QTest::addColumn<bool>("relative");
        QTest::addColumn<QVariantList>("bounds");   // trade start, trade end, value start, value end
        QTest::addColumn<QString>("stored");        // kind|from|to per stored range
        for (int type : {1, 2}) {
            const QByteArray report = type == 1 ? "forward-" : "single-";
            QTest::newRow(QByteArray(report + "first-run-default-is-today-onwards").constData())
                << type << true << QVariantList{0, "All", 0, "All"}
                << "1|2026-12-04|- 2|2026-12-04|-";
            QTest::newRow(QByteArray(report + "absolute-ranges-as-set").constData())
                << type << false
                << QVariantList{QDate(2026, 11, 2), QDate(2026, 11, 30), QDate(2026, 11, 4), QDate(2026, 12, 31)}
                << "1|2026-11-02|2026-11-30 2|2026-11-04|2026-12-31";
            QTest::newRow(QByteArray(report + "relative-bounds-count-from-today").constData())
                << type << true << QVariantList{-3, -1, 0, 10} << "1|2026-12-01|2026-12-03 2|2026-12-04|2026-12-14";
            QTest::newRow(QByteArray(report + "open-value-range-stores-no-value-range").constData())
                << type << false << QVariantList{QDate(2026, 12, 1), QDate(2026, 12, 1), "All", "All"}
                << "1|2026-12-01|2026-12-01";
            QTest::newRow(QByteArray(report + "open-trade-start-keeps-the-end").constData())
                << type << true << QVariantList{"All", -2, "All", 5} << "1|-|2026-12-02 2|-|2026-12-09";
        }
    }
    void dateRangesReachTheServerAsSet()
    {
        QFETCH(int, windowType);
        QFETCH(bool, relative);
        QFETCH(QVariantList, bounds);
        QFETCH(QString, stored);
        const std::unique_ptr<Report> report = makeReport(windowType);
        report->ReadQueryPar(QStringLiteral("Query"));
        QVERIFY(report->setQueryField(QStringLiteral("Relative"), relative));
        const int slots[] = {fcDateReport0, fcDateReport1, fcDateReport2, fcDateReport3};
        for (int i = 0; i < 4; ++i)
            QVERIFY(setBound(*report, slots[i], bounds.at(i)));

        data::Connection connection;
        QVERIFY(connection.Open(m_db->connectionString()));
        FilterStore store(connection, reporttest::Fixture::user(), report->ownerNumber());
        RunQuery run;
        run.query = report->query();
        run.today = Today;
        QVERIFY(store.createRunScope());
        QVERIFY(report->logic().storeDates(store, run));
        data::RecordsetPtr rs = connection.Execute(QStringLiteral(
            "SELECT Kind, DateFrom, DateTo, OwnerID FROM FilterDateRange ORDER BY Kind"));
        QVERIFY(rs);
        QStringList ranges;
        for (; !rs->Eof(); rs->MoveNext()) {
            QCOMPARE(rs->Fields(QStringLiteral("OwnerID")).value().toInt(), report->ownerNumber());
            ranges << QStringList{reporttest::cellText(rs->Fields(QStringLiteral("Kind")).value()),
                                  reporttest::cellText(rs->Fields(QStringLiteral("DateFrom")).value()),
                                  reporttest::cellText(rs->Fields(QStringLiteral("DateTo")).value())}
                          .join(u'|');
        }
        QCOMPARE(ranges.join(u' '), stored);
    }

    // The query keeps both ranges under their own names and reads them back
    // in the form they were stored, with today and "All" for what is absent.
    void storedQueryKeepsBothRanges_data()
    {
        QTest::addColumn<int>("windowType");
        QTest::addColumn<bool>("relative");
        QTest::newRow("forward-relative") << 1 << true;
        QTest::newRow("forward-absolute") << 1 << false;
        QTest::newRow("single-relative") << 2 << true;
        QTest::newRow("single-absolute") << 2 << false;
    }
    void storedQueryKeepsBothRanges()
    {
        QFETCH(int, windowType);
        QFETCH(bool, relative);
        {
            const std::unique_ptr<Report> first = makeReport(windowType);
            first->ReadQueryPar(QStringLiteral("Query"));
            const QueryValues &q = first->query();
            QCOMPARE(q.ValDate.toDate(), Today);
            QCOMPARE(q.ValLong.toInt(), 0);
            QCOMPARE(q.EndDate.toString(), QStringLiteral("All"));
            QCOMPARE(q.ValDate1.toDate(), Today);
            QCOMPARE(q.EndDate1.toString(), QStringLiteral("All"));
            QCOMPARE(first->committedQuery(), q);

            QVERIFY(first->setQueryField(QStringLiteral("Relative"), relative));
            const QVariantList bounds = relative ? QVariantList{-5, -1, "All", 30}
                                                 : QVariantList{QDate(2026, 11, 29), QDate(2026, 12, 3), "All",
                                                                QDate(2027, 1, 3)};
            const int slots[] = {fcDateReport0, fcDateReport1, fcDateReport2, fcDateReport3};
            for (int i = 0; i < 4; ++i)
                QVERIFY(setBound(*first, slots[i], bounds.at(i)));
            first->WriteQueryPar(QStringLiteral("Query"));
        }
        const QueryKey key(windowType == 1 ? QStringLiteral("Position History") : QStringLiteral("Single Currency"),
                           QStringLiteral("Query"));
        const auto stored = [&key](const char *name) {
            return RegistryAccess::instance().ReadValue(key.path(), QString::fromLatin1(name), QStringLiteral("absent"));
        };
        QCOMPARE(stored("Date"), relative ? QVariant(-5) : QVariant(QDate(2026, 11, 29)));
        QCOMPARE(stored("EndDate"), relative ? QVariant(-1) : QVariant(QDate(2026, 12, 3)));
        QCOMPARE(stored("Trade Date"), QVariant(QStringLiteral("All")));
        QCOMPARE(stored("End Trade Date"), relative ? QVariant(30) : QVariant(QDate(2027, 1, 3)));
        // The trade end is "EndDate" here, not the open position report's "Value Date".
        QCOMPARE(stored("Value Date"), QVariant(QStringLiteral("absent")));

        const std::unique_ptr<Report> next = makeReport(windowType);
        next->ReadQueryPar(QStringLiteral("Query"));
        const QueryValues &q = next->query();
        QCOMPARE(q.ValDate.toDate(), QDate(2026, 11, 29));
        QCOMPARE(q.EndDate.toDate(), QDate(2026, 12, 3));
        QCOMPARE(q.ValDate1.toString(), QStringLiteral("All"));
        QCOMPARE(q.ValLong1.toString(), QStringLiteral("All"));
        QCOMPARE(q.EndDate1.toDate(), QDate(2027, 1, 3));
        QCOMPARE(q.EndLong1.toInt(), 30);
        QCOMPARE(next->committedQuery(), q);
    }

    void panelAndToolsFollowTheDeclaredSlots_data()
    {
        QTest::addColumn<int>("windowType");
        QTest::addColumn<bool>("siteAllowsOpenStart");
        QTest::newRow("forward-open-start-not-allowed") << 1 << false;
        QTest::newRow("forward-open-start-allowed") << 1 << true;
        QTest::newRow("single-open-start-allowed") << 2 << true;
    }
    void panelAndToolsFollowTheDeclaredSlots()
    {
        QFETCH(int, windowType);
        QFETCH(bool, siteAllowsOpenStart);
        reporttest::Fixture db;
        QVERIFY2(db.ok(), db.error());
        if (siteAllowsOpenStart)
            QVERIFY2(db.exec(QStringLiteral("INSERT INTO CustomSettings (CustomID, Name, CustomValue)"
                                            " VALUES (1010, 'Allow All start date', 2)")),
                     db.error());
        QVERIFY(SessionContext::instance().OpenSession(db.connectionString()));
        Host host;
        const std::unique_ptr<Report> report = makeReport(windowType);
        host.wire(*report);
        const QString captions[] = {"Start Trade", "End Trade", "Start Value", "End Value"};
        const int dates[] = {fcDateReport0, fcDateReport1, fcDateReport2, fcDateReport3};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(host.captions[size_t(dates[i])]->property("text").toString(), captions[i]);
            QVERIFY(host.filters[size_t(dates[i])]->property("visible").toBool());
            QCOMPARE(host.role(dates[i], "AllowAll").toBool(), i > 0 || siteAllowsOpenStart);
        }
        // Undo shows the query again under the same rule.
        report->RestoreQuery();
        QCOMPARE(host.role(fcDateReport0, "AllowAll").toBool(), siteAllowsOpenStart);
        for (int index : {fcCombo1, fcDealBox, fcPairBox, fcCptyBox, fcDealerBox, fcLegendBox, fcStatusBox})
            QVERIFY2(host.filters[size_t(index)]->property("visible").toBool(), qPrintable(QString::number(index)));
        for (int index : {fcComboNetting, fcCcyBox, fcTypeDate, fcLoroNostro, fcTCIDBox, fcClientBox})
            QVERIFY2(!host.filters[size_t(index)]->property("visible").toBool(), qPrintable(QString::number(index)));
        QCOMPARE(host.role(fcDealBox, "SArrayData").toStringList(), (QStringList{"Spot", "Outright", "Swap"}));
        QVERIFY(host.toolbar.enabled(QStringLiteral("ID_DetailWIndow")));
        QVERIFY(host.toolbar.enabled_.contains(QStringLiteral("ID_Recalculate")));
        QVERIFY(!host.toolbar.enabled(QStringLiteral("ID_Recalculate")));
        QCOMPARE(host.toolbar.states.value(QStringLiteral("ID_WithArchive"), -1), 0);
        QVERIFY(host.grid.valueLists[QStringLiteral("Caption")].entries > 0);
        QVERIFY(host.grid.highlights.contains(QStringLiteral("Summ")));
        QCOMPARE(host.grid.highlights.contains(QStringLiteral("NegSumm")), windowType == 2);
    }

    // The host's date controls outlive a report: the next one allows "All"
    // where it says so, not where the previous one did.
    void nextReportDoesNotInheritAnOpenTradeStart()
    {
        reporttest::Fixture db;
        QVERIFY2(db.ok() && db.exec(QStringLiteral("INSERT INTO CustomSettings (CustomID, Name, CustomValue)"
                                                  " VALUES (1010, 'Allow All start date', 2)")),
                 db.error());
        QVERIFY(SessionContext::instance().OpenSession(db.connectionString()));
        Host host;
        {
            ForwardPosition history;
            host.wire(history);
            QVERIFY(host.role(fcDateReport0, "AllowAll").toBool());
            history.ClearUtil();
        }
        const std::unique_ptr<Report> open = makeReport(0);
        host.wire(*open);
        QVERIFY(!host.role(fcDateReport0, "AllowAll").toBool());
        QVERIFY(host.role(fcDateReport1, "AllowAll").toBool());
    }

    void forwardPositionBuildsDayAndPairRows_data()
    {
        QTest::addColumn<QVariant>("valueEnd");
        QTest::addColumn<QStringList>("rows");   // Caption|Date|Ccy1|Ccy2|Rate|SwapDiff|Deals|Summary
        // The swap counts once on its day; its legs cancel in euros, so the
        // day has no rate (and no change of rate) rather than a division by zero.
        QTest::newRow("swap-day-nets-to-zero-has-no-rate")
            << QVariant(QStringLiteral("All"))
            << QStringList{"10|2026-12-02|500000|-540000|1.08|-|2|False",
                           "10|2026-12-03|200000|-230000|1.15|0.07|1|False",
                           "10|2026-12-04|0|5000|-|-|1|False",
                           "10|-|700000|-765000|1.092857143|-|4|True",
                           "12|2026-12-04|300000|-375000|1.25|-|1|False",
                           "12|-|300000|-375000|1.25|-|1|True"};
        // Value dates up to 12-10 leave out the swap's far leg: its near leg
        // alone has a rate, compared with the day before.
        QTest::newRow("value-end-keeps-the-near-leg-only")
            << QVariant(QDate(2026, 12, 10))
            << QStringList{"10|2026-12-02|500000|-540000|1.08|-|2|False",
                           "10|2026-12-03|200000|-230000|1.15|0.07|1|False",
                           "10|2026-12-04|1000000|-1100000|1.1|-0.05|1|False",
                           "10|-|1700000|-1870000|1.1|-|4|True",
                           "12|2026-12-04|300000|-375000|1.25|-|1|False",
                           "12|-|300000|-375000|1.25|-|1|True"};
    }
    void forwardPositionBuildsDayAndPairRows()
    {
        QFETCH(QVariant, valueEnd);
        QFETCH(QStringList, rows);
        Host host;
        ForwardPosition report;
        host.wire(report);
        setRange(report, valueEnd);
        QVERIFY(host.run(report));
        QVERIFY(MessageService::instance().messages().isEmpty());
        QCOMPARE(displayRows(report, ForwardFields), rows);
        QCOMPARE(report.NumTable, 2);
        QCOMPARE(report.NumDeal, 5);
        QCOMPARE(host.grid.itemCount, 6);
        QCOMPARE(report.committedQuery().EndDate.toDate(), QDate(2026, 12, 4));
    }

    void singleCurrencyBuildsDayAndCurrencyRows()
    {
        Host host;
        SingleCurrency report;
        host.wire(report);
        setRange(report);
        QVERIFY(host.run(report));
        QCOMPARE(displayRows(report, SingleFields),
                 (QStringList{"1|2026-12-02|-1100000|-540000|2|False|False",
                              "1|2026-12-03|-230000|-230000|1|False|False",
                              "1|2026-12-04|-1475000|-370000|2|False|False",
                              "1|-|-2805000|-1140000|5|True|True",
                              "2|2026-12-02|-500000|500000|2|False|False",
                              "2|2026-12-03|0|200000|1|False|False",
                              "2|2026-12-04|-1000000|0|1|False|False",
                              "2|-|-1500000|700000|4|True|False",
                              "4|2026-12-04|0|300000|1|False|False",
                              "4|-|0|300000|1|True|False"}));
        QCOMPARE(report.NumTable, 3);
        QCOMPARE(report.NumDeal, 10);
    }

    // Every row's CurrentFilter, applied to the deal result as the detail
    // window applies it, selects exactly the row's deals: as many as the row
    // counts, all of the row's group, and for a day row all of its day.
    void currentFilterSelectsExactlyTheRowsDeals_data()
    {
        QTest::addColumn<int>("windowType");
        QTest::addColumn<QString>("groupField");
        QTest::addColumn<QVariant>("valueEnd");
        QTest::newRow("forward-all-value-dates") << 1 << "PairCcy" << QVariant(QStringLiteral("All"));
        QTest::newRow("forward-near-legs-only") << 1 << "PairCcy" << QVariant(QDate(2026, 12, 10));
        QTest::newRow("single-both-currencies-of-each-deal") << 2 << "Ccy" << QVariant(QStringLiteral("All"));
    }
    void currentFilterSelectsExactlyTheRowsDeals()
    {
        QFETCH(int, windowType);
        QFETCH(QString, groupField);
        QFETCH(QVariant, valueEnd);
        Host host;
        const std::unique_ptr<Report> report = makeReport(windowType);
        host.wire(*report);
        setRange(*report, valueEnd);
        QVERIFY(host.run(*report));
        data::RecordsetPtr rows = report->DisplayRecordset();
        QVERIFY(rows && rows->RecordCount() > 0);
        int checked = 0;
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext(), ++checked) {
            const QString criteria = rows->Fields(QStringLiteral("CurrentFilter")).value().toString();
            const int group = rows->Fields(QStringLiteral("Caption")).value().toInt();
            const qint64 deals = rows->Fields(QStringLiteral("Deals")).value().toInt64();
            const Selected selected = select(*report, criteria, groupField);
            QVERIFY2(selected.rows >= 0, qPrintable(criteria));
            QVERIFY2(selected.deals.size() == deals,
                     qPrintable(QStringLiteral("%1 selects %2 deals, the row counts %3")
                                    .arg(criteria).arg(selected.deals.size()).arg(deals)));
            QCOMPARE(selected.groups, QSet<int>{group});
        }
        QCOMPARE(checked, int(rows->RecordCount()));
    }

    // A deal has rows in both of its currencies: a day row's filter names
    // its currency, so the dollar day lists the dollar amounts only.
    void singleCurrencyFilterNamesTheCurrencyAndTheDay()
    {
        Host host;
        SingleCurrency report;
        host.wire(report);
        setRange(report);
        QVERIFY(host.run(report));
        data::RecordsetPtr rows = report.DisplayRecordset();
        rows->MoveFirst();
        const QString criteria = rows->Fields(QStringLiteral("CurrentFilter")).value().toString();
        QCOMPARE(criteria, QStringLiteral("Ccy = 1 AND DealTime >= #12/2/2026# AND DealTime < #12/3/2026#"));
        const Selected dollars = select(report, criteria, QStringLiteral("Ccy"));
        QCOMPARE(dollars.rows, 2);
        QCOMPARE(dollars.deals, (QSet<qint64>{101, 102}));
    }

    void detailCaptionNamesTheGroupAndTheDay()
    {
        Host host;
        ForwardPosition report;
        host.wire(report);
        setRange(report);
        QVERIFY(host.run(report));
        data::RecordsetPtr rows = report.DisplayRecordset();
        rows->MoveFirst();
        QCOMPARE(report.logic().detailCaption(*rows), QStringLiteral("EUR/USD 2026-12-02"));
        QVERIFY(rows->Find(QStringLiteral("Summary = True")));
        QCOMPARE(report.logic().detailCaption(*rows), QStringLiteral("EUR/USD"));
    }

    // The archive's deals are read only with the switch on, where there is an archive.
    void archiveDealShowsOnlyWithTheSwitchOn_data()
    {
        QTest::addColumn<int>("windowType");
        QTest::addColumn<bool>("switchOn");
        QTest::addColumn<int>("deals");
        QTest::newRow("forward-switch-on") << 1 << true << 6;
        QTest::newRow("forward-switch-off") << 1 << false << 5;
        QTest::newRow("single-switch-on") << 2 << true << 12;
        QTest::newRow("single-switch-off") << 2 << false << 10;
    }
    void archiveDealShowsOnlyWithTheSwitchOn()
    {
        QFETCH(int, windowType);
        QFETCH(bool, switchOn);
        QFETCH(int, deals);
        // A EUR/USD deal of 12-04, settled.
        const reporttest::ArchivedDeal settled(*m_db, 171, true);
        QVERIFY2(settled.ok(), m_db->error());
        Host host;
        const std::unique_ptr<Report> report = makeReport(windowType);
        host.wire(*report);
        QVERIFY(host.toolbar.enabled(QStringLiteral("ID_WithArchive")));
        setRange(*report);
        report->setProperty("WithArchive", switchOn);
        QCOMPARE(host.toolbar.states.value(QStringLiteral("ID_WithArchive")), switchOn ? 1 : 0);
        QVERIFY(host.run(*report));
        QCOMPARE(report->NumDeal, deals);
    }

private:
    QTemporaryDir m_settingsDir;
    std::unique_ptr<reporttest::Fixture> m_db;
};

QTEST_GUILESS_MAIN(TestDayRangeReports)
#include "tst_day_range_reports.moc"

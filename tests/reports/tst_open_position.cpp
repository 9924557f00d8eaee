// The report framework on the open position report, without a display: the
// display build and its pair summaries, the display modes and the tools that
// follow the result, a run that fails (a store call, a locked database, the
// procedure), the query by name, commit and undo, and two runs at once.
// The report's rows on a generated database are checked by the golden files.

#include "../db/ReportProcedureFixture.h"
#include "ReportHost.h"

#include "OpenPosition.h"
#include "PairSummary.h"

#include "Clock.h"
#include "Connection.h"
#include "MessageService.h"
#include "QueryKey.h"
#include "RegistryAccess.h"
#include "RegistrySettings.h"
#include "SessionContext.h"
#include "SharedValues.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

#include <thread>

using data::Currency;
using reporttest::Host;

namespace {

/// Deals of one pair as (first-currency volume, rate).
using Deals = QList<QPair<double, double>>;

QString money(const data::Value &v)
{
    return v.isNull() ? QStringLiteral("-") : v.toCurrency().toString();
}

QString rate(const data::Value &v)
{
    return v.isNull() ? QStringLiteral("-") : QString::number(v.toDouble(), 'f', 6);
}

/// Every display row: ticket|pair|bank|buy1|sell1|buy2|sell2|rate|sellRate|buyRate|summary.
QStringList displayRows(const Report &report)
{
    QStringList rows;
    data::RecordsetPtr rs = report.DisplayRecordset();
    if (!rs)
        return rows;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        const auto f = [&rs](const char *name) { return rs->Fields(QString::fromLatin1(name)).value(); };
        rows << QStringList{f("TicketNum").toString(), f("Caption").toString(), f("BankName").toString(),
                            money(f("BuyCcy1")),       money(f("SellCcy1")),   money(f("BuyCcy2")),
                            money(f("SellCcy2")),      rate(f("Rate")),        rate(f("SellRate")),
                            rate(f("BuyRate")),        f("Summary").toString()}
                    .join(u'|');
    }
    return rows;
}

/// A EUR/USD buy and sell and a GBP/USD buy on the report day, one deal of
/// another day, and a deal with another counterparty.
bool addDeals(reporttest::Fixture &db)
{
    reporttest::Deal buy;
    buy.ticket = 11;
    reporttest::Deal sell;
    sell.ticket = 12;
    sell.volume1 = -400000;
    sell.rate1 = 1.2;
    sell.side = 2;
    reporttest::Deal cable;
    cable.ticket = 21;
    cable.pair = QStringLiteral("12");
    cable.ccy1 = 4;
    cable.volume1 = 300000;
    cable.rate1 = 1.25;
    reporttest::Deal yesterday;
    yesterday.ticket = 31;
    yesterday.dealTime = QStringLiteral("2026-12-03 09:00:00");
    reporttest::Deal other;
    other.ticket = 41;
    other.bank = QStringLiteral("BANKB");
    return db.add(buy) && db.add(sell) && db.add(cable) && db.add(yesterday) && db.add(other);
}

/// A grid that marks changed rows: it gives the run its order and the rows it
/// holds, and keeps the comparison the run brings back.
class MarkingGrid final : public reporttest::RecordingGrid
{
public:
    std::optional<RowOrdering> rowOrder() const override { return order; }
    std::optional<std::shared_ptr<const RowChangeMarks::Remembered>> changeMarksBase() const override
    {
        if (!marking)
            return std::nullopt;
        return taken ? taken->rows : nullptr;
    }
    void setRows(int rows, const RowArrangement &, const RowChangeMarks::Comparison *marks) override
    {
        itemCount = rows;
        taken = marks ? std::optional(*marks) : std::nullopt;
    }

    bool marking = true;
    RowOrdering order;
    std::optional<RowChangeMarks::Comparison> taken;
};

} // namespace

class TestOpenPosition final : public QObject
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
        QVERIFY(reporttest::openReportSession(m_db->connectionString(), reporttest::Fixture::user(),
                                              QStringLiteral("Currency Pairs")));
    }

    void cleanupTestCase()
    {
        SessionContext::resetInstance();
        Clock::reset();
    }

    void summaryArithmetic_data()
    {
        QTest::addColumn<Deals>("deals");
        QTest::addColumn<QString>("expected");                     // net1|net2|sell|buy|position
        QTest::newRow("only-buys-no-sell-rate")
            << Deals{{1000000, 1.1}, {500000, 1.2}}
            << QStringLiteral("1500000|-1700000|-|1.133333|1.133333");
        QTest::newRow("buys-and-sells-cancel-no-position-rate")
            << Deals{{1000000, 1.1}, {-1000000, 1.2}}
            << QStringLiteral("0|100000|1.200000|1.100000|-");
        QTest::newRow("only-sells")
            << Deals{{-250000.5, 1.3}}
            << QStringLiteral("-250000.5|325000.65|1.300000|-|1.300000");
    }
    void summaryArithmetic()
    {
        QFETCH(Deals, deals);
        QFETCH(QString, expected);
        PairSummary sums;
        for (const auto &[volume, r] : deals) {
            const Currency v = Currency::fromDouble(volume);
            sums.addDeal(v, Currency::fromDouble(-volume * r), r);
        }
        const auto opt = [](const std::optional<double> &x) {
            return x ? QString::number(*x, 'f', 6) : QStringLiteral("-");
        };
        QCOMPARE(QStringList({sums.netCcy1().toString(), sums.netCcy2().toString(),
                              opt(sums.sellRate()), opt(sums.buyRate()), opt(sums.positionRate())})
                     .join(u'|'),
                 expected);
    }

    void shouldBuildDealAndPairSummaryRowsOffTheUiThread()
    {
        Host host;
        OpenPosition report;
        host.wire(report);
        report.setQueryField(QStringLiteral("Bank"), QStringList{"BANKA"});
        QSignalSpy reselect(&host.events, &EventClass::ReSelectTabl);
        QVERIFY(host.run(report));

        QCOMPARE(displayRows(report),
                 QStringList({"11|10|BANKA|1000000|-|-|-1100000|1.100000|-|-|False",
                              "12|10|BANKA|-|-400000|480000|-|1.200000|-|-|False",
                              "-1|10|-620000|1000000|-400000|480000|-1100000|1.033333|1.200000|1.100000|True",
                              "21|12|BANKA|300000|-|-|-375000|1.250000|-|-|False",
                              "-1|12|-375000|300000|0|0|-375000|1.250000|-|1.250000|True"}));
        QCOMPARE(report.NumDeal, 3);
        QCOMPARE(report.NumTable, 2);
        QCOMPARE(host.grid.itemCount, 5);
        QCOMPARE(reselect.last().at(1).toInt(), 3);
        QCOMPARE(reselect.last().at(2).toInt(), 2);
        for (const QString &tool : reporttest::resultTools())
            QVERIFY2(host.toolbar.enabled(tool), qPrintable(tool));
        QVERIFY(!host.toolbar.enabled(QStringLiteral("ID_undo")));
        QCOMPARE(report.committedQuery().Bank, QStringList{"BANKA"});
        QCOMPARE(QueryKey(report.App_Name, QStringLiteral("Query")).read().Bank, QStringList{"BANKA"});

        // The summary row's texts in the unbound grid, in the host's formats.
        SessionContext::instance().setValueFormat(QStringLiteral("#,##0.00"));
        SessionContext::instance().setRateFormat(QStringLiteral("0.0000"));
        QVector<QVariant> values;
        report.readRow(2, values);
        const auto cell = [&](const char *key) { return values.value(host.grid.columns[key].index).toString(); };
        QCOMPARE(cell("DealerName"), QStringLiteral("Ccy1: 600,000.00"));
        QCOMPARE(cell("BankName"), QStringLiteral("Ccy2: -620,000.00"));
        QCOMPARE(cell("DateVal1"), QStringLiteral("Sell Rate: 1.2000"));
        QCOMPARE(cell("DateVal2"), QStringLiteral("Buy Rate: 1.1000"));
        QCOMPARE(cell("TicketNum"), QString());
    }

    void displayModesFilterRowsAndColumns_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("printSelection");
        QTest::addColumn<QString>("shown");    // columns the mode shows
        QTest::addColumn<QString>("hidden");   // columns the mode hides
        QTest::newRow("detail") << int(vwDetail) << 4 << true << "TicketNum DealerName DateVal1"
                                << "SumCcy1 SumCcy2 SellRate BuyRate Caption";
        QTest::newRow("summary") << int(vwSummary) << 2 << false << "Caption SumCcy1 SumCcy2 BuyRate"
                                 << "TicketNum DealerName BankName DateVal1 DateVal2";
        QTest::newRow("all") << int(vwAll) << 6 << true << "TicketNum BankName" << "SumCcy2 SellRate";
    }
    void displayModesFilterRowsAndColumns()
    {
        QFETCH(int, view);
        QFETCH(int, rows);
        QFETCH(bool, printSelection);
        QFETCH(QString, shown);
        QFETCH(QString, hidden);
        Host host;
        OpenPosition report;
        host.wire(report);
        QVERIFY(host.run(report));
        AllSettings settings = report.ViewSetting();
        settings.DisplaySetting = View(view);
        report.setViewSetting(settings);
        report.RebindTable();
        QCOMPARE(host.grid.itemCount, rows);
        QCOMPARE(host.toolbar.enabled(QStringLiteral("ID_PrintSelection")), printSelection);
        for (const QString &key : shown.split(u' '))
            QVERIFY2(host.grid.columns[key].visible, qPrintable(key));
        for (const QString &key : hidden.split(u' '))
            QVERIFY2(!host.grid.columns[key].visible, qPrintable(key));
        QVERIFY(host.grid.valueLists[QStringLiteral("Caption")].entries > 0);
        QCOMPARE(host.grid.columns[QStringLiteral("BuyCcy1")].format, SessionContext::instance().ValueFormat());
    }

    void shouldDisableResultToolsAndKeepTheCommittedQueryWhenNothingIsFound()
    {
        Host host;
        OpenPosition report;
        host.wire(report);
        report.setQueryField(QStringLiteral("Dealer"), QStringList{"NOBODY"});
        QVERIFY(host.run(report));
        QVERIFY(!report.MainRecordset);
        QVERIFY(!report.DisplayRecordset());
        QCOMPARE(host.grid.itemCount, 0);
        for (const QString &tool : reporttest::resultTools())
            QVERIFY2(!host.toolbar.enabled(tool), qPrintable(tool));
        QCOMPARE(report.committedQuery().Dealer, QStringList{"All"});
        QVERIFY(MessageService::instance().messages().isEmpty());
    }

    // A run ends at its first failure with exactly one message carrying the
    // database's reason; nothing of the run reaches the grid.
    void aFailingRunEndsWithOneMessage_data()
    {
        QTest::addColumn<QString>("breakage");   // SQL run on the database first
        QTest::addColumn<QString>("message");    // how the message starts
        QTest::addColumn<QString>("reason");     // what it must name
        QTest::newRow("store-call-missing") << "DELETE FROM sys_procedures WHERE name = 'StoreBankF'"
                                            << "Marvolt. StoreBankF. " << "StoreBankF";
        QTest::newRow("procedure-fails") << "DROP TABLE Tickets" << "Error Return Information. Error number: "
                                         << "Tickets";
    }
    void aFailingRunEndsWithOneMessage()
    {
        QFETCH(QString, breakage);
        QFETCH(QString, message);
        QFETCH(QString, reason);
        reporttest::Fixture db;
        QVERIFY2(db.ok() && db.add({}), db.error());
        QVERIFY2(db.exec(breakage), db.error());
        QVERIFY(SessionContext::instance().OpenSession(db.connectionString()));
        Host host;
        OpenPosition report;
        host.wire(report);
        report.setQueryField(QStringLiteral("Bank"), QStringList{"BANKA"});
        QVERIFY(host.run(report));
        const QStringList messages = MessageService::instance().messages();
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().startsWith(message) && messages.first().contains(reason),
                 qPrintable(messages.first()));
        QVERIFY(!report.MainRecordset);
        QCOMPARE(host.grid.itemCount, 0);
        QVERIFY(!report.isRunning());
        QCOMPARE(report.committedQuery().Bank, QStringList{"All"});
    }

    void clientFilterRestrictsToTheEntriesChecked_data()
    {
        QTest::addColumn<QStringList>("client");
        QTest::addColumn<QString>("tickets");
        QTest::newRow("all") << QStringList{"All"} << "51 52";
        QTest::newRow("client-only") << QStringList{"Client"} << "52";
        QTest::newRow("non-client-only") << QStringList{"Non Client"} << "51";
        QTest::newRow("both-checked-restrict-nothing") << QStringList{"Client", "Non Client"} << "51 52";
    }
    void clientFilterRestrictsToTheEntriesChecked()
    {
        QFETCH(QStringList, client);
        QFETCH(QString, tickets);
        reporttest::Fixture db;
        reporttest::Deal house;
        house.ticket = 51;
        reporttest::Deal customer;
        customer.ticket = 52;
        customer.client = 2;
        QVERIFY2(db.ok() && db.add(house) && db.add(customer), db.error());
        QVERIFY(SessionContext::instance().OpenSession(db.connectionString()));
        Host host;
        OpenPosition report;
        host.wire(report);
        QVERIFY(report.setQueryField(QStringLiteral("Client"), client));
        QVERIFY(host.run(report));
        QStringList shown;
        for (const QString &row : displayRows(report)) {
            if (row.endsWith(QLatin1String("False")))
                shown.append(row.section(u'|', 0, 0));
        }
        QCOMPARE(shown.join(u' '), tickets);
    }

    void aLockedDatabaseFailsTheRunOnceWithinTheBusyTimeout()
    {
        reporttest::Fixture db;
        QVERIFY2(db.ok() && db.add({}), db.error());
        QVERIFY2(db.exec(QStringLiteral("PRAGMA journal_mode=DELETE")), db.error());
        QVERIFY(SessionContext::instance().OpenSession(db.connectionString() + QStringLiteral(";Busy Timeout=300")));
        Host host;
        OpenPosition report;
        host.wire(report);
        // A writer holds the whole file from here on.
        data::Connection writer;
        writer.setMode(data::adModeReadWrite);
        QVERIFY(writer.Open(db.connectionString()));
        writer.Execute(QStringLiteral("BEGIN EXCLUSIVE"));
        QVERIFY(!writer.lastError());
        MessageService::instance().clearMessages();
        report.setQueryField(QStringLiteral("Bank"), QStringList{"BANKA"});
        report.setQueryField(QStringLiteral("Dealer"), QStringList{"JD"});
        QElapsedTimer clock;
        clock.start();
        QVERIFY(host.run(report));
        QCOMPARE(MessageService::instance().messages().size(), 1);
        QVERIFY2(MessageService::instance().lastMessage().contains(QStringLiteral("locked")),
                 qPrintable(MessageService::instance().lastMessage()));
        // One wait for the lock, not one per store call (the limit leaves room
        // for a slow machine, and is far below two busy timeouts per call).
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(host.grid.itemCount, 0);
        writer.Execute(QStringLiteral("ROLLBACK"));
    }

    void queryFieldsAreQtPropertiesByName()
    {
        OpenPosition report;
        report.setProperty("Dealer", QStringList{"JD", "KL"});
        QCOMPARE(report.query().Dealer, (QStringList{"JD", "KL"}));
        QCOMPARE(report.property("Dealer").toStringList(), (QStringList{"JD", "KL"}));
        report.setProperty("StBank", QStringList{"BANKA"});
        QCOMPARE(report.committedQuery().Bank, QStringList{"BANKA"});
        QCOMPARE(report.query().Bank, QStringList{"All"});

        // A value that does not suit its field is refused and the property shows the field again.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("ValDate.*does not suit")));
        report.setProperty("ValDate", QStringLiteral("yesterday"));
        QCOMPARE(report.property("ValDate").toDate(), QDate(2026, 12, 4));
        QVERIFY(report.setQueryField(QStringLiteral("vallong"), -2));
        QCOMPARE(report.property("ValLong").toInt(), -2);
        QVERIFY(!report.setQueryField(QStringLiteral("Dealers"), QStringList{"JD"}));
        QVERIFY(!report.setQueryField(QStringLiteral("EndLong"), QStringLiteral("soon")));
    }

    void storedFilterEnablesUndoAndUndoRestoresTheCommittedQuery()
    {
        Host host;
        OpenPosition report;
        host.wire(report);
        QueryValues stored;
        stored.Dealer = {"JD"};
        stored.Relative = false;
        QVERIFY(QueryKey(report.App_Name, QStringLiteral("Morning")).write(stored));
        report.InitQuPar(QStringLiteral("Morning"));
        QVERIFY(host.toolbar.enabled(QStringLiteral("ID_undo")));
        QCOMPARE(report.query().Dealer, QStringList{"JD"});
        QCOMPARE(host.role(fcDealerBox, "ArrayChecked").toStringList(), QStringList{"JD"});
        QCOMPARE(report.committedQuery().Dealer, QStringList{"All"});

        report.RestoreQuery();
        QCOMPARE(report.query(), report.committedQuery());
        QCOMPARE(host.role(fcDealerBox, "ArrayChecked").toStringList(), QStringList{"All"});
        QCOMPARE(host.role(fcCombo1, "currentText").toString(), QStringLiteral("True"));
    }

    void filterSlotsFollowTheDeclaredTable()
    {
        Host host;
        OpenPosition report;
        bool ok = true;
        report.QPControl(18, &ok);
        QVERIFY(!ok);
        QVERIFY(!report.setQPControl(-1, FilterControl()));
        host.wire(report);
        QCOMPARE(report.QPControl(17, &ok).Common.data(), host.filters[fcClientBox].get());
        QVERIFY(ok);
        QCOMPARE(report.GetAllControl().toList().size(), 18);
        for (int index : {fcCcyBox, fcComboNetting, fcTypeDate, fcLoroNostro, fcDateReport2})
            QVERIFY2(!host.filters[size_t(index)]->property("visible").toBool(), qPrintable(QString::number(index)));
        for (int index : {fcDateReport0, fcDealBox, fcPairBox, fcCptyBox, fcClientBox})
            QVERIFY2(host.filters[size_t(index)]->property("visible").toBool(), qPrintable(QString::number(index)));
        QCOMPARE(host.captions[fcDateReport1]->property("text").toString(), QStringLiteral("Value Date"));
        QVERIFY(host.role(fcDateReport1, "AllowAll").toBool());
        QCOMPARE(host.role(fcDealBox, "SArrayData").toStringList(), (QStringList{"Spot", "Outright", "Swap"}));
        QCOMPARE(host.role(fcDealerBox, "TypeData").toInt(), 2);
        QVERIFY(!host.role(fcDealerBox, "SArrayData").toList().isEmpty());
    }

    // The legend button and the category dialog write KeyArray; the settings
    // store, the filter store and the print parameters use Category. Either
    // name is the one selection: it filters, is saved with the query of the
    // run and shows on the legend button at the next start.
    void legendSelectionIsTheCategoryFilter_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<int>("deals");
        QTest::newRow("legend-name-filters") << "KeyArray" << QStringList{"Banks"} << 4;
        QTest::newRow("category-name-filters") << "Category" << QStringList{"Banks"} << 4;
        QTest::newRow("committed-legend-name-is-the-committed-category") << "SKeyArray" << QStringList{"Banks"} << 5;
        QTest::newRow("legend-cleared-filters-nothing") << "KeyArray" << QStringList{} << 5;
    }

    void legendSelectionIsTheCategoryFilter()
    {
        QFETCH(QString, field);
        QFETCH(QStringList, keys);
        QFETCH(int, deals);
        // A counterparty outside every category.
        reporttest::Deal outside;
        outside.ticket = 61;
        outside.bank = QStringLiteral("BANKC");
        outside.cpid = 102;
        QVERIFY2(m_db->add(outside), m_db->error());
        const auto drop = qScopeGuard([this] { m_db->exec(QStringLiteral("DELETE FROM Tickets WHERE TicketNum = 61")); });

        Host host;
        OpenPosition report;
        host.wire(report);
        const bool committed = field.startsWith(u'S');
        // Another selection first, so that clearing it changes something.
        QVERIFY(report.setQueryField(committed ? QStringLiteral("StCategory") : QStringLiteral("Category"),
                                     QStringList{"Funds"}));
        QVERIFY(report.setQueryField(field, keys));
        const QueryValues &changed = committed ? report.committedQuery() : report.query();
        QCOMPARE(changed.Category, keys);
        QCOMPARE(changed.KeyArray, keys);
        QCOMPARE(report.property(committed ? "StCategory" : "Category").toStringList(), keys);
        QCOMPARE(report.property(committed ? "SKeyArray" : "KeyArray").toStringList(), keys);

        QVERIFY(host.run(report));
        QCOMPARE(report.NumDeal, deals);
        if (committed)
            return;
        Host nextHost;
        OpenPosition next;
        nextHost.wire(next);
        QCOMPARE(next.query().Category, keys);
        QCOMPARE(next.query().KeyArray, keys);
        QCOMPARE(nextHost.role(fcLegendBox, "Titul").toString(), keys.isEmpty() ? QStringLiteral("All") : keys.last());
    }

    // The tool shows the switch at every moment, and the switch adds the
    // archive's deals only where the host's table and database have one.
    void archiveDealShowsOnlyWithTheSwitchOn_data()
    {
        QTest::addColumn<bool>("available");
        QTest::addColumn<bool>("switchOn");
        QTest::addColumn<int>("deals");
        QTest::newRow("switch-on-adds-the-archive") << true << true << 5;
        QTest::newRow("switch-off-reads-current-deals") << true << false << 4;
        QTest::newRow("no-archive-keeps-the-switch-off") << false << true << 4;
    }

    void archiveDealShowsOnlyWithTheSwitchOn()
    {
        QFETCH(bool, available);
        QFETCH(bool, switchOn);
        QFETCH(int, deals);
        const reporttest::ArchivedDeal settled(*m_db, 71, available);
        QVERIFY2(settled.ok(), m_db->error());

        Host host;
        OpenPosition report;
        host.wire(report);
        QCOMPARE(host.toolbar.states.value(QStringLiteral("ID_WithArchive"), -1), 0);
        QCOMPARE(host.toolbar.enabled(QStringLiteral("ID_WithArchive")), available);
        report.setProperty("WithArchive", switchOn);
        QCOMPARE(report.WithArchive, switchOn && available);
        QCOMPARE(host.toolbar.states.value(QStringLiteral("ID_WithArchive")), report.WithArchive ? 1 : 0);

        QVERIFY(host.run(report));
        QCOMPARE(report.NumDeal, deals);
        const QStringList rows = displayRows(report);
        QCOMPARE(std::any_of(rows.begin(), rows.end(), [](const QString &row) { return row.startsWith(u"71|"); }),
                 deals == 5);
    }

    // Group rows count deals, not the summary row under them; the first
    // result sizes the columns once, unless a stored layout gives them.
    void gridCountsDealsAndFitsColumnsOnlyWithoutStoredLayout_data()
    {
        QTest::addColumn<bool>("storedLayout");
        QTest::addColumn<int>("fits");
        QTest::newRow("first-run-fits-once") << false << 1;
        QTest::newRow("stored-layout-wins") << true << 0;
    }

    void gridCountsDealsAndFitsColumnsOnlyWithoutStoredLayout()
    {
        QFETCH(bool, storedLayout);
        QFETCH(int, fits);
        const QString app = QStringLiteral("Currency Pairs");
        const auto drop = qScopeGuard([&app] { RegistryAccess::instance().DeleteKey(RegistrySettings::ColumnsKey(app)); });
        if (storedLayout)
            QVERIFY(RegistrySettings::SaveColumnLayout(app, {{QStringLiteral("SellCcy2"), 10, QStringLiteral("Sell Ccy2"), 60}}));
        Host host;
        OpenPosition report;
        host.wire(report);
        QCOMPARE(host.grid.uncountedKey, QStringLiteral("Summary"));
        QVERIFY(host.run(report));
        QVERIFY(host.run(report));
        QCOMPARE(host.grid.fits, fits);
    }

    // Two reports of one user and report run at the same moment, each with its
    // own counterparty: each must see exactly its own deals, every time.
    void detachedReaderKeepsTheRowsShownWhenTheReportMovesOn()
    {
        Host host;
        OpenPosition report;
        host.wire(report, vwDetail);
        QVERIFY(host.run(report));
        const int rows = host.grid.itemCount;
        QCOMPARE(rows, 4);
        const auto rowText = [](const QVector<QVariant> &values) {
            QStringList cells;
            for (const QVariant &v : values)
                cells.append(v.toString());
            return cells.join(u'|');
        };
        QStringList shown;
        QVector<QVariant> values;
        for (int r = 0; r < rows; ++r) {
            report.readRow(r, values);
            shown.append(rowText(values));
        }
        const std::shared_ptr<DisplayReader> reader = report.detachedDisplayReader();
        QVERIFY(reader);

        // The report moves on: the summary view, then a new run of the same query.
        AllSettings settings = report.ViewSetting();
        settings.DisplaySetting = vwAll;
        report.setViewSetting(settings);
        report.RebindTable();
        QCOMPARE(host.grid.itemCount, 6);
        QVERIFY(host.run(report));

        // The reader still shows the detail view's rows, read on a thread of
        // its own, as an export's worker reads them.
        QStringList read;
        std::thread worker([&] {
            QVector<QVariant> cells;
            for (int r = 0; r < rows; ++r) {
                reader->readRow(r, cells);
                read.append(rowText(cells));
            }
        });
        worker.join();
        QCOMPARE(read, shown);
        QCOMPARE(reader->cell(rows, 0), QVariant());

        // A summary row's texts are the report's own, on a detached reader too.
        const std::shared_ptr<DisplayReader> all = report.detachedDisplayReader();
        const int dealer = host.grid.columns[QStringLiteral("DealerName")].index;
        int summaries = 0;
        QVector<QVariant> detached;
        for (int r = 0; r < host.grid.itemCount; ++r) {
            report.readRow(r, values);
            all->readRow(r, detached);
            QCOMPARE(rowText(detached), rowText(values));
            if (values.at(dealer).toString().startsWith(QStringLiteral("Ccy1: ")))
                ++summaries;
        }
        QCOMPARE(summaries, 2);
    }

    void runComparesItsRowsWithTheGridsOnItsWorker()
    {
        reporttest::Fixture db;
        QVERIFY2(db.ok() && addDeals(db), db.error());
        QVERIFY(reporttest::openReportSession(db.connectionString(), reporttest::Fixture::user(),
                                              QStringLiteral("Currency Pairs")));
        Host host;
        OpenPosition report;
        host.wire(report);
        MarkingGrid grid;
        grid.setColumns(report.logic().layout());
        grid.order.groups = {{grid.columns[QStringLiteral("Caption")].index, true}};
        grid.order.sortKeys = {{grid.columns[QStringLiteral("TicketNum")].index, true}};
        grid.order.groupTexts.resize(1);
        report.Main_Table = &grid;

        // The first result has nothing to be compared with.
        QVERIFY(host.run(report));
        QVERIFY(grid.taken && grid.taken->rows);
        QCOMPARE(grid.taken->markedRows, 0);

        // One deal's amount changes and a deal comes in, both EUR/USD.
        QVERIFY2(db.exec(QStringLiteral("UPDATE Tickets SET Volume1 = 500000, VolumeP1C2 = -550000"
                                        " WHERE TicketNum = 11")),
                 db.error());
        reporttest::Deal late;
        late.ticket = 13;
        late.volume1 = 100000;
        QVERIFY2(db.add(late), db.error());
        QVERIFY(host.run(report));
        QVERIFY(grid.taken);
        QStringList marked;
        QVector<QVariant> values;
        const int ticket = grid.columns[QStringLiteral("TicketNum")].index;
        const int pair = grid.columns[QStringLiteral("Caption")].index;
        const int summary = grid.columns[QStringLiteral("Summary")].index;
        for (int r = 0; r < grid.itemCount; ++r) {
            const RowMark mark = size_t(r) < grid.taken->marks.size() ? grid.taken->marks[size_t(r)] : RowMark::None;
            if (mark == RowMark::None)
                continue;
            report.readRow(r, values);
            marked.append((values.at(summary).toBool() ? QStringLiteral("summary of ") + values.at(pair).toString()
                                                       : values.at(ticket).toString())
                          + (mark == RowMark::Changed ? QStringLiteral(" changed") : QStringLiteral(" new")));
        }
        marked.sort();
        QCOMPARE(marked, (QStringList{QStringLiteral("11 changed"), QStringLiteral("13 new"),
                                      QStringLiteral("summary of 10 changed")}));
        QCOMPARE(grid.taken->markedRows, 3);

        // A grid that marks nothing is given no comparison.
        grid.marking = false;
        QVERIFY(host.run(report));
        QVERIFY(!grid.taken);
    }

    void simultaneousRunsSeeOnlyTheirOwnSelections()
    {
        Host first, second;
        OpenPosition a, b;
        first.wire(a);
        second.wire(b);
        a.setQueryField(QStringLiteral("Bank"), QStringList{"BANKA"});
        b.setQueryField(QStringLiteral("Bank"), QStringList{"BANKB"});
        for (int round = 0; round < 100; ++round) {
            QSignalSpy aDone(&first.events, &EventClass::UnActivProgress);
            QSignalSpy bDone(&second.events, &EventClass::UnActivProgress);
            a.StartAnalyser();
            b.StartAnalyser();
            QVERIFY((aDone.count() || aDone.wait(20000)) && (bDone.count() || bDone.wait(20000)));
            QCOMPARE(a.NumDeal, 3);
            QCOMPARE(b.NumDeal, 1);
            QCOMPARE(displayRows(b).first().section(u'|', 2, 2), QStringLiteral("BANKB"));
        }
    }

private:
    QTemporaryDir m_settingsDir;
    std::unique_ptr<reporttest::Fixture> m_db;
};

QTEST_GUILESS_MAIN(TestOpenPosition)
#include "tst_open_position.moc"

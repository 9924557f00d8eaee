// The open position report against a real trading database: the query, the
// pair summaries and their arithmetic, the display modes, the tools that
// follow the result, a failing query, the filter-slot table and undo.

#include "../db/ReportProcedureFixture.h"

#include "OpenPosition.h"
#include "PairSummary.h"
#include "RestoreQuery.h"

#include "Clock.h"
#include "MessageService.h"
#include "RegistryAccess.h"
#include "SessionContext.h"

#include "CheckCombo.h"
#include "Grid.h"
#include "RelDate.h"
#include "ToolBar.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QTest>

using data::Currency;

namespace {

/// Deals of one pair as (first-currency volume, rate).
using Deals = QList<QPair<double, double>>;

const QStringList ResultTools = {"ID_expand",      "ID_collapse",    "ID_Expand_Selection",
                                 "ID_ShowSummary", "ID_ShowDetails", "ID_PrintSelection",
                                 "ID_PrintAll"};

/// The widgets a host hands to a report: grid, toolbar and the 18 filter slots.
struct Host
{
    widgets::Grid grid;
    widgets::ToolBar toolbar;
    QWidget panel;
    std::array<FilterControl, FilterControlCount> controls;
    EventClass events;

    Host()
    {
        for (const QString &id : ResultTools + QStringList{"ID_undo", "ID_ShowTicket"})
            toolbar.addTool(id, widgets::Tool::Button, id);
        toolbar.addTool(QStringLiteral("ID_WithArchive"), widgets::Tool::CheckButton);
        for (int i = 0; i < FilterControlCount; ++i) {
            QWidget *common = nullptr;
            if (i == fcDateReport0 || i == fcDateReport1 || i == fcDateReport2 || i == fcDateReport3)
                common = new widgets::RelDate(&panel);
            else if (i == fcCombo1 || i == fcComboNetting || i == fcTypeDate)
                common = new QComboBox(&panel);
            else
                common = new widgets::CheckCombo(&panel);
            controls[size_t(i)] = {new QLabel(&panel), common, false};
        }
    }

    void wire(Report &report, View view = vwAll)
    {
        report.Main_Menu = &toolbar;
        report.Main_Table = &grid;
        for (int i = 0; i < FilterControlCount; ++i)
            report.setQPControl(i, controls[size_t(i)]);
        AllSettings settings;
        settings.DisplaySetting = view;
        report.setViewSetting(settings);
        report.SetUtil(&events);
    }

    bool toolEnabled(const QString &id) const { return toolbar.Tools(id)->Enabled(); }
};

QString money(const data::Value &v)
{
    return v.isNull() ? QStringLiteral("-") : v.toCurrency().toString();
}

QString rate(const data::Value &v)
{
    return v.isNull() ? QStringLiteral("-") : QString::number(v.toDouble(), 'f', 6);
}

/// Every display row: ticket|pair|buy1|sell1|buy2|sell2|rate|sellRate|buyRate|summary.
QStringList displayRows(Report &report)
{
    QStringList rows;
    data::RecordsetPtr rs = report.DisplayRecordset();
    if (!rs)
        return rows;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        const auto f = [&rs](const char *name) { return rs->Fields(QString::fromLatin1(name)).value(); };
        rows << QStringList{f("TicketNum").toString(),   f("Caption").toString(),
                            money(f("BuyCcy1")),         money(f("SellCcy1")),
                            money(f("BuyCcy2")),         money(f("SellCcy2")),
                            rate(f("Rate")),             rate(f("SellRate")),
                            rate(f("BuyRate")),          f("Summary").toString()}
                    .join(u'|');
    }
    return rows;
}

} // namespace

class TestOpenPosition final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_settingsDir.isValid());
        RegistryAccess::instance().setPath(m_settingsDir.filePath(QStringLiteral("registry.sqlite")));
        Clock::setToday(QDate(2026, 12, 4));
        auto messages = std::make_unique<MessageService>();
        MessageService::setInstance(std::move(messages));
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

    void shouldBuildDealAndPairSummaryRows()
    {
        reporttest::Fixture db;
        QVERIFY2(db.ok(), db.error());
        // EUR/USD: a buy and a sell; GBP/USD: only a buy; another day's deal stays out.
        reporttest::Deal buy;
        buy.ticket = 11;
        buy.volume1 = 1000000;
        buy.rate1 = 1.1;
        QVERIFY2(db.add(buy), db.error());
        reporttest::Deal sell;
        sell.ticket = 12;
        sell.volume1 = -400000;
        sell.rate1 = 1.2;
        sell.side = 2;
        QVERIFY2(db.add(sell), db.error());
        reporttest::Deal cable;
        cable.ticket = 21;
        cable.pair = QStringLiteral("12");
        cable.ccy1 = 4;
        cable.volume1 = 300000;
        cable.rate1 = 1.25;
        QVERIFY2(db.add(cable), db.error());
        reporttest::Deal yesterday;
        yesterday.ticket = 31;
        yesterday.dealTime = QStringLiteral("2026-12-03 09:00:00");
        QVERIFY2(db.add(yesterday), db.error());

        QVERIFY(SessionContext::instance().OpenSession(db.connectionString()));
        SessionContext::instance().setCurrentUserName(QStringLiteral("tester"));

        Host host;
        OpenPosition report;
        host.wire(report);
        QSignalSpy done(&host.events, &EventClass::UnActivProgress);
        QSignalSpy reselect(&host.events, &EventClass::ReSelectTabl);
        report.StartAnalyser();
        QVERIFY(done.wait(10000));

        QCOMPARE(displayRows(report),
                 QStringList({"11|10|1000000|-|-|-1100000|1.100000|-|-|False",
                              "12|10|-|-400000|480000|-|1.200000|-|-|False",
                              "-1|10|1000000|-400000|480000|-1100000|1.033333|1.200000|1.100000|True",
                              "21|12|300000|-|-|-375000|1.250000|-|-|False",
                              "-1|12|300000|0|0|-375000|1.250000|-|1.250000|True"}));
        QCOMPARE(report.NumDeal, 3);
        QCOMPARE(report.NumTable, 2);
        QCOMPARE(host.grid.ItemCount(), 5);
        QVERIFY(!reselect.isEmpty());
        QCOMPARE(reselect.last().at(1).toInt(), 3);
        QCOMPARE(reselect.last().at(2).toInt(), 2);
        for (const QString &tool : ResultTools)
            QVERIFY2(host.toolEnabled(tool), qPrintable(tool));
        QVERIFY(!host.toolEnabled(QStringLiteral("ID_undo")));
        QVERIFY(!host.toolEnabled(QStringLiteral("ID_ShowTicket")));

        // The summary row's texts in the unbound grid, in the host's formats.
        SessionContext::instance().setValueFormat(QStringLiteral("#,##0.00"));
        SessionContext::instance().setRateFormat(QStringLiteral("0.0000"));
        QVector<QVariant> values;
        report.readRow(2, values);
        const auto cell = [&](const char *key) {
            return values.value(host.grid.Columns(QString::fromLatin1(key))->Index()).toString();
        };
        QCOMPARE(cell("DealerName"), QStringLiteral("Ccy1: 600,000.00"));
        QCOMPARE(cell("BankName"), QStringLiteral("Ccy2: -620,000.00"));
        QCOMPARE(cell("DateVal1"), QStringLiteral("Sell Rate: 1.2000"));
        QCOMPARE(cell("DateVal2"), QStringLiteral("Buy Rate: 1.1000"));

        // Display modes: summary rows only, and printing a selection is off.
        AllSettings summary = report.ViewSetting();
        summary.DisplaySetting = vwSummary;
        report.setViewSetting(summary);
        report.RebindTable();
        QCOMPARE(host.grid.ItemCount(), 2);
        QVERIFY(!host.toolEnabled(QStringLiteral("ID_PrintSelection")));
        QVERIFY(host.grid.Columns(QStringLiteral("SumCcy1"))->Visible());
        QVERIFY(!host.grid.Columns(QStringLiteral("TicketNum"))->Visible());
        summary.DisplaySetting = vwDetail;
        report.setViewSetting(summary);
        report.RebindTable();
        QCOMPARE(host.grid.ItemCount(), 3);
        QVERIFY(host.toolEnabled(QStringLiteral("ID_PrintSelection")));
        QVERIFY(!host.grid.Columns(QStringLiteral("SumCcy1"))->Visible());
    }

    void shouldDisableResultToolsWhenNothingIsFound()
    {
        reporttest::Fixture db;
        QVERIFY2(db.ok(), db.error());
        QVERIFY(SessionContext::instance().OpenSession(db.connectionString()));
        Host host;
        OpenPosition report;
        host.wire(report);
        QSignalSpy done(&host.events, &EventClass::UnActivProgress);
        report.StartAnalyser();
        QVERIFY(done.wait(10000));
        QVERIFY(!report.MainRecordset);
        QCOMPARE(host.grid.ItemCount(), 0);
        for (const QString &tool : ResultTools)
            QVERIFY2(!host.toolEnabled(tool), qPrintable(tool));
    }

    void shouldShowTheServersErrorWhenTheQueryFails()
    {
        reporttest::Fixture db;
        QVERIFY2(db.ok(), db.error());
        QVERIFY2(db.exec(QStringLiteral("DROP TABLE Tickets")), db.error());
        QVERIFY(SessionContext::instance().OpenSession(db.connectionString()));
        MessageService::instance().clearMessages();
        Host host;
        OpenPosition report;
        host.wire(report);
        QSignalSpy done(&host.events, &EventClass::UnActivProgress);
        report.StartAnalyser();
        QVERIFY(done.wait(10000));
        const QString message = MessageService::instance().lastMessage();
        QVERIFY2(message.startsWith(QStringLiteral("Error Return Information. Error number: ")),
                 qPrintable(message));
        QVERIFY2(message.contains(QLatin1Char('\r')) && message.contains(QStringLiteral("Tickets")),
                 qPrintable(message));
        QCOMPARE(host.grid.ItemCount(), 0);
    }

    void filterSlotTableHasEighteenEntries()
    {
        OpenPosition report;
        bool ok = true;
        report.QPControl(18, &ok);
        QVERIFY(!ok);
        QVERIFY(!report.setQPControl(18, FilterControl()));
        QVERIFY(!report.setQPControl(-1, FilterControl()));
        Host host;
        QVERIFY(report.setQPControl(fcClientBox, host.controls[fcClientBox]));
        QCOMPARE(report.QPControl(17, &ok).Common.data(), host.controls[fcClientBox].Common.data());
        QVERIFY(ok);
        QCOMPARE(report.GetAllControl().toList().size(), 18);
    }

    void undoRestoresPairAndCurrencyBoxesSeparately()
    {
        Host host;
        OpenPosition report;
        for (int index : {fcPairBox, fcCcyBox, fcDealerBox})
            host.controls[size_t(index)].Enabled = true;
        auto *pairBox = qobject_cast<widgets::CheckCombo *>(host.controls[fcPairBox].Common);
        auto *ccyBox = qobject_cast<widgets::CheckCombo *>(host.controls[fcCcyBox].Common);
        pairBox->setSArrayData(QStringList{"EUR/USD", "USD/RUB"});
        ccyBox->setSArrayData(QStringList{"EUR", "USD"});
        report.StPair = QStringList{"EUR"};
        report.StPair2 = QStringList{"USD/RUB"};
        report.StDealer = QStringList{"JD"};
        report.Pair = QStringList{"USD"};
        report.Dealer = QStringList{"All"};
        RestoreQuery(report, host.controls);
        QCOMPARE(report.Pair, QStringList{"EUR"});
        QCOMPARE(report.Pair2, QStringList{"USD/RUB"});
        QCOMPARE(report.Dealer, QStringList{"JD"});
        QCOMPARE(ccyBox->ArrayChecked(), QStringList{"EUR"});
        QCOMPARE(pairBox->ArrayChecked(), QStringList{"USD/RUB"});

        // Only the pair box in use: it shows Pair.
        host.controls[fcCcyBox].Enabled = false;
        RestoreQuery(report, host.controls);
        QCOMPARE(pairBox->ArrayChecked(), QStringList{"EUR"});
    }

private:
    QTemporaryDir m_settingsDir;
};

QTEST_MAIN(TestOpenPosition)
#include "tst_open_position.moc"

// The detail window on its own: which columns each view shows, what an
// empty or closed deal recordset gives, the texts and styles of the deal
// cells, the right-click caption tool, Esc, the layout kept between openings
// and a report deleted under the window. The deals come from a small report
// whose "run" is delivered in memory; the report's filter is set here as its
// RowChange would set it.

#include "DetailTestReport.h"

#include "DetailWindow.h"

#include "MessageService.h"
#include "RegistryAccess.h"
#include "SessionContext.h"

#include "Grid.h"
#include "GridColumn.h"
#include "GridModel.h"
#include "Tool.h"
#include "ToolBar.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QMenu>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace detailtest;

namespace {

/// The keys of the visible columns, left to right.
QStringList visibleKeys(const widgets::Grid &grid)
{
    QMap<int, QString> byPosition;
    for (int i = 0; i < grid.ColumnCount(); ++i) {
        const widgets::GridColumn *column = grid.Columns(i);
        if (column->Visible())
            byPosition.insert(grid.header()->visualIndex(i), column->Key());
    }
    return byPosition.values();
}

/// What row `row` shows in column `key`.
QString shown(const widgets::Grid &grid, int row, const QString &key)
{
    const QModelIndex index = grid.indexAtRow(row).siblingAtColumn(grid.gridModel()->columnIndex(key));
    return index.data().toString();
}

void closePopups()
{
    while (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
}

} // namespace

class tst_DetailWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void showsTheColumnsOfItsView_data();
    void showsTheColumnsOfItsView();
    void showsNoRowsWithoutOpenDeals_data();
    void showsNoRowsWithoutOpenDeals();
    void listsTheDealsTheReportChose();
    void showsCodesAsTextsAndNegativeAmountsInRed();
    void rightClickOutsideColumnsDisablesChangeCaption();
    void escapeRaisesOnUnloadAndClosingFromCodeDoesNot();
    void keepsLayoutAndPlaceBetweenOpenings();
    void forgetsRowsOfDeletedReport();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TestReport> m_report;
    QPointer<frmDetails> m_window;

    frmDetails *open(int view, const ReportLogic &logic = pairLogic());
};

void tst_DetailWindow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    SessionContext::instance().setValueFormat(QStringLiteral("#,##0.00"));
    SessionContext::instance().setRateFormat(QStringLiteral("0.0000"));
}

void tst_DetailWindow::init()
{
    static int store = 0;
    RegistryAccess::instance().setPath(m_dir.filePath(QStringLiteral("settings-%1.db").arg(++store)));
    MessageService::instance().clearMessages();
}

void tst_DetailWindow::cleanup()
{
    delete m_window.data();
    m_report.reset();
    closePopups();
}

frmDetails *tst_DetailWindow::open(int view, const ReportLogic &logic)
{
    m_report = std::make_unique<TestReport>(logic);
    m_report->deliver();
    m_window = new frmDetails;
    new QAbstractItemModelTester(m_window->mainTable()->gridModel(), m_window);
    m_window->DetailActivate(m_report.get(), nullptr, view);
    return m_window;
}

void tst_DetailWindow::showsTheColumnsOfItsView_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<QStringList>("visible");
    QTest::newRow("single currency hides the second currency's amount, date and rate")
        << int(dvSingleCurrency)
        << QStringList{"PairCcy", "DealTime", "Volume", "ValDate", "TradeID", "PureDealType", "DealType"};
    QTest::newRow("currency pair shows them")
        << int(dvCurrencyPair)
        << QStringList{"PairCcy", "DealTime", "Volume", "Volume2", "Rate", "ValDate", "ValDate2", "TradeID",
                       "PureDealType", "DealType"};
    QTest::newRow("new detail shows its thirteen columns")
        << int(dvNewDetail)
        << QStringList{"TicketNum", "TCID", "Bank1ID", "PureDealType", "DealType", "Ccy1", "Ccy2", "Volume1",
                       "ExchRate1", "DepoRate", "ExchRate2", "ValDateP1C1", "ValDateP2C1"};
    QTest::newRow("deposits show their fourteen columns")
        << int(dvDepoOnly)
        << QStringList{"TicketNum", "Bank1ID", "DealType", "DealTime", "DealerID", "Ccy", "Volume1", "DepoRate",
                       "ValDateP1C1", "ValDateP2C1", "Interest", "Tax", "RateTax", "DepoType"};
}

void tst_DetailWindow::showsTheColumnsOfItsView()
{
    QFETCH(int, view);
    QFETCH(QStringList, visible);
    frmDetails *window = open(view);
    QCOMPARE(visibleKeys(*window->mainTable()), visible);
    // Without a filter the report's deal recordset shows every deal.
    QCOMPARE(window->mainTable()->ItemCount(), 10);
}

void tst_DetailWindow::showsNoRowsWithoutOpenDeals_data()
{
    QTest::addColumn<QString>("state");
    QTest::newRow("no result") << "none";
    QTest::newRow("closed deal recordset") << "closed";
    QTest::newRow("filter that matches no deal") << "empty";
    QTest::newRow("report without a detail window") << "no detail";
    QTest::newRow("object that is no report") << "no report";
}

void tst_DetailWindow::showsNoRowsWithoutOpenDeals()
{
    QFETCH(QString, state);
    m_report = std::make_unique<TestReport>(state == QLatin1String("no detail") ? noDetailLogic() : pairLogic());
    m_report->deliver();
    if (state == QLatin1String("none"))
        m_report->deliverNothing();
    else if (state == QLatin1String("closed"))
        m_report->DetRecordset->Close();
    else if (state == QLatin1String("empty"))
        QVERIFY(m_report->DetRecordset->setFilter(QStringLiteral("PairCcy = 7")));
    QObject notAReport;
    m_window = new frmDetails;
    m_window->DetailActivate(state == QLatin1String("no report") ? &notAReport : m_report.get(), nullptr,
                             dvCurrencyPair);
    QCOMPARE(m_window->mainTable()->ItemCount(), 0);
    if (state == QLatin1String("no detail"))
        QCOMPARE(m_report->property("CurrentDet").toInt(), -1);
    m_window->ChangeCaption(QStringLiteral("again"));
    QCOMPARE(m_window->mainTable()->ItemCount(), 0);
    QVERIFY(MessageService::instance().messages().isEmpty());
}

void tst_DetailWindow::listsTheDealsTheReportChose()
{
    frmDetails *window = open(dvCurrencyPair);
    QVERIFY(m_report->DetRecordset->setFilter(dayFilter(2, FirstDay.addDays(1))));
    window->ChangeCaption(QStringLiteral("pair 2"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Detail Test - pair 2"));
    widgets::Grid *grid = window->mainTable();
    QCOMPARE(grid->ItemCount(), 4);
    // The rows in the recordset's order, read by their bookmarks.
    QStringList trades;
    for (int row = 0; row < grid->ItemCount(); ++row)
        trades.append(shown(*grid, row, QStringLiteral("TradeID")));
    QCOMPARE(trades, (QStringList{"106", "107", "108", "109"}));
    QCOMPARE(shown(*grid, 1, QStringLiteral("Volume")), QStringLiteral("-2,000.00"));
    QCOMPARE(shown(*grid, 1, QStringLiteral("Rate")), QStringLiteral("1.1000"));
    // The report moving its own cursor does not move the window's rows.
    m_report->DetRecordset->MoveLast();
    QCOMPARE(shown(*grid, 0, QStringLiteral("TradeID")), QStringLiteral("106"));
}

void tst_DetailWindow::showsCodesAsTextsAndNegativeAmountsInRed()
{
    m_report = std::make_unique<TestReport>();
    m_report->deliver();
    data::Recordset &deals = *m_report->DetRecordset;
    addDeal(deals, 3, FirstDay, 10, -500, 900, 8, 2);    // swap, sold first
    addDeal(deals, 3, FirstDay, 11, 700, 901, 16, 1);    // deposit taken
    addDeal(deals, 3, FirstDay, 12, 100, 902, 32, 2);    // FRA given
    addDeal(deals, 3, FirstDay, 13, 100, 903, 4, 2);     // outright sold
    QVERIFY(deals.setFilter(QStringLiteral("PairCcy = 3")));
    m_window = new frmDetails;
    m_window->DetailActivate(m_report.get(), nullptr, dvCurrencyPair);
    widgets::Grid *grid = m_window->mainTable();
    QCOMPARE(grid->ItemCount(), 4);
    const QStringList kinds = {shown(*grid, 0, "PureDealType"), shown(*grid, 1, "PureDealType"),
                               shown(*grid, 2, "PureDealType"), shown(*grid, 3, "PureDealType")};
    QCOMPARE(kinds, (QStringList{"Swap", "Deposit", "FRA", "Outright"}));
    const QStringList sides = {shown(*grid, 0, "DealType"), shown(*grid, 1, "DealType"),
                               shown(*grid, 2, "DealType"), shown(*grid, 3, "DealType")};
    QCOMPARE(sides, (QStringList{"Sell&Buy", "Borrow", "FRA Lend", "Sell"}));

    const widgets::FormatCondition *negative = grid->FmtCondition(QStringLiteral("NegValue"));
    QVERIFY(negative);
    QCOMPARE(negative->ColumnKey(), QStringLiteral("Volume"));
    const QModelIndex sold = grid->indexAtRow(0).siblingAtColumn(grid->gridModel()->columnIndex("Volume"));
    const QModelIndex taken = grid->indexAtRow(1).siblingAtColumn(grid->gridModel()->columnIndex("Volume"));
    QCOMPARE(sold.data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    QVERIFY(taken.data(Qt::ForegroundRole).value<QColor>() != QColor(Qt::red));
}

void tst_DetailWindow::rightClickOutsideColumnsDisablesChangeCaption()
{
    frmDetails *window = open(dvSingleCurrency);
    window->resize(1400, 300);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    widgets::Grid *grid = window->mainTable();
    widgets::Tool *changeCaption = window->mainMenu()->Tools(QStringLiteral("ID_ChangeCaption"));
    QHeaderView *header = grid->header();

    const int inside = header->sectionViewportPosition(0) + 10;
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, QPoint(inside, 5));
    QVERIFY(changeCaption->Enabled());
    closePopups();

    const int past = header->length() + 20;
    QVERIFY(past < grid->viewport()->width());
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, QPoint(past, 5));
    QVERIFY(!changeCaption->Enabled());
    // The pop-up still comes, with the caption tool in it.
    QTRY_VERIFY(QApplication::activePopupWidget());
    closePopups();
}

void tst_DetailWindow::escapeRaisesOnUnloadAndClosingFromCodeDoesNot()
{
    frmDetails *window = open(dvCurrencyPair);
    QSignalSpy unloaded(window, &frmDetails::OnUnload);
    QTest::keyClick(window->mainTable(), Qt::Key_Escape);
    QCOMPARE(unloaded.count(), 1);
    QTRY_VERIFY(m_window.isNull());

    window = open(dvCurrencyPair);
    QSignalSpy quiet(window, &frmDetails::OnUnload);
    window->close();
    QCOMPARE(quiet.count(), 0);
}

void tst_DetailWindow::keepsLayoutAndPlaceBetweenOpenings()
{
    frmDetails *window = open(dvCurrencyPair);
    widgets::Grid *grid = window->mainTable();
    grid->Columns(QStringLiteral("TradeID"))->setCaption(QStringLiteral("Trade"));
    grid->Columns(QStringLiteral("Volume"))->setWidth(155);
    grid->Columns(QStringLiteral("DealType"))->setPosition(1);
    grid->Columns(QStringLiteral("PureDealType"))->setVisible(false);
    QVERIFY(grid->addGroup(QStringLiteral("PureDealType"), false));
    window->mainMenu()->Tools(QStringLiteral("ID_GroupBox"))->action()->trigger();
    window->mainMenu()->Tools(QStringLiteral("ID_ExpandAfterRefresh"))->action()->trigger();
    window->move(40, 50);
    window->resize(700, 300);
    const QRect frame = window->frameGeometry();
    window->close();
    QTRY_VERIFY(m_window.isNull());

    window = open(dvCurrencyPair);
    grid = window->mainTable();
    QCOMPARE(grid->Columns(QStringLiteral("TradeID"))->Caption(), QStringLiteral("Trade"));
    QCOMPARE(grid->Columns(QStringLiteral("Volume"))->Width(), 155);
    QCOMPARE(visibleKeys(*grid).first(), QStringLiteral("DealType"));
    QCOMPARE(grid->groupCount(), 1);
    QCOMPARE(grid->gridModel()->groups().first().column, grid->gridModel()->columnIndex("PureDealType"));
    QVERIFY(!grid->gridModel()->groups().first().ascending);
    QVERIFY(!grid->Columns(QStringLiteral("PureDealType"))->Visible());
    QCOMPARE(window->mainMenu()->Tools(QStringLiteral("ID_GroupBox"))->State(), 1);
    QVERIFY(grid->GroupByBoxVisible());
    QCOMPARE(window->mainMenu()->Tools(QStringLiteral("ID_ExpandAfterRefresh"))->State(), 1);
    // Expanded after the load, as the toggle asks.
    QVERIFY(grid->isExpanded(grid->gridModel()->allGroupIndexes().first()));
    QCOMPARE(window->frameGeometry().topLeft(), frame.topLeft());
    QCOMPARE(window->size(), QSize(700, 300));
}

void tst_DetailWindow::forgetsRowsOfDeletedReport()
{
    frmDetails *window = open(dvCurrencyPair);
    QVERIFY(window->mainTable()->ItemCount() > 0);
    m_report.reset();
    QVERIFY(!window->report());
    QCOMPARE(window->mainTable()->ItemCount(), 0);
    // Reloading and painting after the report went read nothing of it.
    window->ChangeCaption(QStringLiteral("gone"));
    QCOMPARE(window->mainTable()->ItemCount(), 0);
    QVERIFY(!window->grab().isNull());
}

QTEST_MAIN(tst_DetailWindow)
#include "tst_detailwindow.moc"

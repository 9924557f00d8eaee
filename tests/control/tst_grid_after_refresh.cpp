// The grid and its tools after a refresh, on the open position report over a
// demo trading database: which tools can act before and after a query, which
// groups open by themselves, what a group row counts, how wide the first run
// makes the columns, and, for every report, that an export's rows are the
// rows the grid shows.

#include "ControlTestSession.h"
#include "../support/ReportRowTexts.h"

#include "Marvolt.h"

#include "Report.h"
#include "ReportExporter.h"
#include "ReportFactory.h"

#include "Clock.h"
#include "MessageService.h"
#include "RegistryAccess.h"
#include "RegistrySettings.h"
#include "SessionContext.h"
#include "SharedValues.h"

#include "Grid.h"
#include "GridColumn.h"
#include "GridDelegate.h"
#include "GridModel.h"
#include "Tool.h"
#include "ToolBar.h"

#include "DemoDatabase.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

namespace {

const QDate Today(2026, 12, 4);

widgets::Tool *toolOf(const Marvolt &control, const char *id)
{
    return control.mainMenu()->Tools(QString::fromLatin1(id));
}

void click(const Marvolt &control, const char *id)
{
    toolOf(control, id)->action()->trigger();
}

bool runAndWait(Marvolt &control)
{
    QSignalSpy ended(&control, &Marvolt::UnActivProgress);
    control.RefreshData();
    return !ended.isEmpty() || ended.wait(30000);
}

/// How many group rows are open, and how many there are.
QPair<int, int> expandedGroups(const widgets::Grid &grid)
{
    const QModelIndexList groups = grid.gridModel()->allGroupIndexes();
    int open = 0;
    for (const QModelIndex &group : groups)
        open += grid.isExpanded(group) ? 1 : 0;
    return {open, int(groups.size())};
}

} // namespace

class tst_GridAfterRefresh : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void toolsAreEnabledWhenTheyCanAct();
    void groupsOpenAfterRefresh_data();
    void groupsOpenAfterRefresh();
    void expandAfterRefreshSurvivesToTheNextStart();
    void groupRowsCountTheirDeals();
    void firstRunColumnsShowTheirWholeTexts();
    void aStoredLayoutWinsAndACutAmountIsElidedWithItsText();
    void exportRowsAreTheRowsTheGridShows_data();
    void exportRowsAreTheRowsTheGridShows();

private:
    controltest::DemoSession m_demo;
};

void tst_GridAfterRefresh::initTestCase()
{
    QString error;
    QVERIFY2(m_demo.build(3000, 1, Today, &error), qPrintable(error));
    Clock::setToday(Today);
}

void tst_GridAfterRefresh::init()
{
    QVERIFY(m_demo.startFreshUser());
}

void tst_GridAfterRefresh::cleanup()
{
    SessionContext::resetInstance();
}

void tst_GridAfterRefresh::toolsAreEnabledWhenTheyCanAct()
{
    Marvolt control;
    const auto enabled = [&control](const char *id) { return toolOf(control, id)->Enabled(); };
    // Nothing to undo, copy or caption before there is a report.
    QVERIFY(!enabled("ID_undo"));
    QVERIFY(!enabled("ID_Copy"));
    QVERIFY(!enabled("ID_Caption"));

    control.setProperty("WindowType", 0);
    QVERIFY(!enabled("ID_undo"));
    QVERIFY(!enabled("ID_Copy"));

    QVERIFY(runAndWait(control));
    QVERIFY(control.mainTable()->ItemCount() > 0);
    QVERIFY(enabled("ID_Copy"));
    QVERIFY(!enabled("ID_undo"));

    // A day without deals leaves nothing to copy.
    QString error;
    QVERIFY2(control.setQueryField(QStringLiteral("ValDate"), QStringLiteral("2020-01-01"), &error), qPrintable(error));
    QVERIFY(runAndWait(control));
    QCOMPARE(control.mainTable()->ItemCount(), 0);
    QVERIFY(!enabled("ID_Copy"));
}

void tst_GridAfterRefresh::groupsOpenAfterRefresh_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<bool>("autoExpand");
    QTest::addColumn<bool>("userCollapses");
    QTest::addColumn<bool>("allOpen");
    QTest::newRow("all-view-without-auto-expand-stays-closed") << int(vwAll) << false << false << false;
    QTest::newRow("all-view-with-auto-expand-opens-every-group") << int(vwAll) << true << false << true;
    QTest::newRow("detail-view-with-auto-expand-opens-every-group") << int(vwDetail) << true << false << true;
    QTest::newRow("summary-view-shows-every-summary-row") << int(vwSummary) << false << false << true;
    QTest::newRow("summary-view-keeps-what-the-user-closed") << int(vwSummary) << false << true << false;
}

void tst_GridAfterRefresh::groupsOpenAfterRefresh()
{
    QFETCH(int, view);
    QFETCH(bool, autoExpand);
    QFETCH(bool, userCollapses);
    QFETCH(bool, allOpen);
    Marvolt control;
    control.setProperty("WindowType", 0);
    control.setDisplayMode(View(view));
    if (autoExpand)
        click(control, "ID_ExpandAfterRefresh");
    QCOMPARE(toolOf(control, "ID_ExpandAfterRefresh")->State(), autoExpand ? 1 : 0);
    QCOMPARE(control.report()->ViewSetting().AutoExpand, autoExpand);

    QVERIFY(runAndWait(control));
    widgets::Grid *grid = control.mainTable();
    if (userCollapses) {
        QCOMPARE(expandedGroups(*grid).first, expandedGroups(*grid).second);
        click(control, "ID_collapse");
    }
    // The second refresh too: each one opens the groups again.
    QVERIFY(runAndWait(control));
    const auto [open, groups] = expandedGroups(*grid);
    QVERIFY(groups > 1);
    QCOMPARE(open, allOpen ? groups : 0);
}

void tst_GridAfterRefresh::expandAfterRefreshSurvivesToTheNextStart()
{
    {
        Marvolt control;
        control.setProperty("WindowType", 0);
        click(control, "ID_ExpandAfterRefresh");
        control.Control_Unload();
    }
    Marvolt control;
    control.setProperty("WindowType", 0);
    QCOMPARE(toolOf(control, "ID_ExpandAfterRefresh")->State(), 1);
    QVERIFY(runAndWait(control));
    const auto [open, groups] = expandedGroups(*control.mainTable());
    QVERIFY(groups > 1);
    QCOMPARE(open, groups);

    // A report whose setting is off does not keep the previous check mark.
    RegistrySettings::SaveViewSetting(QStringLiteral("Currency Pairs"), AllSettings());
    control.setProperty("WindowType", 0);
    QCOMPARE(toolOf(control, "ID_ExpandAfterRefresh")->State(), 0);
}

void tst_GridAfterRefresh::groupRowsCountTheirDeals()
{
    Marvolt control;
    control.setProperty("WindowType", 0);
    control.setDisplayMode(vwAll);
    QVERIFY(runAndWait(control));
    widgets::Grid *grid = control.mainTable();
    widgets::GridModel *model = grid->gridModel();
    const int summaryColumn = model->columnIndex(QStringLiteral("Summary"));
    int deals = 0;
    for (const QModelIndex &group : model->allGroupIndexes()) {
        int groupDeals = 0;
        for (int r = 0; r < model->rowCount(group); ++r)
            groupDeals += model->value(model->index(r, 0, group), summaryColumn).toBool() ? 0 : 1;
        QCOMPARE(model->rowCount(group), groupDeals + 1);
        QCOMPARE(group.data(widgets::GridModel::GroupCountRole).toInt(), groupDeals);
        QVERIFY2(model->groupText(group).endsWith(QStringLiteral(" (%1)").arg(groupDeals)),
                 qPrintable(model->groupText(group)));
        deals += groupDeals;
    }
    QCOMPARE(deals, control.report()->NumDeal);

    // Summary rows alone: the group row gives no count it cannot know.
    control.setDisplayMode(vwSummary);
    const QModelIndex first = model->allGroupIndexes().value(0);
    QCOMPARE(first.data(widgets::GridModel::GroupCountRole).toInt(), -1);
    QVERIFY(!model->groupText(first).contains(u'('));
}

void tst_GridAfterRefresh::firstRunColumnsShowTheirWholeTexts()
{
    Marvolt control;
    control.resize(1280, 800);
    control.setProperty("WindowType", 0);
    control.setDisplayMode(vwAll);
    QVERIFY(runAndWait(control));
    widgets::Grid *grid = control.mainTable();
    grid->expandAllGroups();
    widgets::GridModel *model = grid->gridModel();
    auto *delegate = qobject_cast<widgets::GridDelegate *>(grid->itemDelegate());
    QVERIFY(delegate);
    QStyleOptionViewItem option;
    option.initFrom(grid);
    int checked = 0;
    for (const char *key : {"DealerName", "BankName", "BuyCcy1", "SellCcy1", "DateVal1", "Rate", "BuyCcy2", "SellCcy2",
                            "DateVal2"}) {
        const widgets::GridColumn *column = grid->Columns(QString::fromLatin1(key));
        QVERIFY(column->Visible());
        QVERIFY2(column->Width() <= 320, key);
        option.rect = QRect(0, 0, grid->header()->sectionSize(column->Index()), 20);
        for (const QModelIndex &group : model->allGroupIndexes()) {
            for (int r = 0; r < model->rowCount(group); ++r) {
                const QModelIndex cell = model->index(r, column->Index(), group);
                QVERIFY2(!delegate->isElided(option, cell),
                         qPrintable(QStringLiteral("%1: %2 in %3 px").arg(QString::fromLatin1(key),
                                                                          cell.data().toString())
                                        .arg(option.rect.width())));
                ++checked;
            }
        }
    }
    QVERIFY(checked > 100);
}

void tst_GridAfterRefresh::aStoredLayoutWinsAndACutAmountIsElidedWithItsText()
{
    {
        Marvolt control;
        control.setProperty("WindowType", 0);
        control.mainTable()->Columns(QStringLiteral("SellCcy2"))->setWidth(40);
        control.Control_Unload();
    }
    Marvolt control;
    control.setProperty("WindowType", 0);
    control.setDisplayMode(vwAll);
    QVERIFY(runAndWait(control));
    widgets::Grid *grid = control.mainTable();
    const widgets::GridColumn *column = grid->Columns(QStringLiteral("SellCcy2"));
    QCOMPARE(column->Width(), 40);

    grid->expandAllGroups();
    widgets::GridModel *model = grid->gridModel();
    const QModelIndex group = model->allGroupIndexes().value(0);
    const QModelIndex cell = model->index(0, column->Index(), group);
    QVERIFY(!cell.data().toString().isEmpty());
    auto *delegate = qobject_cast<widgets::GridDelegate *>(grid->itemDelegate());
    QStyleOptionViewItem option;
    option.initFrom(grid);
    option.rect = QRect(0, 0, 40, 20);
    QVERIFY(delegate->isElided(option, cell));
    // The whole amount is in the cell's tool tip.
    QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), grid->viewport()->mapToGlobal(QPoint(2, 2)));
    QVERIFY(delegate->helpEvent(&help, grid, option, cell));
    QCOMPARE(QToolTip::text(), cell.data().toString());
}

void tst_GridAfterRefresh::exportRowsAreTheRowsTheGridShows_data()
{
    QTest::addColumn<int>("windowType");
    for (const ReportFactory::AppType type :
         {ReportFactory::dmOpenPosition, ReportFactory::dmForwardPosition, ReportFactory::dmSingleCurrency,
          ReportFactory::dmDepoPosition, ReportFactory::dmCashFlow, ReportFactory::dmCurrencyPosition,
          ReportFactory::dmNetting, ReportFactory::dmBrokerPosition, ReportFactory::dmProffit,
          ReportFactory::dmProfitCurrency, ReportFactory::dmProfitRange})
        QTest::newRow(QMetaEnum::fromType<ReportFactory::AppType>().valueToKey(type)) << int(type);
}

void tst_GridAfterRefresh::exportRowsAreTheRowsTheGridShows()
{
    // An export reads the rows on its worker through the report's shown
    // rows, not through the grid: both must give the same rows, summary
    // texts and dates included.
    QFETCH(int, windowType);
    Marvolt control;
    control.setDisplayMode(vwAll);
    control.setWindowType(windowType);
    QVERIFY(runAndWait(control));
    const widgets::Grid &grid = *control.mainTable();
    QVERIFY2(grid.ItemCount() > 0, "the demo day shows rows in every report");
    for (const auto format : {ReportExporter::Format::Xlsx, ReportExporter::Format::GridCsv}) {
        const QList<ReportRow> exported = ReportExporter::resultRows(*control.report(), grid, format).rows();
        const QList<ReportRow> shown = grid.reportDocument(false, ReportExporter::cellsFor(format)).rows;
        QCOMPARE(testsupport::rowTexts(exported), testsupport::rowTexts(shown));
    }
}

QTEST_MAIN(tst_GridAfterRefresh)
#include "tst_grid_after_refresh.moc"

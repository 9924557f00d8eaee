// The chart beside the grid on real reports over a demo trading database:
// the open position's bars are each pair's net first-currency amount of the
// day, recomputed here from Tickets; the cash-flow ladder follows the group
// of the current row; the tool is there only for a report with a chart, and
// a print adds the chart's page.

#include "ControlTestSession.h"

#include "Marvolt.h"
#include "Report.h"

#include "Clock.h"
#include "SessionContext.h"

#include "Grid.h"
#include "GridModel.h"
#include "ReportChart.h"
#include "Tool.h"
#include "ToolBar.h"

#include "Connection.h"
#include "Recordset.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QDate Today(2026, 12, 4);

widgets::Tool *toolOf(const Marvolt &control, const char *id)
{
    return control.mainMenu()->Tools(QString::fromLatin1(id));
}

bool runAndWait(Marvolt &control)
{
    QSignalSpy ended(&control, &Marvolt::UnActivProgress);
    control.RefreshData();
    return !ended.isEmpty() || ended.wait(30000);
}

void check(Marvolt &control, const char *id)
{
    widgets::Tool *tool = toolOf(control, id);
    tool->setState(1);
    Q_EMIT control.mainMenu()->ToolClick(tool);
}

} // namespace

class tst_ReportChart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_demo.build(3000, 1, Today, &error), qPrintable(error));
        Clock::setToday(Today);
    }
    void init()
    {
        QVERIFY(m_demo.startFreshUser());
    }
    void cleanup() { SessionContext::resetInstance(); }

    void barsAreEachPairsNetFirstCurrency()
    {
        Marvolt control;
        control.resize(1280, 800);
        control.setProperty("WindowType", 0);
        QVERIFY(toolOf(control, "ID_Chart")->Visible());
        check(control, "ID_Chart");
        QVERIFY(runAndWait(control));
        QTRY_VERIFY(!control.chart()->points().isEmpty());
        QCOMPARE(control.chart()->kind(), widgets::ChartKind::Bars);

        // The day's FX legs with a status of 0 or more, summed per pair in SQL.
        data::Connection connection;
        QVERIFY(connection.Open(m_demo.connectionString()));
        const data::RecordsetPtr sums = connection.Execute(QStringLiteral(
            "SELECT p.Name, SUM(CASE n.Leg WHEN 1 THEN t.Volume1 ELSE t.VolumeP2C1 END) AS Net"
            " FROM Tickets t JOIN Pairs p ON p.Ccy1 = t.Ccy1 AND p.Ccy2 = t.Ccy2"
            " JOIN (SELECT 1 AS Leg UNION ALL SELECT 2) n ON n.Leg = 1 OR t.PureDealType = 8"
            " WHERE date(t.DealTime) = '2026-12-04' AND t.PureDealType IN (2, 4, 8) AND t.Status >= 0"
            " GROUP BY p.Name ORDER BY p.Name"));
        QVERIFY2(sums, connection.lastError() ? qPrintable(connection.lastError()->Description) : "");
        QStringList expected;
        for (sums->MoveFirst(); !sums->Eof(); sums->MoveNext())
            expected << QStringLiteral("%1 %2").arg(sums->Fields(0).value().toString())
                            .arg(double(sums->Fields(1).value().toInt64()) / 10000.0, 0, 'f', 2);
        QStringList shown;
        for (const widgets::ChartPoint &point : control.chart()->points())
            shown << QStringLiteral("%1 %2").arg(point.label).arg(point.value, 0, 'f', 2);
        shown.sort();
        QVERIFY(!expected.isEmpty());
        QCOMPARE(shown, expected);
    }

    void toolAndChartOnlyWhereTheReportHasOne()
    {
        Marvolt control;
        control.resize(1280, 800);
        control.show();
        control.setProperty("WindowType", 0);
        check(control, "ID_Chart");
        QVERIFY(control.chart()->isVisible());
        // The brokers' commissions have no chart: neither tool nor chart.
        control.setProperty("WindowType", 13);
        QVERIFY(!toolOf(control, "ID_Chart")->Visible());
        QVERIFY(!control.chart()->isVisible());
        // Back on a report with one, the user's choice holds.
        control.setProperty("WindowType", 0);
        QVERIFY(toolOf(control, "ID_Chart")->Visible());
        QVERIFY(control.chart()->isVisible());
        QCOMPARE(toolOf(control, "ID_Chart")->State(), 1);
    }

    void ladderFollowsTheCurrentGroup()
    {
        Marvolt control;
        control.resize(1280, 800);
        control.setProperty("WindowType", 4);   // cash flow
        check(control, "ID_Chart");
        QVERIFY(runAndWait(control));
        widgets::Grid *grid = control.mainTable();
        const widgets::GridModel *model = grid->gridModel();
        QVERIFY(model->rowCount() >= 2);
        QTRY_COMPARE(control.chart()->kind(), widgets::ChartKind::Ladder);
        const auto groupName = [&](int r) {
            const QModelIndex group = model->index(r, 0);
            return model->displayText(model->data(group, widgets::GridModel::RawValueRole), model->groups().value(0).column);
        };
        QVERIFY2(control.chart()->title().endsWith(groupName(0)), qPrintable(control.chart()->title()));

        // On a row of the second currency the ladder is that currency's, one step a value date.
        const QModelIndex second = model->index(1, 0);
        grid->expand(second);
        grid->setCurrentIndex(model->index(0, 0, second));
        QTRY_VERIFY2(control.chart()->title().endsWith(groupName(1)), qPrintable(control.chart()->title()));
        int dayRows = 0;
        const int summary = grid->Columns(QStringLiteral("Summary"))->Index();
        for (int r = 0; r < model->rowCount(second); ++r)
            dayRows += model->data(model->index(r, summary, second), widgets::GridModel::RawValueRole).toBool() ? 0 : 1;
        QCOMPARE(control.chart()->points().size(), dayRows);
    }

    void printAddsTheChartsPage()
    {
        Marvolt control;
        control.resize(1280, 800);
        control.show();
        control.setLibraryDirectory(m_demo.folder());
        control.setProperty("WindowType", 0);
        QVERIFY(runAndWait(control));
        const auto pages = [](const QString &pdf) {
            QFile file(pdf);
            return file.open(QIODevice::ReadOnly) ? int(file.readAll().count("/Type /Page\n")) : -1;
        };
        QVERIFY2(control.printResult(), qPrintable(control.lastPrintError()));
        const int withoutChart = pages(control.lastPrintPath());
        QVERIFY(withoutChart >= 1);
        check(control, "ID_Chart");
        QTest::qWait(1100);   // a new file name: prints are named by the second
        QVERIFY2(control.printResult(), qPrintable(control.lastPrintError()));
        QCOMPARE(pages(control.lastPrintPath()), withoutChart + 1);
    }

private:
    controltest::DemoSession m_demo;
};

QTEST_MAIN(tst_ReportChart)
#include "tst_report_chart.moc"

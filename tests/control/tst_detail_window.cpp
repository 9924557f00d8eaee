// The detail window with the control: the tool opens it on the report's
// current row, it follows the row as the keyboard moves it (group rows and
// rows whose filter names no deals list nothing), Esc unchecks the tool, and
// it goes with its report.

#include "../windows/DetailTestReport.h"

#include "ControlTestSession.h"

#include "Marvolt.h"

#include "DetailWindow.h"
#include "EventClass.h"

#include "MessageService.h"
#include "RegistryAccess.h"

#include "Grid.h"
#include "Tool.h"
#include "ToolBar.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace detailtest;

namespace {

widgets::Tool *toolOf(const Marvolt &control, const char *id)
{
    return control.mainMenu()->Tools(QString::fromLatin1(id));
}

void click(const Marvolt &control, const char *id)
{
    toolOf(control, id)->action()->trigger();
}

frmDetails *detailsOf(const Marvolt &control)
{
    return qobject_cast<frmDetails *>(control.detailWindow());
}

} // namespace

class tst_DetailWindowControl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void followsTheCurrentRowWithTheKeyboard();
    void listsNothingForRowsWithoutUsableFilter_data();
    void listsNothingForRowsWithoutUsableFilter();
    void followsANewResult();
    void escapeUnchecksTheToolAndTheToolOpensItAgain();
    void goesWithItsReport_data();
    void goesWithItsReport();
    void raisesNoCaptionWithoutAnOpenDetailWindow_data();
    void raisesNoCaptionWithoutAnOpenDetailWindow();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QWidget> m_host;
    std::unique_ptr<Marvolt> m_control;
    TestReport *m_report = nullptr;

    /// A control showing the test report's rows, every group open, and the
    /// detail tool usable.
    void showReport(const ReportLogic &logic = pairLogic());
};

void tst_DetailWindowControl::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void tst_DetailWindowControl::init()
{
    static int store = 0;
    RegistryAccess::instance().setPath(m_dir.filePath(QStringLiteral("settings-%1.db").arg(++store)));
    MessageService::instance().clearMessages();
}

void tst_DetailWindowControl::cleanup()
{
    // The control leaves its host window as it goes.
    m_control.reset();
    m_host.reset();
    m_report = nullptr;
}

void tst_DetailWindowControl::showReport(const ReportLogic &logic)
{
    m_control = std::make_unique<Marvolt>();
    m_control->resize(1000, 600);
    auto report = std::make_unique<TestReport>(logic);
    m_report = report.get();
    m_control->installReport(std::move(report));
    toolOf(*m_control, "ID_DetailWIndow")->setVisible(true);
    toolOf(*m_control, "ID_DetailWIndow")->setEnabled(true);
    m_report->deliver();
    m_control->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_control.get()));
    m_control->mainTable()->expandAllGroups();
}

void tst_DetailWindowControl::followsTheCurrentRowWithTheKeyboard()
{
    showReport();
    widgets::Grid *grid = m_control->mainTable();
    // Rows: pair 1, its two days and its summary; pair 2, the same.
    grid->setRow(1);
    click(*m_control, "ID_DetailWIndow");
    frmDetails *window = detailsOf(*m_control);
    QVERIFY(window);
    QCOMPARE(window->mainTable()->ItemCount(), DealsPerDay[0][0]);
    QCOMPARE(window->windowTitle(), QStringLiteral("Detail Test - pair 1 (2026-12-03)"));

    struct Step
    {
        Qt::Key key;
        int rows;
        QString title;
    };
    const Step steps[] = {
        {Qt::Key_Down, DealsPerDay[0][1], QStringLiteral("Detail Test - pair 1 (2026-12-04)")},
        {Qt::Key_Down, DealsPerDay[0][0] + DealsPerDay[0][1], QString()},   // the pair's summary row
        {Qt::Key_Down, 0, QStringLiteral("Detail Test - 2")},               // the group row of pair 2
        {Qt::Key_Down, DealsPerDay[1][0], QStringLiteral("Detail Test - pair 2 (2026-12-03)")},
        {Qt::Key_Down, DealsPerDay[1][1], QStringLiteral("Detail Test - pair 2 (2026-12-04)")},
        {Qt::Key_Up, DealsPerDay[1][0], QStringLiteral("Detail Test - pair 2 (2026-12-03)")},
    };
    for (const Step &step : steps) {
        QTest::keyClick(grid, step.key);
        QCOMPARE(window->mainTable()->ItemCount(), step.rows);
        if (!step.title.isEmpty())
            QCOMPARE(window->windowTitle(), step.title);
    }
    // The rows are those of the report's day: pair 2's first day has one deal.
    QCOMPARE(window->mainTable()->gridModel()->index(0, 0).data().toString(), QStringLiteral("2"));
}

void tst_DetailWindowControl::listsNothingForRowsWithoutUsableFilter_data()
{
    QTest::addColumn<QString>("filter");
    QTest::newRow("refused filter") << "DealTime >>> 3";
    QTest::newRow("filter naming an unknown field") << "Nonesuch = 1";
    QTest::newRow("empty filter lists none, not every deal") << "";
}

void tst_DetailWindowControl::listsNothingForRowsWithoutUsableFilter()
{
    QFETCH(QString, filter);
    showReport();
    widgets::Grid *grid = m_control->mainTable();
    // The second display row (pair 1's second day) gets the filter under test.
    data::RecordsetPtr display = m_report->DisplayRecordset();
    QVERIFY(display->setAbsolutePosition(2));
    QVERIFY(display->Fields(QStringLiteral("CurrentFilter")).setValue(data::Value(filter)));
    grid->setRow(1);
    click(*m_control, "ID_DetailWIndow");
    frmDetails *window = detailsOf(*m_control);
    QVERIFY(window);
    QCOMPARE(window->mainTable()->ItemCount(), DealsPerDay[0][0]);

    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(window->mainTable()->ItemCount(), 0);
    QCOMPARE(window->windowTitle(), QStringLiteral("Detail Test - pair 1 (2026-12-04)"));
    QVERIFY(MessageService::instance().messages().isEmpty());
    // The next row lists its deals again.
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(window->mainTable()->ItemCount(), DealsPerDay[0][0] + DealsPerDay[0][1]);
}

void tst_DetailWindowControl::followsANewResult()
{
    showReport();
    m_control->mainTable()->setRow(2);
    click(*m_control, "ID_DetailWIndow");
    frmDetails *window = detailsOf(*m_control);
    QVERIFY(window);
    QCOMPARE(window->mainTable()->ItemCount(), DealsPerDay[0][1]);

    m_report->deliverNothing();
    QCOMPARE(window->mainTable()->ItemCount(), 0);
    QVERIFY(!m_report->DetRecordset);

    m_report->deliver();
    m_control->mainTable()->expandAllGroups();
    m_control->mainTable()->setRow(1);
    QCOMPARE(window->mainTable()->ItemCount(), DealsPerDay[0][0]);
}

void tst_DetailWindowControl::escapeUnchecksTheToolAndTheToolOpensItAgain()
{
    showReport();
    m_control->mainTable()->setRow(1);
    click(*m_control, "ID_DetailWIndow");
    QPointer<frmDetails> window = detailsOf(*m_control);
    QVERIFY(window);
    QTest::keyClick(window->mainTable(), Qt::Key_Escape);
    QCOMPARE(toolOf(*m_control, "ID_DetailWIndow")->State(), 0);
    QTRY_VERIFY(window.isNull());
    QVERIFY(!m_control->detailWindow());

    click(*m_control, "ID_DetailWIndow");
    QCOMPARE(toolOf(*m_control, "ID_DetailWIndow")->State(), 1);
    window = detailsOf(*m_control);
    QVERIFY(window);
    QCOMPARE(window->mainTable()->ItemCount(), DealsPerDay[0][0]);
}

void tst_DetailWindowControl::goesWithItsReport_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("report replaced") << "replaced";
    QTest::newRow("report removed") << "removed";
    QTest::newRow("currency pair mode changed") << "pair mode";
    QTest::newRow("control unloaded") << "unloaded";
    QTest::newRow("control deleted") << "deleted";
}

void tst_DetailWindowControl::goesWithItsReport()
{
    QFETCH(QString, how);
    showReport();
    m_host = std::make_unique<QWidget>();
    m_control->setParent(m_host.get());
    m_control->mainTable()->setRow(1);
    click(*m_control, "ID_DetailWIndow");
    QPointer<frmDetails> window = detailsOf(*m_control);
    QVERIFY(window);
    QCOMPARE(window->parentWidget(), m_host.get());
    QPointer<Report> report = m_report;

    if (how == QLatin1String("replaced")) {
        m_control->installReport(std::make_unique<TestReport>(currencyLogic()));
    } else if (how == QLatin1String("removed")) {
        m_control->installReport(nullptr);
    } else if (how == QLatin1String("pair mode")) {
        toolOf(*m_control, "ID_CurrencyPair")->setVisible(true);
        click(*m_control, "ID_CurrencyPair");
    } else if (how == QLatin1String("unloaded")) {
        m_control->Control_Unload();
    } else {
        m_control.reset();
        QVERIFY(report.isNull());
    }
    QVERIFY(window.isNull());
    if (m_control) {
        QVERIFY(!m_control->detailWindow());
        QCOMPARE(toolOf(*m_control, "ID_DetailWIndow")->State(), 0);
    }
}

void tst_DetailWindowControl::raisesNoCaptionWithoutAnOpenDetailWindow_data()
{
    QTest::addColumn<bool>("detailView");
    QTest::newRow("tool unchecked: the deals keep every row") << true;
    QTest::newRow("report without a detail window, tool checked") << false;
}

void tst_DetailWindowControl::raisesNoCaptionWithoutAnOpenDetailWindow()
{
    QFETCH(bool, detailView);
    showReport(detailView ? pairLogic() : noDetailLogic());
    if (!detailView)
        toolOf(*m_control, "ID_DetailWIndow")->setState(1);
    QSignalSpy captions(m_control->CurrentActiv(), &EventClass::SetDetCaption);
    m_control->mainTable()->setRow(1);
    QTest::keyClick(m_control->mainTable(), Qt::Key_Down);
    m_report->Table_DblClick();
    QVERIFY(captions.isEmpty());
    if (detailView) {
        QVERIFY(m_report->DetRecordset->Filter().isEmpty());
        QCOMPARE(m_report->DetRecordset->RecordCount(), 10);
    } else {
        QVERIFY(!m_report->DetRecordset);
    }
}

QTEST_MAIN(tst_DetailWindowControl)
#include "tst_detail_window.moc"

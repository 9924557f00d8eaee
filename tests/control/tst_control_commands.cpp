// The control's toolbar commands and grid gestures against a real demo trading
// database: what each tool does with and without a report, the report switches
// and the runs they start, clicks lost while a query runs, undo, printing and
// copying, the detail window, and the grid's double click, space bar, row
// change, right click and focus.

#include "ControlTestSession.h"

#include "Marvolt.h"
#include "ReportExporter.h"

#include "EventClass.h"
#include "Report.h"

#include "Clock.h"
#include "MessageService.h"
#include "RegistryAccess.h"
#include "RegistrySettings.h"
#include "SessionContext.h"
#include "SharedValues.h"

#include "CheckCombo.h"
#include "ElapsedBut.h"
#include "Grid.h"
#include "GridColumn.h"
#include "ToolBar.h"

#include "DemoDatabase.h"
#include "Recordset.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QHeaderView>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QTest>
#include <QMenu>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

namespace {

const QDate Today(2026, 12, 4);

/// The probe's rows: the open deals grouped by pair, group rows "Caption",
/// data rows with the ticket number.
class ProbeLogic final : public ReportLogic
{
public:
    QString procedure() const override { return QStringLiteral("cnt_OpenPosition"); }
    int owner() const override { return 2; }
    DisplayLayout layout() const override { return {Fields, Columns, "Caption"}; }
    DisplayCounts buildDisplay(data::Recordset &in, data::Recordset &out) const override
    {
        DisplayCounts counts;
        QSet<int> pairs;
        for (in.MoveFirst(); !in.Eof(); in.MoveNext()) {
            const int pair = in.Fields(QStringLiteral("PairCcy")).value().toInt();
            pairs.insert(pair);
            out.AddNew();
            out.Fields(QStringLiteral("Caption")).setValue(pair);
            out.Fields(QStringLiteral("TicketNum")).setValue(in.Fields(QStringLiteral("TicketNum")).value());
            out.Fields(QStringLiteral("Summary")).setValue(false);
            out.Update();
            ++counts.deals;
        }
        counts.groups = int(pairs.size());
        return counts;
    }

private:
    static constexpr DisplayField Fields[] = {{"Caption", data::DataType::Integer, 4},
                                              {"TicketNum", data::DataType::BigInt, 8},
                                              {"Summary", data::DataType::Boolean, 1}};
    static constexpr ReportColumn Columns[] = {
        {"Caption", "Pair", "Caption", true, ReportColumn::AlignLeft, 100},
        {"TicketNum", "Ticket", "TicketNum", true, ReportColumn::AlignRight, 70}};
};

const ProbeLogic ProbeRows;

/// A report with every switch the toolbar sets and every member it calls,
/// counting the calls.
class ProbeReport final : public Report
{
    Q_OBJECT
    Q_PROPERTY(bool WithAdminRate MEMBER WithAdminRate)
    Q_PROPERTY(bool WithRecalc MEMBER WithRecalc)
    Q_PROPERTY(bool WithCommission MEMBER WithCommission)
    Q_PROPERTY(bool WithTaxe MEMBER WithTaxe)
    Q_PROPERTY(bool WithNetting MEMBER WithNetting)
    Q_PROPERTY(bool WithRollower MEMBER WithRollower)
    Q_PROPERTY(int CurrentDet MEMBER CurrentDet)

public:
    ProbeReport() : Report(QStringLiteral("Probe"), ProbeRows) {}

    bool WithAdminRate = true;
    bool WithRecalc = false;
    bool WithCommission = false;
    bool WithTaxe = false;
    bool WithNetting = false;
    bool WithRollower = false;
    int CurrentDet = 3;

    int runs = 0;
    int doubleClicks = 0;
    int rowChanges = 0;
    QList<int> newPairs;
    QStringList rateCalls;

    void StartAnalyser() override
    {
        ++runs;
        Report::StartAnalyser();
    }
    void Table_DblClick() override { ++doubleClicks; }
    void RowChange() override { ++rowChanges; }
    Q_INVOKABLE void SetNewPair(int pair) { newPairs.append(pair); }
    Q_INVOKABLE void ShowReutersRate() { rateCalls.append(QStringLiteral("show")); }
    Q_INVOKABLE void HideReutersRate() { rateCalls.append(QStringLiteral("hide")); }

};

/// A detail window as the control drives it: by name.
class ProbeDetailWindow final : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
    QObject *report = nullptr;
    int current = -1;
    QStringList captions;
    Q_INVOKABLE void DetailActivate(QObject *forReport, QWidget *, int currentDet)
    {
        report = forReport;
        current = currentDet;
    }
    Q_INVOKABLE void ChangeCaption(const QString &title) { captions.append(title); }
Q_SIGNALS:
    void OnUnload();
};

widgets::Tool *toolOf(const Marvolt &control, const QString &id)
{
    return control.mainMenu()->Tools(id);
}

void click(const Marvolt &control, const QString &id)
{
    toolOf(control, id)->action()->trigger();
}

bool runAndWait(Marvolt &control)
{
    QSignalSpy ended(&control, &Marvolt::UnActivProgress);
    control.RefreshData();
    return !ended.isEmpty() || ended.wait(30000);
}

ProbeReport *installProbe(Marvolt &control)
{
    auto report = std::make_unique<ProbeReport>();
    ProbeReport *probe = report.get();
    control.installReport(std::move(report));
    // Shown and enabled as a report that has these switches would do.
    for (const char *id : {"ID_CurrencyPair", "ID_WithRecalculate", "ID_ReutersRate", "ID_RateSource",
                           "ID_WithCommission", "ID_WithTaxe", "ID_WithNetting", "ID_WithRollower",
                           "ID_WithArchive", "ID_DetailWIndow", "ID_ShowTicket"}) {
        toolOf(control, QString::fromLatin1(id))->setVisible(true);
        toolOf(control, QString::fromLatin1(id))->setEnabled(true);
    }
    return probe;
}

} // namespace

class tst_ControlCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void shouldIgnoreReportToolsWithoutReportAndKeepAnswering_data();
    void shouldIgnoreReportToolsWithoutReportAndKeepAnswering();
    void shouldInvertRateSourceIntoAdminRate();
    void shouldDisableSevenFiltersAndRunWithRecalculate();
    void shouldSetSwitchesWithoutRunning_data();
    void shouldSetSwitchesWithoutRunning();
    void shouldRunAfterCommissionSwitch();
    void shouldCallRateWindowMembers();
    void shouldLoseClicksWhileQueryRuns();
    void shouldLoseClicksWhileClickIsHandled();
    void shouldCloseDetailWindowAndRunOnCurrencyPair();
    void shouldRelayDetailCaptionOnlyWhileWindowChecked();
    void shouldUncheckDetailToolWhenUserClosesWindow();
    void shouldUndoFilterChangesToCommittedQuery();
    void shouldPrintWholeResultAndKeepFormAndDirectory();
    void shouldReportPrintFailure();
    void shouldCopySelectedRowsAsTextAndTable();
    void shouldExportWholeResultOnAWorker();
    void shouldCallDoubleClickOnlyForDataRows();
    void shouldRaiseReselectAndRowChangeOnNewRow();
    void shouldRememberRightClickedColumn();
    void shouldRaiseEmptyReselectWhenFocusEnters();
    void shouldShowNoRowsWithoutReportOrResult();
    void shouldKeepPanelPlaceAndVisibilityForNextReport();
    void shouldPopUpFilterMenuOnTitleBar();
    void shouldSetCounterpartiesThroughTreeDialog();

private:
    controltest::DemoSession m_demo;
};

void tst_ControlCommands::initTestCase()
{
    QString error;
    QVERIFY2(m_demo.build(3000, 5, Today, &error), qPrintable(error));
    Clock::setToday(Today);
}

void tst_ControlCommands::init()
{
    QVERIFY(m_demo.startFreshUser());
}

void tst_ControlCommands::cleanup()
{
    SessionContext::resetInstance();
}

void tst_ControlCommands::shouldIgnoreReportToolsWithoutReportAndKeepAnswering_data()
{
    QTest::addColumn<QString>("id");
    for (const char *id : {"ID_undo", "ID_ExpandAfterRefresh", "ID_Filter", "ID_ShowSummary", "ID_ShowDetails",
                           "ID_Save", "ID_Delete", "ID_PrintAll", "ID_ReutersRate", "ID_AutoRefresh",
                           "ID_RateSource", "ID_WithRecalculate", "ID_WithCommission", "ID_DetailWIndow",
                           "ID_CurrencyPair", "ID_ShowTicket", "ID_WithArchive"})
        QTest::newRow(id) << QString::fromLatin1(id);
}

void tst_ControlCommands::shouldIgnoreReportToolsWithoutReportAndKeepAnswering()
{
    QFETCH(QString, id);
    Marvolt control;
    control.setDetailWindowFactory([](QWidget *parent) { return new ProbeDetailWindow(parent); });
    QSignalSpy started(&control, &Marvolt::InitProgress);
    toolOf(control, id)->setVisible(true);
    toolOf(control, id)->setEnabled(true);
    click(control, id);
    QVERIFY(!control.report());
    QVERIFY(started.isEmpty());
    QVERIFY(!control.detailWindow());
    if (id == QLatin1String("ID_DetailWIndow"))
        QCOMPARE(toolOf(control, id)->State(), 0);
    QVERIFY(!control.isAutoRefreshTimerActive());
    QVERIFY(MessageService::instance().messages().isEmpty());

    // The dispatcher is free again: a report's tool works next.
    ProbeReport *probe = installProbe(control);
    click(control, QStringLiteral("ID_WithTaxe"));
    QVERIFY(probe->WithTaxe);
}

void tst_ControlCommands::shouldInvertRateSourceIntoAdminRate()
{
    Marvolt control;
    ProbeReport *probe = installProbe(control);
    click(control, QStringLiteral("ID_RateSource"));
    QCOMPARE(toolOf(control, QStringLiteral("ID_RateSource"))->State(), 1);
    QCOMPARE(probe->WithAdminRate, false);
    click(control, QStringLiteral("ID_RateSource"));
    QCOMPARE(probe->WithAdminRate, true);
    QCOMPARE(probe->runs, 0);
}

void tst_ControlCommands::shouldDisableSevenFiltersAndRunWithRecalculate()
{
    Marvolt control;
    ProbeReport *probe = installProbe(control);
    const QList<int> affected = {fcDealBox, fcCptyBox, fcLegendBox, fcComboNetting, fcPairBox, fcCcyBox, fcStatusBox};

    click(control, QStringLiteral("ID_WithRecalculate"));
    QVERIFY(probe->WithRecalc);
    QCOMPARE(probe->runs, 1);
    for (int index = 0; index < FilterControlCount; ++index)
        QVERIFY2(control.filterWidget(index)->isEnabledTo(&control) == !affected.contains(index),
                 qPrintable(QString::number(index)));
    QTRY_VERIFY(control.isEnabled());

    click(control, QStringLiteral("ID_WithRecalculate"));
    QVERIFY(!probe->WithRecalc);
    QCOMPARE(probe->runs, 2);
    for (int index : affected)
        QVERIFY(control.filterWidget(index)->isEnabledTo(&control));
}

void tst_ControlCommands::shouldSetSwitchesWithoutRunning_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("field");
    QTest::newRow("archive") << "ID_WithArchive" << "WithArchive";
    QTest::newRow("taxe") << "ID_WithTaxe" << "WithTaxe";
    QTest::newRow("netting") << "ID_WithNetting" << "WithNetting";
    QTest::newRow("rollower") << "ID_WithRollower" << "WithRollower";
}

void tst_ControlCommands::shouldSetSwitchesWithoutRunning()
{
    QFETCH(QString, tool);
    QFETCH(QString, field);
    // The archive switch can be on only where the archive can be added.
    SharedValues::setArchiveAvailable(true);
    Marvolt control;
    ProbeReport *probe = installProbe(control);
    click(control, tool);
    QCOMPARE(probe->property(field.toLatin1()).toBool(), true);
    click(control, tool);
    QCOMPARE(probe->property(field.toLatin1()).toBool(), false);
    QCOMPARE(probe->runs, 0);
}

void tst_ControlCommands::shouldRunAfterCommissionSwitch()
{
    Marvolt control;
    ProbeReport *probe = installProbe(control);
    click(control, QStringLiteral("ID_WithCommission"));
    QVERIFY(probe->WithCommission);
    QCOMPARE(probe->runs, 1);
}

void tst_ControlCommands::shouldCallRateWindowMembers()
{
    Marvolt control;
    ProbeReport *probe = installProbe(control);
    click(control, QStringLiteral("ID_ReutersRate"));
    click(control, QStringLiteral("ID_ReutersRate"));
    QCOMPARE(probe->rateCalls, (QStringList{QStringLiteral("show"), QStringLiteral("hide")}));
    QCOMPARE(probe->runs, 0);

    // A report without the rate window is left alone.
    control.setWindowType(0);
    click(control, QStringLiteral("ID_ReutersRate"));
    QVERIFY(MessageService::instance().messages().isEmpty());
}

void tst_ControlCommands::shouldLoseClicksWhileQueryRuns()
{
    Marvolt control;
    ProbeReport *probe = installProbe(control);
    control.CurrentActiv()->RaiseInitProgress(0);
    QVERIFY(!control.isEnabled());
    click(control, QStringLiteral("ID_WithCommission"));
    click(control, QStringLiteral("ID_refresh"));
    QVERIFY(!probe->WithCommission);
    QCOMPARE(probe->runs, 0);
    // The lost click leaves the check button as it was.
    QCOMPARE(toolOf(control, QStringLiteral("ID_WithCommission"))->State(), 0);

    control.CurrentActiv()->RaiseUnActiv();
    QVERIFY(control.isEnabled());
    click(control, QStringLiteral("ID_WithCommission"));
    QVERIFY(probe->WithCommission);
}

void tst_ControlCommands::shouldLoseClicksWhileClickIsHandled()
{
    Marvolt control;
    ProbeReport *probe = installProbe(control);
    // The detail window's creation lets a second click through, as a modal
    // dialog would: it must be lost, not run in the middle of the first.
    control.setDetailWindowFactory([&control](QWidget *parent) {
        click(control, QStringLiteral("ID_WithCommission"));
        return new ProbeDetailWindow(parent);
    });
    click(control, QStringLiteral("ID_DetailWIndow"));
    QVERIFY(control.detailWindow());
    QVERIFY(!probe->WithCommission);
    QCOMPARE(probe->runs, 0);
}

void tst_ControlCommands::shouldCloseDetailWindowAndRunOnCurrencyPair()
{
    Marvolt control;
    ProbeReport *probe = installProbe(control);
    control.setDetailWindowFactory([](QWidget *parent) { return new ProbeDetailWindow(parent); });
    click(control, QStringLiteral("ID_DetailWIndow"));
    auto *window = qobject_cast<ProbeDetailWindow *>(control.detailWindow());
    QVERIFY(window);
    QCOMPARE(window->report, probe);
    QCOMPARE(window->current, 3);
    QCOMPARE(probe->rowChanges, 1);

    QPointer<QWidget> opened(window);
    click(control, QStringLiteral("ID_CurrencyPair"));
    QCOMPARE(probe->newPairs, QList<int>{1});
    QVERIFY(opened.isNull());
    QCOMPARE(toolOf(control, QStringLiteral("ID_DetailWIndow"))->State(), 0);
    QCOMPARE(probe->runs, 1);
    QTRY_VERIFY(control.isEnabled());

    click(control, QStringLiteral("ID_CurrencyPair"));
    QCOMPARE(probe->newPairs, (QList<int>{1, 0}));
    QCOMPARE(probe->runs, 2);
}

void tst_ControlCommands::shouldRelayDetailCaptionOnlyWhileWindowChecked()
{
    Marvolt control;
    installProbe(control);
    control.setDetailWindowFactory([](QWidget *parent) { return new ProbeDetailWindow(parent); });
    control.CurrentActiv()->RaiseDetCaption(QStringLiteral("before"));
    click(control, QStringLiteral("ID_DetailWIndow"));
    auto *window = qobject_cast<ProbeDetailWindow *>(control.detailWindow());
    QVERIFY(window);
    control.CurrentActiv()->RaiseDetCaption(QStringLiteral("EUR/USD"));
    QCOMPARE(window->captions, QStringList{QStringLiteral("EUR/USD")});

    click(control, QStringLiteral("ID_DetailWIndow"));
    QVERIFY(!control.detailWindow());
    control.CurrentActiv()->RaiseDetCaption(QStringLiteral("after"));
}

void tst_ControlCommands::shouldUncheckDetailToolWhenUserClosesWindow()
{
    Marvolt control;
    installProbe(control);
    control.setDetailWindowFactory([](QWidget *parent) { return new ProbeDetailWindow(parent); });
    click(control, QStringLiteral("ID_DetailWIndow"));
    auto *window = qobject_cast<ProbeDetailWindow *>(control.detailWindow());
    QVERIFY(window);
    Q_EMIT window->OnUnload();
    QCOMPARE(toolOf(control, QStringLiteral("ID_DetailWIndow"))->State(), 0);

    // Replacing the report takes its detail window with it.
    QPointer<QWidget> opened(window);
    control.setWindowType(0);
    QVERIFY(opened.isNull());
}

void tst_ControlCommands::shouldUndoFilterChangesToCommittedQuery()
{
    Marvolt control;
    control.setWindowType(0);
    QVERIFY(runAndWait(control));
    Report *report = control.report();
    const QStringList committed = report->committedQuery().Dealer;
    QString error;
    QVERIFY2(control.setQueryField(QStringLiteral("Dealer"), QStringLiteral("O'BRIEN"), &error), qPrintable(error));
    QCOMPARE(report->query().Dealer, QStringList{QStringLiteral("O'BRIEN")});
    toolOf(control, QStringLiteral("ID_undo"))->setEnabled(true);

    click(control, QStringLiteral("ID_undo"));
    QCOMPARE(report->query().Dealer, committed);
    QVERIFY(!toolOf(control, QStringLiteral("ID_undo"))->Enabled());
    auto *dealers = qobject_cast<widgets::CheckCombo *>(control.filterControl(fcDealerBox).Common.data());
    QVERIFY(!dealers->ArrayChecked().contains(QStringLiteral("O'BRIEN")));
}

void tst_ControlCommands::shouldPrintWholeResultAndKeepFormAndDirectory()
{
    QTemporaryDir library;
    Marvolt control;
    control.setLibraryDirectory(library.path());
    control.setWindowType(0);
    QVERIFY(runAndWait(control));
    // Collapsed groups are printed too.
    control.mainTable()->collapseAllGroups();

    click(control, QStringLiteral("ID_PrintAll"));
    const QString pdf = control.lastPrintPath();
    QVERIFY2(!pdf.isEmpty(), qPrintable(control.lastPrintError()));
    QVERIFY(pdf.startsWith(QDir(library.path()).filePath(QStringLiteral("Report"))));
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");
    QVERIFY(SharedValues::StatBarText().contains(pdf));
    QVERIFY(MessageService::instance().messages().isEmpty());

    // The resolved template folder becomes the stored default at unloading.
    const QString appName = control.App_Name;
    control.Control_Unload();
    QString form;
    QCOMPARE(RegistrySettings::LoadDefaults(appName, &form), QDir(library.path()).filePath(QStringLiteral("Template")));
}

void tst_ControlCommands::shouldReportPrintFailure()
{
    QTemporaryDir library;
    // A file where the output folder should be, and where the user's own
    // data folder should be: nothing can be written.
    QFile blocker(QDir(library.path()).filePath(QStringLiteral("Report")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QByteArray userData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(blocker.fileName()));
    const auto restore = qScopeGuard([&userData] { qputenv("XDG_DATA_HOME", userData); });
    Marvolt control;
    control.setLibraryDirectory(library.path());
    control.setWindowType(0);
    QVERIFY(runAndWait(control));
    click(control, QStringLiteral("ID_PrintSelection"));
    QCOMPARE(MessageService::instance().messages().size(), 1);
    QVERIFY(!control.lastPrintError().isEmpty());
    // The toolbar still answers.
    click(control, QStringLiteral("ID_collapse"));
}

void tst_ControlCommands::shouldCopySelectedRowsAsTextAndTable()
{
    Marvolt control;
    installProbe(control);
    QVERIFY(runAndWait(control));
    widgets::Grid *grid = control.mainTable();
    grid->expandAllGroups();
    grid->setRow(1);
    grid->selectionModel()->select(grid->currentIndex(),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const QString ticket = grid->Text(QStringLiteral("TicketNum"));
    QVERIFY(!ticket.isEmpty());

    click(control, QStringLiteral("ID_Copy"));
    const QMimeData *copied = QGuiApplication::clipboard()->mimeData();
    QVERIFY(copied);
    const QStringList lines = copied->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    // First what the rows are: the report, its filters, when they were read.
    QVERIFY2(lines.at(0).startsWith(control.report()->App_Name + QStringLiteral(" | ")), qPrintable(lines.at(0)));
    QVERIFY2(lines.at(0).contains(QStringLiteral(" | Run: ")), qPrintable(lines.at(0)));
    QCOMPARE(lines.at(1), QStringLiteral("Pair\tTicket"));
    QVERIFY(lines.at(2).endsWith(QLatin1Char('\t') + ticket));
    QVERIFY(copied->html().contains(QStringLiteral("<table")));
    QVERIFY(copied->html().contains(control.report()->App_Name.toHtmlEscaped() + QStringLiteral("<br/>")));
}

void tst_ControlCommands::shouldExportWholeResultOnAWorker()
{
    Marvolt control;
    installProbe(control);
    QTemporaryDir dir;
    // Nothing to export before the first result.
    QVERIFY(!control.exportResult(dir.filePath(QStringLiteral("early.csv"))));
    QVERIFY(!control.lastExportError().isEmpty());
    QVERIFY(runAndWait(control));
    widgets::Grid *grid = control.mainTable();
    grid->collapseAllGroups();   // an export holds every row, collapsed or not

    QSignalSpy finished(control.exporter(), &ReportExporter::finished);
    const QString csv = dir.filePath(QStringLiteral("grid.csv"));
    QVERIFY2(control.exportResult(csv), qPrintable(control.lastExportError()));
    // One export at a time: until its end reaches this thread, a second is refused.
    QVERIFY(!control.exportResult(dir.filePath(QStringLiteral("second.csv"))));
    QVERIFY(control.lastExportError().contains(QStringLiteral("still")));
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    QCOMPARE(finished.at(0).at(1).toString(), csv);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("second.csv"))));
    QFile written(csv);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(written.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.first(), QStringLiteral("Row,Pair,Ticket"));
    QVERIFY(lines.at(1).startsWith(QStringLiteral("Context,") + control.report()->App_Name));
    QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^(Detail|Summary),"))).size(), control.report()->NumDeal);

    // Another suffix is refused with the reason; the workbook is written too.
    QVERIFY(!control.exportResult(dir.filePath(QStringLiteral("grid.pdf"))));
    QVERIFY(control.lastExportError().contains(QStringLiteral(".xlsx")));
    finished.clear();
    QVERIFY(control.exportResult(dir.filePath(QStringLiteral("grid.xlsx"))));
    QVERIFY(finished.wait(5000));
    QVERIFY(finished.at(0).at(0).toBool());
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("grid.xlsx"))).size() > 0);
}

void tst_ControlCommands::shouldCallDoubleClickOnlyForDataRows()
{
    Marvolt control;
    ProbeReport *probe = installProbe(control);
    QVERIFY(runAndWait(control));
    widgets::Grid *grid = control.mainTable();
    grid->collapseAllGroups();
    grid->setRow(0);
    QVERIFY(grid->IsGroupItem());

    Q_EMIT grid->DblClick();
    QCOMPARE(probe->doubleClicks, 0);
    click(control, QStringLiteral("ID_ShowTicket"));
    QCOMPARE(probe->doubleClicks, 0);
    // The space bar opens even a group row.
    Q_EMIT grid->KeyPress(32);
    QCOMPARE(probe->doubleClicks, 1);
    Q_EMIT grid->KeyPress(13);
    QCOMPARE(probe->doubleClicks, 1);

    grid->expandAllGroups();
    grid->setRow(1);
    QVERIFY(!grid->IsGroupItem());
    Q_EMIT grid->DblClick();
    click(control, QStringLiteral("ID_ShowTicket"));
    QCOMPARE(probe->doubleClicks, 3);
}

void tst_ControlCommands::shouldRaiseReselectAndRowChangeOnNewRow()
{
    Marvolt control;
    ProbeReport *probe = installProbe(control);
    QVERIFY(runAndWait(control));
    widgets::Grid *grid = control.mainTable();
    grid->expandAllGroups();
    grid->setRow(0);
    const int changesBefore = probe->rowChanges;
    QSignalSpy reselected(&control, &Marvolt::ReSelectTabl);

    grid->setRow(1);
    QCOMPARE(reselected.count(), 1);
    QCOMPARE(reselected.at(0).at(0).toString(), grid->Value(QStringLiteral("Caption")).toString());
    QCOMPARE(reselected.at(0).at(1).value<short>(), short(probe->NumDeal));
    QCOMPARE(reselected.at(0).at(2).value<short>(), short(probe->NumTable));
    QCOMPARE(probe->rowChanges, changesBefore + 1);

    // The same row again is no change.
    Q_EMIT grid->RowChange(grid->Row());
    QCOMPARE(reselected.count(), 1);
    QCOMPARE(probe->rowChanges, changesBefore + 1);
}

void tst_ControlCommands::shouldRememberRightClickedColumn()
{
    Marvolt control;
    widgets::Grid *grid = control.mainTable();
    grid->addColumn(QStringLiteral("Caption"), QStringLiteral("Pair"));
    control.resize(800, 600);
    control.show();
    QVERIFY(QTest::qWaitForWindowExposed(&control));

    // Without a report too; far right of the only column is outside every column.
    const int header = grid->header()->sectionViewportPosition(0) + 5;
    Q_EMIT grid->MouseUp(2, 0, header, 5);
    QVERIFY(control.lastClickedColumn());
    QVERIFY(toolOf(control, QStringLiteral("ID_Caption"))->Enabled());
    QTRY_VERIFY(toolOf(control, QStringLiteral("ID_PopUp"))->action()->menu()->isVisible());
    toolOf(control, QStringLiteral("ID_PopUp"))->action()->menu()->hide();

    Q_EMIT grid->MouseUp(2, 0, grid->width() - 5, 5);
    QVERIFY(!control.lastClickedColumn());
    QVERIFY(!toolOf(control, QStringLiteral("ID_Caption"))->Enabled());
    QTRY_VERIFY(toolOf(control, QStringLiteral("ID_PopUp"))->action()->menu()->isVisible());
    toolOf(control, QStringLiteral("ID_PopUp"))->action()->menu()->hide();

    // The left button changes nothing.
    Q_EMIT grid->MouseUp(1, 0, header, 5);
    QVERIFY(!control.lastClickedColumn());
}

void tst_ControlCommands::shouldRaiseEmptyReselectWhenFocusEnters()
{
    QWidget host;
    auto *outside = new QComboBox(&host);
    auto *control = new Marvolt(&host);
    outside->move(0, 0);
    control->setGeometry(0, 40, 800, 600);
    host.resize(800, 640);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    QSignalSpy reselected(control, &Marvolt::ReSelectTabl);

    outside->setFocus();
    control->mainTable()->setFocus();
    QVERIFY(reselected.isEmpty());   // no report yet

    outside->setFocus();
    installProbe(*control);
    control->mainTable()->setFocus();
    QCOMPARE(reselected.count(), 1);
    QCOMPARE(reselected.at(0).at(0).toString(), QString());
    QCOMPARE(reselected.at(0).at(1).value<short>(), short(0));
    QCOMPARE(reselected.at(0).at(2).value<short>(), short(0));
    // Moving inside the control is not entering it.
    control->filterWidget(fcDealBox)->setFocus();
    QCOMPARE(reselected.count(), 1);
}

void tst_ControlCommands::shouldShowNoRowsWithoutReportOrResult()
{
    Marvolt control;
    control.resize(800, 600);
    control.show();
    ProbeReport *probe = installProbe(control);
    QVERIFY(runAndWait(control));
    widgets::Grid *grid = control.mainTable();
    QVERIFY(grid->ItemCount() > 0);

    // The result goes while the grid still counts its rows: the next read empties it.
    probe->MainRecordset.reset();
    grid->refresh();
    QTRY_COMPARE(grid->ItemCount(), 0);

    QVERIFY(runAndWait(control));
    QVERIFY(grid->ItemCount() > 0);
    control.setWindowType(6);
    QVERIFY(!control.report());
    QCOMPARE(grid->ItemCount(), 0);
}

void tst_ControlCommands::shouldKeepPanelPlaceAndVisibilityForNextReport()
{
    {
        Marvolt control;
        control.resize(1280, 800);
        control.setWindowType(0);
        control.show();
        QVERIFY(QTest::qWaitForWindowExposed(&control));
        auto *area = control.findChild<QWidget *>(QStringLiteral("ClientArea"));
        auto *title = control.findChild<QWidget *>(QStringLiteral("TitlePanel"));
        auto *panel = control.findChild<QWidget *>(QStringLiteral("QueryPanel"));
        QVERIFY(area && title && panel);
        const QPoint grab = title->mapTo(panel, QPoint(60, 10));
        // Dragged by its title bar into the middle of the grid: it floats there.
        QTest::mousePress(title, Qt::LeftButton, {}, QPoint(60, 10));
        QTest::mouseMove(title, title->mapFrom(area, QPoint(500, 400)));
        QTest::mouseMove(title, title->mapFrom(area, QPoint(520, 420)));
        QTest::mouseRelease(title, Qt::LeftButton, {}, title->mapFrom(area, QPoint(520, 420)));
        QCOMPARE(control.report()->ViewSetting().QPAlign, drNone);
        QCOMPARE(control.report()->ViewSetting().QPPosition[0], float(520 - grab.x()));
        QCOMPARE(control.report()->ViewSetting().QPPosition[1], float(420 - grab.y()));

        // Hidden with its own button, shown again from the toolbar.
        auto *close = control.findChild<QToolButton *>(QStringLiteral("CloseFilter"));
        close->click();
        QVERIFY(!control.findChild<QWidget *>(QStringLiteral("QueryPanel"))->isVisible());
        QCOMPARE(toolOf(control, QStringLiteral("ID_Filter"))->State(), 0);
        QVERIFY(!control.report()->ViewSetting().QPVisible);
        click(control, QStringLiteral("ID_Filter"));
        QVERIFY(control.findChild<QWidget *>(QStringLiteral("QueryPanel"))->isVisible());
        close->click();
        control.Control_Unload();
    }
    Marvolt control;
    control.setWindowType(0);
    const AllSettings restored = control.viewSettings();
    QCOMPARE(restored.QPAlign, drNone);
    QVERIFY(restored.QPPosition[0] > 400.0f && restored.QPPosition[1] > 400.0f);
    QVERIFY(!restored.QPVisible);
    QCOMPARE(toolOf(control, QStringLiteral("ID_Filter"))->State(), 0);
}

void tst_ControlCommands::shouldPopUpFilterMenuOnTitleBar()
{
    Marvolt control;
    control.resize(800, 600);
    control.show();
    QVERIFY(QTest::qWaitForWindowExposed(&control));
    auto *title = control.findChild<QWidget *>(QStringLiteral("TitlePanel"));
    QTest::mouseRelease(title, Qt::RightButton, {}, QPoint(40, 8));
    QMenu *menu = toolOf(control, QStringLiteral("ID_FilterMenu"))->action()->menu();
    QTRY_VERIFY(menu->isVisible());
    menu->hide();
}

void tst_ControlCommands::shouldSetCounterpartiesThroughTreeDialog()
{
    Marvolt control;
    control.setWindowType(0);
    auto *cpty = qobject_cast<widgets::ElapsedBut *>(control.filterControl(fcCptyBox).Common.data());
    QVERIFY(cpty);
    QString picked;
    // The dialog is modal: the user's part is played from inside its loop.
    QTimer::singleShot(0, this, [&picked] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        auto *tree = dialog ? dialog->findChild<QTreeWidget *>(QStringLiteral("treeCategory")) : nullptr;
        if (!tree || tree->topLevelItemCount() == 0 || tree->topLevelItem(0)->childCount() == 0)
            return;
        QTreeWidgetItem *entry = tree->topLevelItem(0)->child(0);
        picked = entry->text(0);
        entry->setCheckState(0, Qt::Checked);
        dialog->accept();
    });
    QTimer::singleShot(10000, this, [] {
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
    });
    Q_EMIT cpty->Click();
    QVERIFY(!picked.isEmpty());
    QCOMPARE(control.report()->query().Bank, QStringList{picked});
    QCOMPARE(cpty->Titul(), picked);
    QVERIFY(toolOf(control, QStringLiteral("ID_undo"))->Enabled());
}

QTEST_MAIN(tst_ControlCommands)
#include "tst_control_commands.moc"

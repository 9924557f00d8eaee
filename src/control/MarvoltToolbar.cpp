// Marvolt: the toolbar command dispatcher, the stored-filter combo and the
// tools' hints.

#include "Marvolt.h"

#include "QueryPanelDock.h"
#include "ReportChartFeed.h"
#include "ReportExporter.h"
#include "ReportPrinter.h"

#include "Report.h"

#include "Clock.h"
#include "MessageService.h"
#include "SharedValues.h"
#include "TextTable.h"

#include "CaptionDialog.h"
#include "ManageStFilters.h"

#include "CheckCombo.h"
#include "ElapsedBut.h"
#include "Grid.h"
#include "GridCopy.h"
#include "ReportChart.h"
#include "Tool.h"
#include "ToolBar.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>

namespace {

constexpr int SaveFilterTitle = 3001;
constexpr int DeleteFilterTitle = 3002;

} // namespace

void Marvolt::onToolClick(widgets::Tool *clicked)
{
    // A click while a query runs, or while a click is still being handled
    // (a modal dialog or a print lets window messages run), is lost, not queued.
    if (!clicked)
        return;
    if (!isEnabled() || m_busy) {
        // The toolbar has already flipped a check button: flip it back, so
        // that the tool keeps showing what the report does.
        if (clicked->kind() == widgets::Tool::CheckButton)
            clicked->setState(clicked->State() == 1 ? 0 : 1);
        return;
    }
    m_busy = true;
    dispatchTool(clicked->Id().toCaseFolded(), clicked->State() == 1);
    m_busy = false;
}

void Marvolt::dispatchTool(const QString &id, bool checked)
{
    using Action = void (*)(Marvolt &, bool checked);
    // Tools missing here (the rate editor, the recalculation, the table
    // properties) are shown or hidden by reports; a click does nothing.
    static const QHash<QString, Action> actions = {
        {QStringLiteral("id_undo"), [](Marvolt &c, bool) { c.undoFilterChanges(); }},
        {QStringLiteral("id_refresh"), [](Marvolt &c, bool) { c.RunReport(); }},
        {QStringLiteral("id_expand"), [](Marvolt &c, bool) { c.m_mainTable->expandAllGroups(); }},
        {QStringLiteral("id_collapse"),
         [](Marvolt &c, bool) {
             c.m_mainTable->collapseAllGroups();
             if (c.m_settings.DisplaySetting == vwSummary)
                 c.m_summaryCollapsedByUser = true;
         }},
        {QStringLiteral("id_expand_selection"), [](Marvolt &c, bool) { c.m_mainTable->expandSelectedGroups(); }},
        {QStringLiteral("id_expandafterrefresh"),
         [](Marvolt &c, bool on) {
             if (!c.m_report)
                 return;
             c.m_settings.AutoExpand = on;
             c.pushViewSettings();
         }},
        {QStringLiteral("id_filter"),
         [](Marvolt &c, bool on) {
             if (!c.m_report)
                 return;
             c.setQueryPanelVisible(on);
             c.pushViewSettings();
         }},
        {QStringLiteral("id_showsummary"),
         [](Marvolt &c, bool) {
             if (!c.m_report)
                 return;
             const int summary = c.tool(QStringLiteral("ID_ShowSummary"))->State();
             const int details = c.tool(QStringLiteral("ID_ShowDetails"))->State();
             // The tools keep the states the user gave them, both unchecked included.
             c.applyDisplayMode(summary == details ? vwAll : summary == 1 ? vwSummary : vwDetail);
         }},
        {QStringLiteral("id_save"), [](Marvolt &c, bool) { c.manageStoredFilters(true); }},
        {QStringLiteral("id_delete"), [](Marvolt &c, bool) { c.manageStoredFilters(false); }},
        {QStringLiteral("id_printall"), [](Marvolt &c, bool) { c.printFromTool(); }},
        {QStringLiteral("id_printselection"), [](Marvolt &c, bool) { c.printFromTool(); }},
        {QStringLiteral("id_reutersrate"),
         [](Marvolt &c, bool on) { c.callReport(on ? "ShowReutersRate" : "HideReutersRate"); }},
        {QStringLiteral("id_autorefresh"),
         [](Marvolt &c, bool on) {
             if (!c.m_report)
                 return;
             c.m_autoRefresh = on;
             if (on)
                 c.StartAutoRefresh();
             else
                 c.StopAutoRefresh();
         }},
        // Checked means the market rates of the rate program, not the administrator's.
        {QStringLiteral("id_ratesource"), [](Marvolt &c, bool on) { c.setReportSwitch("WithAdminRate", !on); }},
        {QStringLiteral("id_withrecalculate"), [](Marvolt &c, bool on) { c.setWithRecalculate(on); }},
        {QStringLiteral("id_withcommission"),
         [](Marvolt &c, bool on) {
             if (!c.m_report)
                 return;
             c.setReportSwitch("WithCommission", on);
             c.RunReport();
         }},
        {QStringLiteral("id_copy"), [](Marvolt &c, bool) { c.copySelection(); }},
        {QStringLiteral("id_chart"), [](Marvolt &c, bool on) { c.showChart(on); }},
        {QStringLiteral("id_exportxlsx"), [](Marvolt &c, bool) { c.exportFromTool(QStringLiteral("xlsx")); }},
        {QStringLiteral("id_exportcsv"), [](Marvolt &c, bool) { c.exportFromTool(QStringLiteral("csv")); }},
        {QStringLiteral("id_detailwindow"),
         [](Marvolt &c, bool on) {
             if (on)
                 c.openDetailWindow();
             else
                 c.closeDetailWindow();
         }},
        {QStringLiteral("id_currencypair"), [](Marvolt &c, bool on) { c.switchCurrencyPair(on); }},
        {QStringLiteral("id_caption"), [](Marvolt &c, bool) { c.changeColumnCaption(); }},
        // The deal of the current row, as a double click on it.
        {QStringLiteral("id_showticket"), [](Marvolt &c, bool) { c.onGridDblClick(); }},
        // These change the report for its next run; they do not run it.
        {QStringLiteral("id_witharchive"), [](Marvolt &c, bool on) { c.setReportSwitch("WithArchive", on); }},
        {QStringLiteral("id_withtaxe"), [](Marvolt &c, bool on) { c.setReportSwitch("WithTaxe", on); }},
        {QStringLiteral("id_withnetting"), [](Marvolt &c, bool on) { c.setReportSwitch("WithNetting", on); }},
        {QStringLiteral("id_withrollower"), [](Marvolt &c, bool on) { c.setReportSwitch("WithRollower", on); }},
    };
    // Both view tools set the mode from the states of the two.
    const QString key = id == QLatin1String("id_showdetails") ? QStringLiteral("id_showsummary") : id;
    if (const auto action = actions.constFind(key); action != actions.constEnd())
        action.value()(*this, checked);
}

// ---- actions -------------------------------------------------------------------------------------------

void Marvolt::undoFilterChanges()
{
    if (!m_report)
        return;
    m_report->RestoreQuery();
    setToolEnabled(QStringLiteral("ID_undo"), false);
}

void Marvolt::manageStoredFilters(bool saving)
{
    if (!m_report)
        return;
    ManageStFilters dialog(this);
    dialog.setWindowTitle(TextTable::LoadText(saving ? SaveFilterTitle : DeleteFilterTitle));
    dialog.setSaveButtonVisible(saving);
    dialog.InitName(m_report.get());
    dialog.exec();
    FillStoredFilters();
}

bool Marvolt::printResult(QPrinter *printer)
{
    m_printError.clear();
    if (!m_report) {
        m_printError = QStringLiteral("there is no report to print");
        return false;
    }
    if (!m_printer)
        m_printer = std::make_unique<ReportPrinter>(m_libraryDirectory);
    m_printer->setChart(m_chart->isVisibleTo(this) ? m_chart : nullptr);
    const bool printed = printer ? m_printer->print(*m_report, *m_mainTable, *printer, m_defaultForm, m_defaultDir)
                                 : m_printer->writePdf(*m_report, *m_mainTable, m_defaultForm, m_defaultDir);
    if (!printed)
        m_printError = m_printer->lastError();
    return printed;
}

QString Marvolt::lastPrintPath() const
{
    return m_printer ? m_printer->lastOutputPath() : QString();
}

void Marvolt::setLibraryDirectory(const QString &directory)
{
    m_libraryDirectory = directory;
    // The generator reads its folders when it is made.
    m_printer.reset();
}

void Marvolt::printFromTool()
{
    if (!m_report)
        return;
    // A print that fails says so: the user would otherwise wait for a file
    // that never comes.
    if (printResult())
        showHint(QStringLiteral("Report saved to %1").arg(lastPrintPath()));
    else
        MessageService::instance().ShowError(QStringLiteral("The report could not be printed: %1").arg(m_printError));
}

void Marvolt::copySelection()
{
    // A copy of a report's rows says which report and filters they come from.
    const ReportDocument document = m_report ? ReportPrinter::document(*m_report, *m_mainTable, true)
                                             : m_mainTable->reportDocument(true);
    GridCopy::copy(document, QGuiApplication::clipboard());
}

void Marvolt::showChart(bool on)
{
    m_chartShown = on;
    const bool shown = on && m_report && m_report->logic().chart();
    if (widgets::Tool *chartTool = tool(QStringLiteral("ID_Chart")))
        chartTool->setState(shown ? 1 : 0);
    m_chart->setVisible(shown);
    updateChart();
}

void Marvolt::updateChart()
{
    if (!m_chart->isVisibleTo(this) || !m_report)
        return;
    if (const std::optional<ChartLayout> layout = m_report->logic().chart())
        ReportChartFeed::fill(*m_chart, *layout, *m_mainTable);
}

bool Marvolt::exportResult(const QString &path)
{
    m_exportError.clear();
    ReportExporter::Format format;
    if (!m_report || !m_report->MainRecordset)
        m_exportError = QStringLiteral("there is no result to export");
    else if (!ReportExporter::formatFromName(path, &format))
        m_exportError = QStringLiteral("%1: export to a .xlsx or a .csv file").arg(path);
    else if (exporter()->isRunning())
        m_exportError = QStringLiteral("an export is still being written");
    if (!m_exportError.isEmpty())
        return false;
    return exporter()->start(ReportPrinter::documentWithoutRows(*m_report, *m_mainTable),
                             ReportExporter::resultRows(*m_report, *m_mainTable, format), path, format);
}

ReportExporter *Marvolt::exporter()
{
    if (m_exporter)
        return m_exporter;
    m_exporter = new ReportExporter(this);
    connect(m_exporter, &ReportExporter::finished, this, [this](bool ok, const QString &file, const QString &error) {
        m_exportError = error;
        // As a print does: the user is told where the file is, or why there is none.
        if (ok)
            showHint(QStringLiteral("Report exported to %1").arg(file));
        else
            MessageService::instance().ShowError(QStringLiteral("The report could not be exported: %1").arg(error));
    });
    return m_exporter;
}

void Marvolt::exportFromTool(const QString &suffix)
{
    if (!m_report)
        return;
    const QString folder = m_lastExportFolder.isEmpty() ? QDir::homePath() : m_lastExportFolder;
    const QString name = QStringLiteral("%1 %2.%3")
                             .arg(m_report->App_Name, Clock::today().toString(QStringLiteral("yyyy-MM-dd")), suffix);
    const QString filter = suffix == QLatin1String("xlsx") ? QStringLiteral("Excel workbook (*.xlsx)")
                                                           : QStringLiteral("CSV (*.csv)");
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export"), QDir(folder).filePath(name), filter);
    if (path.isEmpty())
        return;
    // A name typed without its suffix gets the one of the format chosen.
    if (QFileInfo(path).suffix().isEmpty())
        path += u'.' + suffix;
    m_lastExportFolder = QFileInfo(path).absolutePath();
    if (!exportResult(path))
        MessageService::instance().ShowError(QStringLiteral("The report could not be exported: %1").arg(m_exportError));
}

void Marvolt::setWithRecalculate(bool on)
{
    if (!m_report)
        return;
    // A recalculated position counts every deal: these selections do not apply.
    for (QWidget *filter : std::initializer_list<QWidget *>{DealBox, CptyBox, LegendBox, ComboNetting, PairBox,
                                                            CcyBox, StatusBox})
        filter->setEnabled(!on);
    setReportSwitch("WithRecalc", on);
    RunReport();
}

void Marvolt::openDetailWindow()
{
    if (m_formDetails)
        return;
    if (m_report && m_detailFactory)
        m_formDetails = m_detailFactory(window());
    if (!m_formDetails) {
        // Nothing opened: the tool must not claim a window.
        setToolState(QStringLiteral("ID_DetailWIndow"), 0);
        return;
    }
    connect(m_formDetails, SIGNAL(OnUnload()), this, SLOT(onDetailWindowUnload()));
    const int current = m_report->property("CurrentDet").toInt();
    QMetaObject::invokeMethod(m_formDetails, "DetailActivate", Q_ARG(QObject *, m_report.get()),
                              Q_ARG(QWidget *, window()), Q_ARG(int, current));
    m_report->RowChange();
}

void Marvolt::closeDetailWindow()
{
    if (!m_formDetails)
        return;
    // Closed by the control: the window's own closing must not look like the user's.
    disconnect(m_formDetails, nullptr, this, nullptr);
    m_formDetails->close();
    delete m_formDetails.data();
}

void Marvolt::onDetailWindowUnload()
{
    setToolState(QStringLiteral("ID_DetailWIndow"), 0);
    if (QWidget *parentWindow = window())
        parentWindow->setFocus();
}

void Marvolt::switchCurrencyPair(bool on)
{
    if (!m_report)
        return;
    if (m_report->metaObject()->indexOfMethod("SetNewPair(int)") >= 0)
        QMetaObject::invokeMethod(m_report.get(), "SetNewPair", Q_ARG(int, on ? 1 : 0));
    closeDetailWindow();
    setToolState(QStringLiteral("ID_DetailWIndow"), 0);
    RunReport();
}

void Marvolt::changeColumnCaption()
{
    CaptionDialog::ChangeColumn(m_clickedColumn, this);
}

void Marvolt::onComboSelChange(widgets::Tool *changed)
{
    if (!changed || changed->Id().compare(QLatin1String("ID_ListParams"), Qt::CaseInsensitive) != 0)
        return;
    if (m_report && changed->ListIndex() >= 0)
        m_report->InitQuPar(changed->List(changed->ListIndex()));
}

void Marvolt::onToolMouseEnter(widgets::Tool *entered)
{
    if (entered)
        showHint(entered->Description());
}

void Marvolt::showHint(const QString &text)
{
    SharedValues::setStatBarText(text);
    Q_EMIT MouseMove();
}

void Marvolt::hideQueryPanel()
{
    if (!m_report)
        return;
    setQueryPanelVisible(false);
    pushViewSettings();
    setToolState(QStringLiteral("ID_Filter"), 0);
    m_mainTable->setFocus();
}

void Marvolt::setQueryPanelVisible(bool visible)
{
    m_settings.QPVisible = visible;
    m_dock->apply(m_settings);
}

void Marvolt::pushViewSettings()
{
    if (m_report)
        m_report->setViewSetting(m_settings);
}

void Marvolt::setReportSwitch(const char *name, bool value)
{
    if (m_report && m_report->metaObject()->indexOfProperty(name) >= 0)
        m_report->setProperty(name, value);
}

void Marvolt::callReport(const char *member)
{
    if (!m_report)
        return;
    const QByteArray signature = QByteArray(member) + "()";
    if (m_report->metaObject()->indexOfMethod(signature.constData()) >= 0)
        QMetaObject::invokeMethod(m_report.get(), member);
}

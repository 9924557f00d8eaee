#pragma once

#include "marvolt_export.h"

#include "AllSettings.h"
#include "FilterControl.h"

#include <QHash>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QComboBox;
class QFrame;
class QLabel;
class QPrinter;
class QToolButton;
class EventClass;
class QueryPanelDock;
class QueryPanelEvents;
class Report;
class ReportExporter;
class ReportGridAdapter;
class ReportToolbarAdapter;
class ReportPrinter;
namespace widgets {
class BusyIndicator;
class CheckCombo;
class ElapsedBut;
class Grid;
class GridColumn;
class RelDate;
class ReportChart;
class Tool;
class ToolBar;
} // namespace widgets

/// The reporting control a host places on its window: a query panel of
/// eighteen filters, the toolbar MainMenu, the grid MainTable and at most one
/// report object, which does every data operation.
///
/// The public members and events are Qt properties, invokable methods and
/// signals under their own names, in the order of the control's published
/// interface, so a host drives the control by name through the meta-object
/// system. Properties that the interface makes write-only (FormatRate,
/// FormatValue, WindowType, BankArray, DelayTime) have a read accessor only
/// because Qt properties need one; it returns what is documented there.
///
/// No failure leaves the control: a step that cannot be done (no report, a
/// filter control without the role asked for, a database error) is skipped.
/// Everything runs on the user-interface thread; while a report's query runs
/// (InitProgress to UnActivProgress) the control is disabled.
///
/// The implementation is split by the traffic it handles: Marvolt.cpp (the
/// published interface, start-up, report wiring and layout),
/// MarvoltToolbar.cpp (the toolbar commands) and MarvoltGridEvents.cpp (the
/// grid's reads and gestures and the progress relay). The query panel's own
/// edits go through QueryPanelEvents, its place through QueryPanelDock.
class MARVOLT_EXPORT Marvolt final : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString App_Name MEMBER App_Name)
    Q_PROPERTY(QString StatBarText READ StatBarText)
    Q_PROPERTY(QString TableName READ TableName WRITE setTableName)
    Q_PROPERTY(QString FormatRate READ FormatRate WRITE setFormatRate)
    Q_PROPERTY(QString FormatValue READ FormatValue WRITE setFormatValue)
    Q_PROPERTY(int WindowType READ WindowType WRITE setWindowType)
    Q_PROPERTY(QString UserName READ UserName WRITE setUserName)
    Q_PROPERTY(QString ReutersID READ ReutersID WRITE setReutersID)
    Q_PROPERTY(bool ManageOP READ ManageOP WRITE setManageOP)
    Q_PROPERTY(QVariant BankArray READ BankArray WRITE setBankArray)
    Q_PROPERTY(int DelayTime READ DelayTime WRITE setDelayTime)
    Q_PROPERTY(short GMTCorrection READ GMTCorrection WRITE setGMTCorrection)

public:
    explicit Marvolt(QWidget *parent = nullptr);
    ~Marvolt() override;

    // ---- the published interface, in its order ------------------------------------
    /// The current report's settings name; empty until the first report.
    QString App_Name;
    /// Stops the busy animation.
    Q_INVOKABLE void StopProgress();
    /// Runs the current report (nothing without one).
    Q_INVOKABLE void RefreshData();
    /// The hint for the host's status bar.
    QString StatBarText() const;
    QString TableName() const;
    /// Stores the table name; any name but "Archive" probes the session
    /// database for an archive, which decides the tool "ID_WithArchive".
    void setTableName(const QString &name);
    /// Asks the current report to reload its directory lists.
    Q_INVOKABLE void RefreshDirectory();
    /// Read: the stored shared format.
    QString FormatRate() const;
    /// Stores the format for every report and window, then applies it to the
    /// current report's columns.
    void setFormatRate(const QString &format);
    QString FormatValue() const;
    void setFormatValue(const QString &format);
    /// Read: the value last written (-1 before any).
    int WindowType() const { return m_windowType; }
    /// Creates and wires the report of this kind, replacing the current one;
    /// a value without a report class leaves the control without a report.
    void setWindowType(int value);
    /// Saves the report's defaults, clears it and releases it.
    Q_INVOKABLE void Control_Unload();
    QString UserName() const { return m_userName; }
    void setUserName(const QString &name) { m_userName = name; }
    QString ReutersID() const { return m_reutersId; }
    void setReutersID(const QString &id) { m_reutersId = id; }
    bool ManageOP() const { return m_manageOP; }
    void setManageOP(bool manage) { m_manageOP = manage; }
    /// Read: the stored banks.
    QVariant BankArray() const;
    /// Stores a list of bank records; anything that is not a list stores none.
    void setBankArray(const QVariant &banks);
    /// Read: always 0; the value is accepted and not stored.
    int DelayTime() const { return 0; }
    /// Accepted and ignored: the auto-refresh period stays one 10-second tick.
    void setDelayTime(int) {}
    /// Has no effect.
    Q_INVOKABLE void UnloadRecalc() {}
    short GMTCorrection() const { return m_gmtCorrection; }
    void setGMTCorrection(short correction) { m_gmtCorrection = correction; }

    // ---- for the host applications and tests ---------------------------------------
    /// The current report; null when there is none.
    Report *report() const { return m_report.get(); }
    /// Wires a report object as setWindowType does with the one it creates,
    /// replacing the current report; null leaves the control without one.
    /// For hosts with report classes of their own.
    void installReport(std::unique_ptr<Report> report);
    /// The progress relay handed to the current report; null without one.
    EventClass *CurrentActiv() const { return m_currentActiv.get(); }
    widgets::ToolBar *mainMenu() const { return m_mainMenu; }
    widgets::Grid *mainTable() const { return m_mainTable; }
    /// The chart beside the grid (tool "ID_Chart"), hidden until checked.
    widgets::ReportChart *chart() const { return m_chart; }
    /// Slot Index of the filter table (0..17); an empty record outside.
    FilterControl filterControl(int index) const;
    /// The filter widget of slot Index; null outside 0..17.
    QWidget *filterWidget(int index) const { return qobject_cast<QWidget *>(filterControl(index).Common.data()); }
    /// The view settings of the current report as the control keeps them.
    AllSettings viewSettings() const { return m_settings; }
    /// Whether auto refresh is switched on, and whether its timer runs now.
    bool isAutoRefreshOn() const { return m_autoRefresh; }
    bool isAutoRefreshTimerActive() const { return m_timer.isActive(); }
    int autoRefreshInterval() const { return m_timer.interval(); }
    /// Whether a query is running (between InitProgress and UnActivProgress).
    bool isQueryRunning() const { return m_queryRunning; }

    /// Sets the display mode as the tools "ID_ShowSummary" and "ID_ShowDetails"
    /// do: into the view settings and the report, onto the two tools, then
    /// the report rebinds the grid. Nothing without a report.
    void setDisplayMode(View mode);
    /// Sets one working query field of the current report by its name
    /// ("Dealer", "ValDate", "Relative" ...) from text, as a user's change in
    /// the panel would: the filter control shows the value and the report gets
    /// the value and the identifiers. Lists are separated by "|"; dates are
    /// "yyyy-MM-dd", a day count or "All". False with a reason in *error for
    /// an unknown field, a value the field cannot take, or no report.
    bool setQueryField(const QString &field, const QString &value, QString *error = nullptr);
    /// Loads a stored filter (or "Query", the last query) into the report and
    /// the panel. False with a reason for a name that is not stored.
    bool loadStoredFilter(const QString &name, QString *error = nullptr);

    /// The folder that holds the "Template" and "Report" folders of printing;
    /// the application's folder unless set.
    QString libraryDirectory() const { return m_libraryDirectory; }
    void setLibraryDirectory(const QString &directory);
    /// Prints the whole current result as the print tools do: as a PDF into
    /// the "Report" folder, or onto \a printer when one is given (a host's
    /// print dialog sets it up). False without a report or when printing
    /// failed; lastPrintError() says why, lastPrintPath() names the PDF.
    bool printResult(QPrinter *printer = nullptr);
    QString lastPrintPath() const;
    QString lastPrintError() const { return m_printError; }

    /// Exports the whole current result as the export tools do, without
    /// asking for a file: an XLSX workbook or CSV of what the grid shows, by
    /// the file's suffix (".xlsx", ".csv"). The file is written on a worker;
    /// exporter()'s finished() tells the end. False (nothing started,
    /// lastExportError() says why) without a result, for another suffix, or
    /// while an export runs.
    bool exportResult(const QString &path);
    QString lastExportError() const { return m_exportError; }
    /// The writer of the control's exports, made on first use; a host that
    /// wants to know when a file is written watches its finished().
    ReportExporter *exporter();

    /// Makes the detail window for the tool "ID_DetailWIndow". The window is
    /// driven by name: DetailActivate(QObject *report, QWidget *parent, int
    /// current) and ChangeCaption(QString) are invoked on it, and its signal
    /// OnUnload() tells that the user closed it. The control starts with a
    /// factory that makes frmDetails; without a factory (an empty one set)
    /// the tool opens nothing.
    using DetailWindowFactory = std::function<QWidget *(QWidget *parent)>;
    void setDetailWindowFactory(DetailWindowFactory factory) { m_detailFactory = std::move(factory); }
    /// The open detail window; null when there is none.
    QWidget *detailWindow() const { return m_formDetails; }
    /// The grid column last right-clicked; null when there is none.
    widgets::GridColumn *lastClickedColumn() const;

Q_SIGNALS:
    void ClickDate();
    void ReSelectTabl(const QString &CurPair, short ColDeals, short ColPair);
    void MouseMove();
    void InitProgress(short Max);
    void StepProgress(short Step);
    void UnActivProgress();
    void Quite();
    void ShowTableProperties(QObject *TabObject);

private Q_SLOTS:
    /// The user closed the detail window.
    void onDetailWindowUnload();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // start-up
    void buildFilters();
    /// Copies the user's filter changes into the report from now on.
    void connectFilters();
    void buildLayout();
    void fillFixedLists();
    void registerHint(QWidget *widget, int textId);

    // wiring and refresh
    void RunReport();
    void StartAutoRefresh();
    void StopAutoRefresh();
    void ApplyViewToToolbar();
    void FillStoredFilters();
    void endRunningQuery();
    void releaseReport();
    void timerTick();

    // EventClass handlers
    void onInitProgress(int counter);
    void onStepProgress(int counter);
    void onUnActivProgress();
    void onReSelectTabl(const QString &curPair, int colDeals, int colPair);
    void onSetDetCaption(const QString &title);

    // grid events
    void installGridReaders();
    /// Sets the grid's row count to 0 once the current read has returned.
    void emptyGridLater();
    bool reportHasRows() const;
    void onGridDblClick();
    void onGridKeyPress(int keyAscii);
    void onGridRowChange(int lastRow);
    void onGridMouseUp(int button, int shift, int x, int y);
    void onFocusEntered();
    /// After a refresh or a change of view: every group opened when
    /// "Expand After Refresh" is on, and in summary view unless the user
    /// closed groups there since the view was chosen.
    void expandAfterBind();
    /// Shows or hides the chart (tool "ID_Chart") and fills it.
    void showChart(bool on);
    /// Fills the chart from the grid when it is shown and the report has one.
    void updateChart();
    /// Enables the tools that act on the rows shown ("ID_Copy").
    void updateRowTools();

    // toolbar
    void onToolClick(widgets::Tool *tool);
    void dispatchTool(const QString &id, bool checked);
    void onComboSelChange(widgets::Tool *tool);
    void onToolMouseEnter(widgets::Tool *tool);
    void undoFilterChanges();
    void manageStoredFilters(bool saving);
    void printFromTool();
    void copySelection();
    /// The export tools: asks for the file, then exportResult.
    void exportFromTool(const QString &suffix);
    void setWithRecalculate(bool on);
    void openDetailWindow();
    void closeDetailWindow();
    void switchCurrencyPair(bool on);
    void changeColumnCaption();
    void hideQueryPanel();
    /// Shows or hides the panel through the view settings and lays out again.
    void setQueryPanelVisible(bool visible);
    void pushViewSettings();
    void applyDisplayMode(View mode);
    /// Sets a report switch by name; skipped for a report without it.
    void setReportSwitch(const char *name, bool value);
    /// Calls a report member without arguments by name; skipped when absent.
    void callReport(const char *member);
    void showHint(const QString &text);

    // layout
    /// Lays the control out again: the panel's place and its filters.
    void relayout();
    void scheduleFilterLayout();

    widgets::Tool *tool(const QString &id) const;
    void setToolEnabled(const QString &id, bool enabled);
    void setToolState(const QString &id, int state);

    // the report and its relay
    std::unique_ptr<Report> m_report;
    std::unique_ptr<EventClass> m_currentActiv;
    /// The grid and the toolbar as the report drives them.
    std::unique_ptr<ReportGridAdapter> m_gridAdapter;
    std::unique_ptr<ReportToolbarAdapter> m_toolbarAdapter;
    AllSettings m_settings;
    QString m_defaultDir;
    QString m_defaultForm;
    int m_windowType = -1;

    // identity values kept for the host
    QString m_userName;
    QString m_reutersId;
    bool m_manageOP = false;
    short m_gmtCorrection = 0;

    // auto refresh
    QTimer m_timer;
    bool m_autoRefresh = false;
    int m_tickCounter = 0;
    int m_tickLimit = 0;   // never set: with auto refresh on, every tick runs the report

    bool m_busy = false;           // the toolbar dispatcher refuses re-entry
    bool m_queryRunning = false;
    /// A run that ends within a moment is never painted disabled: the control
    /// paints nothing for that moment, so a quick refresh repaints once, with
    /// its result, rather than greying out and back. A longer run shows the
    /// disabled control and the animation when the moment is over.
    QTimer m_busyLook;
    int m_runGeneration = 0;   // counts InitProgress, to spot a run started from a host handler
    bool m_layoutPending = false;
    /// The user closed groups in summary view; cleared when the view changes.
    bool m_summaryCollapsedByUser = false;

    // visible parts
    widgets::ToolBar *m_mainMenu = nullptr;
    widgets::Grid *m_mainTable = nullptr;
    widgets::ReportChart *m_chart = nullptr;
    bool m_chartShown = false;   // the user's choice, kept from report to report
    QTimer m_chartUpdate;   // coalesces the grid's changes into one redraw
    widgets::BusyIndicator *m_animProgress = nullptr;
    QFrame *m_queryPanel = nullptr;
    QWidget *m_titlePanel = nullptr;
    QToolButton *m_closeFilter = nullptr;
    QWidget *m_filterBody = nullptr;
    QueryPanelDock *m_dock = nullptr;

    // filter controls and their captions
    std::array<widgets::RelDate *, 4> DateReport{};
    std::array<QLabel *, 15> ValLabel{};
    QComboBox *Combo1 = nullptr;
    QComboBox *ComboNetting = nullptr;
    QComboBox *TypeDate = nullptr;
    widgets::CheckCombo *DealBox = nullptr;
    widgets::CheckCombo *PairBox = nullptr;
    widgets::CheckCombo *CcyBox = nullptr;
    widgets::ElapsedBut *CptyBox = nullptr;
    widgets::CheckCombo *DealerBox = nullptr;
    widgets::ElapsedBut *LegendBox = nullptr;
    widgets::CheckCombo *StatusBox = nullptr;
    widgets::CheckCombo *chLoroNostro = nullptr;
    widgets::CheckCombo *TCIDBox = nullptr;
    widgets::CheckCombo *ListAttrib = nullptr;
    widgets::CheckCombo *ClientBox = nullptr;
    QLabel *lblTypeDate = nullptr;
    QLabel *lblLoroNostro = nullptr;
    QLabel *lblTCID = nullptr;
    std::array<FilterControl, FilterControlCount> m_filterControls{};
    /// The filter table as built at start-up; m_filterControls is emptied at
    /// Control_Unload, this keeps the panel's layout order.
    std::array<FilterControl, FilterControlCount> m_panelSlots{};

    QHash<QObject *, int> m_hints;   // widget -> text id of its hint (0: raise only)
    // Released first in the destructor, before the widgets it listens to.
    std::unique_ptr<QueryPanelEvents> m_panelEvents;

    // printing, kept for later prints so that its form and directory carry over
    QString m_libraryDirectory;
    std::unique_ptr<ReportPrinter> m_printer;
    QString m_printError;
    ReportExporter *m_exporter = nullptr;   // a child, made on the first export
    QString m_exportError;
    QString m_lastExportFolder;

    // the detail window and the grid column last right-clicked
    DetailWindowFactory m_detailFactory;
    QPointer<QWidget> m_formDetails;
    QPointer<widgets::GridColumn> m_clickedColumn;
};

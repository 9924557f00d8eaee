#pragma once

#include "marvolt_export.h"

#include "AllSettings.h"
#include "ColumnLayout.h"
#include "DisplayReader.h"
#include "EventClass.h"
#include "FilterControl.h"
#include "QuerySettings.h"
#include "QueryValues.h"
#include "ReportLogic.h"
#include "ReportRun.h"

#include "Recordset.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QVariant>
#include <QVector>

#include <array>
#include <memory>
#include <map>
#include <vector>

class ReportGrid;
class ReportToolbar;

/// The report contract: what the control calls on every report, by name, and
/// the common algorithm of a report's life, written once here.
///
/// Life: constructor (App_Name and the report's logic) -> the host sets
/// Main_Menu, Main_Table, QPControl(0..17) and ViewSetting -> SetUtil ->
/// StartAnalyser ... AsConnect_ExecuteComplete (repeatedly) -> ClearUtil.
///
/// A report class is its ReportLogic (procedure, owner number, filter slots,
/// display fields and columns, date bounds and display build) plus the few
/// contract members that are really its own; a member it does not need exists
/// here and does nothing. The base fills the filter slots, shows and reads
/// the query, builds the columns and formats, and runs the query on a worker
/// (ReportRun): the user-interface thread only binds the outcome.
///
/// The query: two QueryValues, the working one (what the panel shows) and
/// the committed one (the query that produced the data shown). Hosts and the
/// headless runner read and write every field by name as a Qt property
/// ("Dealer", "StDealer" ...): the properties are made from QueryValues'
/// field table and follow the values both ways; a value that does not suit
/// its field is refused (the property keeps the field's value).
///
/// The grid, the toolbar and the filter controls are reached only through
/// ReportGrid, ReportToolbar and the filter slots' Qt properties, so report
/// logic needs no display. The control owns all of them and must clear
/// Main_Menu and Main_Table (ClearUtil does) before they go.
///
/// Failures never leave a member: a failed run reaches the user as one
/// message through MessageService, and the grid is emptied.
class MARVOLT_EXPORT Report : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString App_Name MEMBER App_Name)
    Q_PROPERTY(int NumTable MEMBER NumTable)
    Q_PROPERTY(int NumDeal MEMBER NumDeal)
    Q_PROPERTY(bool WithArchive READ withArchive WRITE setWithArchive)
    Q_PROPERTY(int CurrentDet READ CurrentDet)

public:
    ~Report() override;

    // ---- public fields -----------------------------------------------------
    QString App_Name;
    ReportToolbar *Main_Menu = nullptr;
    ReportGrid *Main_Table = nullptr;
    /// The result of the last query, detached from its connection; null when
    /// there is none.
    data::RecordsetPtr MainRecordset;
    /// The deals the detail window lists: for a report whose logic has a
    /// detail view, a clone of the result set the logic names (for most
    /// reports MainRecordset's rows, with a filter of its own) that
    /// RowChange filters to the current row; null otherwise and while there
    /// is no result.
    data::RecordsetPtr DetRecordset;
    int NumTable = 0;   ///< groups shown, as reported with RaiseReselect
    int NumDeal = 0;    ///< deals shown
    /// Whether the archive is added to the current deals (tool "ID_WithArchive");
    /// written through setWithArchive, which keeps the tool in step.
    bool WithArchive = false;
    bool withArchive() const { return WithArchive; }
    /// Sets the switch and the tool's check mark; stays off while the
    /// archive is not available (SharedValues::ArchiveAvailable).
    void setWithArchive(bool on);
    /// What the detail window shows (a DetailView value, from the logic);
    /// -1 for a report without a detail window.
    int CurrentDet() const;

    // ---- the query -----------------------------------------------------------
    const QueryValues &query() const { return m_query; }
    const QueryValues &committedQuery() const { return m_committed; }
    /// Replaces the working query.
    void setQuery(const QueryValues &query);
    /// Sets one field by its working or committed name, without regard to
    /// case; false (and nothing changed) for a name that is no field or a
    /// value that does not suit it.
    bool setQueryField(const QString &name, const QVariant &value);

    // ---- what copies, prints and exports say of the result --------------------
    /// When the result shown was read from the database; invalid before the first.
    QDateTime resultTime() const { return m_resultTime; }
    /// Where the result shown took its rates from, as rateSource() said when
    /// its run started; empty for a report that uses none.
    QString resultRateSource() const { return m_resultRateSource; }
    /// Where a run started now would take its rates from, in the user's
    /// words; empty for a report that uses none.
    virtual QString rateSource() const { return {}; }

    // ---- the contract --------------------------------------------------------
    /// Loads the directories and hands each list the report's slots show to
    /// their filter control.
    Q_INVOKABLE virtual void RefreshDirectory();
    /// RefreshDirectory, ReadQueryPar(name), then shows the working query in
    /// the filter controls; enables "ID_undo" unless name is "Query".
    Q_INVOKABLE virtual void InitQuPar(const QString &NameFilter);
    Q_INVOKABLE virtual void SetUtil(EventClass *Util);
    Q_INVOKABLE virtual void ClearUtil();
    /// The completion of a run, on the user-interface thread: keeps the
    /// result, binds the display and commits the query that produced it.
    virtual void AsConnect_ExecuteComplete(const ReportRun::Outcome &outcome);
    /// (Re)creates the empty display recordset with the report's fields.
    Q_INVOKABLE virtual void RenewRecordset();
    Q_INVOKABLE virtual void FormatValue();
    Q_INVOKABLE virtual void FormatRate();
    /// Applies the display mode to the display recordset and the grid.
    Q_INVOKABLE virtual void RebindTable();
    /// Enables the filter slots the report uses and hides the others.
    Q_INVOKABLE virtual void ReNewFControl();
    Q_INVOKABLE virtual void ReadQueryPar(const QString &FilterName);
    Q_INVOKABLE virtual void WriteQueryPar(const QString &FilterName);
    /// Starts a run of the working query; a run still going is cancelled.
    Q_INVOKABLE virtual void StartAnalyser();
    /// Undo of filter edits: the working query becomes the committed one
    /// again and the filter controls show it.
    Q_INVOKABLE virtual void RestoreQuery();
    /// Shows the working query in the filter controls of the report's slots
    /// (InitQuPar and undo do; so does the control after it set fields by name).
    void showQueryInPanel();
    /// The value of grid column ColIndex in display row RowBookmark (the row's
    /// position among the rows the grid is bound to, 0 first); empty when
    /// there is no such row or column.
    ///
    /// A report class shows values of its own through shownRows(), not by
    /// overriding this or UnboundChangeData: an export reads the rows on a
    /// worker through shownRows() alone, and would not show an override's.
    Q_INVOKABLE virtual QVariant FitchData(int ColIndex, int RowBookmark);
    /// Lets the report change the values of the current display row (one per
    /// grid column) before the grid shows them: as shownRows() says.
    virtual void UnboundChangeData(QVector<QVariant> &Values);
    /// For a report with a detail view, while the tool "ID_DetailWIndow" is
    /// checked: filters DetRecordset to the deals of the grid's current row
    /// (its "CurrentFilter"; nothing on a group row, on a row without a
    /// filter or when the filter is refused) and raises RaiseDetCaption with
    /// the row's title (the group's caption on a group row). Does nothing
    /// for other reports.
    Q_INVOKABLE virtual void RowChange();
    /// As RowChange: a double click updates an open detail window.
    Q_INVOKABLE virtual void Table_DblClick();
    /// One record of the filter-slot table. An index outside 0..17 is an
    /// error: the getter returns an empty record, the setter does nothing, and
    /// both return false through ok.
    FilterControl QPControl(int Index, bool *ok = nullptr) const;
    bool setQPControl(int Index, const FilterControl &control);
    /// The whole filter-slot table.
    QVariant GetAllControl() const;
    AllSettings ViewSetting() const { return m_settings; }
    void setViewSetting(const AllSettings &settings) { m_settings = settings; }
    /// Both queries at once; ClearUtil resets them.
    QuerySettings QPSettings() const { return {m_query, m_committed}; }
    void setQPSettings(const QuerySettings &settings);

    // ---- for the control and tests -------------------------------------------
    const ReportLogic &logic() const { return *m_logic; }
    int ownerNumber() const { return m_logic->owner(); }
    /// The built rows, filtered by the display mode; what the grid shows.
    data::RecordsetPtr DisplayRecordset() const { return m_display; }
    /// Whether a run is going.
    bool isRunning() const { return m_pendingId != 0; }
    /// Reads display row `row` into one value per grid column, then
    /// UnboundChangeData: the grid's unbound row request.
    void readRow(int row, QVector<QVariant> &values);
    /// A reader of the rows the grid shows now, on a handle of its own, for a
    /// walk over them on another thread (an export); it keeps the rows after
    /// the report has moved on. Null without a display.
    std::shared_ptr<DisplayReader> detachedDisplayReader() const;

protected:
    Report(const QString &appName, const ReportLogic &logic, QObject *parent = nullptr);

    bool event(QEvent *event) override;

    /// Asked by StartAnalyser once the host shows its progress, before
    /// anything of the run starts: false ends the refresh there (RaiseUnActiv)
    /// and leaves the result shown and any run going as they are. A report
    /// whose query the user must confirm asks here; the others run.
    virtual bool confirmRun() { return true; }
    /// What the grid shows of a display row beyond its fields' values (a
    /// summary row's texts); the values as they are by default.
    virtual const ShownRows &shownRows() const { return ShownRows::plain(); }
    /// Adds what the report's own runs take beyond the query and the
    /// switches (the profit reports' rate program); nothing by default.
    virtual void completeRunQuery(RunQuery &run) { Q_UNUSED(run) }
    /// Starts the procedure of run `id` (StartAnalyser made the run's copy of
    /// the query). By default a ReportRun on a connection of the report's
    /// pool, which completes the run itself. A report whose procedure runs
    /// elsewhere (the execution library) starts it here and, when it has
    /// ended, hands its result sets to buildFromResults, or its failure to
    /// runFinished.
    virtual void startQuery(RunQuery run, quint64 id);
    /// Stops what startQuery started and has not finished yet; called when a
    /// new run replaces it. The default run is stopped by the base.
    virtual void stopQuery() {}
    /// Builds the display of run `id` from the result sets of its procedure
    /// (in procedure order) on a worker, then completes the run as the
    /// default run completes. Nothing when `id` is no longer the run awaited.
    void buildFromResults(quint64 id, RunQuery run, std::vector<data::RecordsetPtr> results, QVariantMap outputs);
    /// Completes run `id` with its outcome (keeps the result, binds the
    /// display, or shows the failure); ignored when `id` is no longer the run
    /// awaited.
    void runFinished(quint64 id, const ReportRun::Outcome &outcome);
    /// The detail window's title for the display row `display` stands on:
    /// the logic's by default.
    virtual QString detailCaption(data::Recordset &display) const { return m_logic->detailCaption(display); }

    // ---- helpers for report classes ---------------------------------------------
    /// Sets a role (a Qt property) of filter control `index`; skipped quietly
    /// when the control is missing.
    void setFilterRole(int index, const char *role, const QVariant &value) const;
    void setToolEnabled(const QString &id, bool enabled) const;
    void setToolState(const QString &id, int state) const;
    /// Offers the tool "ID_WithArchive" where the archive can be added and
    /// shows the switch on it (the position reports' SetUtil).
    void offerArchiveSwitch();
    /// The summary rows ("Summ", "NegSumm") bold among the detail rows and
    /// plain in the summary view, which shows nothing else.
    void boldSummariesBesideDetails() const;
    /// The index of a column of the report's layout; -1 when it has none.
    int columnIndex(const char *key) const { return m_logic->layout().columnIndex(key); }
    /// Makes `logic` the report's logic from now on: the next run, binding
    /// and columns follow it; a run going ends under the logic it began with.
    /// For a report whose views differ in their procedure and display (the
    /// counterparty position per currency or per pair).
    void setLogic(const ReportLogic &logic);
    /// Replaces the grid's columns by the logic's and gives them `layout`
    /// (a stored layout, or the one the grid had).
    void createColumns(const QList<ColumnLayoutEntry> &layout);

    EventClass *util() const { return m_util; }

private:
    /// Replaces the display rows the grid reads (null for none).
    void setDisplay(data::RecordsetPtr display);
    void displayUpdate(const DisplayCounts &counts);
    void showRunError(const ReportRun::Outcome &outcome);
    /// The run's copy of the query, with the identifiers of every slot's
    /// selection read from its directory (and kept in the working query).
    RunQuery makeRunQuery();
    /// Mirrors the query to the Qt properties of its fields.
    void publishQuery();
    /// Whether a date slot may stay open ("All"), as declared and as the site allows.
    bool allowsAll(const FilterSlot &slot) const
    {
        return slot.allowAll || (slot.allowAllBySite && m_siteAllowsOpenStart);
    }

    const ReportLogic *m_logic;
    QueryValues m_query;
    QueryValues m_committed;
    QueryValues m_runQuery;   // the query of the run going or last finished
    QDateTime m_resultTime;
    QString m_runRateSource;      // rateSource() when the run going or last finished started
    QString m_resultRateSource;
    bool m_publishing = false;
    QPointer<EventClass> m_util;
    std::array<FilterControl, FilterControlCount> m_controls;
    AllSettings m_settings;
    const AllSettings m_defaultSettings;
    bool m_siteAllowsOpenStart = false;   // read once, when the report is bound
    bool m_fitColumns = false;   // no stored column layout: the first result sizes them
    /// The connections the runs leave for the next; shared with them.
    const std::shared_ptr<RunConnectionPool> m_connections = std::make_shared<RunConnectionPool>();
    std::unique_ptr<ReportRun> m_run;
    quint64 m_runId = 0;
    quint64 m_runCount = 0;
    quint64 m_pendingId = 0;   // the run awaited, 0 when none
    /// Cancelled runs whose workers have not ended yet, by id.
    std::map<quint64, std::unique_ptr<ReportRun>> m_retired;
    data::RecordsetPtr m_display;
    /// The last run's display rows arranged for the grid, until bound.
    std::shared_ptr<const RowArrangement> m_arrangedRows;
    /// The last run's rows compared with the grid's before, until bound.
    std::shared_ptr<const RowChangeMarks::Comparison> m_arrangedMarks;
    /// The grid's reads of m_display, made at the first read of a display.
    std::unique_ptr<DisplayReader> m_displayReader;
};

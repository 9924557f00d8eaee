#pragma once

#include "AllSettings.h"
#include "EventClass.h"
#include "FilterControl.h"
#include "QuerySettings.h"

#include "Connection.h"
#include "Recordset.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <array>
#include <memory>

namespace data {
class Command;
}
namespace widgets {
class Grid;
class GridColumn;
class ToolBar;
} // namespace widgets
struct QueryParameters;

/// The report contract: what the control calls on every report, by name, and
/// the common algorithm of a report's life, written once here.
///
/// Life: constructor (App_Name, owner number, defaults) -> the host sets
/// Main_Menu, Main_Table, QPControl(0..17) and ViewSetting -> SetUtil ->
/// StartAnalyser ... AsConnect_ExecuteComplete (repeatedly) -> ClearUtil.
///
/// A report class overrides the few hooks that make it particular (its
/// procedure, columns, display fields, filter slots, query preparation and
/// display building); a contract member that a report does not need exists
/// here and does nothing.
///
/// The query fields are Qt properties, so that a host (and the headless
/// runner) reads and writes them by name. Dates hold a QDate or the text
/// "All"; day offsets an int or "All"; lists ("All") for no restriction.
///
/// Failures never leave a member: a failing step is skipped; a failed query
/// reaches the user through MessageService, and the grid is emptied.
class Report : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString App_Name MEMBER App_Name)
    Q_PROPERTY(int NumTable MEMBER NumTable)
    Q_PROPERTY(int NumDeal MEMBER NumDeal)
    Q_PROPERTY(bool Relative MEMBER Relative)
    Q_PROPERTY(QVariant ValDate MEMBER ValDate)
    Q_PROPERTY(QVariant ValLong MEMBER ValLong)
    Q_PROPERTY(QVariant EndDate MEMBER EndDate)
    Q_PROPERTY(QVariant EndLong MEMBER EndLong)
    Q_PROPERTY(QVariant ValDate1 MEMBER ValDate1)
    Q_PROPERTY(QVariant ValLong1 MEMBER ValLong1)
    Q_PROPERTY(QVariant EndDate1 MEMBER EndDate1)
    Q_PROPERTY(QVariant EndLong1 MEMBER EndLong1)
    Q_PROPERTY(QStringList Dealer MEMBER Dealer)
    Q_PROPERTY(QStringList Deal MEMBER Deal)
    Q_PROPERTY(QStringList Bank MEMBER Bank)
    Q_PROPERTY(QStringList Pair MEMBER Pair)
    Q_PROPERTY(QStringList Pair2 MEMBER Pair2)
    Q_PROPERTY(QString Netting MEMBER Netting)
    Q_PROPERTY(QStringList Category MEMBER Category)
    Q_PROPERTY(QStringList Status MEMBER Status)
    Q_PROPERTY(QStringList KeyArray MEMBER KeyArray)
    Q_PROPERTY(QStringList TCID MEMBER TCID)
    Q_PROPERTY(QStringList Attributes MEMBER Attributes)
    Q_PROPERTY(QStringList LoroNostro MEMBER LoroNostro)
    Q_PROPERTY(QStringList Client MEMBER Client)
    Q_PROPERTY(QString TypeDate MEMBER TypeDate)
    Q_PROPERTY(QVariantList CcyIDArray MEMBER CcyIDArray)
    Q_PROPERTY(QVariantList PairIDArray MEMBER PairIDArray)
    Q_PROPERTY(QVariantList DeskIDArray MEMBER DeskIDArray)
    Q_PROPERTY(QVariantList AttributesID MEMBER AttributesID)
    Q_PROPERTY(bool WithArchive MEMBER WithArchive)

public:
    ~Report() override;

    // ---- public fields -----------------------------------------------------
    QString App_Name;
    QPointer<widgets::ToolBar> Main_Menu;
    QPointer<widgets::Grid> Main_Table;
    /// The result of the last query, detached from its connection; null when
    /// there is none.
    data::RecordsetPtr MainRecordset;
    int NumTable = 0;   ///< groups shown, as reported with RaiseReselect
    int NumDeal = 0;    ///< deals shown

    // Working query fields.
    bool Relative = true;
    QVariant ValDate, ValLong, EndDate, EndLong;
    QVariant ValDate1, ValLong1, EndDate1, EndLong1;
    QStringList Dealer, Deal, Bank, Pair, Pair2;
    QString Netting;
    QStringList Category, Status, KeyArray, TCID, Attributes, LoroNostro, Client;
    QString TypeDate;
    QVariantList CcyIDArray, PairIDArray, DeskIDArray, AttributesID;
    // Committed query fields: the query that produced the data shown.
    QVariant StValDate, StValLong, StEndDate, StEndLong;
    QVariant StValDate1, StValLong1, StEndDate1, StEndLong1;
    QStringList StDealer, StDeal, StBank, StPair, StPair2;
    QString StNetting;
    QStringList StCategory, StStatus, SKeyArray, StTCID, StAttributes, stLoroNostro, stClient;
    QString StTypeDate;
    /// Whether the archive is added to the current deals (tool "ID_WithArchive").
    bool WithArchive = false;

    // ---- the contract --------------------------------------------------------
    /// Loads the directories and hands each list the report uses to its filter control.
    Q_INVOKABLE virtual void RefreshDirectory();
    /// RefreshDirectory, ReadQueryPar(name), then shows the working query in
    /// the filter controls; enables "ID_undo" unless name is "Query".
    Q_INVOKABLE virtual void InitQuPar(const QString &NameFilter);
    Q_INVOKABLE virtual void SetUtil(EventClass *Util);
    Q_INVOKABLE virtual void ClearUtil();
    /// Stores the user's selections on the server for the report's procedure.
    Q_INVOKABLE virtual void PrepQuery();
    /// The completion of the report's asynchronous query.
    virtual void AsConnect_ExecuteComplete(long RecordsAffected, data::ErrorPtr pError, int adStatus,
                                           data::Command *pCommand, data::RecordsetPtr pRecordset,
                                           data::Connection *pConnection);
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
    Q_INVOKABLE virtual void StartAnalyser();
    /// The value of grid column ColIndex in display row RowBookmark (the row's
    /// position among the rows the grid is bound to, 0 first); empty when
    /// there is no such row or column.
    Q_INVOKABLE virtual QVariant FitchData(int ColIndex, int RowBookmark);
    /// Lets the report change the values of the current display row (one per
    /// grid column) before the grid shows them.
    virtual void UnboundChangeData(QVector<QVariant> &Values);
    Q_INVOKABLE virtual void RowChange();
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
    QuerySettings QPSettings() const;
    void setQPSettings(const QuerySettings &settings);

    // ---- for the control and tests -------------------------------------------
    /// The owner number under which the report's selections are stored.
    int ownerNumber() const { return m_owner; }
    /// The built rows, filtered by the display mode; what the grid shows.
    data::RecordsetPtr DisplayRecordset() const { return m_display; }
    /// The report's private connection while a query runs; null otherwise.
    data::Connection *AsConnect() const { return m_asConnect.get(); }
    /// Reads display row `row` into one value per grid column, then
    /// UnboundChangeData: the grid's unbound row request.
    void readRow(int row, QVector<QVariant> &values);

protected:
    Report(const QString &appName, int ownerNumber, QObject *parent = nullptr);

    // ---- hooks of a report class ---------------------------------------------
    /// The stored procedure; empty for a report without a query.
    virtual QString procedureName() const { return {}; }
    /// Sets the procedure's parameters: "@UserName" and "@DateReport" here.
    virtual void setQueryParameters(data::Command &command);
    /// Builds the grid's columns, groups, sort keys and value lists (before
    /// the stored column layout is applied).
    virtual void buildColumns() {}
    /// Declares the display recordset's fields (RenewRecordset).
    virtual void appendDisplayFields(data::Recordset &) {}
    /// Fills the display recordset from MainRecordset; returns the number of
    /// groups, and sets NumDeal and NumTable.
    virtual int BuildDisplay() { return 0; }
    /// Which of the 18 filter slots the report uses.
    virtual std::array<bool, FilterControlCount> usedFilters() const { return {}; }
    /// Shows or hides columns for the display mode (after the common rebind).
    virtual void applyViewColumns(View) {}
    /// Refills the columns' value lists (pair names and the like) on each rebind.
    virtual void refreshValueLists() {}
    /// Pushes the working query into the filter controls (InitQuPar).
    virtual void showQueryInControls() {}
    /// Keys of the amount and the rate columns, for FormatValue and FormatRate.
    virtual QStringList valueColumns() const { return {}; }
    virtual QStringList rateColumns() const { return {}; }

    // ---- helpers for report classes ---------------------------------------------
    QWidget *filterWidget(int index) const;
    /// Sets a role (a Qt property) of filter control `index`; skipped quietly
    /// when the control or the role is missing.
    void setFilterRole(int index, const char *role, const QVariant &value) const;
    QVariant filterRole(int index, const char *role) const;
    void setCaption(int index, const QString &caption) const;
    void setToolEnabled(const QString &id, bool enabled) const;
    void setToolState(const QString &id, int state) const;
    widgets::GridColumn *column(const QString &key) const;
    /// The working query as the stored form of the position reports.
    QueryParameters workingQuery() const;
    void setWorkingQuery(const QueryParameters &query);
    void commitWorkingQuery();

    EventClass *util() const { return m_util; }
    std::array<FilterControl, FilterControlCount> &filterControls() { return m_controls; }

private:
    void runQuery();
    void displayUpdate();
    void releaseConnection();
    void showQueryError(const data::Error &error);

    int m_owner = 0;
    QPointer<EventClass> m_util;
    std::array<FilterControl, FilterControlCount> m_controls;
    AllSettings m_settings;
    const AllSettings m_defaultSettings;
    std::unique_ptr<data::Connection> m_asConnect;
    std::unique_ptr<data::Command> m_command;
    data::RecordsetPtr m_display;
    int m_stepCounter = 0;
};

#pragma once

#include "Report.h"

#include "Recordset.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

namespace widgets {
class Grid;
class GridColumn;
class Tool;
class ToolBar;
} // namespace widgets

/// frmDetails: the deal list beside a report. A modeless window, owned by the
/// host's window, that lists the deals behind the report grid's current row.
/// It never queries the database: it shows the report's DetRecordset, which
/// the report filters to the current row on every RowChange and then
/// announces through RaiseDetCaption (the control calls ChangeCaption, which
/// reloads the deals).
///
/// The control drives it by name: DetailActivate(report, parent, view),
/// ChangeCaption(title), and hears OnUnload() when the user closes it (close
/// box, window menu or Esc); closing it from code (the control unloading it)
/// raises nothing. The window deletes itself when closed.
///
/// Views (DetailView): 0 and 1 show the deal recordset's own fields, 1 with
/// the second-currency fields "Volume2", "ValDate2" and "Rate" that 0 hides;
/// 2 and 3 show fixed column tables (see DetailColumns). Codes show as texts
/// (deal kind, side, deposit type); negative amounts are red.
///
/// Per report ("Details Window" under the report's App_Name, see
/// DetailsWindowSettings) it keeps the window's place, the two toggles
/// "Expand After Refresh" and "Group by Box Visible", and the column layout and
/// groups of the view; everything is written back whenever the window closes.
///
/// The report is held through a QPointer and its rows through a clone of its
/// own: a report deleted under the window leaves an empty grid, never a
/// dangling read. Failures are skipped silently; no DetRecordset gives an
/// empty grid.
class frmDetails final : public QWidget
{
    Q_OBJECT

public:
    /// A hidden window owned by \a parent (a top-level window of its own).
    explicit frmDetails(QWidget *parent = nullptr);
    ~frmDetails() override;

    /// Keeps the report (a Report; anything else shows nothing) and the view,
    /// places the window and loads its layout and toggles, loads the deals
    /// and shows the window, owned by \a Parent when given.
    Q_INVOKABLE void DetailActivate(QObject *AppClass, QWidget *Parent, int WindowType);
    /// The title becomes the report's App_Name, " - ", Title; then the deals
    /// are reloaded.
    Q_INVOKABLE void ChangeCaption(const QString &Title);

    /// Reloads the deals the report's DetRecordset shows now.
    void loadDeals();

    // ---- for the control and tests ------------------------------------------------
    widgets::Grid *mainTable() const { return m_mainTable; }
    widgets::ToolBar *mainMenu() const { return m_mainMenu; }
    int windowType() const { return m_windowType; }
    Report *report() const { return m_report; }
    /// The bookmark of DetRecordset behind grid row \a row; -1 outside.
    qint64 bookmarkOf(int row) const;

Q_SIGNALS:
    void OnUnload();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildToolbar();
    void onToolClick(widgets::Tool *tool);
    void onGridMouseUp(int button, int shift, int x, int y);
    void onGridRowChange();
    void onGridKey(int keyAscii);
    void showDetails();
    void changeCaptionOfClickedColumn();
    void unloadByUser();

    /// Builds the columns of the view (from the deal fields for 0 and 1) and
    /// gives them the stored layout, groups, value lists and the "NegValue"
    /// condition; nothing when the columns already are those of `fields`.
    void buildColumns(const QStringList &fields);
    void applyFormats(data::Recordset *deals);
    /// Looks the columns' fields up in the reader clone.
    void bindFields();
    QVariant cell(int row, int column);
    void changeRow(int row, QVector<QVariant> &values);
    void saveSettings();
    void forgetRows();

    QPointer<Report> m_report;
    QString m_appName;
    int m_windowType = -1;
    bool m_activated = false;
    bool m_unloading = false;

    widgets::ToolBar *m_mainMenu = nullptr;
    widgets::Grid *m_mainTable = nullptr;
    QPointer<widgets::GridColumn> m_clickedColumn;

    /// The deal fields the columns were built from (views 0 and 1).
    QStringList m_builtFrom;
    bool m_columnsBuilt = false;
    bool m_fitColumns = false;   // no stored layout: the first deals size the columns
    /// One bookmark of DetRecordset per grid row, in its order.
    std::vector<qint64> m_bookmarks;
    /// An unfiltered clone of the deals, read by bookmark: it shares the rows
    /// (and keeps them alive), and moving it never disturbs the report.
    data::RecordsetPtr m_reader;
    std::weak_ptr<data::Recordset> m_readerOf;
    std::vector<data::Field> m_fields;   // per grid column, in m_reader
    std::optional<data::Field> m_pureDealType;
    std::optional<data::Field> m_dealType;
    int m_dealTypeColumn = -1;
};

#pragma once

#include "QueryPanelControls.h"

#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>

class QDialog;
class QWidget;
class Report;
namespace widgets {
class ToolBar;
}

/// The user's edits in the query panel, copied into the current report.
///
/// Each filter change is written by member name into the report's working
/// query fields (Qt properties); the report reads them at its next run. A
/// report class without such a member is skipped. An edit also marks the
/// filter as edited: the tool "ID_undo" is enabled and the stored-filter combo
/// "ID_ListParams" loses its selection, because the panel no longer shows a
/// stored filter as it was saved.
///
/// Only the user's changes count. The list combos are followed through
/// QComboBox::activated, which code never raises; a CheckCombo reports code
/// changes with a non-zero Change argument, which is ignored; a RelDate raises
/// Change only for the user. The date handlers additionally stay silent while
/// a report loads a stored filter (SharedValues::LoadingQuery) and while this
/// object itself switches the pickers' relative mode.
///
/// Without a report every handler does nothing. The widgets, the toolbar and
/// the report belong to the control, which must keep them alive as long as
/// this object (they are its siblings under the control).
class QueryPanelEvents final : public QObject
{
    Q_OBJECT

public:
    /// Opens the counterparty (TCID) selection dialog for a report; the
    /// dialog may raise Quite(QString) with the new title of the selection.
    /// Returning null opens nothing. The caller of the factory takes
    /// ownership of the dialog.
    using CounterpartyDialogFactory = std::function<QDialog *(Report &report, QWidget *parent)>;

    /// Connects to every widget of controls that is not null. currentReport
    /// returns the control's current report, or null when it has none.
    QueryPanelEvents(const QueryPanelControls &controls, widgets::ToolBar *toolBar,
                     std::function<Report *()> currentReport, QObject *parent = nullptr);

    /// Without a factory a click on the counterparty button does nothing.
    void setCounterpartyDialogFactory(CounterpartyDialogFactory factory) { m_cptyDialog = std::move(factory); }

Q_SIGNALS:
    /// A date range was corrected; raised beside the audible beep.
    void beeped();

private Q_SLOTS:
    /// The counterparty dialog's Quite(Title): its selection has a new title.
    void counterpartyQuite(const QString &title);

private:
    void checkComboChanged(widgets::CheckCombo *box, int argument);
    void relativeActivated();
    void nettingActivated();
    void typeDateActivated();
    void dateChanged(int index);
    void legendClicked();
    void counterpartyClicked();

    /// Enables "ID_undo" and clears the selection of "ID_ListParams".
    void markEdited();
    void enableUndo();
    void clearStoredFilterSelection();
    /// Corrects picker `index` against the other end of its range; true when
    /// the value was changed.
    bool correctRange(int index);
    void beep();

    QueryPanelControls m_controls;
    widgets::ToolBar *m_toolBar;
    std::function<Report *()> m_currentReport;
    CounterpartyDialogFactory m_cptyDialog;
    bool m_switchingRelative = false;
};

#include "QueryPanelEvents.h"

#include "Report.h"

#include "SessionContext.h"
#include "SharedValues.h"

#include "CheckCombo.h"
#include "ElapsedBut.h"
#include "RelDate.h"
#include "Tool.h"
#include "ToolBar.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QPointer>

namespace {

const QString All = QStringLiteral("All");

/// Writes a working query field: every report has them all.
void setField(Report &report, const char *name, const QVariant &value)
{
    report.setQueryField(QString::fromLatin1(name), value);
}

/// Whether the widget is shown in the panel. The panel itself may be hidden
/// (the user closed it) while the filters it holds are still in use.
bool shownInPanel(const QWidget *widget)
{
    if (!widget)
        return false;
    const QWidget *parent = widget->parentWidget();
    return parent ? widget->isVisibleTo(parent) : !widget->isHidden();
}

/// The members each date picker writes: its value and its day count.
struct DateMembers
{
    const char *value;
    const char *dayCount;
};

constexpr DateMembers DateFields[4] = {
    {"ValDate", "ValLong"},
    {"EndDate", "EndLong"},
    {"ValDate1", "ValLong1"},
    {"EndDate1", "EndLong1"},
};

} // namespace

QueryPanelEvents::QueryPanelEvents(const QueryPanelControls &controls, widgets::ToolBar *toolBar,
                                   std::function<Report *()> currentReport, QObject *parent)
    : QObject(parent), m_controls(controls), m_toolBar(toolBar), m_currentReport(std::move(currentReport))
{
    const QueryPanelControls &c = m_controls;
    for (widgets::CheckCombo *box : {c.DealBox, c.PairBox, c.CcyBox, c.DealerBox, c.StatusBox, c.chLoroNostro,
                                     c.TCIDBox, c.ListAttrib, c.ClientBox}) {
        if (box)
            connect(box, &widgets::CheckCombo::Change, this,
                    [this, box](int argument) { checkComboChanged(box, argument); });
    }
    // activated, not currentIndexChanged: a report showing its query in the
    // lists must not count as the user's edit.
    if (c.Combo1)
        connect(c.Combo1, &QComboBox::activated, this, &QueryPanelEvents::relativeActivated);
    if (c.ComboNetting)
        connect(c.ComboNetting, &QComboBox::activated, this, &QueryPanelEvents::nettingActivated);
    if (c.TypeDate)
        connect(c.TypeDate, &QComboBox::activated, this, &QueryPanelEvents::typeDateActivated);
    for (int i = 0; i < 4; ++i) {
        if (widgets::RelDate *picker = c.DateReport[size_t(i)])
            connect(picker, &widgets::RelDate::Change, this, [this, i] { dateChanged(i); });
    }
    if (c.LegendBox)
        connect(c.LegendBox, &widgets::ElapsedBut::Click, this, &QueryPanelEvents::legendClicked);
    if (c.CptyBox)
        connect(c.CptyBox, &widgets::ElapsedBut::Click, this, &QueryPanelEvents::counterpartyClicked);
}

// ---- checked combos ------------------------------------------------------------------

void QueryPanelEvents::checkComboChanged(widgets::CheckCombo *box, int argument)
{
    Report *report = m_currentReport();
    // A non-zero argument is a change made by code (a report filling the box).
    if (!report || argument != 0)
        return;
    markEdited();

    const QueryPanelControls &c = m_controls;
    const QVariant checked = box->ArrayChecked();
    if (box == c.PairBox) {
        // A report that shows currencies and pairs at once keeps the
        // currencies in Pair and the pairs in Pair2.
        setField(*report, shownInPanel(c.CcyBox) ? "Pair2" : "Pair", checked);
        setField(*report, "PairIDArray", box->ArrayCheckedID());
    } else if (box == c.CcyBox) {
        // The reports store CcyIDArray as currency identifiers, so they come
        // from the currency box itself; the pair box's identifiers would
        // restrict the currencies by pair numbers.
        setField(*report, "Pair", checked);
        setField(*report, "CcyIDArray", box->ArrayCheckedID());
    } else if (box == c.StatusBox) {
        setField(*report, "Status", checked);
        setField(*report, "DeskIDArray", box->ArrayCheckedID());
    } else if (box == c.ListAttrib) {
        setField(*report, "Attributes", checked);
        setField(*report, "AttributesID", box->ArrayCheckedID());
    } else if (box == c.DealBox) {
        setField(*report, "Deal", checked);
    } else if (box == c.DealerBox) {
        setField(*report, "Dealer", checked);
    } else if (box == c.chLoroNostro) {
        setField(*report, "LoroNostro", checked);
    } else if (box == c.ClientBox) {
        setField(*report, "Client", checked);
    } else if (box == c.TCIDBox) {
        setField(*report, "TCID", checked);
    }
}

// ---- lists ---------------------------------------------------------------------------

void QueryPanelEvents::relativeActivated()
{
    Report *report = m_currentReport();
    widgets::RelDate *start = m_controls.DateReport[0];
    if (!report || !start || m_switchingRelative)
        return;
    const QString text = m_controls.Combo1->currentText();
    bool relative = false;
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        relative = true;
    else if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) != 0)
        return;
    if (start->Relative() == relative)
        return;

    // The mode alone is no edit of the filter: the dates stay the same days.
    m_switchingRelative = true;
    setField(*report, "Relative", relative);
    start->setRelative(relative);
    for (int i = 1; i < 4; ++i) {
        widgets::RelDate *picker = m_controls.DateReport[size_t(i)];
        if (shownInPanel(picker) && picker->Relative() != relative)
            picker->setRelative(relative);
    }
    m_switchingRelative = false;
}

void QueryPanelEvents::nettingActivated()
{
    Report *report = m_currentReport();
    if (!report)
        return;
    const QString text = m_controls.ComboNetting->currentText();
    if (report->query().Netting == text)
        return;
    setField(*report, "Netting", text);
    markEdited();
}

void QueryPanelEvents::typeDateActivated()
{
    Report *report = m_currentReport();
    if (!report)
        return;
    setField(*report, "TypeDate", m_controls.TypeDate->currentText());
    markEdited();
}

// ---- dates ---------------------------------------------------------------------------

void QueryPanelEvents::dateChanged(int index)
{
    Report *report = m_currentReport();
    if (!report || SharedValues::LoadingQuery() || m_switchingRelative)
        return;
    widgets::RelDate *picker = m_controls.DateReport[size_t(index)];
    if (correctRange(index))
        beep();

    const DateMembers &members = DateFields[index];
    setField(*report, members.value, picker->Value());
    setField(*report, members.dayCount, picker->isAll() ? QVariant(All) : QVariant(picker->dayCount()));
    // The value dates are no part of the query that "ID_undo" restores.
    if (index < 2)
        enableUndo();
    clearStoredFilterSelection();
}

bool QueryPanelEvents::correctRange(int index)
{
    // Pickers 0 and 1 form one range, 2 and 3 the other; even indices are starts.
    const bool isStart = index % 2 == 0;
    widgets::RelDate *picker = m_controls.DateReport[size_t(index)];
    widgets::RelDate *other = m_controls.DateReport[size_t(isStart ? index + 1 : index - 1)];
    // "All" is an open bound: such a range is never reversed, and taking the
    // other end's value would overwrite the user's date with "All" (or the
    // other way round).
    if (!shownInPanel(other) || picker->isAll() || other->isAll())
        return false;
    const bool reversed = isStart ? picker->date() > other->date() : picker->date() < other->date();
    if (!reversed)
        return false;
    picker->setRetDate(other->date());
    return true;
}

void QueryPanelEvents::beep()
{
    QApplication::beep();
    Q_EMIT beeped();
}

// ---- title buttons -------------------------------------------------------------------

void QueryPanelEvents::legendClicked()
{
    Report *report = m_currentReport();
    if (!report)
        return;
    QString title = m_controls.LegendBox->Titul();
    QStringList keys = report->query().KeyArray;
    if (!SessionContext::instance().SelectCategories(keys, title))
        return;
    markEdited();
    m_controls.LegendBox->setTitul(title);
    setField(*report, "KeyArray", keys);
}

void QueryPanelEvents::counterpartyClicked()
{
    Report *report = m_currentReport();
    if (!report || !m_cptyDialog)
        return;
    QPointer<QDialog> dialog = m_cptyDialog(*report, m_controls.CptyBox->window());
    if (!dialog)
        return;
    // The dialog is written apart from the control; its Quite signal is
    // found by name, and a dialog without it still works as a plain dialog.
    if (dialog->metaObject()->indexOfSignal("Quite(QString)") >= 0)
        connect(dialog, SIGNAL(Quite(QString)), this, SLOT(counterpartyQuite(QString)));

    // The control (and this object) may be destroyed while the dialog runs.
    const QPointer<QueryPanelEvents> self(this);
    dialog->exec();
    if (self)
        markEdited();
    delete dialog.data();
}

void QueryPanelEvents::counterpartyQuite(const QString &title)
{
    markEdited();
    if (m_controls.CptyBox)
        m_controls.CptyBox->setTitul(title);
}

// ---- the edited mark -----------------------------------------------------------------

void QueryPanelEvents::markEdited()
{
    enableUndo();
    clearStoredFilterSelection();
}

void QueryPanelEvents::enableUndo()
{
    if (!m_toolBar)
        return;
    if (widgets::Tool *undo = m_toolBar->Tools(QStringLiteral("ID_undo")))
        undo->setEnabled(true);
}

void QueryPanelEvents::clearStoredFilterSelection()
{
    if (!m_toolBar)
        return;
    if (widgets::Tool *list = m_toolBar->Tools(QStringLiteral("ID_ListParams")))
        list->setListIndex(-1);
}

// Marvolt: the traffic between the grid, the report and the host while a
// report is shown — the grid's unbound reads, its gestures, and the relay of
// the report's progress into the control's events and disabled state.

#include "Marvolt.h"

#include "EventClass.h"
#include "Report.h"

#include "SharedValues.h"

#include "BusyIndicator.h"
#include "Grid.h"
#include "GridColumn.h"
#include "Tool.h"
#include "ToolBar.h"

#include <QTimer>

#include <limits>

namespace {

constexpr int SpaceKey = 32;
constexpr int RightButton = 2;

bool fitsShort(int value)
{
    return value >= std::numeric_limits<short>::min() && value <= std::numeric_limits<short>::max();
}

} // namespace

// ---- unbound reads -------------------------------------------------------------------------------

void Marvolt::installGridReaders()
{
    // The control answers the grid's reads itself, so that a grid left with
    // rows after its report lost its result shows none.
    m_mainTable->setCellReader([this](int row, int column) {
        if (reportHasRows())
            return m_report->FitchData(column, row);
        emptyGridLater();
        return QVariant();
    });
    m_mainTable->setRowReader([this](int row, QVector<QVariant> &values) {
        if (reportHasRows())
            m_report->readRow(row, values);
        else
            emptyGridLater();
    });
}

void Marvolt::emptyGridLater()
{
    // Not from inside the model's read: the count is set once it returns.
    QTimer::singleShot(0, this, [this] {
        if (!reportHasRows() && m_mainTable->ItemCount() != 0)
            m_mainTable->setItemCount(0);
    });
}

bool Marvolt::reportHasRows() const
{
    return m_report && m_report->MainRecordset && m_report->MainRecordset->State() != data::adStateClosed
           && m_report->DisplayRecordset();
}

// ---- gestures ----------------------------------------------------------------------------------------

void Marvolt::onGridDblClick()
{
    // A double click on a group row only opens or closes the group.
    if (m_report && !m_mainTable->IsGroupItem())
        m_report->Table_DblClick();
}

void Marvolt::onGridKeyPress(int keyAscii)
{
    // The space bar opens the current row, group rows included.
    if (m_report && keyAscii == SpaceKey)
        m_report->Table_DblClick();
}

void Marvolt::onGridRowChange(int lastRow)
{
    if (!m_report || lastRow == m_mainTable->Row())
        return;
    // A grid without a "Caption" column or a count beyond 16 bits skips the
    // host's event only; the report still hears of the new row.
    if (m_mainTable->Columns(QStringLiteral("Caption")) && fitsShort(m_report->NumDeal)
        && fitsShort(m_report->NumTable)) {
        Q_EMIT ReSelectTabl(m_mainTable->Value(QStringLiteral("Caption")).toString(), short(m_report->NumDeal),
                            short(m_report->NumTable));
    }
    // The host's handler may have moved the current row back.
    if (m_report && lastRow != m_mainTable->Row())
        m_report->RowChange();
}

void Marvolt::onGridMouseUp(int button, int, int x, int y)
{
    if (button != RightButton)
        return;
    // Remembered for "Change Caption" in the pop-up; works without a report too.
    m_clickedColumn = m_mainTable->ColFromPoint(x, y);
    setToolEnabled(QStringLiteral("ID_Caption"), m_clickedColumn != nullptr);
    m_mainMenu->PopupMenu(QStringLiteral("ID_PopUp"));
}

void Marvolt::expandAfterBind()
{
    if (!m_report)
        return;
    const bool summaryView = m_settings.DisplaySetting == vwSummary;
    // Group by group (Grid::expandAllGroups): a summary view has one row per
    // group, and the other views may hold a million rows.
    if (m_settings.AutoExpand || (summaryView && !m_summaryCollapsedByUser))
        m_mainTable->expandAllGroups();
}

void Marvolt::updateRowTools()
{
    setToolEnabled(QStringLiteral("ID_Copy"), m_report && m_mainTable->ItemCount() > 0);
}

widgets::GridColumn *Marvolt::lastClickedColumn() const
{
    return m_clickedColumn;
}

void Marvolt::onFocusEntered()
{
    if (!m_report)
        return;
    Q_EMIT ReSelectTabl(QString(), 0, 0);
    relayout();
}

// ---- progress relay ----------------------------------------------------------------------------------

void Marvolt::onInitProgress(int counter)
{
    m_queryRunning = true;
    ++m_runGeneration;
    // A counter the host's 16-bit argument cannot hold skips the relay only.
    if (fitsShort(counter))
        Q_EMIT InitProgress(short(counter));
    setEnabled(false);
    if (!m_busyLook.isActive() && updatesEnabled()) {
        setUpdatesEnabled(false);
        m_busyLook.start();
    }
    m_animProgress->start();
}

void Marvolt::onStepProgress(int counter)
{
    if (fitsShort(counter))
        Q_EMIT StepProgress(short(counter));
}

void Marvolt::onUnActivProgress()
{
    // A report may tell the end twice; the rows are bound by the first.
    if (m_queryRunning)
        expandAfterBind();
    m_queryRunning = false;
    const int generation = m_runGeneration;
    Q_EMIT UnActivProgress();
    // The host may have started the next query from its handler: that run
    // owns the disabled state and the animation now.
    if (generation != m_runGeneration)
        return;
    setEnabled(true);
    m_busyLook.stop();
    setUpdatesEnabled(true);
    m_animProgress->stop();
    if (m_autoRefresh)
        StartAutoRefresh();
}

void Marvolt::onReSelectTabl(const QString &curPair, int colDeals, int colPair)
{
    if (fitsShort(colDeals) && fitsShort(colPair))
        Q_EMIT ReSelectTabl(curPair, short(colDeals), short(colPair));
}

void Marvolt::onSetDetCaption(const QString &title)
{
    const widgets::Tool *detailTool = tool(QStringLiteral("ID_DetailWIndow"));
    if (!detailTool || detailTool->State() != 1 || !m_formDetails)
        return;
    QMetaObject::invokeMethod(m_formDetails, "ChangeCaption", Q_ARG(QString, title));
}

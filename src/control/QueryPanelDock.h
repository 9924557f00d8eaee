#pragma once

#include "AllSettings.h"
#include "FilterControl.h"

#include <QFrame>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>

#include <optional>
#include <span>

class QFrame;
class QGridLayout;
class QMouseEvent;
class QScrollArea;
class QWidget;

/// Lays out the control's client area below the toolbar: the query panel
/// docked at one edge with the table taking the rest, or floating over the
/// table, or hidden; and lets the user move the panel by dragging its title
/// bar.
///
/// The dock does not own the widgets it is given. It reparents the panel and
/// the table into the area (which must have no layout of its own: the dock
/// places both children itself), gives the panel a layout of the title bar
/// over a scroll area, and gives the filter body the grid the filters sit
/// in; the panel and the filter body must therefore come without layouts.
///
/// The filters are arranged by where the panel is: a horizontal band at the
/// top or bottom puts as many caption/filter pairs in a row as fit the width;
/// a vertical band at the left or right puts one pair in each row in a panel
/// of a fixed width and scrolls when it is too tall; a floating panel puts
/// two pairs in each row and takes the size of its content. Filters that are
/// hidden are left out, the others keep their slot order.
///
/// Dragging: a left press on the title bar starts a drag and shows the
/// marker frame "DragActionTop"; moves inside the area choose the target with
/// nextDockTarget(); the release drops the panel there through
/// dropDockTarget(). A drop that changes the settings applies them and emits
/// placementChanged(); a release outside the area or Escape cancels.
///
/// Positions are in pixels relative to the area's top-left corner.
class QueryPanelDock final : public QObject
{
    Q_OBJECT

public:
    /// `area` is the client area below the toolbar; `panel` the query panel
    /// frame, `titleBar` and `filterBody` its two parts; `table` the grid.
    /// None may be null.
    QueryPanelDock(QWidget *area, QFrame *panel, QWidget *titleBar, QWidget *filterBody,
                   QWidget *table, QObject *parent = nullptr);
    ~QueryPanelDock() override;

    /// The filter slots in slot order; a slot without a filter widget is
    /// skipped. The widgets should be children of the filter body. Takes
    /// effect at the next relayout().
    void setFilters(std::span<const FilterControl> filters);

    /// Takes the panel's placement and visibility from `settings` and lays
    /// the area out. A QPAlign outside AlignQEnum is laid out as drTop; a
    /// floating position outside the area is pulled in for display only,
    /// the stored value is kept.
    void apply(const AllSettings &settings);
    /// Lays the area out again with the current settings, e.g. after a
    /// filter was shown or hidden. Does nothing while the area's top-level
    /// window is minimized; restoring that window lays it out again.
    void relayout();

    /// The settings last applied or produced by a drop.
    AllSettings settings() const { return m_settings; }
    /// The number of caption/filter pairs per row in the current arrangement.
    int filterColumns() const { return m_filterColumns; }
    bool isDragging() const { return m_dragging; }
    /// The side the panel would go to if dropped now (valid while dragging).
    AlignQEnum dragTarget() const { return m_target; }
    /// The marker shown while dragging.
    QFrame *dragMarker() const { return m_marker; }

Q_SIGNALS:
    /// A drop moved the panel; `settings` are already applied. The control
    /// stores them as the report's view settings.
    void placementChanged(const AllSettings &settings);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void arrangeFilters(int columns);
    QRect panelRect(AlignQEnum align, QSize area) const;
    QRect markerRect(AlignQEnum target, QPoint pointer) const;
    QSize contentSize() const;
    void watchTopLevel();
    bool isMinimized() const;

    void beginDrag(QMouseEvent *event);
    void moveDrag(QMouseEvent *event);
    void endDrag(QMouseEvent *event);
    void cancelDrag();

    QPointer<QWidget> m_area;
    QPointer<QFrame> m_panel;
    QPointer<QWidget> m_titleBar;
    QPointer<QWidget> m_filterBody;
    QPointer<QWidget> m_table;
    QScrollArea *m_scroll = nullptr;
    QGridLayout *m_filterGrid = nullptr;
    QPointer<QFrame> m_marker;
    QPointer<QWidget> m_topLevel;
    int m_dockedFrameStyle = 0;

    QList<FilterControl> m_filters;
    AllSettings m_settings;
    int m_filterColumns = 0;

    bool m_dragging = false;
    AlignQEnum m_target = drNone;
    QRect m_dragRect;
    std::optional<QPoint> m_grabOffset;
};

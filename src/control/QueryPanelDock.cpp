#include "QueryPanelDock.h"

#include "DockTarget.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWidget>

#include <cmath>
#include <limits>

namespace {

/// Width one caption and its filter take in a horizontal band; the band puts
/// as many pairs side by side as fit.
constexpr int FilterPairWidth = 300;
/// Width of the panel docked at the left or right.
constexpr int VerticalBandWidth = 300;
/// Pairs per row in the floating panel.
constexpr int FloatingColumns = 2;
/// Gap between a docked panel and the table.
constexpr int AreaSpacing = 6;

bool isDocked(AlignQEnum align)
{
    return align == drTop || align == drBottom || align == drLeft || align == drRight;
}

/// A stored QPAlign outside the enumeration lays out as the first-run default.
AlignQEnum layoutAlign(AlignQEnum align)
{
    return (align == drNone || isDocked(align)) ? align : drTop;
}

/// A docked band leaves at least a third of the area to the table, so the
/// grid never disappears behind a tall panel.
int maxBand(int extent)
{
    return extent - extent / 3;
}

int toPixel(float value)
{
    if (!std::isfinite(value))
        return 0;
    constexpr float limit = float(std::numeric_limits<int>::max() / 2);
    return int(std::lround(qBound(-limit, value, limit)));
}

} // namespace

QueryPanelDock::QueryPanelDock(QWidget *area, QFrame *panel, QWidget *titleBar,
                               QWidget *filterBody, QWidget *table, QObject *parent)
    : QObject(parent)
    , m_area(area)
    , m_panel(panel)
    , m_titleBar(titleBar)
    , m_filterBody(filterBody)
    , m_table(table)
{
    Q_ASSERT(area && panel && titleBar && filterBody && table);
    Q_ASSERT(!area->layout() && !panel->layout() && !filterBody->layout());

    // setParent() hides a widget; only move what is not in place yet.
    const auto adopt = [](QWidget *child, QWidget *parent) {
        if (child->parentWidget() != parent) {
            child->setParent(parent);
            child->show();
        }
    };
    adopt(m_panel, m_area);
    adopt(m_table, m_area);
    m_dockedFrameStyle = m_panel->frameStyle();

    // The body scrolls inside the panel: a vertical band holds one filter per
    // row and is often taller than the area.
    m_scroll = new QScrollArea(m_panel);
    m_scroll->setObjectName(QStringLiteral("QueryScroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setWidget(m_filterBody);
    // setWidget() makes the body paint its own background; the panel's
    // background should show through instead.
    m_filterBody->setAutoFillBackground(false);
    m_scroll->viewport()->setAutoFillBackground(false);

    adopt(m_titleBar, m_panel);
    auto *panelLayout = new QVBoxLayout(m_panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(0);
    panelLayout->addWidget(m_titleBar);
    panelLayout->addWidget(m_scroll, 1);

    m_filterGrid = new QGridLayout(m_filterBody);

    m_marker = new QFrame(m_area);
    m_marker->setObjectName(QStringLiteral("DragActionTop"));
    m_marker->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_marker->setLineWidth(2);
    m_marker->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_marker->setStyleSheet(QStringLiteral(
        "QFrame#DragActionTop { border: 2px solid palette(highlight);"
        " background: rgba(0, 120, 215, 50); }"));
    m_marker->hide();

    m_area->installEventFilter(this);
    m_titleBar->installEventFilter(this);
    watchTopLevel();
}

QueryPanelDock::~QueryPanelDock()
{
    cancelDrag();
    delete m_marker.data();
}

void QueryPanelDock::setFilters(std::span<const FilterControl> filters)
{
    m_filters = QList<FilterControl>(filters.begin(), filters.end());
}

void QueryPanelDock::apply(const AllSettings &settings)
{
    m_settings = settings;
    relayout();
}

void QueryPanelDock::relayout()
{
    if (!m_area || !m_panel || !m_table)
        return;
    watchTopLevel();
    // A minimized window has no room to lay out; the restore lays out again.
    if (isMinimized())
        return;

    const QRect area = m_area->rect();
    if (!m_settings.QPVisible) {
        cancelDrag();
        m_panel->hide();
        m_table->setGeometry(area);
        return;
    }

    const AlignQEnum align = layoutAlign(m_settings.QPAlign);
    if (align == drNone) {
        m_panel->setFrameStyle(QFrame::Box | QFrame::Plain);
        m_panel->setLineWidth(1);
    } else {
        m_panel->setFrameStyle(m_dockedFrameStyle);
    }

    int columns = FloatingColumns;
    if (align == drLeft || align == drRight) {
        columns = 1;
    } else if (align == drTop || align == drBottom) {
        const QMargins margins = m_filterGrid->contentsMargins();
        const int room = area.width() - margins.left() - margins.right() - 2 * m_panel->frameWidth();
        columns = qMax(1, room / FilterPairWidth);
    }
    arrangeFilters(columns);

    const QRect panel = panelRect(align, area.size());
    m_panel->setGeometry(panel);
    m_panel->show();

    QRect table = area;
    switch (align) {
    case drTop:
        table.setTop(panel.bottom() + 1 + AreaSpacing);
        break;
    case drBottom:
        table.setBottom(panel.top() - 1 - AreaSpacing);
        break;
    case drLeft:
        table.setLeft(panel.right() + 1 + AreaSpacing);
        break;
    case drRight:
        table.setRight(panel.left() - 1 - AreaSpacing);
        break;
    default:
        break;   // floating: the table keeps the whole area, the panel lies over it
    }
    m_table->setGeometry(table.isValid() ? table : QRect(area.topLeft(), QSize(0, 0)));
    if (align == drNone)
        m_panel->raise();
    if (m_dragging)
        m_marker->raise();
}

void QueryPanelDock::arrangeFilters(int columns)
{
    // A fresh grid each time: QGridLayout never forgets rows and columns once
    // used, and the stretch row below must follow the last filter row.
    delete m_filterGrid;
    m_filterGrid = new QGridLayout(m_filterBody);
    m_filterGrid->setContentsMargins(10, 4, 10, 10);
    m_filterGrid->setHorizontalSpacing(8);
    m_filterGrid->setVerticalSpacing(6);

    m_filterColumns = columns;
    int placed = 0;
    for (const FilterControl &slot : std::as_const(m_filters)) {
        auto *common = qobject_cast<QWidget *>(slot.Common.data());
        if (!common || common->isHidden())
            continue;
        const int row = placed / columns;
        const int column = (placed % columns) * 2;
        if (auto *caption = qobject_cast<QWidget *>(slot.lbCaption.data()))
            m_filterGrid->addWidget(caption, row, column);
        m_filterGrid->addWidget(common, row, column + 1);
        ++placed;
    }
    for (int c = 0; c < columns; ++c)
        m_filterGrid->setColumnStretch(c * 2 + 1, 1);
    // Extra height (a vertical band taller than its filters) goes below the
    // last row instead of spreading the rows apart.
    const int rows = (placed + columns - 1) / columns;
    m_filterGrid->setRowStretch(rows, 1);
    m_scroll->setVisible(placed > 0);
}

QSize QueryPanelDock::contentSize() const
{
    const int frame = 2 * m_panel->frameWidth();
    const QSize title = m_titleBar->sizeHint();
    const QSize body = m_scroll->isVisibleTo(m_panel) ? m_filterBody->sizeHint() : QSize(0, 0);
    return {qMax(title.width(), body.width()) + frame, title.height() + body.height() + frame};
}

QRect QueryPanelDock::panelRect(AlignQEnum align, QSize area) const
{
    const QSize content = contentSize();
    switch (align) {
    case drTop:
    case drBottom: {
        const int height = qMin(content.height(), maxBand(area.height()));
        return {0, align == drTop ? 0 : area.height() - height, area.width(), height};
    }
    case drLeft:
    case drRight: {
        // Wide enough for the widest filter and the scroll bar, when the area allows.
        const int needed = m_filterBody->minimumSizeHint().width()
                + m_scroll->verticalScrollBar()->sizeHint().width() + 2 * m_panel->frameWidth();
        const int width = qMin(qMax(VerticalBandWidth, needed), maxBand(area.width()));
        return {align == drLeft ? 0 : area.width() - width, 0, width, area.height()};
    }
    default: {
        // Filters report small size hints (a combo showing "All"); a floating
        // panel is as wide as the same pairs in a docked band would be.
        const QSize size = QSize(qMax(content.width(), FloatingColumns * FilterPairWidth),
                                 content.height()).boundedTo(area);
        // A position stored for a larger area (or a drop far to the side)
        // would leave the panel, and its title bar, out of reach: keep it
        // inside for display; the stored position is not changed.
        const int x = qBound(0, toPixel(m_settings.QPPosition[0]), area.width() - size.width());
        const int y = qBound(0, toPixel(m_settings.QPPosition[1]), area.height() - size.height());
        return {QPoint(x, y), size};
    }
    }
}

QRect QueryPanelDock::markerRect(AlignQEnum target, QPoint pointer) const
{
    const QRect area = m_area->rect();
    const int across = qMin(VerticalBandWidth, area.width() / 2);
    const int down = area.height() / 4;
    switch (target) {
    case drTop:
        return {0, 0, area.width(), down};
    case drBottom:
        return {0, area.height() - down, area.width(), down};
    case drLeft:
        return {0, 0, across, area.height()};
    case drRight:
        return {area.width() - across, 0, across, area.height()};
    default:
        return {pointer - m_grabOffset.value_or(QPoint()), m_dragRect.size()};
    }
}

void QueryPanelDock::watchTopLevel()
{
    if (!m_area)
        return;
    QWidget *top = m_area->window();
    if (top == m_topLevel)
        return;
    if (m_topLevel && m_topLevel != m_area)
        m_topLevel->removeEventFilter(this);
    m_topLevel = top;
    if (top != m_area)
        top->installEventFilter(this);
}

bool QueryPanelDock::isMinimized() const
{
    return m_area && (m_area->window()->windowState() & Qt::WindowMinimized);
}

bool QueryPanelDock::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_titleBar) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton && !m_dragging) {
                beginDrag(mouse);
                return true;
            }
            break;
        }
        case QEvent::MouseMove:
            if (m_dragging) {
                moveDrag(static_cast<QMouseEvent *>(event));
                return true;
            }
            break;
        case QEvent::MouseButtonRelease: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (m_dragging && mouse->button() == Qt::LeftButton) {
                endDrag(mouse);
                return true;
            }
            break;
        }
        case QEvent::KeyPress:
            if (m_dragging && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
                cancelDrag();
                return true;
            }
            break;
        default:
            break;
        }
    }
    if (watched == m_area) {
        if (event->type() == QEvent::Resize || event->type() == QEvent::Show)
            relayout();
    }
    // The area's own window state counts too when the area is the top-level.
    if (watched == m_topLevel && event->type() == QEvent::WindowStateChange && !isMinimized())
        relayout();
    return QObject::eventFilter(watched, event);
}

void QueryPanelDock::beginDrag(QMouseEvent *event)
{
    if (isMinimized() || !m_panel->isVisible())
        return;
    const QPoint point = m_titleBar->mapTo(m_area, event->position().toPoint());
    m_dragRect = m_panel->geometry();
    m_grabOffset = point - m_dragRect.topLeft();
    m_target = layoutAlign(m_settings.QPAlign);
    m_dragging = true;
    m_marker->setGeometry(m_dragRect);
    m_marker->show();
    m_marker->raise();
    // Moves and the release come to the title bar wherever the pointer goes,
    // and Escape reaches it whichever widget has the focus.
    m_titleBar->grabMouse();
    m_titleBar->grabKeyboard();
}

void QueryPanelDock::moveDrag(QMouseEvent *event)
{
    const QPoint point = m_titleBar->mapTo(m_area, event->position().toPoint());
    // Only the area counts: over the toolbar or outside the control the
    // target stays what it was.
    if (!m_area->rect().contains(point))
        return;
    m_target = nextDockTarget(m_target, point, m_area->rect());
    m_marker->setGeometry(markerRect(m_target, point));
}

void QueryPanelDock::endDrag(QMouseEvent *event)
{
    const QPoint point = m_titleBar->mapTo(m_area, event->position().toPoint());
    const AlignQEnum target = m_target;
    const std::optional<QPoint> offset = m_grabOffset;
    cancelDrag();
    // A release outside the area drops nowhere.
    if (!m_area->rect().contains(point))
        return;
    const DockDrop drop = dropDockTarget(m_settings, target, point, offset);
    if (!drop.changed)
        return;
    m_settings = drop.settings;
    relayout();
    Q_EMIT placementChanged(m_settings);
}

void QueryPanelDock::cancelDrag()
{
    if (!m_dragging)
        return;
    m_dragging = false;
    m_grabOffset.reset();
    if (m_marker)
        m_marker->hide();
    if (m_titleBar) {
        m_titleBar->releaseMouse();
        m_titleBar->releaseKeyboard();
    }
}

#include "Grid.h"

#include "GridDelegate.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace widgets {

namespace {

// Steps of the fade: smooth to the eye, a repaint of the viewport each.
constexpr int MarkFadeStep = 30;

int vbButton(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

int vbShift(Qt::KeyboardModifiers modifiers)
{
    int shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= 1;
    if (modifiers & Qt::ControlModifier)
        shift |= 2;
    if (modifiers & Qt::AltModifier)
        shift |= 4;
    return shift;
}

} // namespace

Grid::Grid(QWidget *parent)
    : QTreeView(parent)
    , m_model(new GridModel(this))
    , m_groupByBox(new QLabel(this))
    , m_groupByBoxPrompt(tr("Drag a column header here to group by that column"))
    , m_markFade(new QTimer(this))
{
    // Uniform heights keep painting and current-row changes independent of
    // the row count; without them a current-row change over a million rows
    // costs a quarter of a second.
    setUniformRowHeights(true);
    setModel(m_model);
    setItemDelegate(new GridDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    setAllColumnsShowFocus(true);
    setExpandsOnDoubleClick(true);
    setRootIsDecorated(false);
    setIndentation(18);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setSortingEnabled(false);

    QHeaderView *h = header();
    h->setSectionsMovable(true);
    h->setStretchLastSection(false);
    h->setHighlightSections(false);
    h->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    h->setMinimumSectionSize(16);
    h->viewport()->installEventFilter(this);

    connect(h, &QHeaderView::sectionMoved, this, [this] {
        if (!m_syncing)
            syncColumnsFromHeader();
    });
    connect(h, &QHeaderView::sectionResized, this, [this](int logical, int, int size) {
        if (m_syncing)
            return;
        if (GridColumn *col = m_model->column(logical); col && !header()->isSectionHidden(logical))
            col->updateFromHeader(col->Position(), size);
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        applyAllColumns();
        setRootIsDecorated(m_model->groupLevels() > 0);
        updateGroupByBox();
    });
    connect(m_model, &GridModel::appearanceChanged, viewport(), qOverload<>(&QWidget::update));

    m_model->setMarkingChanges(true);
    m_markFade->setInterval(MarkFadeStep);
    connect(m_markFade, &QTimer::timeout, this, &Grid::stepMarkFade);
    connect(m_model, &GridModel::changeMarksChanged, this, &Grid::onChangeMarksChanged);

    m_groupByBox->setVisible(false);
    m_groupByBox->setMargin(6);
    m_groupByBox->setAutoFillBackground(true);
    m_groupByBox->setBackgroundRole(QPalette::Window);
    m_groupByBox->setForegroundRole(QPalette::PlaceholderText);
    m_groupByBox->setCursor(Qt::PointingHandCursor);
    m_groupByBox->installEventFilter(this);
}

Grid::~Grid() = default;

// --- columns --------------------------------------------------------------------

GridColumn *Grid::addColumn(const QString &key, const QString &caption, const QString &dataField)
{
    GridColumn *col = m_model->addColumn(key, caption, dataField);
    connect(col, &GridColumn::changed, this, [this, col] {
        if (!m_syncing)
            applyColumn(col);
    });
    connect(col, &GridColumn::positionChanged, this, [this, col](int position) {
        onColumnPositionChanged(col, position);
    });
    applyColumn(col);
    return col;
}

GridColumn *Grid::Columns(const QString &key) const
{
    return m_model->column(key);
}

GridColumn *Grid::Columns(int index) const
{
    return m_model->column(index);
}

int Grid::ColumnCount() const
{
    return m_model->columnCountTotal();
}

void Grid::clearColumns()
{
    m_model->clearColumns();
}

void Grid::applyColumn(GridColumn *col)
{
    QHeaderView *h = header();
    const int logical = col->Index();
    if (logical >= h->count())
        return;
    m_syncing = true;
    h->setSectionHidden(logical, !col->Visible());
    if (col->Visible() && h->sectionSize(logical) != col->Width())
        h->resizeSection(logical, col->Width());
    m_syncing = false;
    viewport()->update();
}

void Grid::applyAllColumns()
{
    QHeaderView *h = header();
    const int count = qMin(h->count(), m_model->columnCountTotal());
    QList<GridColumn *> byPosition;
    for (int i = 0; i < count; ++i)
        byPosition.append(m_model->column(i));
    std::stable_sort(byPosition.begin(), byPosition.end(),
                     [](GridColumn *a, GridColumn *b) { return a->Position() < b->Position(); });
    m_syncing = true;
    for (int visual = 0; visual < byPosition.size(); ++visual) {
        GridColumn *col = byPosition.at(visual);
        const int from = h->visualIndex(col->Index());
        if (from != visual)
            h->moveSection(from, visual);
        h->setSectionHidden(col->Index(), !col->Visible());
        if (h->sectionSize(col->Index()) != col->Width() && col->Visible())
            h->resizeSection(col->Index(), col->Width());
    }
    m_syncing = false;
    syncColumnsFromHeader();
}

void Grid::syncColumnsFromHeader()
{
    QHeaderView *h = header();
    for (int i = 0; i < m_model->columnCountTotal() && i < h->count(); ++i) {
        GridColumn *col = m_model->column(i);
        const int width = h->isSectionHidden(i) ? col->Width() : h->sectionSize(i);
        col->updateFromHeader(h->visualIndex(i) + 1, width);
    }
}

void Grid::onColumnPositionChanged(GridColumn *col, int position)
{
    if (m_syncing)
        return;
    QHeaderView *h = header();
    if (col->Index() >= h->count())
        return;
    const int to = qBound(0, position - 1, h->count() - 1);
    m_syncing = true;
    h->moveSection(h->visualIndex(col->Index()), to);
    m_syncing = false;
    syncColumnsFromHeader();
}

// --- data --------------------------------------------------------------------------

void Grid::setCellReader(GridModel::CellReader reader)
{
    keepingState([&] { m_model->setCellReader(std::move(reader)); });
}

void Grid::setRowReader(GridModel::RowReader reader)
{
    m_model->setRowReader(std::move(reader));
}

int Grid::ItemCount() const
{
    return m_model->ItemCount();
}

void Grid::setItemCount(int count)
{
    keepingState([&] { m_model->setItemCount(count); });
}

void Grid::setItemCount(int count, const RowArrangement &arranged, const RowChangeMarks::Comparison *marks)
{
    keepingState([&] { m_model->setItemCount(count, arranged, marks); });
}

RowOrdering Grid::ordering() const
{
    return m_model->ordering();
}

void Grid::refresh()
{
    keepingState([&] { m_model->rebuild(); });
}

bool Grid::addGroup(const QString &columnKey, bool ascending)
{
    bool ok = false;
    keepingState([&] { ok = m_model->addGroup(columnKey, ascending); });
    return ok;
}

void Grid::clearGroups()
{
    keepingState([&] { m_model->clearGroups(); });
}

int Grid::groupCount() const
{
    return m_model->groupLevels();
}

bool Grid::addSortKey(const QString &columnKey, bool ascending)
{
    bool ok = false;
    keepingState([&] { ok = m_model->addSortKey(columnKey, ascending); });
    return ok;
}

void Grid::clearSortKeys()
{
    keepingState([&] { m_model->clearSortKeys(); });
}

FormatCondition *Grid::addFormatCondition(const QString &key, const QString &columnKey,
                                          FormatCondition::Operator op, const QVariant &value1,
                                          const QVariant &value2)
{
    return m_model->addCondition(key, columnKey, op, value1, value2);
}

FormatCondition *Grid::FmtCondition(const QString &key) const
{
    return m_model->condition(key);
}

void Grid::removeFormatCondition(const QString &key)
{
    m_model->removeCondition(key);
}

void Grid::setDateFormats(const QString &date, const QString &dateTime)
{
    m_model->setDateFormats(date, dateTime);
}

// --- change marks ---------------------------------------------------------------------

void Grid::setChangeMarkDuration(int ms)
{
    m_markDuration = qMax(0, ms);
    m_model->setMarkingChanges(m_markDuration > 0);
}

RowMark Grid::rowMark(const QModelIndex &index) const
{
    return m_model->rowMark(index);
}

qreal Grid::markStrength(const QModelIndex &index) const
{
    return rowMark(index) == RowMark::None ? 0 : fadeStrength();
}

void Grid::forgetRowsForChangeMarks()
{
    m_model->forgetRowsForChangeMarks();
}

qreal Grid::fadeStrength() const
{
    if (m_markDuration <= 0 || !m_markClock.isValid())
        return 0;
    return qMax(qreal(0), 1 - qreal(m_markClock.elapsed()) / m_markDuration);
}

void Grid::onChangeMarksChanged()
{
    // New marks start their fade afresh, those of an earlier re-read gone.
    if (m_model->hasChangeMarks()) {
        m_markClock.start();
        m_markFade->start();
    } else {
        m_markFade->stop();
    }
    viewport()->update();
}

void Grid::stepMarkFade()
{
    if (fadeStrength() > 0)
        viewport()->update();
    else
        m_model->clearChangeMarks();   // stops the timer and repaints
}

// --- keeping state across re-reads ---------------------------------------------------

Grid::SavedState Grid::saveState() const
{
    SavedState s;
    for (const QModelIndex &g : m_model->allGroupIndexes())
        if (isExpanded(g))
            s.expanded.append(m_model->groupPath(g));
    const QModelIndex current = currentIndex();
    if (current.isValid()) {
        s.currentIsGroup = m_model->isGroup(current);
        s.currentPath = m_model->groupPath(current);
        s.currentPosition = current.row();
    }
    s.row = m_lastRow;
    s.vScroll = verticalScrollBar()->value();
    s.hScroll = horizontalScrollBar()->value();
    return s;
}

void Grid::restoreState(const SavedState &s)
{
    for (const QStringList &path : s.expanded) {
        const QModelIndex g = m_model->groupIndex(path);
        if (g.isValid())
            expand(g);
    }

    QModelIndex current;
    if (s.currentIsGroup) {
        current = m_model->groupIndex(s.currentPath);
    } else if (s.currentPosition >= 0) {
        const QModelIndex parent = m_model->groupIndex(s.currentPath);
        if (s.currentPath.isEmpty() || parent.isValid()) {
            // The same place in the same group. Bookmarks are row numbers of the
            // report's rebuilt rows, so after a re-read a bookmark may name a
            // different row while the place in an unchanged group does not.
            const int rows = m_model->rowCount(parent);
            if (rows > 0)
                current = m_model->index(qMin(s.currentPosition, rows - 1), 0, parent);
            else if (parent.isValid())
                current = parent;
        }
    }
    if (current.isValid())
        selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect
                                                       | QItemSelectionModel::Rows);
    // The scroll bars get their new ranges from the layout.
    doItemsLayout();
    verticalScrollBar()->setValue(s.vScroll);
    horizontalScrollBar()->setValue(s.hScroll);
}

template<typename Change>
void Grid::keepingState(Change change)
{
    const SavedState state = saveState();
    m_restoring = true;
    change();
    restoreState(state);
    m_restoring = false;
    const int now = Row();
    m_lastRow = now;
    if (now != state.row)
        Q_EMIT RowChange(state.row);
}

// --- column widths ------------------------------------------------------------------

void Grid::fitColumnsToContents(int maxWidth)
{
    const int count = m_model->ItemCount();
    QList<int> sample;
    sample.reserve(SampleRows + SampleGroups);
    // Innermost groups: where a group's first rows are.
    QList<QModelIndex> groups;
    for (const QModelIndex &g : m_model->allGroupIndexes()) {
        if (groups.size() >= SampleGroups)
            break;
        if (m_model->rowCount(g) > 0 && !m_model->isGroup(m_model->index(0, 0, g)))
            groups.append(g);
    }
    for (const QModelIndex &g : groups) {
        const int rows = m_model->rowCount(g);
        for (int r = 0; r < qMin(rows, 2); ++r)
            sample.append(m_model->bookmark(m_model->index(r, 0, g)));
    }
    const int step = qMax(1, count / SampleRows);
    for (int row = 0; row < count; row += step)
        sample.append(row);

    const QStyleOptionViewItem option = [this] {
        QStyleOptionViewItem o;
        initViewItemOption(&o);
        return o;
    }();
    QAbstractItemDelegate *delegate = itemDelegate();
    QHeaderView *h = header();
    for (int c = 0; c < m_model->columnCountTotal(); ++c) {
        GridColumn *col = m_model->column(c);
        if (!col->Visible())
            continue;
        int width = h->sectionSizeHint(c);
        for (int bookmark : sample) {
            const QModelIndex cell = m_model->indexOfBookmark(bookmark).siblingAtColumn(c);
            if (cell.isValid())
                width = qMax(width, delegate->sizeHint(option, cell).width());
        }
        // The first column also holds the tree's indentation.
        if (h->visualIndex(c) == 0 && m_model->groupLevels() > 0)
            width += indentation() * m_model->groupLevels();
        col->setWidth(qMin(width, maxWidth));
    }
}

// --- expansion --------------------------------------------------------------------

void Grid::expandAllGroups()
{
    // One expand() per group: expandAll() walks every row and grows with the
    // square of the rows.
    for (const QModelIndex &g : m_model->allGroupIndexes())
        expand(g);
}

void Grid::collapseAllGroups()
{
    collapseAll();
}

void Grid::expandSelectedGroups()
{
    QModelIndexList targets;
    for (const QModelIndex &i : selectionModel()->selectedRows())
        if (m_model->isGroup(i))
            targets.append(i);
    if (targets.isEmpty() && m_model->isGroup(currentIndex()))
        targets.append(currentIndex().siblingAtColumn(0));
    while (!targets.isEmpty()) {
        const QModelIndex g = targets.takeLast();
        expand(g);
        const int children = m_model->rowCount(g);
        for (int r = 0; r < children; ++r) {
            const QModelIndex child = m_model->index(r, 0, g);
            if (m_model->isGroup(child))
                targets.append(child);
        }
    }
}

// --- rows ---------------------------------------------------------------------------

int Grid::expandedSize(const QModelIndex &group) const
{
    if (!isExpanded(group))
        return 0;
    const int children = m_model->rowCount(group);
    if (children == 0)
        return 0;
    if (!m_model->isGroup(m_model->index(0, 0, group)))
        return children;
    int size = 0;
    for (int r = 0; r < children; ++r)
        size += 1 + expandedSize(m_model->index(r, 0, group));
    return size;
}

int Grid::rowOfIndex(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != m_model)
        return -1;
    QModelIndexList chain;
    for (QModelIndex i = index.siblingAtColumn(0); i.isValid(); i = i.parent())
        chain.prepend(i);
    int row = 0;
    QModelIndex parent;
    for (int depth = 0; depth < chain.size(); ++depth) {
        const QModelIndex node = chain.at(depth);
        if (depth > 0 && !isExpanded(parent))
            return -1;   // inside a collapsed group: not on screen
        const bool groupsHere = m_model->isGroup(node);
        if (groupsHere) {
            for (int r = 0; r < node.row(); ++r)
                row += 1 + expandedSize(m_model->index(r, 0, parent));
        } else {
            row += node.row();
        }
        if (depth + 1 < chain.size())
            row += 1;   // the group row itself
        parent = node;
    }
    return row;
}

QModelIndex Grid::indexAtRow(int row) const
{
    if (row < 0)
        return {};
    QModelIndex parent;
    while (true) {
        const int children = m_model->rowCount(parent);
        if (children == 0)
            return {};
        if (!m_model->isGroup(m_model->index(0, 0, parent)))
            return row < children ? m_model->index(row, 0, parent) : QModelIndex();
        bool descended = false;
        for (int r = 0; r < children; ++r) {
            const QModelIndex g = m_model->index(r, 0, parent);
            if (row == 0)
                return g;
            --row;
            const int size = expandedSize(g);
            if (row < size) {
                parent = g;
                descended = true;
                break;
            }
            row -= size;
        }
        if (!descended)
            return {};
    }
}

int Grid::visibleRowCount() const
{
    const int top = m_model->rowCount();
    if (top == 0)
        return 0;
    if (!m_model->isGroup(m_model->index(0, 0)))
        return top;
    int count = 0;
    for (int r = 0; r < top; ++r)
        count += 1 + expandedSize(m_model->index(r, 0));
    return count;
}

int Grid::Row() const
{
    return rowOfIndex(currentIndex());
}

void Grid::setRow(int row)
{
    const QModelIndex i = indexAtRow(row);
    if (i.isValid())
        selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

bool Grid::IsGroupItem() const
{
    return m_model->isGroup(currentIndex());
}

bool Grid::isGroupRow(int row) const
{
    return m_model->isGroup(indexAtRow(row));
}

int Grid::currentBookmark() const
{
    return m_model->bookmark(currentIndex());
}

QVariant Grid::Value(const QString &columnKey) const
{
    const int column = m_model->columnIndex(columnKey);
    if (column < 0 || !currentIndex().isValid())
        return {};
    return m_model->value(currentIndex(), column);
}

QString Grid::Text(const QString &columnKey) const
{
    const int column = m_model->columnIndex(columnKey);
    if (column < 0 || !currentIndex().isValid())
        return {};
    if (m_model->isGroup(currentIndex()))
        return m_model->displayText(m_model->value(currentIndex(), column), column);
    return currentIndex().siblingAtColumn(column).data().toString();
}

GridColumn *Grid::ColFromPoint(int x, int y) const
{
    const QPoint p(x, y);
    QHeaderView *h = header();
    int logical = -1;
    if (h->isVisible() && h->geometry().contains(p))
        logical = h->logicalIndexAt(h->viewport()->mapFrom(this, p).x());
    else if (viewport()->geometry().contains(p))
        logical = h->logicalIndexAt(viewport()->mapFrom(this, p).x());
    if (logical < 0 || h->isSectionHidden(logical))
        return nullptr;
    return m_model->column(logical);
}

QList<int> Grid::visibleColumnsInOrder() const
{
    QHeaderView *h = header();
    QList<int> columns;
    for (int visual = 0; visual < h->count(); ++visual) {
        const int logical = h->logicalIndex(visual);
        if (!h->isSectionHidden(logical))
            columns.append(logical);
    }
    return columns;
}

QModelIndexList Grid::rowsToCopy(bool selectedOnly) const
{
    if (!selectedOnly) {
        // The whole result, rows of collapsed groups included: a print or a
        // copy of everything must not depend on what happens to be expanded.
        return m_model->allRows();
    }
    QModelIndexList rows = selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [this](const QModelIndex &a, const QModelIndex &b) { return rowOfIndex(a) < rowOfIndex(b); });
    return rows;
}

QString Grid::copyText(bool selectedOnly) const
{
    const QList<int> columns = visibleColumnsInOrder();
    QStringList lines;
    QStringList captions;
    for (int c : columns)
        captions.append(m_model->column(c)->Caption());
    lines.append(captions.join(QLatin1Char('\t')));

    for (const QModelIndex &i : rowsToCopy(selectedOnly)) {
        if (m_model->isGroup(i)) {
            lines.append(m_model->groupText(i));
            continue;
        }
        QStringList cells;
        for (int c : columns)
            cells.append(i.siblingAtColumn(c).data().toString());
        lines.append(cells.join(QLatin1Char('\t')));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

ReportDocument Grid::reportDocument(bool selectedOnly, DocumentCells cells) const
{
    ReportDocument doc = documentColumns();
    doc.rows = m_model->documentRows(rowsToCopy(selectedOnly), visibleColumnsInOrder(),
                                     cells == DocumentCells::Workbook);
    return doc;
}

ReportDocument Grid::documentColumns() const
{
    ReportDocument doc;
    doc.dateFormat = m_model->dateFormat();
    doc.dateTimeFormat = m_model->dateTimeFormat();
    for (int c : visibleColumnsInOrder()) {
        const GridColumn *column = m_model->column(c);
        doc.columnCaptions.append(column->Caption());
        doc.alignments.append(Qt::Alignment(m_model->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).toInt()
                                            & Qt::AlignHorizontal_Mask));
        doc.numberFormats.append(column->Format());
        doc.widths.append(header()->sectionSize(c));
    }
    return doc;
}

GridRowsCopy Grid::rowsCopy(GridModel::CellReader cellReader, GridModel::RowReader rowReader,
                            DocumentCells cells) const
{
    GridRowsCopy copy;
    copy.m_model = m_model->copyForReading(std::move(cellReader), std::move(rowReader));
    copy.m_columns = visibleColumnsInOrder();
    copy.m_withValues = cells == DocumentCells::Workbook;
    return copy;
}

QList<ReportRow> GridRowsCopy::rows() const
{
    QList<ReportRow> rows;
    forEachRow([&rows](ReportRow &&row) {
        rows.append(std::move(row));
        return true;
    });
    return rows;
}

void GridRowsCopy::forEachRow(const std::function<bool(ReportRow &&)> &take) const
{
    if (!m_model)
        return;
    for (const QModelIndex &index : m_model->allRows())
        if (!take(m_model->documentRow(index, m_columns, m_withValues)))
            return;
}

// --- painting and events ---------------------------------------------------------------

void Grid::drawRow(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (!m_model->isGroup(index)) {
        QTreeView::drawRow(painter, option, index);
        return;
    }
    // A group row is one band across the grid: arrow, column caption, value
    // text and the number of rows.
    const QRect r = option.rect;
    const QPalette &pal = palette();
    const bool selected = selectionModel()->isSelected(index);
    const bool active = hasFocus();
    QColor band = pal.color(QPalette::Button);
    band = band.lightness() > 128 ? QColor::fromHsl(band.hslHue(), band.hslSaturation(), qMin(245, band.lightness() + 6))
                                  : band;
    if (selected)
        band = active ? pal.color(QPalette::Highlight) : pal.color(QPalette::Inactive, QPalette::Highlight);
    painter->fillRect(r, band);
    painter->setPen(pal.color(QPalette::Mid));
    painter->drawLine(r.bottomLeft(), r.bottomRight());

    const int level = index.data(GridModel::GroupLevelRole).toInt();
    QHeaderView *h = header();
    const int firstLogical = h->logicalIndex(0);
    const int x0 = (firstLogical >= 0 ? h->sectionViewportPosition(firstLogical) : 0);
    const int indentWidth = indentation() * (level + 1);
    drawBranches(painter, QRect(x0, r.top(), indentWidth, r.height()), index);

    const QColor text = selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text);
    QColor muted = text;
    muted.setAlphaF(0.65f);
    const int column = m_model->groups().value(level).column;
    const QString caption = index.data(GridModel::GroupCaptionRole).toString();
    QString valueText = m_model->displayText(index.data(GridModel::RawValueRole), column);
    if (valueText.isEmpty())
        valueText = tr("(empty)");
    const int counted = index.data(GridModel::GroupCountRole).toInt();
    const QString count = counted < 0 ? QString() : QStringLiteral("  (") + QString::number(counted) + QLatin1Char(')');

    QRect textRect(x0 + indentWidth + 2, r.top(), qMax(0, r.right() - x0 - indentWidth - 2), r.height());
    QFont plain = font();
    QFont bold = font();
    bold.setBold(true);
    painter->setFont(plain);
    painter->setPen(muted);
    const QString prefix = caption.isEmpty() ? QString() : caption + QStringLiteral(": ");
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, prefix);
    textRect.setLeft(textRect.left() + QFontMetrics(plain).horizontalAdvance(prefix));
    painter->setFont(bold);
    painter->setPen(text);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetrics(bold).elidedText(valueText, Qt::ElideRight, textRect.width()));
    textRect.setLeft(textRect.left() + QFontMetrics(bold).horizontalAdvance(valueText));
    painter->setFont(plain);
    painter->setPen(muted);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, count);

    if (currentIndex().isValid() && currentIndex().siblingAtColumn(0) == index.siblingAtColumn(0) && active) {
        painter->setPen(QPen(pal.color(QPalette::Highlight), 1, Qt::DotLine));
        painter->drawRect(r.adjusted(0, 0, -1, -1));
    }
}

void Grid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTreeView::currentChanged(current, previous);
    if (m_restoring)
        return;
    const int now = rowOfIndex(current);
    if (now == m_lastRow)
        return;
    const int last = m_lastRow;
    m_lastRow = now;
    Q_EMIT RowChange(last);
}

void Grid::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    if (!text.isEmpty() && text.at(0).unicode() < 256 && !(event->modifiers() & Qt::ControlModifier))
        Q_EMIT KeyPress(text.at(0).unicode());
    if (event->key() == Qt::Key_Space)
        return;   // space belongs to the control (it opens the current row), not to selection
    QTreeView::keyPressEvent(event);
}

void Grid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex i = indexAt(event->position().toPoint());
    QTreeView::mouseDoubleClickEvent(event);
    if (i.isValid() && event->button() == Qt::LeftButton)
        Q_EMIT DblClick();
}

void Grid::mouseReleaseEvent(QMouseEvent *event)
{
    QTreeView::mouseReleaseEvent(event);
    emitMouseUp(event, viewport());
}

void Grid::emitMouseUp(QMouseEvent *event, QWidget *source)
{
    const QPoint p = source->mapTo(this, event->position().toPoint());
    Q_EMIT MouseUp(vbButton(event->button()), vbShift(event->modifiers()), p.x(), p.y());
}

bool Grid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == header()->viewport() && event->type() == QEvent::MouseButtonRelease) {
        emitMouseUp(static_cast<QMouseEvent *>(event), header()->viewport());
    } else if (watched == m_groupByBox && event->type() == QEvent::MouseButtonRelease) {
        showGroupMenu(static_cast<QMouseEvent *>(event)->position().toPoint());
        return true;
    }
    return QTreeView::eventFilter(watched, event);
}

void Grid::keyboardSearch(const QString &search)
{
    // Typing jumps between group rows. The default search would read the first
    // column of every row, which for an unbound grid of a million rows means a
    // million reads per key stroke.
    if (search.isEmpty() || m_model->groupLevels() == 0)
        return;
    for (const QModelIndex &g : m_model->allGroupIndexes()) {
        const int column = m_model->groups().value(g.data(GridModel::GroupLevelRole).toInt()).column;
        const QString text = m_model->displayText(g.data(GridModel::RawValueRole), column);
        if (text.startsWith(search, Qt::CaseInsensitive) && rowOfIndex(g) >= 0) {
            setCurrentIndex(g);
            return;
        }
    }
}

// --- group-by box ---------------------------------------------------------------------

bool Grid::GroupByBoxVisible() const
{
    return m_groupByBoxVisible;
}

void Grid::setGroupByBoxVisible(bool visible)
{
    m_groupByBoxVisible = visible;
    m_groupByBox->setVisible(visible);
    updateGroupByBox();
    updateGeometries();
}

void Grid::setGroupByBoxText(const QString &text)
{
    m_groupByBoxPrompt = text;
    updateGroupByBox();
}

void Grid::updateGroupByBox()
{
    if (m_model->groupLevels() == 0) {
        m_groupByBox->setText(m_groupByBoxPrompt);
        return;
    }
    QStringList parts;
    for (const GridModel::SortKey &g : m_model->groups())
        parts.append(QStringLiteral("<b>") + m_model->column(g.column)->Caption().toHtmlEscaped()
                     + (g.ascending ? QStringLiteral(" \u25B4") : QStringLiteral(" \u25BE")) + QStringLiteral("</b>"));
    m_groupByBox->setText(parts.join(QStringLiteral(" &rsaquo; ")));
}

void Grid::showGroupMenu(const QPoint &pos)
{
    QMenu menu(this);
    QMenu *add = menu.addMenu(tr("Group by"));
    for (int i = 0; i < m_model->columnCountTotal(); ++i) {
        GridColumn *col = m_model->column(i);
        add->addAction(col->Caption(), this, [this, col] {
            col->setVisible(false);
            addGroup(col->Key());
            Q_EMIT groupsChangedByUser();
        });
    }
    QAction *clear = menu.addAction(tr("Remove grouping"), this, [this] {
        for (const GridModel::SortKey &g : m_model->groups())
            m_model->column(g.column)->setVisible(true);
        clearGroups();
        Q_EMIT groupsChangedByUser();
    });
    clear->setEnabled(m_model->groupLevels() > 0);
    menu.exec(m_groupByBox->mapToGlobal(pos));
}

void Grid::updateGeometries()
{
    QTreeView::updateGeometries();
    if (!m_groupByBoxVisible)
        return;
    // The box sits above the header, inside the margins of the scroll area.
    QHeaderView *h = header();
    const int boxHeight = m_groupByBox->sizeHint().height();
    const int headerHeight = h->isHidden() ? 0 : h->sizeHint().height();
    setViewportMargins(0, boxHeight + headerHeight, 0, 0);
    const QRect vg = viewport()->geometry();
    m_groupByBox->setGeometry(vg.left(), vg.top() - headerHeight - boxHeight, vg.width(), boxHeight);
    if (!h->isHidden())
        h->setGeometry(vg.left(), vg.top() - headerHeight, vg.width(), headerHeight);
}

} // namespace widgets

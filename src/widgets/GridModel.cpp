#include "GridModel.h"

#include "DateTime.h"
#include "WindowsColor.h"

#include <QDateTime>
#include <QFont>

#include <algorithm>

namespace widgets {

namespace {

// Caches of cells hold the rows on screen and a few screens around them;
// beyond that they are dropped whole, which is cheaper than LRU bookkeeping.
constexpr int MaxCachedRows = 2048;

} // namespace

GridModel::GridModel(QObject *parent)
    : QAbstractItemModel(parent)
{
}

GridModel::~GridModel() = default;

// --- columns ----------------------------------------------------------------

GridColumn *GridModel::addColumn(const QString &key, const QString &caption, const QString &dataField)
{
    // A reset rather than an insertion: a new column under every group node
    // would be announced parent by parent for no benefit; columns are built
    // before data arrives.
    beginResetModel();
    const bool hadMarks = hasChangeMarks();
    auto *col = new GridColumn(int(m_columns.size()), key, caption, dataField, this);
    connect(col, &GridColumn::changed, this, &GridModel::onAppearanceChanged);
    m_columns.append(col);
    invalidateCaches();
    m_changeMarks.forgetRows();   // rows of other columns are other rows
    endResetModel();
    if (hadMarks)
        Q_EMIT changeMarksChanged();
    return col;
}

void GridModel::clearColumns()
{
    const bool hadMarks = hasChangeMarks();
    beginResetModel();
    qDeleteAll(m_columns);
    m_columns.clear();
    qDeleteAll(m_conditions);
    m_conditions.clear();
    m_groups.clear();
    m_sortKeys.clear();
    m_tree.clear();
    m_topGroups = 0;
    m_positionOf.clear();
    m_order.resize(size_t(m_itemCount));
    for (int i = 0; i < m_itemCount; ++i)
        m_order[size_t(i)] = i;
    invalidateCaches();
    m_changeMarks.forgetRows();
    endResetModel();
    if (hadMarks)
        Q_EMIT changeMarksChanged();
}

GridColumn *GridModel::column(int index) const
{
    return index >= 0 && index < m_columns.size() ? m_columns.at(index) : nullptr;
}

GridColumn *GridModel::column(const QString &key) const
{
    return column(columnIndex(key));
}

int GridModel::columnIndex(const QString &key) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns.at(i)->Key().compare(key, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

// --- data -------------------------------------------------------------------

void GridModel::setCellReader(CellReader reader)
{
    m_cellReader = std::move(reader);
    rebuild();
}

void GridModel::setRowReader(RowReader reader)
{
    m_rowReader = std::move(reader);
    invalidateCaches();
    if (m_itemCount > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, qMax(0, columnCount() - 1)));
}

void GridModel::setItemCount(int count)
{
    m_itemCount = qMax(0, count);
    rebuild();
}

void GridModel::setItemCount(int count, const RowArrangement &prepared, const RowChangeMarks::Comparison *marks)
{
    m_itemCount = qMax(0, count);
    const bool arranged = prepared.rows == m_itemCount && prepared.ordering == ordering();
    const bool hadMarks = hasChangeMarks();
    beginResetModel();
    invalidateCaches();
    if (arranged)
        adopt(prepared);
    else
        buildTree();
    markChangedRows(marks);
    endResetModel();
    if (hadMarks || hasChangeMarks())
        Q_EMIT changeMarksChanged();
}

void GridModel::setUncountedRows(const QString &columnKey, const QVariant &value)
{
    m_uncountedKey = columnKey;
    m_uncountedValue = value;
    m_groupCounts.assign(m_tree.size(), -2);
    onAppearanceChanged();
}

int GridModel::countedRows(int group) const
{
    const Group &g = m_tree[size_t(group)];
    if (m_groupCounts.size() != m_tree.size())
        m_groupCounts.assign(m_tree.size(), -2);
    int &counted = m_groupCounts[size_t(group)];
    if (counted == -2) {
        // Read when the group row is first shown, not for every group at
        // each rebuild: a collapsed grid of a million rows reads nothing.
        RowOrdering counting;
        counting.uncountedColumn = uncountedColumn();
        counting.uncountedValue = m_uncountedValue;
        counted = RowArrangement::countRows(counting, m_order, g.rowBegin, g.rowEnd,
                                            [this](int row, int column) { return rawCell(row, column); });
    }
    return counted;
}

void GridModel::rebuild()
{
    const bool hadMarks = hasChangeMarks();
    beginResetModel();
    invalidateCaches();
    buildTree();
    markChangedRows();
    endResetModel();
    if (hadMarks || hasChangeMarks())
        Q_EMIT changeMarksChanged();
}

void GridModel::rearrange()
{
    beginResetModel();
    invalidateCaches();
    buildTree();
    endResetModel();
}

void GridModel::invalidateCaches()
{
    m_rowCache.clear();
    m_conditionCache.clear();
    m_groupCounts.clear();
}

void GridModel::onAppearanceChanged()
{
    m_conditionCache.clear();
    if (rowCount() > 0 && columnCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, qMax(0, columnCount() - 1));
    Q_EMIT appearanceChanged();
}

QVariant GridModel::rawCell(int row, int column) const
{
    if (row < 0 || row >= m_itemCount || column < 0 || column >= m_columns.size())
        return {};
    if (m_cellReader)
        return CellValue::unwrap(m_cellReader(row, column));
    if (m_rowReader)
        return displayRow(row).value(column);
    return {};
}

void GridModel::readRawRow(int row, QVector<QVariant> &values) const
{
    if (m_cellReader) {
        values.resize(m_columns.size());
        for (int c = 0; c < values.size(); ++c)
            values[c] = CellValue::unwrap(m_cellReader(row, c));
        return;
    }
    // Without a cell reader the row reader's values are the cells themselves.
    values.fill(QVariant(), m_columns.size());
    applyRowReader(row, values);
}

void GridModel::applyRowReader(int row, QVector<QVariant> &values) const
{
    if (!m_rowReader)
        return;
    m_rowReader(row, values);
    values.resize(m_columns.size());   // a reader may have resized it
    for (QVariant &v : values)
        v = CellValue::unwrap(std::move(v));
}

const QVector<QVariant> &GridModel::displayRow(int row) const
{
    auto it = m_rowCache.find(row);
    if (it != m_rowCache.end() && it->size() == m_columns.size())
        return *it;
    if (m_rowCache.size() >= MaxCachedRows)
        m_rowCache.clear();
    QVector<QVariant> values;
    readRawRow(row, values);
    if (m_cellReader)
        applyRowReader(row, values);
    return *m_rowCache.insert(row, values);
}

QVariant GridModel::cellValue(int row, int column) const
{
    if (row < 0 || row >= m_itemCount || column < 0 || column >= m_columns.size())
        return {};
    if (!m_rowReader)
        return m_cellReader ? CellValue::unwrap(m_cellReader(row, column)) : QVariant();
    return displayRow(row).at(column);
}

// --- grouping and sorting -----------------------------------------------------

bool GridModel::addGroup(const QString &columnKey, bool ascending)
{
    const int c = columnIndex(columnKey);
    if (c < 0)
        return false;
    m_groups.append({c, ascending});
    rearrange();
    return true;
}

void GridModel::clearGroups()
{
    if (m_groups.isEmpty())
        return;
    m_groups.clear();
    rearrange();
}

bool GridModel::addSortKey(const QString &columnKey, bool ascending)
{
    const int c = columnIndex(columnKey);
    if (c < 0)
        return false;
    m_sortKeys.append({c, ascending});
    rearrange();
    return true;
}

void GridModel::clearSortKeys()
{
    if (m_sortKeys.isEmpty())
        return;
    m_sortKeys.clear();
    rearrange();
}

void GridModel::buildTree()
{
    RowArrangement::CellReader cell;
    if (m_cellReader || m_rowReader)
        cell = [this](int row, int column) { return rawCell(row, column); };
    adopt(RowArrangement::build(m_itemCount, ordering(), cell));
}

void GridModel::adopt(RowArrangement rows)
{
    m_positionOf.clear();
    m_groupCounts.clear();
    m_order = std::move(rows.order);
    m_tree = std::move(rows.tree);
    m_topGroups = rows.topGroups;
    // Counts made with the rows are kept; the others are read when shown.
    for (size_t g = 0; g < m_tree.size(); ++g) {
        if (m_tree[g].counted != -2) {
            m_groupCounts.resize(m_tree.size(), -2);
            m_groupCounts[g] = m_tree[g].counted;
        }
    }
}

RowOrdering GridModel::ordering() const
{
    RowOrdering result;
    for (const SortKey &g : m_groups) {
        result.groups.append({g.column, g.ascending});
        QHash<QString, QString> texts;
        const ValueList *list = m_columns.at(g.column)->valueList();
        // The first entry of a value wins, as in the list's own lookup.
        for (int i = 0; i < list->Count(); ++i) {
            const QString key = CellValue::hashKey(list->value(i));
            if (!texts.contains(key))
                texts.insert(key, list->text(i));
        }
        result.groupTexts.push_back(std::move(texts));
    }
    for (const SortKey &k : m_sortKeys)
        result.sortKeys.append({k.column, k.ascending});
    result.uncountedColumn = uncountedColumn();
    if (result.uncountedColumn >= 0)
        result.uncountedValue = m_uncountedValue;
    return result;
}

int GridModel::uncountedColumn() const
{
    return m_uncountedKey.isEmpty() ? -1 : columnIndex(m_uncountedKey);
}

// --- change marks ---------------------------------------------------------------

void GridModel::setMarkingChanges(bool on)
{
    if (on == m_markingChanges)
        return;
    m_markingChanges = on;
    if (!on)
        dropChangeMarks(true);
}

RowMark GridModel::rowMark(const QModelIndex &index) const
{
    return isGroup(index) ? RowMark::None : m_changeMarks.mark(bookmark(index));
}

void GridModel::clearChangeMarks()
{
    dropChangeMarks(false);
}

void GridModel::forgetRowsForChangeMarks()
{
    dropChangeMarks(true);
}

void GridModel::dropChangeMarks(bool forgetRows)
{
    const bool hadMarks = hasChangeMarks();
    if (forgetRows)
        m_changeMarks.forgetRows();
    else
        m_changeMarks.clearMarks();
    if (hadMarks)
        Q_EMIT changeMarksChanged();
}

std::optional<std::shared_ptr<const RowChangeMarks::Remembered>> GridModel::changeMarksBase() const
{
    if (!m_markingChanges)
        return std::nullopt;
    return m_changeMarks.remembered();
}

QVector<int> GridModel::groupColumns() const
{
    QVector<int> columns;
    for (const SortKey &g : m_groups)
        columns.append(g.column);
    return columns;
}

void GridModel::markChangedRows(const RowChangeMarks::Comparison *given)
{
    if (!m_markingChanges)
        return;
    const QVector<int> groupColumns = this->groupColumns();
    // A comparison made where the rows were read spares reading them all
    // again here; one made for other columns or groups is not this one.
    if (given && RowChangeMarks::madeFor(*given, int(m_columns.size()), groupColumns)
        && (given->marks.empty() || given->marks.size() == size_t(m_itemCount))) {
        m_changeMarks.adopt(*given);
        return;
    }
    m_changeMarks.takeRows(m_itemCount, int(m_columns.size()), groupColumns,
                           [this](int row, QVector<QVariant> &cells) { readRawRow(row, cells); });
}

// --- format conditions --------------------------------------------------------

FormatCondition *GridModel::addCondition(const QString &key, const QString &columnKey,
                                         FormatCondition::Operator op, const QVariant &value1,
                                         const QVariant &value2)
{
    removeCondition(key);
    auto *c = new FormatCondition(key, columnKey, op, value1, value2, this);
    connect(c, &FormatCondition::changed, this, &GridModel::onAppearanceChanged);
    m_conditions.append(c);
    onAppearanceChanged();
    return c;
}

FormatCondition *GridModel::condition(const QString &key) const
{
    for (FormatCondition *c : m_conditions)
        if (c->Key().compare(key, Qt::CaseInsensitive) == 0)
            return c;
    return nullptr;
}

void GridModel::removeCondition(const QString &key)
{
    FormatCondition *c = condition(key);
    if (!c)
        return;
    m_conditions.removeOne(c);
    delete c;
    onAppearanceChanged();
}

void GridModel::clearConditions()
{
    qDeleteAll(m_conditions);
    m_conditions.clear();
    onAppearanceChanged();
}

const QVarLengthArray<int, 4> &GridModel::matchedConditions(int row) const
{
    auto it = m_conditionCache.find(row);
    if (it != m_conditionCache.end())
        return *it;
    if (m_conditionCache.size() >= MaxCachedRows)
        m_conditionCache.clear();
    QVarLengthArray<int, 4> matched;
    for (int i = 0; i < m_conditions.size(); ++i) {
        const FormatCondition *c = m_conditions.at(i);
        if (!c->Enabled())
            continue;
        const int col = columnIndex(c->ColumnKey());
        if (col >= 0 && c->match(rawCell(row, col)))
            matched.append(i);
    }
    return *m_conditionCache.insert(row, matched);
}

GridModel::CellLook GridModel::cellLook(int row, const GridColumn *column) const
{
    CellLook look;
    if (m_conditions.isEmpty())
        return look;
    for (int i : matchedConditions(row)) {
        const FormatCondition *c = m_conditions.at(i);
        if (!c->TargetColumnKey().isEmpty() && c->TargetColumnKey().compare(column->Key(), Qt::CaseInsensitive) != 0)
            continue;
        if (c->FontBold() || c->FontItalic()) {
            look.bold = look.bold || c->FontBold();
            look.italic = look.italic || c->FontItalic();
            look.fontSet = true;
        }
        if (c->ForeColor() >= 0)
            look.fore = c->ForeColor();
        if (c->BackColor() >= 0)
            look.back = c->BackColor();
    }
    return look;
}

// --- reading the tree -----------------------------------------------------------

bool GridModel::isGroup(const QModelIndex &index) const
{
    return index.isValid() && index.model() == this && nodeKind(index) == GroupNode;
}

int GridModel::bookmark(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return -1;
    switch (nodeKind(index)) {
    case GroupedRow: {
        const Group &g = m_tree[size_t(nodeGroup(index))];
        const int pos = g.rowBegin + index.row();
        return pos < g.rowEnd ? m_order[size_t(pos)] : -1;
    }
    case TopRow:
        return index.row() < int(m_order.size()) ? m_order[size_t(index.row())] : -1;
    default:
        return -1;
    }
}

QVariant GridModel::value(const QModelIndex &index, int column) const
{
    if (!isGroup(index))
        return cellValue(bookmark(index), column);
    // A group row carries the values of its own and its outer groups.
    int g = nodeGroup(index);
    while (g >= 0) {
        const Group &node = m_tree[size_t(g)];
        if (m_groups.at(node.level).column == column)
            return node.value;
        g = node.parent;
    }
    return {};
}

QString GridModel::displayText(const QVariant &given, int column) const
{
    const QVariant value = CellValue::unwrap(given);
    const GridColumn *col = this->column(column);
    if (!col || CellValue::isNull(value))
        return {};
    bool found = false;
    const QString listed = col->valueList()->textOf(value, &found);
    if (found)
        return listed;
    if (CellValue::isDate(value)) {
        const QDateTime dt = QDateTime::fromSecsSinceEpoch(CellValue::dateSeconds(value), Qt::UTC);
        return dt.time() == QTime(0, 0) ? dt.date().toString(m_dateFormat) : dt.toString(m_dateTimeFormat);
    }
    if (CellValue::isNumber(value))
        return col->numberFormat().format(value);
    if (value.metaType().id() == QMetaType::QString && !col->numberFormat().isGeneral())
        return col->numberFormat().format(value);   // numeric texts take the format, others pass
    return value.toString();
}

QVariant GridModel::numberOrDate(const QVariant &given, int column) const
{
    const QVariant value = CellValue::unwrap(given);
    const GridColumn *col = this->column(column);
    if (!col || CellValue::isNull(value) || value.typeId() == QMetaType::Bool)
        return {};
    bool listed = false;
    col->valueList()->textOf(value, &listed);
    if (listed)
        return {};
    if (CellValue::isDate(value))
        return QDateTime::fromSecsSinceEpoch(CellValue::dateSeconds(value), Qt::UTC);
    if (CellValue::isNumber(value))
        return value;
    if (value.metaType().id() == QMetaType::QString && !col->numberFormat().isGeneral()) {
        bool ok = false;
        const double number = value.toString().toDouble(&ok);   // a numeric text the format shows as a number
        return ok ? QVariant(number) : QVariant();
    }
    return {};
}

void GridModel::shownCell(const QModelIndex &index, QString *text, QVariant *numberOrDateValue) const
{
    const QVariant value = cellValue(bookmark(index), index.column());
    if (numberOrDateValue) {
        *numberOrDateValue = numberOrDate(value, index.column());
        if (numberOrDateValue->isValid())
            return;
    }
    *text = displayText(value, index.column());
}

QString GridModel::groupText(const QModelIndex &index) const
{
    if (!isGroup(index))
        return {};
    const Group &g = m_tree[size_t(nodeGroup(index))];
    QString text = displayText(g.value, m_groups.at(g.level).column);
    if (text.isEmpty())
        text = tr("(empty)");
    const int counted = countedRows(nodeGroup(index));
    return counted < 0 ? text : text + QStringLiteral(" (") + QString::number(counted) + QLatin1Char(')');
}

QStringList GridModel::groupPath(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return {};
    int g = -1;
    if (nodeKind(index) == GroupNode || nodeKind(index) == GroupedRow)
        g = nodeGroup(index);
    QStringList path;
    while (g >= 0) {
        path.prepend(CellValue::hashKey(m_tree[size_t(g)].value));
        g = m_tree[size_t(g)].parent;
    }
    return path;
}

QModelIndex GridModel::groupIndex(const QStringList &path) const
{
    if (path.isEmpty() || path.size() > m_groups.size())
        return {};
    int first = 0;
    int count = m_topGroups;
    int found = -1;
    for (const QString &key : path) {
        found = -1;
        for (int g = first; g < first + count; ++g) {
            if (CellValue::hashKey(m_tree[size_t(g)].value) == key) {
                found = g;
                break;
            }
        }
        if (found < 0)
            return {};
        const Group &node = m_tree[size_t(found)];
        first = node.firstChild;
        count = node.level + 1 < m_groups.size() ? node.childCount : 0;
    }
    return createIndex(m_tree[size_t(found)].rowInParent, 0, nodeId(GroupNode, found));
}

QModelIndex GridModel::indexOfBookmark(int bookmark) const
{
    if (bookmark < 0 || bookmark >= int(m_order.size()))
        return {};
    if (m_positionOf.size() != m_order.size()) {
        m_positionOf.assign(m_order.size(), 0);
        for (size_t pos = 0; pos < m_order.size(); ++pos)
            m_positionOf[size_t(m_order[pos])] = int(pos);
    }
    const int pos = m_positionOf[size_t(bookmark)];
    if (m_groups.isEmpty())
        return createIndex(pos, 0, nodeId(TopRow, 0));
    // The innermost group whose range holds the position.
    int first = 0;
    int count = m_topGroups;
    while (true) {
        int g = first;
        while (g < first + count && m_tree[size_t(g)].rowEnd <= pos)
            ++g;
        if (g >= first + count)
            return {};
        const Group &node = m_tree[size_t(g)];
        if (node.level + 1 == m_groups.size())
            return createIndex(pos - node.rowBegin, 0, nodeId(GroupedRow, g));
        first = node.firstChild;
        count = node.childCount;
    }
}

QModelIndexList GridModel::allGroupIndexes() const
{
    QModelIndexList result;
    result.reserve(int(m_tree.size()));
    std::function<void(int, int)> walk = [&](int first, int count) {
        for (int g = first; g < first + count; ++g) {
            result.append(createIndex(m_tree[size_t(g)].rowInParent, 0, nodeId(GroupNode, g)));
            const Group &node = m_tree[size_t(g)];
            if (node.level + 1 < m_groups.size())
                walk(node.firstChild, node.childCount);
        }
    };
    walk(0, m_topGroups);
    return result;
}

void GridModel::setDateFormats(const QString &date, const QString &dateTime)
{
    m_dateFormat = date;
    m_dateTimeFormat = dateTime;
    onAppearanceChanged();
}

// --- copies, prints and exports --------------------------------------------------

QModelIndexList GridModel::allRows() const
{
    QModelIndexList rows;
    rows.reserve(qsizetype(m_itemCount) + qsizetype(m_tree.size()));
    const std::function<void(const QModelIndex &)> appendRows = [&](const QModelIndex &parent) {
        for (int r = 0; r < rowCount(parent); ++r) {
            const QModelIndex row = index(r, 0, parent);
            rows.append(row);
            if (isGroup(row))
                appendRows(row);
        }
    };
    appendRows(QModelIndex());
    return rows;
}

QList<ReportRow> GridModel::documentRows(const QModelIndexList &rows, const QList<int> &columns, bool withValues) const
{
    QList<ReportRow> out;
    out.reserve(rows.size());
    for (const QModelIndex &i : rows)
        out.append(documentRow(i, columns, withValues));
    return out;
}

ReportRow GridModel::documentRow(const QModelIndex &index, const QList<int> &columns, bool withValues) const
{
    ReportRow row;
    if (isGroup(index)) {
        row.kind = ReportRow::Group;
        row.level = m_tree[size_t(nodeGroup(index))].level;
        row.cells.append(groupText(index));
        return row;
    }
    const int bookmark = this->bookmark(index);
    row.cells.reserve(columns.size());
    if (withValues)
        row.values.reserve(columns.size());
    for (int c : columns) {
        QString text;
        QVariant value;
        shownCell(index.siblingAtColumn(c), &text, withValues ? &value : nullptr);
        row.cells.append(text);
        if (withValues)
            row.values.append(value);
        const CellLook look = cellLook(bookmark, m_columns.at(c));
        if (look.bold) {
            row.kind = ReportRow::Summary;
            if (look.fore >= 0 && WindowsColor::toQColor(quint32(look.fore)) == QColor(Qt::red))
                row.negative = true;
        }
    }
    return row;
}

std::unique_ptr<GridModel> GridModel::copyForReading(CellReader cells, RowReader rows) const
{
    auto copy = std::make_unique<GridModel>();
    for (const GridColumn *column : m_columns) {
        GridColumn *c = copy->addColumn(column->Key(), column->Caption(), column->DataField());
        c->setVisible(column->Visible());
        c->setTextAlignment(column->TextAlignment());
        c->setWidth(column->Width());
        c->setFormat(column->Format());
        const ValueList *list = column->valueList();
        for (int i = 0; i < list->Count(); ++i)
            c->valueList()->Add(list->value(i), list->text(i));
    }
    for (const FormatCondition *condition : m_conditions) {
        FormatCondition *c = copy->addCondition(condition->Key(), condition->ColumnKey(),
                                                condition->ConditionOperator(), condition->Value1(),
                                                condition->Value2());
        c->setEnabled(condition->Enabled());
        c->setTargetColumnKey(condition->TargetColumnKey());
        c->setFontBold(condition->FontBold());
        c->setFontItalic(condition->FontItalic());
        c->setForeColor(condition->ForeColor());
        c->setBackColor(condition->BackColor());
    }
    // The arrangement is taken as it stands: the copy reads no row to make it again.
    copy->m_groups = m_groups;
    copy->m_sortKeys = m_sortKeys;
    copy->m_uncountedKey = m_uncountedKey;
    copy->m_uncountedValue = m_uncountedValue;
    copy->m_dateFormat = m_dateFormat;
    copy->m_dateTimeFormat = m_dateTimeFormat;
    copy->m_itemCount = m_itemCount;
    copy->m_order = m_order;
    copy->m_tree = m_tree;
    copy->m_topGroups = m_topGroups;
    copy->m_groupCounts = m_groupCounts;
    copy->m_cellReader = std::move(cells);
    copy->m_rowReader = std::move(rows);
    // No thread's events reach it, so it may be deleted on the reading thread.
    copy->moveToThread(nullptr);
    return copy;
}

// --- QAbstractItemModel -----------------------------------------------------------

QModelIndex GridModel::index(int row, int column, const QModelIndex &parent) const
{
    if (row < 0 || column < 0 || column >= m_columns.size() || row >= rowCount(parent))
        return {};
    if (!parent.isValid()) {
        if (m_groups.isEmpty())
            return createIndex(row, column, nodeId(TopRow, 0));
        return createIndex(row, column, nodeId(GroupNode, row));
    }
    const int g = nodeGroup(parent);
    const Group &node = m_tree[size_t(g)];
    if (node.level + 1 == m_groups.size())
        return createIndex(row, column, nodeId(GroupedRow, g));
    return createIndex(row, column, nodeId(GroupNode, node.firstChild + row));
}

QModelIndex GridModel::parent(const QModelIndex &child) const
{
    if (!child.isValid())
        return {};
    switch (nodeKind(child)) {
    case GroupNode: {
        const int p = m_tree[size_t(nodeGroup(child))].parent;
        return p < 0 ? QModelIndex() : createIndex(m_tree[size_t(p)].rowInParent, 0, nodeId(GroupNode, p));
    }
    case GroupedRow: {
        const int g = nodeGroup(child);
        return createIndex(m_tree[size_t(g)].rowInParent, 0, nodeId(GroupNode, g));
    }
    default:
        return {};
    }
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return m_groups.isEmpty() ? int(m_order.size()) : m_topGroups;
    if (parent.column() != 0 || nodeKind(parent) != GroupNode)
        return 0;
    return m_tree[size_t(nodeGroup(parent))].childCount;
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid() && nodeKind(parent) != GroupNode)
        return 0;
    return int(m_columns.size());
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.model() != this)
        return {};
    const int column = index.column();
    const GridColumn *col = this->column(column);
    if (!col)
        return {};

    if (isGroup(index)) {
        const Group &g = m_tree[size_t(nodeGroup(index))];
        switch (role) {
        case Qt::DisplayRole:
            return column == 0 ? QVariant(groupText(index)) : QVariant();
        case RawValueRole:
            return g.value;
        case IsGroupRole:
            return true;
        case BookmarkRole:
            return -1;
        case GroupCountRole:
            return countedRows(nodeGroup(index));
        case GroupLevelRole:
            return g.level;
        case GroupCaptionRole:
            return m_columns.at(m_groups.at(g.level).column)->Caption();
        case RowMarkRole:
            return int(RowMark::None);
        case Qt::FontRole: {
            QFont font;
            font.setBold(true);
            return font;
        }
        default:
            return {};
        }
    }

    const int row = bookmark(index);
    switch (role) {
    case Qt::DisplayRole:
        return displayText(cellValue(row, column), column);
    case RawValueRole:
        return rawCell(row, column);
    case ShownValueRole:
        return cellValue(row, column);
    case IsGroupRole:
        return false;
    case BookmarkRole:
        return row;
    case GroupLevelRole:
        return -1;
    case RowMarkRole:
        return int(m_changeMarks.mark(row));
    case Qt::TextAlignmentRole: {
        const Qt::Alignment h = col->TextAlignment() == GridColumn::AlignRight ? Qt::AlignRight
                                : col->TextAlignment() == GridColumn::AlignCenter ? Qt::AlignHCenter
                                                                                  : Qt::AlignLeft;
        return int(h | Qt::AlignVCenter);
    }
    case Qt::FontRole:
    case Qt::ForegroundRole:
    case Qt::BackgroundRole: {
        if (m_conditions.isEmpty())
            return {};
        const CellLook look = cellLook(row, col);
        if (role == Qt::FontRole) {
            if (!look.fontSet)
                return {};
            QFont font;
            font.setBold(look.bold);
            font.setItalic(look.italic);
            return font;
        }
        const qint64 colour = role == Qt::ForegroundRole ? look.fore : look.back;
        if (colour < 0)
            return {};
        const QColor qc = WindowsColor::toQColor(quint32(colour));
        return qc.isValid() ? QVariant(qc) : QVariant();
    }
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    const GridColumn *col = column(section);
    if (!col)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return col->Caption();
    case Qt::TextAlignmentRole: {
        const Qt::Alignment h = col->TextAlignment() == GridColumn::AlignRight ? Qt::AlignRight
                                : col->TextAlignment() == GridColumn::AlignCenter ? Qt::AlignHCenter
                                                                                  : Qt::AlignLeft;
        return int(h | Qt::AlignVCenter);
    }
    default:
        return {};
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!isGroup(index))
        f |= Qt::ItemNeverHasChildren;
    return f;
}

} // namespace widgets

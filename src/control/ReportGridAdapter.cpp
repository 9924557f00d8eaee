#include "ReportGridAdapter.h"

#include "Grid.h"
#include "GridColumn.h"
#include "Tool.h"
#include "ToolBar.h"

#include <QColor>
#include <QFontMetrics>
#include <QPalette>
#include <QToolButton>

#include <optional>

void ReportGridAdapter::setColumns(const DisplayLayout &layout)
{
    if (!m_grid)
        return;
    m_grid->clearColumns();
    for (const ReportColumn &declared : layout.columns) {
        widgets::GridColumn *column = m_grid->addColumn(
            QString::fromLatin1(declared.key), QString::fromLatin1(declared.caption), QString::fromLatin1(declared.field));
        column->setVisible(declared.visible);
        column->setTextAlignment(widgets::GridColumn::Alignment(declared.alignment));
        column->setWidth(declared.width);
    }
    if (layout.groupKey)
        m_grid->addGroup(QString::fromLatin1(layout.groupKey), true);
    if (layout.subGroupKey)
        m_grid->addGroup(QString::fromLatin1(layout.subGroupKey), true);
    if (layout.sortKey)
        m_grid->addSortKey(QString::fromLatin1(layout.sortKey), true);
}

QList<ColumnLayoutEntry> ReportGridAdapter::columnLayout() const
{
    QList<ColumnLayoutEntry> layout;
    if (!m_grid)
        return layout;
    for (int i = 0; i < m_grid->ColumnCount(); ++i) {
        const widgets::GridColumn *column = m_grid->Columns(i);
        layout.append({column->Key(), column->Position(), column->Caption(), column->Width()});
    }
    return layout;
}

void ReportGridAdapter::applyColumnLayout(const ColumnLayoutEntry &entry)
{
    if (widgets::GridColumn *column = m_grid ? m_grid->Columns(entry.key) : nullptr) {
        column->setPosition(entry.position);
        column->setCaption(entry.caption);
        column->setWidth(entry.width);
    }
}

void ReportGridAdapter::setColumnVisible(const QString &key, bool visible)
{
    if (widgets::GridColumn *column = m_grid ? m_grid->Columns(key) : nullptr)
        column->setVisible(visible);
}

void ReportGridAdapter::setColumnFormat(const QString &key, const QString &format)
{
    if (widgets::GridColumn *column = m_grid ? m_grid->Columns(key) : nullptr)
        column->setFormat(format);
}

ValueListSink *ReportGridAdapter::valueList(const QString &key)
{
    return m_grid ? m_grid->Columns(key) : nullptr;
}

void ReportGridAdapter::addHighlight(const QString &name, const QString &columnKey, const QVariant &value,
                                     quint32 foreColor, bool bold)
{
    if (!m_grid)
        return;
    widgets::FormatCondition *condition =
        m_grid->addFormatCondition(name, columnKey, widgets::FormatCondition::Equal, value);
    condition->setFontBold(bold);
    condition->setForeColor(foreColor);
}

void ReportGridAdapter::addNegativeHighlight(const QString &name, const QString &columnKey, quint32 foreColor)
{
    if (!m_grid)
        return;
    widgets::FormatCondition *condition =
        m_grid->addFormatCondition(name, columnKey, widgets::FormatCondition::LessThan, 0);
    condition->setTargetColumnKey(columnKey);
    condition->setForeColor(foreColor);
}

void ReportGridAdapter::setHighlightBold(const QString &name, bool bold)
{
    if (widgets::FormatCondition *condition = m_grid ? m_grid->FmtCondition(name) : nullptr)
        condition->setFontBold(bold);
}

void ReportGridAdapter::setHighlightColor(const QString &name, quint32 foreColor)
{
    if (widgets::FormatCondition *condition = m_grid ? m_grid->FmtCondition(name) : nullptr)
        condition->setForeColor(foreColor);
}

void ReportGridAdapter::setUncountedRows(const QString &columnKey, const QVariant &value)
{
    if (m_grid)
        m_grid->gridModel()->setUncountedRows(columnKey, value);
}

void ReportGridAdapter::fitColumnsToContents()
{
    // Wide enough for the amounts and summary texts of a desk's day, not so
    // wide that one long name pushes the other columns off the screen.
    constexpr int MaxWidth = 320;
    if (m_grid)
        m_grid->fitColumnsToContents(MaxWidth);
}

void ReportGridAdapter::setItemCount(int rows)
{
    if (m_grid)
        m_grid->setItemCount(rows);
}

int ReportGridAdapter::currentDisplayRow() const
{
    // The grid's bookmarks are the display rows it was bound to.
    return m_grid ? m_grid->currentBookmark() : -1;
}

bool ReportGridAdapter::currentIsGroupRow() const
{
    return m_grid && m_grid->IsGroupItem();
}

QString ReportGridAdapter::currentGroupCaption() const
{
    if (!m_grid || !m_grid->IsGroupItem())
        return {};
    const widgets::GridModel *model = m_grid->gridModel();
    const QModelIndex group = m_grid->currentIndex();
    const int level = group.data(widgets::GridModel::GroupLevelRole).toInt();
    const QVector<widgets::GridModel::SortKey> groups = model->groups();
    if (level < 0 || level >= groups.size())
        return {};
    return model->displayText(group.data(widgets::GridModel::RawValueRole), groups.at(level).column);
}

std::optional<RowOrdering> ReportGridAdapter::rowOrder() const
{
    if (!m_grid)
        return std::nullopt;
    return m_grid->ordering();
}

std::optional<std::shared_ptr<const RowChangeMarks::Remembered>> ReportGridAdapter::changeMarksBase() const
{
    if (!m_grid)
        return std::nullopt;
    return m_grid->changeMarksBase();
}

void ReportGridAdapter::setRows(int rows, const RowArrangement &arranged, const RowChangeMarks::Comparison *marks)
{
    if (m_grid)
        m_grid->setItemCount(rows, arranged, marks);
}

void ReportToolbarAdapter::setToolEnabled(const QString &id, bool enabled)
{
    if (widgets::Tool *tool = m_toolbar ? m_toolbar->Tools(id) : nullptr)
        tool->setEnabled(enabled);
}

void ReportToolbarAdapter::setToolState(const QString &id, int state)
{
    if (widgets::Tool *tool = m_toolbar ? m_toolbar->Tools(id) : nullptr)
        tool->setState(state);
}

int ReportToolbarAdapter::toolState(const QString &id) const
{
    const widgets::Tool *tool = m_toolbar ? m_toolbar->Tools(id) : nullptr;
    return tool ? tool->State() : 0;
}

void ReportToolbarAdapter::setToolVisible(const QString &id, bool visible)
{
    if (widgets::Tool *tool = m_toolbar ? m_toolbar->Tools(id) : nullptr)
        tool->setVisible(visible);
}

void ReportToolbarAdapter::setToolCaption(const QString &id, const QString &caption)
{
    widgets::Tool *tool = m_toolbar ? m_toolbar->Tools(id) : nullptr;
    if (!tool)
        return;
    tool->setCaption(caption);
    // The caption resets what the band button shows: the figure goes back beside it.
    const QVariant figure = tool->property(FigureProperty);
    if (figure.isValid())
        tool->action()->setIconText(caption + QStringLiteral("  ") + figure.toString());
}

namespace {

/// A Windows colour value (0x00BBGGRR); system colours (0x80000000 and up)
/// have none of their own here: the palette's colour stands for them.
std::optional<QColor> windowsColor(quint32 color)
{
    if (color & 0x80000000u)
        return std::nullopt;
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

} // namespace

void ReportToolbarAdapter::setToolText(const QString &id, const QString &text, quint32 color, int width)
{
    widgets::Tool *tool = m_toolbar ? m_toolbar->Tools(id) : nullptr;
    if (!tool)
        return;
    tool->setProperty(FigureProperty, text);
    // The band button shows the action's icon text, and takes it again from
    // the action whenever the action changes (enabled, checked): the figure
    // lives there rather than in the button, or the next change would drop it.
    tool->action()->setIconText(text.isEmpty() ? tool->Caption() : tool->Caption() + QStringLiteral("  ") + text);
    auto *button = qobject_cast<QToolButton *>(m_toolbar->widgetForAction(tool->action()));
    if (!button)
        return;
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QPalette palette = m_toolbar->palette();
    if (const std::optional<QColor> own = windowsColor(color)) {
        palette.setColor(QPalette::ButtonText, *own);
        palette.setColor(QPalette::WindowText, *own);
    }
    button->setPalette(palette);
    // The figure's width comes on top of the caption's, so a longer figure
    // widens the button instead of being cut.
    const QFontMetrics metrics(button->font());
    button->setMinimumWidth(width > 0 ? metrics.horizontalAdvance(tool->Caption() + QStringLiteral("  ")) + width : 0);
}

int ReportToolbarAdapter::toolTextWidth(const QString &id, const QString &text) const
{
    widgets::Tool *tool = m_toolbar ? m_toolbar->Tools(id) : nullptr;
    if (!tool)
        return 0;
    QWidget *button = m_toolbar->widgetForAction(tool->action());
    return QFontMetrics(button ? button->font() : m_toolbar->font()).horizontalAdvance(text);
}

#include "GridColumn.h"

namespace widgets {

GridColumn::GridColumn(int index, const QString &key, const QString &caption,
                       const QString &dataField, QObject *parent)
    : QObject(parent)
    , m_index(index)
    , m_key(key)
    , m_caption(caption)
    , m_dataField(dataField.isEmpty() ? key : dataField)
    , m_position(index + 1)
    , m_valueList(new ValueList(this))
{
    connect(m_valueList, &ValueList::changed, this, &GridColumn::changed);
}

void GridColumn::setCaption(const QString &caption)
{
    if (m_caption == caption)
        return;
    m_caption = caption;
    Q_EMIT changed();
}

void GridColumn::setDataField(const QString &field)
{
    if (m_dataField == field)
        return;
    m_dataField = field;
    Q_EMIT changed();
}

void GridColumn::setVisible(bool visible)
{
    if (m_visible == visible)
        return;
    m_visible = visible;
    Q_EMIT changed();
}

void GridColumn::setTextAlignment(Alignment alignment)
{
    if (m_alignment == alignment)
        return;
    m_alignment = alignment;
    Q_EMIT changed();
}

void GridColumn::setWidth(int width)
{
    width = qMax(0, width);
    if (m_width == width)
        return;
    m_width = width;
    Q_EMIT changed();
}

void GridColumn::setPosition(int position)
{
    if (position < 1 || m_position == position)
        return;
    m_position = position;
    Q_EMIT positionChanged(position);
    Q_EMIT changed();
}

void GridColumn::setFormat(const QString &format)
{
    if (m_format.pattern() == format)
        return;
    m_format = NumberFormat(format);
    Q_EMIT changed();
}

void GridColumn::updateFromHeader(int position, int width)
{
    m_position = position;
    m_width = width;
}

} // namespace widgets

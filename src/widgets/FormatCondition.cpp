#include "FormatCondition.h"

#include "CellValue.h"

namespace widgets {

FormatCondition::FormatCondition(const QString &key, const QString &columnKey, Operator op,
                                 const QVariant &value1, const QVariant &value2, QObject *parent)
    : QObject(parent)
    , m_key(key)
    , m_columnKey(columnKey)
    , m_operator(op)
    , m_value1(value1)
    , m_value2(value2)
{
}

void FormatCondition::setValue1(const QVariant &value)
{
    m_value1 = value;
    Q_EMIT changed();
}

void FormatCondition::setValue2(const QVariant &value)
{
    m_value2 = value;
    Q_EMIT changed();
}

void FormatCondition::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    Q_EMIT changed();
}

void FormatCondition::setTargetColumnKey(const QString &key)
{
    m_targetColumnKey = key;
    Q_EMIT changed();
}

void FormatCondition::setFontBold(bool bold)
{
    m_bold = bold;
    Q_EMIT changed();
}

void FormatCondition::setFontItalic(bool italic)
{
    m_italic = italic;
    Q_EMIT changed();
}

void FormatCondition::setForeColor(qint64 windowsColor)
{
    m_foreColor = windowsColor;
    Q_EMIT changed();
}

void FormatCondition::setBackColor(qint64 windowsColor)
{
    m_backColor = windowsColor;
    Q_EMIT changed();
}

bool FormatCondition::match(const QVariant &given) const
{
    const QVariant value = CellValue::unwrap(given);
    const bool empty = CellValue::isNull(value)
                       || (value.metaType().id() == QMetaType::QString && value.toString().isEmpty());
    switch (m_operator) {
    case IsEmpty:
        return empty;
    case NotIsEmpty:
        return !empty;
    case Contains:
    case NotContains:
    case BeginsWith:
    case EndsWith: {
        const QString text = value.toString();
        const QString needle = m_value1.toString();
        bool result = false;
        if (m_operator == BeginsWith)
            result = text.startsWith(needle, Qt::CaseInsensitive);
        else if (m_operator == EndsWith)
            result = text.endsWith(needle, Qt::CaseInsensitive);
        else
            result = text.contains(needle, Qt::CaseInsensitive);
        return m_operator == NotContains ? !result : result;
    }
    default:
        break;
    }

    // A null cell meets no comparison: "less than 0" must not mark empty cells.
    if (CellValue::isNull(value))
        return m_operator == NotEqual && !CellValue::isNull(m_value1);
    const CellValue::Key v = CellValue::key(value);
    const int c1 = CellValue::compare(v, CellValue::key(m_value1));
    switch (m_operator) {
    case Equal: return c1 == 0;
    case NotEqual: return c1 != 0;
    case GreaterThan: return c1 > 0;
    case LessThan: return c1 < 0;
    case GreaterThanOrEqual: return c1 >= 0;
    case LessThanOrEqual: return c1 <= 0;
    case Between:
    case NotBetween: {
        const bool inside = c1 >= 0 && CellValue::compare(v, CellValue::key(m_value2)) <= 0;
        return m_operator == Between ? inside : !inside;
    }
    default:
        return false;
    }
}

} // namespace widgets

#include "ValueList.h"

#include "CellValue.h"

namespace widgets {

ValueList::ValueList(QObject *parent)
    : QObject(parent)
{
}

void ValueList::Add(const QVariant &value, const QString &text)
{
    m_items.append({value, text});
    const QString key = CellValue::hashKey(value);
    if (!m_index.contains(key))
        m_index.insert(key, int(m_items.size()) - 1);
    Q_EMIT changed();
}

void ValueList::Clear()
{
    if (m_items.isEmpty())
        return;
    m_items.clear();
    m_index.clear();
    Q_EMIT changed();
}

QVariant ValueList::value(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index).first : QVariant();
}

QString ValueList::text(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index).second : QString();
}

bool ValueList::contains(const QVariant &value) const
{
    return m_index.contains(CellValue::hashKey(value));
}

QString ValueList::textOf(const QVariant &value, bool *found) const
{
    // Most columns have no list: no key to make.
    if (m_index.isEmpty()) {
        if (found)
            *found = false;
        return {};
    }
    const auto it = m_index.constFind(CellValue::hashKey(value));
    if (found)
        *found = it != m_index.constEnd();
    return it != m_index.constEnd() ? m_items.at(*it).second : QString();
}

} // namespace widgets

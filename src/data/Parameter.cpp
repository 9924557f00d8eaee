#include "Parameter.h"

namespace data {

Parameter::Parameter(const QString &name, DataType type, int direction, int size, const Value &value)
    : m_name(name), m_type(type), m_direction(direction), m_size(size)
{
    setValue(value);
}

void Parameter::setValue(const Value &value)
{
    // A Variant parameter keeps the value's own type; an unset value stays a
    // typed null so the driver still knows what it binds.
    if (value.isNull())
        m_value = Value::null(m_type);
    else if (m_type == DataType::Variant || m_type == DataType::Empty)
        m_value = value;
    else
        m_value = value.convertedTo(m_type);
}

Parameter *ParameterCollection::Item(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    return &m_items[index];
}

Parameter *ParameterCollection::Item(const QString &name)
{
    for (Parameter &p : m_items) {
        if (p.Name().compare(name, Qt::CaseInsensitive) == 0)
            return &p;
    }
    return nullptr;
}

const Parameter *ParameterCollection::Item(const QString &name) const
{
    for (const Parameter &p : m_items) {
        if (p.Name().compare(name, Qt::CaseInsensitive) == 0)
            return &p;
    }
    return nullptr;
}

void ParameterCollection::Append(const Parameter &parameter)
{
    // A second parameter of the same name would never be reachable by name;
    // the later definition replaces the earlier one.
    if (Parameter *existing = Item(parameter.Name())) {
        *existing = parameter;
        return;
    }
    m_items.append(parameter);
}

void ParameterCollection::Delete(const QString &name)
{
    m_items.removeIf([&](const Parameter &p) { return p.Name().compare(name, Qt::CaseInsensitive) == 0; });
}

} // namespace data

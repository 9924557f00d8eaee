#pragma once

#include "DataTypes.h"
#include "Value.h"

#include <QList>
#include <QString>

namespace data {

/// One parameter of a stored procedure call. Names begin with "@".
class Parameter final
{
public:
    Parameter() = default;
    Parameter(const QString &name, DataType type, int direction = adParamInput, int size = 0,
              const Value &value = Value());

    QString Name() const { return m_name; }
    DataType Type() const { return m_type; }
    int Direction() const { return m_direction; }
    int Size() const { return m_size; }

    Value value() const { return m_value; }
    /// Stores the value converted to the parameter's type.
    void setValue(const Value &value);

private:
    QString m_name;
    DataType m_type = DataType::Variant;
    int m_direction = adParamInput;
    int m_size = 0;
    Value m_value;
};

/// The parameter list of a Command: filled from the database's procedure
/// catalog by Refresh(), or built by Append(); items are addressed by index or
/// by name (compared without regard to case, "@" included).
class ParameterCollection final
{
public:
    int Count() const { return int(m_items.size()); }
    /// Null when there is no such parameter.
    Parameter *Item(int index);
    Parameter *Item(const QString &name);
    const Parameter *Item(const QString &name) const;
    void Append(const Parameter &parameter);
    void Delete(const QString &name);
    void clear() { m_items.clear(); }
    const QList<Parameter> &items() const { return m_items; }

private:
    friend class Command;
    QList<Parameter> m_items;
};

} // namespace data

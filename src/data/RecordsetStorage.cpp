#include "RecordsetStorage.h"

namespace data {

int RecordsetStorage::indexOf(QStringView name) const
{
    // Called per row by reports that address fields by name: compare lengths
    // first so most names are rejected without a case-folding comparison.
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        const QString &n = m_fields[i].name;
        if (n.size() == name.size() && name.compare(n, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

bool RecordsetStorage::appendField(const FieldInfo &info)
{
    if (m_rowCount != 0 || info.name.isEmpty() || indexOf(info.name) >= 0)
        return false;
    m_fields.push_back(info);
    m_columns.emplace_back(info.type);
    return true;
}

std::size_t RecordsetStorage::appendRow()
{
    for (Column &c : m_columns)
        c.appendNull();
    return m_rowCount++;
}

std::size_t RecordsetStorage::byteSize() const
{
    std::size_t bytes = sizeof(*this) + m_fields.capacity() * sizeof(FieldInfo);
    for (const Column &c : m_columns)
        bytes += c.byteSize();
    return bytes;
}

} // namespace data

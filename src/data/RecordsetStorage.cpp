#include "RecordsetStorage.h"

#include <algorithm>

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
    m_columns.back().growTo(m_capacity);
    return true;
}

void RecordsetStorage::grow()
{
    // Double while the columns fit in their first block (small recordsets stay
    // small), then add a block at a time (no copy of what is stored).
    constexpr std::size_t block = ChunkedArray<qint64>::BlockSize;
    m_capacity = m_capacity < block ? std::min(block, std::max<std::size_t>(16, m_capacity * 2))
                                    : m_capacity + block;
    for (Column &c : m_columns)
        c.growTo(m_capacity);
}

std::size_t RecordsetStorage::byteSize() const
{
    std::size_t bytes = sizeof(*this) + m_fields.capacity() * sizeof(FieldInfo);
    for (const Column &c : m_columns)
        bytes += c.byteSize();
    return bytes;
}

} // namespace data

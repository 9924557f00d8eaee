#pragma once

#include "Recordset.h"
#include "RecordsetStorage.h"

#include <QtGlobal>

#include <cstddef>
#include <limits>
#include <vector>

namespace data {

/// What one Recordset handle shows of the shared rows: either every row in
/// the order it was added, or an explicit list of row indices (after a filter
/// or a sort), and the cursor over it.
class Recordset::View final
{
public:
    /// True while the handle shows every row in natural order; rows appended
    /// later (by any clone) then appear here too.
    bool allRows = true;
    std::vector<quint32> rows;
    /// Cursor: -1 is BOF, count() or more is EOF.
    qint64 pos = 0;

    qint64 count(const RecordsetStorage &s) const
    {
        return allRows ? qint64(s.rowCount()) : qint64(rows.size());
    }
    std::size_t rowAt(qint64 position) const
    {
        return allRows ? std::size_t(position) : std::size_t(rows[std::size_t(position)]);
    }
    /// The storage row under the cursor, or -1 at BOF/EOF.
    qint64 currentRow(const RecordsetStorage &s) const
    {
        return pos >= 0 && pos < count(s) ? qint64(rowAt(pos)) : -1;
    }

    /// Position of a storage row among the shown rows, or -1. Builds a reverse
    /// index on first use so that walking bookmarks does not cost a scan each.
    qint64 positionOf(const RecordsetStorage &s, qint64 row) const
    {
        if (row < 0)
            return -1;
        if (allRows)
            return row < qint64(s.rowCount()) ? row : -1;
        if (m_positions.size() != s.rowCount() || !m_positionsValid) {
            m_positions.assign(s.rowCount(), NotShown);
            for (std::size_t i = 0; i < rows.size(); ++i)
                m_positions[rows[i]] = quint32(i);
            m_positionsValid = true;
        }
        if (std::size_t(row) >= m_positions.size() || m_positions[std::size_t(row)] == NotShown)
            return -1;
        return m_positions[std::size_t(row)];
    }
    void rowsChanged() { m_positionsValid = false; }

private:
    static constexpr quint32 NotShown = std::numeric_limits<quint32>::max();
    mutable std::vector<quint32> m_positions;
    mutable bool m_positionsValid = false;
};

} // namespace data

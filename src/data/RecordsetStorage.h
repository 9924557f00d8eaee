#pragma once

#include "Column.h"
#include "DataTypes.h"

#include <QString>

#include <cstddef>
#include <vector>

namespace data {

/// The rows of a recordset and of all its clones: the field definitions and
/// one Column per field. Rows are only ever appended, so a row's index never
/// changes and serves as its bookmark.
class RecordsetStorage final
{
public:
    struct FieldInfo
    {
        QString name;
        DataType type = DataType::Variant;
        int definedSize = 0;
        int attributes = adFldUnspecified;
    };

    int fieldCount() const { return int(m_fields.size()); }
    const FieldInfo &field(int index) const { return m_fields[std::size_t(index)]; }
    /// Index of the field with that name, compared without regard to case; -1 if none.
    int indexOf(QStringView name) const;
    /// Adds a field; only while there are no rows. False on a duplicate name.
    bool appendField(const FieldInfo &info);

    std::size_t rowCount() const { return m_rowCount; }
    /// Appends a row of nulls and returns its index.
    std::size_t appendRow()
    {
        if (m_rowCount == m_capacity)
            grow();
        return m_rowCount++;
    }

    const Column &column(int index) const { return m_columns[std::size_t(index)]; }
    Column &column(int index) { return m_columns[std::size_t(index)]; }

    /// Bytes held by the columns, counting unused capacity.
    std::size_t byteSize() const;

private:
    void grow();

    std::vector<FieldInfo> m_fields;
    std::vector<Column> m_columns;
    std::size_t m_rowCount = 0;
    std::size_t m_capacity = 0;   // rows the columns have room for
};

} // namespace data

#pragma once

#include "ChunkedArray.h"
#include "DataTypes.h"
#include "StringPool.h"
#include "Value.h"

#include <QtGlobal>

#include <bit>
#include <memory>
#include <cstddef>
#include <vector>

namespace data {

/// One typed column of a recordset: its values as a plain array of the
/// type's machine form plus a null bitmap.
///
/// Integers, currency (raw ten-thousandths) and dates (seconds) are 64-bit
/// integers, doubles are doubles, booleans one byte, strings 32-bit ids into
/// the column's StringPool. A Variant column keeps a one-byte DataType tag per
/// cell beside a 64-bit payload, so each value keeps its own type.
class Column final
{
public:
    /// How the values are stored; the criteria compiler chooses its
    /// comparisons by it.
    enum class Kind : quint8 { Int, Double, Bool, String, Variant };

    explicit Column(DataType type);

    DataType type() const { return m_type; }
    Kind kind() const { return m_kind; }
    static Kind kindOf(DataType type);

    /// Makes room for rows cells; the new cells are null.
    void growTo(std::size_t rows);

    bool isNull(std::size_t row) const { return (m_nulls[row >> 6] >> (row & 63)) & 1; }

    // Typed reads; the caller knows the kind and that the cell is not null.
    qint64 int64At(std::size_t row) const { return m_words[row]; }      ///< Int and Variant payload
    double doubleAt(std::size_t row) const { return std::bit_cast<double>(m_words[row]); }
    bool boolAt(std::size_t row) const { return m_bytes[row] != 0; }
    quint32 stringIdAt(std::size_t row) const { return m_ids[row]; }
    const QString &stringAt(std::size_t row) const { return m_pool->at(m_ids[row]); }
    /// For Variant columns: the type of the value in that cell.
    DataType variantTypeAt(std::size_t row) const { return DataType(m_bytes[row]); }
    /// For Variant string cells.
    const QString &variantStringAt(std::size_t row) const { return m_pool->at(quint32(m_words[row])); }
    /// The texts of a String or Variant column (only those have a pool).
    const StringPool &pool() const { return *m_pool; }

    /// The cell as a Value of the column's type (of its own type for Variant).
    Value value(std::size_t row) const;

    void setNull(std::size_t row);
    /// Integers, booleans (0/1), currency raw, date secs; converted for other kinds.
    void setInt64(std::size_t row, qint64 v)
    {
        if (m_kind == Kind::Int) {
            clearNull(row);
            m_words[row] = v;
        } else if (m_kind == Kind::Bool) {
            clearNull(row);
            m_bytes[row] = v != 0;
        } else {
            setInt64Other(row, v);
        }
    }
    void setDouble(std::size_t row, double v)
    {
        if (m_kind != Kind::Double)
            return setDoubleOther(row, v);
        clearNull(row);
        m_words[row] = std::bit_cast<qint64>(v);
    }
    /// setText() of a UTF-8 text, which a text column interns by its bytes.
    void setUtf8(std::size_t row, const char *bytes, qsizetype length)
    {
        if (m_kind == Kind::String) {
            clearNull(row);
            m_ids[row] = m_pool->internUtf8(bytes, length);
        } else if (m_kind == Kind::Variant) {
            setVariant(row, DataType::VarWChar, m_pool->internUtf8(bytes, length));
        } else {
            setTextOther(row, QString::fromUtf8(bytes, length));
        }
    }
    void setText(std::size_t row, const QString &text)
    {
        if (m_kind == Kind::String) {
            clearNull(row);
            m_ids[row] = m_pool->intern(text);
        } else if (m_kind == Kind::Variant) {
            setVariant(row, DataType::VarWChar, m_pool->intern(text));
        } else {
            setTextOther(row, text);
        }
    }
    /// Stores the value converted to the column's type. Returns false, leaving
    /// the cell unchanged, when a non-null value cannot be converted.
    bool setValue(std::size_t row, const Value &v);

    /// Bytes held by this column, counting unused capacity.
    std::size_t byteSize() const;

private:
    void clearNull(std::size_t row) { m_nulls[row >> 6] &= ~(quint64(1) << (row & 63)); }
    void setVariant(std::size_t row, DataType t, qint64 payload)
    {
        clearNull(row);
        m_bytes[row] = quint8(t);
        m_words[row] = payload;
    }
    void setInt64Other(std::size_t row, qint64 v);
    void setDoubleOther(std::size_t row, double v);
    void setTextOther(std::size_t row, const QString &text);

    DataType m_type;
    Kind m_kind;
    std::vector<quint64> m_nulls;   // bit set: null
    ChunkedArray<qint64> m_words;   // Int, Double (bit pattern), Variant payload
    ChunkedArray<quint8> m_bytes;   // Bool values, Variant tags
    ChunkedArray<quint32> m_ids;    // String ids
    std::unique_ptr<StringPool> m_pool;   // String and Variant columns only
};

} // namespace data

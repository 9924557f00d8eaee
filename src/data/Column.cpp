#include "Column.h"

namespace data {

Column::Column(DataType type) : m_type(type), m_kind(kindOf(type))
{
    if (m_kind == Kind::String || m_kind == Kind::Variant)
        m_pool = std::make_unique<StringPool>();
}

Column::Kind Column::kindOf(DataType type)
{
    switch (type) {
    case DataType::Double:
        return Kind::Double;
    case DataType::Boolean:
        return Kind::Bool;
    case DataType::BStr:
    case DataType::VarChar:
    case DataType::VarWChar:
        return Kind::String;
    case DataType::Variant:
    case DataType::Empty:
        return Kind::Variant;
    case DataType::SmallInt:
    case DataType::Integer:
    case DataType::BigInt:
    case DataType::Currency:
    case DataType::Date:
        break;
    }
    return Kind::Int;
}

void Column::growTo(std::size_t rows)
{
    m_nulls.resize((rows + 63) / 64, ~quint64(0));
    switch (m_kind) {
    case Kind::Int:
    case Kind::Double:
        m_words.growTo(rows);
        break;
    case Kind::Bool:
        m_bytes.growTo(rows);
        break;
    case Kind::String:
        m_ids.growTo(rows);
        break;
    case Kind::Variant:
        m_words.growTo(rows);
        m_bytes.growTo(rows);   // zero is DataType::Empty
        break;
    }
}

Value Column::value(std::size_t row) const
{
    if (isNull(row))
        return Value::null(m_kind == Kind::Variant ? variantTypeAt(row) : m_type);
    switch (m_kind) {
    case Kind::Int:
        switch (m_type) {
        case DataType::Currency:
            return Value(Currency::fromRaw(m_words[row]));
        case DataType::Date:
            return Value(DateTime::fromSecs(m_words[row]));
        default:
            return Value(m_words[row], m_type);
        }
    case Kind::Double:
        return Value(doubleAt(row));
    case Kind::Bool:
        return Value(boolAt(row));
    case Kind::String:
        return Value(stringAt(row));
    case Kind::Variant:
        break;
    }
    const DataType t = variantTypeAt(row);
    const qint64 w = m_words[row];
    switch (Column::kindOf(t)) {
    case Kind::Int:
        if (t == DataType::Currency)
            return Value(Currency::fromRaw(w));
        if (t == DataType::Date)
            return Value(DateTime::fromSecs(w));
        return Value(w, t);
    case Kind::Double:
        return Value(std::bit_cast<double>(w));
    case Kind::Bool:
        return Value(w != 0);
    case Kind::String:
        return Value(m_pool->at(quint32(w)));
    case Kind::Variant:
        break;
    }
    return Value();
}

void Column::setNull(std::size_t row)
{
    m_nulls[row >> 6] |= quint64(1) << (row & 63);
    if (m_kind == Kind::Variant)
        m_bytes[row] = quint8(DataType::Empty);
}

void Column::setInt64Other(std::size_t row, qint64 v)
{
    // Int and Bool columns are handled inline by setInt64().
    if (m_kind == Kind::Double)
        setDouble(row, double(v));
    else if (m_kind == Kind::Variant)
        setVariant(row, DataType::BigInt, v);
    else
        setText(row, QString::number(v));
}

void Column::setDoubleOther(std::size_t row, double v)
{
    if (m_kind == Kind::Variant) {
        setVariant(row, DataType::Double, std::bit_cast<qint64>(v));
        return;
    }
    if (!setValue(row, Value(v)))
        setNull(row);
}

void Column::setTextOther(std::size_t row, const QString &text)
{
    // String and Variant columns are handled inline by setText().
    if (!setValue(row, Value(text)))
        setNull(row);
}

bool Column::setValue(std::size_t row, const Value &v)
{
    if (v.isNull()) {
        setNull(row);
        if (m_kind == Kind::Variant)
            m_bytes[row] = quint8(v.type() == DataType::Variant ? DataType::Empty : v.type());
        return true;
    }
    if (m_kind == Kind::Variant) {
        switch (kindOf(v.type())) {
        case Kind::Int:
            setVariant(row, v.type(), v.type() == DataType::Currency ? v.toCurrency().raw()
                                      : v.type() == DataType::Date   ? v.toDate().secs()
                                                                     : v.toInt64());
            return true;
        case Kind::Double:
            setVariant(row, DataType::Double, std::bit_cast<qint64>(v.toDouble()));
            return true;
        case Kind::Bool:
            setVariant(row, DataType::Boolean, v.toBool() ? 1 : 0);
            return true;
        case Kind::String:
            setVariant(row, v.type(), m_pool->intern(v.toString()));
            return true;
        case Kind::Variant:
            setNull(row);
            return true;
        }
        return false;
    }
    const Value c = v.convertedTo(m_type);
    if (c.isNull())
        return false;
    clearNull(row);
    switch (m_kind) {
    case Kind::Int:
        m_words[row] = m_type == DataType::Currency ? c.toCurrency().raw()
                       : m_type == DataType::Date   ? c.toDate().secs()
                                                    : c.toInt64();
        break;
    case Kind::Double:
        m_words[row] = std::bit_cast<qint64>(c.toDouble());
        break;
    case Kind::Bool:
        m_bytes[row] = c.toBool();
        break;
    case Kind::String:
        m_ids[row] = m_pool->intern(c.toString());
        break;
    case Kind::Variant:
        break;
    }
    return true;
}

std::size_t Column::byteSize() const
{
    return sizeof(Column) + m_nulls.capacity() * sizeof(quint64) + m_words.byteSize()
           + m_bytes.byteSize() + m_ids.byteSize() + (m_pool ? m_pool->byteSize() : 0);
}

} // namespace data

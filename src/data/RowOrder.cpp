#include "RowOrder.h"

#include <algorithm>
#include <bit>
#include <compare>
#include <numeric>

namespace data {

namespace {

template <typename T>
int order(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

int orderDoubles(double a, double b)
{
    // A total order, so a NaN cannot break the sort's strict weak ordering.
    const auto o = std::strong_order(a, b);
    return o < 0 ? -1 : (o > 0 ? 1 : 0);
}

std::vector<quint32> rankStrings(const StringPool &pool)
{
    std::vector<quint32> ids(pool.count());
    std::iota(ids.begin(), ids.end(), 0);
    std::sort(ids.begin(), ids.end(), [&pool](quint32 a, quint32 b) {
        return QString::compare(pool.at(a), pool.at(b), Qt::CaseInsensitive) < 0;
    });
    // Texts equal without regard to case share a rank, so the sort keeps
    // their rows in their previous order.
    std::vector<quint32> ranks(pool.count());
    quint32 rank = 0;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (i > 0 && QString::compare(pool.at(ids[i - 1]), pool.at(ids[i]), Qt::CaseInsensitive) != 0)
            ++rank;
        ranks[ids[i]] = rank;
    }
    return ranks;
}

// Order classes of Variant cells.
enum class VariantClass { Null, Number, Date, Text };

VariantClass classOf(const Column &c, std::size_t row)
{
    if (c.isNull(row))
        return VariantClass::Null;
    const DataType t = c.variantTypeAt(row);
    if (t == DataType::Date)
        return VariantClass::Date;
    switch (Column::kindOf(t)) {
    case Column::Kind::String:
        return VariantClass::Text;
    case Column::Kind::Variant:
        return VariantClass::Null;
    default:
        return VariantClass::Number;
    }
}

/// A number cell of a Variant column as a double (currency scaled, booleans -1/0).
double variantNumber(const Column &c, std::size_t row)
{
    const DataType t = c.variantTypeAt(row);
    switch (t) {
    case DataType::Double:
        return c.doubleAt(row);
    case DataType::Currency:
        return double(c.int64At(row)) / Currency::Scale;
    case DataType::Boolean:
        return c.int64At(row) ? -1.0 : 0.0;
    default:
        return double(c.int64At(row));
    }
}

} // namespace

RowOrder::RowOrder(const RecordsetStorage &storage, const std::vector<Key> &keys)
{
    for (const Key &key : keys) {
        Prepared p;
        p.column = &storage.column(key.field);
        p.descending = key.descending;
        if (p.column->kind() == Column::Kind::String || p.column->kind() == Column::Kind::Variant)
            p.ranks = rankStrings(p.column->pool());
        m_keys.push_back(std::move(p));
    }
}

int RowOrder::compare(const Prepared &k, std::size_t a, std::size_t b) const
{
    const Column &c = *k.column;
    if (c.kind() == Column::Kind::Variant)
        return compareVariant(k, a, b);
    const bool nullA = c.isNull(a);
    const bool nullB = c.isNull(b);
    if (nullA || nullB)
        return order(!nullA, !nullB);
    switch (c.kind()) {
    case Column::Kind::Int:
        return order(c.int64At(a), c.int64At(b));
    case Column::Kind::Double:
        return orderDoubles(c.doubleAt(a), c.doubleAt(b));
    case Column::Kind::Bool:
        return order(c.boolAt(a), c.boolAt(b));
    case Column::Kind::String:
        return order(k.ranks[c.stringIdAt(a)], k.ranks[c.stringIdAt(b)]);
    case Column::Kind::Variant:
        break;
    }
    return 0;
}

int RowOrder::compareVariant(const Prepared &k, std::size_t a, std::size_t b)
{
    const Column &c = *k.column;
    const VariantClass ca = classOf(c, a);
    const VariantClass cb = classOf(c, b);
    if (ca != cb)
        return order(int(ca), int(cb));
    switch (ca) {
    case VariantClass::Null:
        return 0;
    case VariantClass::Date:
        return order(c.int64At(a), c.int64At(b));
    case VariantClass::Text:
        return order(k.ranks[quint32(c.int64At(a))], k.ranks[quint32(c.int64At(b))]);
    case VariantClass::Number:
        break;
    }
    const DataType ta = c.variantTypeAt(a);
    const DataType tb = c.variantTypeAt(b);
    const bool exactA = Column::kindOf(ta) == Column::Kind::Int && ta != DataType::Currency;
    const bool exactB = Column::kindOf(tb) == Column::Kind::Int && tb != DataType::Currency;
    if ((exactA && exactB) || (ta == DataType::Currency && tb == DataType::Currency))
        return order(c.int64At(a), c.int64At(b));
    return orderDoubles(variantNumber(c, a), variantNumber(c, b));
}

quint64 RowOrder::radixKey(const Prepared &k, std::size_t row)
{
    const Column &c = *k.column;
    switch (c.kind()) {
    case Column::Kind::Int:
        return quint64(c.int64At(row)) ^ (quint64(1) << 63);
    case Column::Kind::Double: {
        // IEEE total order as unsigned integers: flip every bit of negatives,
        // only the sign bit of positives.
        const quint64 bits = std::bit_cast<quint64>(c.doubleAt(row));
        return bits & (quint64(1) << 63) ? ~bits : bits | (quint64(1) << 63);
    }
    case Column::Kind::Bool:
        return c.boolAt(row) ? 1 : 0;
    case Column::Kind::String:
        return k.ranks[c.stringIdAt(row)];
    case Column::Kind::Variant:
        break;
    }
    return 0;
}

void RowOrder::sort(std::vector<quint32> &rows) const
{
    const bool anyVariant = std::any_of(m_keys.begin(), m_keys.end(), [](const Prepared &k) {
        return k.column->kind() == Column::Kind::Variant;
    });
    if (anyVariant || rows.size() < 256) {
        std::stable_sort(rows.begin(), rows.end(),
                         [this](quint32 a, quint32 b) { return less(a, b); });
        return;
    }
    // Least significant digit radix sort, last key first: every pass is
    // stable, so the result is ordered by the first key, ties by the second
    // and so on, and rows equal in every key keep their order. A comparison
    // sort of a million rows on two keys costs about ten times more.
    const std::size_t n = rows.size();
    std::vector<quint64> keys(n);
    std::vector<quint64> keysOut(n);
    std::vector<quint32> rowsOut(n);
    for (auto k = m_keys.rbegin(); k != m_keys.rend(); ++k) {
        const Column &c = *k->column;
        bool anyNull = false;
        for (std::size_t i = 0; i < n; ++i) {
            const quint32 row = rows[i];
            const bool isNull = c.isNull(row);
            anyNull |= isNull;
            const quint64 key = isNull ? 0 : radixKey(*k, row);
            keys[i] = k->descending ? ~key : key;
        }
        for (int shift = 0; shift < 64; shift += 8) {
            std::size_t start[256] = {};
            for (std::size_t i = 0; i < n; ++i)
                ++start[(keys[i] >> shift) & 0xFF];
            if (start[(keys[0] >> shift) & 0xFF] == n)
                continue;   // every key has the same byte here
            std::size_t sum = 0;
            for (std::size_t &s : start) {
                const std::size_t count = s;
                s = sum;
                sum += count;
            }
            for (std::size_t i = 0; i < n; ++i) {
                const std::size_t to = start[(keys[i] >> shift) & 0xFF]++;
                keysOut[to] = keys[i];
                rowsOut[to] = rows[i];
            }
            keys.swap(keysOut);
            rows.swap(rowsOut);
        }
        if (anyNull) {
            // Null is below every value: first ascending, last descending.
            std::size_t to = 0;
            for (int pass = 0; pass < 2; ++pass) {
                const bool takeNulls = (pass == 0) != k->descending;
                for (std::size_t i = 0; i < n; ++i) {
                    if (c.isNull(rows[i]) == takeNulls)
                        rowsOut[to++] = rows[i];
                }
            }
            rows.swap(rowsOut);
        }
    }
}

} // namespace data

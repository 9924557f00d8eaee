#include "RowChangeMarks.h"

#include "CellValue.h"
#include "Currency.h"
#include "DateTime.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

enum CellKind : quint64 { NullCell = 1, BoolCell, IntegerCell, CurrencyCell, DoubleCell, DateCell, TextCell };

// splitmix64's finalizer: every bit of the input moves every bit of the
// output, so that cells in sequence do not cancel out as they would by xor.
quint64 mix(quint64 x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

void add(quint64 &digest, int column, CellKind kind, quint64 bits)
{
    // The column and kind spread over all 64 bits by an odd multiplier, so
    // that no two small values of different cells meet (as 5 in one column
    // and 5 ^ 0x300 in the next would by a plain xor); one mix per cell.
    const quint64 tag = ((quint64(quint32(column)) << 8) | kind) * 0x9E3779B97F4A7C15ull;
    digest = mix(digest ^ bits ^ tag);
}

quint64 doubleBits(double value)
{
    if (value == 0)
        value = 0;   // -0.0 is the same amount as 0.0
    else if (std::isnan(value))
        value = std::numeric_limits<double>::quiet_NaN();
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

template<typename T>
const T &as(const QVariant &value)
{
    return *static_cast<const T *>(value.constData());
}

/// The kind of a cell and the bits that tell its value from the others of
/// its kind. This runs for every cell of every row: the types readers give
/// are read in place, not converted through QVariant.
CellKind classify(const QVariant &value, quint64 &bits)
{
    if (!value.isValid()) {
        bits = 0;
        return NullCell;
    }
    const QMetaType type = value.metaType();
    switch (type.id()) {
    case QMetaType::Double:
        bits = doubleBits(as<double>(value));
        return DoubleCell;
    case QMetaType::Float:
        bits = doubleBits(as<float>(value));
        return DoubleCell;
    case QMetaType::QString:
        bits = qHash(as<QString>(value));
        return TextCell;
    case QMetaType::Bool:
        bits = as<bool>(value) ? 1 : 0;
        return BoolCell;
    case QMetaType::Int:
        bits = quint64(qint64(as<int>(value)));
        return IntegerCell;
    case QMetaType::LongLong:
        bits = quint64(as<qlonglong>(value));
        return IntegerCell;
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::SChar:
    case QMetaType::UChar:
        bits = type.id() == QMetaType::ULongLong || type.id() == QMetaType::ULong ? value.toULongLong()
                                                                                 : quint64(value.toLongLong());
        return IntegerCell;
    default:
        break;
    }
    if (type == QMetaType::fromType<data::Currency>()) {
        bits = quint64(as<data::Currency>(value).raw());
        return CurrencyCell;
    }
    if (type == QMetaType::fromType<data::DateTime>()) {
        bits = quint64(as<data::DateTime>(value).secs());
        return DateCell;
    }
    if (CellValue::isNull(value)) {
        bits = 0;
        return NullCell;
    }
    if (CellValue::isDate(value)) {
        bits = quint64(CellValue::dateSeconds(value));
        return DateCell;
    }
    bits = qHash(value.toString(), size_t(type.id()));
    return TextCell;
}

struct Digest
{
    quint64 identity = 0;
    quint64 amounts = 0;
};

Digest digest(const QVector<QVariant> &cells, const QVector<int> &groupColumns)
{
    Digest d;
    for (int column = 0; column < cells.size(); ++column) {
        quint64 bits = 0;
        const CellKind kind = classify(cells.at(column), bits);
        const bool amount = kind == NullCell || kind == CurrencyCell || kind == DoubleCell;
        add(amount && !groupColumns.contains(column) ? d.amounts : d.identity, column, kind, bits);
    }
    return d;
}

quint64 whole(const Digest &d)
{
    return mix(d.identity ^ mix(d.amounts));
}

/// How many rows have each digest: open addressing over the digests
/// themselves, which are well mixed already, so that no key is hashed
/// again (QHash would, at a fifth of the whole comparison).
class DigestCounts
{
public:
    /// Empties the table and makes room for `digests` different digests.
    void reset(size_t digests)
    {
        size_t slots = 16;
        while (slots < 2 * digests)
            slots *= 2;
        // A new vector rather than assign(): a large result's table is let go.
        m_slots = std::vector<Slot>(digests > 0 ? slots : 0);
        m_size = 0;
    }
    void add(quint64 digest)
    {
        Q_ASSERT(2 * (m_size + 1) <= m_slots.size());
        Slot *slot = find(digest);
        if (!slot->used) {
            slot->used = true;
            slot->digest = digest;
            ++m_size;
        }
        ++slot->count;
    }
    /// Takes one row of the digest away; false when none is left.
    bool take(quint64 digest)
    {
        if (m_slots.empty())
            return false;
        Slot *slot = find(digest);
        if (!slot->used || slot->count == 0)
            return false;
        --slot->count;
        return true;
    }
    bool isEmpty() const { return m_size == 0; }

private:
    struct Slot
    {
        quint64 digest = 0;
        int count = 0;
        bool used = false;
    };

    Slot *find(quint64 digest)
    {
        // Stops at the digest or at the first free slot, where it would go.
        const size_t mask = m_slots.size() - 1;
        size_t i = size_t(digest) & mask;
        while (m_slots[i].used && m_slots[i].digest != digest)
            i = (i + 1) & mask;
        return &m_slots[i];
    }

    std::vector<Slot> m_slots;   // a power of two, never more than half used
    size_t m_size = 0;
};

} // namespace

/// How many rows of a result have each identity, and each identity with its
/// amounts (whole()).
struct RowChangeMarks::Remembered
{
    int columns = 0;
    QVector<int> groupColumns;
    DigestCounts identities;
    DigestCounts wholeRows;
};

RowChangeMarks::Comparison RowChangeMarks::compare(const std::shared_ptr<const Remembered> &previous, int rows,
                                                   int columns, const QVector<int> &groupColumns,
                                                   const RowCells &cells)
{
    Comparison comparison;
    comparison.against = previous;
    if (rows > MaxRows)
        return comparison;   // nothing to compare the next result with either
    std::vector<Digest> digests(size_t(qMax(0, rows)));
    QVector<QVariant> values;
    for (int row = 0; row < rows; ++row) {
        cells(row, values);
        digests[size_t(row)] = digest(values, groupColumns);
    }
    if (previous && !previous->wholeRows.isEmpty() && previous->columns == columns
        && previous->groupColumns == groupColumns) {
        // Two passes, each a hash look-up per row: rows equal to a previous
        // row use up that row first, so that of two rows alike in identity
        // the one that did not change is not taken for the one that did. The
        // previous rows are shared: they are taken from a copy.
        DigestCounts identities = previous->identities;
        DigestCounts wholeRows = previous->wholeRows;
        comparison.marks.assign(digests.size(), RowMark::None);
        std::vector<bool> matched(digests.size(), false);
        for (size_t row = 0; row < digests.size(); ++row) {
            if (wholeRows.take(whole(digests[row]))) {
                identities.take(digests[row].identity);
                matched[row] = true;
            }
        }
        for (size_t row = 0; row < digests.size(); ++row) {
            if (matched[row])
                continue;
            comparison.marks[row] = identities.take(digests[row].identity) ? RowMark::Changed : RowMark::New;
            ++comparison.markedRows;
        }
        if (comparison.markedRows == 0)
            comparison.marks.clear();
    }
    auto remembered = std::make_shared<Remembered>();
    remembered->columns = columns;
    remembered->groupColumns = groupColumns;
    remembered->identities.reset(digests.size());
    remembered->wholeRows.reset(digests.size());
    for (const Digest &d : digests) {
        remembered->identities.add(d.identity);
        remembered->wholeRows.add(whole(d));
    }
    comparison.rows = std::move(remembered);
    return comparison;
}

void RowChangeMarks::takeRows(int rows, int columns, const QVector<int> &groupColumns, const RowCells &cells)
{
    adopt(compare(m_remembered, rows, columns, groupColumns, cells));
}

void RowChangeMarks::adopt(Comparison comparison)
{
    clearMarks();
    if (comparison.against && comparison.against == m_remembered) {
        m_marks = std::move(comparison.marks);
        m_markedRows = comparison.markedRows;
    }
    m_remembered = std::move(comparison.rows);
}

bool RowChangeMarks::madeFor(const Comparison &comparison, int columns, const QVector<int> &groupColumns)
{
    return !comparison.rows
           || (comparison.rows->columns == columns && comparison.rows->groupColumns == groupColumns);
}

void RowChangeMarks::forgetRows()
{
    clearMarks();
    m_remembered.reset();
}

void RowChangeMarks::clearMarks()
{
    m_marks.clear();
    m_markedRows = 0;
}

RowMark RowChangeMarks::mark(int row) const
{
    return row >= 0 && size_t(row) < m_marks.size() ? m_marks[size_t(row)] : RowMark::None;
}

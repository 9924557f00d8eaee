#pragma once

#include "RecordsetStorage.h"

#include <QtGlobal>

#include <vector>

namespace data {

/// The order of a recordset sort: compares two rows by a list of fields,
/// each ascending or descending.
///
/// Null sorts below every value (first ascending, last descending); strings
/// compare without regard to case; Variant cells order as null < booleans and
/// numbers < dates < texts, numbers by value. String columns are ranked once
/// (each distinct string of the pool gets its place), so comparing two rows
/// compares two integers rather than two strings.
class RowOrder final
{
public:
    struct Key
    {
        int field = -1;
        bool descending = false;
    };

    RowOrder(const RecordsetStorage &storage, const std::vector<Key> &keys);

    /// True when row a sorts before row b.
    bool less(std::size_t a, std::size_t b) const
    {
        for (const Prepared &k : m_keys) {
            const int c = compare(k, a, b);
            if (c != 0)
                return k.descending ? c > 0 : c < 0;
        }
        return false;
    }

    /// Sorts rows (indices into the storage) stably by this order.
    void sort(std::vector<quint32> &rows) const;

private:
    struct Prepared
    {
        const Column *column = nullptr;
        bool descending = false;
        std::vector<quint32> ranks;   // per pool id, for String and Variant columns
    };

    int compare(const Prepared &k, std::size_t a, std::size_t b) const;
    /// The cell of a non-null, non-Variant cell as an unsigned integer in sort order.
    static quint64 radixKey(const Prepared &k, std::size_t row);
    static int compareVariant(const Prepared &k, std::size_t a, std::size_t b);

    std::vector<Prepared> m_keys;
};

} // namespace data

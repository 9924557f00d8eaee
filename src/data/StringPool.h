#pragma once

#include <QHash>
#include <QString>

#include <cstddef>
#include <vector>

namespace data {

/// The distinct strings of one recordset column, each stored once and named by
/// a 32-bit id.
///
/// Report columns repeat a handful of texts (dealer names, currency codes, the
/// filter of a group) over thousands of rows; a cell keeps only the id, and
/// reading a cell hands out an implicitly shared QString without copying text.
class StringPool final
{
public:
    /// The id of text, adding it when new.
    quint32 intern(const QString &text)
    {
        // Loaders mostly hand in the same few QString objects again and again
        // (a report sets one filter text on many rows): recognise those by
        // their buffer before hashing the characters. The cache holds a copy,
        // so a cached buffer cannot be freed and reused for another text.
        const Recent &recent = m_recent[slotOf(text, m_recentBits)];
        if (recent.text.constData() == text.constData() && recent.text.size() == text.size()
            && !text.isEmpty())
            return recent.id;
        return internSlow(text);
    }
    const QString &at(quint32 id) const { return m_strings[id]; }
    std::size_t count() const { return m_strings.size(); }
    /// Bytes held by the strings and the index, approximately.
    std::size_t byteSize() const;

private:
    quint32 internSlow(const QString &text);
    /// A cache slot from the buffer address; multiplying spreads buffers that
    /// an allocator placed at regular distances over all the slots.
    static std::size_t slotOf(const QString &text, int bits)
    {
        return std::size_t((quint64(quintptr(text.constData())) * 0x9E3779B97F4A7C15ULL) >> (64 - bits));
    }
    /// Grows the cache with the number of distinct texts, so that a column of
    /// thousands of different texts (a filter per row group) still finds them
    /// by their buffer rather than by hashing their characters.
    void growRecent();

    struct Recent
    {
        QString text;
        quint32 id = 0;
    };
    static constexpr int MinRecentBits = 8;
    static constexpr int MaxRecentBits = 14;

    std::vector<QString> m_strings;
    QHash<QString, quint32> m_index;
    int m_recentBits = MinRecentBits;
    std::vector<Recent> m_recent = std::vector<Recent>(std::size_t(1) << MinRecentBits);
};

} // namespace data

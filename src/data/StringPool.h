#pragma once

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
///
/// A column whose texts almost never repeat (comments, references) gains
/// nothing from the index and pays a cache miss per text for it: when the
/// first 65,536 distinct texts came from hardly more lookups, the index stops
/// there and later texts are added without a look-up (the caches in front of
/// it still find a text handed in again soon), so a text seen again may get a
/// second id. Ids are then names of texts, not of distinct texts:
/// users compare the texts (sorting ranks equal texts alike).
class StringPool final
{
public:
    /// The id of text, adding it when new.
    quint32 intern(const QString &text)
    {
        ++m_lookups;
        // Loaders mostly hand in the same few QString objects again and again
        // (a report sets one filter text on many rows): recognise those by
        // their buffer before hashing the characters. Only buffers the pool
        // itself keeps are remembered, so a remembered buffer is never freed
        // and reused for another text while the pool lives.
        const Buffer &buffer = m_buffers[slotOf(text.constData(), m_bufferBits)];
        if (buffer.data == text.constData() && quint64(buffer.size) == quint64(text.size()))
            return buffer.id;
        return internSlow(text);
    }
    /// The id of a UTF-8 text, as intern(QString::fromUtf8(bytes, length)).
    /// A column's repeated texts (currency codes, dealer names) are found by
    /// their bytes, without making a QString, when they are ASCII.
    quint32 internUtf8(const char *bytes, qsizetype length);
    const QString &at(quint32 id) const { return m_strings[id]; }
    std::size_t count() const { return m_strings.size(); }
    /// Bytes held by the strings and the index, approximately.
    std::size_t byteSize() const;

private:
    quint32 internSlow(const QString &text);
    /// A cache slot from the buffer address; multiplying spreads buffers that
    /// an allocator placed at regular distances over all the slots.
    static std::size_t slotOf(const QChar *data, int bits)
    {
        return std::size_t((quint64(quintptr(data)) * 0x9E3779B97F4A7C15ULL) >> (64 - bits));
    }
    /// Remembers text's buffer for id when it is the buffer the pool keeps.
    void rememberBuffer(const QString &text, quint32 id);
    /// Grows the cache with the number of distinct texts, so that a column of
    /// thousands of different texts (a filter per row group) still finds them
    /// by their buffer rather than by hashing their characters.
    void growBuffers();

    static constexpr quint32 Unused = 0xFFFFFFFF;
    /// A buffer of one of m_strings: its characters' address, length and id.
    /// Plain values, no reference: m_strings keeps the buffer alive.
    struct Buffer
    {
        const QChar *data = nullptr;
        quint32 size = Unused;   ///< no text is remembered with this size
        quint32 id = 0;
    };
    static constexpr int MinBufferBits = 8;
    static constexpr int MaxBufferBits = 14;

    /// The index of the texts by their hash: open addressing over slots that
    /// hold a text's hash with its id, so that probing compares hashes before
    /// texts and growing never hashes a text again. Kept at most half full.
    struct Slot
    {
        quint32 hash = 0;
        quint32 id = Unused;
    };
    static constexpr std::size_t MinSlots = 64;
    /// Distinct texts after which the pool judges whether the index pays.
    static constexpr std::size_t TextsBeforeJudging = 65536;
    /// Adds text under a new id, to the index unless it is closed.
    quint32 add(const QString &text, std::size_t slot, quint32 hash);
    /// The ids of UTF-8 texts seen lately, by the hash of their bytes; made
    /// on the first internUtf8(). A slot is only a hint: the text it names is
    /// compared with the bytes.
    static constexpr std::size_t RecentUtf8Slots = 1024;
    std::vector<Slot> m_recentUtf8;
    void growIndex();

    std::vector<QString> m_strings;
    std::vector<Slot> m_index = std::vector<Slot>(MinSlots);
    std::size_t m_lookups = 0;   ///< texts handed in, found or not
    bool m_indexClosed = false;  ///< the texts almost never repeat: new ones stay out of the index
    int m_bufferBits = MinBufferBits;
    std::vector<Buffer> m_buffers = std::vector<Buffer>(std::size_t(1) << MinBufferBits);
};

} // namespace data

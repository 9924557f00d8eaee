#include "StringPool.h"

#include <QHashFunctions>

namespace data {

namespace {

/// Whether text is the ASCII text of bytes; false for any other byte.
bool isAsciiText(const QString &text, const char *bytes, qsizetype length)
{
    if (text.size() != length)
        return false;
    const ushort *chars = text.utf16();
    for (qsizetype i = 0; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 0x80 || chars[i] != byte)
            return false;
    }
    return true;
}

} // namespace

quint32 StringPool::internSlow(const QString &text)
{
    if (m_indexClosed)
        return add(text, 0, 0);
    const quint32 hash = quint32(qHash(text));
    std::size_t mask = m_index.size() - 1;
    std::size_t slot = hash & mask;
    for (; m_index[slot].id != Unused; slot = (slot + 1) & mask) {
        const Slot &probe = m_index[slot];
        if (probe.hash == hash && m_strings[probe.id] == text) {
            rememberBuffer(text, probe.id);
            return probe.id;
        }
    }
    return add(text, slot, hash);
}

quint32 StringPool::add(const QString &text, std::size_t slot, quint32 hash)
{
    const quint32 id = quint32(m_strings.size());
    // A string over foreign memory (QString::fromRawData) is copied: the
    // pool outlives whatever buffer the caller lent.
    const bool borrowed = !text.isEmpty() && !text.data_ptr().isMutable();
    m_strings.push_back(borrowed ? QString(text.constData(), text.size()) : text);
    if (!m_indexClosed) {
        m_index[slot] = {hash, id};
        if (m_strings.size() * 2 > m_index.size())
            growIndex();
        // Nearly every text handed in was new (at least 95%): stop indexing.
        if (m_strings.size() == TextsBeforeJudging)
            m_indexClosed = m_strings.size() * 20 >= m_lookups * 19;
    }
    if (m_strings.size() * 2 > m_buffers.size() && m_bufferBits < MaxBufferBits)
        growBuffers();
    rememberBuffer(text, id);
    return id;
}

quint32 StringPool::internUtf8(const char *bytes, qsizetype length)
{
    ++m_lookups;
    if (m_recentUtf8.empty())
        m_recentUtf8.resize(RecentUtf8Slots);
    const quint32 hash = quint32(qHashBits(bytes, std::size_t(length)));
    Slot &recent = m_recentUtf8[hash & (RecentUtf8Slots - 1)];
    if (recent.id != Unused && recent.hash == hash && isAsciiText(m_strings[recent.id], bytes, length))
        return recent.id;
    // A text just decoded has a buffer of its own: no use asking the buffer cache.
    const quint32 id = internSlow(QString::fromUtf8(bytes, length));
    recent = {hash, id};
    return id;
}

void StringPool::growIndex()
{
    std::vector<Slot> slots(m_index.size() * 2);
    const std::size_t mask = slots.size() - 1;
    for (const Slot &s : m_index) {
        if (s.id == Unused)
            continue;
        std::size_t slot = s.hash & mask;
        while (slots[slot].id != Unused)
            slot = (slot + 1) & mask;
        slots[slot] = s;
    }
    m_index = std::move(slots);
}

void StringPool::rememberBuffer(const QString &text, quint32 id)
{
    // A buffer the pool does not keep could be freed after this call and its
    // address reused for another text, so it is not worth (nor safe) keeping.
    // The empty string is left out: every empty QString shares one address.
    const QString &kept = m_strings[id];
    if (text.isEmpty() || quint64(text.size()) >= Unused || kept.constData() != text.constData()
        || kept.size() != text.size())
        return;
    Buffer &buffer = m_buffers[slotOf(text.constData(), m_bufferBits)];
    buffer.data = text.constData();
    buffer.size = quint32(text.size());
    buffer.id = id;
}

void StringPool::growBuffers()
{
    ++m_bufferBits;
    // Forgetting the remembered buffers is fine: they are found again on first use.
    m_buffers.assign(std::size_t(1) << m_bufferBits, Buffer());
}

std::size_t StringPool::byteSize() const
{
    // Each distinct text: its QString handle and its shared buffer (header,
    // UTF-16 characters and terminator); then the index's slots.
    constexpr std::size_t bufferHeader = 16;
    std::size_t bytes = m_strings.capacity() * sizeof(QString) + (m_index.capacity() + m_recentUtf8.capacity()) * sizeof(Slot);
    for (const QString &s : m_strings)
        bytes += bufferHeader + (std::size_t(s.capacity()) + 1) * sizeof(char16_t);
    return bytes;
}

} // namespace data

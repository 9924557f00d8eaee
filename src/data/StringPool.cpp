#include "StringPool.h"

namespace data {

quint32 StringPool::internSlow(const QString &text)
{
    auto it = m_index.constFind(text);
    quint32 id;
    if (it != m_index.constEnd()) {
        id = it.value();
    } else {
        id = quint32(m_strings.size());
        // A string over foreign memory (QString::fromRawData) is copied: the
        // pool outlives whatever buffer the caller lent.
        const bool borrowed = !text.isEmpty() && !text.data_ptr().isMutable();
        m_strings.push_back(borrowed ? QString(text.constData(), text.size()) : text);
        m_index.insert(m_strings.back(), id);
        if (m_strings.size() * 2 > m_recent.size() && m_recentBits < MaxRecentBits)
            growRecent();
    }
    // Only buffers the cache can keep alive are worth remembering.
    if (text.data_ptr().isMutable()) {
        Recent &recent = m_recent[slotOf(text, m_recentBits)];
        recent.text = text;
        recent.id = id;
    }
    return id;
}

void StringPool::growRecent()
{
    ++m_recentBits;
    // Forgetting the cached buffers is fine: they are found again on first use.
    m_recent.assign(std::size_t(1) << m_recentBits, Recent());
}

std::size_t StringPool::byteSize() const
{
    // Each distinct text: its QString handle, its shared buffer (header, UTF-16
    // characters and terminator) and one hash node holding another handle.
    constexpr std::size_t bufferHeader = 16;
    constexpr std::size_t hashNode = sizeof(QString) + sizeof(quint32) + 16;
    std::size_t bytes = m_strings.capacity() * sizeof(QString);
    for (const QString &s : m_strings)
        bytes += bufferHeader + (std::size_t(s.capacity()) + 1) * sizeof(char16_t) + hashNode;
    return bytes;
}

} // namespace data

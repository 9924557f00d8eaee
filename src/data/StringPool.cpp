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
        if (m_strings.size() * 2 > m_buffers.size() && m_bufferBits < MaxBufferBits)
            growBuffers();
    }
    rememberBuffer(text, id);
    return id;
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

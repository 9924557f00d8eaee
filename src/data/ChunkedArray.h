#pragma once

#include <cstddef>
#include <vector>

namespace data {

/// A growable array stored in blocks of 65,536 elements, for recordset columns.
///
/// A single std::vector would copy the whole column at every doubling and keep
/// up to half its capacity unused; here only the first block grows by
/// doubling (small recordsets stay small) and every later block is allocated
/// once at full size, so a large column wastes at most one partly used block
/// and is never copied while it grows.
template <typename T>
class ChunkedArray final
{
public:
    static constexpr int Shift = 16;
    static constexpr std::size_t BlockSize = std::size_t(1) << Shift;
    static constexpr std::size_t Mask = BlockSize - 1;

    std::size_t size() const { return m_size; }

    const T &operator[](std::size_t i) const { return m_blocks[i >> Shift][i & Mask]; }
    T &operator[](std::size_t i) { return m_blocks[i >> Shift][i & Mask]; }

    void push_back(const T &value)
    {
        if ((m_size >> Shift) == m_blocks.size()) {
            m_blocks.emplace_back();
            if (m_blocks.size() > 1)
                m_blocks.back().reserve(BlockSize);
        }
        m_blocks.back().push_back(value);
        ++m_size;
    }

    /// Bytes held, counting unused capacity.
    std::size_t byteSize() const
    {
        std::size_t bytes = m_blocks.capacity() * sizeof(std::vector<T>);
        for (const auto &block : m_blocks)
            bytes += block.capacity() * sizeof(T);
        return bytes;
    }

private:
    std::vector<std::vector<T>> m_blocks;
    std::size_t m_size = 0;
};

} // namespace data

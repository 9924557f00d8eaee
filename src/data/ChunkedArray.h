#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace data {

/// A growable array stored in blocks of 65,536 elements, for recordset columns.
///
/// A single std::vector would copy the whole column at every doubling and keep
/// up to half its capacity unused; here only the first block grows by
/// doubling (small recordsets stay small) and every later block is allocated
/// once at full size, so a large column wastes at most one partly used block
/// and is never copied while it grows. The owner grows it ahead of use
/// (RecordsetStorage doubles its row capacity up to one block, then adds
/// blocks), so appending a row touches no array.
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

    /// Grows to n elements (never shrinks); the new elements are zero.
    void growTo(std::size_t n)
    {
        while (m_size < n) {
            if (m_blocks.empty() || m_blocks.back().size() == BlockSize) {
                m_blocks.emplace_back();
                if (m_blocks.size() > 1)
                    m_blocks.back().reserve(BlockSize);
            }
            std::vector<T> &block = m_blocks.back();
            const std::size_t take = std::min(BlockSize - block.size(), n - m_size);
            block.resize(block.size() + take);
            m_size += take;
        }
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

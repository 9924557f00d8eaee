#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
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
///
/// Blocks come zeroed from calloc: fresh memory from the system is zero
/// already, so a large column is written once (by its values) rather than
/// first cleared and then written.
template <typename T>
class ChunkedArray final
{
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>,
                  "blocks are raw zeroed memory");

public:
    static constexpr int Shift = 16;
    static constexpr std::size_t BlockSize = std::size_t(1) << Shift;
    static constexpr std::size_t Mask = BlockSize - 1;

    /// Elements available: at least what growTo() asked for, whole blocks past the first.
    std::size_t size() const { return m_size; }

    const T &operator[](std::size_t i) const { return m_blocks[i >> Shift].get()[i & Mask]; }
    T &operator[](std::size_t i) { return m_blocks[i >> Shift].get()[i & Mask]; }

    /// Grows to at least n elements (never shrinks); the new elements are zero.
    void growTo(std::size_t n)
    {
        if (n <= m_size)
            return;
        if (m_size < BlockSize) {
            // The first block grows to what is asked, up to a full block.
            const std::size_t first = std::min(n, BlockSize);
            Block grown = allocate(first);
            if (!m_blocks.empty())
                std::memcpy(grown.get(), m_blocks.front().get(), m_size * sizeof(T));
            else
                m_blocks.emplace_back();
            m_blocks.front() = std::move(grown);
            m_size = first;
        }
        while (m_size < n) {
            m_blocks.push_back(allocate(BlockSize));
            m_size += BlockSize;
        }
    }

    /// Bytes held, counting unused capacity.
    std::size_t byteSize() const
    {
        return m_blocks.capacity() * sizeof(Block) + m_size * sizeof(T);
    }

private:
    struct Free
    {
        void operator()(T *p) const { std::free(p); }
    };
    using Block = std::unique_ptr<T[], Free>;

    static Block allocate(std::size_t count)
    {
        void *p = std::calloc(count, sizeof(T));
        if (!p)
            throw std::bad_alloc();
        return Block(static_cast<T *>(p));
    }

    std::vector<Block> m_blocks;
    std::size_t m_size = 0;
};

} // namespace data

#pragma once

#include "ReportDocument.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <vector>

/// Rows handed from one thread to another in blocks, a bounded number of
/// blocks at a time: one thread takes an export's rows from the grid's copy
/// while another writes those taken before, so that the two costs overlap
/// instead of adding up, and memory holds a few blocks, not the result.
///
/// One producer (push, finish) and one consumer (next, stop).
class RowPipe final
{
public:
    static constexpr std::size_t BlockRows = 512;
    explicit RowPipe(std::size_t maxBlocks = 8) : m_maxBlocks(maxBlocks) {}

    /// Adds a row, waiting while the pipe is full. False once the consumer
    /// has stopped: the rest is not wanted.
    bool push(ReportRow &&row);
    /// No more rows: the consumer gets those pushed, then the end.
    void finish();

    /// The next row, waiting for one; false at the end.
    bool next(ReportRow *row);
    /// Takes no more rows: next() gives none, a producer waiting goes on,
    /// and its pushes fail.
    void stop();

private:
    /// Hands the block being filled over; the caller holds no lock.
    bool hand(bool last);

    const std::size_t m_maxBlocks;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::vector<ReportRow>> m_blocks;   // filled, not yet taken
    bool m_finished = false;
    bool m_stopped = false;
    // Each side's own block, touched by that side only.
    std::vector<ReportRow> m_filling;
    std::vector<ReportRow> m_taking;
    std::size_t m_taken = 0;
};

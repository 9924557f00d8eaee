#include "RowPipe.h"

bool RowPipe::push(ReportRow &&row)
{
    m_filling.push_back(std::move(row));
    return m_filling.size() < BlockRows || hand(false);
}

void RowPipe::finish()
{
    hand(true);
}

bool RowPipe::hand(bool last)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stopped || m_blocks.size() < m_maxBlocks; });
    if (!m_filling.empty() && !m_stopped)
        m_blocks.push_back(std::move(m_filling));
    m_filling.clear();
    m_finished = m_finished || last;
    m_changed.notify_all();
    return !m_stopped;
}

bool RowPipe::next(ReportRow *row)
{
    if (m_taken == m_taking.size()) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_stopped || m_finished || !m_blocks.empty(); });
        if (m_stopped || m_blocks.empty())
            return false;
        m_taking = std::move(m_blocks.front());
        m_blocks.pop_front();
        m_taken = 0;
        m_changed.notify_all();
    }
    *row = std::move(m_taking[m_taken++]);
    return true;
}

void RowPipe::stop()
{
    m_taking.clear();   // the consumer's own: nothing more comes out
    m_taken = 0;
    std::lock_guard lock(m_mutex);
    m_stopped = true;
    m_blocks.clear();
    m_changed.notify_all();
}

#pragma once

#include <atomic>
#include <chrono>

namespace data {

/// The shared switches of one running command: a cancel request and a
/// deadline. The thread running the command polls them (through the driver's
/// progress and busy hooks); any thread may cancel. Lock free, so a driver may
/// look at it every few thousand virtual-machine steps.
class ExecutionControl final
{
public:
    using Clock = std::chrono::steady_clock;

    ExecutionControl() = default;
    /// A control whose deadline lies timeoutSeconds from now; 0 or less: no limit.
    explicit ExecutionControl(int timeoutSeconds) { setTimeout(timeoutSeconds); }
    ExecutionControl(const ExecutionControl &) = delete;
    ExecutionControl &operator=(const ExecutionControl &) = delete;

    void setTimeout(int timeoutSeconds)
    {
        m_deadline.store(timeoutSeconds > 0
                             ? (Clock::now() + std::chrono::seconds(timeoutSeconds)).time_since_epoch().count()
                             : 0,
                         std::memory_order_relaxed);
    }

    void cancel() { m_cancelled.store(true, std::memory_order_relaxed); }
    bool isCancelled() const { return m_cancelled.load(std::memory_order_relaxed); }

    /// True once the deadline has passed; remembered, so the caller can tell a
    /// time-out from a cancel after the statement stopped.
    bool isTimedOut() const
    {
        if (m_timedOut.load(std::memory_order_relaxed))
            return true;
        const auto deadline = m_deadline.load(std::memory_order_relaxed);
        if (deadline == 0 || Clock::now().time_since_epoch().count() < deadline)
            return false;
        m_timedOut.store(true, std::memory_order_relaxed);
        return true;
    }

    /// True when the running command should stop now.
    bool shouldStop() const { return isCancelled() || isTimedOut(); }

private:
    std::atomic<bool> m_cancelled{false};
    mutable std::atomic<bool> m_timedOut{false};
    std::atomic<Clock::rep> m_deadline{0};
};

} // namespace data

#pragma once

#include "marvolt_export.h"

#include "Connection.h"

#include <QString>

#include <memory>
#include <mutex>
#include <vector>

/// The open read-only connections a report's runs leave for the next run.
///
/// Opening a connection and giving it its private filter tables costs about
/// as much as a small day's report itself; a run that ended well hands its
/// connection back here and the next run of the report takes it, with its
/// prepared statements and its private tables (which the next run empties
/// before storing its own selections, see FilterStore::createRunScope). A
/// run that failed or was cancelled closes its connection instead: its state
/// is not trusted.
///
/// A connection is handed out to one run at a time, so runs never share
/// one; the pool keeps at most Capacity idle connections and closes the
/// rest. A connection given back is detached from its worker's thread and
/// taken up by the thread that takes it. One kept for another connection
/// string, or whose database was replaced since it opened, is closed rather
/// than handed out.
///
/// Thread-safe.
class MARVOLT_EXPORT RunConnectionPool final
{
public:
    static constexpr size_t Capacity = 2;

    RunConnectionPool() = default;
    ~RunConnectionPool();
    RunConnectionPool(const RunConnectionPool &) = delete;
    RunConnectionPool &operator=(const RunConnectionPool &) = delete;

    /// An idle connection opened with connectionString, now belonging to
    /// the calling thread; null when there is none.
    std::unique_ptr<data::Connection> take(const QString &connectionString);
    /// Keeps an open connection for a later run.
    void give(std::unique_ptr<data::Connection> connection);
    /// How many connections are idle.
    size_t idleCount() const;

private:
    mutable std::mutex m_mutex;
    std::vector<std::unique_ptr<data::Connection>> m_idle;
};

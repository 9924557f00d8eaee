#include "RunConnectionPool.h"

#include <QThread>

RunConnectionPool::~RunConnectionPool()
{
    for (const auto &connection : m_idle)
        connection->moveToThread(QThread::currentThread());
}

std::unique_ptr<data::Connection> RunConnectionPool::take(const QString &connectionString)
{
    std::vector<std::unique_ptr<data::Connection>> unusable;
    std::unique_ptr<data::Connection> found;
    {
        std::lock_guard lock(m_mutex);
        while (!m_idle.empty() && !found) {
            std::unique_ptr<data::Connection> connection = std::move(m_idle.back());
            m_idle.pop_back();
            if (connection->ConnectionString() == connectionString && !connection->isStale())
                found = std::move(connection);
            else
                unusable.push_back(std::move(connection));
        }
    }
    // An object without a thread may be pulled to the current one.
    if (found)
        found->moveToThread(QThread::currentThread());
    for (const auto &connection : unusable)
        connection->moveToThread(QThread::currentThread());
    return found;
}

void RunConnectionPool::give(std::unique_ptr<data::Connection> connection)
{
    if (!connection || connection->State() != data::adStateOpen)
        return;
    // Detached, so that a thread of another run can take it up.
    connection->moveToThread(nullptr);
    std::unique_ptr<data::Connection> surplus;
    {
        std::lock_guard lock(m_mutex);
        m_idle.push_back(std::move(connection));
        if (m_idle.size() > Capacity) {
            surplus = std::move(m_idle.front());
            m_idle.erase(m_idle.begin());
        }
    }
    if (surplus)
        surplus->moveToThread(QThread::currentThread());
}

size_t RunConnectionPool::idleCount() const
{
    std::lock_guard lock(m_mutex);
    return m_idle.size();
}

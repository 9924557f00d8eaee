#include "SqliteStatementCache.h"

#include <sqlite3.h>

namespace data {

void SqliteStatementCache::Finalizer::operator()(sqlite3_stmt *stmt) const
{
    sqlite3_finalize(stmt);
}

SqliteStatementCache::SqliteStatementCache(qsizetype capacity) : m_capacity(qMax<qsizetype>(1, capacity))
{
}

SqliteStatementCache::~SqliteStatementCache() = default;

const std::vector<sqlite3_stmt *> *SqliteStatementCache::find(const QByteArray &script)
{
    const auto it = m_entries.constFind(script);
    if (it == m_entries.cend())
        return nullptr;
    for (sqlite3_stmt *stmt : (*it)->handles) {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
    }
    return &(*it)->handles;
}

void SqliteStatementCache::insert(const QByteArray &script, std::vector<Statement> statements)
{
    if (!m_entries.contains(script) && m_entries.size() >= m_capacity)
        clear();
    auto entry = std::make_shared<Entry>();
    for (Statement &stmt : statements) {
        sqlite3_reset(stmt.get());
        sqlite3_clear_bindings(stmt.get());
        entry->handles.push_back(stmt.get());
        entry->owned.push_back(std::move(stmt));
    }
    m_entries.insert(script, std::move(entry));
}

void SqliteStatementCache::clear()
{
    m_entries.clear();
}

} // namespace data

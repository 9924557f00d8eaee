#include "SqliteResultBuilder.h"

#include "SqliteValues.h"

#include <sqlite3.h>

#include <memory>
#include <vector>

namespace data {

SqliteResultBuilder::SqliteResultBuilder(sqlite3_stmt *stmt, const QList<ProcedureColumn> *declared)
    : m_stmt(stmt), m_declared(declared)
{
    const int n = sqlite3_column_count(stmt);
    for (int i = 0; i < n; ++i) {
        QString name = QString::fromUtf8(sqlite3_column_name(stmt, i));
        if (name.isEmpty())
            name = QStringLiteral("Expr%1").arg(i + 1);
        if (m_names.contains(name, Qt::CaseInsensitive)) {
            int suffix = 2;
            while (m_names.contains(name + u'_' + QString::number(suffix), Qt::CaseInsensitive))
                ++suffix;
            name += u'_' + QString::number(suffix);
        }

        std::optional<DataType> type;
        if (m_declared) {
            for (const ProcedureColumn &c : *m_declared) {
                if (c.name.compare(name, Qt::CaseInsensitive) == 0) {
                    type = c.type;
                    break;
                }
            }
        }
        if (!type)
            type = SqliteValues::typeFromDeclaration(sqlite3_column_decltype(stmt, i));
        m_names.append(name);
        m_types.append(type.value_or(DataType::VarWChar));
        m_resolved.append(type.has_value());
    }
}

RecordsetPtr SqliteResultBuilder::createRecordset() const
{
    auto rs = std::make_shared<Recordset>();
    rs->setCursorLocation(adUseClient);
    rs->setCursorType(adOpenStatic);
    for (qsizetype i = 0; i < m_names.size(); ++i)
        rs->Fields().Append(m_names[i], m_types[i], 0, adFldMayBeNull);
    rs->Open();
    return rs;
}

int SqliteResultBuilder::build(RecordsetPtr *result)
{
    const int n = int(m_names.size());
    qsizetype unresolved = m_resolved.count(false);

    // Rows read before every field type is known wait here.
    std::vector<std::vector<SqliteValues::Cell>> held;
    RecordsetPtr rs;
    std::unique_ptr<RecordsetLoader> loader;

    auto flushHeld = [&] {
        rs = createRecordset();
        loader = std::make_unique<RecordsetLoader>(*rs);
        for (const auto &row : held) {
            loader->beginRow();
            for (int i = 0; i < n; ++i)
                SqliteValues::load(*loader, i, m_types[i], row[size_t(i)]);
            loader->endRow();
        }
        held.clear();
    };

    if (unresolved == 0)
        flushHeld();

    int rc;
    while ((rc = sqlite3_step(m_stmt)) == SQLITE_ROW) {
        if (loader) {
            loader->beginRow();
            for (int i = 0; i < n; ++i)
                SqliteValues::load(*loader, i, m_types[i], SqliteValues::readCell(m_stmt, i));
            loader->endRow();
            continue;
        }
        std::vector<SqliteValues::Cell> row(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            row[size_t(i)] = SqliteValues::readCell(m_stmt, i);
            if (!m_resolved[i] && row[size_t(i)].storage != SQLITE_NULL) {
                m_types[i] = SqliteValues::typeFromStorage(row[size_t(i)].storage);
                m_resolved[i] = true;
                --unresolved;
            }
        }
        held.push_back(std::move(row));
        if (unresolved == 0)
            flushHeld();
    }
    if (rc != SQLITE_DONE)
        return rc;
    if (!loader)
        flushHeld();   // columns null throughout keep VarWChar
    loader.reset();
    *result = std::move(rs);
    return SQLITE_DONE;
}

} // namespace data

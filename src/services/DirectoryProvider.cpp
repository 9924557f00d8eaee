#include "DirectoryProvider.h"

#include "SessionContext.h"

#include "Connection.h"
#include "Recordset.h"

namespace {

std::unique_ptr<DirectoryProvider> g_instance;

} // namespace

DirectoryProvider &DirectoryProvider::instance()
{
    if (!g_instance)
        g_instance = std::make_unique<DirectoryProvider>();
    return *g_instance;
}

void DirectoryProvider::setInstance(std::unique_ptr<DirectoryProvider> provider)
{
    g_instance = std::move(provider);
}

void DirectoryProvider::Refresh()
{
    m_tables.clear();
    m_categories.clear();
    m_categoriesCached = false;
}

void DirectoryProvider::checkSession()
{
    const QString current = SessionContext::instance().ConnectionString();
    if (current != m_cachedFor) {
        Refresh();
        m_cachedFor = current;
    }
}

data::Connection *DirectoryProvider::connection()
{
    SessionContext &session = SessionContext::instance();
    if (!session.isOpen()) {
        m_lastError = data::makeError(data::Error::ObjectClosed,
                                      QStringLiteral("There is no open session with the trading database"),
                                      QStringLiteral("DirectoryProvider"));
        return nullptr;
    }
    return session.SessionConnection();
}

TwoRowTable DirectoryProvider::cachedTable(const QString &key, const QString &sql, int textField,
                                           int idField)
{
    checkSession();
    const auto cached = m_tables.constFind(key);
    if (cached != m_tables.constEnd()) {
        m_lastError.reset();
        return *cached;
    }
    data::Connection *conn = connection();
    if (!conn)
        return {};
    data::RecordsetPtr rs = conn->Execute(sql);
    if (!rs && conn->lastError()) {
        m_lastError = conn->lastError();
        return {};
    }
    m_lastError.reset();
    const TwoRowTable table = rs ? TwoRowTable::fromRecordset(*rs, textField, idField) : TwoRowTable();
    m_tables.insert(key, table);
    return table;
}

TwoRowTable DirectoryProvider::CurrencyList(bool flag)
{
    Q_UNUSED(flag)
    return cachedTable(QStringLiteral("currencies"),
                       QStringLiteral("SELECT Ccy, CcyID FROM Currencies ORDER BY SortOrder, Ccy"), 0,
                       1);
}

TwoRowTable DirectoryProvider::PairList(bool flag)
{
    Q_UNUSED(flag)
    return cachedTable(QStringLiteral("pairs"),
                       QStringLiteral("SELECT Name, PairID FROM Pairs ORDER BY SortOrder, Name"), 0, 1);
}

TwoRowTable DirectoryProvider::DealerList(bool activeOnly)
{
    if (activeOnly) {
        return cachedTable(QStringLiteral("dealers-active"),
                           QStringLiteral("SELECT ShortName, StaffID FROM Staff "
                                          "WHERE IsDealer = 1 AND Active = 1 ORDER BY ShortName"),
                           0, 1);
    }
    return cachedTable(QStringLiteral("dealers-all"),
                       QStringLiteral("SELECT ShortName, StaffID FROM Staff "
                                      "WHERE IsDealer = 1 ORDER BY ShortName"),
                       0, 1);
}

TwoRowTable DirectoryProvider::TCIDList()
{
    return cachedTable(QStringLiteral("tcids"),
                       QStringLiteral("SELECT TCID FROM TCIDs ORDER BY TCID"), 0, 0);
}

TwoRowTable DirectoryProvider::StatusList(bool &allStatuses)
{
    const TwoRowTable table =
        allStatuses
            ? cachedTable(QStringLiteral("statuses-all"),
                          QStringLiteral("SELECT Name, StatusID FROM Statuses ORDER BY StatusID DESC"),
                          0, 1)
            : cachedTable(QStringLiteral("statuses-live"),
                          QStringLiteral("SELECT Name, StatusID FROM Statuses WHERE StatusID >= 0 "
                                         "ORDER BY StatusID DESC"),
                          0, 1);
    if (m_lastError)
        allStatuses = false;
    return table;
}

QList<CategoryRecord> DirectoryProvider::CategoryList()
{
    checkSession();
    if (m_categoriesCached) {
        m_lastError.reset();
        return m_categories;
    }
    data::Connection *conn = connection();
    if (!conn)
        return {};

    const auto read = [&](const QString &sql) {
        data::RecordsetPtr rs = conn->Execute(sql);
        if (!rs) {
            m_lastError = conn->lastError();
            // A statement that returns no columns gives no recordset without an error.
            if (!m_lastError)
                m_lastError = data::makeError(data::Error::Unspecified,
                                              QStringLiteral("No result from: ") + sql,
                                              QStringLiteral("DirectoryProvider"));
        }
        return rs;
    };
    // Three plain reads rather than one join: a category may have neither
    // counterparties nor attributes and must still be listed.
    const data::RecordsetPtr categories =
        read(QStringLiteral("SELECT CategoryID, Name FROM Categories ORDER BY Name"));
    const data::RecordsetPtr entries = categories ? read(QStringLiteral(
        "SELECT CategoryID, Entry FROM CategoryEntries ORDER BY CategoryID, Entry")) : nullptr;
    const data::RecordsetPtr attributes = entries ? read(QStringLiteral(
        "SELECT CategoryID, Attribute, Value FROM CategoryAttributes "
        "ORDER BY CategoryID, Attribute, Value")) : nullptr;
    if (!attributes)
        return {};
    m_lastError.reset();

    QList<CategoryRecord> records;
    QHash<qint64, int> indexOfCategory;
    for (categories->MoveFirst(); !categories->Eof(); categories->MoveNext()) {
        indexOfCategory.insert(categories->Fields(0).value().toInt64(), int(records.size()));
        records.append(CategoryRecord{categories->Fields(1).value().toString(), {}, {}});
    }
    for (entries->MoveFirst(); !entries->Eof(); entries->MoveNext()) {
        const int index = indexOfCategory.value(entries->Fields(0).value().toInt64(), -1);
        if (index >= 0)
            records[index].Entries.append(entries->Fields(1).value().toString());
    }
    for (attributes->MoveFirst(); !attributes->Eof(); attributes->MoveNext()) {
        const int index = indexOfCategory.value(attributes->Fields(0).value().toInt64(), -1);
        if (index < 0)
            continue;
        QList<CategoryRecord::Attribute> &list = records[index].Attributes;
        const QString name = attributes->Fields(1).value().toString();
        if (list.isEmpty() || list.constLast().Name != name)
            list.append(CategoryRecord::Attribute{name, {}});
        list.last().Values.append(attributes->Fields(2).value().toString());
    }
    m_categories = records;
    m_categoriesCached = true;
    return records;
}

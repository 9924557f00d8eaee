#include "SessionContext.h"

#include "MessageService.h"

#include "Command.h"
#include "DateTime.h"
#include "Recordset.h"

#include <QSet>

Q_LOGGING_CATEGORY(lcSession, "marvolt.session")
Q_LOGGING_CATEGORY(lcTrace, "marvolt.trace")

namespace {

std::unique_ptr<SessionContext> g_instance;

const QString kAll = QStringLiteral("All");

} // namespace

SessionContext::SessionContext() : m_connection(std::make_unique<data::Connection>())
{
}

SessionContext::~SessionContext() = default;

SessionContext &SessionContext::instance()
{
    if (!g_instance)
        g_instance = std::make_unique<SessionContext>();
    return *g_instance;
}

void SessionContext::setInstance(std::unique_ptr<SessionContext> session)
{
    g_instance = std::move(session);
}

bool SessionContext::OpenSession(const QString &connectionString)
{
    CloseSession();
    m_lastError.reset();
    if (!m_connection->Open(connectionString)) {
        m_lastError = m_connection->lastError();
        qCWarning(lcSession).noquote()
            << "The session connection cannot be opened:"
            << (m_lastError ? m_lastError->Description : QString());
        return false;
    }
    return true;
}

void SessionContext::CloseSession()
{
    if (m_connection->State() == data::adStateClosed)
        return;
    // A command still running on the session connection would keep Close()
    // from succeeding; the session is being given up, so it is cancelled.
    if (!m_connection->Close()) {
        m_connection->Cancel();
        m_connection->Close();
    }
}

TwoRowTable SessionContext::AttributeList()
{
    if (!isOpen())
        return {};
    data::RecordsetPtr rs = m_connection->Execute(
        QStringLiteral("SELECT Name, AttributeID FROM Attributes ORDER BY Name"));
    if (!rs) {
        const data::ErrorPtr error = m_connection->lastError();
        qCWarning(lcSession).noquote() << "The attribute list cannot be read:"
                                       << (error ? error->Description : QString());
        return {};
    }
    return TwoRowTable::fromRecordset(*rs, 0, 1);
}

void SessionContext::ReportError(int number, const QString &text)
{
    qCWarning(lcSession).noquote() << "Error" << number << text;
    MessageService::instance().ShowError(text);
}

void SessionContext::Trace(const QString &text)
{
    qCInfo(lcTrace).noquote() << text;
}

bool SessionContext::SelectCategories(QStringList &keys, QString &title)
{
    if (!m_categorySelector) {
        qCWarning(lcSession) << "No category selection dialog is installed";
        return false;
    }
    return m_categorySelector(keys, title);
}

// ---- filter store

bool SessionContext::reportStore(FilterStore &store, bool stored)
{
    m_lastError.reset();
    if (stored)
        return true;
    m_lastError = store.lastError();
    ReportError(m_lastError->Number, QStringLiteral("Marvolt. ") + store.failedProcedure()
                                         + QStringLiteral(". ") + QStringLiteral("\r\n")
                                         + m_lastError->Description);
    return false;
}

bool SessionContext::StoreDateRange(QDate from, QDate to, int owner, int kind)
{
    FilterStore store = filterStore(owner);
    return reportStore(store, store.StoreDateRange(from, to, kind));
}

bool SessionContext::StoreCondition(const QString &text, int owner, int kind)
{
    FilterStore store = filterStore(owner);
    return reportStore(store, store.StoreCondition(text, kind));
}

bool SessionContext::StoreTCIDF(const QStringList &tcids, int owner)
{
    FilterStore store = filterStore(owner);
    return reportStore(store, store.StoreTCIDF(tcids));
}

bool SessionContext::StoreAttributeF(const QVariantList &attributeIds, int owner)
{
    FilterStore store = filterStore(owner);
    return reportStore(store, store.StoreAttributeF(attributeIds));
}

bool SessionContext::StoreDealTypeF(const QList<int> &codes, int owner)
{
    FilterStore store = filterStore(owner);
    return reportStore(store, store.StoreDealTypeF(codes));
}

bool SessionContext::StoreBankF(const QStringList &banks, int owner)
{
    FilterStore store = filterStore(owner);
    return reportStore(store, store.StoreBankF(banks));
}

QStringList SessionContext::CategoryFilter(const QStringList &categories)
{
    QStringList table;
    if (categories.isEmpty() || categories.constFirst() == kAll)
        return table;
    QSet<QString> seen;
    for (const QString &category : categories) {
        const QString key = category.trimmed();
        if (key.isEmpty() || seen.contains(key))
            continue;
        seen.insert(key);
        table.append(key);
    }
    return table;
}

bool SessionContext::StoreCategoryF(const QStringList &categoryTable, int owner)
{
    FilterStore store = filterStore(owner);
    return reportStore(store, store.StoreCategoryF(categoryTable));
}

bool SessionContext::StoreStatusF(const TwoRowTable &statuses, int owner)
{
    FilterStore store = filterStore(owner);
    return reportStore(store, store.StoreStatusF(statuses));
}

bool SessionContext::StorePairF(const QVariantList &pairIds, int owner)
{
    FilterStore store = filterStore(owner);
    return reportStore(store, store.StorePairF(pairIds));
}

bool SessionContext::StoreCcyF(const QVariantList &ccyIds, int owner)
{
    FilterStore store = filterStore(owner);
    return reportStore(store, store.StoreCcyF(ccyIds));
}

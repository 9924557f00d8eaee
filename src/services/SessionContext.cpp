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

bool SessionContext::runStore(const QString &procedure, int owner, const QList<Argument> &args)
{
    const auto fail = [&](const data::ErrorPtr &error) {
        m_lastError = error;
        ReportError(error->Number,
                    QStringLiteral("Marvolt. ") + procedure + QStringLiteral(". ")
                        + QStringLiteral("\r\n") + error->Description);
        return false;
    };
    m_lastError.reset();
    if (!isOpen()) {
        return fail(data::makeError(data::Error::ObjectClosed,
                                    QStringLiteral("There is no open session with the trading database"),
                                    QStringLiteral("SessionContext")));
    }
    data::Command cmd;
    cmd.setActiveConnection(m_connection.get());
    cmd.setCommandType(data::adCmdStoredProc);
    cmd.setCommandText(procedure);
    if (!cmd.Parameters().Refresh())
        return fail(cmd.lastError());

    QList<Argument> all;
    all.append({QStringLiteral("@UserName"), data::Value(m_userName)});
    all.append({QStringLiteral("@ownID"), data::Value(owner)});
    all.append(args);
    for (const Argument &arg : std::as_const(all)) {
        data::Parameter *parameter = cmd.Parameters().Item(arg.name);
        if (!parameter) {
            return fail(data::makeError(data::Error::ItemNotFound,
                                        procedure + QStringLiteral(" has no parameter ") + arg.name,
                                        QStringLiteral("SessionContext")));
        }
        parameter->setValue(arg.value);
    }
    cmd.Execute();
    if (cmd.lastError())
        return fail(cmd.lastError());
    return true;
}

bool SessionContext::joinList(const QString &procedure, const QStringList &entries, QChar separator,
                              data::Value *joined)
{
    *joined = data::Value::null(data::DataType::VarWChar);
    if (entries.isEmpty() || entries.constFirst() == kAll)
        return true;
    for (const QString &entry : entries) {
        if (entry.contains(separator)) {
            const data::ErrorPtr error = data::makeError(
                data::Error::InvalidArgument,
                QStringLiteral("The entry \"") + entry
                    + QStringLiteral("\" contains the list separator and cannot be stored"),
                QStringLiteral("SessionContext"));
            m_lastError = error;
            ReportError(error->Number, QStringLiteral("Marvolt. ") + procedure
                                           + QStringLiteral(". ") + QStringLiteral("\r\n")
                                           + error->Description);
            return false;
        }
    }
    *joined = data::Value(entries.join(separator));
    return true;
}

bool SessionContext::storeList(const QString &procedure, const QString &parameter,
                               const QStringList &entries, int owner, QChar separator)
{
    data::Value joined;
    if (!joinList(procedure, entries, separator, &joined))
        return false;
    return runStore(procedure, owner, {{parameter, joined}});
}

QStringList SessionContext::idTexts(const QVariantList &ids)
{
    QStringList texts;
    texts.reserve(ids.size());
    for (const QVariant &id : ids)
        texts.append(id.toString());
    return texts;
}

bool SessionContext::StoreDateRange(QDate from, QDate to, int owner, int kind)
{
    const auto bound = [](QDate date) {
        return date.isValid() ? data::Value(data::DateTime::fromDate(date))
                              : data::Value::null(data::DataType::Date);
    };
    return runStore(QStringLiteral("StoreDateRange"), owner,
                    {{QStringLiteral("@Kind"), data::Value(kind)},
                     {QStringLiteral("@DateFrom"), bound(from)},
                     {QStringLiteral("@DateTo"), bound(to)}});
}

bool SessionContext::StoreCondition(const QString &text, int owner, int kind)
{
    const data::Value condition =
        text.trimmed().isEmpty() ? data::Value::null(data::DataType::VarWChar) : data::Value(text);
    return runStore(QStringLiteral("StoreCondition"), owner,
                    {{QStringLiteral("@Kind"), data::Value(kind)},
                     {QStringLiteral("@Condition"), condition}});
}

bool SessionContext::StoreTCIDF(const QStringList &tcids, int owner)
{
    return storeList(QStringLiteral("StoreTCIDF"), QStringLiteral("@TCIDs"), tcids, owner);
}

bool SessionContext::StoreAttributeF(const QVariantList &attributeIds, int owner)
{
    return storeList(QStringLiteral("StoreAttributeF"), QStringLiteral("@AttributeIDs"),
                     idTexts(attributeIds), owner);
}

bool SessionContext::StoreDealTypeF(const QList<int> &codes, int owner)
{
    QStringList texts;
    for (int code : codes)
        texts.append(QString::number(code));
    return storeList(QStringLiteral("StoreDealTypeF"), QStringLiteral("@DealTypes"), texts, owner);
}

bool SessionContext::StoreBankF(const QStringList &banks, int owner)
{
    return storeList(QStringLiteral("StoreBankF"), QStringLiteral("@Banks"), banks, owner);
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
    // Category keys contain "|" themselves, so the procedure takes them one a line.
    return storeList(QStringLiteral("StoreCategoryF"), QStringLiteral("@Categories"),
                     categoryTable, owner, QLatin1Char('\n'));
}

bool SessionContext::StoreStatusF(const TwoRowTable &statuses, int owner)
{
    QStringList codes;
    QStringList names;
    for (int i = 0; i < statuses.size(); ++i) {
        codes.append(statuses.id(i).toString());
        names.append(statuses.text(i));
    }
    data::Value joinedCodes;
    data::Value joinedNames;
    const QString procedure = QStringLiteral("StoreStatusF");
    if (!joinList(procedure, codes, QLatin1Char('|'), &joinedCodes)
        || !joinList(procedure, names, QLatin1Char('|'), &joinedNames))
        return false;
    return runStore(procedure, owner,
                    {{QStringLiteral("@StatusIDs"), joinedCodes},
                     {QStringLiteral("@StatusNames"), joinedNames}});
}

bool SessionContext::StorePairF(const QVariantList &pairIds, int owner)
{
    return storeList(QStringLiteral("StorePairF"), QStringLiteral("@PairIDs"), idTexts(pairIds),
                     owner);
}

bool SessionContext::StoreCcyF(const QVariantList &ccyIds, int owner)
{
    return storeList(QStringLiteral("StoreCcyF"), QStringLiteral("@CcyIDs"), idTexts(ccyIds), owner);
}

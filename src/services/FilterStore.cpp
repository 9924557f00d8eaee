#include "FilterStore.h"

#include "Command.h"
#include "Driver.h"
#include "DateTime.h"
#include "Recordset.h"

#include <QRegularExpression>

namespace {

const QString kSource = QStringLiteral("FilterStore");

/// The definitions of the filter tables and of the argument checks in the
/// database's own catalog, tables first. Copying them from the catalog keeps
/// the private copies exactly as the database defines the shared ones,
/// constraints and checks included.
const QString ScopeDefinitions = QStringLiteral(
    "SELECT type, sql FROM main.sqlite_master "
    "WHERE sql IS NOT NULL "
    "AND ((type = 'table' AND (name LIKE 'Filter%' OR name = 'ArgumentCheck')) "
    "  OR (type = 'trigger' AND (tbl_name LIKE 'Filter%' OR tbl_name = 'ArgumentCheck'))) "
    "ORDER BY type = 'trigger', name");

/// The private copies a connection has already.
const QString ScopeTables = QStringLiteral(
    "SELECT name FROM temp.sqlite_master "
    "WHERE type = 'table' AND (name LIKE 'Filter%' OR name = 'ArgumentCheck')");

} // namespace

FilterStore::FilterStore(data::Connection &connection, const QString &userName, int owner)
    : m_connection(connection), m_userName(userName), m_owner(owner)
{
}

bool FilterStore::createRunScope()
{
    m_lastError.reset();
    if (m_connection.driver() && m_connection.driver()->providerName() == QLatin1String("PostgreSQL"))
        return createServerRunScope();
    const data::RecordsetPtr existing = m_connection.Execute(ScopeTables);
    if (m_connection.lastError())
        return fail(QStringLiteral("createRunScope"), m_connection.lastError());
    if (existing && !existing->Eof())
        return emptyRunScope(*existing);
    const data::RecordsetPtr definitions = m_connection.Execute(ScopeDefinitions);
    if (!definitions)
        return fail(QStringLiteral("createRunScope"), m_connection.lastError());
    // One script, so that the temporary schema changes once: each change
    // makes SQLite prepare the connection's statements again.
    static const QRegularExpression create(QStringLiteral("^\\s*CREATE\\s+(TABLE|TRIGGER)\\b"),
                                           QRegularExpression::CaseInsensitiveOption);
    QString script;
    const data::Field sql = definitions->Fields(QStringLiteral("sql"));
    for (definitions->MoveFirst(); !definitions->Eof(); definitions->MoveNext()) {
        QString statement = sql.value().toString();
        statement.replace(create, QStringLiteral("CREATE TEMP \\1"));
        script += statement + QStringLiteral(";\n");
    }
    if (script.isEmpty()) {
        return fail(QStringLiteral("createRunScope"),
                    data::makeError(data::Error::ItemNotFound,
                                    QStringLiteral("The database has no filter store tables"), kSource));
    }
    m_connection.Execute(script);
    if (m_connection.lastError())
        return fail(QStringLiteral("createRunScope"), m_connection.lastError());
    return true;
}

bool FilterStore::createServerRunScope()
{
    // The database's own function makes the copies. A read-only session may
    // write temporary tables but not create them, so this one transaction
    // is read-write; the function touches nothing else.
    m_connection.Execute(QStringLiteral("BEGIN READ WRITE; SELECT create_run_scope(); COMMIT"));
    if (const data::ErrorPtr error = m_connection.lastError()) {
        m_connection.Execute(QStringLiteral("ROLLBACK"));
        return fail(QStringLiteral("createRunScope"), error);
    }
    return true;
}

bool FilterStore::emptyRunScope(data::Recordset &tables)
{
    QString script;
    const data::Field name = tables.Fields(QStringLiteral("name"));
    for (tables.MoveFirst(); !tables.Eof(); tables.MoveNext())
        script += QStringLiteral("DELETE FROM temp.\"%1\";\n").arg(name.value().toString());
    m_connection.Execute(script);
    if (m_connection.lastError())
        return fail(QStringLiteral("createRunScope"), m_connection.lastError());
    return true;
}

// ---- running the procedures --------------------------------------------------------

bool FilterStore::fail(const QString &procedure, data::ErrorPtr error)
{
    m_lastError = std::move(error);
    m_failedProcedure = procedure;
    return false;
}

bool FilterStore::run(const QString &procedure, const QList<Argument> &args)
{
    return runPerEntry(procedure, {args});
}

bool FilterStore::runPerEntry(const QString &procedure, const QList<QList<Argument>> &entries)
{
    m_lastError.reset();
    if (m_connection.State() == data::adStateClosed) {
        return fail(procedure, data::makeError(data::Error::ObjectClosed,
                                               QStringLiteral("There is no open connection with the trading database"),
                                               kSource));
    }
    data::Command cmd;
    cmd.setActiveConnection(&m_connection);
    cmd.setCommandType(data::adCmdStoredProc);
    cmd.setCommandText(procedure);
    if (!cmd.Parameters().Refresh())
        return fail(procedure, cmd.lastError());

    const auto set = [&](const Argument &arg) {
        data::Parameter *parameter = cmd.Parameters().Item(arg.name);
        if (!parameter) {
            fail(procedure, data::makeError(data::Error::ItemNotFound,
                                            procedure + QStringLiteral(" has no parameter ") + arg.name,
                                            kSource));
            return false;
        }
        parameter->setValue(arg.value);
        return true;
    };
    if (!set({QStringLiteral("@UserName"), data::Value(m_userName)})
        || !set({QStringLiteral("@ownID"), data::Value(m_owner)}))
        return false;
    for (const QList<Argument> &entry : entries) {
        for (const Argument &arg : entry) {
            if (!set(arg))
                return false;
        }
        cmd.Execute();
        if (cmd.lastError())
            return fail(procedure, cmd.lastError());
    }
    return true;
}

bool FilterStore::joinList(const QString &procedure, const QStringList &entries, QChar separator,
                           data::Value *joined)
{
    *joined = data::Value::null(data::DataType::VarWChar);
    if (entries.isEmpty() || entries.constFirst() == QLatin1String("All"))
        return true;
    for (const QString &entry : entries) {
        if (entry.contains(separator)) {
            return fail(procedure, data::makeError(data::Error::InvalidArgument,
                                                   QStringLiteral("The entry \"") + entry
                                                       + QStringLiteral("\" contains the list separator and cannot be stored"),
                                                   kSource));
        }
    }
    *joined = data::Value(entries.join(separator));
    return true;
}

bool FilterStore::storeList(const QString &procedure, const QString &parameter,
                            const QStringList &entries, QChar separator)
{
    data::Value joined;
    m_lastError.reset();
    if (!joinList(procedure, entries, separator, &joined))
        return false;
    return run(procedure, {{parameter, joined}});
}

namespace {

QStringList idTexts(const QVariantList &ids)
{
    QStringList texts;
    texts.reserve(ids.size());
    for (const QVariant &id : ids)
        texts.append(id.toString());
    return texts;
}

} // namespace

// ---- the selections ----------------------------------------------------------------

bool FilterStore::StoreDateRange(QDate from, QDate to, int kind)
{
    const auto bound = [](QDate date) {
        return date.isValid() ? data::Value(data::DateTime::fromDate(date))
                              : data::Value::null(data::DataType::Date);
    };
    return run(QStringLiteral("StoreDateRange"), {{QStringLiteral("@Kind"), data::Value(kind)},
                                                  {QStringLiteral("@DateFrom"), bound(from)},
                                                  {QStringLiteral("@DateTo"), bound(to)}});
}

bool FilterStore::StoreCondition(const QString &text, int kind)
{
    const data::Value condition =
        text.trimmed().isEmpty() ? data::Value::null(data::DataType::VarWChar) : data::Value(text);
    return run(QStringLiteral("StoreCondition"),
               {{QStringLiteral("@Kind"), data::Value(kind)}, {QStringLiteral("@Condition"), condition}});
}

bool FilterStore::StoreTCIDF(const QStringList &tcids)
{
    return storeList(QStringLiteral("StoreTCIDF"), QStringLiteral("@TCIDs"), tcids);
}

bool FilterStore::StoreAttributeF(const QVariantList &attributeIds)
{
    return storeList(QStringLiteral("StoreAttributeF"), QStringLiteral("@AttributeIDs"), idTexts(attributeIds));
}

bool FilterStore::StoreDealTypeF(const QList<int> &codes)
{
    QStringList texts;
    for (int code : codes)
        texts.append(QString::number(code));
    return storeList(QStringLiteral("StoreDealTypeF"), QStringLiteral("@DealTypes"), texts);
}

bool FilterStore::StoreBankF(const QStringList &banks)
{
    return storeList(QStringLiteral("StoreBankF"), QStringLiteral("@Banks"), banks);
}

bool FilterStore::StoreCategoryF(const QStringList &categoryTable)
{
    // Category keys contain "|" themselves, so the procedure takes them one a line.
    return storeList(QStringLiteral("StoreCategoryF"), QStringLiteral("@Categories"), categoryTable,
                     QLatin1Char('\n'));
}

bool FilterStore::StoreStatusF(const TwoRowTable &statuses)
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
    m_lastError.reset();
    if (!joinList(procedure, codes, QLatin1Char('|'), &joinedCodes)
        || !joinList(procedure, names, QLatin1Char('|'), &joinedNames))
        return false;
    return run(procedure, {{QStringLiteral("@StatusIDs"), joinedCodes},
                           {QStringLiteral("@StatusNames"), joinedNames}});
}

bool FilterStore::StorePairF(const QVariantList &pairIds)
{
    return storeList(QStringLiteral("StorePairF"), QStringLiteral("@PairIDs"), idTexts(pairIds));
}

bool FilterStore::StoreCcyF(const QVariantList &ccyIds)
{
    return storeList(QStringLiteral("StoreCcyF"), QStringLiteral("@CcyIDs"), idTexts(ccyIds));
}

namespace {

data::Value smallInt(qint64 value)
{
    return data::Value(value, data::DataType::SmallInt);
}

} // namespace

bool FilterStore::StoreDealerF(const QVariantList &staffIds, const QStringList &names)
{
    QList<QList<Argument>> calls{{{QStringLiteral("@isDelete"), smallInt(2)}}};
    for (int i = 0; i < staffIds.size(); ++i) {
        // A name list shorter than the ids (or none) stores the blank the
        // procedure documents for "no name", rather than dropping the dealer.
        calls.append({{QStringLiteral("@isDelete"), smallInt(1)},
                      {QStringLiteral("@StaffID"), data::Value::fromVariant(staffIds.at(i))},
                      {QStringLiteral("@ShortName"),
                       data::Value(i < names.size() ? names.at(i) : QStringLiteral(" "))}});
    }
    return runPerEntry(QStringLiteral("StoreDealerF"), calls);
}

bool FilterStore::StoreNostroF(const QList<int> &codes)
{
    QList<QList<Argument>> calls{{{QStringLiteral("@isDelete"), smallInt(2)}}};
    for (int code : codes)
        calls.append({{QStringLiteral("@isDelete"), smallInt(1)}, {QStringLiteral("@NOSTRO"), smallInt(code)}});
    return runPerEntry(QStringLiteral("StoreNostroF"), calls);
}

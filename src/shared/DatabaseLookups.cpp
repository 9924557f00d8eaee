#include "DatabaseLookups.h"

#include "DealVocabulary.h"
#include "Directories.h"
#include "ProcedureCall.h"
#include "QueryValues.h"

#include "SessionContext.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcLookups, "marvolt.lookups")

namespace DatabaseLookups {

namespace {

QString describe(const data::ErrorPtr &error)
{
    return error ? error->Description : QString();
}

int numberOf(const data::ErrorPtr &error)
{
    return error ? error->Number : 0;
}

} // namespace

TwoRowTable GetBrokerInfo()
{
    TwoRowTable brokers;
    ProcedureCall call(QStringLiteral("GetBrokerInfo"));
    call.set(QStringLiteral("@ParamMainInfo"), data::Value(qint64(0), data::DataType::SmallInt));
    if (data::RecordsetPtr rs = call.execute()) {
        const data::Field brId = rs->Fields(QStringLiteral("BrID"));
        const data::Field shortName = rs->Fields(QStringLiteral("ShortName"));
        if (!brId.isValid() || !shortName.isValid()) {
            SessionContext::instance().ReportError(
                data::Error::ItemNotFound,
                QStringLiteral("Marvolt. Retrive Broker Info. ") + QStringLiteral("\r")
                    + QStringLiteral("The result has no field BrID or ShortName"));
            return brokers;
        }
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
            brokers.append(shortName.value().toString(), brId.value().toVariant());
    }
    if (call.failed()) {
        SessionContext::instance().ReportError(numberOf(call.lastError()),
                                               QStringLiteral("Marvolt. Retrive Broker Info. ")
                                                   + QStringLiteral("\r")
                                                   + describe(call.lastError()));
    }
    return brokers;
}

TwoRowTable GetTraderFromStaff()
{
    TwoRowTable traders;
    ProcedureCall call(QStringLiteral("GetTraderFromStaff"));
    if (data::RecordsetPtr rs = call.execute()) {
        const data::Field staffId = rs->Fields(QStringLiteral("StaffID"));
        const data::Field shortName = rs->Fields(QStringLiteral("ShortName"));
        if (staffId.isValid() && shortName.isValid()) {
            for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
                traders.append(shortName.value().toString(), staffId.value().toVariant());
        }
    }
    if (call.failed())
        qCWarning(lcLookups).noquote() << "GetTraderFromStaff:" << describe(call.lastError());
    Directories::setTraders(traders);
    return traders;
}

QString GetParentCcy(const QString &ccyName)
{
    return GetParentCcys({ccyName}).value(ccyName, ccyName);
}

QHash<QString, QString> GetParentCcys(const QStringList &ccyNames)
{
    QHash<QString, QString> parents;
    for (const QString &name : ccyNames)
        parents.insert(name, name);
    ProcedureCall call(QStringLiteral("GetParentCcy"));
    for (const QString &name : ccyNames) {
        call.set(QStringLiteral("@CcyName"), data::Value(name));
        data::RecordsetPtr rs = call.execute();
        if (call.failed()) {
            // Quiet: every code not looked up yet keeps its own name.
            qCDebug(lcLookups).noquote() << "GetParentCcy" << name << describe(call.lastError());
            break;
        }
        if (!rs || rs->Eof())
            continue;
        const data::Value parent = rs->Fields(QStringLiteral("Ccy")).value();
        if (!parent.isNull())
            parents.insert(name, parent.toString());
    }
    return parents;
}

QStringList GetChildrenCcy(const QString &parentCcy)
{
    QStringList result{parentCcy};
    ProcedureCall call(QStringLiteral("GetChildrenCcy"));
    call.set(QStringLiteral("@ParentCcy"), data::Value(parentCcy));
    data::RecordsetPtr rs = call.execute();
    if (call.failed())
        qCDebug(lcLookups).noquote() << "GetChildrenCcy" << parentCcy << describe(call.lastError());
    if (!rs)
        return result;
    const data::Field ccy = rs->Fields(QStringLiteral("Ccy"));
    if (!ccy.isValid())
        return result;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
        result.append(ccy.value().toString());
    return result;
}

bool GetCustomEditValue()
{
    ProcedureCall call(QStringLiteral("GetCustomEditValue"));
    call.set(QStringLiteral("@CustomID"), data::Value(qint64(1010), data::DataType::SmallInt));
    data::RecordsetPtr rs = call.execute();
    if (call.failed()) {
        SessionContext::instance().ReportError(numberOf(call.lastError()),
                                               QStringLiteral("Error Retrive Start All Parameters. ")
                                                   + describe(call.lastError()));
        return false;
    }
    if (!rs || rs->Eof())
        return false;
    const data::Value value = rs->Fields(QStringLiteral("CustomValue")).value();
    return !value.isNull() && value.toInt64() == 2;
}

bool StoreDealerF(const QVariantList &staffIds, int ownId, const QStringList &names)
{
    SessionContext &session = SessionContext::instance();
    FilterStore store = session.filterStore(ownId);
    if (store.StoreDealerF(staffIds, names))
        return true;
    session.ReportError(numberOf(store.lastError()), QStringLiteral("Marvolt. Store Dealer Filter. ")
                                                         + QStringLiteral("\r\n") + describe(store.lastError()));
    return false;
}

bool StoreNostroF(const QStringList &loroNostro, int ownId)
{
    QList<int> codes;
    if (!QueryValues::isAll(loroNostro)) {
        for (const QString &entry : loroNostro)
            codes.append(DealVocabulary::LoroNostroCode(entry));
    }
    FilterStore store = SessionContext::instance().filterStore(ownId);
    if (store.StoreNostroF(codes))
        return true;
    // The selection is the user's own; a failure here is not shown (the
    // caller sees false), but it is logged so that it can be traced.
    qCWarning(lcLookups).noquote() << "StoreNostroF:" << describe(store.lastError());
    return false;
}

} // namespace DatabaseLookups

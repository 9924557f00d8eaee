#include "PairList.h"

#include "DatabaseLookups.h"

#include "SessionContext.h"

#include <QHash>

namespace PairList {

data::RecordsetPtr PairRecordset()
{
    SessionContext &session = SessionContext::instance();
    if (!session.isOpen())
        return nullptr;
    return session.SessionConnection()->Execute(QStringLiteral(
        "SELECT p.PairID, c1.Ccy AS Ccy1, c2.Ccy AS Ccy2 FROM Pairs p "
        "JOIN Currencies c1 ON c1.CcyID = p.Ccy1 JOIN Currencies c2 ON c2.CcyID = p.Ccy2 "
        "ORDER BY p.SortOrder, p.Name"));
}

QStringList BuildPairList(data::Recordset &pairs)
{
    QStringList result;
    const data::Field ccy1 = pairs.Fields(QStringLiteral("Ccy1"));
    const data::Field ccy2 = pairs.Fields(QStringLiteral("Ccy2"));
    if (!ccy1.isValid() || !ccy2.isValid())
        return result;

    // The parents of all the currencies in one pass on one connection: a
    // lookup per row would open a connection for each and repeat currencies.
    QStringList currencies;
    for (pairs.MoveFirst(); !pairs.Eof(); pairs.MoveNext()) {
        for (const data::Field &field : {ccy1, ccy2}) {
            const QString ccy = field.value().toString();
            if (!currencies.contains(ccy))
                currencies.append(ccy);
        }
    }
    const QHash<QString, QString> parents = DatabaseLookups::GetParentCcys(currencies);
    const auto parentOf = [&parents](const QString &ccy) { return parents.value(ccy, ccy); };

    for (pairs.MoveFirst(); !pairs.Eof(); pairs.MoveNext()) {
        const QString first = parentOf(ccy1.value().toString());
        const QString second = parentOf(ccy2.value().toString());
        bool known = false;
        for (const QString &entry : std::as_const(result)) {
            const QString a = PairPart(1, entry);
            const QString b = PairPart(2, entry);
            if ((a == first && b == second) || (a == second && b == first)) {
                known = true;
                break;
            }
        }
        if (!known)
            AppendToArray(result, first + QLatin1Char('/') + second);
    }
    return result;
}

void AppendToArray(QStringList &array, const QString &text)
{
    array.append(text);
}

QString PairPart(int part, const QString &pair)
{
    const QStringList parts = pair.split(QLatin1Char('/'));
    if (part == 1)
        return parts.value(0);
    if (part == 2)
        return parts.value(1);
    return {};
}

} // namespace PairList

#pragma once

#include "TwoRowTable.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariantList>

/// The stored-procedure lookups and selection stores shared by every report.
///
/// Each call opens a connection of its own with the session's connection
/// string (ProcedureCall) and binds its values; nothing is pasted into SQL.
/// Failures are handled as each routine says: some report through
/// SessionContext::ReportError() with the routine's own text, some end quietly.
namespace DatabaseLookups {

/// The brokers ("GetBrokerInfo", "@ParamMainInfo" = 0: every broker, so old
/// deals still find theirs): (0, i) "ShortName", (1, i) "BrID". On a failure
/// reports "Marvolt. Retrive Broker Info. " CR description and returns the
/// rows read so far.
TwoRowTable GetBrokerInfo();

/// The traders ("GetTraderFromStaff"): (0, i) "ShortName", (1, i) "StaffID".
/// Also kept as the module's traders list (Directories). Quiet on failure
/// (an empty table).
TwoRowTable GetTraderFromStaff();

/// The parent code of a currency ("GetParentCcy"): "RUR" gives "RUB". An
/// unknown code, or any failure, gives ccyName itself.
QString GetParentCcy(const QString &ccyName);

/// GetParentCcy of each code, on one connection: for callers that map many
/// currencies at once (the pair list), where a connection per code would
/// cost a few milliseconds each. Codes the lookup cannot resolve map to themselves.
QHash<QString, QString> GetParentCcys(const QStringList &ccyNames);

/// parentCcy followed by the codes of its variant currencies
/// ("GetChildrenCcy"): ("CNY", "CNH"). Without children, or on a failure,
/// the list read so far (at least the parent itself).
QStringList GetChildrenCcy(const QString &parentCcy);

/// True when the site switch 1010 ("Allow All start date") is 2. False when
/// it is missing, null or anything else; on a failure also false, after
/// reporting "Error Retrive Start All Parameters. " followed by the description.
bool GetCustomEditValue();

/// Stores the dealer selection of the working user under ownId: clears it,
/// then adds each staff id with its short name (names(i); " " when names are
/// not given or shorter than the ids). An empty list only clears. On a
/// failure reports "Marvolt. Store Dealer Filter. " CR LF description and
/// returns false.
bool StoreDealerF(const QVariantList &staffIds, int ownId, const QStringList &names = {});

/// Stores the LORO/NOSTRO selection of the working user under ownId: clears
/// it, then, unless the list is empty or starts with "All", adds the code of
/// each entry (DealVocabulary::LoroNostroCode: "LORO" 2, "NOSTRO" 1, other 0).
/// False on a failure, without a message to the user (it is logged).
bool StoreNostroF(const QStringList &loroNostro, int ownId);

} // namespace DatabaseLookups

#pragma once

#include "CategoryRecord.h"
#include "TwoRowTable.h"

#include "Error.h"

#include <QHash>
#include <QList>
#include <QString>

#include <memory>

namespace data {
class Connection;
}

/// The directory lists of the trading database, as the filter controls and
/// value lists take them: (0, i) the shown text, (1, i) the identifier.
///
/// Lists are read from the session connection (SessionContext) on first use
/// and cached until Refresh(), or until the session is opened on another
/// database. A list that cannot be read is empty, is not cached (the next
/// call tries again) and leaves the reason in lastError().
///
/// One instance per process, created on first use; tests replace or reset it.
/// Used from the user-interface thread only.
class DirectoryProvider final
{
public:
    DirectoryProvider() = default;
    DirectoryProvider(const DirectoryProvider &) = delete;
    DirectoryProvider &operator=(const DirectoryProvider &) = delete;

    static DirectoryProvider &instance();
    /// Replaces the process-wide provider (null: a fresh one on the next instance()).
    static void setInstance(std::unique_ptr<DirectoryProvider> provider);
    static void resetInstance() { setInstance(nullptr); }

    /// Currencies: "Ccy" code, "CcyID", by sort order then code. The flag is
    /// kept for the callers' two uses (filter panel 0, value lists true); both
    /// get every currency, variants such as "RUR" included, because a list
    /// without a variant would leave its deals impossible to select or name.
    TwoRowTable CurrencyList(bool flag);
    /// Pairs: "Name" ("EUR/USD"), "PairID", by sort order then name. The flag
    /// is kept as for CurrencyList; both get every pair.
    TwoRowTable PairList(bool flag);
    /// Dealers (staff with IsDealer): "ShortName", "StaffID", by short name.
    /// activeOnly true (the filter panel) leaves out staff no longer active;
    /// false lists them too, to name the dealers of old deals.
    TwoRowTable DealerList(bool activeOnly);
    /// TCIDs: the TCID code as both text and identifier, by code (the
    /// filter store keeps TCIDs by their code).
    TwoRowTable TCIDList();
    /// Categories with their counterparties and attribute values, by name.
    QList<CategoryRecord> CategoryList();
    /// Statuses: "Name", "StatusID", highest code first. allStatuses true
    /// lists every status; false leaves out the negative codes (deleted,
    /// faulty, service). On return allStatuses is false when the list could
    /// not be read.
    TwoRowTable StatusList(bool &allStatuses);

    /// Drops every cached list; the next calls read the database again.
    void Refresh();

    data::ErrorPtr lastError() const { return m_lastError; }

private:
    /// The session connection when it is open, else null (lastError() set).
    data::Connection *connection();
    /// Reads a two-column query through the cache under key.
    TwoRowTable cachedTable(const QString &key, const QString &sql, int textField, int idField);
    /// Drops the cache when the session now points at another database.
    void checkSession();

    QString m_cachedFor;   ///< connection string the cache was filled from
    QHash<QString, TwoRowTable> m_tables;
    QList<CategoryRecord> m_categories;
    bool m_categoriesCached = false;
    data::ErrorPtr m_lastError;
};

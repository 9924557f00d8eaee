#pragma once

#include "TwoRowTable.h"

#include "Connection.h"
#include "Error.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

/// The server-side filter store as one connection sees it: the Store*
/// procedures of the trading database, called on that connection with bound
/// parameters and keyed by the working user's name and a report's owner
/// number. The report procedures read what they store.
///
/// Each call replaces what was stored before for that user, owner (and kind);
/// an empty value, or a list whose first entry is "All", stores no
/// restriction. Lists travel joined with "|" (categories with line feeds), so
/// an entry that holds the separator is refused rather than split into two
/// other entries. A failed call changes nothing, returns false and leaves the
/// database's reason in lastError(); the store reports nothing itself, the
/// caller decides what the user is told.
///
/// Run scope: createRunScope() gives the connection private, empty copies of
/// the filter tables. The store calls and the report procedure on that
/// connection then see only this connection's selections (temporary tables
/// shadow the shared ones of the same name), so two runs of one user and
/// report at the same moment never read each other's filter, and nothing is
/// written to the database file: a read-only connection does, and a writer
/// holding the file does not make the run wait.
///
/// Not thread-safe; used on the thread that uses the connection. The
/// connection must outlive the store.
class FilterStore final
{
public:
    FilterStore(data::Connection &connection, const QString &userName, int owner);

    /// Creates the connection's private copies of the filter tables (and of
    /// the argument checks the Store* procedures rely on); on a connection
    /// that has them already (one kept open for the next run) empties them.
    /// Call before the store calls of each run.
    bool createRunScope();

    /// Date range of kind (1 deal date, 2 value date); an invalid date is an open bound.
    bool StoreDateRange(QDate from, QDate to, int kind);
    /// Condition of kind (1 dealer, 5 client, 7 netting): the texts the reports
    /// build ("DealerID IN ('A', 'B')", "ClDeal <> 2"); stored as data, never
    /// executed. An empty text clears the kind.
    bool StoreCondition(const QString &text, int kind);
    bool StoreTCIDF(const QStringList &tcids);
    /// Attribute identifiers (whole numbers).
    bool StoreAttributeF(const QVariantList &attributeIds);
    /// Deal-type bit codes (DealVocabulary::DealTypeCode).
    bool StoreDealTypeF(const QList<int> &codes);
    /// Counterparty short names.
    bool StoreBankF(const QStringList &banks);
    /// Keys "Category", "Category|Attribute" or "Category|Attribute|Value".
    bool StoreCategoryF(const QStringList &categoryTable);
    /// Statuses: (0, i) the status name, (1, i) its code.
    bool StoreStatusF(const TwoRowTable &statuses);
    bool StorePairF(const QVariantList &pairIds);
    bool StoreCcyF(const QVariantList &ccyIds);
    /// Dealers by staff number, with their short names (a missing name is
    /// stored as the blank the procedure takes for "no name"); none clears.
    bool StoreDealerF(const QVariantList &staffIds, const QStringList &names);
    /// LORO/NOSTRO codes (2 LORO, 1 NOSTRO, 0 none); none clears.
    bool StoreNostroF(const QList<int> &codes);

    /// The reason of the last failed call; null after a call that succeeded.
    data::ErrorPtr lastError() const { return m_lastError; }
    /// The procedure the last failed call ran ("StoreBankF").
    QString failedProcedure() const { return m_failedProcedure; }

private:
    struct Argument
    {
        QString name;
        data::Value value;
    };
    bool run(const QString &procedure, const QList<Argument> &args);
    /// Runs a procedure that stores one entry per call: once with @isDelete 2
    /// (clear), then once per entry with @isDelete 1 and the entry's arguments.
    bool runPerEntry(const QString &procedure, const QList<QList<Argument>> &entries);
    bool fail(const QString &procedure, data::ErrorPtr error);
    /// Deletes every row of the private tables named in tables (column "name").
    /// createRunScope() on a database server, by the database's function.
    bool createServerRunScope();
    bool emptyRunScope(data::Recordset &tables);
    /// The list as one text, or a null value for no restriction; false when
    /// an entry holds the separator.
    bool joinList(const QString &procedure, const QStringList &entries, QChar separator,
                  data::Value *joined);
    bool storeList(const QString &procedure, const QString &parameter, const QStringList &entries,
                   QChar separator = QLatin1Char('|'));

    data::Connection &m_connection;
    QString m_userName;
    int m_owner;
    data::ErrorPtr m_lastError;
    QString m_failedProcedure;
};

#pragma once

#include "FilterStore.h"
#include "TwoRowTable.h"

#include "Connection.h"
#include "Error.h"

#include <QDate>
#include <QList>
#include <QLoggingCategory>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <memory>

Q_DECLARE_LOGGING_CATEGORY(lcSession)
Q_DECLARE_LOGGING_CATEGORY(lcTrace)

/// The host's session: the open connection to the trading database, the
/// working user, the display formats, the deal attribute list, the
/// server-side filter store, error reports and trace lines.
///
/// Reports read only the session connection's ConnectionString() and open
/// connections of their own with it; the directory lists and the filter store
/// use the session connection itself, on the user-interface thread.
///
/// Filter store: every Store* operation is FilterStore's on the session
/// connection, keyed by CurrentUserName() and the owner number given. A failed
/// call leaves the earlier selection in place, reports the error through
/// ReportError() and returns false. Reports do not use these: each run stores
/// its selections on its own connection (see FilterStore::createRunScope()).
///
/// One instance per process, created on first use; tests replace or reset it.
/// Not thread-safe: used from the user-interface thread only.
class SessionContext final
{
public:
    SessionContext();
    ~SessionContext();
    SessionContext(const SessionContext &) = delete;
    SessionContext &operator=(const SessionContext &) = delete;

    /// The process-wide session, created (without a connection) on first use.
    static SessionContext &instance();
    /// Replaces the process-wide session (null: a fresh one on the next
    /// instance()). Only for tests and start-up: references taken earlier dangle.
    static void setInstance(std::unique_ptr<SessionContext> session);
    static void resetInstance() { setInstance(nullptr); }

    // ---- connection
    /// Opens the session connection on connectionString (closing one that was
    /// open). False with lastError() when it cannot be opened.
    bool OpenSession(const QString &connectionString);
    void CloseSession();
    /// The session connection; never null, closed until OpenSession() succeeded.
    data::Connection *SessionConnection() const { return m_connection.get(); }
    /// The connection string reports open their own connections with.
    QString ConnectionString() const { return m_connection->ConnectionString(); }
    bool isOpen() const { return m_connection->State() != data::adStateClosed; }
    data::ErrorPtr lastError() const { return m_lastError; }

    // ---- user and formats
    QString CurrentUserName() const { return m_userName; }
    void setCurrentUserName(const QString &name) { m_userName = name; }
    /// The number formats of rate and amount columns ("#,##0.0000", "#,##0.00").
    QString RateFormat() const { return m_rateFormat; }
    void setRateFormat(const QString &format) { m_rateFormat = format; }
    QString ValueFormat() const { return m_valueFormat; }
    void setValueFormat(const QString &format) { m_valueFormat = format; }

    /// The deal attributes: (0, i) name, (1, i) "AttributeID", ordered by name.
    /// Empty when there is no session or the table cannot be read (logged).
    TwoRowTable AttributeList();

    // ---- errors and traces
    /// Logs the failure (category "marvolt.session") and shows text through MessageService.
    void ReportError(int number, const QString &text);
    /// Writes a trace line such as "Start Set Util" (category "marvolt.trace", info level).
    void Trace(const QString &text);

    // ---- category selection dialog
    /// Lets the user edit a legend selection: keys ("Category|Attribute|Value")
    /// and the caption come back changed when the user accepted. The dialog is
    /// installed by the host (setCategorySelector); without one nothing is
    /// asked and the result is false.
    using CategorySelector = std::function<bool(QStringList &keys, QString &title)>;
    bool SelectCategories(QStringList &keys, QString &title);
    void setCategorySelector(CategorySelector selector) { m_categorySelector = std::move(selector); }

    // ---- filter store
    /// Date range of kind (1 deal date, 2 value date); an invalid date is an open bound.
    bool StoreDateRange(QDate from, QDate to, int owner, int kind);
    /// Condition of kind (1 dealer, 5 client, 7 netting): the texts the reports
    /// build ("DealerID IN ('A', 'B')", "ClDeal <> 2"); stored as data, never
    /// executed. An empty text clears the kind.
    bool StoreCondition(const QString &text, int owner, int kind);
    bool StoreTCIDF(const QStringList &tcids, int owner);
    /// Attribute identifiers (whole numbers).
    bool StoreAttributeF(const QVariantList &attributeIds, int owner);
    /// Deal-type bit codes (DealVocabulary::DealTypeCode).
    bool StoreDealTypeF(const QList<int> &codes, int owner);
    /// Counterparty short names.
    bool StoreBankF(const QStringList &banks, int owner);
    /// The category table of a legend selection: its keys trimmed, with empty
    /// entries and repeats dropped; an empty selection or one starting with
    /// "All" gives an empty table (no restriction).
    static QStringList CategoryFilter(const QStringList &categories);
    /// Keys "Category", "Category|Attribute" or "Category|Attribute|Value".
    bool StoreCategoryF(const QStringList &categoryTable, int owner);
    /// Statuses: (0, i) the status name, (1, i) its code.
    bool StoreStatusF(const TwoRowTable &statuses, int owner);
    bool StorePairF(const QVariantList &pairIds, int owner);
    bool StoreCcyF(const QVariantList &ccyIds, int owner);

    /// The filter store on the session connection, for the given owner.
    FilterStore filterStore(int owner) { return FilterStore(*m_connection, m_userName, owner); }

private:
    /// Reports a failed store call through ReportError; returns stored.
    bool reportStore(FilterStore &store, bool stored);

    std::unique_ptr<data::Connection> m_connection;
    data::ErrorPtr m_lastError;
    QString m_userName;
    QString m_rateFormat;
    QString m_valueFormat;
    CategorySelector m_categorySelector;
};

// The server-side filter store: what each Store* procedure writes, that a
// call replaces the earlier selection of its key, that "All" and empty values
// clear it, that rejected arguments fail and change nothing, and that the
// SQL pattern the report procedures use selects the right deals, also for
// dealer names with quotes in them.

#include "TradingDbTestSupport.h"

using namespace data;
using dbtest::Arguments;

namespace {

const QString kUser = QStringLiteral("trader1");

const QStringList kStoreProcedures = {
    QStringLiteral("StoreDateRange"), QStringLiteral("StoreCondition"), QStringLiteral("StoreTCIDF"),
    QStringLiteral("StoreAttributeF"), QStringLiteral("StoreDealTypeF"), QStringLiteral("StoreBankF"),
    QStringLiteral("StoreCategoryF"), QStringLiteral("StoreStatusF"), QStringLiteral("StorePairF"),
    QStringLiteral("StoreCcyF"), QStringLiteral("StoreDealerF"), QStringLiteral("StoreNostroF")};

Value text(const QString &s)
{
    return Value(s);
}

Value nullText()
{
    return Value::null(DataType::VarWChar);
}

// The selection patterns of db/README.md ("The SQL pattern"), owner 2.
const QString kPatternQuery = QStringLiteral(
    "SELECT t.TradeID FROM Tickets t "
    "WHERE (NOT EXISTS (SELECT 1 FROM FilterCondition f "
    "                   WHERE f.UserName = @UserName AND f.OwnerID = 2 AND f.Kind = 1) "
    "       OR EXISTS (SELECT 1 FROM FilterCondition f "
    "                  WHERE f.UserName = @UserName AND f.OwnerID = 2 AND f.Kind = 1 "
    "                    AND (f.Value = t.DealerID OR f.NumValue = t.StaffID))) "
    "  AND (NOT EXISTS (SELECT 1 FROM FilterCondition f "
    "                   WHERE f.UserName = @UserName AND f.OwnerID = 2 AND f.Kind = 5 AND f.Op = '=') "
    "       OR t.ClDeal IN (SELECT f.NumValue FROM FilterCondition f "
    "                       WHERE f.UserName = @UserName AND f.OwnerID = 2 AND f.Kind = 5 AND f.Op = '=')) "
    "  AND t.ClDeal NOT IN (SELECT f.NumValue FROM FilterCondition f "
    "                       WHERE f.UserName = @UserName AND f.OwnerID = 2 AND f.Kind = 5 AND f.Op = '<>') "
    "  AND (NOT EXISTS (SELECT 1 FROM FilterPair s WHERE s.UserName = @UserName AND s.OwnerID = 2) "
    "       OR t.PairID IN (SELECT s.PairID FROM FilterPair s WHERE s.UserName = @UserName AND s.OwnerID = 2)) "
    "  AND t.DealTime >= COALESCE((SELECT r.DateFrom FROM FilterDateRange r "
    "                              WHERE r.UserName = @UserName AND r.OwnerID = 2 AND r.Kind = 1), '') "
    "  AND t.DealTime < COALESCE((SELECT date(r.DateTo, '+1 day') FROM FilterDateRange r "
    "                             WHERE r.UserName = @UserName AND r.OwnerID = 2 AND r.Kind = 1), '9999-12-31') "
    "  AND (NOT EXISTS (SELECT 1 FROM FilterCategory s WHERE s.UserName = @UserName AND s.OwnerID = 2) "
    "       OR t.CPID IN (SELECT c.CPID FROM FilterCategory s "
    "                     JOIN Categories k ON k.Name = s.Category "
    "                     JOIN Counterparties c ON c.CategoryID = k.CategoryID "
    "                     LEFT JOIN CounterpartyAttributes a ON a.CPID = c.CPID AND a.Attribute = s.Attribute "
    "                     WHERE s.UserName = @UserName AND s.OwnerID = 2 "
    "                       AND (s.Attribute = '' OR a.Attribute IS NOT NULL) "
    "                       AND (s.Value = '' OR a.Value = s.Value))) "
    "ORDER BY t.TradeID");

} // namespace

class tst_FilterStore final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Connection> m_conn;

    ErrorPtr store(const QString &procedure, const Arguments &extra, int owner = 2)
    {
        Arguments arguments{{QStringLiteral("@UserName"), text(kUser)}, {QStringLiteral("@ownID"), Value(owner)}};
        arguments += extra;
        ErrorPtr error;
        dbtest::callProcedure(*m_conn, procedure, arguments, &error);
        return error;
    }

    QStringList stored(const QString &table, const QString &columns, int owner = 2)
    {
        return dbtest::query(*m_conn,
                             QStringLiteral("SELECT %1 FROM %2 WHERE UserName = @U AND OwnerID = @O ORDER BY %1")
                                 .arg(columns, table),
                             {{QStringLiteral("@U"), text(kUser)}, {QStringLiteral("@O"), Value(owner)}});
    }

    QStringList storedConditions(int kind)
    {
        return dbtest::query(*m_conn,
                             QStringLiteral("SELECT Field, Op, Value, NumValue FROM FilterCondition "
                                            "WHERE UserName = @U AND OwnerID = 2 AND Kind = @K ORDER BY Op, Value"),
                             {{QStringLiteral("@U"), text(kUser)}, {QStringLiteral("@K"), Value(kind)}});
    }

    QStringList selectedDeals()
    {
        return dbtest::query(*m_conn, kPatternQuery, {{QStringLiteral("@UserName"), text(kUser)}});
    }

private Q_SLOTS:
    void init()
    {
        // A fresh in-memory database per test function and row: nothing
        // stored by one case can leak into the next.
        QString why;
        m_conn = dbtest::openWithSchema(QStringLiteral(":memory:"), kStoreProcedures, &why);
        QVERIFY2(m_conn, qPrintable(why));
    }

    void cleanup() { m_conn.reset(); }

    void conditionIsParsedIntoTerms_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QStringList>("terms");

        QTest::newRow("one-dealer") << 1 << "DealerID = 'SMITH'" << QStringList{"DealerID|=|SMITH|<null>"};
        QTest::newRow("dealer-list") << 1 << "DealerID IN ('SMITH', 'JONES', 'SMITH')"
                                     << QStringList{"DealerID|=|JONES|<null>", "DealerID|=|SMITH|<null>"};
        QTest::newRow("quote-in-name") << 1 << "DealerID = 'O'BRIEN'" << QStringList{"DealerID|=|O'BRIEN|<null>"};
        QTest::newRow("quote-in-list") << 1 << "DealerID IN ('O'BRIEN', 'D'ARCY')"
                                       << QStringList{"DealerID|=|D'ARCY|<null>", "DealerID|=|O'BRIEN|<null>"};
        QTest::newRow("escaped-quote") << 1 << "DealerID = 'O''BRIEN'" << QStringList{"DealerID|=|O'BRIEN|<null>"};
        QTest::newRow("injection-stays-a-name") << 1 << "DealerID = 'x') OR 1=1 --'"
                                                << QStringList{"DealerID|=|x') OR 1=1 --|<null>"};
        QTest::newRow("injection-in-list") << 1 << "DealerID IN ('x') OR 1=1 --', 'B')"
                                           << QStringList{"DealerID|=|B|<null>", "DealerID|=|x') OR 1=1 --|<null>"};
        QTest::newRow("staff-number") << 1 << "DealerID IN ('12', '7')"
                                      << QStringList{"DealerID|=|12|12", "DealerID|=|7|7"};
        QTest::newRow("client") << 5 << "ClDeal = 2" << QStringList{"ClDeal|=|2|2"};
        QTest::newRow("non-client") << 5 << "ClDeal <> 2" << QStringList{"ClDeal|<>|2|2"};
        QTest::newRow("netting-yes") << 7 << "NETTING = 2" << QStringList{"NETTING|=|2|2"};
        QTest::newRow("netting-no") << 7 << "NETTING <> 2" << QStringList{"NETTING|<>|2|2"};
        QTest::newRow("surrounding-blanks") << 5 << "  ClDeal = 2 " << QStringList{"ClDeal|=|2|2"};
        QTest::newRow("empty-clears") << 1 << "" << QStringList{};
    }

    void conditionIsParsedIntoTerms()
    {
        QFETCH(int, kind);
        QFETCH(QString, condition);
        QFETCH(QStringList, terms);
        const ErrorPtr error = store(QStringLiteral("StoreCondition"),
                                     {{QStringLiteral("@Kind"), Value(kind)}, {QStringLiteral("@Condition"), text(condition)}});
        QVERIFY2(!error, error ? qPrintable(error->Description) : "");
        QCOMPARE(storedConditions(kind), terms);
    }

    void conditionTextIsRejected_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("condition");

        QTest::newRow("sql-statement") << 1 << "1=1; DROP TABLE Tickets";
        QTest::newRow("or-appended") << 5 << "ClDeal = 2 OR 1=1";
        QTest::newRow("unquoted-dealer") << 1 << "DealerID = SMITH";
        QTest::newRow("unclosed-list") << 1 << "DealerID IN ('SMITH'";
        QTest::newRow("empty-name") << 1 << "DealerID = ''";
        QTest::newRow("empty-name-in-list") << 1 << "DealerID IN ('A', '')";
        QTest::newRow("other-field") << 1 << "BrokerID = '3'";
        QTest::newRow("client-form-as-dealer-kind") << 1 << "ClDeal = 2";
        QTest::newRow("dealer-form-as-client-kind") << 5 << "DealerID = 'SMITH'";
        QTest::newRow("text-number") << 7 << "NETTING = 'two'";
        QTest::newRow("unknown-kind") << 3 << "DealerID = 'SMITH'";
        QTest::newRow("lower-case-keyword") << 1 << "dealerid = 'SMITH'";
    }

    void conditionTextIsRejected()
    {
        QFETCH(int, kind);
        QFETCH(QString, condition);
        const ErrorPtr error = store(QStringLiteral("StoreCondition"),
                                     {{QStringLiteral("@Kind"), Value(kind)}, {QStringLiteral("@Condition"), text(condition)}});
        QVERIFY(error);
        QCOMPARE(error->Number, int(Error::ErrorsInCommand));
        QVERIFY2(error->Description.contains(QStringLiteral("Unrecognised condition text")),
                 qPrintable(error->Description));
    }

    void rejectedConditionKeepsThePreviousOne()
    {
        QVERIFY(!store(QStringLiteral("StoreCondition"),
                       {{QStringLiteral("@Kind"), Value(1)}, {QStringLiteral("@Condition"), text("DealerID = 'SMITH'")}}));
        QVERIFY(store(QStringLiteral("StoreCondition"),
                      {{QStringLiteral("@Kind"), Value(1)}, {QStringLiteral("@Condition"), text("DealerID = SMITH")}}));
        QCOMPARE(storedConditions(1), QStringList{"DealerID|=|SMITH|<null>"});
    }

    void conditionReplacesOnlyItsOwnKey()
    {
        QVERIFY(!store(QStringLiteral("StoreCondition"),
                       {{QStringLiteral("@Kind"), Value(1)}, {QStringLiteral("@Condition"), text("DealerID = 'A'")}}));
        QVERIFY(!store(QStringLiteral("StoreCondition"),
                       {{QStringLiteral("@Kind"), Value(5)}, {QStringLiteral("@Condition"), text("ClDeal = 2")}}));
        QVERIFY(!store(QStringLiteral("StoreCondition"),
                       {{QStringLiteral("@Kind"), Value(1)}, {QStringLiteral("@Condition"), text("DealerID = 'B'")}},
                       11));
        QVERIFY(!store(QStringLiteral("StoreCondition"),
                       {{QStringLiteral("@Kind"), Value(1)}, {QStringLiteral("@Condition"), text("DealerID IN ('C', 'D')")}}));
        QCOMPARE(storedConditions(1), (QStringList{"DealerID|=|C|<null>", "DealerID|=|D|<null>"}));
        QCOMPARE(storedConditions(5), QStringList{"ClDeal|=|2|2"});
        QCOMPARE(stored(QStringLiteral("FilterCondition"), QStringLiteral("Value"), 11), QStringList{"B"});
    }

    void storedConditionSelectsDeals_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QStringList>("deals");

        QTest::newRow("no-condition") << 1 << "" << QStringList{"1", "2", "3", "4"};
        QTest::newRow("quote-in-name") << 1 << "DealerID = 'O'BRIEN'" << QStringList{"1"};
        QTest::newRow("escaped-quote") << 1 << "DealerID = 'O''BRIEN'" << QStringList{"1"};
        QTest::newRow("list-with-quote") << 1 << "DealerID IN ('O'BRIEN', 'SMITH')" << QStringList{"1", "2"};
        QTest::newRow("injection-selects-nothing") << 1 << "DealerID = 'x') OR 1=1 --'" << QStringList{};
        QTest::newRow("injection-is-a-real-name") << 1 << "DealerID = 'x'' OR ''1''=''1'" << QStringList{"4"};
        QTest::newRow("by-staff-number") << 1 << "DealerID = '12'" << QStringList{"2"};
        QTest::newRow("clients") << 5 << "ClDeal = 2" << QStringList{"2", "4"};
        QTest::newRow("non-clients") << 5 << "ClDeal <> 2" << QStringList{"1", "3"};
    }

    void storedConditionSelectsDeals()
    {
        QFETCH(int, kind);
        QFETCH(QString, condition);
        QFETCH(QStringList, deals);
        const QString insert = QStringLiteral(
            "INSERT INTO Tickets (TradeID, TCID, TicketNum, Status, DealTime, DealerID, StaffID, Bank1ID, "
            "PureDealType, DealType, Ccy1, Volume1, ValDateP1C1, ClDeal) VALUES ");
        QVERIFY(dbtest::exec(*m_conn, insert + QStringLiteral(
            "(1, 'RD01', 1, 3, '2026-12-04 10:00:00', 'O''BRIEN', 11, 'B1', 2, 1, 1, 1, '2026-12-08', 0),"
            "(2, 'RD01', 2, 3, '2026-12-04 11:00:00', 'SMITH', 12, 'B1', 2, 1, 1, 1, '2026-12-08', 2),"
            "(3, 'RD01', 3, 3, '2026-12-04 12:00:00', 'x', 13, 'B1', 2, 1, 1, 1, '2026-12-08', 0),"
            "(4, 'RD01', 4, 3, '2026-12-04 13:00:00', 'x'' OR ''1''=''1', 14, 'B1', 2, 1, 1, 1, '2026-12-08', 2)")));
        const ErrorPtr error = store(QStringLiteral("StoreCondition"),
                                     {{QStringLiteral("@Kind"), Value(kind)}, {QStringLiteral("@Condition"), text(condition)}});
        QVERIFY2(!error, error ? qPrintable(error->Description) : "");
        QCOMPARE(selectedDeals(), deals);
    }

    void listIsStored_data()
    {
        QTest::addColumn<QString>("procedure");
        QTest::addColumn<QString>("parameter");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QStringList>("rows");

        QTest::newRow("pairs") << "StorePairF" << "@PairIDs" << "FilterPair" << "PairID" << "3|12|5"
                               << QStringList{"3", "5", "12"};
        QTest::newRow("pairs-blanks-duplicates-empty-entries") << "StorePairF" << "@PairIDs" << "FilterPair"
                                                               << "PairID" << " 3 ||3|05|" << QStringList{"3", "5"};
        QTest::newRow("currencies") << "StoreCcyF" << "@CcyIDs" << "FilterCcy" << "CcyID" << "1|2"
                                    << QStringList{"1", "2"};
        QTest::newRow("attributes") << "StoreAttributeF" << "@AttributeIDs" << "FilterAttribute" << "AttributeID"
                                    << "4" << QStringList{"4"};
        QTest::newRow("deal-types") << "StoreDealTypeF" << "@DealTypes" << "FilterDealType" << "DealType"
                                    << "2|8" << QStringList{"2", "8"};
        QTest::newRow("tcids") << "StoreTCIDF" << "@TCIDs" << "FilterTCID" << "TCID" << "RD01|EB01"
                               << QStringList{"EB01", "RD01"};
        QTest::newRow("banks-with-quote") << "StoreBankF" << "@Banks" << "FilterBank" << "Bank1ID"
                                          << "D'ORSAY|NORDCO" << QStringList{"D'ORSAY", "NORDCO"};
        QTest::newRow("all-first-is-no-restriction") << "StoreBankF" << "@Banks" << "FilterBank" << "Bank1ID"
                                                     << "All|NORDCO" << QStringList{};
        QTest::newRow("all-later-is-an-entry") << "StoreTCIDF" << "@TCIDs" << "FilterTCID" << "TCID"
                                               << "RD01|All" << QStringList{"All", "RD01"};
        QTest::newRow("empty-is-no-restriction") << "StorePairF" << "@PairIDs" << "FilterPair" << "PairID" << ""
                                                 << QStringList{};
    }

    void listIsStored()
    {
        QFETCH(QString, procedure);
        QFETCH(QString, parameter);
        QFETCH(QString, table);
        QFETCH(QString, column);
        QFETCH(QString, list);
        QFETCH(QStringList, rows);
        const ErrorPtr error = store(procedure, {{parameter, text(list)}});
        QVERIFY2(!error, error ? qPrintable(error->Description) : "");
        QCOMPARE(stored(table, column), rows);
    }

    void listCallReplacesAndClears_data()
    {
        QTest::addColumn<Value>("second");
        QTest::newRow("all") << text(QStringLiteral("All"));
        QTest::newRow("empty") << text(QString());
        QTest::newRow("null") << nullText();
    }

    void listCallReplacesAndClears()
    {
        QFETCH(Value, second);
        QVERIFY(!store(QStringLiteral("StorePairF"), {{QStringLiteral("@PairIDs"), text("1|2")}}));
        QVERIFY(!store(QStringLiteral("StorePairF"), {{QStringLiteral("@PairIDs"), text("3")}}));
        QCOMPARE(stored(QStringLiteral("FilterPair"), QStringLiteral("PairID")), QStringList{"3"});
        QVERIFY(!store(QStringLiteral("StorePairF"), {{QStringLiteral("@PairIDs"), text("9")}}, 7));
        QVERIFY(!store(QStringLiteral("StorePairF"), {{QStringLiteral("@PairIDs"), second}}));
        QCOMPARE(stored(QStringLiteral("FilterPair"), QStringLiteral("PairID")), QStringList{});
        QCOMPARE(stored(QStringLiteral("FilterPair"), QStringLiteral("PairID"), 7), QStringList{"9"});
    }

    void listIsRejected_data()
    {
        QTest::addColumn<QString>("procedure");
        QTest::addColumn<QString>("parameter");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("message");
        QTest::newRow("pair-name") << "StorePairF" << "@PairIDs" << "1|EUR/USD" << "whole numbers";
        QTest::newRow("decimal") << "StoreCcyF" << "@CcyIDs" << "1.5" << "whole numbers";
        QTest::newRow("sql") << "StoreDealTypeF" << "@DealTypes" << "2) OR (1=1" << "whole numbers";
        QTest::newRow("status-name") << "StoreStatusF" << "@StatusIDs" << "Checked" << "whole numbers";
        QTest::newRow("category-key-of-four-parts") << "StoreCategoryF" << "@Categories" << "Banks|Rating|AA|x"
                                                    << "at most three parts";
    }

    void listIsRejected()
    {
        QFETCH(QString, procedure);
        QFETCH(QString, parameter);
        QFETCH(QString, list);
        QFETCH(QString, message);
        QVERIFY(!store(QStringLiteral("StorePairF"), {{QStringLiteral("@PairIDs"), text("4")}}));
        const ErrorPtr error = store(procedure, {{parameter, text(list)}});
        QVERIFY(error);
        QVERIFY2(error->Description.contains(message), qPrintable(error->Description));
        QCOMPARE(stored(QStringLiteral("FilterPair"), QStringLiteral("PairID")), QStringList{"4"});
    }

    void rejectedListKeepsItsPreviousSelection_data()
    {
        QTest::addColumn<QString>("procedure");
        QTest::addColumn<QString>("parameter");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("good");
        QTest::addColumn<QString>("bad");
        QTest::newRow("pairs-bad-entry-last") << "StorePairF" << "@PairIDs" << "FilterPair" << "PairID" << "4"
                                              << "1|2|x";
        QTest::newRow("currencies") << "StoreCcyF" << "@CcyIDs" << "FilterCcy" << "CcyID" << "4" << "x|1";
        QTest::newRow("attributes-too-long") << "StoreAttributeF" << "@AttributeIDs" << "FilterAttribute"
                                             << "AttributeID" << "4" << "1|1234567890123456789";
        QTest::newRow("deal-types-lone-minus") << "StoreDealTypeF" << "@DealTypes" << "FilterDealType" << "DealType"
                                               << "4" << "2|-";
        QTest::newRow("statuses") << "StoreStatusF" << "@StatusIDs" << "FilterStatus" << "StatusID" << "4"
                                  << "3| Checked ";
        QTest::newRow("categories-value-without-attribute") << "StoreCategoryF" << "@Categories" << "FilterCategory"
                                                            << "Category" << "Banks" << "Funds\nBanks||AA";
    }

    void rejectedListKeepsItsPreviousSelection()
    {
        QFETCH(QString, procedure);
        QFETCH(QString, parameter);
        QFETCH(QString, table);
        QFETCH(QString, column);
        QFETCH(QString, good);
        QFETCH(QString, bad);
        QVERIFY(!store(procedure, {{parameter, text(good)}}));
        QVERIFY(store(procedure, {{parameter, text(bad)}}));
        QCOMPARE(stored(table, column), QStringList{good});
    }

    // SQLite prepares every kept statement of a connection again after any
    // schema change on it, a temporary table included; the filter store is
    // written before every report run, so its procedures must change none.
    void storeCallChangesNoSchema_data()
    {
        QTest::addColumn<QString>("procedure");
        QTest::addColumn<Arguments>("arguments");
        const auto list = [](const char *parameter, const char *value) {
            return Arguments{{QString::fromLatin1(parameter), text(QString::fromLatin1(value))}};
        };
        QTest::newRow("StoreTCIDF") << "StoreTCIDF" << list("@TCIDs", "RD01|EB01");
        QTest::newRow("StoreBankF") << "StoreBankF" << list("@Banks", "B1");
        QTest::newRow("StorePairF") << "StorePairF" << list("@PairIDs", "1|2");
        QTest::newRow("StoreCcyF") << "StoreCcyF" << list("@CcyIDs", "1");
        QTest::newRow("StoreAttributeF") << "StoreAttributeF" << list("@AttributeIDs", "7");
        QTest::newRow("StoreDealTypeF") << "StoreDealTypeF" << list("@DealTypes", "2|8");
        QTest::newRow("StoreStatusF") << "StoreStatusF" << list("@StatusIDs", "3|-1");
        QTest::newRow("StoreCategoryF") << "StoreCategoryF" << list("@Categories", "Banks|Rating");
        QTest::newRow("StoreCondition") << "StoreCondition"
                                        << Arguments{{QStringLiteral("@Kind"), Value(1)},
                                                     {QStringLiteral("@Condition"), text("DealerID IN ('A', 'B')")}};
    }

    void storeCallChangesNoSchema()
    {
        QFETCH(QString, procedure);
        QFETCH(Arguments, arguments);
        const auto versions = [this] {
            return dbtest::query(*m_conn, QStringLiteral("PRAGMA main.schema_version"))
                   + dbtest::query(*m_conn, QStringLiteral("PRAGMA temp.schema_version"));
        };
        const QStringList before = versions();
        QCOMPARE(before.size(), 2);
        for (int call = 0; call < 2; ++call) {
            const ErrorPtr error = store(procedure, arguments);
            QVERIFY2(!error, error ? qPrintable(error->Description) : "");
        }
        QCOMPARE(versions(), before);
    }

    void statusesKeepTheirNames()
    {
        QVERIFY(!store(QStringLiteral("StoreStatusF"), {{QStringLiteral("@StatusIDs"), text("3|-1|0")},
                                                        {QStringLiteral("@StatusNames"), text("Checked|Deleted")}}));
        QCOMPARE(stored(QStringLiteral("FilterStatus"), QStringLiteral("StatusID, StatusName")),
                 (QStringList{"-1|Deleted", "0|<null>", "3|Checked"}));
        QVERIFY(!store(QStringLiteral("StoreStatusF"), {{QStringLiteral("@StatusIDs"), text("All")}}));
        QCOMPARE(stored(QStringLiteral("FilterStatus"), QStringLiteral("StatusID")), QStringList{});
    }

    void categoryKeysAreSplit_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("category") << "Banks" << QStringList{"Banks||"};
        QTest::newRow("attribute") << "Banks|Rating" << QStringList{"Banks|Rating|"};
        QTest::newRow("value") << "Banks|Rating|AA" << QStringList{"Banks|Rating|AA"};
        QTest::newRow("several-lines") << "Funds\nBanks|Region|Asia\r\nBanks|Region|Asia"
                                       << QStringList{"Banks|Region|Asia", "Funds||"};
        QTest::newRow("all") << "All\nBanks" << QStringList{};
    }

    void categoryKeysAreSplit()
    {
        QFETCH(QString, keys);
        QFETCH(QStringList, rows);
        const ErrorPtr error = store(QStringLiteral("StoreCategoryF"), {{QStringLiteral("@Categories"), text(keys)}});
        QVERIFY2(!error, error ? qPrintable(error->Description) : "");
        QCOMPARE(stored(QStringLiteral("FilterCategory"), QStringLiteral("Category, Attribute, Value")), rows);
    }

    void categorySelectionSelectsCounterparties_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("deals");
        QTest::newRow("whole-category") << "Banks" << QStringList{"1", "2"};
        QTest::newRow("attribute-present") << "Banks|Rating" << QStringList{"1"};
        QTest::newRow("one-value") << "Banks|Rating|AA" << QStringList{"1"};
        QTest::newRow("value-nobody-has") << "Banks|Rating|BBB" << QStringList{};
        QTest::newRow("two-categories") << "Funds\nBanks|Rating|AA" << QStringList{"1", "3"};
    }

    void categorySelectionSelectsCounterparties()
    {
        QFETCH(QString, keys);
        QFETCH(QStringList, deals);
        QVERIFY(dbtest::exec(*m_conn, QStringLiteral(
            "INSERT INTO Categories VALUES (1, 'Banks'), (2, 'Funds');"
            "INSERT INTO Counterparties (CPID, ShortName, FullBankName, CategoryID) VALUES "
            "  (10, 'B1', 'Bank One', 1), (11, 'B2', 'Bank Two', 1), (20, 'F1', 'Fund One', 2);"
            "INSERT INTO CounterpartyAttributes VALUES (10, 'Rating', 'AA');"
            "INSERT INTO Tickets (TradeID, TCID, TicketNum, Status, DealTime, DealerID, Bank1ID, CPID, "
            "  PureDealType, DealType, Ccy1, Volume1, ValDateP1C1) VALUES "
            "  (1, 'RD01', 1, 3, '2026-12-04 10:00:00', 'A', 'B1', 10, 2, 1, 1, 1, '2026-12-08'),"
            "  (2, 'RD01', 2, 3, '2026-12-04 10:00:00', 'A', 'B2', 11, 2, 1, 1, 1, '2026-12-08'),"
            "  (3, 'RD01', 3, 3, '2026-12-04 10:00:00', 'A', 'F1', 20, 2, 1, 1, 1, '2026-12-08')")));
        QVERIFY(!store(QStringLiteral("StoreCategoryF"), {{QStringLiteral("@Categories"), text(keys)}}));
        QCOMPARE(selectedDeals(), deals);
    }

    void dateRangeIsStored_data()
    {
        QTest::addColumn<Value>("from");
        QTest::addColumn<Value>("to");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("deals");
        const Value none = Value::null(DataType::Date);
        QTest::newRow("one-day") << text("2026-12-03") << text("2026-12-03")
                                 << QStringList{"2026-12-03|2026-12-03"} << QStringList{"2"};
        QTest::newRow("time-of-day-dropped") << text("2026-12-03 15:30:00") << text("2026-12-04 00:00:00")
                                             << QStringList{"2026-12-03|2026-12-04"} << QStringList{"2", "3"};
        QTest::newRow("open-start") << none << text("2026-12-03") << QStringList{"<null>|2026-12-03"}
                                    << QStringList{"1", "2"};
        QTest::newRow("open-end") << text("2026-12-03") << none << QStringList{"2026-12-03|<null>"}
                                  << QStringList{"2", "3"};
        QTest::newRow("both-open-stores-nothing") << none << none << QStringList{} << QStringList{"1", "2", "3"};
        QTest::newRow("empty-texts-are-open") << text("") << text("") << QStringList{} << QStringList{"1", "2", "3"};
    }

    void dateRangeIsStored()
    {
        QFETCH(Value, from);
        QFETCH(Value, to);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, deals);
        QVERIFY(dbtest::exec(*m_conn, QStringLiteral(
            "INSERT INTO Tickets (TradeID, TCID, TicketNum, Status, DealTime, DealerID, Bank1ID, "
            "  PureDealType, DealType, Ccy1, Volume1, ValDateP1C1) VALUES "
            "  (1, 'RD01', 1, 3, '2026-12-02 23:59:59', 'A', 'B1', 2, 1, 1, 1, '2026-12-04'),"
            "  (2, 'RD01', 2, 3, '2026-12-03 00:00:00', 'A', 'B1', 2, 1, 1, 1, '2026-12-07'),"
            "  (3, 'RD01', 3, 3, '2026-12-04 18:00:00', 'A', 'B1', 2, 1, 1, 1, '2026-12-08')")));
        // A range stored before is replaced, not added to.
        QVERIFY(!store(QStringLiteral("StoreDateRange"), {{QStringLiteral("@Kind"), Value(1)},
                                                          {QStringLiteral("@DateFrom"), text("2020-01-01")},
                                                          {QStringLiteral("@DateTo"), text("2020-01-01")}}));
        const ErrorPtr error = store(QStringLiteral("StoreDateRange"), {{QStringLiteral("@Kind"), Value(1)},
                                                                        {QStringLiteral("@DateFrom"), from},
                                                                        {QStringLiteral("@DateTo"), to}});
        QVERIFY2(!error, error ? qPrintable(error->Description) : "");
        QCOMPARE(stored(QStringLiteral("FilterDateRange"), QStringLiteral("DateFrom, DateTo")), rows);
        QCOMPARE(selectedDeals(), deals);
    }

    void dealerSelectionAddsAndClears()
    {
        const auto dealer = [this](int isDelete, const Value &staff, const Value &name) {
            return store(QStringLiteral("StoreDealerF"), {{QStringLiteral("@isDelete"), Value(qint64(isDelete), DataType::SmallInt)},
                                                          {QStringLiteral("@StaffID"), staff},
                                                          {QStringLiteral("@ShortName"), name}});
        };
        QVERIFY(!dealer(2, Value::null(DataType::Integer), nullText()));
        QVERIFY(!dealer(1, Value(11), text("O'BRIEN")));
        QVERIFY(!dealer(1, Value(12), text(" ")));
        QVERIFY(!dealer(1, Value(12), text("SMITH")));
        QCOMPARE(stored(QStringLiteral("FilterDealer"), QStringLiteral("StaffID, ShortName")),
                 (QStringList{"11|O'BRIEN", "12|SMITH"}));
        QVERIFY(!dealer(2, Value::null(DataType::Integer), nullText()));
        QCOMPARE(stored(QStringLiteral("FilterDealer"), QStringLiteral("StaffID")), QStringList{});
    }

    void nostroSelectionAddsAndClears()
    {
        const auto nostro = [this](int isDelete, int code) {
            return store(QStringLiteral("StoreNostroF"), {{QStringLiteral("@isDelete"), Value(qint64(isDelete), DataType::SmallInt)},
                                                          {QStringLiteral("@NOSTRO"), Value(qint64(code), DataType::SmallInt)}});
        };
        QVERIFY(!nostro(2, 0));
        QVERIFY(!nostro(1, 2));
        QVERIFY(!nostro(1, 1));
        QCOMPARE(stored(QStringLiteral("FilterNostro"), QStringLiteral("LoroNostro")), (QStringList{"1", "2"}));
        QVERIFY(!nostro(2, 0));
        QCOMPARE(stored(QStringLiteral("FilterNostro"), QStringLiteral("LoroNostro")), QStringList{});
    }

    void oneEntryCallIsRejected_data()
    {
        QTest::addColumn<QString>("procedure");
        QTest::addColumn<int>("isDelete");
        QTest::addColumn<QString>("message");
        QTest::newRow("dealer-isDelete-0") << "StoreDealerF" << 0 << "@isDelete must be 1";
        QTest::newRow("dealer-add-without-staff") << "StoreDealerF" << 1 << "required parameter";
        QTest::newRow("nostro-isDelete-3") << "StoreNostroF" << 3 << "@isDelete must be 1";
        QTest::newRow("nostro-add-without-code") << "StoreNostroF" << 1 << "LORO/NOSTRO code";
    }

    void oneEntryCallIsRejected()
    {
        QFETCH(QString, procedure);
        QFETCH(int, isDelete);
        QFETCH(QString, message);
        const ErrorPtr error = store(procedure, {{QStringLiteral("@isDelete"), Value(qint64(isDelete), DataType::SmallInt)}});
        QVERIFY(error);
        QVERIFY2(error->Description.contains(message), qPrintable(error->Description));
    }

    void missingUserIsRejected()
    {
        ErrorPtr error;
        dbtest::callProcedure(*m_conn, QStringLiteral("StorePairF"),
                              {{QStringLiteral("@ownID"), Value(2)}, {QStringLiteral("@PairIDs"), text("1")}}, &error);
        QVERIFY(error);
        QVERIFY(error->Description.contains(QStringLiteral("required parameter")));
        QCOMPARE(dbtest::query(*m_conn, QStringLiteral("SELECT count(*) FROM FilterPair")), QStringList{"0"});
    }
};

QTEST_GUILESS_MAIN(tst_FilterStore)
#include "tst_filterstore.moc"

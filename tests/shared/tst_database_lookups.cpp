#include "../services/TestTradingDatabase.h"

#include "DatabaseLookups.h"
#include "Directories.h"

#include "Command.h"
#include "Connection.h"
#include "MessageService.h"
#include "SessionContext.h"

#include <QTest>

#include <memory>

class TestDatabaseLookups final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_db = std::make_unique<TestTradingDatabase>();
        QVERIFY2(m_db->create(), qPrintable(m_db->error()));
        QVERIFY2(m_db->fillDirectories(), qPrintable(m_db->error()));
        Directories::clear();
    }
    void cleanup() { m_db.reset(); }

    void parentCurrency_data();
    void parentCurrency();
    void parentsOfManyOnOneConnection();
    void childCurrencies_data();
    void childCurrencies();
    void customEditValue_data();
    void customEditValue();
    void nostroSelection_data();
    void nostroSelection();
    void nostroFailureIsQuiet();
    void dealerSelection_data();
    void dealerSelection();
    void failingLookupsReportTheirOwnTexts_data();
    void failingLookupsReportTheirOwnTexts();
    void dealerStoreRejectedByTheProcedureReportsIt();

private:
    /// The description the database gives for calling a missing procedure.
    QString missingProcedureDescription(const QString &procedure);

    std::unique_ptr<TestTradingDatabase> m_db;
};

void TestDatabaseLookups::parentCurrency_data()
{
    QTest::addColumn<QString>("ccy");
    QTest::addColumn<QString>("parent");

    QTest::newRow("variant-gives-parent") << "RUR" << "RUB";
    QTest::newRow("own-currency-gives-itself") << "RUB" << "RUB";
    QTest::newRow("unknown-gives-same-name") << "XAU" << "XAU";
    QTest::newRow("empty") << "" << "";
}

void TestDatabaseLookups::parentCurrency()
{
    QFETCH(QString, ccy);
    QFETCH(QString, parent);
    QCOMPARE(DatabaseLookups::GetParentCcy(ccy), parent);
    QCOMPARE(MessageService::instance().messages(), QStringList());
}

void TestDatabaseLookups::parentsOfManyOnOneConnection()
{
    const QHash<QString, QString> parents =
        DatabaseLookups::GetParentCcys({"RUR", "XAU", "CNH", "USD"});
    QCOMPARE(parents.size(), 4);
    QCOMPARE(parents.value("RUR"), QStringLiteral("RUB"));
    QCOMPARE(parents.value("XAU"), QStringLiteral("XAU"));   // an unknown code in between
    QCOMPARE(parents.value("CNH"), QStringLiteral("CNY"));
    QCOMPARE(parents.value("USD"), QStringLiteral("USD"));

    QVERIFY(m_db->exec(QStringLiteral("DELETE FROM sys_procedures WHERE name = 'GetParentCcy'")));
    QCOMPARE(DatabaseLookups::GetParentCcys({"RUR"}).value("RUR"), QStringLiteral("RUR"));
    QCOMPARE(MessageService::instance().messages(), QStringList());
}

void TestDatabaseLookups::childCurrencies_data()
{
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QStringList>("children");

    QTest::newRow("with-a-child") << "CNY" << QStringList{"CNY", "CNH"};
    QTest::newRow("without-children") << "USD" << QStringList{"USD"};
    QTest::newRow("unknown") << "XAU" << QStringList{"XAU"};
}

void TestDatabaseLookups::childCurrencies()
{
    QFETCH(QString, parent);
    QFETCH(QStringList, children);
    QCOMPARE(DatabaseLookups::GetChildrenCcy(parent), children);
}

void TestDatabaseLookups::customEditValue_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("allowed");

    QTest::newRow("two-allows") << "INSERT INTO CustomSettings VALUES (1010, 'Allow All start date', 2)" << true;
    QTest::newRow("one-refuses") << "INSERT INTO CustomSettings VALUES (1010, 'Allow All start date', 1)" << false;
    QTest::newRow("null-refuses") << "INSERT INTO CustomSettings VALUES (1010, 'Allow All start date', NULL)" << false;
    QTest::newRow("missing-refuses") << "" << false;
    QTest::newRow("other-switch-ignored") << "INSERT INTO CustomSettings VALUES (1011, 'Other', 2)" << false;
}

void TestDatabaseLookups::customEditValue()
{
    QFETCH(QString, setup);
    QFETCH(bool, allowed);
    QVERIFY(m_db->exec(QStringLiteral("DELETE FROM CustomSettings")));
    if (!setup.isEmpty())
        QVERIFY2(m_db->exec(setup), qPrintable(m_db->error()));
    QCOMPARE(DatabaseLookups::GetCustomEditValue(), allowed);
    QCOMPARE(MessageService::instance().messages(), QStringList());
}

void TestDatabaseLookups::nostroSelection_data()
{
    QTest::addColumn<QStringList>("selection");
    QTest::addColumn<QStringList>("stored");

    QTest::newRow("all-first-clears") << QStringList{"All", "LORO"} << QStringList{};
    QTest::newRow("empty-clears") << QStringList{} << QStringList{};
    QTest::newRow("loro-and-nostro-any-case") << QStringList{"Loro", "NOSTRO"} << QStringList{"1", "2"};
    QTest::newRow("unknown-entry-is-zero") << QStringList{"Vostro"} << QStringList{"0"};
}

void TestDatabaseLookups::nostroSelection()
{
    QFETCH(QStringList, selection);
    QFETCH(QStringList, stored);

    QVERIFY(DatabaseLookups::StoreNostroF({"NOSTRO"}, 5));
    QVERIFY(DatabaseLookups::StoreNostroF({"LORO"}, 7));   // another owner: untouched
    QVERIFY(DatabaseLookups::StoreNostroF(selection, 5));
    QCOMPARE(m_db->rows(QStringLiteral("SELECT LoroNostro FROM FilterNostro WHERE UserName = 'alice' "
                                       "AND OwnerID = 5 ORDER BY LoroNostro")),
             stored);
    QCOMPARE(m_db->rows(QStringLiteral("SELECT LoroNostro FROM FilterNostro WHERE OwnerID = 7")),
             QStringList{"2"});
}

void TestDatabaseLookups::nostroFailureIsQuiet()
{
    QVERIFY(m_db->exec(QStringLiteral("DELETE FROM sys_procedures WHERE name = 'StoreNostroF'")));
    QVERIFY(!DatabaseLookups::StoreNostroF({"LORO"}, 5));
    QCOMPARE(MessageService::instance().messages(), QStringList());
}

void TestDatabaseLookups::dealerSelection_data()
{
    QTest::addColumn<QVariantList>("ids");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("stored");

    QTest::newRow("names-given") << QVariantList{101, 102} << QStringList{"IVAN", "ANNA"}
                                 << QStringList{"101,IVAN", "102,ANNA"};
    QTest::newRow("without-names-blank") << QVariantList{101, 103} << QStringList{}
                                         << QStringList{"101, ", "103, "};
    QTest::newRow("fewer-names-than-ids") << QVariantList{101, 103} << QStringList{"IVAN"}
                                          << QStringList{"101,IVAN", "103, "};
    QTest::newRow("ids-as-texts") << QVariantList{QStringLiteral("102")} << QStringList{"ANNA"}
                                  << QStringList{"102,ANNA"};
    QTest::newRow("no-ids-only-clears") << QVariantList{} << QStringList{} << QStringList{};
}

void TestDatabaseLookups::dealerSelection()
{
    QFETCH(QVariantList, ids);
    QFETCH(QStringList, names);
    QFETCH(QStringList, stored);

    QVERIFY(DatabaseLookups::StoreDealerF({104}, 2, {"KATE"}));
    QVERIFY(DatabaseLookups::StoreDealerF(ids, 2, names));
    QCOMPARE(m_db->rows(QStringLiteral("SELECT StaffID, ShortName FROM FilterDealer "
                                       "WHERE UserName = 'alice' AND OwnerID = 2 ORDER BY StaffID")),
             stored);
    QCOMPARE(MessageService::instance().messages(), QStringList());
}

QString TestDatabaseLookups::missingProcedureDescription(const QString &procedure)
{
    data::Command cmd;
    cmd.setActiveConnection(SessionContext::instance().SessionConnection());
    cmd.setCommandType(data::adCmdStoredProc);
    cmd.setCommandText(procedure);
    if (cmd.Parameters().Refresh() || !cmd.lastError())
        return QString();
    return cmd.lastError()->Description;
}

using Lookup = std::function<void()>;
Q_DECLARE_METATYPE(Lookup)

void TestDatabaseLookups::failingLookupsReportTheirOwnTexts_data()
{
    QTest::addColumn<QString>("procedure");
    QTest::addColumn<Lookup>("lookup");
    QTest::addColumn<QString>("prefix");

    QTest::newRow("broker-info-cr") << "GetBrokerInfo"
                                    << Lookup([] { QVERIFY(DatabaseLookups::GetBrokerInfo().isEmpty()); })
                                    << "Marvolt. Retrive Broker Info. \r";
    QTest::newRow("dealer-filter-crlf") << "StoreDealerF"
                                        << Lookup([] { QVERIFY(!DatabaseLookups::StoreDealerF({101}, 2)); })
                                        << "Marvolt. Store Dealer Filter. \r\n";
    QTest::newRow("custom-value-no-separator")
        << "GetCustomEditValue" << Lookup([] { QVERIFY(!DatabaseLookups::GetCustomEditValue()); })
        << "Error Retrive Start All Parameters. ";
}

void TestDatabaseLookups::failingLookupsReportTheirOwnTexts()
{
    QFETCH(QString, procedure);
    QFETCH(Lookup, lookup);
    QFETCH(QString, prefix);

    QVERIFY(m_db->exec(QStringLiteral("DELETE FROM sys_procedures WHERE name = '") + procedure
                       + QLatin1Char('\'')));
    const QString description = missingProcedureDescription(procedure);
    QVERIFY(!description.isEmpty());
    lookup();
    QCOMPARE(MessageService::instance().messages(), QStringList{prefix + description});
}

void TestDatabaseLookups::dealerStoreRejectedByTheProcedureReportsIt()
{
    QVERIFY(DatabaseLookups::StoreDealerF({101}, 2, {"IVAN"}));
    // A staff id that is not a number binds as null: the procedure refuses it.
    QVERIFY(!DatabaseLookups::StoreDealerF({QStringLiteral("IVAN")}, 2, {"IVAN"}));
    const QString message = MessageService::instance().lastMessage();
    QVERIFY2(message.startsWith(QStringLiteral("Marvolt. Store Dealer Filter. \r\n")), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("A required parameter is missing")), qPrintable(message));
}

QTEST_GUILESS_MAIN(TestDatabaseLookups)
#include "tst_database_lookups.moc"

#include "../services/TestTradingDatabase.h"

#include "Directories.h"
#include "ValueListFillers.h"

#include "GridColumn.h"
#include "ValueList.h"

#include <QTest>

#include <memory>

class TestDirectories final : public QObject
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
    void cleanup()
    {
        Directories::clear();
        m_db.reset();
    }

    void loadFillsEveryList();
    void loadWithAMissingLookupStillFillsTheOthers();
    void pairAndCurrencyValueListsAreReplaced();
    void brokerValueListNeedsLoadedBrokers();
    void counterpartyValueListNamesBanks();
    void traderValueListEndsWithSummary();
    void traderValueListStaysEmptyWithoutTraders();

private:
    static QStringList entries(const widgets::GridColumn &column);
    std::unique_ptr<TestTradingDatabase> m_db;
};

QStringList TestDirectories::entries(const widgets::GridColumn &column)
{
    QStringList list;
    const widgets::ValueList *values = column.valueList();
    for (int i = 0; i < values->Count(); ++i)
        list.append(values->value(i).toString() + QLatin1Char('=') + values->text(i));
    return list;
}

void TestDirectories::loadFillsEveryList()
{
    Directories::LoadDirectories();
    const Directories::Lists &lists = Directories::current();
    QCOMPARE(lists.Currencies.size(), 6);
    QCOMPARE(lists.Pairs.size(), 3);
    QCOMPARE(QStringList(lists.Dealers.texts()), (QStringList{"ANNA", "IVAN"}));
    QCOMPARE(lists.TCIDs.size(), 2);
    QCOMPARE(QStringList(lists.Attributes.texts()), (QStringList{"Hedge", "Proprietary"}));
    QCOMPARE(QStringList(lists.Brokers.texts()), (QStringList{"BGC", "ICAP"}));
    QCOMPARE(QStringList(lists.Traders.texts()), (QStringList{"IVAN", "KATE", "OLEG"}));
    QCOMPARE(lists.CategoryRecords.size(), 3);
    QCOMPARE(lists.Statuses.size(), 8);
    QCOMPARE(MessageService::instance().messages(), QStringList());
}

void TestDirectories::loadWithAMissingLookupStillFillsTheOthers()
{
    QVERIFY(m_db->exec(QStringLiteral("DELETE FROM sys_procedures WHERE name = 'GetBrokerInfo'")));
    Directories::LoadDirectories();
    const Directories::Lists &lists = Directories::current();
    QVERIFY(lists.Brokers.isEmpty());
    QCOMPARE(lists.Traders.size(), 3);
    QCOMPARE(lists.Statuses.size(), 8);
    QCOMPARE(MessageService::instance().messages().size(), 1);
    QVERIFY(MessageService::instance().lastMessage().startsWith(
        QStringLiteral("Marvolt. Retrive Broker Info. \r")));
}

void TestDirectories::pairAndCurrencyValueListsAreReplaced()
{
    widgets::GridColumn column(0, QStringLiteral("Caption"), QStringLiteral("Currency"),
                               QStringLiteral("Caption"));
    column.valueList()->Add(99, QStringLiteral("stale"));
    ValueListFillers::FillPairValueList(&column);
    QCOMPARE(entries(column), (QStringList{"10=EUR/USD", "11=USD/RUB", "12=USD/RUR"}));
    ValueListFillers::FillCurrencyValueList(&column);
    QCOMPARE(entries(column).size(), 6);
    QCOMPARE(column.valueList()->textOf(4), QStringLiteral("RUR"));
    ValueListFillers::FillPairValueList(nullptr);   // ignored
}

void TestDirectories::brokerValueListNeedsLoadedBrokers()
{
    widgets::GridColumn column(0, QStringLiteral("BrID"), QStringLiteral("Broker"), QStringLiteral("BrID"));
    column.valueList()->Add(1, QStringLiteral("kept"));
    ValueListFillers::FillBrokerValueList(&column);   // nothing loaded yet: left alone
    QCOMPARE(entries(column), QStringList{"1=kept"});
    Directories::LoadDirectories();
    ValueListFillers::FillBrokerValueList(&column);
    QCOMPARE(entries(column), (QStringList{"8=BGC", "7=ICAP"}));
}

void TestDirectories::counterpartyValueListNamesBanks()
{
    widgets::GridColumn column(0, QStringLiteral("CPID"), QStringLiteral("Bank"), QStringLiteral("CPID"));
    ValueListFillers::FillCounterpartyValueList(&column);
    QCOMPARE(entries(column), (QStringList{"501=Deutsche Bank", "502=Sberbank", "503=BlackRock"}));
}

void TestDirectories::traderValueListEndsWithSummary()
{
    widgets::GridColumn column(0, QStringLiteral("Trader"), QStringLiteral("Trader"), QStringLiteral("StaffID"));
    ValueListFillers::FillTraderValueList(&column);   // loads the traders itself
    QCOMPARE(entries(column), (QStringList{"101=IVAN", "104=KATE", "103=OLEG", "0=Summary"}));
    QCOMPARE(Directories::current().Traders.size(), 3);
}

void TestDirectories::traderValueListStaysEmptyWithoutTraders()
{
    QVERIFY(m_db->exec(QStringLiteral("UPDATE Staff SET IsTrader = 0")));
    widgets::GridColumn column(0, QStringLiteral("Trader"), QStringLiteral("Trader"), QStringLiteral("StaffID"));
    ValueListFillers::FillTraderValueList(&column);
    QCOMPARE(column.valueList()->Count(), 0);   // no lone "Summary" entry
}

QTEST_GUILESS_MAIN(TestDirectories)
#include "tst_directories.moc"

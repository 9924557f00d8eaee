#include "../services/TestTradingDatabase.h"

#include "Directories.h"
#include "ValueListFillers.h"


#include <QTest>

#include <memory>

namespace {

/// A column's value list as "value=text" entries, in the order they were added.
struct ValueListEntries final : ValueListSink
{
    QStringList entries;
    void clearValueList() override { entries.clear(); }
    void addValueListEntry(const QVariant &value, const QString &text) override
    {
        entries.append(value.toString() + QLatin1Char('=') + text);
    }
};

} // namespace

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
    std::unique_ptr<TestTradingDatabase> m_db;
};

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
    ValueListEntries column;
    column.addValueListEntry(99, QStringLiteral("stale"));
    ValueListFillers::FillPairValueList(&column);
    QCOMPARE(column.entries, (QStringList{"10=EUR/USD", "11=USD/RUB", "12=USD/RUR"}));
    ValueListFillers::FillCurrencyValueList(&column);
    QCOMPARE(column.entries.size(), 6);
    QVERIFY(column.entries.contains(QStringLiteral("4=RUR")));
    ValueListFillers::FillPairValueList(nullptr);   // ignored
}

void TestDirectories::brokerValueListNeedsLoadedBrokers()
{
    ValueListEntries column;
    column.addValueListEntry(1, QStringLiteral("kept"));
    ValueListFillers::FillBrokerValueList(&column);   // nothing loaded yet: left alone
    QCOMPARE(column.entries, QStringList{"1=kept"});
    Directories::LoadDirectories();
    ValueListFillers::FillBrokerValueList(&column);
    QCOMPARE(column.entries, (QStringList{"8=BGC", "7=ICAP"}));
}

void TestDirectories::counterpartyValueListNamesBanks()
{
    ValueListEntries column;
    ValueListFillers::FillCounterpartyValueList(&column);
    QCOMPARE(column.entries, (QStringList{"501=Deutsche Bank", "502=Sberbank", "503=BlackRock"}));
}

void TestDirectories::traderValueListEndsWithSummary()
{
    ValueListEntries column;
    ValueListFillers::FillTraderValueList(&column);   // loads the traders itself
    QCOMPARE(column.entries, (QStringList{"101=IVAN", "104=KATE", "103=OLEG", "0=Summary"}));
    QCOMPARE(Directories::current().Traders.size(), 3);
}

void TestDirectories::traderValueListStaysEmptyWithoutTraders()
{
    QVERIFY(m_db->exec(QStringLiteral("UPDATE Staff SET IsTrader = 0")));
    ValueListEntries column;
    ValueListFillers::FillTraderValueList(&column);
    QVERIFY(column.entries.isEmpty());   // no lone "Summary" entry
}

QTEST_GUILESS_MAIN(TestDirectories)
#include "tst_directories.moc"

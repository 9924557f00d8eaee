#include "TestTradingDatabase.h"

#include "DirectoryProvider.h"
#include "SessionContext.h"

#include <QTest>

#include <memory>

class TestDirectoryProvider final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_db = std::make_unique<TestTradingDatabase>();
        QVERIFY2(m_db->create(), qPrintable(m_db->error()));
        QVERIFY2(m_db->fillDirectories(), qPrintable(m_db->error()));
    }
    void cleanup() { m_db.reset(); }

    void listsHaveTextAndIdentifierRows_data();
    void listsHaveTextAndIdentifierRows();
    void statusListFlagLeavesOutNegativeCodes();
    void listsAreCachedUntilRefresh();
    void newSessionDropsTheCache();
    void unreadableListIsEmptyAndNotCached();
    void categoriesCarryEntriesAndAttributeValues();

private:
    std::unique_ptr<TestTradingDatabase> m_db;
};

using ListCall = std::function<TwoRowTable(DirectoryProvider &)>;
Q_DECLARE_METATYPE(ListCall)

void TestDirectoryProvider::listsHaveTextAndIdentifierRows_data()
{
    QTest::addColumn<ListCall>("list");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QStringList>("ids");

    QTest::newRow("currencies-by-sort-order-variants-included")
        << ListCall([](DirectoryProvider &p) { return p.CurrencyList(false); })
        << QStringList{"USD", "EUR", "RUB", "CNY", "CNH", "RUR"}
        << QStringList{"1", "2", "3", "5", "6", "4"};
    QTest::newRow("pairs")
        << ListCall([](DirectoryProvider &p) { return p.PairList(true); })
        << QStringList{"EUR/USD", "USD/RUB", "USD/RUR"} << QStringList{"10", "11", "12"};
    QTest::newRow("dealers-active-only")
        << ListCall([](DirectoryProvider &p) { return p.DealerList(true); })
        << QStringList{"ANNA", "IVAN"} << QStringList{"102", "101"};
    QTest::newRow("dealers-with-inactive")
        << ListCall([](DirectoryProvider &p) { return p.DealerList(false); })
        << QStringList{"ANNA", "IVAN", "OLEG"} << QStringList{"102", "101", "103"};
    QTest::newRow("tcids-code-as-identifier")
        << ListCall([](DirectoryProvider &p) { return p.TCIDList(); })
        << QStringList{"EBS2", "REUT1"} << QStringList{"EBS2", "REUT1"};
    QTest::newRow("statuses-all")
        << ListCall([](DirectoryProvider &p) {
               bool all = true;
               return p.StatusList(all);
           })
        << QStringList{"Recoil", "Checked", "Manual", "Replacement", "Non Checked", "Deleted",
                       "Faulty", "Service"}
        << QStringList{"4", "3", "2", "1", "0", "-1", "-2", "-4"};
}

void TestDirectoryProvider::listsHaveTextAndIdentifierRows()
{
    QFETCH(ListCall, list);
    QFETCH(QStringList, texts);
    QFETCH(QStringList, ids);

    const TwoRowTable table = list(DirectoryProvider::instance());
    QCOMPARE(table.size(), texts.size());
    QStringList gotIds;
    for (int i = 0; i < table.size(); ++i) {
        QCOMPARE(table.at(0, i).toString(), table.text(i));
        gotIds.append(table.at(1, i).toString());
    }
    QCOMPARE(QStringList(table.texts()), texts);
    QCOMPARE(gotIds, ids);
    QVERIFY(!table.at(2, 0).isValid());
    QVERIFY(!table.at(1, table.size()).isValid());
}

void TestDirectoryProvider::statusListFlagLeavesOutNegativeCodes()
{
    bool all = false;
    const TwoRowTable live = DirectoryProvider::instance().StatusList(all);
    QCOMPARE(QStringList(live.texts()),
             (QStringList{"Recoil", "Checked", "Manual", "Replacement", "Non Checked"}));
    QVERIFY(!all);
    all = true;
    QCOMPARE(DirectoryProvider::instance().StatusList(all).size(), 8);
    QVERIFY(all);
}

void TestDirectoryProvider::listsAreCachedUntilRefresh()
{
    DirectoryProvider &provider = DirectoryProvider::instance();
    QCOMPARE(provider.TCIDList().size(), 2);
    QVERIFY(m_db->exec(QStringLiteral("INSERT INTO TCIDs (TCID, Name) VALUES ('BBG3', 'Bloomberg')")));
    QCOMPARE(provider.TCIDList().size(), 2);
    provider.Refresh();
    QCOMPARE(QStringList(provider.TCIDList().texts()), (QStringList{"BBG3", "EBS2", "REUT1"}));
}

void TestDirectoryProvider::newSessionDropsTheCache()
{
    DirectoryProvider &provider = DirectoryProvider::instance();
    QCOMPARE(provider.PairList(false).size(), 3);

    TestTradingDatabase other;   // makes a fresh, empty database the session
    QVERIFY2(other.create(), qPrintable(other.error()));
    // create() reset the provider as well; keep using the same object to see
    // that it notices the new session on its own.
    DirectoryProvider &fresh = DirectoryProvider::instance();
    QCOMPARE(fresh.PairList(false).size(), 0);
    QVERIFY(!fresh.lastError());
}

void TestDirectoryProvider::unreadableListIsEmptyAndNotCached()
{
    DirectoryProvider &provider = DirectoryProvider::instance();
    QVERIFY(m_db->exec(QStringLiteral("ALTER TABLE TCIDs RENAME TO TCIDsGone")));
    QCOMPARE(provider.TCIDList().size(), 0);
    QVERIFY(provider.lastError());
    QVERIFY(m_db->exec(QStringLiteral("ALTER TABLE TCIDsGone RENAME TO TCIDs")));
    QCOMPARE(provider.TCIDList().size(), 2);
    QVERIFY(!provider.lastError());
}

void TestDirectoryProvider::categoriesCarryEntriesAndAttributeValues()
{
    const QList<CategoryRecord> categories = DirectoryProvider::instance().CategoryList();
    QCOMPARE(categories.size(), 3);
    QCOMPARE(categories.at(0).Name, QStringLiteral("Banks"));
    QCOMPARE(categories.at(0).Entries, (QStringList{"DBK", "SBR"}));
    QCOMPARE(categories.at(0).Attributes.size(), 2);
    QCOMPARE(categories.at(0).Attributes.at(0).Name, QStringLiteral("Country"));
    QCOMPARE(categories.at(0).Attributes.at(0).Values, (QStringList{"DE", "RU"}));
    QCOMPARE(categories.at(0).Attributes.at(1).Values, QStringList{"A"});
    // A category with neither counterparties nor attributes is still listed.
    QCOMPARE(categories.at(1).Name, QStringLiteral("Empty"));
    QVERIFY(categories.at(1).Entries.isEmpty());
    QVERIFY(categories.at(1).Attributes.isEmpty());
    QCOMPARE(categories.at(2).Entries, QStringList{"BLK"});
}

QTEST_GUILESS_MAIN(TestDirectoryProvider)
#include "tst_directory_provider.moc"

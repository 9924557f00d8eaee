#include "../services/TestTradingDatabase.h"

#include "PairList.h"

#include "Recordset.h"

#include <QTest>

#include <memory>

class TestPairList final : public QObject
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

    void buildPairList_data();
    void buildPairList();
    void directoryPairsMapVariantsToParents();
    void pairPart_data();
    void pairPart();

private:
    static data::RecordsetPtr pairs(const QList<QPair<QString, QString>> &rows);
    std::unique_ptr<TestTradingDatabase> m_db;
};

data::RecordsetPtr TestPairList::pairs(const QList<QPair<QString, QString>> &rows)
{
    auto rs = std::make_shared<data::Recordset>();
    rs->Fields().Append(QStringLiteral("Ccy1"), data::DataType::VarWChar, 10);
    rs->Fields().Append(QStringLiteral("Ccy2"), data::DataType::VarWChar, 10);
    rs->Open();
    for (const auto &row : rows) {
        rs->AddNew();
        rs->Fields(0).setValue(row.first);
        rs->Fields(1).setValue(row.second);
        rs->Update();
    }
    return rs;
}

using Rows = QList<QPair<QString, QString>>;

void TestPairList::buildPairList_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("reversed-pair-once") << Rows{{"USD", "RUB"}, {"RUB", "USD"}} << QStringList{"USD/RUB"};
    QTest::newRow("variant-same-as-parent") << Rows{{"USD", "RUB"}, {"USD", "RUR"}, {"RUR", "USD"}}
                                            << QStringList{"USD/RUB"};
    QTest::newRow("variant-first-shows-parent") << Rows{{"CNH", "USD"}} << QStringList{"CNY/USD"};
    QTest::newRow("distinct-pairs-in-order") << Rows{{"EUR", "USD"}, {"USD", "RUB"}, {"EUR", "RUB"}}
                                             << QStringList{"EUR/USD", "USD/RUB", "EUR/RUB"};
    QTest::newRow("unknown-currency-kept") << Rows{{"XAU", "USD"}} << QStringList{"XAU/USD"};
    QTest::newRow("no-rows") << Rows{} << QStringList{};
}

void TestPairList::buildPairList()
{
    QFETCH(Rows, rows);
    QFETCH(QStringList, expected);
    data::RecordsetPtr rs = pairs(rows);
    QCOMPARE(PairList::BuildPairList(*rs), expected);
}

void TestPairList::directoryPairsMapVariantsToParents()
{
    data::RecordsetPtr rs = PairList::PairRecordset();
    QVERIFY(rs);
    QCOMPARE(PairList::BuildPairList(*rs), (QStringList{"EUR/USD", "USD/RUB"}));
}

void TestPairList::pairPart_data()
{
    QTest::addColumn<int>("part");
    QTest::addColumn<QString>("pair");
    QTest::addColumn<QString>("expected");

    QTest::newRow("first") << 1 << "EUR/USD" << "EUR";
    QTest::newRow("second") << 2 << "EUR/USD" << "USD";
    QTest::newRow("zero-part") << 0 << "EUR/USD" << "";
    QTest::newRow("third-part") << 3 << "EUR/USD/X" << "";
    QTest::newRow("no-slash-second") << 2 << "EURUSD" << "";
    QTest::newRow("no-slash-first") << 1 << "EURUSD" << "EURUSD";
}

void TestPairList::pairPart()
{
    QFETCH(int, part);
    QFETCH(QString, pair);
    QFETCH(QString, expected);
    QCOMPARE(PairList::PairPart(part, pair), expected);
}

QTEST_GUILESS_MAIN(TestPairList)
#include "tst_pair_list.moc"

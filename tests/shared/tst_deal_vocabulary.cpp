#include "DealVocabulary.h"

#include <QTest>

using namespace DealVocabulary;

class TestDealVocabulary final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dealTypeCodes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");
        QTest::newRow("spot") << "Spot" << 2;
        QTest::newRow("swap") << "Swap" << 8;
        QTest::newRow("fra-not-offered-but-known") << "FRA" << 32;
        QTest::newRow("other-case-unknown") << "spot" << 0;
        QTest::newRow("empty") << "" << 0;
    }
    void dealTypeCodes()
    {
        QFETCH(QString, text);
        QFETCH(int, code);
        QCOMPARE(int(DealTypeCode(text)), code);
    }

    void statusCodesAreCaseSensitive()
    {
        QCOMPARE(StatusCode("Checked"), qint16(3));
        QCOMPARE(StatusCode("checked"), qint16(0));
        QCOMPARE(StatusCode("Service"), qint16(-4));
        QCOMPARE(StatusCode("Non Checked"), qint16(0));
    }

    void statusNamesRoundTripAndUnknownCodes()
    {
        for (int code : {4, 3, 2, 1, 0, -1, -2, -4})
            QCOMPARE(int(StatusCode(StatusName(code))), code);
        QCOMPARE(StatusName(-3), QStringLiteral("Unidentified"));
        QCOMPARE(StatusName(5), QStringLiteral("Unidentified"));
    }

    void loroNostroIgnoresCase()
    {
        QCOMPARE(LoroNostroCode("Loro"), 2);
        QCOMPARE(LoroNostroCode("NOSTRO"), 1);
        QCOMPARE(LoroNostroCode("nostro"), 1);
        QCOMPARE(LoroNostroCode("All"), 0);
    }

    void selectionTitles()
    {
        QCOMPARE(ListTitle({}), QStringLiteral("All"));
        QCOMPARE(ListTitle({"All"}), QStringLiteral("All"));
        QCOMPARE(ListTitle({"Citibank"}), QStringLiteral("Citibank"));
        QCOMPARE(ListTitle({"Citibank", "HSBC"}), QStringLiteral("List"));
        QCOMPARE(KeyTitle({}), QStringLiteral("All"));
        QCOMPARE(KeyTitle({"Banks|Russia|Sberbank"}), QStringLiteral("Sberbank"));
        QCOMPARE(KeyTitle({"Sberbank"}), QStringLiteral("Sberbank"));
        QCOMPARE(KeyTitle({"a|b", "c|d"}), QStringLiteral("List"));
    }
};

QTEST_GUILESS_MAIN(TestDealVocabulary)
#include "tst_deal_vocabulary.moc"

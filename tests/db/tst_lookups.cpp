// The lookup procedures on a small hand-built directory, row for row, and a
// failing procedure reaching the caller as an Error.

#include "TradingDbTestSupport.h"

#include <QTemporaryDir>

using namespace data;
using dbtest::Arguments;

class tst_Lookups final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Connection> m_conn;

    QStringList call(const QString &procedure, const Arguments &arguments = {})
    {
        ErrorPtr error;
        const RecordsetPtr rs = dbtest::callProcedure(*m_conn, procedure, arguments, &error);
        if (error)
            qWarning("%s failed: %s", qPrintable(procedure), qPrintable(error->Description));
        return dbtest::rowTexts(rs);
    }

    QStringList fieldNames(const QString &procedure, const Arguments &arguments = {})
    {
        ErrorPtr error;
        const RecordsetPtr rs = dbtest::callProcedure(*m_conn, procedure, arguments, &error);
        QStringList names;
        for (int i = 0; rs && i < rs->Fields().Count(); ++i)
            names << rs->Fields(i).Name();
        return names;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QString why;
        m_conn = dbtest::openWithSchema(
            m_dir.filePath(QStringLiteral("lookups.db")),
            {QStringLiteral("GetBrokerInfo"), QStringLiteral("GetTraderFromStaff"), QStringLiteral("GetParentCcy"),
             QStringLiteral("GetChildrenCcy"), QStringLiteral("GetCustomEditValue"), QStringLiteral("GetAllCpID"),
             QStringLiteral("StoreCondition")},
            &why);
        QVERIFY2(m_conn, qPrintable(why));
        QVERIFY(dbtest::exec(*m_conn, QStringLiteral(
            "INSERT INTO Currencies (CcyID, Ccy, Name, ParentCcyID, SortOrder) VALUES "
            "  (1, 'USD', 'US Dollar', NULL, 10), (2, 'RUB', 'Russian Ruble', NULL, 20),"
            "  (3, 'RUR', 'Russian Ruble (old code)', 2, 30), (4, 'RUX', 'Ruble cash', 2, 25),"
            "  (5, 'EUR', 'Euro', NULL, 15);"
            "INSERT INTO Brokers (BrID, ShortName, FullName, CommissionRate, CommissionCcy, Active) VALUES "
            "  (2, 'TULLB', 'Tullbridge', 10, 'USD', 1), (1, 'EASTG', 'Eastgate', 9, 'USD', 0),"
            "  (3, 'VANTG', 'Vantage', 7.5, 'EUR', 1);"
            "INSERT INTO Staff (StaffID, ShortName, FullName, IsDealer, IsTrader, IsConfirmer, Active) VALUES "
            "  (1, 'SMITH', 'John Smith', 1, 1, 0, 1), (2, 'O''BRIEN', 'Sean O''Brien', 1, 1, 0, 0),"
            "  (3, 'KENT', 'Paul Kent', 0, 0, 1, 1), (4, 'ADLER', 'Ben Adler', 1, 1, 0, 1);"
            "INSERT INTO CustomSettings (CustomID, Name, CustomValue) VALUES "
            "  (1010, 'Allow All start date', 2), (1020, 'Unset switch', NULL);"
            "INSERT INTO Categories VALUES (1, 'Banks');"
            "INSERT INTO Counterparties (CPID, ShortName, FullBankName, CategoryID, Netting) VALUES "
            "  (1002, 'DORSAY', 'Banque d''Orsay SA', 1, 2), (1001, 'NORDCO', 'Nordhaven Commercial Bank plc', 1, 0)")));
    }

    void cleanupTestCase() { m_conn.reset(); }

    void brokerInfo_data()
    {
        QTest::addColumn<int>("mainInfo");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("all-brokers") << 0 << QStringList{"1|EASTG|Eastgate|9|USD|False",
                                                         "2|TULLB|Tullbridge|10|USD|True",
                                                         "3|VANTG|Vantage|7.5|EUR|True"};
        QTest::newRow("active-only") << 1 << QStringList{"2|TULLB|Tullbridge|10|USD|True",
                                                         "3|VANTG|Vantage|7.5|EUR|True"};
    }

    void brokerInfo()
    {
        QFETCH(int, mainInfo);
        QFETCH(QStringList, rows);
        QCOMPARE(call(QStringLiteral("GetBrokerInfo"),
                      {{QStringLiteral("@ParamMainInfo"), Value(qint64(mainInfo), DataType::SmallInt)}}),
                 rows);
        QCOMPARE(fieldNames(QStringLiteral("GetBrokerInfo"),
                            {{QStringLiteral("@ParamMainInfo"), Value(qint64(0), DataType::SmallInt)}})
                     .mid(0, 2),
                 (QStringList{"BrID", "ShortName"}));
    }

    void tradersIncludeInactiveOnes()
    {
        QCOMPARE(call(QStringLiteral("GetTraderFromStaff")),
                 (QStringList{"4|ADLER|Ben Adler", "2|O'BRIEN|Sean O'Brien", "1|SMITH|John Smith"}));
        QCOMPARE(fieldNames(QStringLiteral("GetTraderFromStaff")).mid(0, 2), (QStringList{"StaffID", "ShortName"}));
    }

    void parentCurrency_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("child") << "RUR" << QStringList{"RUB"};
        QTest::newRow("parent-is-itself") << "RUB" << QStringList{"RUB"};
        QTest::newRow("unknown-gives-no-row") << "XYZ" << QStringList{};
        QTest::newRow("case-matters") << "rur" << QStringList{};
        QTest::newRow("quote-in-name") << "R'R" << QStringList{};
    }

    void parentCurrency()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, rows);
        QCOMPARE(call(QStringLiteral("GetParentCcy"), {{QStringLiteral("@CcyName"), Value(name)}}), rows);
    }

    void childCurrencies_data()
    {
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("two-children-in-directory-order") << "RUB" << QStringList{"RUX", "RUR"};
        QTest::newRow("no-children") << "USD" << QStringList{};
        QTest::newRow("unknown") << "XYZ" << QStringList{};
    }

    void childCurrencies()
    {
        QFETCH(QString, parent);
        QFETCH(QStringList, rows);
        QCOMPARE(call(QStringLiteral("GetChildrenCcy"), {{QStringLiteral("@ParentCcy"), Value(parent)}}), rows);
    }

    void customValue_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("set") << 1010 << QStringList{"2"};
        QTest::newRow("null-value") << 1020 << QStringList{"<null>"};
        QTest::newRow("not-set-up") << 1030 << QStringList{};
    }

    void customValue()
    {
        QFETCH(int, id);
        QFETCH(QStringList, rows);
        QCOMPARE(call(QStringLiteral("GetCustomEditValue"),
                      {{QStringLiteral("@CustomID"), Value(qint64(id), DataType::SmallInt)}}),
                 rows);
        QCOMPARE(fieldNames(QStringLiteral("GetCustomEditValue"),
                            {{QStringLiteral("@CustomID"), Value(qint64(id), DataType::SmallInt)}}),
                 QStringList{"CustomValue"});
    }

    void allCounterparties()
    {
        QCOMPARE(call(QStringLiteral("GetAllCpID")),
                 (QStringList{"1001|Nordhaven Commercial Bank plc|NORDCO", "1002|Banque d'Orsay SA|DORSAY"}));
        QCOMPARE(fieldNames(QStringLiteral("GetAllCpID")).mid(0, 2), (QStringList{"CPID", "FullBankName"}));
    }

    void failingProcedureIsAnError()
    {
        ErrorPtr error;
        const RecordsetPtr rs = dbtest::callProcedure(
            *m_conn, QStringLiteral("StoreCondition"),
            {{QStringLiteral("@UserName"), Value(QStringLiteral("u"))}, {QStringLiteral("@ownID"), Value(2)},
             {QStringLiteral("@Kind"), Value(1)}, {QStringLiteral("@Condition"), Value(QStringLiteral("1=1"))}},
            &error);
        QVERIFY(!rs);
        QVERIFY(error);
        QCOMPARE(error->Number, int(Error::ErrorsInCommand));
        QVERIFY2(error->Description.contains(QStringLiteral("Unrecognised condition text")),
                 qPrintable(error->Description));
    }
};

QTEST_GUILESS_MAIN(tst_Lookups)
#include "tst_lookups.moc"

#include "FieldReader.h"

#include "SessionContext.h"

#include "Currency.h"
#include "DateTime.h"
#include "Recordset.h"

#include <QTest>

class TestFieldReader final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { SessionContext::resetInstance(); }

    void readsByMode_data();
    void readsByMode();
    void moneyStaysExact();
    void noCurrentRecordOrUnknownFieldGivesEmpty();
};

void TestFieldReader::init()
{
    SessionContext::resetInstance();
    SessionContext::instance().setRateFormat(QStringLiteral("0.0000"));
    SessionContext::instance().setValueFormat(QStringLiteral("#,##0.00"));
}

void TestFieldReader::readsByMode_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("nullAsZero");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("null-is-error-text") << "Amount" << 0 << false << QVariant(QStringLiteral("<<Error>>"));
    QTest::newRow("null-formatted-is-error-text") << "Rate" << 1 << false << QVariant(QStringLiteral("<<Error>>"));
    QTest::newRow("null-as-zero") << "Amount" << 2 << true << QVariant::fromValue(qint16(0));
    QTest::newRow("rate-format") << "RateSet" << 1 << false << QVariant(QStringLiteral("1.0843"));
    QTest::newRow("value-format") << "AmountSet" << 2 << false << QVariant(QStringLiteral("-1,250,000.50"));
    QTest::newRow("value-format-integer") << "Count" << 2 << false << QVariant(QStringLiteral("12,345.00"));
    QTest::newRow("text-formatted-unchanged") << "Name" << 2 << false << QVariant(QStringLiteral("EUR/USD"));
    QTest::newRow("date-formatted-as-its-text") << "Day" << 1 << false << QVariant(QStringLiteral("12/4/2026"));
    QTest::newRow("raw-text") << "Name" << 0 << false << QVariant(QStringLiteral("EUR/USD"));
    QTest::newRow("raw-double") << "RateSet" << 0 << false << QVariant(1.08425);
    QTest::newRow("unknown-mode-empty") << "RateSet" << 3 << false << QVariant();
    QTest::newRow("unknown-mode-null-still-error") << "Rate" << 3 << false << QVariant(QStringLiteral("<<Error>>"));
}

void TestFieldReader::readsByMode()
{
    QFETCH(QString, field);
    QFETCH(int, mode);
    QFETCH(bool, nullAsZero);
    QFETCH(QVariant, expected);

    data::Recordset rs;
    rs.Fields().Append(QStringLiteral("Amount"), data::DataType::Currency);
    rs.Fields().Append(QStringLiteral("Rate"), data::DataType::Double);
    rs.Fields().Append(QStringLiteral("RateSet"), data::DataType::Double);
    rs.Fields().Append(QStringLiteral("AmountSet"), data::DataType::Currency);
    rs.Fields().Append(QStringLiteral("Count"), data::DataType::Integer);
    rs.Fields().Append(QStringLiteral("Name"), data::DataType::VarWChar, 20);
    rs.Fields().Append(QStringLiteral("Day"), data::DataType::Date);
    QVERIFY(rs.Open());
    QVERIFY(rs.AddNew());
    rs.Fields(QStringLiteral("RateSet")).setValue(1.08425);
    rs.Fields(QStringLiteral("AmountSet")).setValue(data::Currency::fromRaw(-12500005000));
    rs.Fields(QStringLiteral("Count")).setValue(12345);
    rs.Fields(QStringLiteral("Name")).setValue(QStringLiteral("EUR/USD"));
    rs.Fields(QStringLiteral("Day")).setValue(data::DateTime::fromDate(QDate(2026, 12, 4)));
    QVERIFY(rs.Update());

    const QVariant got = FieldReader::GetFieldValue(rs, field, mode, nullAsZero);
    QCOMPARE(got.metaType(), expected.metaType());
    QCOMPARE(got, expected);
}

void TestFieldReader::moneyStaysExact()
{
    data::Recordset rs;
    rs.Fields().Append(QStringLiteral("Volume"), data::DataType::Currency);
    QVERIFY(rs.Open());
    rs.AddNew();
    // 2^53 + 1 ten-thousandths: a double would lose the last unit.
    const data::Currency amount = data::Currency::fromRaw((qint64(1) << 53) + 1);
    rs.Fields(0).setValue(amount);
    const QVariant got = FieldReader::GetFieldValue(rs, QStringLiteral("Volume"), 0, false);
    QCOMPARE(got.metaType(), QMetaType::fromType<data::Currency>());
    QCOMPARE(got.value<data::Currency>().raw(), amount.raw());
}

void TestFieldReader::noCurrentRecordOrUnknownFieldGivesEmpty()
{
    data::Recordset rs;
    rs.Fields().Append(QStringLiteral("Volume"), data::DataType::Currency);
    QVERIFY(rs.Open());
    QVERIFY(!FieldReader::GetFieldValue(rs, QStringLiteral("Volume"), 0, false).isValid());
    rs.AddNew();
    QVERIFY(!FieldReader::GetFieldValue(rs, QStringLiteral("Missing"), 0, true).isValid());
}

QTEST_GUILESS_MAIN(TestFieldReader)
#include "tst_field_reader.moc"

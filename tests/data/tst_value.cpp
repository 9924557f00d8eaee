#include "Currency.h"
#include "DateTime.h"
#include "Value.h"

#include <QTest>

using namespace data;

class tst_Value : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void currencySumsAreExact()
    {
        Currency sum;
        const Currency tick = Currency::fromRaw(1);
        for (int i = 0; i < 1'000'000; ++i)
            sum += tick;
        QCOMPARE(sum, Currency::fromUnits(100));
        QCOMPARE(sum.toString(), QStringLiteral("100"));
        // The same through doubles drifts; through fromDouble each step is exact.
        Currency viaDouble;
        for (int i = 0; i < 10'000; ++i)
            viaDouble += Currency::fromDouble(0.0001);
        QCOMPARE(viaDouble, Currency::fromUnits(1));
    }

    void currencyFromString_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<qint64>("raw");
        QTest::newRow("negative") << "-1234.5" << true << qint64(-12345000);
        QTest::newRow("rounds-fifth-decimal") << "1234.56789" << true << qint64(12345679);
        QTest::newRow("half-away-from-zero") << "0.00005" << true << qint64(1);
        QTest::newRow("negative-half-away") << "-0.00005" << true << qint64(-1);
        QTest::newRow("below-half") << "0.000049999" << true << qint64(0);
        QTest::newRow("plus-sign") << "+0.5" << true << qint64(5000);
        QTest::newRow("leading-dot") << ".5" << true << qint64(5000);
        QTest::newRow("trailing-dot") << "5." << true << qint64(50000);
        QTest::newRow("spaces-trimmed") << " 12 " << true << qint64(120000);
        QTest::newRow("largest") << "922337203685477.5807" << true << qint64(9223372036854775807LL);
        QTest::newRow("too-large") << "922337203685478" << false << qint64(0);
        QTest::newRow("empty") << "" << false << qint64(0);
        QTest::newRow("grouping") << "1,000.5" << false << qint64(0);
        QTest::newRow("exponent") << "1e5" << false << qint64(0);
        QTest::newRow("two-dots") << "1.2.3" << false << qint64(0);
        QTest::newRow("sign-only") << "-" << false << qint64(0);
        QTest::newRow("dot-only") << "." << false << qint64(0);
        QTest::newRow("double-sign") << "--1" << false << qint64(0);
    }

    void currencyFromString()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(qint64, raw);
        const auto c = Currency::fromString(text);
        QCOMPARE(c.has_value(), valid);
        if (valid)
            QCOMPARE(c->raw(), raw);
    }

    void currencyFromDoubleRoundsHalfAwayFromZero_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("raw");
        QTest::newRow("decimal-half-up") << 1.00005 << qint64(10001);
        QTest::newRow("decimal-half-negative") << -1.00005 << qint64(-10001);
        QTest::newRow("binary-sum") << 0.1 + 0.2 << qint64(3000);
        QTest::newRow("just-below-representation") << 2.675 << qint64(26750);
        QTest::newRow("round-down") << 1.23454 << qint64(12345);
        QTest::newRow("tiny-negative") << -0.000025 << qint64(0);
        QTest::newRow("smallest-half") << 0.00005 << qint64(1);
        QTest::newRow("large") << 123456789.12345 << qint64(1234567891235LL);
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << qint64(0);
    }

    void currencyFromDoubleRoundsHalfAwayFromZero()
    {
        QFETCH(double, value);
        QFETCH(qint64, raw);
        QCOMPARE(Currency::fromDouble(value).raw(), raw);
    }

    void currencyToString_data()
    {
        QTest::addColumn<qint64>("raw");
        QTest::addColumn<QString>("text");
        QTest::newRow("trailing-zeros-dropped") << qint64(12345000) << "1234.5";
        QTest::newRow("smallest-negative") << qint64(-1) << "-0.0001";
        QTest::newRow("whole") << qint64(170000) << "17";
        QTest::newRow("zero") << qint64(0) << "0";
        QTest::newRow("negative-whole-and-fraction") << qint64(-123456) << "-12.3456";
        QTest::newRow("most-negative") << std::numeric_limits<qint64>::min() << "-922337203685477.5808";
    }

    void currencyToString()
    {
        QFETCH(qint64, raw);
        QFETCH(QString, text);
        QCOMPARE(Currency::fromRaw(raw).toString(), text);
        if (raw != std::numeric_limits<qint64>::min())
            QCOMPARE(Currency::fromString(text)->raw(), raw);
    }

    void dateFromIsoString_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");   // "" when invalid
        QTest::newRow("date") << "2026-12-05" << "2026-12-05";
        QTest::newRow("date-hour-minute") << "2026-12-05 10:30" << "2026-12-05 10:30:00";
        QTest::newRow("t-separator-seconds") << "2026-12-05T10:30:15" << "2026-12-05 10:30:15";
        QTest::newRow("milliseconds-dropped") << "2026-12-05 10:30:15.123" << "2026-12-05 10:30:15";
        QTest::newRow("leap-day") << "2024-02-29" << "2024-02-29";
        QTest::newRow("before-1970") << "1969-12-31 23:59:59" << "1969-12-31 23:59:59";
        QTest::newRow("no-leap-day") << "2026-02-29" << "";
        QTest::newRow("month-13") << "2026-13-01" << "";
        QTest::newRow("one-digit-day") << "2026-12-5" << "";
        QTest::newRow("hour-24") << "2026-12-05 24:00" << "";
        QTest::newRow("trailing-text") << "2026-12-05 10:30 x" << "";
        QTest::newRow("us-form") << "12/5/2026" << "";
        QTest::newRow("empty") << "" << "";
    }

    void dateFromIsoString()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const auto d = DateTime::fromIsoString(text);
        QCOMPARE(d.has_value(), !expected.isEmpty());
        if (d)
            QCOMPARE(d->toIsoString(), expected);
    }

    void dateFromUsString_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");   // ISO; "" when invalid
        QTest::newRow("date") << "12/5/2026" << "2026-12-05";
        QTest::newRow("padded") << "01/02/2026" << "2026-01-02";
        QTest::newRow("time-24h") << "1/2/2026 9:05" << "2026-01-02 09:05:00";
        QTest::newRow("time-pm-seconds") << "12/5/2026 9:30:15 PM" << "2026-12-05 21:30:15";
        QTest::newRow("midnight-am") << "12/5/2026 12:00 AM" << "2026-12-05";
        QTest::newRow("noon-pm") << "12/5/2026 12:30 pm" << "2026-12-05 12:30:00";
        QTest::newRow("am-no-space") << "12/5/2026 1:00AM" << "2026-12-05 01:00:00";
        QTest::newRow("month-13") << "13/1/2026" << "";
        QTest::newRow("two-digit-year") << "12/5/26" << "";
        QTest::newRow("pm-with-24h") << "12/5/2026 13:00 PM" << "";
        QTest::newRow("hour-25") << "12/5/2026 25:00" << "";
        QTest::newRow("feb-30") << "2/30/2026" << "";
        QTest::newRow("bad-suffix") << "12/5/2026 1:00 XM" << "";
        QTest::newRow("iso-form") << "2026-12-05" << "";
    }

    void dateFromUsString()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const auto d = DateTime::fromUsString(text);
        QCOMPARE(d.has_value(), !expected.isEmpty());
        if (d) {
            QCOMPARE(d->toIsoString(), expected);
            QCOMPARE(DateTime::fromUsString(d->toUsString()), d);   // criteria literals round-trip
        }
    }

    void dateParts()
    {
        const DateTime d = *DateTime::fromIsoString(u"1969-12-31 23:59:59");
        QCOMPARE(d.secs(), qint64(-1));
        QCOMPARE(d.date(), QDate(1969, 12, 31));
        QCOMPARE(d.startOfDay().toIsoString(), QStringLiteral("1969-12-31"));
        QCOMPARE(d.addDays(1).toUsString(), QStringLiteral("1/1/1970 23:59:59"));
        QCOMPARE(d.toQDateTime(), QDateTime(QDate(1969, 12, 31), QTime(23, 59, 59), Qt::UTC));
        QCOMPARE(DateTime::fromQDateTime(d.toQDateTime()), d);
        QCOMPARE(DateTime::fromDate(QDate(2026, 12, 5)).toUsString(), QStringLiteral("12/5/2026"));
    }

    void valueConversions()
    {
        QCOMPARE(Value(true).toInt64(), qint64(-1));
        QCOMPARE(Value(true).toDouble(), -1.0);
        QCOMPARE(Value(QStringLiteral(" 12.5 ")).toDouble(), 12.5);
        QCOMPARE(Value(QStringLiteral("abc")).toInt64(), qint64(0));
        QCOMPARE(Value(2.5).toInt64(), qint64(2));   // halves to even
        QCOMPARE(Value(3.5).toInt64(), qint64(4));
        QCOMPARE(Value(0.1 + 0.2).toString(), QStringLiteral("0.3"));
        QCOMPARE(Value(Currency::fromRaw(-5)).toString(), QStringLiteral("-0.0005"));
        QCOMPARE(Value(*DateTime::fromIsoString(u"2026-12-05")).toString(), QStringLiteral("12/5/2026"));
        QCOMPARE(Value(false).toString(), QStringLiteral("False"));
        QCOMPARE(Value(QStringLiteral("true")).toBool(), true);
        QCOMPARE(Value(QStringLiteral("1234.56789")).toCurrency().raw(), qint64(12345679));
        QCOMPARE(Value(QStringLiteral("2026-12-05 10:00")).toDate().toIsoString(),
                 QStringLiteral("2026-12-05 10:00:00"));
        QCOMPARE(Value::null(DataType::Integer).toString(), QString());
        QCOMPARE(Value::null(DataType::Integer).toInt(), 0);
    }

    void valueConvertedTo_data()
    {
        QTest::addColumn<Value>("value");
        QTest::addColumn<int>("type");
        QTest::addColumn<Value>("expected");
        QTest::newRow("text-to-int") << Value("42") << int(DataType::Integer) << Value(42);
        QTest::newRow("bad-text-to-int") << Value("abc") << int(DataType::Integer) << Value::null(DataType::Integer);
        QTest::newRow("overflow-smallint") << Value(70000) << int(DataType::SmallInt) << Value::null(DataType::SmallInt);
        QTest::newRow("text-to-bool") << Value("True") << int(DataType::Boolean) << Value(true);
        QTest::newRow("text-to-date") << Value("12/5/2026") << int(DataType::Date)
                                      << Value(*DateTime::fromIsoString(u"2026-12-05"));
        QTest::newRow("double-to-currency") << Value(1.23456) << int(DataType::Currency)
                                            << Value(Currency::fromRaw(12346));
        QTest::newRow("int-to-currency") << Value(3) << int(DataType::Currency) << Value(Currency::fromUnits(3));
        QTest::newRow("currency-to-text") << Value(Currency::fromRaw(15000)) << int(DataType::VarWChar)
                                          << Value("1.5");
        QTest::newRow("date-to-double") << Value(DateTime::fromSecs(5)) << int(DataType::Double)
                                        << Value::null(DataType::Double);
        QTest::newRow("null-keeps-null") << Value() << int(DataType::Date) << Value::null(DataType::Date);
        QTest::newRow("variant-keeps-type") << Value(2.5) << int(DataType::Variant) << Value(2.5);
    }

    void valueConvertedTo()
    {
        QFETCH(Value, value);
        QFETCH(int, type);
        QFETCH(Value, expected);
        const Value converted = value.convertedTo(DataType(type));
        QCOMPARE(converted, expected);
        QCOMPARE(converted.isNull(), expected.isNull());
        if (DataType(type) != DataType::Variant)
            QCOMPARE(converted.type(), DataType(type));
    }

    void valueEquality()
    {
        QVERIFY(Value(1) == Value(qint64(1), DataType::BigInt));   // one integer family
        QVERIFY(!(Value(1) == Value(1.0)));
        QVERIFY(Value() == Value::null(DataType::Currency));
        QVERIFY(!(Value(0) == Value()));
        QVERIFY(!(Value("a") == Value("A")));
    }

    void valueVariantRoundTrip()
    {
        const Value values[] = {Value(true), Value(7), Value(qint64(1) << 40), Value(0.25),
                                Value(*DateTime::fromIsoString(u"2026-12-05 10:00")), Value("x")};
        for (const Value &v : values)
            QCOMPARE(Value::fromVariant(v.toVariant()), v);
        QCOMPARE(Value(Currency::fromRaw(12345)).toVariant().toDouble(), 1.2345);
        QVERIFY(Value::fromVariant(QVariant()).isNull());
        QCOMPARE(Value::fromVariant(QVariant::fromValue(Value(Currency::fromRaw(1)))),
                 Value(Currency::fromRaw(1)));
    }
};

QTEST_GUILESS_MAIN(tst_Value)
#include "tst_value.moc"

#include "NumberFormat.h"

#include <QTest>

#include <limits>

class tst_NumberFormat : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formatsDoubles_data();
    void formatsDoubles();
    void formatsCurrencyExactly_data();
    void formatsCurrencyExactly();
    void formatsIntegers_data();
    void formatsIntegers();
    void formatsScientificNotation_data();
    void formatsScientificNotation();
    void formatsVariants_data();
    void formatsVariants();
    void usesOtherSymbols();
    void showsNonFiniteDoublesReadably();
};

void tst_NumberFormat::formatsDoubles_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("grouped-two-decimals") << "#,##0.00" << 1234567.891 << "1,234,567.89";
    QTest::newRow("grouped-below-one") << "#,##0.00" << 0.5 << "0.50";
    QTest::newRow("grouped-exactly-thousand") << "#,##0.00" << 1000.0 << "1,000.00";
    QTest::newRow("grouped-negative-minus") << "#,##0.00" << -1234.5 << "-1,234.50";
    QTest::newRow("rate-pads-zeros") << "0.0000" << 1.2 << "1.2000";
    QTest::newRow("half-away-from-zero-positive") << "0.00" << 0.125 << "0.13";
    QTest::newRow("half-away-from-zero-negative") << "0.00" << -0.125 << "-0.13";
    QTest::newRow("half-of-decimal-text-2.675") << "0.00" << 2.675 << "2.68";
    QTest::newRow("half-integer-2.5") << "0" << 2.5 << "3";
    QTest::newRow("rounding-carries-into-group") << "#,##0.00" << 999999.999 << "1,000,000.00";
    QTest::newRow("rounding-carries-to-new-digit") << "0.0" << 9.96 << "10.0";
    QTest::newRow("negative-zero-no-sign") << "0.00" << -0.001 << "0.00";
    QTest::newRow("negative-zero-double") << "#,##0.00" << -0.0 << "0.00";
    QTest::newRow("negative-rounds-to-zero-with-section") << "0.00;(0.00)" << -0.004 << "0.00";
    QTest::newRow("paren-negative-section") << "#,##0;(#,##0)" << -1234567.0 << "(1,234,567)";
    QTest::newRow("paren-positive-section") << "#,##0;(#,##0)" << 1234567.0 << "1,234,567";
    QTest::newRow("explicit-minus-section") << "0.00;-0.00" << -3.14159 << "-3.14";
    QTest::newRow("zero-section") << "#,##0.00;(#,##0.00);\"-\"" << 0.0 << "-";
    QTest::newRow("zero-section-after-rounding") << "#,##0.00;(#,##0.00);\"-\"" << 0.001 << "-";
    QTest::newRow("empty-negative-section-uses-minus") << "0.0;;\"nil\"" << -1.25 << "-1.3";
    QTest::newRow("hash-fraction-drops-zeros") << "0.##" << 1.5 << "1.5";
    QTest::newRow("hash-fraction-drops-point") << "0.##" << 2.0 << "2";
    QTest::newRow("mixed-fraction-full") << "0.0#" << 1.567 << "1.57";
    QTest::newRow("hash-only-integer-zero") << "#" << 0.0 << "";
    QTest::newRow("no-integer-placeholder") << ".00" << 12.345 << "12.35";
    QTest::newRow("min-integer-digits") << "000" << 7.0 << "007";
    QTest::newRow("extra-digits-at-leftmost") << "0" << 123456.0 << "123456";
    QTest::newRow("percent") << "0.0%" << 0.1234 << "12.3%";
    QTest::newRow("scale-thousands") << "#,##0," << 1234567.0 << "1,235";
    QTest::newRow("scale-millions-before-point") << "0,,.0" << 1234567.0 << "1.2";
    QTest::newRow("literal-prefix-and-suffix") << "\"USD \"#,##0.00\" net\"" << 1500.0 << "USD 1,500.00 net";
    QTest::newRow("escaped-literal") << "0.00\\x" << 2.0 << "2.00x";
    QTest::newRow("minus-before-literal-prefix") << "$#,##0" << -5.0 << "-$5";
    QTest::newRow("huge-value-grouped") << "#,##0.00" << 1e20 << "100,000,000,000,000,000,000.00";
    QTest::newRow("huge-value-plain") << "0" << 123456789012345678.0 << "123456789012345680";
    QTest::newRow("tiny-value") << "0.0000" << 1e-10 << "0.0000";
    QTest::newRow("standard-name") << "Standard" << 1234.5 << "1,234.50";
    QTest::newRow("fixed-name") << "Fixed" << 1234.567 << "1234.57";
    QTest::newRow("percent-name") << "Percent" << 0.5 << "50.00%";
    QTest::newRow("general-empty") << "" << 1234.5 << "1234.5";
    QTest::newRow("general-integral") << "" << 42.0 << "42";
}

void tst_NumberFormat::formatsDoubles()
{
    QFETCH(QString, pattern);
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(NumberFormat(pattern).format(value), expected);
}

void tst_NumberFormat::formatsCurrencyExactly_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<qint64>("raw");
    QTest::addColumn<QString>("expected");

    QTest::newRow("four-decimals-kept") << "0.0000" << qint64(12345678) << "1234.5678";
    QTest::newRow("two-decimals-rounds-half-up") << "#,##0.00" << qint64(12345) << "1.23";
    QTest::newRow("two-decimals-half") << "#,##0.00" << qint64(12350) << "1.24";
    QTest::newRow("negative-half-away") << "#,##0.00" << qint64(-12350) << "-1.24";
    // 922 trillion: far beyond what a double carries to the last ten-thousandth.
    QTest::newRow("max-currency") << "#,##0.0000" << std::numeric_limits<qint64>::max()
                                  << "922,337,203,685,477.5807";
    QTest::newRow("min-currency") << "#,##0.0000" << std::numeric_limits<qint64>::min()
                                  << "-922,337,203,685,477.5808";
    QTest::newRow("large-exact-sum") << "#,##0.00" << qint64(900719925474099300) << "90,071,992,547,409.93";
    QTest::newRow("zero") << "#,##0.00;(#,##0.00)" << qint64(0) << "0.00";
    QTest::newRow("negative-section") << "#,##0.00;(#,##0.00)" << qint64(-10000000) << "(1,000.00)";
    QTest::newRow("general") << "" << qint64(-12345) << "-1.2345";
}

void tst_NumberFormat::formatsCurrencyExactly()
{
    QFETCH(QString, pattern);
    QFETCH(qint64, raw);
    QFETCH(QString, expected);
    const NumberFormat f(pattern);
    QCOMPARE(f.format(data::Currency::fromRaw(raw)), expected);
    QCOMPARE(f.format(QVariant::fromValue(data::Currency::fromRaw(raw))), expected);
}

void tst_NumberFormat::formatsIntegers_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("grouped") << "#,##0" << qint64(-9876543210) << "-9,876,543,210";
    QTest::newRow("with-decimals") << "0.00" << qint64(7) << "7.00";
    QTest::newRow("min-int64") << "#,##0" << std::numeric_limits<qint64>::min() << "-9,223,372,036,854,775,808";
    QTest::newRow("general") << "" << qint64(100) << "100";
}

void tst_NumberFormat::formatsIntegers()
{
    QFETCH(QString, pattern);
    QFETCH(qint64, value);
    QFETCH(QString, expected);
    QCOMPARE(NumberFormat(pattern).format(value), expected);
}

void tst_NumberFormat::formatsScientificNotation_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("e-plus") << "0.00E+00" << QVariant(1000.0) << "1.00E+03";
    QTest::newRow("e-plus-negative-exponent") << "0.00E+00" << QVariant(0.00123) << "1.23E-03";
    QTest::newRow("e-minus-hides-plus") << "0.00E-00" << QVariant(1234.0) << "1.23E03";
    QTest::newRow("e-minus-shows-minus") << "0.00E-00" << QVariant(0.012345) << "1.23E-02";
    QTest::newRow("lower-case-e") << "0.00e+00" << QVariant(1234.0) << "1.23e+03";
    QTest::newRow("lower-case-e-minus") << "0.0e-0" << QVariant(-0.5) << "-5.0e-1";
    QTest::newRow("optional-exponent-digits") << "0.00 E-##" << QVariant(1234.0) << "1.23 E3";
    QTest::newRow("wide-exponent") << "0.0E+000" << QVariant(1e-300) << "1.0E-300";
    QTest::newRow("integer-placeholders-set-mantissa") << "###.##E-00" << QVariant(1234567.89) << "123.46E04";
    QTest::newRow("no-integer-placeholder") << ".00E+00" << QVariant(1234.0) << ".12E+04";
    QTest::newRow("rounding-carries-into-exponent") << "0.00E+00" << QVariant(9.996) << "1.00E+01";
    QTest::newRow("rounds-half-away-from-zero") << "0.0E+0" << QVariant(-2.25) << "-2.3E+0";
    QTest::newRow("zero") << "0.00E+00" << QVariant(0.0) << "0.00E+00";
    QTest::newRow("negative-section") << "0.00E+00;(0.00E+00)" << QVariant(-1234.0) << "(1.23E+03)";
    QTest::newRow("currency-exact") << "0.000E+00" << QVariant::fromValue(data::Currency::fromRaw(12345675))
                                    << "1.235E+03";
    QTest::newRow("integer") << "0.0E+00" << QVariant(qint64(-9876543210)) << "-9.9E+09";
    QTest::newRow("suffix-after-exponent") << "0.0E+0\" units\"" << QVariant(1500.0) << "1.5E+3 units";
    QTest::newRow("e-without-sign-is-literal") << "0.0E0" << QVariant(5.0) << "5.0E0";
    QTest::newRow("e-without-placeholder-is-literal") << "0.0\" \"E+" << QVariant(5.0) << "5.0 E+";
    QTest::newRow("e-in-literal-text") << "\"EUR \"#,##0" << QVariant(1500.0) << "EUR 1,500";
}

void tst_NumberFormat::formatsScientificNotation()
{
    QFETCH(QString, pattern);
    QFETCH(QVariant, value);
    QFETCH(QString, expected);
    QCOMPARE(NumberFormat(pattern).format(value), expected);
}

void tst_NumberFormat::formatsVariants_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("int") << QVariant(1234) << "1,234.00";
    QTest::newRow("double") << QVariant(-0.5) << "-0.50";
    QTest::newRow("numeric-text") << QVariant(QStringLiteral("1234.567")) << "1,234.57";
    QTest::newRow("other-text-unchanged") << QVariant(QStringLiteral("Ccy1: 5")) << "Ccy1: 5";
    QTest::newRow("null") << QVariant() << "";
    QTest::newRow("unsigned-beyond-int64") << QVariant(quint64(18446744073709551615ull))
                                           << "18,446,744,073,709,551,615.00";
}

void tst_NumberFormat::formatsVariants()
{
    QFETCH(QVariant, value);
    QFETCH(QString, expected);
    QCOMPARE(NumberFormat(QStringLiteral("#,##0.00")).format(value), expected);
}

void tst_NumberFormat::usesOtherSymbols()
{
    NumberFormat f(QStringLiteral("#,##0.00"));
    f.setSymbols(QLatin1Char(','), QLatin1Char('.'));
    QCOMPARE(f.format(1234567.891), QStringLiteral("1.234.567,89"));
}

void tst_NumberFormat::showsNonFiniteDoublesReadably()
{
    const NumberFormat f(QStringLiteral("#,##0.00"));
    QCOMPARE(f.format(std::numeric_limits<double>::quiet_NaN()), QStringLiteral("NaN"));
    QCOMPARE(f.format(-std::numeric_limits<double>::infinity()), QStringLiteral("-Infinity"));
}

QTEST_GUILESS_MAIN(tst_NumberFormat)
#include "tst_numberformat.moc"

#include "Criteria.h"
#include "DealFixture.h"
#include "LikePattern.h"
#include "Recordset.h"

#include <QTest>

using namespace data;
using fixture::tradeIds;

class tst_Criteria : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void filterSelectsRows_data()
    {
        QTest::addColumn<QString>("criteria");
        QTest::addColumn<QString>("expected");

        // The filters the reports build, as they build them.
        QTest::newRow("summary-false") << "Summary = False" << "1,2,5";
        QTest::newRow("summary-true") << "Summary = True" << "3";
        QTest::newRow("empty-bank-spaced") << "Bank1ID = ''" << "2";
        QTest::newRow("ccy-and-valdate") << "Ccy = 5 AND ValDate = #12/5/2026#" << "1,3";
        QTest::newRow("tradeid-or-list") << "TradeID = 1 OR TradeID = 2 OR TradeID = 4" << "1,2,4";
        QTest::newRow("dealtime-day-and-pair")
            << "DealTime >= #12/5/2026# AND DealTime < #12/6/2026# AND PairCcy = 7" << "1,2";
        QTest::newRow("value-dates-of-currency")
            << "(ValDateP1C1 = #12/5/2026#  AND Ccy1 = 5) OR (ValDateP2C1 = #12/5/2026# AND Ccy1 = 5) OR "
               "(ValDateP1C1 = #12/5/2026# AND Ccy2 = 5) OR (ValDateP2C1 = #12/5/2026# AND Ccy2 = 5)"
            << "1,2,4";
        QTest::newRow("netting-counterparty-ccy") << "NETTING = 2 AND CounterPartyID = 12 AND Ccy = 3" << "2";
        QTest::newRow("netting-not-2") << "NETTING <> 2" << "3";

        // Booleans
        QTest::newRow("bool-minus-one") << "Summary = -1" << "3";
        QTest::newRow("bool-one-is-true") << "Summary = 1" << "3";
        QTest::newRow("bool-zero") << "Summary = 0" << "1,2,5";
        QTest::newRow("bool-not-false-skips-null") << "Summary <> False" << "3";
        QTest::newRow("bool-text") << "Summary = 'true'" << "3";

        // Dates with and without a time of day
        QTest::newRow("date-time-24h") << "DealTime = #12/5/2026 9:30#" << "1";
        QTest::newRow("date-time-am") << "DealTime = #12/5/2026 9:30:00 AM#" << "1";
        QTest::newRow("date-time-pm-seconds") << "DealTime = #12/5/2026 11:59:59 PM#" << "2";
        QTest::newRow("date-after-noon") << "DealTime > #12/5/2026 12:00 PM#" << "2,3,5";
        QTest::newRow("date-midnight-12am") << "DealTime = #12/6/2026 12:00 AM#" << "3";
        QTest::newRow("date-as-us-text") << "ValDate = '12/5/2026'" << "1,3";
        QTest::newRow("date-as-iso-text") << "ValDate = '2026-12-05'" << "1,3";
        QTest::newRow("date-against-number") << "ValDate = 5" << "";
        QTest::newRow("date-or-list") << "ValDate = #12/6/2026# OR ValDate = #12/7/2026#" << "2,5";

        // Currency and doubles, exact and negative
        QTest::newRow("currency-decimal") << "Amount = 100.5" << "1";
        QTest::newRow("currency-smallest") << "Amount = 0.0001" << "3";
        QTest::newRow("currency-negative") << "Amount = -20.0000" << "2";
        QTest::newRow("currency-less-zero") << "Amount < 0" << "2";
        QTest::newRow("currency-more-decimals") << "Amount > 100.50001" << "5";
        QTest::newRow("currency-quoted") << "Amount = '100.50'" << "1";
        QTest::newRow("currency-range") << "Amount >= -20" << "1,2,3,5";
        QTest::newRow("currency-or-list") << "Amount = 100.5 OR Amount = -20" << "1,2";
        QTest::newRow("double-equal") << "Rate = 1.25" << "1";
        QTest::newRow("double-leading-dot") << "Rate = .5" << "2";
        QTest::newRow("double-plus-sign") << "Rate = +1.25" << "1";
        QTest::newRow("double-negative") << "Rate = -2" << "4";
        QTest::newRow("double-large") << "Rate >= 1000000" << "5";
        QTest::newRow("int-against-decimal") << "TradeID < 2.5" << "1,2";
        QTest::newRow("int-against-whole-decimal") << "TradeID = 2.0" << "2";
        QTest::newRow("int-against-empty-text") << "TradeID = ''" << "";
        QTest::newRow("int-against-quoted-number") << "TradeID = '3'" << "3";

        // Strings: case, quotes, numbers in text
        QTest::newRow("string-case-insensitive") << "Dealer = 'SMITH'" << "1";
        QTest::newRow("string-escaped-quote") << "Dealer = 'O''Brien'" << "3";
        QTest::newRow("string-order") << "Dealer < 'k'" << "2";
        QTest::newRow("string-or-list") << "Dealer = 'smith' OR Dealer = 'JONES'" << "1,2";
        QTest::newRow("string-against-number") << "Code = 10" << "1,4";
        // A text that is no number compares by its text: "abc" > "9".
        QTest::newRow("string-number-order") << "Code > 9" << "1,3,4";
        QTest::newRow("string-against-text") << "Code = '10'" << "1";
        QTest::newRow("string-text-order") << "Code < 'b'" << "1,2,3,4";

        // LIKE
        QTest::newRow("like-prefix") << "Dealer LIKE 'smith*'" << "1,5";
        QTest::newRow("like-quote") << "Dealer LIKE 'O''B*'" << "3";
        QTest::newRow("like-everything-but-null") << "Dealer LIKE '*'" << "1,2,3,5";
        QTest::newRow("like-on-number") << "TradeID LIKE '1'" << "1";
        QTest::newRow("like-on-date") << "ValDate LIKE '12/5/*'" << "1,3";
        QTest::newRow("like-on-variant") << "Caption LIKE 'eur*'" << "2";

        // Null
        QTest::newRow("eq-null") << "Dealer = Null" << "4";
        QTest::newRow("ne-null") << "Dealer <> Null" << "1,2,3,5";
        QTest::newRow("is-null") << "Dealer IS NULL" << "4";
        QTest::newRow("is-not-null") << "Dealer is not null" << "1,2,3,5";
        QTest::newRow("null-double") << "Rate = Null" << "3";
        QTest::newRow("null-bool") << "Summary = Null" << "4";
        QTest::newRow("null-variant") << "Caption = Null" << "3";
        QTest::newRow("order-against-null") << "Dealer > Null" << "";
        QTest::newRow("ne-skips-null-values") << "Rate <> 1.25" << "2,4,5";
        QTest::newRow("ne-string-skips-null") << "Bank1ID <> 'B1'" << "2,5";

        // Variant cells compared by their own type
        QTest::newRow("variant-int") << "Caption = 7" << "1";
        QTest::newRow("variant-text") << "Caption = 'eur/usd'" << "2";
        QTest::newRow("variant-numbers-greater") << "Caption > 2" << "1,2,4,5";   // "EUR/USD" > "2" as text
        QTest::newRow("variant-currency") << "Caption = 3" << "5";
        QTest::newRow("variant-or-list-mixed-types") << "Caption = 7 OR Caption = 3 OR Caption = 2" << "1,5";
        QTest::newRow("variant-or-list-ints") << "Caption = 9 OR Caption = 7" << "1";
        QTest::newRow("variant-or-list-with-text") << "Caption = 8 OR Caption = 'EUR/USD' OR Caption = 7" << "1,2";

        // Precedence, parentheses, names
        QTest::newRow("and-binds-tighter") << "Ccy = 5 OR Ccy = 3 AND Summary = True" << "1,3";
        QTest::newRow("keywords-and-names-any-case") << "tradeid = 1 or TRADEID = 2 And summary = false" << "1,2";
        QTest::newRow("bracketed-name") << "[TradeID] = 3" << "3";
        QTest::newRow("bracketed-name-with-space") << "[Ticket No] >= 400" << "4,5";
        QTest::newRow("mixed-or-list") << "TradeID = 2 OR Dealer = 'Smith' OR TradeID = 3" << "1,2,3";
        QTest::newRow("or-list-inside-parentheses") << "(TradeID = 1 OR TradeID = 5) OR (TradeID = 2)" << "1,2,5";
        QTest::newRow("no-spaces") << "Ccy=5AND TradeID>1" << "3";
    }

    void filterSelectsRows()
    {
        QFETCH(QString, criteria);
        QFETCH(QString, expected);
        auto rs = fixture::makeDeals();
        QVERIFY2(rs->setFilter(criteria), qPrintable(rs->lastError() ? rs->lastError()->Description : QString()));
        QCOMPARE(tradeIds(*rs), expected);
        QCOMPARE(rs->RecordCount(), qint64(expected.isEmpty() ? 0 : expected.count(QLatin1Char(',')) + 1));
        QCOMPARE(rs->Filter(), criteria);
    }

    // LIKE knows '*' and '%' only: '_' and '?' match themselves, never any character.
    void likeWildcardsAreStarAndPercentOnly_data()
    {
        QTest::addColumn<QString>("criteria");
        QTest::addColumn<QString>("expected");
        QTest::newRow("underscore-is-no-wildcard") << "Code LIKE 'X_1*'" << "";
        QTest::newRow("underscore-matches-itself") << "Bank1ID LIKE 'X_1*'" << "5";
        QTest::newRow("question-mark-is-no-wildcard") << "Dealer LIKE 'J?NES'" << "";
        QTest::newRow("question-mark-matches-itself") << "Code LIKE '?*'" << "3";
        QTest::newRow("star-any-run") << "Dealer LIKE 'smith*'" << "1,5";
        QTest::newRow("percent-any-run") << "Code LIKE 'XA%'" << "5";
    }

    void likeWildcardsAreStarAndPercentOnly()
    {
        QFETCH(QString, criteria);
        QFETCH(QString, expected);
        auto rs = fixture::makeDeals();
        rs->setAbsolutePosition(5);
        QVERIFY(rs->Fields("Code").setValue("XA1B"));
        rs->setAbsolutePosition(3);
        QVERIFY(rs->Fields("Code").setValue("?abc"));
        QVERIFY2(rs->setFilter(criteria), fixture::errText(rs->lastError()));
        QCOMPARE(tradeIds(*rs), expected);
    }

    // Dollar amounts, exponents, two-digit years and #-delimited texts holding
    // quotes are values like any other.
    void documentedLiteralsAreAccepted_data()
    {
        QTest::addColumn<QString>("criteria");
        QTest::addColumn<QString>("expected");
        QTest::newRow("dollar-amount") << "Amount > $300.00" << "5";
        QTest::newRow("dollar-amount-exact") << "Amount = $100.50" << "1";
        QTest::newRow("dollar-amount-negative") << "Amount = -$20" << "2";
        QTest::newRow("dollar-amount-or-list") << "Amount = $100.5 OR Amount = $0.0001" << "1,3";
        QTest::newRow("exponent") << "Rate > 1.2345E2" << "5";
        QTest::newRow("exponent-lower-case-signed") << "Rate = 5e-1" << "2";
        QTest::newRow("exponent-exact-currency") << "Amount = 1.005E+2" << "1";
        QTest::newRow("exponent-smallest-currency") << "Amount = 1E-4" << "3";
        QTest::newRow("exponent-whole-integer") << "TradeID = 0.3E1" << "3";
        QTest::newRow("exponent-fraction-on-integer") << "TradeID < 25E-1" << "1,2";
        QTest::newRow("exponent-quoted") << "Amount = '1.005E2'" << "1";
        QTest::newRow("two-digit-year") << "ValDate > #8/24/95#" << "1,2,3,5";
        QTest::newRow("two-digit-year-exact") << "ValDate = #12/5/26#" << "1,3";
        QTest::newRow("two-digit-year-29-is-2029") << "ValDate < #1/1/29#" << "1,2,3,5";
        QTest::newRow("two-digit-year-30-is-1930") << "ValDate < #1/1/30#" << "";
        QTest::newRow("two-digit-year-with-time") << "DealTime = #12/5/26 9:30 AM#" << "1";
        QTest::newRow("two-digit-year-quoted") << "ValDate = '12/5/26'" << "1,3";
        QTest::newRow("pound-delimited-quoted-text") << "Code = #'1'#" << "5";
        QTest::newRow("pound-delimited-like-pattern") << "Code LIKE #'1*'#" << "5";
        QTest::newRow("pound-delimited-text-is-not-unquoted") << "Code = #'10'#" << "";
    }

    void documentedLiteralsAreAccepted()
    {
        QFETCH(QString, criteria);
        QFETCH(QString, expected);
        auto rs = fixture::makeDeals();
        rs->setAbsolutePosition(5);
        QVERIFY(rs->Fields("Code").setValue("'1'"));
        QVERIFY2(rs->setFilter(criteria), fixture::errText(rs->lastError()));
        QCOMPARE(tradeIds(*rs), expected);
    }

    // Forms the published syntax calls errors, read with their one plain
    // meaning (see CriteriaParser), beside the documented forms they extend.
    void formsDocumentedAsErrorsHaveTheirPlainMeaning_data()
    {
        QTest::addColumn<QString>("criteria");
        QTest::addColumn<QString>("expected");
        QTest::newRow("wildcard-inside") << "Dealer LIKE 'Sm*th'" << "1";
        QTest::newRow("wildcard-at-start-only") << "Dealer LIKE '*ith'" << "1";
        QTest::newRow("percent-at-start-only") << "Dealer LIKE '%ERS'" << "5";
        QTest::newRow("wildcards-at-both-ends") << "Dealer LIKE '*mit*'" << "1,5";
        QTest::newRow("or-group-joined-by-and") << "(Ccy = 5 OR Ccy = 3) AND Summary = False" << "1,2";
        QTest::newRow("and-before-or-group") << "Summary = False AND (Dealer LIKE 'sm*' OR Ccy = 3)" << "1,2,5";
    }

    void formsDocumentedAsErrorsHaveTheirPlainMeaning()
    {
        QFETCH(QString, criteria);
        QFETCH(QString, expected);
        auto rs = fixture::makeDeals();
        QVERIFY2(rs->setFilter(criteria), fixture::errText(rs->lastError()));
        QCOMPARE(tradeIds(*rs), expected);
    }

    void longOrListOfTradeIds()
    {
        // The form a cash-flow row builds from its day's deals.
        QStringList terms;
        for (int id = 50; id >= 1; --id)
            terms << QStringLiteral("TradeID = %1").arg(id);
        auto rs = fixture::makeDeals();
        QVERIFY(rs->setFilter(terms.join(QStringLiteral(" OR "))));
        QCOMPARE(tradeIds(*rs), QStringLiteral("1,2,3,4,5"));
        terms.clear();
        for (int id = 100; id < 150; ++id)
            terms << QStringLiteral("TradeID = %1").arg(id);
        QVERIFY(rs->setFilter(terms.join(QStringLiteral(" OR "))));
        QCOMPARE(rs->RecordCount(), qint64(0));
    }

    void malformedCriteriaNamePosition_data()
    {
        QTest::addColumn<QString>("criteria");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("mentions");

        QTest::newRow("missing-value") << "Ccy =" << 6 << "expected a value";
        QTest::newRow("missing-operator") << "Ccy 5" << 5 << "comparison operator";
        QTest::newRow("dangling-and") << "Ccy = 5 AND" << 12 << "field name";
        QTest::newRow("unclosed-parenthesis") << "(Ccy = 5" << 9 << "\")\"";
        QTest::newRow("unclosed-string") << "Dealer = 'abc" << 10 << "'";
        QTest::newRow("impossible-date") << "ValDate = #13/45/2026#" << 12 << "date";
        QTest::newRow("unclosed-date") << "ValDate = #12/5/2026" << 11 << "#";
        QTest::newRow("unknown-field") << "NoSuch = 1" << 1 << "unknown field \"NoSuch\"";
        QTest::newRow("unknown-second-field") << "Ccy = 5 AND Nope = 2" << 13 << "unknown field \"Nope\"";
        QTest::newRow("unknown-field-in-or-list") << "TradeID = 1 OR Trade = 2" << 16 << "unknown field";
        QTest::newRow("missing-and") << "Ccy = 5 Summary = 1" << 9 << "AND, OR";
        QTest::newRow("double-equals") << "Ccy == 5" << 6 << "expected a value";
        QTest::newRow("stray-character") << "Ccy = 5 $" << 9 << "unexpected character";
        QTest::newRow("unclosed-bracket") << "[Ccy = 5" << 1 << "]";
        QTest::newRow("like-needs-text") << "Dealer LIKE 5" << 13 << "pattern";
        QTest::newRow("is-needs-null") << "Dealer IS 5" << 11 << "NULL";
        QTest::newRow("no-field") << "= 5" << 1 << "field name";
        QTest::newRow("extra-parenthesis") << "Ccy = 5)" << 8 << "AND, OR";
        QTest::newRow("lone-dot") << "Rate = ." << 8 << "unexpected character";
        QTest::newRow("dollar-without-number") << "Amount > $x" << 10 << "unexpected character";
        QTest::newRow("exponent-without-digits") << "Rate = 1E" << 9 << "AND, OR";
        QTest::newRow("exponent-out-of-range") << "Rate = 1E999" << 8 << "out of range";
        QTest::newRow("pound-text-unbalanced-quote") << "Code = #'1#" << 9 << "date";
        QTest::newRow("three-digit-year") << "ValDate = #1/1/995#" << 12 << "date";
    }

    void malformedCriteriaNamePosition()
    {
        QFETCH(QString, criteria);
        QFETCH(int, position);
        QFETCH(QString, mentions);
        auto rs = fixture::makeDeals();
        QVERIFY(rs->setFilter(QStringLiteral("Ccy = 5")));
        QVERIFY(!rs->setFilter(criteria));
        const ErrorPtr error = rs->lastError();
        QVERIFY(error);
        QCOMPARE(error->Number, int(Error::InvalidArgument));
        QVERIFY2(error->Description.contains(QStringLiteral("position %1:").arg(position)),
                 qPrintable(error->Description));
        QVERIFY2(error->Description.contains(mentions), qPrintable(error->Description));
        // The previous filter stays in force.
        QCOMPARE(rs->Filter(), QStringLiteral("Ccy = 5"));
        QCOMPARE(tradeIds(*rs), QStringLiteral("1,3"));
    }

    void deepNestingIsAnErrorNotACrash()
    {
        auto rs = fixture::makeDeals();
        const QString deep = QString(5000, QLatin1Char('(')) + QStringLiteral("Ccy = 5") + QString(5000, QLatin1Char(')'));
        QVERIFY(!rs->setFilter(deep));
        QVERIFY(rs->lastError()->Description.contains(QStringLiteral("nested")));
        const QString fine = QString(100, QLatin1Char('(')) + QStringLiteral("Ccy = 5") + QString(100, QLatin1Char(')'));
        QVERIFY(rs->setFilter(fine));
        QCOMPARE(tradeIds(*rs), QStringLiteral("1,3"));
    }

    void emptyCriteriaRemovesTheFilter()
    {
        auto rs = fixture::makeDeals();
        QVERIFY(rs->setFilter(QStringLiteral("Ccy = 5")));
        QCOMPARE(rs->RecordCount(), qint64(2));
        QVERIFY(rs->setFilter(QStringLiteral("  ")));
        QCOMPARE(rs->RecordCount(), qint64(5));
        QVERIFY(rs->setFilter(QString()));
        QCOMPARE(tradeIds(*rs), QStringLiteral("1,2,3,4,5"));
    }

    void filterSeesValuesChangedThroughAClone()
    {
        auto rs = fixture::makeDeals();
        auto clone = rs->Clone();
        clone->setAbsolutePosition(4);
        QVERIFY(clone->Fields("Dealer").setValue("SMITH"));   // a string new to the column
        QVERIFY(rs->setFilter(QStringLiteral("Dealer = 'smith'")));
        QCOMPARE(tradeIds(*rs), QStringLiteral("1,4"));
        QCOMPARE(clone->RecordCount(), qint64(5));   // the clone keeps its own (no) filter
    }

    void likePatternMatching_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("matches");
        QTest::newRow("exact") << "abc" << "ABC" << true;
        QTest::newRow("star-empty") << "a*" << "a" << true;
        QTest::newRow("star-middle") << "a*c" << "abbbc" << true;
        QTest::newRow("star-backtracks") << "*ab*ab" << "xabyabab" << true;
        QTest::newRow("no-partial") << "abc" << "abcd" << false;
        QTest::newRow("empty-pattern") << "" << "" << true;
        QTest::newRow("empty-pattern-text") << "" << "x" << false;
        QTest::newRow("many-stars-no-match") << "*a*a*a*a*a*b" << QString(2000, QLatin1Char('a')) << false;
        QTest::newRow("unicode-case") << "grüße*" << "GRÜSSE und mehr" << false;
        QTest::newRow("unicode-case-same-length") << "ÄB%" << "äbc" << true;
    }

    void likePatternMatching()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QFETCH(bool, matches);
        QCOMPARE(LikePattern(pattern).matches(text), matches);
    }
};

QTEST_GUILESS_MAIN(tst_Criteria)
#include "tst_criteria.moc"

#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <optional>
#include <vector>

namespace data {

/// A constant of filter criteria as written: 5, -1.25, $300.00, 1.2345E2,
/// 'text', #'text'#, #12/5/2026#, True, False or Null.
struct CriteriaLiteral
{
    enum class Kind { Number, Text, Date, Boolean, Null };

    Kind kind = Kind::Null;
    QString text;                        ///< the text of a Text literal; the digits of a Number
    double number = 0;                   ///< Number (also -1/0 for Boolean)
    std::optional<qint64> integer;       ///< Number without a fraction
    std::optional<qint64> currencyRaw;   ///< Number with at most four decimals, in ten-thousandths
    qint64 secs = 0;                     ///< Date
    bool boolean = false;                ///< Boolean
};

/// The parsed form of a criteria string: comparisons combined by AND and OR.
struct CriteriaExpr
{
    enum class Kind { And, Or, Compare };
    enum class Op { Eq, Ne, Lt, Gt, Le, Ge, Like };

    Kind kind = Kind::Compare;
    std::vector<CriteriaExpr> children;   ///< And, Or
    QString field;                        ///< Compare: the field name as written
    int position = 0;                     ///< Compare: 1-based offset of the field name
    Op op = Op::Eq;
    CriteriaLiteral literal;
};

/// Parses the criteria syntax of recordset filters:
///     Field op value [AND|OR ...], parentheses;
///     op: = <> < > <= >= LIKE, and IS [NOT] NULL;
///     value: 'text' ('' for a quote); #text# for a text that begins and ends
///     with a quote (#'1'# is the three characters '1', taken as written);
///     numbers with an optional decimal point, leading dollar sign and
///     exponent (5, .5, $300.00, -$20, 1.2345E2, 5e-3); dates
///     #m/d/yyyy [h:mm[:ss]] [AM|PM]#, also #yyyy-mm-dd ...#, where a two-digit
///     year 00-29 means 2000-2029 and 30-99 means 1930-1999 (#8/24/95# is
///     1995); True, False, Null; field names plain or [bracketed].
/// Keywords and field names are case-insensitive. Field names are checked
/// later, against a recordset (see Criteria).
///
/// Three forms that the published criteria syntax calls errors are read with
/// their plain meaning instead. Each has exactly one reading, this parser has
/// always accepted them (so stored and host-supplied filters may use them), and
/// refusing one would leave the caller with no result rather than a wrong one:
/// - a wildcard inside a LIKE pattern: 'Sm*th' matches Smith and Smyth;
/// - a wildcard only at the start: '*ith' matches every text ending in "ith";
/// - OR-groups joined by AND: "(A OR B) AND C" is read with the usual grouping,
///   the parenthesis first.
/// Without parentheses AND binds tighter than OR (the syntax gives the two no
/// precedence; the reports' filters are written with this reading).
/// LIKE knows '*' and '%' only (see LikePattern): '_' and '?' match themselves,
/// since reading them as wildcards would return rows the filter does not name.
class CriteriaParser final
{
public:
    /// The expression, or nothing with errorMessage() naming the 1-based
    /// character position and what was expected there.
    std::optional<CriteriaExpr> parse(QStringView text);
    QString errorMessage() const { return m_error; }

    /// A Number literal from decimal text, with an optional sign and exponent
    /// ("-12", "0.5", " 3 ", "1.5E3"); nothing for anything else, and for a
    /// number beyond the range of a double. Used to compare quoted numbers
    /// with numeric fields.
    static std::optional<CriteriaLiteral> numberLiteral(QStringView text);

    /// The seconds of a date as date literals and date texts are written
    /// (m/d/yy or m/d/yyyy with an optional time, or yyyy-mm-dd ...); nothing
    /// when the text is no such date.
    static std::optional<qint64> dateLiteral(QStringView text);

    /// Text of the criteria as an error message quotes it: in double quotes,
    /// control characters and unpaired surrogates written as U+XXXX.
    static QString quoted(QStringView text);

    /// Deepest parenthesis nesting accepted; deeper input is an error rather
    /// than a risk to the stack.
    static constexpr int MaxDepth = 200;

private:
    enum class Tok {
        End, Ident, Number, Text, Date, LParen, RParen, Eq, Ne, Lt, Gt, Le, Ge,
        Minus, Plus, And, Or, Like, Is, Not, Null, True, False,
    };
    struct Token
    {
        Tok type = Tok::End;
        int position = 0;   // 1-based
        QString text;
        qint64 secs = 0;
    };

    bool tokenize(QStringView text);
    void lexNumber(QStringView text, qsizetype &i, int position);
    std::optional<CriteriaExpr> parseOr(int depth);
    std::optional<CriteriaExpr> parseAnd(int depth);
    std::optional<CriteriaExpr> parsePrimary(int depth);
    std::optional<CriteriaExpr> parseComparison();
    std::optional<CriteriaLiteral> parseLiteral();

    const Token &current() const { return m_tokens[m_next]; }
    QString describe(const Token &t) const;
    void fail(int position, const QString &what);
    void expected(const QString &what);

    std::vector<Token> m_tokens;
    std::size_t m_next = 0;
    QString m_error;
};

} // namespace data

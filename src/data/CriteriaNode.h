#pragma once

#include "Column.h"
#include "CriteriaParser.h"
#include "LikePattern.h"

#include <QSet>
#include <QString>

#include <memory>
#include <optional>
#include <unordered_set>
#include <vector>

namespace data {

// The predicate nodes a Criteria is compiled into. Each node is specialised
// for one column storage kind and one literal form, so that matching a row
// reads the column's plain array and never builds a Value or a QVariant.

/// A row predicate.
class CriteriaNode
{
public:
    virtual ~CriteriaNode() = default;
    virtual bool matches(std::size_t row) const = 0;
};

using CriteriaOp = CriteriaExpr::Op;

/// True when an ordering (negative, zero, positive) satisfies op.
inline bool orderSatisfies(CriteriaOp op, int order)
{
    switch (op) {
    case CriteriaOp::Eq: return order == 0;
    case CriteriaOp::Ne: return order != 0;
    case CriteriaOp::Lt: return order < 0;
    case CriteriaOp::Gt: return order > 0;
    case CriteriaOp::Le: return order <= 0;
    case CriteriaOp::Ge: return order >= 0;
    case CriteriaOp::Like: break;
    }
    return false;
}

template <typename T>
int threeWay(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

/// A literal with the other forms a comparison may need, worked out once:
/// a quoted text that is also a number, a date or a boolean.
struct PreparedLiteral
{
    explicit PreparedLiteral(const CriteriaLiteral &lit);

    CriteriaLiteral literal;
    std::optional<CriteriaLiteral> asNumber;   ///< Number, Boolean, or Text holding a plain number
    std::optional<qint64> asDateSecs;          ///< Date, or Text holding a date
    std::optional<bool> asBool;                ///< Boolean, Number, or Text "True"/"False"/number
    QString text;                              ///< the text form, for textual comparisons
};

/// One cell seen by the generic comparison: its kind and its payload.
struct CriteriaCell
{
    enum class Kind { Int, Currency, Double, Bool, Date, Text };
    Kind kind = Kind::Int;
    qint64 i = 0;
    double d = 0;
    const QString *s = nullptr;

    QString text() const;
};

/// The cell of any column as the generic comparison sees it; nothing for a
/// null cell (and a Variant cell tagged without a value kind).
std::optional<CriteriaCell> cellAt(const Column &c, std::size_t row);

/// Ordering of a cell against a literal, or nothing when they cannot be
/// compared (a date with a number): every comparison is then false.
std::optional<int> compareCell(const CriteriaCell &cell, const PreparedLiteral &lit);

/// A comparison or LIKE test of one cell against a literal, for any cell kind.
class CellTest final
{
public:
    CellTest(CriteriaOp op, const CriteriaLiteral &lit);
    bool test(const CriteriaCell &cell) const;

private:
    CriteriaOp m_op;
    PreparedLiteral m_lit;
    std::optional<LikePattern> m_like;
};

class ConstantNode final : public CriteriaNode
{
public:
    explicit ConstantNode(bool value) : m_value(value) {}
    bool matches(std::size_t) const override { return m_value; }

private:
    bool m_value;
};

class NullNode final : public CriteriaNode
{
public:
    NullNode(const Column &c, bool wantNull) : m_column(c), m_wantNull(wantNull) {}
    bool matches(std::size_t row) const override { return m_column.isNull(row) == m_wantNull; }

private:
    const Column &m_column;
    bool m_wantNull;
};

/// Integer, currency (raw) and date (seconds) columns against an exact 64-bit key.
template <CriteriaOp Op>
class IntCompareNode final : public CriteriaNode
{
public:
    IntCompareNode(const Column &c, qint64 key) : m_column(c), m_key(key) {}
    bool matches(std::size_t row) const override
    {
        if (m_column.isNull(row))
            return false;
        const qint64 v = m_column.int64At(row);
        if constexpr (Op == CriteriaOp::Eq) return v == m_key;
        else if constexpr (Op == CriteriaOp::Ne) return v != m_key;
        else if constexpr (Op == CriteriaOp::Lt) return v < m_key;
        else if constexpr (Op == CriteriaOp::Gt) return v > m_key;
        else if constexpr (Op == CriteriaOp::Le) return v <= m_key;
        else return v >= m_key;
    }

private:
    const Column &m_column;
    qint64 m_key;
};

/// Double columns, and integer or currency columns against a number with
/// more decimals than the column holds (value / scale compared as a double).
class DoubleCompareNode final : public CriteriaNode
{
public:
    DoubleCompareNode(const Column &c, CriteriaOp op, double key, double scale = 0)
        : m_column(c), m_op(op), m_key(key), m_scale(scale) {}
    bool matches(std::size_t row) const override
    {
        if (m_column.isNull(row))
            return false;
        const double v = m_scale == 0 ? m_column.doubleAt(row) : double(m_column.int64At(row)) / m_scale;
        if (v != v)   // NaN compares with nothing
            return false;
        return orderSatisfies(m_op, threeWay(v, m_key));
    }

private:
    const Column &m_column;
    CriteriaOp m_op;
    double m_key;
    double m_scale;   // 0: a Double column
};

/// Boolean columns, as True = -1 and False = 0; a numeric key other than 0
/// counts as True, so "= 1", "= -1" and "= True" agree.
class BoolCompareNode final : public CriteriaNode
{
public:
    BoolCompareNode(const Column &c, CriteriaOp op, bool key) : m_column(c), m_op(op), m_key(key ? -1 : 0) {}
    bool matches(std::size_t row) const override
    {
        if (m_column.isNull(row))
            return false;
        return orderSatisfies(m_op, threeWay(m_column.boolAt(row) ? -1 : 0, m_key));
    }

private:
    const Column &m_column;
    CriteriaOp m_op;
    int m_key;
};

/// String columns: the test runs once per distinct string of the column's
/// pool, and rows look the answer up by their string id. Strings added to the
/// column after compiling are decided when first met.
class StringIdNode final : public CriteriaNode
{
public:
    /// A comparison or LIKE against one literal.
    StringIdNode(const Column &c, CriteriaOp op, const CriteriaLiteral &lit);
    /// Equality with any of the texts (an OR-list), compared case-folded.
    StringIdNode(const Column &c, QSet<QString> foldedTexts);
    bool matches(std::size_t row) const override
    {
        if (m_column.isNull(row))
            return false;
        const quint32 id = m_column.stringIdAt(row);
        if (id < m_answers.size() && m_answers[id] >= 0)
            return m_answers[id] != 0;
        return decide(id);
    }

private:
    bool decide(quint32 id) const;

    const Column &m_column;
    std::optional<CellTest> m_test;
    QSet<QString> m_set;
    mutable std::vector<qint8> m_answers;   // per string id: -1 unknown, 0, 1
};

/// An OR-list of equalities on an integer, currency or date column.
class IntSetNode final : public CriteriaNode
{
public:
    IntSetNode(const Column &c, std::unordered_set<qint64> keys) : m_column(c), m_keys(std::move(keys)) {}
    bool matches(std::size_t row) const override
    {
        return !m_column.isNull(row) && m_keys.count(m_column.int64At(row)) != 0;
    }

private:
    const Column &m_column;
    std::unordered_set<qint64> m_keys;
};

/// An OR-list of equalities with whole numbers on a Variant column: integer
/// cells are one set lookup; cells of other types try each equality in turn.
class VariantIntSetNode final : public CriteriaNode
{
public:
    VariantIntSetNode(const Column &c, std::unordered_set<qint64> keys, const std::vector<CriteriaLiteral> &literals);
    bool matches(std::size_t row) const override;

private:
    const Column &m_column;
    std::unordered_set<qint64> m_keys;
    std::vector<CellTest> m_tests;
};

/// Any column, each cell taken with its own type: Variant columns and the
/// rarer pairings of a column with a literal of another kind.
class GenericNode final : public CriteriaNode
{
public:
    GenericNode(const Column &c, CriteriaOp op, const CriteriaLiteral &lit) : m_column(c), m_test(op, lit) {}
    bool matches(std::size_t row) const override;

private:
    const Column &m_column;
    CellTest m_test;
};

class AndNode final : public CriteriaNode
{
public:
    explicit AndNode(std::vector<std::unique_ptr<CriteriaNode>> children) : m_children(std::move(children)) {}
    bool matches(std::size_t row) const override
    {
        for (const auto &c : m_children)
            if (!c->matches(row))
                return false;
        return true;
    }

private:
    std::vector<std::unique_ptr<CriteriaNode>> m_children;
};

class OrNode final : public CriteriaNode
{
public:
    explicit OrNode(std::vector<std::unique_ptr<CriteriaNode>> children) : m_children(std::move(children)) {}
    bool matches(std::size_t row) const override
    {
        for (const auto &c : m_children)
            if (c->matches(row))
                return true;
        return false;
    }

private:
    std::vector<std::unique_ptr<CriteriaNode>> m_children;
};

} // namespace data

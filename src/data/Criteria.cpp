#include "Criteria.h"

#include "CriteriaNode.h"
#include "CriteriaParser.h"
#include "RecordsetStorage.h"

#include <map>

namespace data {

namespace {

using NodePtr = std::unique_ptr<CriteriaNode>;

template <CriteriaOp Op>
NodePtr intNode(const Column &c, qint64 key)
{
    return std::make_unique<IntCompareNode<Op>>(c, key);
}

NodePtr intCompare(const Column &c, CriteriaOp op, qint64 key)
{
    switch (op) {
    case CriteriaOp::Eq: return intNode<CriteriaOp::Eq>(c, key);
    case CriteriaOp::Ne: return intNode<CriteriaOp::Ne>(c, key);
    case CriteriaOp::Lt: return intNode<CriteriaOp::Lt>(c, key);
    case CriteriaOp::Gt: return intNode<CriteriaOp::Gt>(c, key);
    case CriteriaOp::Le: return intNode<CriteriaOp::Le>(c, key);
    case CriteriaOp::Ge: return intNode<CriteriaOp::Ge>(c, key);
    case CriteriaOp::Like: break;
    }
    return std::make_unique<ConstantNode>(false);
}

/// The literal as the exact 64-bit word an Int column of that type stores
/// (integer, currency raw, date seconds), when it has one.
std::optional<qint64> exactIntKey(DataType type, const PreparedLiteral &lit)
{
    if (type == DataType::Date)
        return lit.asDateSecs;
    if (!lit.asNumber || lit.literal.kind == CriteriaLiteral::Kind::Date)
        return std::nullopt;
    if (type == DataType::Currency)
        return lit.asNumber->currencyRaw;
    return lit.asNumber->integer;
}

NodePtr compileComparison(const Column &c, CriteriaOp op, const CriteriaLiteral &lit)
{
    if (lit.kind == CriteriaLiteral::Kind::Null) {
        if (op == CriteriaOp::Eq || op == CriteriaOp::Ne)
            return std::make_unique<NullNode>(c, op == CriteriaOp::Eq);
        return std::make_unique<ConstantNode>(false);   // nothing orders against Null
    }
    if (c.kind() == Column::Kind::String)
        return std::make_unique<StringIdNode>(c, op, lit);
    if (op == CriteriaOp::Like || c.kind() == Column::Kind::Variant)
        return std::make_unique<GenericNode>(c, op, lit);

    const PreparedLiteral prepared(lit);
    switch (c.kind()) {
    case Column::Kind::Int: {
        const bool integer = c.type() != DataType::Currency && c.type() != DataType::Date;
        // True against an integer column means "not zero": a flag kept as 1
        // in the database matches "= True" as well as one kept as -1.
        if (integer && lit.kind == CriteriaLiteral::Kind::Boolean
            && (op == CriteriaOp::Eq || op == CriteriaOp::Ne)) {
            const bool wantZero = (op == CriteriaOp::Eq) != lit.boolean;
            return intCompare(c, wantZero ? CriteriaOp::Eq : CriteriaOp::Ne, 0);
        }
        if (const auto key = exactIntKey(c.type(), prepared))
            return intCompare(c, op, *key);
        if (c.type() != DataType::Date && prepared.asNumber)
            return std::make_unique<DoubleCompareNode>(
                c, op, prepared.asNumber->number,
                c.type() == DataType::Currency ? double(Currency::Scale) : 1.0);
        break;
    }
    case Column::Kind::Double:
        if (prepared.asNumber)
            return std::make_unique<DoubleCompareNode>(c, op, prepared.asNumber->number);
        break;
    case Column::Kind::Bool:
        if (prepared.asBool && lit.kind != CriteriaLiteral::Kind::Date)
            return std::make_unique<BoolCompareNode>(c, op, *prepared.asBool);
        break;
    case Column::Kind::String:
    case Column::Kind::Variant:
        break;
    }
    return std::make_unique<GenericNode>(c, op, lit);
}

/// Compiles a parsed expression; reports the first unknown field.
class Compiler final
{
public:
    explicit Compiler(const RecordsetStorage &storage) : m_storage(storage) {}

    NodePtr compile(const CriteriaExpr &e)
    {
        switch (e.kind) {
        case CriteriaExpr::Kind::Compare: {
            const int field = resolve(e);
            if (field < 0)
                return nullptr;
            return compileComparison(m_storage.column(field), e.op, e.literal);
        }
        case CriteriaExpr::Kind::And: {
            std::vector<NodePtr> children;
            for (const CriteriaExpr &child : e.children) {
                NodePtr node = compile(child);
                if (!node)
                    return nullptr;
                children.push_back(std::move(node));
            }
            return std::make_unique<AndNode>(std::move(children));
        }
        case CriteriaExpr::Kind::Or:
            return compileOr(e);
        }
        return nullptr;
    }

    QString error() const { return m_error; }

private:
    int resolve(const CriteriaExpr &e)
    {
        const int field = m_storage.indexOf(e.field);
        if (field < 0 && m_error.isEmpty())
            m_error = QStringLiteral("Invalid filter criteria at position %1: unknown field %2.")
                          .arg(e.position)
                          .arg(CriteriaParser::quoted(e.field));
        return field;
    }

    static std::vector<CriteriaLiteral> literalsOf(const std::vector<const CriteriaExpr *> &terms)
    {
        std::vector<CriteriaLiteral> literals;
        for (const CriteriaExpr *term : terms)
            literals.push_back(term->literal);
        return literals;
    }

    static void flattenOr(const CriteriaExpr &e, std::vector<const CriteriaExpr *> &out)
    {
        for (const CriteriaExpr &child : e.children) {
            if (child.kind == CriteriaExpr::Kind::Or)
                flattenOr(child, out);
            else
                out.push_back(&child);
        }
    }

    // An OR-list of equalities on one field is a set lookup: fifty
    // "TradeID = n" terms then cost one hash probe a row, not fifty comparisons.
    NodePtr compileOr(const CriteriaExpr &e)
    {
        std::vector<const CriteriaExpr *> terms;
        flattenOr(e, terms);
        std::map<int, std::unordered_set<qint64>> intKeys;
        std::map<int, QSet<QString>> texts;
        std::map<int, std::vector<const CriteriaExpr *>> grouped;
        std::vector<NodePtr> children;
        for (const CriteriaExpr *term : terms) {
            if (term->kind == CriteriaExpr::Kind::Compare && term->op == CriteriaOp::Eq) {
                const int field = resolve(*term);
                if (field < 0)
                    return nullptr;
                const Column &c = m_storage.column(field);
                const CriteriaLiteral &lit = term->literal;
                if (c.kind() == Column::Kind::Int && lit.kind != CriteriaLiteral::Kind::Null
                    && lit.kind != CriteriaLiteral::Kind::Boolean) {
                    if (const auto key = exactIntKey(c.type(), PreparedLiteral(lit))) {
                        intKeys[field].insert(*key);
                        grouped[field].push_back(term);
                        continue;
                    }
                }
                if (c.kind() == Column::Kind::Variant && lit.kind == CriteriaLiteral::Kind::Number
                    && lit.integer) {
                    intKeys[field].insert(*lit.integer);
                    grouped[field].push_back(term);
                    continue;
                }
                if (c.kind() == Column::Kind::String && lit.kind == CriteriaLiteral::Kind::Text) {
                    texts[field].insert(lit.text.toCaseFolded());
                    grouped[field].push_back(term);
                    continue;
                }
            }
            NodePtr node = compile(*term);
            if (!node)
                return nullptr;
            children.push_back(std::move(node));
        }
        std::vector<NodePtr> sets;
        for (auto &[field, group] : grouped) {
            const Column &c = m_storage.column(field);
            if (group.size() == 1)
                sets.push_back(compileComparison(c, CriteriaOp::Eq, group.front()->literal));
            else if (c.kind() == Column::Kind::String)
                sets.push_back(std::make_unique<StringIdNode>(c, std::move(texts[field])));
            else if (c.kind() == Column::Kind::Variant)
                sets.push_back(std::make_unique<VariantIntSetNode>(c, std::move(intKeys[field]),
                                                                   literalsOf(group)));
            else
                sets.push_back(std::make_unique<IntSetNode>(c, std::move(intKeys[field])));
        }
        // The set lookups usually decide most rows: ask them first.
        for (NodePtr &n : children)
            sets.push_back(std::move(n));
        if (sets.size() == 1)
            return std::move(sets.front());
        return std::make_unique<OrNode>(std::move(sets));
    }

    const RecordsetStorage &m_storage;
    QString m_error;
};

} // namespace

Criteria::Criteria(std::unique_ptr<CriteriaNode> root) : m_root(std::move(root))
{
}

Criteria::~Criteria() = default;

std::unique_ptr<Criteria> Criteria::compile(QStringView text, const RecordsetStorage &storage,
                                            QString *error)
{
    CriteriaParser parser;
    const auto expr = parser.parse(text);
    if (!expr) {
        if (error)
            *error = parser.errorMessage();
        return nullptr;
    }
    Compiler compiler(storage);
    NodePtr root = compiler.compile(*expr);
    if (!root) {
        if (error)
            *error = compiler.error();
        return nullptr;
    }
    return std::unique_ptr<Criteria>(new Criteria(std::move(root)));
}

bool Criteria::matches(std::size_t row) const
{
    return m_root->matches(row);
}

void Criteria::select(std::size_t begin, std::size_t end, std::vector<quint32> &out) const
{
    const CriteriaNode &root = *m_root;
    for (std::size_t row = begin; row < end; ++row) {
        if (root.matches(row))
            out.push_back(quint32(row));
    }
}

} // namespace data

#include "CriteriaNode.h"

#include "Currency.h"
#include "DateTime.h"

namespace data {

namespace {

std::optional<bool> parseBoolText(QStringView text)
{
    text = text.trimmed();
    if (text.compare(u"True", Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(u"False", Qt::CaseInsensitive) == 0)
        return false;
    if (const auto n = CriteriaParser::numberLiteral(text))
        return n->number != 0;
    return std::nullopt;
}

int textOrder(const QString &a, const QString &b)
{
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

/// A number cell against a number literal, exactly where both are exact.
int numberOrder(qint64 value, const CriteriaLiteral &n)
{
    return n.integer ? threeWay(value, *n.integer) : threeWay(double(value), n.number);
}

} // namespace

PreparedLiteral::PreparedLiteral(const CriteriaLiteral &lit) : literal(lit)
{
    switch (lit.kind) {
    case CriteriaLiteral::Kind::Number:
        asNumber = lit;
        asBool = lit.number != 0;
        text = lit.text;
        break;
    case CriteriaLiteral::Kind::Boolean:
        asNumber = lit;
        asBool = lit.boolean;
        text = lit.text;
        break;
    case CriteriaLiteral::Kind::Text:
        asNumber = CriteriaParser::numberLiteral(lit.text);
        asDateSecs = CriteriaParser::dateLiteral(lit.text);
        asBool = parseBoolText(lit.text);
        text = lit.text;
        break;
    case CriteriaLiteral::Kind::Date:
        asDateSecs = lit.secs;
        text = DateTime::fromSecs(lit.secs).toUsString();
        break;
    case CriteriaLiteral::Kind::Null:
        break;
    }
}

QString CriteriaCell::text() const
{
    switch (kind) {
    case Kind::Int:
        return QString::number(i);
    case Kind::Currency:
        return Currency::fromRaw(i).toString();
    case Kind::Double:
        return QString::number(d, 'g', 15);
    case Kind::Bool:
        return i ? QStringLiteral("True") : QStringLiteral("False");
    case Kind::Date:
        return DateTime::fromSecs(i).toUsString();
    case Kind::Text:
        return *s;
    }
    return QString();
}

std::optional<int> compareCell(const CriteriaCell &cell, const PreparedLiteral &lit)
{
    using LK = CriteriaLiteral::Kind;
    const LK lk = lit.literal.kind;
    if (lk == LK::Null)
        return std::nullopt;
    switch (cell.kind) {
    case CriteriaCell::Kind::Int:
        if (lit.asNumber)
            return numberOrder(cell.i, *lit.asNumber);
        break;
    case CriteriaCell::Kind::Currency:
        if (lit.asNumber) {
            if (lit.asNumber->currencyRaw)
                return threeWay(cell.i, *lit.asNumber->currencyRaw);
            return threeWay(double(cell.i) / Currency::Scale, lit.asNumber->number);
        }
        break;
    case CriteriaCell::Kind::Double:
        if (lit.asNumber) {
            if (cell.d != cell.d)
                return std::nullopt;
            return threeWay(cell.d, lit.asNumber->number);
        }
        break;
    case CriteriaCell::Kind::Bool:
        if (lit.asBool)
            return threeWay(cell.i ? -1 : 0, *lit.asBool ? -1 : 0);
        break;
    case CriteriaCell::Kind::Date:
        if (lit.asDateSecs)
            return threeWay(cell.i, *lit.asDateSecs);
        if (lk == LK::Number || lk == LK::Boolean)
            return std::nullopt;
        break;
    case CriteriaCell::Kind::Text:
        switch (lk) {
        case LK::Text:
            return textOrder(*cell.s, lit.text);
        case LK::Number:
            if (const auto n = CriteriaParser::numberLiteral(*cell.s))
                return n->integer && lit.literal.integer ? threeWay(*n->integer, *lit.literal.integer)
                                                         : threeWay(n->number, lit.literal.number);
            break;
        case LK::Boolean:
            if (const auto b = parseBoolText(*cell.s))
                return threeWay(*b ? -1 : 0, lit.literal.boolean ? -1 : 0);
            break;
        case LK::Date:
            if (const auto secs = CriteriaParser::dateLiteral(*cell.s))
                return threeWay(*secs, lit.literal.secs);
            return std::nullopt;
        case LK::Null:
            return std::nullopt;
        }
        return textOrder(*cell.s, lit.text);
    }
    if (lk == LK::Date)
        return std::nullopt;
    // A number, boolean or date against text that is none of these: compare
    // the cell's text form, as a variant comparison would.
    return textOrder(cell.text(), lit.text);
}

CellTest::CellTest(CriteriaOp op, const CriteriaLiteral &lit) : m_op(op), m_lit(lit)
{
    if (op == CriteriaOp::Like)
        m_like.emplace(lit.text);
}

bool CellTest::test(const CriteriaCell &cell) const
{
    if (m_like)
        return m_like->matches(cell.kind == CriteriaCell::Kind::Text ? QStringView(*cell.s)
                                                                     : QStringView(cell.text()));
    const auto order = compareCell(cell, m_lit);
    return order && orderSatisfies(m_op, *order);
}

StringIdNode::StringIdNode(const Column &c, CriteriaOp op, const CriteriaLiteral &lit)
    : m_column(c), m_test(std::in_place, op, lit)
{
    m_answers.assign(c.pool().count(), -1);
}

StringIdNode::StringIdNode(const Column &c, QSet<QString> foldedTexts)
    : m_column(c), m_set(std::move(foldedTexts))
{
    m_answers.assign(c.pool().count(), -1);
}

bool StringIdNode::decide(quint32 id) const
{
    if (id >= m_answers.size())
        m_answers.resize(m_column.pool().count(), -1);
    const QString &text = m_column.pool().at(id);
    bool answer;
    if (m_test) {
        CriteriaCell cell;
        cell.kind = CriteriaCell::Kind::Text;
        cell.s = &text;
        answer = m_test->test(cell);
    } else {
        answer = m_set.contains(text.toCaseFolded());
    }
    m_answers[id] = answer ? 1 : 0;
    return answer;
}

std::optional<CriteriaCell> cellAt(const Column &c, std::size_t row)
{
    if (c.isNull(row))
        return std::nullopt;
    CriteriaCell cell;
    const bool variant = c.kind() == Column::Kind::Variant;
    const DataType type = variant ? c.variantTypeAt(row) : c.type();
    switch (variant ? Column::kindOf(type) : c.kind()) {
    case Column::Kind::Int:
        cell.kind = type == DataType::Currency ? CriteriaCell::Kind::Currency
                    : type == DataType::Date   ? CriteriaCell::Kind::Date
                                               : CriteriaCell::Kind::Int;
        cell.i = c.int64At(row);
        break;
    case Column::Kind::Double:
        cell.kind = CriteriaCell::Kind::Double;
        cell.d = c.doubleAt(row);
        break;
    case Column::Kind::Bool:
        cell.kind = CriteriaCell::Kind::Bool;
        cell.i = variant ? c.int64At(row) : c.boolAt(row);
        break;
    case Column::Kind::String:
        cell.kind = CriteriaCell::Kind::Text;
        cell.s = variant ? &c.variantStringAt(row) : &c.stringAt(row);
        break;
    case Column::Kind::Variant:
        return std::nullopt;   // tagged without a value kind: holds nothing comparable
    }
    return cell;
}

bool GenericNode::matches(std::size_t row) const
{
    const auto cell = cellAt(m_column, row);
    return cell && m_test.test(*cell);
}

VariantIntSetNode::VariantIntSetNode(const Column &c, std::unordered_set<qint64> keys,
                                     const std::vector<CriteriaLiteral> &literals)
    : m_column(c), m_keys(std::move(keys))
{
    for (const CriteriaLiteral &lit : literals)
        m_tests.emplace_back(CriteriaOp::Eq, lit);
}

bool VariantIntSetNode::matches(std::size_t row) const
{
    if (m_column.isNull(row))
        return false;
    switch (m_column.variantTypeAt(row)) {
    case DataType::SmallInt:
    case DataType::Integer:
    case DataType::BigInt:
        return m_keys.count(m_column.int64At(row)) != 0;
    default:
        break;
    }
    const auto cell = cellAt(m_column, row);
    if (!cell)
        return false;
    for (const CellTest &test : m_tests) {
        if (test.test(*cell))
            return true;
    }
    return false;
}

} // namespace data

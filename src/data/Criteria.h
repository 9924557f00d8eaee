#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <cstddef>
#include <memory>
#include <vector>

namespace data {

class CriteriaNode;
class RecordsetStorage;

/// A filter criteria compiled once against the columns of a recordset, then
/// asked row by row: the engine of Recordset::setFilter() and Find().
///
/// Each comparison becomes a node specialised for its column's storage: an
/// integer, currency or date column compares its 64-bit words with the
/// literal converted once; a string column decides each distinct string once
/// and then looks the answer up by string id; an OR-list of equalities on one
/// field ("TradeID = 1 OR TradeID = 2 OR ...") becomes one hash-set lookup.
///
/// Semantics: string comparisons and LIKE ignore case; a comparison with a null
/// value is false except "= Null" / "IS NULL" (and "<> Null" / "IS NOT NULL" is
/// true for every non-null value); values of different kinds are compared the
/// way a report expects of a variant: a quoted number against a numeric field
/// compares as a number, a date text against a date field as a date, anything
/// else by its text; Variant cells are compared by their own type.
class Criteria final
{
public:
    ~Criteria();

    /// Compiles text for the fields of storage. Returns null and sets *error
    /// (when given) to a message naming the 1-based position and what was
    /// expected, for malformed criteria and for unknown field names.
    static std::unique_ptr<Criteria> compile(QStringView text, const RecordsetStorage &storage,
                                             QString *error = nullptr);

    bool matches(std::size_t row) const;
    /// Appends the rows of [begin, end) that match to out, in order.
    void select(std::size_t begin, std::size_t end, std::vector<quint32> &out) const;

private:
    explicit Criteria(std::unique_ptr<CriteriaNode> root);
    std::unique_ptr<CriteriaNode> m_root;
};

} // namespace data

#pragma once

#include <QList>
#include <QString>
#include <QVariant>

/// A directory list as the filter controls and value lists take it: entry i
/// has a shown text (row 0, "(0, i)") and an identifier (row 1, "(1, i)"),
/// i from 0. The identifier keeps the type the directory gave it (an integer
/// id, or a text code such as a TCID).
///
/// A plain value type: cheap to copy (implicitly shared lists), compared
/// entry by entry.
namespace data {
class Recordset;
}

class TwoRowTable final
{
public:
    TwoRowTable() = default;

    /// The rows of rs from its first row to the end: the text from field
    /// textField (a null reads as ""), the identifier from field idField.
    /// Leaves rs at EOF. A closed recordset gives an empty table.
    static TwoRowTable fromRecordset(data::Recordset &rs, int textField, int idField);

    int size() const { return int(m_texts.size()); }
    bool isEmpty() const { return m_texts.isEmpty(); }

    /// Row 0: the shown text of entry i. An index out of range gives "".
    QString text(int i) const { return m_texts.value(i); }
    /// Row 1: the identifier of entry i. An index out of range gives an invalid QVariant.
    QVariant id(int i) const { return m_ids.value(i); }
    /// (row, i) addressing: row 0 is the text, row 1 the identifier, anything else invalid.
    QVariant at(int row, int i) const;

    void append(const QString &text, const QVariant &id);
    void clear();

    const QList<QString> &texts() const { return m_texts; }
    const QList<QVariant> &ids() const { return m_ids; }

    /// The index of the first entry whose identifier equals id, or -1.
    int indexOfId(const QVariant &id) const;
    /// The table as a check combo's item list: a list of two lists, row 0
    /// the texts and row 1 the identifiers.
    QVariant toArrayData() const;

    bool operator==(const TwoRowTable &other) const = default;

private:
    QList<QString> m_texts;
    QList<QVariant> m_ids;
};

Q_DECLARE_METATYPE(TwoRowTable)

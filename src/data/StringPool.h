#pragma once

#include <QHash>
#include <QString>

#include <cstddef>
#include <vector>

namespace data {

/// The distinct strings of one recordset column, each stored once and named by
/// a 32-bit id.
///
/// Report columns repeat a handful of texts (dealer names, currency codes, the
/// filter of a group) over thousands of rows; a cell keeps only the id, and
/// reading a cell hands out an implicitly shared QString without copying text.
class StringPool final
{
public:
    /// The id of text, adding it when new.
    quint32 intern(const QString &text)
    {
        // Loaders often write the same QString object row after row.
        if (m_lastValid && text.size() == m_last.size()
            && (text.constData() == m_last.constData() || text == m_last))
            return m_lastId;
        return internSlow(text);
    }
    const QString &at(quint32 id) const { return m_strings[id]; }
    std::size_t count() const { return m_strings.size(); }
    /// Bytes held by the strings and the index, approximately.
    std::size_t byteSize() const;

private:
    quint32 internSlow(const QString &text);

    std::vector<QString> m_strings;
    QHash<QString, quint32> m_index;
    QString m_last;
    quint32 m_lastId = 0;
    bool m_lastValid = false;
};

} // namespace data

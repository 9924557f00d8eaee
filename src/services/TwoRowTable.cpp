#include "TwoRowTable.h"

#include "Recordset.h"

TwoRowTable TwoRowTable::fromRecordset(data::Recordset &rs, int textField, int idField)
{
    TwoRowTable table;
    if (rs.State() != data::adStateOpen)
        return table;
    const data::Field text = rs.Fields(textField);
    const data::Field id = rs.Fields(idField);
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
        table.append(text.value().toString(), id.value().toVariant());
    return table;
}

QVariant TwoRowTable::at(int row, int i) const
{
    switch (row) {
    case 0:
        return i >= 0 && i < size() ? QVariant(m_texts.at(i)) : QVariant();
    case 1:
        return id(i);
    default:
        return {};
    }
}

void TwoRowTable::append(const QString &text, const QVariant &id)
{
    m_texts.append(text);
    m_ids.append(id);
}

void TwoRowTable::clear()
{
    m_texts.clear();
    m_ids.clear();
}

int TwoRowTable::indexOfId(const QVariant &id) const
{
    for (int i = 0; i < m_ids.size(); ++i) {
        if (m_ids.at(i) == id)
            return i;
    }
    return -1;
}

QVariant TwoRowTable::toArrayData() const
{
    QVariantList texts;
    texts.reserve(m_texts.size());
    for (const QString &text : m_texts)
        texts.append(text);
    return QVariantList{QVariant(texts), QVariant(QVariantList(m_ids))};
}

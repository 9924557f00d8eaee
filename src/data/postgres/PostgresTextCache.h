#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <array>
#include <cstring>

namespace data {

/// The texts one column read last, by their UTF-8 bytes: a column of
/// repeated texts (dealers, counterparties, currencies) converts each
/// distinct text once and hands the same string on, which the recordset's
/// string pool then finds by its buffer. A column whose texts hardly repeat
/// (ticket notes) stops looking after its first thousand values, so it pays
/// nothing more than the conversion.
class PostgresTextCache final
{
public:
    /// The text of bytes, converted or found.
    const QString &text(const char *bytes, int length)
    {
        if (!m_enabled) {
            m_scratch = QString::fromUtf8(bytes, length);
            return m_scratch;
        }
        Entry &entry = m_entries[qHash(QByteArrayView(bytes, length)) % m_entries.size()];
        ++m_looks;
        if (entry.bytes.size() == length && std::memcmp(entry.bytes.constData(), bytes, size_t(length)) == 0) {
            ++m_hits;
            return entry.text;
        }
        // After a thousand looks, only a column that repeats itself keeps looking.
        if (m_looks == 1000 && m_hits < 500)
            m_enabled = false;
        entry.bytes = QByteArray(bytes, length);
        entry.text = QString::fromUtf8(bytes, length);
        return entry.text;
    }

private:
    struct Entry
    {
        QByteArray bytes;
        QString text;
    };
    std::array<Entry, 1024> m_entries;
    QString m_scratch;
    int m_looks = 0;
    int m_hits = 0;
    bool m_enabled = true;
};

} // namespace data

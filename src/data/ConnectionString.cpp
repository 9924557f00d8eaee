#include "ConnectionString.h"

namespace data {

QString ConnectionString::forSqliteFile(const QString &path)
{
    QString quoted = path;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QStringLiteral("Provider=SQLite;Data Source=\"") + quoted + QLatin1Char('"');
}

std::optional<ConnectionString> ConnectionString::parse(const QString &text, QString *error)
{
    ConnectionString result;
    const qsizetype n = text.size();
    qsizetype pos = 0;
    while (pos < n) {
        // Key: up to '=' or the end of the segment.
        const qsizetype keyStart = pos;
        while (pos < n && text[pos] != u'=' && text[pos] != u';')
            ++pos;
        const QString key = text.mid(keyStart, pos - keyStart).trimmed();
        if (pos >= n || text[pos] == u';') {
            if (!key.isEmpty()) {
                if (error)
                    *error = QStringLiteral("Connection string: '%1' has no value (expected key=value)")
                                 .arg(key);
                return std::nullopt;
            }
            ++pos;   // an empty segment
            continue;
        }
        if (key.isEmpty()) {
            if (error)
                *error = QStringLiteral("Connection string: empty key at position %1").arg(keyStart + 1);
            return std::nullopt;
        }
        ++pos;   // '='

        while (pos < n && text[pos].isSpace())
            ++pos;
        QString value;
        if (pos < n && text[pos] == u'"') {
            const qsizetype quoteAt = pos;
            ++pos;
            bool closed = false;
            while (pos < n) {
                if (text[pos] == u'"') {
                    if (pos + 1 < n && text[pos + 1] == u'"') {
                        value += u'"';
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    closed = true;
                    break;
                }
                value += text[pos++];
            }
            if (!closed) {
                if (error)
                    *error = QStringLiteral("Connection string: unterminated quote at position %1")
                                 .arg(quoteAt + 1);
                return std::nullopt;
            }
            while (pos < n && text[pos].isSpace())
                ++pos;
            if (pos < n && text[pos] != u';') {
                if (error)
                    *error = QStringLiteral("Connection string: unexpected text after the quoted "
                                            "value of '%1'")
                                 .arg(key);
                return std::nullopt;
            }
        } else {
            const qsizetype valueStart = pos;
            while (pos < n && text[pos] != u';')
                ++pos;
            value = text.mid(valueStart, pos - valueStart).trimmed();
        }
        result.m_values.insert(normalizedKey(key), value);
        ++pos;   // ';' or past the end
    }
    return result;
}

std::optional<bool> ConnectionString::boolValue(const QString &key) const
{
    if (!contains(key))
        return std::nullopt;
    const QString v = value(key).trimmed().toLower();
    if (v == u"true" || v == u"yes" || v == u"1")
        return true;
    if (v == u"false" || v == u"no" || v == u"0")
        return false;
    return std::nullopt;
}

} // namespace data

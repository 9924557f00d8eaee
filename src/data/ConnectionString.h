#pragma once

#include <QMap>
#include <QString>

#include <optional>

namespace data {

/// The key/value pairs of a connection string such as
/// `Provider=SQLite;Data Source="/data/trading.db";Busy Timeout=2000`.
///
/// Pairs are separated by ';'. Keys are compared without regard to case and
/// to surrounding blanks. A value may be enclosed in double quotes, inside
/// which ';' is literal and a doubled quote stands for one quote. Empty
/// segments (";;", a trailing ';') are ignored. A later key replaces an
/// earlier one.
class ConnectionString final
{
public:
    /// Parses the text. Returns nothing and sets *error on a segment without
    /// '=', an empty key or an unterminated quote.
    static std::optional<ConnectionString> parse(const QString &text, QString *error = nullptr);
    /// The connection string of an SQLite database file, its path quoted so
    /// that any file name works.
    static QString forSqliteFile(const QString &path);

    bool contains(const QString &key) const { return m_values.contains(normalizedKey(key)); }
    /// The value of key, or defaultValue when it is absent.
    QString value(const QString &key, const QString &defaultValue = {}) const
    {
        return m_values.value(normalizedKey(key), defaultValue);
    }
    /// "True"/"Yes"/"1" are true, "False"/"No"/"0" false (any case); anything
    /// else, or an absent key, gives nothing.
    std::optional<bool> boolValue(const QString &key) const;
    /// Every key (trimmed, lower case) with its value.
    const QMap<QString, QString> &values() const { return m_values; }

private:
    static QString normalizedKey(const QString &key) { return key.trimmed().toLower(); }
    QMap<QString, QString> m_values;
};

} // namespace data

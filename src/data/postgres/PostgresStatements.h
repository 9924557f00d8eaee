#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace data {

/// One statement of a command text as the PostgreSQL driver sends it: the
/// text with its named parameters ("@Name") replaced by "$1", "$2" ... and
/// the names in that order (each name once, lower case, with its "@").
struct PostgresStatement
{
    QString text;
    QStringList parameterNames;
};

/// Splits a command text into its statements at the semicolons that end
/// them, and numbers the named parameters of each. Semicolons and "@" inside
/// quoted strings, quoted names, dollar-quoted bodies and comments are text;
/// "@@" and an "@" not followed by a letter or "_" (the "@" operators) stay
/// as they are. Statements of blanks and comments only are left out.
QList<PostgresStatement> splitPostgresStatements(const QString &commandText);

} // namespace data

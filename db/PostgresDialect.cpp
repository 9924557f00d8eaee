#include "PostgresDialect.h"

#include <QHash>
#include <QRegularExpression>

namespace db::PostgresDialect {

namespace {

/// SQLite's planner hints: a unary "+" before a column keeps SQLite from
/// using its index, and CROSS JOIN ... ON fixes the join order. PostgreSQL
/// plans by itself; there they are a plain column and a plain JOIN. The
/// temporary schema "temp." is "pg_temp." there.
QString withoutPlannerHints(QString text)
{
    static const QRegularExpression unaryPlus(QStringLiteral("(\\b(?:AND|OR|WHERE|ON|NOT)\\s+|\\(\\s*)\\+(?=[A-Za-z_])"),
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression crossJoinOn(
        QStringLiteral("\\bCROSS\\s+JOIN(\\s+\\w+(?:\\s+(?:AS\\s+)?\\w+)?\\s+ON\\b)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tempSchema(QStringLiteral("\\btemp\\.(?=\\w)"),
                                               QRegularExpression::CaseInsensitiveOption);
    text.replace(tempSchema, QStringLiteral("pg_temp."));
    text.replace(unaryPlus, QStringLiteral("\\1"));
    // SQLite's IS NOT compares with NULL as a value.
    static const QRegularExpression isNot(QStringLiteral("\\bIS\\s+NOT\\s+(?!NULL\\b|TRUE\\b|FALSE\\b|DISTINCT\\b)"),
                                          QRegularExpression::CaseInsensitiveOption);
    text.replace(isNot, QStringLiteral("IS DISTINCT FROM "));
    text.replace(crossJoinOn, QStringLiteral("JOIN\\1"));
    return text;
}

/// The words of plain SQL text (outside quotes and comments) that change.
QString translateWords(const QString &sql, bool schema)
{
    const QString text = withoutPlannerHints(sql);
    static const QHash<QString, QString> types = {
        {QStringLiteral("integer"), QStringLiteral("BIGINT")},
        {QStringLiteral("real"), QStringLiteral("DOUBLE PRECISION")},
    };
    static const QHash<QString, QString> functions = {
        {QStringLiteral("date"), QStringLiteral("sqlite_date")},
        {QStringLiteral("julianday"), QStringLiteral("sqlite_julianday")},
        {QStringLiteral("round"), QStringLiteral("sqlite_round")},
        {QStringLiteral("instr"), QStringLiteral("strpos")},
        {QStringLiteral("char"), QStringLiteral("chr")},
    };
    static const QRegularExpression word(QStringLiteral("\\b([A-Za-z_][A-Za-z0-9_]*)\\b(\\s*\\()?"));
    QString out;
    qsizetype last = 0;
    for (auto it = word.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString lower = m.captured(1).toLower();
        // A name qualified by a table ("t.Date") is a column, not a function.
        const bool qualified = m.capturedStart(1) > 0 && text.at(m.capturedStart(1) - 1) == u'.';
        QString replacement;
        if (types.contains(lower) && !qualified)
            replacement = types.value(lower);
        else if (schema && lower == QLatin1String("text") && !qualified)
            replacement = QStringLiteral("TEXT COLLATE \"C\"");
        else if (functions.contains(lower) && m.capturedLength(2) > 0 && !qualified)
            replacement = functions.value(lower);
        if (replacement.isEmpty())
            continue;
        out += text.mid(last, m.capturedStart(1) - last) + replacement;
        last = m.capturedEnd(1);
    }
    return out + text.mid(last);
}

/// Removes "CREATE TRIGGER ... END;" statements.
QString withoutTriggers(const QString &script)
{
    static const QRegularExpression trigger(QStringLiteral("CREATE\\s+TRIGGER\\b.*?\\bEND\\s*;"),
                                            QRegularExpression::CaseInsensitiveOption
                                                | QRegularExpression::DotMatchesEverythingOption);
    return QString(script).remove(trigger);
}

QString translateScript(const QString &sqliteScript, bool schema)
{
    const QString script = withoutTriggers(sqliteScript);
    // Walk the text, translating only what is outside quotes and comments.
    QString out;
    QString plain;
    const auto flush = [&] {
        out += translateWords(plain, schema);
        plain.clear();
    };
    for (qsizetype i = 0; i < script.size();) {
        const QChar c = script.at(i);
        qsizetype end = -1;
        if (c == u'\'' || c == u'"') {
            end = i + 1;
            while (end < script.size()) {
                if (script.at(end) == c) {
                    if (end + 1 < script.size() && script.at(end + 1) == c) {
                        end += 2;
                        continue;
                    }
                    break;
                }
                ++end;
            }
            end = qMin(end + 1, script.size());
        } else if (c == u'-' && i + 1 < script.size() && script.at(i + 1) == u'-') {
            end = script.indexOf(u'\n', i);
            end = end < 0 ? script.size() : end;
        } else if (c == u'/' && i + 1 < script.size() && script.at(i + 1) == u'*') {
            end = script.indexOf(QStringLiteral("*/"), i + 2);
            end = end < 0 ? script.size() : end + 2;
        }
        if (end < 0) {
            plain += c;
            ++i;
            continue;
        }
        flush();
        out += script.mid(i, end - i);
        i = end;
    }
    flush();
    return out;
}

} // namespace

QString translate(const QString &sqliteScript)
{
    return translateScript(sqliteScript, false);
}

QString translateSchema(const QString &sqliteScript)
{
    return translateScript(sqliteScript, true);
}

} // namespace db::PostgresDialect

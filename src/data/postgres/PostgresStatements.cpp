#include "PostgresStatements.h"

namespace data {

namespace {

bool startsName(QChar c)
{
    return c.isLetter() || c == u'_';
}

bool inName(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

/// The dollar-quote tag ("$$" or "$tag$") starting at i, or empty.
QString dollarTag(const QString &text, qsizetype i)
{
    qsizetype j = i + 1;
    while (j < text.size() && inName(text[j]) && !(j == i + 1 && text[j].isDigit()))
        ++j;
    if (j < text.size() && text[j] == u'$')
        return text.mid(i, j - i + 1);
    return {};
}

class Splitter
{
public:
    explicit Splitter(const QString &text) : m_text(text) {}

    QList<PostgresStatement> run()
    {
        const QString &t = m_text;
        qsizetype i = 0;
        while (i < t.size()) {
            const QChar c = t[i];
            if (c == u'\'' || c == u'"') {
                i = copyQuoted(i, c);
            } else if (c == u'-' && i + 1 < t.size() && t[i + 1] == u'-') {
                const qsizetype end = t.indexOf(u'\n', i);
                i = copyComment(i, end < 0 ? t.size() : end);
            } else if (c == u'/' && i + 1 < t.size() && t[i + 1] == u'*') {
                const qsizetype end = t.indexOf(QStringLiteral("*/"), i + 2);
                i = copyComment(i, end < 0 ? t.size() : end + 2);
            } else if (c == u'$' && !dollarTag(t, i).isEmpty()) {
                const QString tag = dollarTag(t, i);
                const qsizetype end = t.indexOf(tag, i + tag.size());
                const qsizetype stop = end < 0 ? t.size() : end + tag.size();
                m_current.text += t.mid(i, stop - i);
                m_meaningful = true;
                i = stop;
            } else if (c == u'@' && i + 1 < t.size() && startsName(t[i + 1]) && (i == 0 || t[i - 1] != u'@')) {
                qsizetype j = i + 1;
                while (j < t.size() && inName(t[j]))
                    ++j;
                const QString name = t.mid(i, j - i).toLower();
                qsizetype index = m_current.parameterNames.indexOf(name);
                if (index < 0) {
                    m_current.parameterNames.append(name);
                    index = m_current.parameterNames.size() - 1;
                }
                m_current.text += u'$' + QString::number(index + 1);
                m_meaningful = true;
                i = j;
            } else if (c == u';') {
                finish();
                ++i;
            } else {
                m_current.text += c;
                m_meaningful = m_meaningful || !c.isSpace();
                ++i;
            }
        }
        finish();
        return m_statements;
    }

private:
    qsizetype copyQuoted(qsizetype i, QChar quote)
    {
        qsizetype j = i + 1;
        while (j < m_text.size()) {
            if (m_text[j] == quote) {
                if (j + 1 < m_text.size() && m_text[j + 1] == quote) {
                    j += 2;   // a doubled quote stands for itself
                    continue;
                }
                ++j;
                break;
            }
            ++j;
        }
        m_current.text += m_text.mid(i, j - i);
        m_meaningful = true;
        return j;
    }

    qsizetype copyComment(qsizetype i, qsizetype end)
    {
        m_current.text += m_text.mid(i, end - i);
        return end;
    }

    void finish()
    {
        if (m_meaningful)
            m_statements.append(m_current);
        m_current = {};
        m_meaningful = false;
    }

    const QString &m_text;
    QList<PostgresStatement> m_statements;
    PostgresStatement m_current;
    bool m_meaningful = false;
};

} // namespace

QList<PostgresStatement> splitPostgresStatements(const QString &commandText)
{
    return Splitter(commandText).run();
}

} // namespace data

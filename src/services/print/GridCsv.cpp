#include "GridCsv.h"

namespace {

QString field(const QString &text)
{
    const bool quote = text.contains(u',') || text.contains(u'"') || text.contains(u'\n') || text.contains(u'\r')
                       || (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()));
    if (!quote)
        return text;
    return u'"' + QString(text).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

void appendLine(QString &out, const QString &mark, const QStringList &cells)
{
    out += mark;
    for (const QString &cell : cells) {
        out += u',';
        out += field(cell);
    }
    out += QStringLiteral("\r\n");
}

QString markOf(const ReportRow &row)
{
    switch (row.kind) {
    case ReportRow::Group:
        return QStringLiteral("Group ") + QString::number(row.level + 1);
    case ReportRow::Summary:
        return QStringLiteral("Summary");
    case ReportRow::Detail:
        break;
    }
    return QStringLiteral("Detail");
}

} // namespace

QString GridCsv::text(const ReportDocument &document)
{
    const int columns = int(document.columnCaptions.size());
    QString out;
    out.reserve(qsizetype(document.rows.size()) * (columns + 1) * 12);
    appendLine(out, QStringLiteral("Row"), document.columnCaptions);
    // After the header row, so that the first line names the columns.
    for (const QString &line : document.context.lines(document.title))
        appendLine(out, QStringLiteral("Context"), {line});
    QStringList cells;
    for (const ReportRow &row : document.rows) {
        cells.clear();
        if (row.kind == ReportRow::Group) {
            cells.append(document.cell(row, 0));
        } else {
            for (int c = 0; c < columns; ++c)
                cells.append(document.cell(row, c));
        }
        appendLine(out, markOf(row), cells);
    }
    return out;
}

#include "GridCopy.h"

#include <QClipboard>
#include <QMimeData>

namespace {

QString flatCell(QString text)
{
    for (QChar &c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    return text;
}

QString alignStyle(Qt::Alignment alignment)
{
    if (alignment & Qt::AlignRight)
        return QStringLiteral(" style=\"text-align:right\"");
    if (alignment & Qt::AlignHCenter)
        return QStringLiteral(" style=\"text-align:center\"");
    return QString();
}

bool hasContext(const ReportDocument &document)
{
    return !document.title.isEmpty() || !document.context.isEmpty();
}

} // namespace

QString GridCopy::plainText(const ReportDocument &document)
{
    const int columns = int(document.columnCaptions.size());
    QStringList lines;
    lines.reserve(document.rows.size() + 2);
    if (hasContext(document))
        lines.append(flatCell(document.context.line(document.title)));
    QStringList cells;
    for (const QString &caption : document.columnCaptions)
        cells.append(flatCell(caption));
    lines.append(cells.join(QLatin1Char('\t')));
    for (const ReportRow &row : document.rows) {
        if (row.kind == ReportRow::Group) {
            lines.append(flatCell(document.cell(row, 0)));
            continue;
        }
        cells.clear();
        for (int c = 0; c < columns; ++c)
            cells.append(flatCell(document.cell(row, c)));
        lines.append(cells.join(QLatin1Char('\t')));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString GridCopy::html(const ReportDocument &document)
{
    const int columns = int(document.columnCaptions.size());
    QString out;
    out += QStringLiteral("<html><head><meta charset=\"utf-8\"/></head><body>\n<table border=\"1\" "
                          "cellspacing=\"0\">\n");
    if (hasContext(document)) {
        QStringList lines = document.context.lines(document.title);
        for (QString &line : lines)
            line = line.toHtmlEscaped();
        out += QStringLiteral("<tr><th colspan=\"%1\" style=\"text-align:left\">").arg(qMax(1, columns))
               + lines.join(QStringLiteral("<br/>")) + QStringLiteral("</th></tr>\n");
    }
    out += QStringLiteral("<tr>");
    for (int c = 0; c < columns; ++c)
        out += QStringLiteral("<th") + alignStyle(document.alignment(c)) + QLatin1Char('>')
               + document.columnCaptions.at(c).toHtmlEscaped() + QStringLiteral("</th>");
    out += QStringLiteral("</tr>\n");
    for (const ReportRow &row : document.rows) {
        out += QStringLiteral("<tr>");
        if (row.kind == ReportRow::Group) {
            out += QStringLiteral("<td colspan=\"%1\"><b>").arg(qMax(1, columns))
                   + document.cell(row, 0).toHtmlEscaped() + QStringLiteral("</b></td>");
        } else {
            const bool summary = row.kind == ReportRow::Summary;
            for (int c = 0; c < columns; ++c) {
                const QString text = document.cell(row, c).toHtmlEscaped();
                out += QStringLiteral("<td") + alignStyle(document.alignment(c)) + QLatin1Char('>')
                       + (summary ? QStringLiteral("<b>") + text + QStringLiteral("</b>") : text)
                       + QStringLiteral("</td>");
            }
        }
        out += QStringLiteral("</tr>\n");
    }
    out += QStringLiteral("</table>\n</body></html>\n");
    return out;
}

QMimeData *GridCopy::mimeData(const ReportDocument &document)
{
    auto *data = new QMimeData;
    data->setText(plainText(document));
    data->setHtml(html(document));
    return data;
}

bool GridCopy::copy(const ReportDocument &document, QClipboard *clipboard)
{
    if (!clipboard)
        return false;
    clipboard->setMimeData(mimeData(document));
    return true;
}

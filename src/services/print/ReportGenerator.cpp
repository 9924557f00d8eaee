#include "ReportGenerator.h"

#include <QFile>
#include <QFontMetricsF>
#include <QLocale>
#include <QLoggingCategory>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>

Q_LOGGING_CATEGORY(lcReportGenerator, "marvolt.services.report")

namespace {

// Colours of the report: summary rows in the grid's "Summ" blue, negative
// summaries in its "NegSumm" red.
const QColor kSummaryColor(0, 0, 255);
const QColor kNegativeColor(255, 0, 0);
const QColor kHeaderFill(0xdc, 0xe3, 0xeb);
const QColor kGroupFill(0xee, 0xf0, 0xf3);
const QColor kRuleColor(0xc8, 0xcc, 0xd2);
const QColor kCaptionColor(0x5a, 0x60, 0x68);

constexpr double kBodyPoints = 8.5;
constexpr double kSmallestBodyPoints = 4.5;
constexpr int kParameterColumns = 2;

// Everything measured for one device: fonts, heights and column widths in device pixels.
struct Layout
{
    QFont title, body, bold, small;
    double width = 0, height = 0;
    double titleHeight = 0, parameterLine = 0, rowHeight = 0, footerHeight = 0, pad = 0, indent = 0;
    QList<double> columnWidths;
    // First row index of each page; the last page runs to the end.
    QList<int> pageStarts;
    double firstPageTop = 0, otherPageTop = 0;
};

QFont makeFont(double points, bool bold, QPaintDevice *device)
{
    QFont f(QStringLiteral("Sans Serif"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    // Measure against the device: printer and screen resolutions differ.
    return QFont(f, device);
}

int columnCount(const ReportDocument &doc)
{
    return int(doc.columnCaptions.size());
}

// Widths of the columns at the given fonts, plus padding: natural is the widest
// header or cell; minimum is what a column cannot give up: every number in
// full (a cut number is a wrong number; its caption may be cut), and for text
// columns at most a dozen characters.
struct ColumnWidths
{
    QList<double> natural, minimum;
};

ColumnWidths measureColumns(const ReportDocument &doc, const QFont &body, const QFont &bold, double pad,
                            QPaintDevice *device)
{
    const QFontMetricsF fm(body, device), fb(bold, device);
    ColumnWidths w;
    QList<double> header, cells;
    for (int c = 0; c < columnCount(doc); ++c) {
        header.append(fb.horizontalAdvance(doc.columnCaptions.at(c)) + 2 * pad);
        cells.append(2 * pad);
    }
    for (const ReportRow &row : doc.rows) {
        if (row.kind == ReportRow::Group)
            continue;
        const QFontMetricsF &m = row.kind == ReportRow::Summary ? fb : fm;
        for (int c = 0; c < columnCount(doc) && c < row.cells.size(); ++c)
            cells[c] = std::max(cells[c], m.horizontalAdvance(row.cells.at(c)) + 2 * pad);
    }
    const double textMinimum = fm.horizontalAdvance(QLatin1Char('x')) * 12 + 2 * pad;
    for (int c = 0; c < columnCount(doc); ++c) {
        w.natural.append(std::max(header.at(c), cells.at(c)));
        const bool number = doc.alignment(c) & Qt::AlignRight;
        w.minimum.append(number ? cells.at(c) : std::min(w.natural.at(c), textMinimum));
    }
    return w;
}

double sum(const QList<double> &values)
{
    double s = 0;
    for (double v : values)
        s += v;
    return s;
}

Layout measure(const ReportDocument &doc, QPaintDevice *device)
{
    Layout l;
    l.width = device->width();
    l.height = device->height();
    const double mm = device->logicalDpiX() / 25.4;
    l.pad = 1.2 * mm;
    l.indent = 4 * mm;

    // Shrink the table's font until every column gets at least its minimum
    // width, down to a smallest readable size.
    double points = kBodyPoints;
    ColumnWidths cw;
    for (;;) {
        l.body = makeFont(points, false, device);
        l.bold = makeFont(points, true, device);
        cw = measureColumns(doc, l.body, l.bold, l.pad, device);
        if (sum(cw.natural) <= l.width || sum(cw.minimum) <= l.width || points <= kSmallestBodyPoints)
            break;
        points = std::max(kSmallestBodyPoints, points * std::max(0.85, l.width / sum(cw.minimum)));
    }
    QList<double> widths = cw.natural;
    const double natural = sum(cw.natural);
    const double minimum = sum(cw.minimum);
    if (natural <= l.width) {
        // Spread the spare width so the table spans the page like a form.
        const double extra = widths.isEmpty() ? 0 : (l.width - natural) / widths.size();
        for (double &w : widths)
            w += extra;
    } else if (minimum <= l.width) {
        // Each column keeps its minimum; the rest is shared by what they would like more.
        const double share = (l.width - minimum) / (natural - minimum);
        for (int c = 0; c < widths.size(); ++c)
            widths[c] = cw.minimum.at(c) + (cw.natural.at(c) - cw.minimum.at(c)) * share;
    } else {
        // Too many columns even at the smallest size: narrow all alike (texts are
        // elided, numbers set smaller).
        for (double &w : widths)
            w *= l.width / natural;
    }
    l.columnWidths = widths;

    l.title = makeFont(14, true, device);
    l.small = makeFont(7.5, false, device);
    l.titleHeight = QFontMetricsF(l.title, device).height() * 1.6;
    l.parameterLine = QFontMetricsF(l.small, device).height() * 1.35;
    l.rowHeight = QFontMetricsF(l.bold, device).height() * 1.45;
    l.footerHeight = QFontMetricsF(l.small, device).height() * 2.0;

    const int parameterLines = int((doc.parameters.size() + kParameterColumns - 1) / kParameterColumns);
    l.firstPageTop = l.titleHeight + parameterLines * l.parameterLine + (parameterLines ? l.parameterLine : 0);
    l.otherPageTop = QFontMetricsF(l.bold, device).height() * 1.8;

    // Pagination: each page holds the repeated header row and as many rows as fit;
    // a group heading is never left alone at the foot of a page.
    const auto rowsFitting = [&](double top) {
        return std::max(1, int((l.height - l.footerHeight - top - l.rowHeight) / l.rowHeight));
    };
    int start = 0;
    const int rows = int(doc.rows.size());
    l.pageStarts.append(0);
    double top = l.firstPageTop;
    while (start + rowsFitting(top) < rows) {
        int next = start + rowsFitting(top);
        if (next - 1 > start && doc.rows.at(next - 1).kind == ReportRow::Group)
            --next;
        l.pageStarts.append(next);
        start = next;
        top = l.otherPageTop;
    }
    return l;
}

void drawCellText(QPainter &p, const QRectF &cell, double pad, const QString &text, Qt::Alignment alignment)
{
    const QRectF inner = cell.adjusted(pad, 0, -pad, 0);
    const Qt::Alignment h = alignment & Qt::AlignHorizontal_Mask ? alignment & Qt::AlignHorizontal_Mask : Qt::AlignLeft;
    const int flags = int(h | Qt::AlignVCenter) | Qt::TextSingleLine;
    const QFontMetricsF fm(p.font(), p.device());
    const double advance = fm.horizontalAdvance(text);
    if (advance > inner.width() && (h & Qt::AlignRight) && inner.width() > 0) {
        // A number is never cut (a cut number reads as another number): when the
        // table is too wide even at the smallest size, it is set smaller instead.
        const QFont saved = p.font();
        QFont smaller = saved;
        smaller.setPointSizeF(saved.pointSizeF() * inner.width() / advance * 0.97);
        p.setFont(smaller);
        p.drawText(inner, flags, text);
        p.setFont(saved);
        return;
    }
    p.drawText(inner, flags, fm.elidedText(text, Qt::ElideRight, inner.width()));
}

void drawHeaderRow(QPainter &p, const Layout &l, const ReportDocument &doc, double y)
{
    const double tableWidth = sum(l.columnWidths);
    p.fillRect(QRectF(0, y, tableWidth, l.rowHeight), kHeaderFill);
    p.setFont(l.bold);
    p.setPen(Qt::black);
    double x = 0;
    for (int c = 0; c < columnCount(doc); ++c) {
        drawCellText(p, QRectF(x, y, l.columnWidths.at(c), l.rowHeight), l.pad, doc.columnCaptions.at(c),
                     doc.alignment(c));
        x += l.columnWidths.at(c);
    }
    p.setPen(QPen(Qt::black, 0));
    p.drawLine(QPointF(0, y + l.rowHeight), QPointF(tableWidth, y + l.rowHeight));
}

void drawRow(QPainter &p, const Layout &l, const ReportDocument &doc, const ReportRow &row, double y)
{
    const double tableWidth = sum(l.columnWidths);
    const QRectF band(0, y, tableWidth, l.rowHeight);
    if (row.kind == ReportRow::Group) {
        p.fillRect(band, kGroupFill);
        p.setFont(l.bold);
        p.setPen(Qt::black);
        const double indent = std::max(0, row.level) * l.indent;
        drawCellText(p, band.adjusted(indent, 0, 0, 0), l.pad, doc.cell(row, 0), Qt::AlignLeft);
    } else {
        const bool summary = row.kind == ReportRow::Summary;
        p.setFont(summary ? l.bold : l.body);
        p.setPen(summary ? (row.negative ? kNegativeColor : kSummaryColor) : QColor(Qt::black));
        double x = 0;
        for (int c = 0; c < columnCount(doc); ++c) {
            drawCellText(p, QRectF(x, y, l.columnWidths.at(c), l.rowHeight), l.pad, doc.cell(row, c),
                         doc.alignment(c));
            x += l.columnWidths.at(c);
        }
    }
    p.setPen(QPen(kRuleColor, 0));
    p.drawLine(band.bottomLeft(), band.bottomRight());
}

void drawFirstPageHeading(QPainter &p, const Layout &l, const ReportDocument &doc)
{
    p.setFont(l.title);
    p.setPen(Qt::black);
    p.drawText(QRectF(0, 0, l.width, l.titleHeight), int(Qt::AlignLeft | Qt::AlignTop) | Qt::TextSingleLine,
               QFontMetricsF(l.title, p.device()).elidedText(doc.title, Qt::ElideRight, l.width));

    // The filter in two columns of "caption: value".
    const double columnWidth = l.width / kParameterColumns;
    const QFontMetricsF fm(l.small, p.device());
    double captionWidth = 0;
    for (const auto &parameter : doc.parameters)
        captionWidth = std::max(captionWidth, fm.horizontalAdvance(parameter.first + QStringLiteral(": ")));
    captionWidth = std::min(captionWidth, columnWidth / 2);
    p.setFont(l.small);
    for (int i = 0; i < doc.parameters.size(); ++i) {
        const double x = (i % kParameterColumns) * columnWidth;
        const double y = l.titleHeight + (i / kParameterColumns) * l.parameterLine;
        const QRectF captionRect(x, y, captionWidth, l.parameterLine);
        const QRectF valueRect(x + captionWidth, y, columnWidth - captionWidth - l.pad, l.parameterLine);
        p.setPen(kCaptionColor);
        p.drawText(captionRect, int(Qt::AlignLeft | Qt::AlignVCenter) | Qt::TextSingleLine,
                   fm.elidedText(doc.parameters.at(i).first + QLatin1Char(':'), Qt::ElideRight, captionWidth));
        p.setPen(Qt::black);
        p.drawText(valueRect, int(Qt::AlignLeft | Qt::AlignVCenter) | Qt::TextSingleLine,
                   fm.elidedText(doc.parameters.at(i).second, Qt::ElideRight, valueRect.width()));
    }
}

void drawContinuationHeading(QPainter &p, const Layout &l, const ReportDocument &doc)
{
    p.setFont(l.bold);
    p.setPen(Qt::black);
    p.drawText(QRectF(0, 0, l.width, l.otherPageTop), int(Qt::AlignLeft | Qt::AlignTop) | Qt::TextSingleLine,
               QFontMetricsF(l.bold, p.device()).elidedText(doc.title, Qt::ElideRight, l.width));
}

void drawFooter(QPainter &p, const Layout &l, int page, int pages, const QString &printed)
{
    const QRectF footer(0, l.height - l.footerHeight, l.width, l.footerHeight);
    p.setPen(QPen(kRuleColor, 0));
    p.drawLine(footer.topLeft(), footer.topRight());
    p.setFont(l.small);
    p.setPen(kCaptionColor);
    p.drawText(footer, int(Qt::AlignLeft | Qt::AlignBottom) | Qt::TextSingleLine, printed);
    p.drawText(footer, int(Qt::AlignRight | Qt::AlignBottom) | Qt::TextSingleLine,
               QStringLiteral("Page %1 of %2").arg(page).arg(pages));
}

} // namespace

ReportGenerator::ReportGenerator(const QString &libraryDirectory)
    : m_setup(libraryDirectory)
{
}

QDateTime ReportGenerator::printTime() const
{
    return m_printTime.isValid() ? m_printTime : QDateTime::currentDateTime();
}

ReportForm ReportGenerator::currentForm()
{
    ReportForm form;
    m_formWarning.clear();
    if (!m_setup.loadForm(&form)) {
        m_formWarning = m_setup.lastError();
        qCWarning(lcReportGenerator).noquote() << m_formWarning << "- printing with the standard layout";
    }
    return form;
}

bool ReportGenerator::render(QPagedPaintDevice *device)
{
    m_pageCount = 0;
    if (!device) {
        m_lastError = QStringLiteral("No device to print on");
        return false;
    }
    QPainter p;
    if (!p.begin(device)) {
        m_lastError = QStringLiteral("The report cannot be painted on the print device");
        return false;
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const Layout l = measure(m_document, device);
    const int tablePages = int(l.pageStarts.size());
    const int pages = tablePages + (m_document.chart ? 1 : 0);
    const QString printed = QStringLiteral("Printed %1").arg(QLocale::system().toString(printTime(), QLocale::ShortFormat));
    for (int page = 0; page < tablePages; ++page) {
        if (page > 0 && !device->newPage()) {
            m_lastError = QStringLiteral("The print device refused a new page");
            p.end();
            return false;
        }
        double y = 0;
        if (page == 0) {
            drawFirstPageHeading(p, l, m_document);
            y = l.firstPageTop;
        } else {
            drawContinuationHeading(p, l, m_document);
            y = l.otherPageTop;
        }
        if (!m_document.columnCaptions.isEmpty()) {
            drawHeaderRow(p, l, m_document, y);
            y += l.rowHeight;
        }
        const int end = page + 1 < tablePages ? l.pageStarts.at(page + 1) : int(m_document.rows.size());
        for (int r = l.pageStarts.at(page); r < end; ++r, y += l.rowHeight)
            drawRow(p, l, m_document, m_document.rows.at(r), y);
        drawFooter(p, l, page + 1, pages, printed);
    }
    // The chart beside the grid prints on a page of its own, under the title.
    if (m_document.chart) {
        if (!device->newPage()) {
            m_lastError = QStringLiteral("The print device refused a new page");
            p.end();
            return false;
        }
        drawContinuationHeading(p, l, m_document);
        m_document.chart(&p, QRectF(0, l.otherPageTop, l.width, l.height - l.footerHeight - l.otherPageTop));
        drawFooter(p, l, pages, pages, printed);
    }
    if (!p.end()) {
        m_lastError = QStringLiteral("The report could not be completed on the print device");
        return false;
    }
    m_pageCount = pages;
    return true;
}

bool ReportGenerator::writePdf()
{
    m_lastOutputPath.clear();
    if (!m_setup.prepareOutputDirectory()) {
        m_lastError = m_setup.lastError();
        return false;
    }
    const QString path = m_setup.newReportPath(m_document.title, printTime());
    QFile file(path);
    // NewOnly: another print in the same second must not overwrite this one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        m_lastError = QStringLiteral("The report file %1 cannot be created: %2").arg(path, file.errorString());
        return false;
    }
    bool ok = false;
    {
        QPdfWriter writer(&file);
        writer.setResolution(300);
        writer.setTitle(m_document.title);
        writer.setCreator(QStringLiteral("Marvolt"));
        const ReportForm form = currentForm();
        QPageLayout::Orientation orientation = QPageLayout::Portrait;
        if (form.orientation == ReportForm::Landscape) {
            orientation = QPageLayout::Landscape;
        } else if (form.orientation == ReportForm::Automatic) {
            // Landscape when the table would need a smaller font on a portrait page.
            writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, form.margins,
                                             QPageLayout::Millimeter));
            const QFont body = makeFont(kBodyPoints, false, &writer);
            const QFont bold = makeFont(kBodyPoints, true, &writer);
            const double pad = 1.2 * writer.logicalDpiX() / 25.4;
            if (sum(measureColumns(m_document, body, bold, pad, &writer).natural) > writer.width())
                orientation = QPageLayout::Landscape;
        }
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), orientation, form.margins, QPageLayout::Millimeter));
        ok = render(&writer);
    }
    file.close();
    if (!ok || file.error() != QFileDevice::NoError) {
        if (ok)
            m_lastError = QStringLiteral("The report file %1 could not be written: %2").arg(path, file.errorString());
        file.remove();
        return false;
    }
    m_lastOutputPath = path;
    return true;
}

bool ReportGenerator::print(QPrinter &printer)
{
    const ReportForm form = currentForm();
    if (form.orientation == ReportForm::Portrait)
        printer.setPageOrientation(QPageLayout::Portrait);
    else if (form.orientation == ReportForm::Landscape)
        printer.setPageOrientation(QPageLayout::Landscape);
    printer.setPageMargins(form.margins, QPageLayout::Millimeter);
    if (!printer.isValid()) {
        m_lastError = QStringLiteral("The printer %1 is not available").arg(printer.printerName());
        return false;
    }
    return render(&printer);
}

#include "ReportXlsx.h"

#include "Currency.h"
#include "DateTime.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// The grid's colours for summary rows.
constexpr lxw_color_t SummaryBlue = 0x0000FF;
constexpr lxw_color_t SummaryRed = 0xFF0000;
constexpr lxw_color_t GroupFill = 0xEDEDED;
constexpr lxw_color_t CaptionFill = 0xD9D9D9;
constexpr lxw_color_t ContextGrey = 0x595959;
// Excel keeps seven outline levels below the top.
constexpr int MaxOutlineLevel = 7;


enum class Style { Title, Context, Caption, Group, Detail, Summary, SummaryNegative };

constexpr int StyleCount = int(Style::SummaryNegative) + 1;

/// The cell formats of one workbook, made once per style and number format
/// and found by index, since every cell asks for one. Columns of the same
/// number format share one format: libxlsxwriter looks an equal second
/// format up in its hash table at every cell written with it.
class Formats final
{
public:
    Formats(lxw_workbook *workbook, const QList<QByteArray> &columnFormats, const QByteArray &date,
            const QByteArray &dateTime)
        : m_workbook(workbook), m_date(date), m_dateTime(dateTime)
    {
        for (const QByteArray &format : columnFormats) {
            qsizetype index = m_numberFormats.indexOf(format);
            if (index < 0) {
                index = m_numberFormats.size();
                m_numberFormats.append(format);
            }
            m_columnFormat.push_back(int(index));
        }
        m_cells.assign(std::size_t(StyleCount) * std::size_t(m_numberFormats.size() + 3), nullptr);
    }

    /// A number in column; a date (with or without its time); plain text.
    lxw_format *number(Style style, int column)
    {
        const int index = m_columnFormat[std::size_t(column)];
        const QByteArray &format = m_numberFormats.at(index);
        return style == Style::Detail && format.isEmpty() ? nullptr : slot(style, index, format);
    }
    lxw_format *date(Style style, bool withTime)
    {
        const int extra = int(m_numberFormats.size()) + (withTime ? 1 : 0);
        return slot(style, extra, withTime ? m_dateTime : m_date);
    }
    lxw_format *text(Style style)
    {
        // The default look needs no format of its own.
        return style == Style::Detail ? nullptr : slot(style, int(m_numberFormats.size()) + 2, QByteArray());
    }

private:
    lxw_format *slot(Style style, int index, const QByteArray &numberFormat)
    {
        lxw_format *&f = m_cells[std::size_t(style) * std::size_t(m_numberFormats.size() + 3) + std::size_t(index)];
        if (!f)
            f = make(style, numberFormat);
        return f;
    }

    lxw_format *make(Style style, const QByteArray &numberFormat)
    {
        lxw_format *f = workbook_add_format(m_workbook);
        switch (style) {
        case Style::Title:
            format_set_bold(f);
            format_set_font_size(f, 14);
            break;
        case Style::Context:
            format_set_font_color(f, ContextGrey);
            break;
        case Style::Caption:
            format_set_bold(f);
            format_set_bg_color(f, CaptionFill);
            format_set_bottom(f, LXW_BORDER_THIN);
            break;
        case Style::Group:
            format_set_bold(f);
            format_set_bg_color(f, GroupFill);
            break;
        case Style::Detail:
            break;
        case Style::Summary:
            format_set_bold(f);
            format_set_font_color(f, SummaryBlue);
            break;
        case Style::SummaryNegative:
            format_set_bold(f);
            format_set_font_color(f, SummaryRed);
            break;
        }
        if (!numberFormat.isEmpty())
            format_set_num_format(f, numberFormat.constData());
        return f;
    }

    lxw_workbook *m_workbook;
    QList<QByteArray> m_numberFormats;   // each number format once
    std::vector<int> m_columnFormat;     // per column: its index in m_numberFormats
    QByteArray m_date;
    QByteArray m_dateTime;
    std::vector<lxw_format *> m_cells;   // owned by the workbook
};

bool asNumber(const QVariant &value, double *number)
{
    if (value.metaType() == QMetaType::fromType<data::Currency>()) {
        *number = double(value.value<data::Currency>().raw()) / 10000.0;
        return true;
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        *number = value.toDouble();
        return true;
    default:
        return false;
    }
}

bool asDateTime(const QVariant &value, QDateTime *time)
{
    if (value.metaType() == QMetaType::fromType<data::DateTime>()) {
        *time = QDateTime::fromSecsSinceEpoch(value.value<data::DateTime>().secs(), Qt::UTC);
        return true;
    }
    if (value.typeId() == QMetaType::QDateTime) {
        *time = value.toDateTime();
        return time->isValid();
    }
    if (value.typeId() == QMetaType::QDate) {
        *time = QDateTime(value.toDate(), QTime(0, 0), Qt::UTC);
        return time->isValid();
    }
    return false;
}

lxw_datetime spreadsheetTime(const QDateTime &t)
{
    const QDate d = t.date();
    const QTime h = t.time();
    return lxw_datetime{d.year(), d.month(), d.day(), h.hour(), h.minute(), double(h.second())};
}

QString xlsxError(lxw_error error)
{
    return QString::fromUtf8(lxw_strerror(error));
}

/// Writes the sheet; false with *error. The workbook is closed by the caller.
class SheetWriter final
{
public:
    SheetWriter(const ReportDocument &doc, const ReportXlsx::RowSource &rows, lxw_workbook *workbook,
                lxw_worksheet *sheet)
        : m_doc(doc), m_rows(rows), m_sheet(sheet),
          m_formats(workbook, columnFormats(doc), ReportXlsx::spreadsheetDateFormat(doc.dateFormat).toUtf8(),
                    ReportXlsx::spreadsheetDateFormat(doc.dateTimeFormat).toUtf8())
    {
    }

    lxw_error write()
    {
        const int columns = int(m_doc.columnCaptions.size());
        for (int c = 0; c < columns; ++c) {
            // The grid's pixels; a column of unknown width gets the spreadsheet's default.
            if (const int px = m_doc.width(c); px > 0)
                worksheet_set_column_pixels(m_sheet, lxw_col_t(c), lxw_col_t(c), uint32_t(px), nullptr);
        }
        // Group headings stand above their rows, as in the grid.
        worksheet_outline_settings(m_sheet, LXW_TRUE, LXW_FALSE, LXW_TRUE, LXW_FALSE);

        lxw_row_t row = 0;
        const QStringList context = m_doc.context.lines(m_doc.title);
        for (int i = 0; i < context.size(); ++i)
            check(worksheet_write_string(m_sheet, row++, 0, context.at(i).toUtf8().constData(),
                                         m_formats.text(i == 0 ? Style::Title : Style::Context)));
        ++row;   // a blank line before the table
        for (int c = 0; c < columns; ++c)
            check(worksheet_write_string(m_sheet, row, lxw_col_t(c), m_doc.columnCaptions.at(c).toUtf8().constData(),
                                         m_formats.text(Style::Caption)));
        worksheet_freeze_panes(m_sheet, row + 1, 0);
        ++row;

        int depth = 0;   // the outline level of the rows under the last heading
        ReportRow r;
        while (!m_error && m_rows(&r)) {
            if (r.kind == ReportRow::Group) {
                const int level = std::clamp(r.level, 0, MaxOutlineLevel - 1);
                setLevel(row, level);
                lxw_format *band = m_formats.text(Style::Group);
                check(worksheet_write_string(m_sheet, row, 0, m_doc.cell(r, 0).toUtf8().constData(), band));
                for (int c = 1; c < columns; ++c)
                    check(worksheet_write_blank(m_sheet, row, lxw_col_t(c), band));
                depth = level + 1;
            } else {
                setLevel(row, depth);
                const Style style = r.kind == ReportRow::Summary
                                        ? (r.negative ? Style::SummaryNegative : Style::Summary)
                                        : Style::Detail;
                for (int c = 0; c < columns; ++c)
                    writeCell(row, c, r, style);
            }
            ++row;
        }
        return m_error;
    }

private:
    static QList<QByteArray> columnFormats(const ReportDocument &doc)
    {
        QList<QByteArray> formats;
        for (int c = 0; c < doc.columnCaptions.size(); ++c)
            formats.append(ReportXlsx::spreadsheetFormat(doc.numberFormat(c)).toUtf8());
        return formats;
    }

    void check(lxw_error e)
    {
        if (e && !m_error)
            m_error = e;
    }

    void setLevel(lxw_row_t row, int level)
    {
        if (level <= 0)
            return;
        lxw_row_col_options options{0, uint8_t(level), 0};
        check(worksheet_set_row_opt(m_sheet, row, LXW_DEF_ROW_HEIGHT, nullptr, &options));
    }

    void writeCell(lxw_row_t row, int column, const ReportRow &r, Style style)
    {
        const QVariant value = m_doc.value(r, column);
        double number = 0;
        QDateTime time;
        if (asNumber(value, &number)) {
            check(worksheet_write_number(m_sheet, row, lxw_col_t(column), number, m_formats.number(style, column)));
        } else if (asDateTime(value, &time)) {
            const bool withTime = time.time() != QTime(0, 0);
            lxw_datetime when = spreadsheetTime(time);
            check(worksheet_write_datetime(m_sheet, row, lxw_col_t(column), &when, m_formats.date(style, withTime)));
        } else {
            const QString text = m_doc.cell(r, column);
            // A blank cell is written only where it shows a style.
            if (!text.isEmpty())
                check(worksheet_write_string(m_sheet, row, lxw_col_t(column), text.toUtf8().constData(),
                                             m_formats.text(style)));
            else if (style != Style::Detail)
                check(worksheet_write_blank(m_sheet, row, lxw_col_t(column), m_formats.text(style)));
        }
    }

    const ReportDocument &m_doc;
    const ReportXlsx::RowSource &m_rows;
    lxw_worksheet *m_sheet;
    Formats m_formats;
    lxw_error m_error = LXW_NO_ERROR;
};

} // namespace

QString ReportXlsx::spreadsheetFormat(const QString &gridFormat)
{
    const QString f = gridFormat.trimmed();
    if (f.isEmpty() || f.compare(QLatin1String("General Number"), Qt::CaseInsensitive) == 0)
        return {};
    if (f.compare(QLatin1String("Fixed"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("0.00");
    if (f.compare(QLatin1String("Standard"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("#,##0.00");
    if (f.compare(QLatin1String("Percent"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("0.00%");
    return f;
}

QString ReportXlsx::spreadsheetDateFormat(const QString &qtFormat)
{
    // Qt's letters for the parts; the spreadsheet's are lower case, "mm"
    // meaning minutes after an hour and months elsewhere, as Qt's "MM" and "mm".
    QString out;
    for (qsizetype i = 0; i < qtFormat.size(); ++i) {
        const QChar c = qtFormat.at(i);
        if (c == u'\'') {
            const qsizetype close = qtFormat.indexOf(u'\'', i + 1);
            const QString text = qtFormat.mid(i + 1, (close < 0 ? qtFormat.size() : close) - i - 1);
            out += u'"' + text + u'"';
            i = close < 0 ? qtFormat.size() : close;
        } else if (c == u'y' || c == u'M' || c == u'd' || c == u'H' || c == u'h' || c == u'm' || c == u's') {
            out += c.toLower();
        } else if (c.isLetter()) {
            out += u'\\';
            out += c;
        } else {
            out += c;
        }
    }
    return out;
}

bool ReportXlsx::write(const ReportDocument &document, const QString &path, QString *error)
{
    qsizetype next = 0;
    return write(
        document,
        [&document, &next](ReportRow *row) {
            if (next >= document.rows.size())
                return false;
            *row = document.rows.at(next++);
            return true;
        },
        path, error);
}

bool ReportXlsx::write(const ReportDocument &document, const RowSource &rows, const QString &path, QString *error)
{
    const QFileInfo target(path);
    const QString partial = target.absoluteDir().filePath(QStringLiteral(".%1.partial").arg(target.fileName()));
    const QByteArray partialName = QFile::encodeName(partial);
    const QByteArray tmpdir = QFile::encodeName(QDir::tempPath());

    // Constant memory: each row goes to a temporary file as soon as the next
    // one starts, and texts are written inline.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char *>(tmpdir.constData());
    lxw_workbook *workbook = workbook_new_opt(partialName.constData(), &options);
    if (!workbook) {
        *error = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    const QByteArray sheetName = QStringLiteral("Report").toUtf8();
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, sheetName.constData());
    lxw_error failed = sheet ? SheetWriter(document, rows, workbook, sheet).write() : LXW_ERROR_MEMORY_MALLOC_FAILED;
    const lxw_error closed = workbook_close(workbook);   // frees the workbook in any case
    if (!failed)
        failed = closed;
    if (failed) {
        QFile::remove(partial);
        *error = QStringLiteral("cannot write %1: %2").arg(path, xlsxError(failed));
        return false;
    }
    // rename(2) replaces the old file in one step: there is never a moment
    // without a workbook under the name, nor half of one.
    if (std::rename(partialName.constData(), QFile::encodeName(path).constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(partial);
        *error = QStringLiteral("cannot write %1: %2").arg(path, reason);
        return false;
    }
    return true;
}

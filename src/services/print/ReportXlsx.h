#pragma once

#include "ReportDocument.h"

#include <QString>

#include <functional>

/// Writes a report result as an Excel workbook (XLSX) that keeps what the
/// grid shows: a header block (title, filters, rate source, run time), the
/// column captions in a frozen row with the grid's widths, group headings as
/// outline levels that collapse in the spreadsheet, and summary rows bold blue
/// (red when negative) as on screen.
///
/// Amounts stay numbers with the grid's number format as the cell's own
/// format (the grid's format language is the spreadsheet's); dates are dates;
/// a cell without a number or date behind it (ReportRow::values) is its text.
/// Rows are streamed to the file as they are written, so memory does not grow
/// with the result. The file is written to a temporary name beside the target
/// and renamed at the end: a failed export never leaves half a workbook under
/// the name asked for, nor replaces a good one.
class ReportXlsx final
{
public:
    /// False with *error (the reason, naming the file) when the file cannot
    /// be written.
    static bool write(const ReportDocument &document, const QString &path, QString *error);
    /// Gives the next row to write; false when there are no more.
    using RowSource = std::function<bool(ReportRow *row)>;
    /// The same with the rows taken from `rows` as they are written, not
    /// from document.rows: another thread may still be taking the later ones.
    static bool write(const ReportDocument &document, const RowSource &rows, const QString &path, QString *error);

    /// The spreadsheet's number format for a grid format: the same text, with
    /// the grid's named formats ("Fixed", "Standard", "Percent") spelt out;
    /// empty for the general format.
    static QString spreadsheetFormat(const QString &gridFormat);
    /// The spreadsheet's date format for a Qt date format ("dd.MM.yyyy HH:mm"
    /// gives "dd.mm.yyyy hh:mm"); quoted text stays text.
    static QString spreadsheetDateFormat(const QString &qtFormat);
};

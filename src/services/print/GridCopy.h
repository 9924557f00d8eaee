#pragma once

#include "ReportDocument.h"

#include <QString>

class QClipboard;
class QMimeData;

/// Copies report rows to the clipboard so that a spreadsheet keeps the columns:
/// as tab-separated text and as an HTML table, each with the column captions
/// first. A document with a title or a context says first what it shows: one
/// line of text (title, filters, rate source, run time), in HTML a header row.
///
/// Group headings become one line of their text (in HTML one cell across the
/// table); summary rows are bold in HTML. Tabs and line breaks inside a cell
/// are replaced by blanks, so a cell can never shift the columns or split a
/// row. Right-aligned columns (numbers) stay right-aligned in HTML.
class GridCopy final
{
public:
    static QString plainText(const ReportDocument &document);
    static QString html(const ReportDocument &document);
    /// A new QMimeData holding both forms; the caller owns it.
    static QMimeData *mimeData(const ReportDocument &document);
    /// Puts the document onto \a clipboard (which takes the data). False when
    /// there is no clipboard.
    static bool copy(const ReportDocument &document, QClipboard *clipboard);
};

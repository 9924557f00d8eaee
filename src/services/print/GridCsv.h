#pragma once

#include "ReportDocument.h"

#include <QString>

/// A report result as CSV of what the grid shows: the visible columns under
/// their captions, the displayed texts, and a first column that says what
/// each row is, so that a program can keep or drop rows by it. The first line
/// is "Row" and the captions; then "Context" lines say what the result shows
/// (title, filters, rate source, run time); then one line per row: "Group n"
/// for a group heading of level n (1 outermost; its text in the next column),
/// "Summary" for summary rows and "Detail" for the others.
///
/// Fields are separated by commas and quoted (RFC 4180) when they hold a
/// comma, a quote, a line break or blanks at either end; lines end with CRLF.
class GridCsv final
{
public:
    static QString text(const ReportDocument &document);
};

#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

/// One row of a printed or copied report result, as the grid shows it.
struct ReportRow
{
    enum Kind {
        Detail,  ///< a data row: one display text per column
        Group,   ///< a group heading: cells[0] is the whole heading text
        Summary, ///< a group's or the report's summary row: one text per column
    };
    Kind kind = Detail;
    /// Nesting depth of a group heading (0 outermost); indents the heading.
    int level = 0;
    /// A summary row with a negative result: shown red instead of blue.
    bool negative = false;
    QStringList cells;
};

/// A report result described without widgets, so that the control can fill it
/// from its grid and the printing and copying services can be tested alone.
///
/// Cells are display texts, already formatted as on screen. alignments holds
/// one entry per column (Qt::AlignRight for numbers); a missing entry means
/// left. Rows with fewer cells than columns are padded with empty cells; extra
/// cells are ignored.
struct ReportDocument
{
    QString title;
    /// The filter that produced the result: caption and value, in print order.
    QList<QPair<QString, QString>> parameters;
    QStringList columnCaptions;
    QList<Qt::Alignment> alignments;
    QList<ReportRow> rows;

    Qt::Alignment alignment(int column) const
    {
        return column >= 0 && column < alignments.size() ? alignments.at(column) : Qt::AlignLeft;
    }
    QString cell(const ReportRow &row, int column) const
    {
        return column >= 0 && column < row.cells.size() ? row.cells.at(column) : QString();
    }
};

#pragma once

#include <QDateTime>
#include <QRectF>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

class QPainter;

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
    /// The number or date behind each cell that shows one (a spreadsheet keeps
    /// it as a number, a date as a date); invalid where the cell is text.
    QList<QVariant> values = {};
};

/// What every copy, print and export of a result says about it, so that a
/// sheet or a page read later still tells which deals it shows.
struct ReportContext
{
    /// The filters in force in the user's words ("Dealer ID: JSM, KLT"); a
    /// filter left open is not listed.
    QStringList filters;
    /// Where the rates came from; empty for a report that uses none.
    QString rateSource;
    /// When the result was read from the database; invalid when unknown.
    QDateTime runTime;

    bool isEmpty() const { return filters.isEmpty() && rateSource.isEmpty() && !runTime.isValid(); }
    /// The lines of a header block: the title, the filters (or "All deals"),
    /// the rate source when there is one, and the run time when known.
    QStringList lines(const QString &title) const;
    /// The same lines as one line, separated by " | ".
    QString line(const QString &title) const;
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
    ReportContext context;
    QStringList columnCaptions;
    QList<Qt::Alignment> alignments;
    /// Per column: the grid's number format (its language, which spreadsheets
    /// share) or empty, and the width in pixels (0: unknown).
    QStringList numberFormats;
    QList<int> widths;
    /// Paints the chart shown beside the grid into a rectangle of a page;
    /// empty when none is shown. A print gives it a page of its own after the rows.
    std::function<void(QPainter *, const QRectF &)> chart;
    /// How the grid shows dates, and dates with a time (QDate::toString formats).
    QString dateFormat = QStringLiteral("yyyy-MM-dd");
    QString dateTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
    QList<ReportRow> rows;

    Qt::Alignment alignment(int column) const
    {
        return column >= 0 && column < alignments.size() ? alignments.at(column) : Qt::AlignLeft;
    }
    QString cell(const ReportRow &row, int column) const
    {
        return column >= 0 && column < row.cells.size() ? row.cells.at(column) : QString();
    }
    QVariant value(const ReportRow &row, int column) const
    {
        return column >= 0 && column < row.values.size() ? row.values.at(column) : QVariant();
    }
    QString numberFormat(int column) const
    {
        return column >= 0 && column < numberFormats.size() ? numberFormats.at(column) : QString();
    }
    int width(int column) const { return column >= 0 && column < widths.size() ? widths.at(column) : 0; }
};

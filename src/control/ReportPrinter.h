#pragma once

#include "Grid.h"
#include "ReportGenerator.h"

#include <QPointer>
#include <QString>

class QPrinter;
class Report;
namespace widgets {
class ReportChart;
}

/// Prints the current result of a report: the whole grid as it shows it
/// (group and summary rows styled as on screen), headed by the report's title
/// and the twelve parameters of the committed query.
///
/// The generator is created once and kept for later prints, so its form and
/// template directory carry over. Before each print the control's stored
/// defaults are handed to it (an empty form keeps the generator's); afterwards
/// they are read back, because the directory may have been resolved (an empty
/// one becomes the "Template" folder) or the form changed during the print.
///
/// A report without one of the parameters' fields (only some reports have the
/// rate and recalculation switches) prints that parameter empty.
class ReportPrinter final
{
public:
    /// \a libraryDirectory holds the "Template" and "Report" folders.
    explicit ReportPrinter(const QString &libraryDirectory);

    /// Writes a PDF into the "Report" folder. \a defaultForm and \a
    /// defaultDirectory go in and come back as the generator ends with them.
    /// False and lastError() on failure; the defaults are then left as they were.
    bool writePdf(const Report &report, const widgets::Grid &grid, QString &defaultForm,
                  QString &defaultDirectory);
    /// Prints onto a printer the host has set up through its print dialog.
    bool print(const Report &report, const widgets::Grid &grid, QPrinter &printer, QString &defaultForm,
               QString &defaultDirectory);

    /// The chart shown beside the grid, printed on a page after the rows;
    /// null when none is shown.
    void setChart(const widgets::ReportChart *chart);

    QString lastOutputPath() const { return m_generator.lastOutputPath(); }
    QString lastError() const { return m_generator.lastError(); }
    const ReportGenerator &generator() const { return m_generator; }

    /// The document printed, copied or exported for a report: title,
    /// parameters (with the rate source and the run time), context, and every
    /// row or the selected ones.
    /// cells: as Grid::reportDocument takes them (texts, or for a workbook
    /// the numbers and dates behind them).
    static ReportDocument document(const Report &report, const widgets::Grid &grid, bool selectedOnly = false,
                                   widgets::Grid::DocumentCells cells = widgets::Grid::DocumentCells::Texts);
    /// The same document without its rows (Grid::documentColumns), for an
    /// export whose rows a worker takes.
    static ReportDocument documentWithoutRows(const Report &report, const widgets::Grid &grid);
    /// What a copy or export says of the report's result: the committed
    /// query's filters that are set, the rate source and the run time.
    static ReportContext context(const Report &report);

private:
    /// Adds what the report says of its result to a grid's document.
    static void describe(const Report &report, ReportDocument &doc);
    void prepare(const Report &report, const widgets::Grid &grid, const QString &defaultForm,
                 const QString &defaultDirectory);
    void readBack(QString &defaultForm, QString &defaultDirectory) const;

    ReportGenerator m_generator;
    QPointer<const widgets::ReportChart> m_chart;
};

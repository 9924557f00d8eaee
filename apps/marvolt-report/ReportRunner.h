#pragma once

#include "RunnerOptions.h"

#include <QString>

class Marvolt;
namespace widgets {
class Grid;
}

/// One run of marvolt-report: opens the session on the database, creates a
/// real Marvolt control, sets it up as a host would (table, formats, user,
/// report), applies the stored filter and the field settings, refreshes,
/// waits for the end of the query and writes the result.
class ReportRunner final
{
public:
    explicit ReportRunner(const RunnerOptions &options);

    /// The exit status: 0 on success, 1 when the database cannot be used or
    /// the query failed, 2 for settings that do not fit the report. The reason of
    /// a failure is in lastError(), on one line.
    int run();
    QString lastError() const { return m_error; }
    /// The rows the last successful run wrote (display rows, or the grid's
    /// rows for the grid formats).
    qint64 rowsWritten() const { return m_rows; }

private:
    bool openSession();
    bool applyQuery(Marvolt &control);
    bool refresh(Marvolt &control);
    bool writeResult(Marvolt &control);
    bool writeTotals(Marvolt &control);
    bool saveScreenshot(Marvolt &control);
    bool saveDetailScreenshot(Marvolt &control);
    /// The ticket window of the first deal the deal list window lists on
    /// the report's first data row, as a double click there opens it.
    bool saveTicketScreenshot(Marvolt &control);
    /// Opens the deal list window on the report's first data row; null (and
    /// the reason given) when the report has none.
    QWidget *openDetailOnFirstRow(Marvolt &control);
    static void selectFirstDataRow(widgets::Grid &grid);
    bool writeText(const QString &text);
    bool writeExport(Marvolt &control);
    /// Makes the folder of a file to write when it is missing (a dated folder of a batch).
    bool makeOutputFolder(const QString &file);
    int fail(int status, const QString &reason);

    RunnerOptions m_options;
    QString m_error;
    qint64 m_rows = 0;
};

#pragma once

#include "Grid.h"
#include "ReportDocument.h"

#include <QObject>
#include <QString>

#include <memory>

class QThread;
class Report;

/// Writes a report result to a file, as an XLSX workbook or as CSV of what
/// the grid shows. The control hands it the document without its rows and a
/// copy of the grid's rows (Grid::rowsCopy); a worker thread takes the rows'
/// cells and writes the file (a workbook's cells are taken on a second one
/// meanwhile), and finished() comes back on the thread that started it, so a
/// large export never freezes the screen. One export at a time.
class ReportExporter final : public QObject
{
    Q_OBJECT

public:
    enum class Format { Xlsx, GridCsv };

    explicit ReportExporter(QObject *parent = nullptr);
    ~ReportExporter() override;   ///< waits for an export going

    /// The format a file's suffix (".xlsx", ".csv") asks for; false for another.
    static bool formatFromName(const QString &path, Format *format);
    /// What the document of an export in format needs of each cell.
    static widgets::Grid::DocumentCells cellsFor(Format format)
    {
        return format == Format::Xlsx ? widgets::Grid::DocumentCells::Workbook : widgets::Grid::DocumentCells::Texts;
    }

    /// Every row of a report's result as its grid shows them, for a worker
    /// to take: read from a handle of the worker's own on the display rows,
    /// so that a refresh meanwhile changes nothing of them. A report without
    /// display rows gives none.
    static widgets::GridRowsCopy resultRows(const Report &report, const widgets::Grid &grid, Format format);

    /// Writes document to path now, on the calling thread. False with
    /// *error naming the file when it cannot be written; a failed write leaves
    /// no partial file and keeps the one that was there.
    static bool write(const ReportDocument &document, const QString &path, Format format, QString *error);
    /// The same with the rows of `rows` (document has none). A workbook's
    /// rows are taken on a second thread while it is written, so that the
    /// two costs overlap. *written, when given, is the number of rows written.
    static bool write(ReportDocument document, const widgets::GridRowsCopy &rows, const QString &path, Format format,
                      QString *error, qsizetype *written = nullptr);

    /// Starts an export on a worker: the rows of `rows` are added to
    /// `document`, which has none, and the whole is written. False (and
    /// nothing started) while an export runs.
    bool start(ReportDocument document, widgets::GridRowsCopy rows, const QString &path, Format format);
    bool isRunning() const { return m_worker != nullptr; }

Q_SIGNALS:
    /// The export ended: ok, the file, and the reason when it failed.
    void finished(bool ok, const QString &path, const QString &error);

private:
    QThread *m_worker = nullptr;
};

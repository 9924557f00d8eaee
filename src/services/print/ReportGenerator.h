#pragma once

#include "ReportDocument.h"
#include "ReportSetup.h"

#include <QDateTime>
#include <QString>

class QPagedPaintDevice;
class QPrinter;

/// Prints a report result: a title, the filter parameters, and the rows as a
/// table whose header row is repeated on every page; group rows are shaded,
/// summary rows bold blue (red when negative); every page carries "Page n of m".
///
/// writePdf() writes a new PDF file into the setup's output folder and never
/// overwrites one; print() renders onto a printer the host has set up through
/// its print dialog; render() paints onto any paged device as it is set up.
/// All return false and set lastError() on failure. A form that cannot be read
/// is not a failure: the report prints with the layout settings and
/// formWarning() says why.
class ReportGenerator final
{
public:
    explicit ReportGenerator(const QString &libraryDirectory = QString());

    ReportSetup &setup() { return m_setup; }
    const ReportSetup &setup() const { return m_setup; }

    void setDocument(const ReportDocument &document) { m_document = document; }
    const ReportDocument &document() const { return m_document; }

    /// The time printed in the page footers and used in the file name;
    /// the current time when not set.
    void setPrintTime(const QDateTime &time) { m_printTime = time; }

    /// Writes the document as PDF into setup().outputDirectory(); the path
    /// written is lastOutputPath().
    bool writePdf();
    /// Sets the form's margins (and orientation when the form fixes one) on
    /// \a printer, then renders.
    bool print(QPrinter &printer);
    /// Paints the document onto \a device with its current page layout.
    bool render(QPagedPaintDevice *device);

    /// Pages painted by the last render, print or writePdf.
    int pageCount() const { return m_pageCount; }
    QString lastOutputPath() const { return m_lastOutputPath; }
    QString formWarning() const { return m_formWarning; }
    QString lastError() const { return m_lastError; }

private:
    ReportForm currentForm();
    QDateTime printTime() const;

    ReportSetup m_setup;
    ReportDocument m_document;
    QDateTime m_printTime;
    int m_pageCount = 0;
    QString m_lastOutputPath;
    QString m_formWarning;
    QString m_lastError;
};

#include "ReportExporter.h"

#include "GridCsv.h"
#include "ReportXlsx.h"

#include "Report.h"
#include "RowPipe.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QThread>

#include <thread>

ReportExporter::ReportExporter(QObject *parent) : QObject(parent) {}

ReportExporter::~ReportExporter()
{
    // The finishing call queued to this object goes with it.
    if (m_worker) {
        m_worker->wait();
        delete m_worker;
    }
}

bool ReportExporter::formatFromName(const QString &path, Format *format)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("xlsx")) {
        *format = Format::Xlsx;
        return true;
    }
    if (suffix == QLatin1String("csv")) {
        *format = Format::GridCsv;
        return true;
    }
    return false;
}

widgets::GridRowsCopy ReportExporter::resultRows(const Report &report, const widgets::Grid &grid, Format format)
{
    const std::shared_ptr<DisplayReader> reader = report.detachedDisplayReader();
    if (!reader)
        return grid.rowsCopy({}, {}, cellsFor(format));   // the grid shows no rows either
    return grid.rowsCopy([reader](int row, int column) { return reader->cell(row, column); },
                         [reader](int row, QVector<QVariant> &values) { reader->readRow(row, values); },
                         cellsFor(format));
}

bool ReportExporter::write(const ReportDocument &document, const QString &path, Format format, QString *error)
{
    if (format == Format::Xlsx)
        return ReportXlsx::write(document, path, error);
    // QSaveFile writes beside the target and replaces it only when all is written.
    QSaveFile file(path);
    const QByteArray bytes = GridCsv::text(document).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool ReportExporter::write(ReportDocument document, const widgets::GridRowsCopy &rows, const QString &path,
                           Format format, QString *error, qsizetype *written)
{
    if (format == Format::GridCsv) {
        // The text is made whole before it is written: nothing to overlap.
        document.rows = rows.rows();
        if (written)
            *written = document.rows.size();
        return write(document, path, format, error);
    }
    RowPipe pipe;
    std::thread taker([&rows, &pipe] {
        rows.forEachRow([&pipe](ReportRow &&row) { return pipe.push(std::move(row)); });
        pipe.finish();
    });
    qsizetype count = 0;
    const bool ok = ReportXlsx::write(
        document,
        [&pipe, &count](ReportRow *row) {
            if (!pipe.next(row))
                return false;
            ++count;
            return true;
        },
        path, error);
    // A write that failed takes no more rows: the taker stops at its next block.
    pipe.stop();
    taker.join();
    if (written)
        *written = count;
    return ok;
}

bool ReportExporter::start(ReportDocument document, widgets::GridRowsCopy rows, const QString &path, Format format)
{
    if (m_worker)
        return false;
    m_worker = QThread::create([this, document = std::move(document), rows = std::move(rows), path, format]() mutable {
        QString error;
        const bool ok = write(std::move(document), rows, path, format, &error);
        // Queued: the signal reaches the starter's thread after the worker has ended.
        QMetaObject::invokeMethod(
            this,
            [this, ok, path, error] {
                m_worker->wait();
                delete m_worker;
                m_worker = nullptr;
                Q_EMIT finished(ok, path, error);
            },
            Qt::QueuedConnection);
    });
    m_worker->start();
    return true;
}

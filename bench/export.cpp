// bench_export: exporting 100,000 display rows of a grid in 400 groups, as
// the export tools do: copying the grid's rows (the user-interface thread's
// part), then taking their cells and writing them as an XLSX workbook and,
// for comparison, as CSV of the same cells (the worker's part; a workbook's
// cells are taken on a second thread while it is written). Then the files
// alone, from cells taken before. Medians of five runs, wall time; the goals
// are under 2 s for the workbook and no more than 3x the CSV.
//
//   bench_export [--rows N] [--runs N]

#include "BenchTiming.h"

#include "Grid.h"
#include "GridCsv.h"
#include "ReportExporter.h"
#include "ReportXlsx.h"

#include "Currency.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

template<typename F>
double timeSeconds(F f)
{
    return bench::wallMs(f) / 1e3;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int rows = 100000, runs = 5;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args.at(i) == QLatin1String("--rows"))
            rows = args.at(i + 1).toInt();
        else if (args.at(i) == QLatin1String("--runs"))
            runs = args.at(i + 1).toInt();
    }
    constexpr int Groups = 400;

    // An open position's columns: pair (grouped), ticket, dealer, bank, four
    // amounts, a rate, a value date; a summary row closes every group.
    widgets::Grid grid;
    grid.resize(1280, 800);
    const char *keys[] = {"Caption", "TicketNum", "DealerName", "BankName", "BuyCcy1", "SellCcy1",
                          "BuyCcy2", "SellCcy2", "Rate", "ValueDate", "Summary"};
    for (const char *k : keys)
        grid.addColumn(QLatin1String(k), QLatin1String(k))->setWidth(110);
    for (const char *k : {"BuyCcy1", "SellCcy1", "BuyCcy2", "SellCcy2"})
        grid.Columns(QLatin1String(k))->setFormat(QStringLiteral("#,##0.00"));
    grid.Columns(QStringLiteral("Rate"))->setFormat(QStringLiteral("0.0000"));
    grid.Columns(QStringLiteral("Summary"))->setVisible(false);
    for (int g = 0; g < Groups; ++g)
        grid.Columns(QStringLiteral("Caption"))->valueList()->Add(g, QStringLiteral("PAIR%1").arg(g));
    grid.addFormatCondition(QStringLiteral("Summ"), QStringLiteral("Summary"), widgets::FormatCondition::Equal, true)
        ->setFontBold(true);
    const QStringList dealers{QStringLiteral("ADLER"), QStringLiteral("BERG"), QStringLiteral("NAIR")};
    const QStringList banks{QStringLiteral("HALVUN"), QStringLiteral("CROWME"), QStringLiteral("NORDME")};
    const int perGroup = rows / Groups;
    // The grid and the copies read the same cells, which never change here.
    const widgets::GridModel::CellReader cells = [&](int row, int column) -> QVariant {
        switch (column) {
        case 0: return row / perGroup;
        case 1: return qint64(row) + 100000;
        case 2: return dealers.at(row % 3);
        case 3: return banks.at(row % 3);
        case 4: return QVariant::fromValue(data::Currency::fromRaw(qint64(row) * 12345));
        case 5: return QVariant::fromValue(data::Currency::fromRaw(-qint64(row) * 777));
        case 6: return QVariant::fromValue(data::Currency::fromRaw(qint64(row) * 9999));
        case 7: return QVariant::fromValue(data::Currency::fromRaw(-qint64(row) * 5));
        case 8: return 1.1 + (row % 1000) / 10000.0;
        case 9: return QDate(2026, 12, 8).addDays(row % 40);
        case 10: return row % perGroup == perGroup - 1;
        default: return {};
        }
    };
    grid.setCellReader(cells);
    grid.setItemCount(rows);
    grid.addGroup(QStringLiteral("Caption"));

    QTemporaryDir dir;
    dir.setAutoRemove(qEnvironmentVariableIsEmpty("BENCH_EXPORT_KEEP"));
    std::vector<double> copyTimes, xlsxTimes, csvTimes, xlsxFileTimes, csvFileTimes;
    qsizetype documentRows = 0;
    const auto exportTo = [&](ReportExporter::Format format, const QString &name) {
        const widgets::GridRowsCopy copy = grid.rowsCopy(cells, {}, ReportExporter::cellsFor(format));
        QString error;
        if (!ReportExporter::write(grid.documentColumns(), copy, dir.filePath(name), format, &error, &documentRows))
            std::fprintf(stderr, "bench_export: %s\n", qPrintable(error));
    };
    for (int run = 0; run < runs; ++run) {
        copyTimes.push_back(timeSeconds([&] { grid.rowsCopy(cells, {}, widgets::Grid::DocumentCells::Workbook); }));
        xlsxTimes.push_back(timeSeconds([&] { exportTo(ReportExporter::Format::Xlsx, QStringLiteral("export.xlsx")); }));
        csvTimes.push_back(timeSeconds([&] { exportTo(ReportExporter::Format::GridCsv, QStringLiteral("export.csv")); }));

        const ReportDocument workbook = grid.reportDocument(false, widgets::Grid::DocumentCells::Workbook);
        const ReportDocument texts = grid.reportDocument(false);
        QString error;
        xlsxFileTimes.push_back(timeSeconds([&] {
            if (!ReportXlsx::write(workbook, dir.filePath(QStringLiteral("alone.xlsx")), &error))
                std::fprintf(stderr, "bench_export: %s\n", qPrintable(error));
        }));
        csvFileTimes.push_back(timeSeconds([&] {
            if (!ReportExporter::write(texts, dir.filePath(QStringLiteral("alone.csv")),
                                       ReportExporter::Format::GridCsv, &error))
                std::fprintf(stderr, "bench_export: %s\n", qPrintable(error));
        }));
    }
    std::printf("%d display rows in %d groups (%lld document rows), %d runs\n", rows, Groups,
                qlonglong(documentRows), runs);
    const double copy = bench::median(copyTimes);
    const double xlsx = bench::median(xlsxTimes), csv = bench::median(csvTimes);
    const double xlsxFile = bench::median(xlsxFileTimes), csvFile = bench::median(csvFileTimes);
    std::printf("                    rows copy (UI)  export (worker)  in all\n");
    std::printf("XLSX                %8.2f ms     %8.3f s       %8.3f s (goal < 2 s)\n", copy * 1e3, xlsx,
                copy + xlsx);
    std::printf("CSV of the grid     %8.2f ms     %8.3f s       %8.3f s\n", copy * 1e3, csv, copy + csv);
    std::printf("XLSX / CSV: %.2fx in all (goal <= 3x)\n", (copy + xlsx) / (copy + csv));
    std::printf("The files alone, from cells taken before: XLSX %.3f s, CSV %.3f s (%.2fx)\n", xlsxFile, csvFile,
                xlsxFile / csvFile);
    return 0;
}

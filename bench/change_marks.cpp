// bench_change_marks: marking the rows that changed at a refresh of 100,000
// display rows of 12 columns in 50 groups, one deal changed and one new.
// The run's worker reads the rows and compares them with the grid's; the
// user-interface thread binds the result with the comparison. For
// comparison, the bind of a grid that reads and compares every row itself,
// and the bind without marking. Medians of five runs, wall time.
//
//   bench_change_marks [--runs N]

#include "BenchTiming.h"

#include "Grid.h"
#include "RowChangeMarks.h"

#include "Currency.h"
#include "DateTime.h"

#include <QApplication>

#include <cstdio>
#include <vector>

namespace {

constexpr int Rows = RowChangeMarks::MaxRows;
constexpr int Columns = 12;

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int runs = 5;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2)
        if (args.at(i) == QLatin1String("--runs"))
            runs = args.at(i + 1).toInt();

    // An open position's cells: pair, ticket, dealer, bank, value date,
    // amounts, a rate, the summary flag and a status.
    std::vector<qint64> tickets(Rows), amounts(Rows);
    for (int i = 0; i < Rows; ++i) {
        tickets[size_t(i)] = 500000 + i;
        amounts[size_t(i)] = qint64(i) * 7919 % 1000003 * 10000;
    }
    const QStringList dealers{QStringLiteral("Anna K."), QStringLiteral("Boris M."), QStringLiteral("Chen L.")};
    const QVariant valueDate = QVariant::fromValue(data::DateTime::fromDate(QDate(2026, 12, 8)));
    const auto cell = [&](int row, int column) -> QVariant {
        const size_t r = size_t(row);
        switch (column) {
        case 0: return row / 2000;
        case 1: return tickets[r];
        case 2: return dealers.at(row % 3);
        case 3: return dealers.at((row + 1) % 3);
        case 4: return valueDate;
        case 5: return QVariant::fromValue(data::Currency::fromRaw(amounts[r]));
        case 6: return QVariant();
        case 7: return 1.08 + row % 100 / 10000.0;
        case 8: return QVariant();
        case 9: return QVariant::fromValue(data::Currency::fromRaw(-amounts[r] * 108 / 100));
        case 10: return false;
        default: return 1;
        }
    };
    const RowChangeMarks::RowCells rowCells = [&](int row, QVector<QVariant> &cells) {
        cells.resize(Columns);
        for (int c = 0; c < Columns; ++c)
            cells[c] = cell(row, c);
    };

    widgets::Grid grid;
    grid.resize(1280, 800);
    for (int c = 0; c < Columns; ++c)
        grid.addColumn(QStringLiteral("C%1").arg(c), QStringLiteral("C%1").arg(c));
    grid.setCellReader(cell);
    grid.addGroup(QStringLiteral("C0"));
    const RowArrangement arranged = RowArrangement::build(Rows, grid.ordering(), cell, true);

    std::vector<double> worker, bindTaking, bindReading, bindPlain;
    for (int run = 0; run < runs; ++run) {
        grid.setChangeMarkDuration(widgets::Grid::DefaultChangeMarkDuration);
        grid.setItemCount(Rows, arranged);
        amounts[777] += 10000;
        tickets[Rows - 1] = 9999999 + run;
        RowChangeMarks::Comparison comparison;
        worker.push_back(bench::wallMs([&] {
            comparison = RowChangeMarks::compare(*grid.changeMarksBase(), Rows, Columns, {0}, rowCells);
        }));
        bindTaking.push_back(bench::wallMs([&] { grid.setItemCount(Rows, arranged, &comparison); }));
        if (comparison.markedRows != 2)
            std::fprintf(stderr, "bench_change_marks: %d rows marked, 2 expected\n", comparison.markedRows);
        amounts[778] += 10000;
        bindReading.push_back(bench::wallMs([&] { grid.setItemCount(Rows, arranged); }));
        grid.setChangeMarkDuration(0);
        bindPlain.push_back(bench::wallMs([&] { grid.setItemCount(Rows, arranged); }));
    }
    std::printf("%d rows of %d columns, %d runs (medians)\n", Rows, Columns, runs);
    std::printf("worker: read and compare the rows         %8.1f ms\n", bench::median(worker));
    std::printf("UI: bind taking the worker's comparison  %8.1f ms\n", bench::median(bindTaking));
    std::printf("UI: bind reading and comparing itself    %8.1f ms\n", bench::median(bindReading));
    std::printf("UI: bind without marking                  %8.1f ms\n", bench::median(bindPlain));
    return 0;
}

// Grid over a million unbound rows in 40 groups, offscreen at 1280x800:
// bind (read group and sort columns, build the tree), paint, expand every
// group, move the current row, and re-read keeping the state.
#include "BenchTiming.h"

#include "Grid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using widgets::FormatCondition;
using widgets::Grid;

namespace {

constexpr int Rows = 1000000;
constexpr int Groups = 40;

// CPU time of this thread: the machine is shared, wall time would measure the neighbours.
double cpuMs()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

template<typename F>
double timeMs(F f)
{
    const double start = cpuMs();
    f();
    return cpuMs() - start;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    Grid grid;
    grid.resize(1280, 800);
    const char *keys[] = {"Caption", "TicketNum", "DealerName", "BuyCcy1", "SellCcy1", "Rate", "Summary", "Net"};
    for (const char *k : keys)
        grid.addColumn(QLatin1String(k), QLatin1String(k))->setWidth(140);
    grid.Columns(QStringLiteral("BuyCcy1"))->setFormat(QStringLiteral("#,##0.00"));
    grid.Columns(QStringLiteral("SellCcy1"))->setFormat(QStringLiteral("#,##0.00"));
    grid.Columns(QStringLiteral("Rate"))->setFormat(QStringLiteral("0.0000"));
    grid.Columns(QStringLiteral("Net"))->setFormat(QStringLiteral("#,##0.00;(#,##0.00)"));
    for (int g = 0; g < Groups; ++g)
        grid.Columns(QStringLiteral("Caption"))->valueList()->Add(g, QStringLiteral("PAIR%1").arg(g));
    grid.addFormatCondition(QStringLiteral("Summ"), QStringLiteral("Summary"), FormatCondition::Equal, true)
        ->setFontBold(true);
    grid.addFormatCondition(QStringLiteral("Negative"), QStringLiteral("Net"), FormatCondition::LessThan, 0)
        ->setForeColor(0x0000FF);
    grid.setCellReader([](int row, int column) -> QVariant {
        const int perGroup = Rows / Groups;
        switch (column) {
        case 0: return row / perGroup;
        case 1: return qint64(row) + 100000;
        case 2: return QStringLiteral("Dealer");
        case 3: return QVariant::fromValue(data::Currency::fromRaw(qint64(row) * 12345));
        case 4: return QVariant::fromValue(data::Currency::fromRaw(-qint64(row) * 777));
        case 5: return 1.1 + (row % 1000) / 10000.0;
        case 6: return row % perGroup == perGroup - 1;
        case 7: return QVariant::fromValue(data::Currency::fromRaw((row % 7 - 3) * 100000));
        default: return {};
        }
    });
    grid.addGroup(QStringLiteral("Caption"));
    grid.addSortKey(QStringLiteral("TicketNum"));
    grid.show();

    std::vector<double> bind, paint, expand, current, refresh, paintExpanded;
    for (int run = 0; run < 3; ++run) {
        grid.setItemCount(0);
        bind.push_back(timeMs([&] { grid.setItemCount(Rows); }));
        paint.push_back(timeMs([&] { grid.grab(); }));
        expand.push_back(timeMs([&] {
            grid.expandAllGroups();
            grid.doItemsLayout();
        }));
        grid.verticalScrollBar()->setValue(Rows / 2);
        paintExpanded.push_back(timeMs([&] { grid.grab(); }));
        grid.setRow(Rows / 2);
        current.push_back(timeMs([&] {
            for (int i = 0; i < 100; ++i)
                grid.setRow(Rows / 2 + 1 + i);
        }) / 100);
        refresh.push_back(timeMs([&] { grid.refresh(); }));
        grid.collapseAllGroups();
    }
    std::printf("grid: %d rows, %d groups, 1280x800 offscreen (median of 3, thread CPU time)\n", Rows, Groups);
    std::printf("  bind (ItemCount, group + sort key read) %8.1f ms\n", bench::median(bind));
    std::printf("  paint, groups collapsed                 %8.1f ms\n", bench::median(paint));
    std::printf("  expand every group                      %8.1f ms\n", bench::median(expand));
    std::printf("  paint, expanded, mid-list               %8.1f ms\n", bench::median(paintExpanded));
    std::printf("  current-row change                      %8.3f ms\n", bench::median(current));
    std::printf("  refresh keeping expansion/current/scroll%8.1f ms\n", bench::median(refresh));
    return 0;
}

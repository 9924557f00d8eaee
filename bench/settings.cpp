// The settings store as a report uses it: what opening a report (view
// settings, column layout, last query) and closing one (view settings, column
// layout, the query written after each run) cost, on a store file in a
// temporary directory. Prints the median of repeated runs.

#include "Clock.h"
#include "QueryKey.h"
#include "RegistryAccess.h"
#include "RegistrySettings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double medianMs(int runs, const std::function<void()> &body)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        body();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("registry.sqlite"));
    RegistryAccess &store = RegistryAccess::instance();
    Clock::setToday(QDate(2026, 12, 1));
    const QString appName = QStringLiteral("Profit/Loss");

    QList<ColumnLayoutEntry> columns;
    for (int i = 0; i < 30; ++i)
        columns.append({QStringLiteral("Column%1").arg(i), i + 1, QStringLiteral("Caption %1").arg(i), 1000 + i});
    QueryValues query;
    query.Pair = {QStringLiteral("EUR/USD"), QStringLiteral("USD/RUB"), QStringLiteral("GBP/USD")};
    query.Category = {QStringLiteral("Banks"), QStringLiteral("Funds"), QStringLiteral("Brokers")};

    const double create = medianMs(20, [&] {
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-wal"));
        QFile::remove(path + QStringLiteral("-shm"));
        store.setPath(path);
        store.WriteValue(RegistrySettings::PropertyKey(appName), QStringLiteral("Visible"), true);
    });

    const double close = medianMs(50, [&] {
        RegistrySettings::SaveViewSetting(appName, AllSettings());
        RegistrySettings::SaveColumnLayout(appName, columns);
    });
    const double afterRun = medianMs(50, [&] { QueryKey(appName, QStringLiteral("Query")).write(query); });

    int sink = 0;
    const double open = medianMs(50, [&] {
        store.setPath(path);   // reopen, as a new process would
        sink += int(RegistrySettings::LoadViewSetting(appName).DisplaySetting);
        sink += int(RegistrySettings::LoadColumnLayout(appName).size());
        sink += int(QueryKey(appName, QStringLiteral("Query")).read().Pair.size());
    });
    const double warmOpen = medianMs(200, [&] {
        sink += int(RegistrySettings::LoadViewSetting(appName).DisplaySetting);
        sink += int(RegistrySettings::LoadColumnLayout(appName).size());
        sink += int(QueryKey(appName, QStringLiteral("Query")).read().Pair.size());
    });

    std::printf("create store + first write:                    %8.3f ms\n", create);
    std::printf("report close (view settings + 30 columns):     %8.3f ms\n", close);
    std::printf("query written after a run (13 values, 3 cat.): %8.3f ms\n", afterRun);
    std::printf("report open, store just opened:                %8.3f ms\n", open);
    std::printf("report open, store already open:               %8.3f ms\n", warmOpen);
    return sink == 0 ? 1 : 0;
}

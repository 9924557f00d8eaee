// bench_detail: what a row change costs while the deal list window is open.
//
//   bench_detail [--rows N] [--repeat R]
//
// Builds a deal result set shaped like the position reports' (pair, deal
// time, amounts, rates, value dates, trade id, currency, deal codes; rows of a
// pair together in time order) twice: a day's deals (4,000 rows) and N rows
// (default 1,000,000, 4,000 a day over 250 days, 20 pairs, 10 currencies).
// For each it times, as medians of R runs (default 25):
// - setFilter with the forward position report's row filter (a day and a
//   pair: "DealTime >= #d# AND DealTime < #d+1# AND PairCcy = p"), with its
//   summary filter ("PairCcy = p"), with the single currency report's
//   ("Ccy = c AND DealTime >= #d# AND DealTime < #d+1#") and its earlier form
//   naming the currency's deals of the day ("Ccy = c AND (TradeID = a OR
//   TradeID = b ...)"), and with the filter that selects nothing (group rows);
// - the window's reload after the filter (ChangeCaption: its bookmarks and
//   the grid's rebind), offscreen, and its opening on every deal.
// The goal for the filter is 1 ms on a day's deals and 16 ms on N rows.

#include "DetailWindow.h"

#include "Report.h"
#include "ReportLogic.h"

#include "Currency.h"
#include "DateTime.h"
#include "Recordset.h"

#include "Grid.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace data;

namespace {

const QDate FirstDay(2026, 1, 5);
constexpr int DealsPerDay = 4000;
constexpr int Pairs = 20;
constexpr int Currencies = 10;

struct Deals
{
    RecordsetPtr rs;
    int days = 0;
};

/// Rows of a pair together in time order, as the procedures return them:
/// the pairs' shares of each day's deals, spread over the day's hours.
Deals buildDeals(qint64 rows)
{
    Deals deals;
    deals.rs = std::make_shared<Recordset>();
    auto fields = deals.rs->Fields();
    fields.Append(QStringLiteral("PairCcy"), DataType::Integer);
    fields.Append(QStringLiteral("DealTime"), DataType::Date);
    fields.Append(QStringLiteral("Volume"), DataType::Currency);
    fields.Append(QStringLiteral("Volume2"), DataType::Currency);
    fields.Append(QStringLiteral("Rate"), DataType::Double);
    fields.Append(QStringLiteral("ValDate"), DataType::Date);
    fields.Append(QStringLiteral("ValDate2"), DataType::Date);
    fields.Append(QStringLiteral("TradeID"), DataType::BigInt);
    fields.Append(QStringLiteral("Ccy"), DataType::Integer);
    fields.Append(QStringLiteral("PureDealType"), DataType::Integer);
    fields.Append(QStringLiteral("DealType"), DataType::Integer);
    deals.rs->Open();
    deals.days = int(std::max<qint64>(1, rows / DealsPerDay));
    const qint64 perPairDay = std::max<qint64>(1, rows / deals.days / Pairs);
    RecordsetLoader load(*deals.rs);
    qint64 tradeId = 1;
    for (int pair = 1; pair <= Pairs; ++pair) {
        for (int day = 0; day < deals.days; ++day) {
            const qint64 start = DateTime::fromDate(FirstDay.addDays(day)).secs();
            for (qint64 i = 0; i < perPairDay; ++i) {
                load.beginRow();
                load.setInt64(0, pair);
                load.setInt64(1, start + 8 * 3600 + i * (10 * 3600 / perPairDay));
                load.setInt64(2, Currency::fromUnits((i % 7 + 1) * 100000 * (i % 2 ? -1 : 1)).raw());
                load.setInt64(3, Currency::fromUnits((i % 7 + 1) * -110000 * (i % 2 ? -1 : 1)).raw());
                load.setDouble(4, 1.1 + double(i % 100) / 10000);
                load.setInt64(5, start + 2 * 86400);
                load.setInt64(6, start + 2 * 86400);
                // Trade ids are not in row order: deals of a day come from every pair.
                load.setInt64(7, tradeId++ * 7919 % 100000007);
                load.setInt64(8, 1 + (pair + int(i)) % Currencies);
                load.setInt64(9, i % 5 == 0 ? 8 : 2);
                load.setInt64(10, 1 + i % 2);
                load.endRow();
            }
        }
    }
    return deals;
}

QString dateLiteral(QDate day)
{
    return QStringLiteral("#%1/%2/%3#").arg(day.month()).arg(day.day()).arg(day.year());
}

/// The single currency report's filter of a currency's deals on one day.
QString currencyDayFilter(Recordset &deals, int ccy, QDate day)
{
    const qint64 from = DateTime::fromDate(day).secs(), to = from + 86400;
    QStringList terms;
    Field time = deals.Fields(QStringLiteral("DealTime")), currency = deals.Fields(QStringLiteral("Ccy")),
          trade = deals.Fields(QStringLiteral("TradeID"));
    for (deals.MoveFirst(); !deals.Eof(); deals.MoveNext()) {
        const qint64 t = time.value().toDate().secs();
        if (t >= from && t < to && currency.value().toInt() == ccy)
            terms.append(QStringLiteral("TradeID = ") + QString::number(trade.value().toInt64()));
    }
    return QStringLiteral("Ccy = %1 AND (%2)").arg(ccy).arg(terms.join(QStringLiteral(" OR ")));
}

double medianMs(int repeat, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < repeat; ++i) {
        QElapsedTimer clock;
        clock.start();
        work();
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

class BenchLogic final : public ReportLogic
{
public:
    QString procedure() const override { return {}; }
    int owner() const override { return 0; }
    std::optional<DetailView> detailView() const override { return dvCurrencyPair; }
};

class BenchReport final : public Report
{
public:
    BenchReport() : Report(QString(), logic()) {}
    static const BenchLogic &logic()
    {
        static const BenchLogic l;
        return l;
    }
};

void run(const char *title, qint64 rows, int repeat)
{
    const Deals deals = buildDeals(rows);
    BenchReport report;
    report.DetRecordset = deals.rs->Clone();
    Recordset &det = *report.DetRecordset;
    const QDate day = FirstDay.addDays(deals.days / 2);
    const int pair = Pairs / 2;
    struct Form
    {
        const char *name;
        QString criteria;
    };
    const Form forms[] = {
        {"day and pair", QStringLiteral("DealTime >= %1 AND DealTime < %2 AND PairCcy = %3")
                             .arg(dateLiteral(day), dateLiteral(day.addDays(1)))
                             .arg(pair)},
        {"pair summary", QStringLiteral("PairCcy = %1").arg(pair)},
        {"currency and day", QStringLiteral("Ccy = 3 AND DealTime >= %1 AND DealTime < %2")
                                 .arg(dateLiteral(day), dateLiteral(day.addDays(1)))},
        {"currency and trade ids", currencyDayFilter(det, 3, day)},
        {"nothing (group row)", QStringLiteral("[PairCcy] IS NULL AND [PairCcy] IS NOT NULL")},
    };

    frmDetails window;
    window.setAttribute(Qt::WA_DontShowOnScreen);
    // Opening lists the deals as the report left them (every deal before the
    // first row change filters them).
    const double openMs =
        medianMs(std::max(1, repeat / 5), [&] { window.DetailActivate(&report, nullptr, dvCurrencyPair); });

    std::printf("%s: %lld deal rows; opening on every deal %.3f ms\n", title,
                static_cast<long long>(deals.rs->RecordCount()), openMs);
    std::printf("  %-24s %10s %10s %12s\n", "filter", "rows", "filter ms", "reload ms");
    for (const Form &form : forms) {
        bool refused = false;
        const double filterMs = medianMs(repeat, [&] { refused |= !det.setFilter(form.criteria); });
        if (refused) {
            std::printf("  %-24s refused: %s\n", form.name, qPrintable(det.lastError()->Description));
            std::exit(1);
        }
        const qint64 shown = det.RecordCount();
        const double reloadMs = medianMs(repeat, [&] { window.ChangeCaption(QStringLiteral("bench")); });
        if (window.mainTable()->ItemCount() != shown) {
            std::printf("  %-24s the window lists %d rows, not %lld\n", form.name, window.mainTable()->ItemCount(),
                        static_cast<long long>(shown));
            std::exit(1);
        }
        std::printf("  %-24s %10lld %10.3f %12.3f\n", form.name, static_cast<long long>(shown), filterMs, reloadMs);
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qint64 rows = 1'000'000;
    int repeat = 25;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--rows"))
            rows = args.at(++i).toLongLong();
        else if (args.at(i) == QLatin1String("--repeat"))
            repeat = std::max(1, args.at(++i).toInt());
    }
    run("a day's deals", DealsPerDay, repeat);
    run("all deals", rows, repeat);
    return 0;
}

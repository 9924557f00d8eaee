#pragma once

// A small report with a detail window, for the tests of the window and of the
// report base's part in it: deals of two pairs over two days, one display row
// per pair and day (its "CurrentFilter" selects that day's deals of the pair)
// and one summary row per pair, delivered as a finished run would deliver them.

#include "Report.h"
#include "ReportLogic.h"

#include "Currency.h"
#include "DateTime.h"
#include "Recordset.h"

#include <QDate>

#include <array>
#include <memory>

namespace detailtest {

inline const QDate FirstDay(2026, 12, 3);

/// The deal fields of a position report's deal result set, as the procedures
/// return them: the leg's amounts, rate and value dates first, the deal's
/// codes after them.
inline data::RecordsetPtr makeDeals()
{
    auto deals = std::make_shared<data::Recordset>();
    auto fields = deals->Fields();
    fields.Append(QStringLiteral("PairCcy"), data::DataType::Integer);
    fields.Append(QStringLiteral("DealTime"), data::DataType::Date);
    fields.Append(QStringLiteral("Volume"), data::DataType::Currency);
    fields.Append(QStringLiteral("Volume2"), data::DataType::Currency);
    fields.Append(QStringLiteral("Rate"), data::DataType::Double);
    fields.Append(QStringLiteral("ValDate"), data::DataType::Date);
    fields.Append(QStringLiteral("ValDate2"), data::DataType::Date);
    fields.Append(QStringLiteral("TradeID"), data::DataType::BigInt);
    fields.Append(QStringLiteral("PureDealType"), data::DataType::Integer);
    fields.Append(QStringLiteral("DealType"), data::DataType::Integer);
    deals->Open();
    return deals;
}

/// Appends one deal; volume in whole units (negative sold).
inline void addDeal(data::Recordset &deals, int pair, QDate day, int hour, qint64 volume, qint64 tradeId,
                    int pureDealType = 2, int dealType = 1)
{
    data::RecordsetLoader load(deals);
    load.beginRow();
    load.setValue(0, data::Value(pair));
    load.setInt64(1, data::DateTime::fromDate(day).secs() + hour * 3600);
    load.setValue(2, data::Value(data::Currency::fromUnits(volume)));
    load.setValue(3, data::Value(data::Currency::fromUnits(-volume * 11 / 10)));
    load.setValue(4, data::Value(1.1));
    load.setValue(5, data::Value(data::DateTime::fromDate(day.addDays(2))));
    load.setValue(6, data::Value(data::DateTime::fromDate(day.addDays(2))));
    load.setValue(7, data::Value(tradeId, data::DataType::BigInt));
    load.setValue(8, data::Value(pureDealType));
    load.setValue(9, data::Value(dealType));
    load.endRow();
}

/// "#m/d/yyyy#", the date form of the recordset criteria.
inline QString criteriaDate(QDate day)
{
    return QStringLiteral("#%1/%2/%3#").arg(day.month()).arg(day.day()).arg(day.year());
}

inline QString dayFilter(int pair, QDate day)
{
    return QStringLiteral("DealTime >= %1 AND DealTime < %2 AND PairCcy = %3")
        .arg(criteriaDate(day), criteriaDate(day.addDays(1)))
        .arg(pair);
}

class Logic final : public ReportLogic
{
public:
    explicit Logic(std::optional<DetailView> view) : m_view(view) {}

    QString procedure() const override { return {}; }
    int owner() const override { return 99; }
    std::optional<DetailView> detailView() const override { return m_view; }
    QString detailCaption(data::Recordset &display) const override
    {
        return QStringLiteral("pair %1 (%2)")
            .arg(display.Fields(QStringLiteral("Caption")).value().toInt())
            .arg(display.Fields(QStringLiteral("Date")).value().toDate().toIsoString());
    }
    DisplayLayout layout() const override
    {
        static const DisplayField Fields[] = {
            {"Caption", data::DataType::Integer}, {"Date", data::DataType::Date},
            {"Deals", data::DataType::Integer},   {"Summary", data::DataType::Boolean},
            {"CurrentFilter", data::DataType::VarWChar},
        };
        static const ReportColumn Columns[] = {
            {"Caption", "Currency", "Caption", true, ReportColumn::AlignLeft, 80},
            {"Date", "Date", "Date", true, ReportColumn::AlignLeft, 90},
            {"Deals", "Deals", "Deals", true, ReportColumn::AlignRight, 60},
            {"Summary", "Summary", "Summary", false, ReportColumn::AlignLeft, 40},
        };
        return {Fields, Columns, "Caption", nullptr};
    }

private:
    std::optional<DetailView> m_view;
};

inline const Logic &pairLogic()
{
    static const Logic logic(dvCurrencyPair);
    return logic;
}
inline const Logic &currencyLogic()
{
    static const Logic logic(dvSingleCurrency);
    return logic;
}
inline const Logic &noDetailLogic()
{
    static const Logic logic(std::nullopt);
    return logic;
}

/// Deals of the pairs 1 and 2 on FirstDay and the day after: pair 1 has 3
/// and 2 deals, pair 2 has 1 and 4.
inline constexpr std::array<std::array<int, 2>, 2> DealsPerDay{{{3, 2}, {1, 4}}};

class TestReport final : public Report
{
public:
    explicit TestReport(const ReportLogic &logic = pairLogic(), const QString &name = QStringLiteral("Detail Test"))
        : Report(name, logic)
    {
    }

    /// Finishes a "run" with the deals and display rows above, as the worker
    /// would deliver them.
    void deliver()
    {
        data::RecordsetPtr deals = makeDeals();
        auto display = std::make_shared<data::Recordset>();
        for (const DisplayField &field : logic().layout().fields)
            display->Fields().Append(QString::fromLatin1(field.name), field.type, field.size);
        display->Open();
        qint64 tradeId = 100;
        int dealCount = 0;
        for (int pair = 1; pair <= 2; ++pair) {
            int pairDeals = 0;
            for (int d = 0; d < 2; ++d) {
                const QDate day = FirstDay.addDays(d);
                const int count = DealsPerDay[size_t(pair - 1)][size_t(d)];
                for (int i = 0; i < count; ++i)
                    addDeal(*deals, pair, day, 9 + i, (i % 2 ? -1 : 1) * 1000 * (i + 1), tradeId++);
                addRow(*display, pair, day, count, false, dayFilter(pair, day));
                pairDeals += count;
            }
            addRow(*display, pair, QDate(), pairDeals, true, QStringLiteral("PairCcy = %1").arg(pair));
            dealCount += pairDeals;
        }
        ReportRun::Outcome outcome;
        outcome.result = deals;
        outcome.results = {deals};
        outcome.display = display;
        outcome.counts = {2, dealCount};
        AsConnect_ExecuteComplete(outcome);
    }

    /// Finishes a "run" that returned no rows.
    void deliverNothing() { AsConnect_ExecuteComplete({}); }

    static void addRow(data::Recordset &display, int pair, QDate day, int deals, bool summary, const QString &filter)
    {
        display.AddNew();
        display.Fields(QStringLiteral("Caption")).setValue(data::Value(pair));
        if (day.isValid())
            display.Fields(QStringLiteral("Date")).setValue(data::Value(data::DateTime::fromDate(day)));
        display.Fields(QStringLiteral("Deals")).setValue(data::Value(deals));
        display.Fields(QStringLiteral("Summary")).setValue(data::Value(summary));
        display.Fields(QStringLiteral("CurrentFilter")).setValue(data::Value(filter));
        display.Update();
    }
};

} // namespace detailtest

#pragma once

#include "marvolt_export.h"

#include "AllSettings.h"
#include "FilterControl.h"
#include "FilterSlot.h"
#include "QueryKey.h"
#include "QueryValues.h"
#include "ReportColumns.h"
#include "RowArrangement.h"
#include "RowChangeMarks.h"
#include "ShownRows.h"

#include <QDate>
#include <QString>
#include <QVariantMap>

#include <array>
#include <memory>
#include <optional>
#include <span>

class FilterStore;
namespace services {
class RateProgram;
}
namespace data {
class Command;
class Field;
class Recordset;
} // namespace data

/// The query of one run, copied when the run starts so that the worker thread
/// never reads the report object: the committed-to-be query, the identifiers
/// of each slot's selection (read from the slot's directory), the working
/// user, the day the run takes as today and the report's switches by name;
/// and how the grid will show the display: the view whose rows it reads and
/// the order it groups and sorts them by, so that the worker filters and
/// arranges the rows beforehand (none: the grid arranges them on binding).
struct RunQuery
{
    QueryValues query;
    std::array<QVariantList, FilterControlCount> ids;
    QString userName;
    QDate today;
    QVariantMap switches;
    View view = vwAll;
    std::optional<RowOrdering> rowOrder;
    /// The rows the grid compares the run's with to mark what changed
    /// (ReportGrid::changeMarksBase); nullopt when it marks nothing.
    std::optional<std::shared_ptr<const RowChangeMarks::Remembered>> previousRows;
    /// How the report's grid shows a display row, in the session's formats
    /// of the run's start: the comparison reads the rows as the grid does.
    const ShownRows *shownRows = &ShownRows::plain();
    ShownFormats formats;
    /// The rate program the run asks for current rates (thread-safe); null
    /// when the report takes none or the program is absent.
    std::shared_ptr<const services::RateProgram> rates;
};

/// What a display build produced: the number of groups (pairs, currencies)
/// and of deals it shows.
struct DisplayCounts
{
    int groups = 0;
    int deals = 0;
    /// The grand totals the report shows on its toolbar, by name (the profit
    /// reports' results); empty for the others.
    QVariantMap figures;
};

/// A report switch kept with the query in the settings store: its value name
/// there ("With Recalc", a boolean) and the report's Qt property, whose
/// setter keeps the switch's tool in step.
struct StoredSwitch
{
    const char *valueName;
    const char *property;
};

/// What a report class declares and computes, apart from the report object
/// and from any widget: its procedure and owner number, the filter slots it
/// uses, its display fields and columns, how its selections reach the server
/// and how its display rows are built from the procedure's result.
///
/// One immutable instance per report class, shared by every report object of
/// the class and by the runs on worker threads: the members marked "worker"
/// run there and read only their arguments and the declarations, never a
/// report object or a widget. A report class overrides the few hooks that are
/// its own; the common run lives in Report and ReportRun.
class MARVOLT_EXPORT ReportLogic
{
public:
    virtual ~ReportLogic() = default;

    /// The stored procedure; empty for a report without a query.
    virtual QString procedure() const = 0;
    /// The number under which the report's selections are stored on the server.
    virtual int owner() const = 0;
    virtual std::span<const FilterSlot> filterSlots() const { return {}; }
    virtual DisplayLayout layout() const { return {}; }
    /// The chart beside the grid; nullopt for a report without one.
    virtual std::optional<ChartLayout> chart() const { return std::nullopt; }
    /// The switches saved and read with the query.
    virtual std::span<const StoredSwitch> storedSwitches() const { return {}; }
    /// The date bounds stored with the query beside "Date": the value-date
    /// end "Value Date" by default.
    virtual std::span<const QueryKey::Bound> storedBounds() const { return QueryKey::valueDateBound(); }
    /// What the detail window lists for this report's rows; nullopt for a
    /// report without a detail window.
    virtual std::optional<DetailView> detailView() const { return std::nullopt; }
    /// The detail window's title for the display row `display` stands on.
    virtual QString detailCaption(data::Recordset &display) const;
    /// Which of the procedure's result sets (0 the first) the display is
    /// built from, and which one the detail window lists: the first for
    /// both by default; the profit reports list the deals first.
    virtual int displayResultSet() const { return 0; }
    virtual int detailResultSet() const { return 0; }

    /// A day as a date in a recordset filter's criteria: "#12/4/2026#".
    static QString dateLiteral(QDate day);
    /// A field of a recordset by name (an invalid handle when it has none).
    static data::Field field(data::Recordset &rs, const char *name);
    /// The detail window's title of a display row grouped by currency
    /// ("Caption"): the currency's code and, on a row with a day in
    /// dayField that is no summary row, the day: "EUR (2026-12-08)".
    static QString currencyCaption(data::Recordset &display, const char *dayField);

    // ---- worker --------------------------------------------------------------------
    /// The date bounds, every slot's selection, then the report's own
    /// conditions; stops at the first failing call (the store keeps its
    /// reason).
    bool storeSelections(FilterStore &store, const RunQuery &run) const;
    /// Whether a slot's selection goes to the server on this run; a report
    /// whose switch sets some selections aside (a recalculated position
    /// counts every currency) says no for those. Every slot by default.
    virtual bool appliesSlot(const FilterSlot &slot, const RunQuery &run) const;
    /// Stores the report's date bounds (each report has its own rule).
    virtual bool storeDates(FilterStore &store, const RunQuery &run) const;
    /// Stores what the report restricts beyond its dates and slots (the
    /// netting condition of the counterparty position); nothing by default.
    virtual bool storeConditions(FilterStore &store, const RunQuery &run) const;
    /// Sets the procedure's parameters: "@UserName", "@DateReport" and, where
    /// the procedure has it, "@WithArchive" from the switch of that name.
    virtual void setParameters(data::Command &command, const RunQuery &run) const;
    /// Fills the display recordset (opened with the declared fields) from
    /// the procedure's result set displayResultSet(), positioned on its first
    /// row.
    virtual DisplayCounts buildDisplay(data::Recordset &result, data::Recordset &display) const;
    /// The display build of one run, for a report whose rows depend on the
    /// run's switches as well; buildDisplay by default.
    virtual DisplayCounts buildRunDisplay(data::Recordset &result, data::Recordset &display,
                                          const RunQuery &run) const;

protected:
    /// Stores the range of slots 0 and 1 (ValDate to EndDate), or of slots
    /// 15 and 16 (ValDate1 to EndDate1), as `kind` (1 trade dates, 2 value
    /// dates); a bound of "All" is open.
    static bool storeFirstRange(FilterStore &store, const RunQuery &run, int kind);
    static bool storeSecondRange(FilterStore &store, const RunQuery &run, int kind);

private:
    bool storeSlot(FilterStore &store, const FilterSlot &slot, const RunQuery &run) const;
};

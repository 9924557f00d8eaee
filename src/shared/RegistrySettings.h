#pragma once

#include "AllSettings.h"
#include "ColumnLayout.h"
#include "RegistryAccess.h"

#include <QString>

#include <functional>

/// The settings a report keeps from one run of the host to the next, as typed
/// routines over the settings store (RegistryAccess::instance()).
///
/// Every key lies under "Software\Quorvex, Ltd.\<App_Name>", App_Name being the
/// report's registry name ("Currency Pairs", "Profit/Loss" ...; a "/" in it is
/// part of the name). A routine given an empty App_Name reads defaults and
/// writes nothing. Writes return false when the store refused them (the reason
/// is in RegistryAccess::instance().lastError() and in the log); a routine that
/// writes several values writes all of them or none.
namespace RegistrySettings {

/// "Software\Quorvex, Ltd.\<appName>"
QString ReportKey(const QString &appName);
/// "...\<appName>\Property": view settings and defaults.
QString PropertyKey(const QString &appName);
/// "...\<appName>\Property\Position": the query panel's position.
QString PositionKey(const QString &appName);
/// "...\<appName>\Property\Columns": the main grid's column layout.
QString ColumnsKey(const QString &appName);
/// "...\<appName>\Stored Filters": one value per stored filter (its description).
QString StoredFiltersKey(const QString &appName);

/// Writes AutoExpand, DisplaySetting, Visible and Aligment under Property and X,
/// Y under Property\Position, each with its own type (bool, int, bool, int,
/// float, float).
bool SaveViewSetting(const QString &appName, const AllSettings &settings);
/// The stored view settings; each value that is absent or unusable (not a
/// number, an enumeration value out of range) takes its default from
/// AllSettings.
AllSettings LoadViewSetting(const QString &appName);

/// The stored "Default Dir"; "Default Form" goes to \a defaultForm when given.
/// Both are empty when absent.
QString LoadDefaults(const QString &appName, QString *defaultForm = nullptr);
/// Writes "Default Form", then "Default Dir".
bool SaveDefaults(const QString &appName, const QString &defaultForm, const QString &defaultDir);

/// Replaces the main grid's stored layout with \a columns (in grid order).
bool SaveColumnLayout(const QString &appName, const QList<ColumnLayoutEntry> &columns);
/// The main grid's stored layout, by position (see ColumnLayout::load): the
/// grid looks each column up by key and applies position, caption and width,
/// skipping keys it no longer has. Empty: leave the grid as built.
QList<ColumnLayoutEntry> LoadColumnLayout(const QString &appName);

/// The stored filters: name and description of each, in the order they were
/// first saved.
RegistryValues ListStoredFilters(const QString &appName);

/// Orders values stored under the names 0, 1, 2 ... by that number, whatever
/// order they were written in; other names go last, in their order.
void SortByNumberedName(RegistryValues &values);
/// False for a name that cannot name a stored filter: an empty one, "Query"
/// (the key of the current query: saving under it would overwrite the current
/// query and the filter would change with every query run), or one holding
/// "\" (a key separator: "A\Category" would land inside filter A's keys).
bool IsValidStoredFilterName(const QString &filterName);
/// Saves a stored filter: its description under Stored Filters, then its query
/// through \a writeQueryPar (the report's WriteQueryPar, called with the filter
/// name), all in one batch. Refuses names that IsValidStoredFilterName() rejects
/// and writes nothing then.
bool SaveStoredFilter(const QString &filterName, const QString &description, const QString &appName,
                      const std::function<bool(const QString &filterName)> &writeQueryPar);
/// Deletes a stored filter: its categories, its query and its description.
/// Parts already gone are no error.
bool DeleteStoredFilter(const QString &filterName, const QString &appName);

} // namespace RegistrySettings

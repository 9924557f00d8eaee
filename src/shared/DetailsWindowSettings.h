#pragma once

#include "ColumnLayout.h"

#include <QList>
#include <QString>

#include <optional>

/// Where a detail or ticket window was last placed, in the window's units.
struct WindowGeometry
{
    float Left = 0;
    float Top = 0;
    float Height = 0;
    float Width = 0;

    bool operator==(const WindowGeometry &) const = default;
};

/// The two toggles of the detail window.
struct DetailsWindowOptions
{
    bool ExpandAfterRefresh = false;
    bool GroupByBoxVisible = false;

    bool operator==(const DetailsWindowOptions &) const = default;
};

/// One grouping of the detail window's grid: the grouped column's index and the
/// group's sort order, as the grid numbers them.
struct DetailsGroup
{
    int columnIndex = 0;
    int sortOrder = 0;

    bool operator==(const DetailsGroup &) const = default;
};

/// The ticket window's remembered state.
struct TicketWindowSettings
{
    std::optional<float> Left;   ///< absent: the window places itself
    std::optional<float> Top;
    bool DisplayConversation = false;

    bool operator==(const TicketWindowSettings &) const = default;
};

/// The settings of the windows a report opens, under the report's key
/// ("Software\Quorvex, Ltd.\<App_Name>\Details Window\..."):
/// - "Position": "Left", "Top", "Height", "Width" of the detail window, shared
///   by all its modes;
/// - one key per grid mode ("Single", "Pair", "New" for the DetailView values
///   0, 1 and 2) holding "Options" ("Expand After Refresh", "Group by Box
///   Visible"), "Columns" (the column layout) and "Columns\Group" (the groups in
///   order, values named 0, 1 ..., data "<column index>|<sort order>");
/// - "Ticket Window": "Left", "Top", "Display Conversation".
///
/// The deposit-only mode (3) and unknown modes have no key of their own: their
/// reads give the defaults and their writes store nothing (and succeed), rather
/// than mixing their layout into another mode's. As everywhere, an empty
/// App_Name reads defaults and writes nothing.
namespace DetailsWindowSettings {

/// The key of a grid mode, ending in "\"; empty for a mode without one.
QString WindowKey(const QString &appName, int detailView);

/// The detail window's last geometry; nullopt unless all four values are stored.
std::optional<WindowGeometry> LoadPosition(const QString &appName);
bool SavePosition(const QString &appName, const WindowGeometry &geometry);

DetailsWindowOptions LoadOptions(const QString &appName, int detailView,
                                 const DetailsWindowOptions &defaults = {});
bool SaveOptions(const QString &appName, int detailView, const DetailsWindowOptions &options);

/// The mode's column layout (see ColumnLayout::load).
QList<ColumnLayoutEntry> LoadColumnLayout(const QString &appName, int detailView);
/// The mode's groups in their stored order; unusable values are skipped.
QList<DetailsGroup> LoadGroups(const QString &appName, int detailView);
/// Replaces the mode's column layout and groups together.
bool SaveLayout(const QString &appName, int detailView, const QList<ColumnLayoutEntry> &columns,
                const QList<DetailsGroup> &groups);

TicketWindowSettings LoadTicketWindow(const QString &appName);
bool SaveTicketWindow(const QString &appName, const TicketWindowSettings &settings);

} // namespace DetailsWindowSettings

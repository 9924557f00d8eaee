#pragma once

#include <array>

/// Which rows a report shows: detail rows, group summary rows, or both.
enum View : int {
    vwDetail = 0,
    vwSummary = 1,
    vwAll = 2,
};

/// The edge of the control the query panel docks to.
enum AlignQEnum : int {
    drNone = 0,
    drTop = 1,
    drBottom = 2,
    drLeft = 3,
    drRight = 4,
};

/// What the detail window lists for a report's row: the deals of a currency,
/// of a currency pair, every deal field, or deposits only.
enum DetailView : int {
    dvSingleCurrency = 0,
    dvCurrencyPair = 1,
    dvNewDetail = 2,
    dvDepoOnly = 3,
};

/// A report's view settings, as the host and the report exchange them and as
/// they are kept per report in the settings store. The member initialisers are
/// the first-run defaults: everything shown, panel at the top.
struct AllSettings
{
    View DisplaySetting = vwAll;
    bool QPVisible = true;      ///< the query panel is shown
    bool AutoExpand = false;    ///< groups are expanded after each refresh
    AlignQEnum QPAlign = drTop;
    std::array<float, 2> QPPosition{0.0f, 0.0f};   ///< the panel's position, x and y

    bool operator==(const AllSettings &) const = default;
};

#pragma once

#include "Tool.h"

#include <QList>
#include <QString>

namespace widgets {
class ToolBar;
}

/// The tools of the control's toolbar (MainMenu): their ids, kinds, text-table
/// tags and menus, and where they sit.
///
/// Tools with a tag N take caption N, tool tip N+1 and description N+2 from
/// the text table (localise()); tools without a tag keep their built-in texts.
/// The tools a report brings with it (rate switches, recalculation, profit,
/// currency pair ...) are on the band but hidden: the report shows the ones it
/// uses through its Main_Menu reference.
namespace MainMenuTools {

struct ToolEntry
{
    const char *id;
    widgets::Tool::Kind kind;
    int tag;                 ///< text-table id of the caption; 0 for none
    const char *caption;     ///< built-in caption, for tools without a tag
    const char *toolTip;     ///< built-in tool tip, for tools without a tag
    bool onBand;             ///< placed on the toolbar band
    bool shownAtStart;       ///< visible before a report shows it
};

/// Every tool, in the order of the toolbar's design.
const QList<ToolEntry> &tools();

/// Creates every tool, fills the menus ("ID_PopUp", "ID_Print",
/// "ID_FilterMenu") and places the band. Icons come from the widget style.
void build(widgets::ToolBar &bar);

/// Shows the band's tools as at start: the ones a report brings with it
/// hidden again, the common ones shown.
void showStartTools(widgets::ToolBar &bar);

/// Sets caption, tool tip and description of every tool whose tag is a
/// number from the text table in the current language.
void localise(widgets::ToolBar &bar);

} // namespace MainMenuTools

#pragma once

#include "FilterControl.h"

#include <array>

class Report;

/// Undo of filter changes: copies each committed query field of the report
/// back to its working field and shows the restored value in the filter
/// control that displays it, when that control is enabled. A control that
/// lacks the role is skipped.
///
/// When both the pair box and the currency box are in use, the currency box
/// shows Pair and the pair box Pair2 (restored from StPair2); otherwise each
/// enabled one of them shows Pair. The working Client is not restored: the
/// client box shows the current Client.
void RestoreQuery(Report &report, const std::array<FilterControl, FilterControlCount> &controls);

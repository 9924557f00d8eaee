#pragma once

#include "AllSettings.h"

#include <QPoint>
#include <QRect>

#include <optional>

// Where a dragged query panel goes. Pure geometry on plain values, so the
// docking rules can be checked without any widget.
//
// All positions are in the control's pixels: the pointer, the reference
// rectangle and the floating panel's QPPosition share one coordinate system,
// that of the area below the toolbar (the reference rectangle's top-left is
// the area's origin). There are no twips here; nothing converts units.

/// How close (in pixels) the pointer must come to an edge of the reference
/// rectangle to dock the panel there.
inline constexpr int DockDistance = 25;

/// The target side after the pointer moved to `pointer`, given the side
/// chosen so far. `reference` is the area the panel docks in; its right and
/// bottom edges are taken as left + width and top + height, as a client
/// rectangle gives them.
///
/// From drNone each edge within reach is tested in the order left, right,
/// top, bottom, a later match replacing an earlier one (so a corner goes to
/// the top or bottom). A docked target sticks while the pointer stays within
/// reach of its own edge; once it leaves, the side edges (left/right for a
/// top or bottom target, top/bottom for a left or right target) are tested,
/// and with none in reach the target falls back to drNone. Moving straight
/// from one edge to the opposite one therefore passes through drNone first.
/// A current value outside AlignQEnum is treated as drNone.
AlignQEnum nextDockTarget(AlignQEnum current, QPoint pointer, QRect reference);

/// The outcome of dropping the panel: whether the view settings change and,
/// if so, the settings to store and apply.
struct DockDrop
{
    bool changed = false;
    AllSettings settings;
};

/// Drops the panel on `target` at `dropPoint`. Dropping on the side the
/// panel is already docked to changes nothing. A docked target resets
/// QPPosition to (0, 0); drNone floats the panel with its top-left at the
/// drop point less the grab offset (where in the panel it was grabbed), or
/// at the drop point itself without an offset. Only QPAlign and QPPosition
/// are touched; visibility and display settings pass through unchanged.
DockDrop dropDockTarget(const AllSettings &current, AlignQEnum target, QPoint dropPoint,
                        std::optional<QPoint> grabOffset = std::nullopt);

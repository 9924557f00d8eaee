#pragma once

#include <array>

class QComboBox;
namespace widgets {
class CheckCombo;
class ElapsedBut;
class RelDate;
} // namespace widgets

/// The filter widgets of the query panel whose changes reach the report,
/// under the names the control gives them. The control owns the widgets; a
/// null pointer is a filter the panel does not have, and its events are
/// simply not connected.
struct QueryPanelControls
{
    /// Start and end of the report dates (0, 1) and of the value dates (2, 3).
    std::array<widgets::RelDate *, 4> DateReport{};
    QComboBox *Combo1 = nullptr;         ///< relative mode: "True" or "False"
    QComboBox *ComboNetting = nullptr;
    QComboBox *TypeDate = nullptr;
    widgets::CheckCombo *DealBox = nullptr;
    widgets::CheckCombo *PairBox = nullptr;
    widgets::CheckCombo *CcyBox = nullptr;
    widgets::CheckCombo *DealerBox = nullptr;
    widgets::CheckCombo *StatusBox = nullptr;
    widgets::CheckCombo *chLoroNostro = nullptr;
    widgets::CheckCombo *TCIDBox = nullptr;
    widgets::CheckCombo *ListAttrib = nullptr;
    widgets::CheckCombo *ClientBox = nullptr;
    widgets::ElapsedBut *CptyBox = nullptr;
    widgets::ElapsedBut *LegendBox = nullptr;
};

#include "WindowsColor.h"

#include <QGuiApplication>

namespace widgets {

namespace {

// Index of a Windows system colour -> the palette role that plays the same
// part in a Qt desktop. Window text means "the normal text" in a grid, so it
// maps to Text rather than WindowText.
bool systemRole(quint32 index, QPalette::ColorGroup &group, QPalette::ColorRole &role)
{
    group = QPalette::Active;
    switch (index) {
    case 0: role = QPalette::Button; return true;              // scroll bar
    case 1: role = QPalette::Window; return true;              // desktop
    case 2: role = QPalette::Highlight; return true;           // active caption
    case 3: role = QPalette::Mid; return true;                 // inactive caption
    case 4: role = QPalette::Base; return true;                // menu
    case 5: role = QPalette::Base; return true;                // window
    case 6: role = QPalette::Shadow; return true;              // window frame
    case 7: role = QPalette::Text; return true;                // menu text
    case 8: role = QPalette::Text; return true;                // window text
    case 9: role = QPalette::HighlightedText; return true;     // caption text
    case 10: role = QPalette::Button; return true;             // active border
    case 11: role = QPalette::Button; return true;             // inactive border
    case 12: role = QPalette::Dark; return true;               // application workspace
    case 13: role = QPalette::Highlight; return true;          // highlight
    case 14: role = QPalette::HighlightedText; return true;    // highlight text
    case 15: role = QPalette::Button; return true;             // button face
    case 16: role = QPalette::Dark; return true;               // button shadow
    case 17: group = QPalette::Disabled; role = QPalette::Text; return true;   // grey text
    case 18: role = QPalette::ButtonText; return true;         // button text
    case 19: group = QPalette::Disabled; role = QPalette::WindowText; return true; // inactive caption text
    case 20: role = QPalette::Light; return true;              // button highlight
    case 21: role = QPalette::Shadow; return true;             // 3D dark shadow
    case 22: role = QPalette::Midlight; return true;           // 3D light
    case 23: role = QPalette::ToolTipText; return true;        // tool-tip text
    case 24: role = QPalette::ToolTipBase; return true;        // tool-tip background
    case 26: role = QPalette::Link; return true;               // hot-tracked item
    case 27: role = QPalette::Highlight; return true;          // gradient of the active caption
    case 28: role = QPalette::Mid; return true;                // gradient of the inactive caption
    case 29: role = QPalette::Highlight; return true;          // menu highlight
    case 30: role = QPalette::Window; return true;             // menu bar
    default: return false;
    }
}

} // namespace

QColor WindowsColor::toQColor(quint32 value, const QPalette &palette)
{
    if (isSystemColor(value)) {
        QPalette::ColorGroup group;
        QPalette::ColorRole role;
        if ((value & 0x00FFFF00u) != 0 || !systemRole(value & 0xFFu, group, role))
            return {};
        return palette.color(group, role);
    }
    if ((value & 0xFF000000u) != 0)
        return {};
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

QColor WindowsColor::toQColor(quint32 value)
{
    return toQColor(value, QGuiApplication::palette());
}

quint32 WindowsColor::fromQColor(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return quint32(rgb.red()) | (quint32(rgb.green()) << 8) | (quint32(rgb.blue()) << 16);
}

} // namespace widgets

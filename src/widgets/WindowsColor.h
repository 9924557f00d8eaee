#pragma once

#include <QColor>
#include <QPalette>
#include <QtGlobal>

namespace widgets {

/// Colours as the system's settings and reports write them: Windows colour
/// values. A plain colour is 0x00BBGGRR (red 0x0000FF, blue 0xFF0000); a system
/// colour is 0x800000nn, nn being the index of a system colour (window text 8,
/// highlight 13, grey text 17, tool-tip background 24 ...), which maps to the
/// matching role of a Qt palette so that it follows the desktop theme.
class WindowsColor final
{
public:
    /// The QColor of a Windows colour value, system colours taken from
    /// `palette`. Values that are neither form give an invalid QColor, which
    /// callers treat as "no colour" (keep the default).
    static QColor toQColor(quint32 value, const QPalette &palette);
    /// As above, with the application's palette.
    static QColor toQColor(quint32 value);
    /// The plain Windows colour value (0x00BBGGRR) of a QColor.
    static quint32 fromQColor(const QColor &color);
    static bool isSystemColor(quint32 value) { return (value & 0xFF000000u) == 0x80000000u; }
};

} // namespace widgets

#pragma once

#include <QString>
#include <QtGlobal>

/// The toolbar as a report drives it: tools by id ("ID_undo"). The control
/// implements it over its toolbar; an id the toolbar does not have is ignored.
///
/// The members beyond enabling and checking have a default that does
/// nothing, for a toolbar that cannot show them (and for test doubles that do
/// not record them).
class ReportToolbar
{
public:
    virtual ~ReportToolbar() = default;
    virtual void setToolEnabled(const QString &id, bool enabled) = 0;
    /// 1 checked, 0 unchecked (check buttons).
    virtual void setToolState(const QString &id, int state) = 0;
    /// The state of a check button: 1 checked, 0 unchecked, and 0 for any
    /// other tool or an id the toolbar does not have.
    virtual int toolState(const QString &) const { return 0; }

    /// Shows or hides a tool. The toolbar outlives the report: a report that
    /// hides a tool every report uses shows it again when it is cleared.
    virtual void setToolVisible(const QString &id, bool visible) { Q_UNUSED(id) Q_UNUSED(visible) }
    /// Replaces a tool's caption until the next localisation of the toolbar.
    virtual void setToolCaption(const QString &id, const QString &caption) { Q_UNUSED(id) Q_UNUSED(caption) }
    /// A text tool: the figure it shows beside its caption, drawn in a
    /// Windows colour value (0x00BBGGRR, or 0x80000008 for the system's
    /// window-text colour) and given `width` pixels (0: as wide as it needs).
    virtual void setToolText(const QString &id, const QString &text, quint32 color, int width)
    {
        Q_UNUSED(id) Q_UNUSED(text) Q_UNUSED(color) Q_UNUSED(width)
    }
    /// The width in pixels `text` takes in the tool's font; 0 when the
    /// toolbar cannot measure it (no display, unknown id).
    virtual int toolTextWidth(const QString &id, const QString &text) const
    {
        Q_UNUSED(id) Q_UNUSED(text)
        return 0;
    }
};

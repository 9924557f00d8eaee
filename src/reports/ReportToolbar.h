#pragma once

#include <QString>

/// The toolbar as a report drives it: tools by id ("ID_undo"). The control
/// implements it over its toolbar; an id the toolbar does not have is ignored.
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
};

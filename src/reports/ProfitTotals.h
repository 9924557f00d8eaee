#pragma once

#include "Currency.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

class ReportToolbar;

/// The figures a profit report shows on its toolbar band "Profit_Loss": the
/// text tools "ID_Profit" and "ID_ProffitWithCommission", each showing an
/// amount (a grand total of the report) beside its caption.
///
/// An amount is shown in the session's value format (SessionContext's
/// ValueFormat), red (0x0000FF) when it is below zero and in the system's
/// window-text colour (0x80000008) otherwise, and the tool is made as wide as
/// its text followed by one "0" (so that the figure never touches the next
/// tool), measured by the toolbar in the tool's font.
///
/// The band's tools are hidden until a report shows them: setUpBand shows
/// the ones a report uses and hides the others, since the toolbar outlives
/// the report and the previous report's tools must not stay on it; clearBand
/// hides them all again when the report goes.
///
/// Works on the toolbar through ReportToolbar only, so it needs no display.
/// A null toolbar makes every call do nothing; the object does not own it.
class ProfitTotals final
{
public:
    static inline const QString ProfitTool = QStringLiteral("ID_Profit");
    static inline const QString CommissionTool = QStringLiteral("ID_ProffitWithCommission");
    /// The caption of "ID_ProffitWithCommission" in the reports where it
    /// shows the total at the central bank's rate.
    static inline const QString CbCaption = QStringLiteral("CB Profit/Loss");

    static constexpr quint32 NegativeColor = 0x0000FF;      ///< red
    static constexpr quint32 WindowTextColor = 0x80000008;  ///< the system's window-text colour

    /// Every tool of the band "Profit_Loss", in the order of the band.
    static const QStringList &bandTools();

    /// What a text tool shows for an amount: its text in a value format and
    /// its colour.
    struct Figure
    {
        QString text;
        quint32 color = WindowTextColor;
    };
    static Figure figure(data::Currency amount, const QString &valueFormat);

    explicit ProfitTotals(ReportToolbar *toolbar) : m_toolbar(toolbar) {}

    /// Shows the band's tools listed in `shown` and hides its others; enables
    /// the shown ones. Ids that are not on the band are ignored.
    void setUpBand(const QStringList &shown) const;
    /// Hides every tool of the band.
    void clearBand() const;
    /// Shows `amount` in text tool `id`, in the session's value format.
    void show(const QString &id, data::Currency amount) const;
    /// Shows 0 in both text tools.
    void showZero() const;
    /// Gives a text tool another caption ("CB Profit/Loss"); the figure stays.
    void setCaption(const QString &id, const QString &caption) const;

private:
    ReportToolbar *m_toolbar;
};

#include "ProfitTotals.h"
#include "ReportToolbar.h"

#include "NumberFormat.h"
#include "SessionContext.h"

const QStringList &ProfitTotals::bandTools()
{
    static const QStringList tools = {
        QStringLiteral("ID_AdminRate"),       QStringLiteral("ID_Profit"),
        QStringLiteral("ID_ReutersRate"),     QStringLiteral("ID_RateSource"),
        QStringLiteral("ID_WithRecalculate"), QStringLiteral("ID_WithCommission"),
        QStringLiteral("ID_ProffitWithCommission"),
    };
    return tools;
}

ProfitTotals::Figure ProfitTotals::figure(data::Currency amount, const QString &valueFormat)
{
    return {NumberFormat(valueFormat).format(amount),
            amount < data::Currency() ? NegativeColor : WindowTextColor};
}

void ProfitTotals::setUpBand(const QStringList &shown) const
{
    if (!m_toolbar)
        return;
    for (const QString &tool : bandTools()) {
        const bool on = shown.contains(tool);
        m_toolbar->setToolVisible(tool, on);
        if (on)
            m_toolbar->setToolEnabled(tool, true);
    }
}

void ProfitTotals::clearBand() const
{
    if (!m_toolbar)
        return;
    for (const QString &tool : bandTools())
        m_toolbar->setToolVisible(tool, false);
}

void ProfitTotals::show(const QString &id, data::Currency amount) const
{
    if (!m_toolbar)
        return;
    const Figure shown = figure(amount, SessionContext::instance().ValueFormat());
    m_toolbar->setToolText(id, shown.text, shown.color, m_toolbar->toolTextWidth(id, shown.text + QLatin1Char('0')));
}

void ProfitTotals::showZero() const
{
    show(ProfitTool, data::Currency());
    show(CommissionTool, data::Currency());
}

void ProfitTotals::setCaption(const QString &id, const QString &caption) const
{
    if (m_toolbar)
        m_toolbar->setToolCaption(id, caption);
}

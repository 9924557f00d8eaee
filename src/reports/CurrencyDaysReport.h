#pragma once

#include "DayRangeReport.h"

/// What the reports with one row per currency and value date and a summary
/// row per currency share (the cash flow, the dealers report and the deposit
/// position): the detail window's tool shown and the recalculation's hidden,
/// negative summaries bold red and other summaries bold blue (plain in the
/// summary view, which shows nothing else), a negative amount of the
/// report's main column red, and summary rows that sort after every value
/// date and show "Summary" as their date.
class CurrencyDaysReport : public DayRangeReport
{
    Q_OBJECT
public:
    void SetUtil(EventClass *Util) override;
    /// As Report, with the summaries bold among the value-date rows.
    void RebindTable() override;

protected:
    /// negativeColumn: the column whose negative amounts are red ("Daily").
    CurrencyDaysReport(const QString &appName, const ReportLogic &logic, const char *negativeColumn,
                       QObject *parent = nullptr);
    /// A summary row's date reads as 1 January 5000, so that it sorts after
    /// the currency's value dates, and shows "Summary" in place of it.
    const ShownRows &shownRows() const override;

private:
    const char *m_negativeColumn;
};

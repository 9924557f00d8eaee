#include "CurrencyDaysReport.h"

#include "ReportGrid.h"
#include "ReportToolbar.h"

#include "DateTime.h"

namespace {

const QDate SummarySortDate(5000, 1, 1);

/// A currency's summary row reads as 1 January 5000 in its date column, so
/// that it sorts after the currency's value dates, and shows "Summary" there.
class SummaryDays final : public ShownRows
{
public:
    QVariant cell(const ShownRow &row, int column, const QVariant &value) const override
    {
        if (column == row.layout.columnIndex("Date") && isSummary(row))
            return gridCellValue(data::Value(data::DateTime::fromDate(SummarySortDate)));
        return value;
    }
    void changeRow(const ShownRow &row, QVector<QVariant> &values) const override
    {
        const int date = row.layout.columnIndex("Date");
        if (date >= 0 && date < values.size() && isSummary(row))
            values[date] = QStringLiteral("Summary");
    }

private:
    static bool isSummary(const ShownRow &row)
    {
        return !row.display.Eof() && !row.display.Bof()
               && row.display.Fields(QStringLiteral("Summary")).value().toBool();
    }
};

const SummaryDays SummaryDayRows;

} // namespace

CurrencyDaysReport::CurrencyDaysReport(const QString &appName, const ReportLogic &logic, const char *negativeColumn,
                                       QObject *parent)
    : DayRangeReport(appName, logic, parent), m_negativeColumn(negativeColumn)
{
}

void CurrencyDaysReport::SetUtil(EventClass *Util)
{
    DayRangeReport::SetUtil(Util);
    if (Main_Menu) {
        Main_Menu->setToolVisible(QStringLiteral("ID_DetailWIndow"), true);
        Main_Menu->setToolVisible(QStringLiteral("ID_Recalculate"), false);
    }
    if (Main_Table) {
        // After the base's "Summ": a negative summary is red, not blue.
        Main_Table->addHighlight(QStringLiteral("NegSumm"), QStringLiteral("NegSumm"), true, 0x0000FF, true);
        Main_Table->addNegativeHighlight(QStringLiteral("Negative"), QString::fromLatin1(m_negativeColumn), 0x0000FF);
    }
    boldSummariesBesideDetails();
}

void CurrencyDaysReport::RebindTable()
{
    DayRangeReport::RebindTable();
    boldSummariesBesideDetails();
}

const ShownRows &CurrencyDaysReport::shownRows() const
{
    return SummaryDayRows;
}

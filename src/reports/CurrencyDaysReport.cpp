#include "CurrencyDaysReport.h"

#include "ReportGrid.h"
#include "ReportToolbar.h"

#include "DateTime.h"

namespace {

const QDate SummarySortDate(5000, 1, 1);

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

bool CurrencyDaysReport::isSummaryRow(int row) const
{
    const data::RecordsetPtr display = DisplayRecordset();
    return display && display->setAbsolutePosition(qint64(row) + 1)
           && display->Fields(QStringLiteral("Summary")).value().toBool();
}

QVariant CurrencyDaysReport::FitchData(int ColIndex, int RowBookmark)
{
    QVariant value = DayRangeReport::FitchData(ColIndex, RowBookmark);
    if (ColIndex == columnIndex("Date") && isSummaryRow(RowBookmark))
        value = gridCellValue(data::Value(data::DateTime::fromDate(SummarySortDate)));
    return value;
}

void CurrencyDaysReport::UnboundChangeData(QVector<QVariant> &Values)
{
    const data::RecordsetPtr display = DisplayRecordset();
    const int date = columnIndex("Date");
    if (display && !display->Eof() && !display->Bof() && date >= 0 && date < Values.size()
        && display->Fields(QStringLiteral("Summary")).value().toBool())
        Values[date] = QStringLiteral("Summary");
}

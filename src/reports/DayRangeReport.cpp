#include "DayRangeReport.h"

#include "DatabaseLookups.h"

void DayRangeReport::SetUtil(EventClass *Util)
{
    // Before the base shows the query, which sets what each date control allows.
    m_openTradeStart = DatabaseLookups::GetCustomEditValue();
    Report::SetUtil(Util);
    setToolEnabled(QStringLiteral("ID_DetailWIndow"), true);
    setToolEnabled(QStringLiteral("ID_Recalculate"), false);
    offerArchiveSwitch();
}

bool DayRangeReport::allowsAll(const FilterSlot &slot) const
{
    return slot.index == fcDateReport0 ? m_openTradeStart : Report::allowsAll(slot);
}

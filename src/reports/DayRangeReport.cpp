#include "DayRangeReport.h"

void DayRangeReport::SetUtil(EventClass *Util)
{
    Report::SetUtil(Util);
    setToolEnabled(QStringLiteral("ID_DetailWIndow"), true);
    setToolEnabled(QStringLiteral("ID_Recalculate"), false);
    offerArchiveSwitch();
}

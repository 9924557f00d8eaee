#pragma once

#include "CurrencyDaysReport.h"

/// The deposit position ("Depo Position"): the filtered deposits per
/// currency and start date, with the amounts given and taken, the net
/// position, the interest, the number of deals, the four average rates
/// (weighted by volume, and by volume and duration, for each side) and the
/// rolled-over and long deposits' volumes; a summary row per currency. The
/// report computes the rows from the procedure's deposits (cnt_DepoPosition),
/// one per deal; the detail window lists a row's deposits. Owner number 5.
///
/// The averages of the summary view are hidden: it shows each currency's
/// totals only.
class DepoPosition final : public CurrencyDaysReport
{
    Q_OBJECT
public:
    explicit DepoPosition(QObject *parent = nullptr);
};

#pragma once

#include "Profit_Loss.h"

/// The trading result of the US dollar / rouble book ("Profit/Loss
/// USD/RUB"): the profit and loss report over the deals between the two
/// currencies (cnt_ProfitLossUR, owner number 30), with its rows, rates,
/// totals and rate program; it has no currency or client selection.
///
/// Positions carried from earlier days show on a day without deals too:
/// they are still open, so the day still has a result.
class Profit_LossUSDRUB final : public Profit_Loss
{
    Q_OBJECT
public:
    explicit Profit_LossUSDRUB(QObject *parent = nullptr);
};

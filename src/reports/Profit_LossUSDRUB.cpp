#include "Profit_LossUSDRUB.h"

#include "ProfitLossLogic.h"

namespace {

constexpr const char *DealTypes[] = {"Spot", "Outright", "Swap"};

constexpr FilterSlot FilterSlots[] = {
    Slots::openDate(fcDateReport0, "Date"),
    Slots::relative(),
    Slots::dealTypes(DealTypes),
    Slots::counterparties(),
    Slots::dealers(),
    Slots::categories(),
    Slots::statuses(),
    Slots::attributes(),
};

class UsdRubLogic final : public ProfitLossLogic
{
public:
    QString procedure() const override { return QStringLiteral("cnt_ProfitLossUR"); }
    int owner() const override { return 30; }
    std::span<const FilterSlot> filterSlots() const override { return FilterSlots; }
};

const UsdRubLogic Logic;

} // namespace

Profit_LossUSDRUB::Profit_LossUSDRUB(QObject *parent)
    : Profit_Loss(QStringLiteral("Profit/Loss USD/RUB"), Logic, parent)
{
}

#include "RestoreQuery.h"

#include "DealVocabulary.h"
#include "Report.h"

namespace {

class ControlSetter
{
public:
    explicit ControlSetter(const std::array<FilterControl, FilterControlCount> &controls)
        : m_controls(controls) {}

    bool enabled(int index) const { return m_controls[size_t(index)].Enabled; }

    void set(int index, const char *role, const QVariant &value) const
    {
        const FilterControl &control = m_controls[size_t(index)];
        if (control.Enabled && control.Common)
            control.Common->setProperty(role, value);
    }

private:
    const std::array<FilterControl, FilterControlCount> &m_controls;
};

} // namespace

void RestoreQuery(Report &report, const std::array<FilterControl, FilterControlCount> &controls)
{
    const ControlSetter control(controls);
    Report &r = report;

    r.ValLong = r.StValLong;
    r.ValDate = r.StValDate;
    r.EndDate = r.StEndDate;
    r.EndLong = r.StEndLong;
    r.ValLong1 = r.StValLong1;
    r.ValDate1 = r.StValDate1;
    r.EndDate1 = r.StEndDate1;
    r.EndLong1 = r.StEndLong1;
    control.set(fcDateReport0, "RetDate", r.Relative ? r.ValLong : r.ValDate);
    control.set(fcDateReport1, "RetDate", r.Relative ? r.EndLong : r.EndDate);
    control.set(fcDateReport2, "RetDate", r.Relative ? r.ValLong1 : r.ValDate1);
    control.set(fcDateReport3, "RetDate", r.Relative ? r.EndLong1 : r.EndDate1);

    r.Deal = r.StDeal;
    control.set(fcDealBox, "ArrayChecked", r.Deal);

    r.Bank = r.StBank;
    control.set(fcCptyBox, "Titul", DealVocabulary::ListTitle(r.Bank));

    r.Pair = r.StPair;
    if (control.enabled(fcPairBox) && control.enabled(fcCcyBox)) {
        r.Pair2 = r.StPair2;
        control.set(fcPairBox, "ArrayChecked", r.Pair2);
        control.set(fcCcyBox, "ArrayChecked", r.Pair);
    } else {
        control.set(fcPairBox, "ArrayChecked", r.Pair);
        control.set(fcCcyBox, "ArrayChecked", r.Pair);
    }

    r.Dealer = r.StDealer;
    control.set(fcDealerBox, "ArrayChecked", r.Dealer);

    r.Netting = r.StNetting;
    control.set(fcComboNetting, "currentText", r.Netting);

    r.KeyArray = r.SKeyArray;
    control.set(fcLegendBox, "Titul", DealVocabulary::KeyTitle(r.KeyArray));

    r.Status = r.StStatus;
    control.set(fcStatusBox, "ArrayChecked", r.Status);

    r.LoroNostro = r.stLoroNostro;
    control.set(fcLoroNostro, "ArrayChecked", r.LoroNostro);

    r.TCID = r.StTCID;
    control.set(fcTCIDBox, "ArrayChecked", r.TCID);

    r.Attributes = r.StAttributes;
    control.set(fcListAttrib, "ArrayChecked", r.Attributes);

    control.set(fcClientBox, "ArrayChecked", r.Client);
}

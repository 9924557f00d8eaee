#include "DealersReport.h"

#include "CashFlowLogic.h"

#include "Recordset.h"

namespace {

const CashFlowLogic Logic(72, {});

} // namespace

DealersReport::DealersReport(QObject *parent) : CashFlowReport(QStringLiteral("Dealers Report"), Logic, parent) {}

data::RecordsetPtr DealersReport::GetDetRecForPrint() const
{
    if (!DetRecordset)
        return nullptr;
    auto print = std::make_shared<data::Recordset>();
    print->setCursorLocation(data::adUseClient);
    print->setCursorType(data::adOpenStatic);
    auto fields = print->Fields();
    const auto deals = DetRecordset->Fields();
    for (int i = 0; i < deals.Count(); ++i) {
        const data::Field field = deals.Item(i);
        fields.Append(field.Name(), field.Type(), field.DefinedSize());
    }
    if (!print->Open())
        return nullptr;
    return print;
}

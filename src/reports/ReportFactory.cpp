#include "ReportFactory.h"

#include "BrokersPosition.h"
#include "CashFlow.h"
#include "CurrencyPosition.h"
#include "DealersReport.h"
#include "DepoPosition.h"
#include "DepoReport.h"
#include "ForwardPosition.h"
#include "Netting.h"
#include "OpenPosition.h"
#include "ProfitCurrency.h"
#include "Profit_Loss.h"
#include "Profit_LossDepo.h"
#include "Profit_LossRange.h"
#include "Profit_LossUSDRUB.h"
#include "ReportClasses.h"
#include "SingleCurrency.h"

#include <QMetaEnum>

namespace ReportFactory {

std::unique_ptr<Report> createReport(int windowType)
{
    switch (windowType) {
    case dmOpenPosition: return std::make_unique<OpenPosition>();
    case dmForwardPosition: return std::make_unique<ForwardPosition>();
    case dmSingleCurrency: return std::make_unique<SingleCurrency>();
    case dmDepoPosition: return std::make_unique<DepoPosition>();
    case dmCashFlow: return std::make_unique<CashFlow>();
    case dmCurrencyPosition: return std::make_unique<CurrencyPosition>();
    case dmPairCounterparty: return std::make_unique<Profit_LossUSDRUB>();
    case dmNetting: return std::make_unique<Netting>();
    case dmProffit: return std::make_unique<Profit_Loss>();
    case dmProfitDepo: return std::make_unique<Profit_LossDepo>();
    case dmProfitRange: return std::make_unique<Profit_LossRange>();
    case dmProfitDepoRange: return std::make_unique<Profit_LossDepoRange>();
    case dmBrokerPosition: return std::make_unique<BrokersPosition>();
    case dmProfitCurrency: return std::make_unique<ProfitCurrency>();
    default: return nullptr;
    }
}

std::unique_ptr<Report> createReportByClass(const QString &className)
{
    if (className.compare(QLatin1String("DealersReport"), Qt::CaseInsensitive) == 0)
        return std::make_unique<DealersReport>();
    if (className.compare(QLatin1String("DepoReport"), Qt::CaseInsensitive) == 0)
        return std::make_unique<DepoReport>();
    return nullptr;
}

QStringList reportClasses()
{
    return {QStringLiteral("DealersReport"), QStringLiteral("DepoReport")};
}

bool isReportClass(const QString &className)
{
    return createReportByClass(className) != nullptr;
}

std::optional<int> windowTypeFromText(const QString &text)
{
    const QMetaEnum types = QMetaEnum::fromType<AppType>();
    bool isNumber = false;
    const int number = text.toInt(&isNumber);
    if (isNumber)
        return number;
    bool known = false;
    const int value = types.keyToValue(text.toLatin1().constData(), &known);
    if (known)
        return value;
    for (int i = 0; i < types.keyCount(); ++i) {
        if (const std::unique_ptr<Report> report = createReport(types.value(i));
            report && report->App_Name.compare(text, Qt::CaseInsensitive) == 0)
            return types.value(i);
    }
    return std::nullopt;
}

} // namespace ReportFactory

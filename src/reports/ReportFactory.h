#pragma once

#include "marvolt_export.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class Report;

/// The report kinds a host chooses with WindowType, and the report class
/// each creates.
namespace ReportFactory {
Q_NAMESPACE_EXPORT(MARVOLT_EXPORT)

enum AppType : int {
    dmOpenPosition = 0,
    dmForwardPosition = 1,
    dmSingleCurrency = 2,
    dmDepoPosition = 3,
    dmCashFlow = 4,
    dmCurrencyPosition = 5,
    dmCurrencyCounterparty = 6,
    dmPairCounterparty = 7,
    dmNetting = 8,
    dmProffit = 9,
    dmProfitDepo = 10,
    dmProfitRange = 11,
    dmProfitDepoRange = 12,
    dmBrokerPosition = 13,
    dmProfitCurrency = 14,
};
Q_ENUM_NS(AppType)

/// The report for a WindowType value; null for 6 (dmCurrencyCounterparty)
/// and for values outside the table. Value 7 creates the USD/RUB profit and
/// loss report although its enumerator is named dmPairCounterparty.
MARVOLT_EXPORT std::unique_ptr<Report> createReport(int windowType);

/// A report that no WindowType value creates, by its class name
/// ("DealersReport", "DepoReport"), compared without regard to case; null
/// for any other.
MARVOLT_EXPORT std::unique_ptr<Report> createReportByClass(const QString &className);
/// Whether createReportByClass() knows the class name.
MARVOLT_EXPORT bool isReportClass(const QString &className);
/// Every class name createReportByClass() knows.
MARVOLT_EXPORT QStringList reportClasses();

/// The WindowType value for a number ("0"), an enumerator name
/// ("dmOpenPosition") or a report's registry name ("Currency Pairs");
/// nothing when the text names no report kind.
MARVOLT_EXPORT std::optional<int> windowTypeFromText(const QString &text);

} // namespace ReportFactory

#pragma once

#include <QString>
#include <QVariant>
#include <QtGlobal>

/// The texts and colours the ticket window shows for a deal's coded fields.
namespace TicketText {

/// What a value label shows for a field that is missing or of the wrong kind.
inline const QString ErrorText = QStringLiteral("<<Error>>");

/// A tenor code as the dealers write it: 0 "Brokn", 1 "Today", 2 "Tomor",
/// 3 "AftTom", 4 "Spot", 5 "Sp+1"; 11 to 14 weeks ("2 W"), 21 to 80 months
/// ("3 M"), 101 to 199 years ("1 Y"); "????" for any other code and
/// ErrorText for none.
QString periodName(const QVariant &code);

/// The broker: "BrokerName (BrokerID)", " (No Broker)" standing for a
/// missing part; "No Broker (No Broker)" for a deal without a broker.
QString brokerText(const QVariant &brokerId, const QVariant &brokerName);

/// The colour (a Windows colour value) a status is drawn in: green for 0
/// and 1, black for 2, 5 and 6, red for 3, 4 and 8, silver for 7; the
/// window-text colour for a status without one (the deleted, faulty and
/// service deals have negative numbers).
quint32 statusColor(int status);

/// The side of a deal by its DealType code (2 sold or given, 1 bought or
/// taken): "Sell" or "Buy" for the FX deals, "Give" or "Take" for a
/// deposit or an FRA; "????" for another code.
QString sideName(int pureDealType, int dealType);

} // namespace TicketText

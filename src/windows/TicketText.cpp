#include "TicketText.h"

#include <array>

namespace TicketText {

namespace {

constexpr quint32 Green = 0x008000, Black = 0x000000, Red = 0x0000FF, Silver = 0xC0C0C0;
constexpr quint32 WindowText = 0x80000008;
constexpr std::array<quint32, 9> StatusColors = {Green, Green, Black, Red, Red, Black, Black, Silver, Red};

constexpr int Deposit = 16;
constexpr int Fra = 32;
constexpr int SellOrGive = 2;
constexpr int BuyOrTake = 1;

} // namespace

QString periodName(const QVariant &code)
{
    bool ok = false;
    const int value = code.toInt(&ok);
    if (code.isNull() || !ok)
        return ErrorText;
    static const char *const Named[] = {"Brokn", "Today", "Tomor", "AftTom", "Spot", "Sp+1"};
    if (value >= 0 && value <= 5)
        return QString::fromLatin1(Named[value]);
    if (value >= 11 && value <= 14)
        return QString::number(value - 10) + QStringLiteral(" W");
    if (value >= 21 && value <= 80)
        return QString::number(value - 20) + QStringLiteral(" M");
    if (value >= 101 && value <= 199)
        return QString::number(value - 100) + QStringLiteral(" Y");
    return QStringLiteral("????");
}

QString brokerText(const QVariant &brokerId, const QVariant &brokerName)
{
    const QString none = QStringLiteral("No Broker");
    if (brokerId.isNull())
        return none + QStringLiteral(" (") + none + QLatin1Char(')');
    const QString name = brokerName.isNull() ? QString() : brokerName.toString();
    return name + QStringLiteral(" (") + (brokerId.toString().isEmpty() ? none : brokerId.toString()) + QLatin1Char(')');
}

quint32 statusColor(int status)
{
    if (status < 0 || status >= int(StatusColors.size()))
        return WindowText;
    return StatusColors[size_t(status)];
}

QString sideName(int pureDealType, int dealType)
{
    const bool money = pureDealType == Deposit || pureDealType == Fra;
    if (dealType == SellOrGive)
        return money ? QStringLiteral("Give") : QStringLiteral("Sell");
    if (dealType == BuyOrTake)
        return money ? QStringLiteral("Take") : QStringLiteral("Buy");
    return QStringLiteral("????");
}

} // namespace TicketText

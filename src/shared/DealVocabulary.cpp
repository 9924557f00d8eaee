#include "DealVocabulary.h"

#include <array>
#include <utility>

namespace DealVocabulary {

namespace {

struct StatusEntry
{
    qint16 code;
    const char *name;
};

constexpr std::array<StatusEntry, 8> statuses{{
    {4, "Recoil"},
    {3, "Checked"},
    {2, "Manual"},
    {1, "Replacement"},
    {0, "Non Checked"},
    {-1, "Deleted"},
    {-2, "Faulty"},
    {-4, "Service"},
}};

constexpr std::array<std::pair<const char *, quint8>, 5> dealTypes{{
    {"Spot", 2},
    {"Outright", 4},
    {"Swap", 8},
    {"Deposit", 16},
    {"FRA", 32},
}};

} // namespace

quint8 DealTypeCode(const QString &text)
{
    for (const auto &[name, code] : dealTypes) {
        if (text == QLatin1String(name))
            return code;
    }
    return 0;
}

qint16 StatusCode(const QString &text)
{
    for (const StatusEntry &entry : statuses) {
        if (text == QLatin1String(entry.name))
            return entry.code;
    }
    return 0;
}

QString StatusName(int code)
{
    for (const StatusEntry &entry : statuses) {
        if (entry.code == code)
            return QString::fromLatin1(entry.name);
    }
    return QStringLiteral("Unidentified");
}

int LoroNostroCode(const QString &text)
{
    if (text.compare(QLatin1String("LORO"), Qt::CaseInsensitive) == 0)
        return 2;
    if (text.compare(QLatin1String("NOSTRO"), Qt::CaseInsensitive) == 0)
        return 1;
    return 0;
}

QString ListTitle(const QStringList &selection)
{
    if (selection.isEmpty())
        return QStringLiteral("All");
    if (selection.size() == 1)
        return selection.first();
    return QStringLiteral("List");
}

QString KeyTitle(const QStringList &selection)
{
    if (selection.size() == 1)
        return selection.first().section(QLatin1Char('|'), -1);
    return ListTitle(selection);
}

} // namespace DealVocabulary

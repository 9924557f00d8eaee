#include "QueryValues.h"

#include "Clock.h"

#include <QDateTime>

#include <type_traits>

namespace {

bool isText(const QVariant &v)
{
    return v.metaType().id() == QMetaType::QString;
}

bool isAllText(const QVariant &v)
{
    return isText(v) && v.toString().compare(QueryValues::allText(), Qt::CaseInsensitive) == 0;
}

// ---- conversions to each kind of field -------------------------------------------

std::optional<bool> toBool(const QVariant &v)
{
    if (v.metaType().id() == QMetaType::Bool)
        return v.toBool();
    if (isText(v)) {
        const QString text = v.toString().trimmed();
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
    }
    bool isNumber = false;
    const qlonglong number = v.toLongLong(&isNumber);
    if (isNumber)
        return number != 0;
    return std::nullopt;
}

/// A date bound: a date, or "All".
std::optional<QVariant> toDateBound(const QVariant &v)
{
    if (isAllText(v))
        return QVariant(QueryValues::allText());
    if (v.metaType().id() == QMetaType::QDate && v.toDate().isValid())
        return v;
    if (v.metaType().id() == QMetaType::QDateTime && v.toDateTime().isValid())
        return QVariant(v.toDateTime().date());
    if (isText(v)) {
        const QDate date = QDate::fromString(v.toString().trimmed(), Qt::ISODate);
        if (date.isValid())
            return QVariant(date);
    }
    return std::nullopt;
}

/// A day offset: a whole number of days, or "All".
std::optional<QVariant> toOffset(const QVariant &v)
{
    if (isAllText(v))
        return QVariant(QueryValues::allText());
    bool isNumber = false;
    const int days = isText(v) ? v.toString().trimmed().toInt(&isNumber) : v.toInt(&isNumber);
    if (isNumber && (isText(v) || v.toDouble() == days))
        return QVariant(days);
    return std::nullopt;
}

std::optional<QStringList> toStringList(const QVariant &v)
{
    switch (v.metaType().id()) {
    case QMetaType::QStringList:
        return v.toStringList();
    case QMetaType::QString:
        return QStringList{v.toString()};
    case QMetaType::QVariantList: {
        QStringList list;
        for (const QVariant &entry : v.toList()) {
            if (!entry.canConvert<QString>())
                return std::nullopt;
            list.append(entry.toString());
        }
        return list;
    }
    default:
        return std::nullopt;
    }
}

std::optional<QString> toText(const QVariant &v)
{
    if (!v.canConvert<QString>() || v.metaType().id() == QMetaType::QStringList)
        return std::nullopt;
    return v.toString();
}

std::optional<QVariantList> toVariantList(const QVariant &v)
{
    if (v.metaType().id() == QMetaType::QVariantList)
        return v.toList();
    if (v.metaType().id() == QMetaType::QStringList) {
        QVariantList list;
        for (const QString &entry : v.toStringList())
            list.append(entry);
        return list;
    }
    return std::nullopt;
}

// ---- the field table ----------------------------------------------------------------

template <auto Member>
QVariant get(const QueryValues &q)
{
    return QVariant::fromValue(q.*Member);
}

template <auto Member, auto Convert>
bool set(QueryValues &q, const QVariant &v)
{
    const auto converted = Convert(v);
    if (!converted)
        return false;
    q.*Member = *converted;
    return true;
}

using Q = QueryValues;
using F = Q::Field;

template <auto Member>
constexpr QStringList Q::*listMember()
{
    if constexpr (std::is_same_v<std::remove_cvref_t<decltype(std::declval<Q &>().*Member)>, QStringList>)
        return Member;
    else
        return nullptr;
}

#define MARVOLT_FIELD(name, committed, kind, partner, convert) \
    F { #name, committed, F::kind, partner, listMember<&Q::name>(), get<&Q::name>, set<&Q::name, convert> }

const Q::Field Fields[] = {
    MARVOLT_FIELD(Relative, nullptr, Bool, nullptr, toBool),
    MARVOLT_FIELD(ValDate, "StValDate", DateBound, "ValLong", toDateBound),
    MARVOLT_FIELD(ValLong, "StValLong", DayOffset, "ValDate", toOffset),
    MARVOLT_FIELD(EndDate, "StEndDate", DateBound, "EndLong", toDateBound),
    MARVOLT_FIELD(EndLong, "StEndLong", DayOffset, "EndDate", toOffset),
    MARVOLT_FIELD(Netting, "StNetting", Text, nullptr, toText),
    MARVOLT_FIELD(Deal, "StDeal", List, nullptr, toStringList),
    MARVOLT_FIELD(Pair, "StPair", List, nullptr, toStringList),
    MARVOLT_FIELD(Pair2, "StPair2", List, nullptr, toStringList),
    MARVOLT_FIELD(Bank, "StBank", List, nullptr, toStringList),
    MARVOLT_FIELD(Dealer, "StDealer", List, nullptr, toStringList),
    MARVOLT_FIELD(KeyArray, "SKeyArray", List, nullptr, toStringList),
    MARVOLT_FIELD(Category, "StCategory", List, nullptr, toStringList),
    MARVOLT_FIELD(Status, "StStatus", List, nullptr, toStringList),
    MARVOLT_FIELD(TypeDate, "StTypeDate", Text, nullptr, toText),
    MARVOLT_FIELD(LoroNostro, "stLoroNostro", List, nullptr, toStringList),
    MARVOLT_FIELD(TCID, "StTCID", List, nullptr, toStringList),
    MARVOLT_FIELD(Attributes, "StAttributes", List, nullptr, toStringList),
    MARVOLT_FIELD(ValDate1, "StValDate1", DateBound, "ValLong1", toDateBound),
    MARVOLT_FIELD(ValLong1, "StValLong1", DayOffset, "ValDate1", toOffset),
    MARVOLT_FIELD(EndDate1, "StEndDate1", DateBound, "EndLong1", toDateBound),
    MARVOLT_FIELD(EndLong1, "StEndLong1", DayOffset, "EndDate1", toOffset),
    MARVOLT_FIELD(Client, "stClient", List, nullptr, toStringList),
    MARVOLT_FIELD(CcyIDArray, nullptr, IdList, nullptr, toVariantList),
    MARVOLT_FIELD(PairIDArray, nullptr, IdList, nullptr, toVariantList),
    MARVOLT_FIELD(DeskIDArray, nullptr, IdList, nullptr, toVariantList),
    MARVOLT_FIELD(AttributesID, nullptr, IdList, nullptr, toVariantList),
};

#undef MARVOLT_FIELD

} // namespace

QueryValues::QueryValues() : ValDate(Clock::today()) {}

bool QueryValues::isAll(const QStringList &list)
{
    return list.isEmpty() || list.constFirst() == allText();
}

bool QueryValues::isAll(const QVariant &bound)
{
    return isAllText(bound);
}

QDate QueryValues::boundDate(const QVariant &date, const QVariant &offset, QDate today) const
{
    if (isAll(date) || isAll(offset))
        return {};
    return Relative ? today.addDays(offset.toInt()) : date.toDate();
}

std::span<const QueryValues::Field> QueryValues::fields()
{
    return Fields;
}

const QueryValues::Field *QueryValues::field(const QString &name, bool *committed)
{
    for (const Field &f : Fields) {
        const bool isWorking = name.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0;
        const bool isCommitted =
            f.committedName && name.compare(QLatin1String(f.committedName), Qt::CaseInsensitive) == 0;
        if (isWorking || isCommitted) {
            if (committed)
                *committed = isCommitted;
            return &f;
        }
    }
    return nullptr;
}

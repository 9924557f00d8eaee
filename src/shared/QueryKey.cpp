#include "QueryKey.h"

#include "RegistryAccess.h"
#include "RegistrySettings.h"


QueryKey::QueryKey(const QString &appName, const QString &filterName)
    : m_appName(appName)
{
    if (appName.isEmpty())
        return;
    if (filterName == currentQueryName())
        m_path = RegistrySettings::ReportKey(appName) + QLatin1Char('\\') + filterName;
    else if (!filterName.isEmpty())
        m_path = RegistrySettings::StoredFiltersKey(appName) + QLatin1Char('\\') + filterName;
}

QString QueryKey::categoryPath() const
{
    return m_path + QStringLiteral("\\Category");
}

QVariant QueryKey::readValue(const QString &valueName, const QVariant &defaultValue) const
{
    if (!isValid())
        return defaultValue;
    return RegistryAccess::instance().ReadValue(m_path, valueName, defaultValue);
}

bool QueryKey::writeValue(const QString &valueName, const QVariant &value) const
{
    if (isNull())
        return true;
    if (!isValid())
        return false;
    return RegistryAccess::instance().WriteValue(m_path, valueName, value);
}

std::span<const QueryKey::Bound> QueryKey::valueDateBound()
{
    static const Bound bounds[] = {{"Value Date", &QueryValues::EndDate, &QueryValues::EndLong, true}};
    return bounds;
}

std::span<const QueryKey::Bound> QueryKey::endDateBound()
{
    static const Bound bounds[] = {{"End Date", &QueryValues::EndDate, &QueryValues::EndLong, true}};
    return bounds;
}

std::span<const QueryKey::Bound> QueryKey::rangeEndBound()
{
    static const Bound bounds[] = {{"EndDate", &QueryValues::EndDate, &QueryValues::EndLong, true}};
    return bounds;
}

void QueryKey::read(QueryValues *q, std::span<const Bound> bounds) const
{
    q->Relative = readRelative();
    // Absent: a relative query for today.
    const QueryDate date = readDate(dateName(), QueryDate::fromOffset(0));
    q->ValDate = date.dateValue();
    q->ValLong = date.offsetValue();
    for (const Bound &bound : bounds) {
        const QueryDate value = readDate(QString::fromLatin1(bound.valueName),
                                         bound.openByDefault ? QueryDate::all() : QueryDate::fromOffset(0));
        q->*bound.date = value.dateValue();
        q->*bound.offset = value.offsetValue();
    }
    q->Dealer = readList(dealerName());
    q->Deal = readList(dealName());
    q->Bank = readList(bankName());
    q->Attributes = readList(advancedAttributesName());
    q->Pair = readList(pairName());
    q->Netting = readText(nettingName());
    q->Category = readCategory();
    q->Status = readList(statusName());
    q->TCID = readList(localTcidName());
    q->Client = readList(clientName());
}

QueryValues QueryKey::read() const
{
    QueryValues q;
    read(&q);
    return q;
}

bool QueryKey::write(const QueryValues &q, std::span<const Bound> bounds) const
{
    if (isNull())
        return true;
    if (!isValid())
        return false;
    const QueryDate date = QueryDate::fromFields(q.ValDate, q.ValLong, q.Relative);
    RegistryAccess::Batch batch(RegistryAccess::instance());
    bool written = writeRelative(q.Relative) && writeDate(dateName(), date, q.Relative);
    for (const Bound &bound : bounds) {
        written = written
                  && writeDate(QString::fromLatin1(bound.valueName),
                               QueryDate::fromFields(q.*bound.date, q.*bound.offset, q.Relative), q.Relative);
    }
    written = written && writeList(dealerName(), q.Dealer) && writeList(dealName(), q.Deal)
                         && writeList(advancedAttributesName(), q.Attributes)
                         && writeList(bankName(), q.Bank) && writeList(pairName(), q.Pair)
                         && writeCategory(q.Category) && writeText(nettingName(), q.Netting)
                         && writeList(statusName(), q.Status) && writeList(localTcidName(), q.TCID)
                         && writeList(clientName(), q.Client);
    return written && batch.commit();
}

bool QueryKey::readRelative() const
{
    return readValue(relativeName(), true).toBool();
}

QueryDate QueryKey::readDate(const QString &valueName, const QueryDate &defaultValue) const
{
    const QVariant stored = readValue(valueName, QVariant());
    if (!stored.isValid())
        return defaultValue;
    // The stored form decides, not "Relative": a value written by hand or by
    // an older version in the other form still means the same day.
    if (const std::optional<QueryDate> date = QueryDate::fromStoredValue(stored))
        return *date;
    qCWarning(lcRegistry).noquote() << "Stored query" << m_path << "has an unusable" << valueName
                                    << "value" << stored.toString() << "; its default is used";
    return defaultValue;
}

QStringList QueryKey::readList(const QString &valueName) const
{
    const QVariant stored = readValue(valueName, QueryDate::allText());
    if (stored.metaType().id() == QMetaType::QStringList)
        return stored.toStringList();
    return splitList(stored.toString());
}

bool QueryKey::readBool(const QString &valueName, bool defaultValue) const
{
    return readValue(valueName, defaultValue).toBool();
}

QString QueryKey::readText(const QString &valueName) const
{
    return readValue(valueName, QueryDate::allText()).toString();
}

QStringList QueryKey::readCategory() const
{
    if (!isValid())
        return {};
    RegistryValues values = RegistryAccess::instance().ReadValues(categoryPath());
    // Stored under the names 0, 1, 2 ...: their number is the order, whatever
    // order the values were written in.
    RegistrySettings::SortByNumberedName(values);
    QStringList categories;
    categories.reserve(values.size());
    for (const RegistryValue &v : values)
        categories.append(v.data.toString());
    return categories;
}

bool QueryKey::writeRelative(bool relative) const
{
    return writeValue(relativeName(), relative);
}

bool QueryKey::writeDate(const QString &valueName, const QueryDate &date, bool relative) const
{
    return writeValue(valueName, date.storedValue(relative));
}

bool QueryKey::writeList(const QString &valueName, const QStringList &list) const
{
    return writeValue(valueName, joinList(list));
}

bool QueryKey::writeText(const QString &valueName, const QString &text) const
{
    return writeValue(valueName, text);
}

bool QueryKey::writeBool(const QString &valueName, bool value) const
{
    return writeValue(valueName, value);
}

bool QueryKey::writeCategory(const QStringList &categories) const
{
    if (isNull())
        return true;
    if (!isValid())
        return false;
    RegistryAccess &store = RegistryAccess::instance();
    RegistryValues values;
    values.reserve(categories.size());
    for (qsizetype i = 0; i < categories.size(); ++i)
        values.append({QString::number(i), categories.at(i)});

    RegistryAccess::Batch batch(store);
    if (!store.DeleteKey(categoryPath()))
        return false;
    if (!values.isEmpty() && !store.WriteValues(categoryPath(), values))
        return false;
    return batch.commit();
}

QString QueryKey::joinList(const QStringList &list)
{
    return list.join(QLatin1Char('|'));
}

QStringList QueryKey::splitList(const QString &text)
{
    if (text.isEmpty())
        return {};
    return text.split(QLatin1Char('|'));
}

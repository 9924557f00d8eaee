#include "QueryFieldWriter.h"

#include "FilterSlot.h"
#include "Report.h"

#include "Clock.h"

#include "CheckCombo.h"

#include <QMetaProperty>

namespace {

QStringList splitList(const QString &value)
{
    QStringList entries;
    for (const QString &part : value.split(QLatin1Char('|'))) {
        const QString entry = part.trimmed();
        if (!entry.isEmpty())
            entries.append(entry);
    }
    return entries;
}

std::optional<bool> parseBool(const QString &value)
{
    if (value.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 || value == QLatin1String("1")
        || value == QLatin1String("-1"))
        return true;
    if (value.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0 || value == QLatin1String("0"))
        return false;
    return std::nullopt;
}

/// The report's switches: its own boolean properties (WithArchive ...).
QStringList switchNames(const Report &report)
{
    QStringList names;
    const QMetaObject *meta = report.metaObject();
    for (int i = QObject::staticMetaObject.propertyCount(); i < meta->propertyCount(); ++i) {
        if (meta->property(i).typeId() == QMetaType::Bool)
            names.append(QString::fromLatin1(meta->property(i).name()));
    }
    return names;
}

} // namespace

QueryFieldWriter::QueryFieldWriter(Report &report, const Slots &controls)
    : m_report(report), m_controls(controls)
{
}

QStringList QueryFieldWriter::fieldNames() const
{
    QStringList names;
    for (const QueryValues::Field &field : QueryValues::fields())
        names.append(QString::fromLatin1(field.name));
    return names + switchNames(m_report);
}

bool QueryFieldWriter::write(const QString &name, const QString &text)
{
    m_error.clear();
    const QString value = text.trimmed();
    for (const QString &switchName : switchNames(m_report)) {
        if (name.compare(switchName, Qt::CaseInsensitive) == 0)
            return writeSwitch(qPrintable(switchName), value);
    }
    bool committed = false;
    const QueryValues::Field *field = QueryValues::field(name, &committed);
    if (!field || committed)
        return fail(QStringLiteral("unknown query field \"%1\" (known: %2)")
                        .arg(name, fieldNames().join(QStringLiteral(", "))));

    bool written = false;
    switch (field->kind) {
    case QueryValues::Field::DateBound:
    case QueryValues::Field::DayOffset:
        written = writeDate(QString::fromLatin1(field->name), value);
        break;
    case QueryValues::Field::Bool: {
        const std::optional<bool> flag = parseBool(value);
        if (!flag)
            return fail(QStringLiteral("%1: \"%2\" is not True or False").arg(QLatin1String(field->name), value));
        written = m_report.setQueryField(QString::fromLatin1(field->name), *flag);
        break;
    }
    case QueryValues::Field::List: {
        int slot = -1;
        for (const FilterSlot &declared : m_report.logic().filterSlots()) {
            if (declared.names && declared.names == field->list)
                slot = declared.index;
        }
        QStringList entries;
        if (!checkedEntries(field->name, slot, text, &entries))
            return false;
        written = m_report.setQueryField(QString::fromLatin1(field->name), entries);
        break;
    }
    case QueryValues::Field::Text:
        written = m_report.setQueryField(QString::fromLatin1(field->name), value);
        break;
    case QueryValues::Field::IdList: {
        QVariantList ids;
        for (const QString &entry : splitList(value)) {
            bool isNumber = false;
            const qlonglong id = entry.toLongLong(&isNumber);
            ids.append(isNumber ? QVariant(id) : QVariant(entry));
        }
        written = m_report.setQueryField(QString::fromLatin1(field->name), ids);
        break;
    }
    }
    if (!written)
        return m_error.isEmpty() ? fail(QStringLiteral("%1: \"%2\" does not suit the field").arg(name, value)) : false;
    m_report.showQueryInPanel();
    return true;
}

bool QueryFieldWriter::writeDate(const QString &field, const QString &value)
{
    const DateSlotFields *slot = dateSlotOfField(field);
    Q_ASSERT(slot);
    const QDate today = Clock::today();
    QVariant date;
    QVariant offset;
    bool isNumber = false;
    const int days = value.toInt(&isNumber);
    if (value.compare(QueryValues::allText(), Qt::CaseInsensitive) == 0) {
        // The report's slot says whether the bound may stay open; a date the
        // report does not show takes "All" as it is.
        bool allowed = true;
        for (const FilterSlot &declared : m_report.logic().filterSlots()) {
            if (declared.index == slot->index)
                allowed = declared.allowAll;
        }
        if (!allowed)
            return fail(QStringLiteral("%1: this report needs a date, not All").arg(field));
        date = offset = QueryValues::allText();
    } else if (isNumber) {
        date = today.addDays(days);
        offset = days;
    } else {
        const QDate parsed = QDate::fromString(value, Qt::ISODate);
        if (!parsed.isValid())
            return fail(QStringLiteral("%1: \"%2\" is not a date (yyyy-MM-dd), a day count or All").arg(field, value));
        date = parsed;
        offset = int(today.daysTo(parsed));
    }
    return m_report.setQueryField(QString::fromLatin1(slot->date), date)
           && m_report.setQueryField(QString::fromLatin1(slot->offset), offset);
}

bool QueryFieldWriter::writeSwitch(const char *property, const QString &value)
{
    const std::optional<bool> flag = parseBool(value);
    if (!flag)
        return fail(QStringLiteral("%1: \"%2\" is not True or False").arg(QLatin1String(property), value));
    m_report.setProperty(property, *flag);
    return true;
}

bool QueryFieldWriter::checkedEntries(const char *field, int slot, const QString &value, QStringList *entries)
{
    *entries = splitList(value);
    if (entries->isEmpty())
        return fail(QStringLiteral("%1: an empty list (use All for no restriction)").arg(QLatin1String(field)));
    if (entries->first().compare(QueryValues::allText(), Qt::CaseInsensitive) == 0) {
        *entries = {QueryValues::allText()};
        return true;
    }
    auto *box = slot < 0 ? nullptr : qobject_cast<widgets::CheckCombo *>(m_controls[size_t(slot)].Common.data());
    if (!box || box->itemCountWithoutAll() == 0)
        return true;
    QStringList known;
    for (int i = 0; i < box->itemCountWithoutAll(); ++i)
        known.append(box->itemText(i));
    for (QString &entry : *entries) {
        const auto match = std::find_if(known.cbegin(), known.cend(), [&entry](const QString &item) {
            return item.compare(entry, Qt::CaseInsensitive) == 0;
        });
        if (match == known.cend())
            return fail(QStringLiteral("%1: \"%2\" is not in the list (%3)")
                            .arg(QLatin1String(field), entry, known.join(QStringLiteral(", "))));
        entry = *match;
    }
    return true;
}

bool QueryFieldWriter::fail(const QString &reason)
{
    m_error = reason;
    return false;
}

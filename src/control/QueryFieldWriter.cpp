#include "QueryFieldWriter.h"

#include "Clock.h"
#include "DealVocabulary.h"
#include "Report.h"

#include "CheckCombo.h"
#include "RelDate.h"

#include <QComboBox>

namespace {

const QString All = QStringLiteral("All");

struct DateField
{
    const char *date;
    const char *offset;
    int slot;
};

const DateField DateFields[] = {
    {"ValDate", "ValLong", fcDateReport0},
    {"EndDate", "EndLong", fcDateReport1},
    {"ValDate1", "ValLong1", fcDateReport2},
    {"EndDate1", "EndLong1", fcDateReport3},
};

struct BoxField
{
    const char *name;
    int slot;
    const char *ids;   // nullptr: the report keeps no identifiers for it
};

const BoxField BoxFields[] = {
    {"Dealer", fcDealerBox, nullptr},     {"Deal", fcDealBox, nullptr},
    {"Pair2", fcPairBox, "PairIDArray"},  {"Status", fcStatusBox, "DeskIDArray"},
    {"TCID", fcTCIDBox, nullptr},         {"Attributes", fcListAttrib, "AttributesID"},
    {"LoroNostro", fcLoroNostro, nullptr}, {"Client", fcClientBox, nullptr},
};

const char *const PlainLists[] = {"Bank", "KeyArray", "Category"};
const char *const IdLists[] = {"CcyIDArray", "PairIDArray", "DeskIDArray", "AttributesID"};

bool same(const QString &a, const char *b)
{
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

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

} // namespace

QueryFieldWriter::QueryFieldWriter(Report &report, const Slots &controls)
    : m_report(report), m_controls(controls)
{
}

QStringList QueryFieldWriter::fieldNames()
{
    QStringList names = {QStringLiteral("Relative"), QStringLiteral("WithArchive"), QStringLiteral("Pair"),
                         QStringLiteral("Netting"), QStringLiteral("TypeDate")};
    for (const DateField &f : DateFields)
        names << QLatin1String(f.date) << QLatin1String(f.offset);
    for (const BoxField &f : BoxFields)
        names << QLatin1String(f.name);
    for (const char *f : PlainLists)
        names << QLatin1String(f);
    for (const char *f : IdLists)
        names << QLatin1String(f);
    return names;
}

bool QueryFieldWriter::write(const QString &field, const QString &value)
{
    m_error.clear();
    for (const DateField &f : DateFields) {
        if (same(field, f.date) || same(field, f.offset))
            return writeDate(f.slot, f.date, f.offset, value.trimmed());
    }
    if (same(field, "Relative"))
        return writeRelative(value.trimmed());
    if (same(field, "WithArchive"))
        return writeBool("WithArchive", value.trimmed());
    if (same(field, "Pair")) {
        // A report that shows the currency box takes Pair from it; the others
        // from the pair box.
        const FilterControl &ccy = m_controls[fcCcyBox];
        if (ccy.Enabled && ccy.Common)
            return writeBoxList("Pair", fcCcyBox, "CcyIDArray", value);
        return writeBoxList("Pair", fcPairBox, "PairIDArray", value);
    }
    for (const BoxField &f : BoxFields) {
        if (same(field, f.name))
            return writeBoxList(f.name, f.slot, f.ids, value);
    }
    for (const char *f : PlainLists) {
        if (same(field, f))
            return writePlainList(f, value);
    }
    if (same(field, "Netting"))
        return writeText("Netting", fcComboNetting, value.trimmed());
    if (same(field, "TypeDate"))
        return writeText("TypeDate", fcTypeDate, value.trimmed());
    for (const char *f : IdLists) {
        if (same(field, f))
            return writeIdList(f, value);
    }
    return fail(QStringLiteral("unknown query field \"%1\" (known: %2)")
                    .arg(field, fieldNames().join(QStringLiteral(", "))));
}

bool QueryFieldWriter::writeDate(int slot, const char *dateField, const char *longField, const QString &value)
{
    QVariant parsed;
    bool isNumber = false;
    const int days = value.toInt(&isNumber);
    if (value.compare(All, Qt::CaseInsensitive) == 0) {
        parsed = All;
    } else if (isNumber) {
        parsed = days;
    } else {
        const QDate date = QDate::fromString(value, Qt::ISODate);
        if (!date.isValid())
            return fail(QStringLiteral("%1: \"%2\" is not a date (yyyy-MM-dd), a day count or All")
                            .arg(QLatin1String(dateField), value));
        parsed = date;
    }

    QVariant dateValue;
    QVariant offsetValue;
    if (auto *picker = qobject_cast<widgets::RelDate *>(m_controls[size_t(slot)].Common.data())) {
        if (!picker->setRetDate(parsed))
            return fail(QStringLiteral("%1: the date picker refuses \"%2\"").arg(QLatin1String(dateField), value));
        dateValue = picker->Value();
        offsetValue = picker->isAll() ? QVariant(All) : QVariant(picker->dayCount());
    } else if (parsed.typeId() == QMetaType::QString) {
        dateValue = All;
        offsetValue = All;
    } else {
        const QDate today = Clock::today();
        const QDate date = parsed.typeId() == QMetaType::Int ? today.addDays(parsed.toInt()) : parsed.toDate();
        dateValue = date;
        offsetValue = int(today.daysTo(date));
    }
    m_report.setProperty(dateField, dateValue);
    m_report.setProperty(longField, offsetValue);
    return true;
}

bool QueryFieldWriter::writeRelative(const QString &value)
{
    if (!writeBool("Relative", value))
        return false;
    const bool relative = m_report.property("Relative").toBool();
    for (int slot : {fcDateReport0, fcDateReport1, fcDateReport2, fcDateReport3}) {
        if (auto *picker = qobject_cast<widgets::RelDate *>(m_controls[size_t(slot)].Common.data()))
            picker->setRelative(relative);
    }
    if (auto *combo = qobject_cast<QComboBox *>(m_controls[fcCombo1].Common.data()))
        combo->setCurrentText(relative ? QStringLiteral("True") : QStringLiteral("False"));
    return true;
}

bool QueryFieldWriter::writeBool(const char *field, const QString &value)
{
    bool result = false;
    if (value.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 || value == QLatin1String("1")
        || value == QLatin1String("-1")) {
        result = true;
    } else if (value.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0 || value == QLatin1String("0")) {
        result = false;
    } else {
        return fail(QStringLiteral("%1: \"%2\" is not True or False").arg(QLatin1String(field), value));
    }
    m_report.setProperty(field, result);
    return true;
}

bool QueryFieldWriter::writeBoxList(const char *field, int slot, const char *idField, const QString &value)
{
    QStringList entries = splitList(value);
    if (entries.isEmpty())
        return fail(QStringLiteral("%1: an empty list (use All for no restriction)").arg(QLatin1String(field)));
    auto *box = qobject_cast<widgets::CheckCombo *>(m_controls[size_t(slot)].Common.data());
    if (!box) {
        m_report.setProperty(field, entries);
        return true;
    }
    if (entries.first() != All && box->itemCountWithoutAll() > 0) {
        QStringList known;
        for (int i = 0; i < box->itemCountWithoutAll(); ++i)
            known.append(box->itemText(i));
        for (const QString &entry : entries) {
            if (!known.contains(entry))
                return fail(QStringLiteral("%1: \"%2\" is not in the list (%3)")
                                .arg(QLatin1String(field), entry, known.join(QStringLiteral(", "))));
        }
    }
    box->setArrayChecked(entries);
    m_report.setProperty(field, box->ArrayChecked());
    if (idField)
        m_report.setProperty(idField, box->ArrayCheckedID());
    return true;
}

bool QueryFieldWriter::writePlainList(const char *field, const QString &value)
{
    QStringList entries = splitList(value);
    if (entries.isEmpty())
        return fail(QStringLiteral("%1: an empty list (use All for no restriction)").arg(QLatin1String(field)));
    m_report.setProperty(field, entries);
    // The title buttons show the selection they stand for.
    if (same(QLatin1String(field), "Bank") && m_controls[fcCptyBox].Common)
        m_controls[fcCptyBox].Common->setProperty("Titul", DealVocabulary::ListTitle(entries));
    if (same(QLatin1String(field), "KeyArray") && m_controls[fcLegendBox].Common)
        m_controls[fcLegendBox].Common->setProperty("Titul", DealVocabulary::KeyTitle(entries));
    return true;
}

bool QueryFieldWriter::writeText(const char *field, int slot, const QString &value)
{
    m_report.setProperty(field, value);
    if (auto *combo = qobject_cast<QComboBox *>(m_controls[size_t(slot)].Common.data())) {
        const int index = combo->findText(value);
        if (index >= 0)
            combo->setCurrentIndex(index);
    }
    return true;
}

bool QueryFieldWriter::writeIdList(const char *field, const QString &value)
{
    QVariantList ids;
    for (const QString &entry : splitList(value)) {
        bool isNumber = false;
        const qlonglong id = entry.toLongLong(&isNumber);
        ids.append(isNumber ? QVariant(id) : QVariant(entry));
    }
    m_report.setProperty(field, ids);
    return true;
}

bool QueryFieldWriter::fail(const QString &reason)
{
    m_error = reason;
    return false;
}

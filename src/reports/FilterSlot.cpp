#include "FilterSlot.h"

#include "Directories.h"

bool FilterSlot::isDate() const
{
    return dateSlotFields(index) != nullptr;
}

namespace {

const DateSlotFields DateSlots[] = {
    {fcDateReport0, "ValDate", "ValLong", &QueryValues::ValDate, &QueryValues::ValLong},
    {fcDateReport1, "EndDate", "EndLong", &QueryValues::EndDate, &QueryValues::EndLong},
    {fcDateReport2, "ValDate1", "ValLong1", &QueryValues::ValDate1, &QueryValues::ValLong1},
    {fcDateReport3, "EndDate1", "EndLong1", &QueryValues::EndDate1, &QueryValues::EndLong1},
};

} // namespace

const DateSlotFields *dateSlotFields(int index)
{
    for (const DateSlotFields &slot : DateSlots) {
        if (slot.index == index)
            return &slot;
    }
    return nullptr;
}

const DateSlotFields *dateSlotOfField(const QString &field)
{
    for (const DateSlotFields &slot : DateSlots) {
        if (field.compare(QLatin1String(slot.date), Qt::CaseInsensitive) == 0
            || field.compare(QLatin1String(slot.offset), Qt::CaseInsensitive) == 0)
            return &slot;
    }
    return nullptr;
}

namespace Slots {

bool hasDealAttributes()
{
    return !Directories::current().Attributes.isEmpty();
}

} // namespace Slots

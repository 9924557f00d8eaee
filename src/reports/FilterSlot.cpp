#include "FilterSlot.h"

#include "Directories.h"

bool FilterSlot::isDate() const
{
    return index == fcDateReport0 || index == fcDateReport1 || index == fcDateReport2
           || index == fcDateReport3;
}

namespace Slots {

bool hasDealAttributes()
{
    return !Directories::current().Attributes.isEmpty();
}

} // namespace Slots

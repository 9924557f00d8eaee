#include "ReportColumns.h"

#include <cstring>

const ReportColumn *DisplayLayout::column(const char *key) const
{
    const int index = columnIndex(key);
    return index < 0 ? nullptr : &columns[size_t(index)];
}

int DisplayLayout::columnIndex(const char *key) const
{
    for (size_t i = 0; i < columns.size(); ++i) {
        if (std::strcmp(columns[i].key, key) == 0)
            return int(i);
    }
    return -1;
}

#include "ReportColumns.h"

#include "FieldReader.h"

#include "Value.h"

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

QString viewFilter(View view)
{
    switch (view) {
    case vwDetail: return QStringLiteral("Summary = False");
    case vwSummary: return QStringLiteral("Summary = True");
    case vwAll: break;
    }
    return {};
}

QVariant gridCellValue(const data::Value &value)
{
    // The value as GetFieldValue gives it in mode 0, except that an empty
    // field shows as an empty cell: its "<<Error>>" marker is for lookups,
    // not for amounts a summary row leaves open.
    return value.isNull() ? QVariant() : FieldReader::cellValue(value);
}

#pragma once

#include "QueryValues.h"

/// A report's whole query as a host reads or replaces it at once through the
/// report's QPSettings: the working values and the committed values of the
/// query that produced the data shown. A default-constructed record is the
/// blank copy a report resets to.
struct QuerySettings
{
    QueryValues Working;
    QueryValues Committed;

    bool operator==(const QuerySettings &) const = default;
};

#pragma once

#include <QString>
#include <QVariant>

/// Where a column's value list goes: the entries that make a column show a
/// name for each identifier its cells hold. The grid column implements it in
/// the control; a report or a test may collect the entries in a plain list.
class ValueListSink
{
public:
    virtual ~ValueListSink() = default;
    virtual void clearValueList() = 0;
    /// Adds one entry; when a value is added twice the first entry wins.
    virtual void addValueListEntry(const QVariant &value, const QString &text) = 0;
};

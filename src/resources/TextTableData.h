#pragma once

#include <QStringView>

#include <span>

/// The stored texts behind TextTable: one entry per id with its English,
/// German and Russian text. Internal to the resources library; everything
/// else reads texts through TextTable.
namespace TextTableData {

struct Entry
{
    int id;
    QStringView english;
    /// A null view means the language uses the English text for this id.
    QStringView german;
    QStringView russian;
};

/// All entries, sorted by ascending id, each id once.
std::span<const Entry> entries();

} // namespace TextTableData

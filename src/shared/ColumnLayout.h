#pragma once

#include "marvolt_export.h"

#include <QList>
#include <QString>

#include <optional>

/// The stored layout of one grid column: where it stands (1 = leftmost), the
/// caption the user sees (and may have edited) and its width in grid units.
struct ColumnLayoutEntry
{
    QString key;        ///< the column's key in the grid
    int position = 0;
    QString caption;
    int width = 0;

    bool operator==(const ColumnLayoutEntry &) const = default;
};

/// Column layouts in the settings store: one value per column under a
/// "...\Columns" key, named after the column's key, holding
/// "<position>|<caption>|<width>" (for example "1|Ticket #|1200").
///
/// A caption may itself contain "|": the position is the text before the first
/// "|" and the width the text after the last one, so such captions come back
/// whole, and every layout written without one reads as before.
namespace ColumnLayout {

MARVOLT_EXPORT QString encode(const ColumnLayoutEntry &entry);
/// nullopt when the position or the width is not a whole number.
MARVOLT_EXPORT std::optional<ColumnLayoutEntry> decode(const QString &key, const QString &data);

/// Replaces the layout under \a keyPath with \a columns (in grid order): the
/// old values go first, so a column that no longer exists leaves no value
/// behind. All or nothing: a failure keeps the old layout.
MARVOLT_EXPORT bool save(const QString &keyPath, const QList<ColumnLayoutEntry> &columns);

/// The layout under \a keyPath, ordered by position; columns with the same
/// position keep the order they were stored in. Positions below 1 and values
/// that cannot be decoded are skipped (with a warning); a gap in the
/// positions (a column dropped by a newer version) is simply absent. Empty when
/// nothing is stored: the grid then stays as the report built it.
MARVOLT_EXPORT QList<ColumnLayoutEntry> load(const QString &keyPath);

} // namespace ColumnLayout

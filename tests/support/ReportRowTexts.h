#pragma once

#include "ReportDocument.h"

#include <QStringList>

namespace testsupport {

/// Document rows as lines of kind, level, negative, cells and values, so that
/// two documents compare whole and a difference shows the rows.
inline QStringList rowTexts(const QList<ReportRow> &rows)
{
    QStringList lines;
    for (const ReportRow &row : rows) {
        QStringList values;
        for (const QVariant &v : row.values)
            values.append(v.isValid() ? v.toString() : QStringLiteral("-"));
        lines.append(QStringLiteral("%1/%2/%3 %4 [%5]")
                         .arg(int(row.kind))
                         .arg(row.level)
                         .arg(row.negative)
                         .arg(row.cells.join(u'|'), values.join(u'|')));
    }
    return lines;
}

} // namespace testsupport

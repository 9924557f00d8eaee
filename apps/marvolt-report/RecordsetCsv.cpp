#include "RecordsetCsv.h"

#include "Recordset.h"

#include <QStringList>

namespace RecordsetCsv {

QString quoted(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')))
        return text;
    QString escaped = text;
    escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString write(data::Recordset &recordset)
{
    const int count = recordset.Fields().Count();
    QStringList cells;
    for (int f = 0; f < count; ++f)
        cells.append(quoted(recordset.Fields(f).Name()));
    QString out = cells.join(QLatin1Char(',')) + QLatin1Char('\n');
    if (recordset.RecordCount() <= 0)
        return out;
    for (recordset.MoveFirst(); !recordset.Eof(); recordset.MoveNext()) {
        cells.clear();
        for (int f = 0; f < count; ++f)
            cells.append(quoted(recordset.Fields(f).value().toString()));
        out += cells.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    return out;
}

} // namespace RecordsetCsv

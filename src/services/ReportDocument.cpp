#include "ReportDocument.h"

QStringList ReportContext::lines(const QString &title) const
{
    QStringList out{title};
    out.append(filters.isEmpty() ? QStringLiteral("All deals") : filters.join(QStringLiteral("; ")));
    if (!rateSource.isEmpty())
        out.append(QStringLiteral("Rates: ") + rateSource);
    if (runTime.isValid())
        out.append(QStringLiteral("Run: ") + runTime.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")));
    return out;
}

QString ReportContext::line(const QString &title) const
{
    return lines(title).join(QStringLiteral(" | "));
}

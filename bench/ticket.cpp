// bench_ticket: how long the deal ticket window takes to open, from the
// call a double click makes (Activate) to the window shown with the deal's
// fields, on the 1,000,000-deal demo database.
//
//   bench_ticket [--db FILE] [--runs N]
//
// Without --db /tmp/marvolt-bench-1m.db is used (bench_procedures and
// bench_report build it). The deals are spread over the database: every
// run opens another one, from Tickets, so no run finds its rows in the
// page cache the run before filled. Prints the median and the slowest run.
// The goal is 20 ms.

#include "TicketWindow.h"

#include "RegistryAccess.h"
#include "SessionContext.h"

#include "Connection.h"
#include "Recordset.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QString db = QStringLiteral("/tmp/marvolt-bench-1m.db");
    int runs = 25;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args.at(i) == QLatin1String("--db"))
            db = args.at(i + 1);
        else if (args.at(i) == QLatin1String("--runs"))
            runs = qMax(1, args.at(i + 1).toInt());
    }
    if (!QFileInfo::exists(db)) {
        std::printf("no database %s: run bench_report once to build it\n", qPrintable(db));
        return 1;
    }
    // The window keeps its place in the settings store: a store of the bench's own.
    QTemporaryDir settings;
    RegistryAccess::instance().setPath(settings.filePath(QStringLiteral("registry.sqlite")));
    const QString connection = QStringLiteral("Provider=SQLite;Data Source=\"%1\"").arg(db);
    if (!SessionContext::instance().OpenSession(connection)) {
        std::printf("cannot open %s\n", qPrintable(db));
        return 1;
    }
    data::Connection reader;
    if (!reader.Open(connection))
        return 1;
    data::RecordsetPtr deals = reader.Execute(
        QStringLiteral("SELECT TCID, TicketNum, Status, date(DealTime) AS Day FROM Tickets "
                       "WHERE TradeID % (SELECT MAX(TradeID) / %1 FROM Tickets) = 0 LIMIT %1")
            .arg(runs));
    if (!deals || deals->Eof())
        return 1;

    std::vector<double> ms;
    for (deals->MoveFirst(); !deals->Eof(); deals->MoveNext()) {
        frmTicket window;
        QSignalSpy shown(&window, &frmTicket::Shown);
        QElapsedTimer timer;
        timer.start();
        window.Activate(deals->Fields(QStringLiteral("TCID")).value().toString(),
                        QDate::fromString(deals->Fields(QStringLiteral("Day")).value().toString(), Qt::ISODate),
                        short(deals->Fields(QStringLiteral("Status")).value().toInt()),
                        int(deals->Fields(QStringLiteral("TicketNum")).value().toInt64()), nullptr,
                        QStringLiteral("Bench"));
        if (!shown.wait(5000)) {
            std::printf("a ticket did not open\n");
            return 1;
        }
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        window.reject();
    }
    std::sort(ms.begin(), ms.end());
    std::printf("ticket window, Activate to shown, %zu deals of %s:\n  median %.1f ms, slowest %.1f ms (goal 20 ms)\n",
                ms.size(), qPrintable(db), ms[ms.size() / 2], ms.back());
    return 0;
}

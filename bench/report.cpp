// bench_report: the open position report end to end in a real Marvolt control
// (RefreshData until UnActivProgress, the grid bound), side by side with its
// procedure cnt_OpenPosition alone, in the same process and on the same day.
//
//   bench_report [--db FILE] [--runs N]
//
// Without --db the 1,000,000-deal demo database /tmp/marvolt-bench-1m.db is
// used, built first when missing (--deals 1000000 --seed 1, as
// bench_procedures builds it). The day is the one with the most deals; the
// clock is set to it so the report's default date (today) selects it, and the
// value date is left open. The procedure runs as the report runs it: a fresh
// read-only connection, the catalog's parameters, the selections the report
// stored for the user. Runs alternate (report, procedure); medians are
// printed, and the control's share: everything but the procedure.

#include "Marvolt.h"
#include "Report.h"

#include "Clock.h"
#include "MessageService.h"
#include "RegistryAccess.h"
#include "SessionContext.h"

#include "Grid.h"

#include "Command.h"
#include "Connection.h"
#include "DemoDatabase.h"
#include "Recordset.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

QTextStream out(stdout);

const QString DefaultDb = QStringLiteral("/tmp/marvolt-bench-1m.db");
const QString User = QStringLiteral("bench");

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

QString connectionString(const QString &file)
{
    return QStringLiteral("Provider=SQLite;Data Source=\"%1\"").arg(file);
}

/// The day with the most deals in Tickets and their number.
QPair<QDate, qint64> busiestDay(const QString &db)
{
    data::Connection connection;
    if (!connection.Open(connectionString(db)))
        return {};
    data::RecordsetPtr rs = connection.Execute(QStringLiteral(
        "SELECT date(DealTime) AS d, COUNT(*) FROM Tickets GROUP BY d ORDER BY 2 DESC, 1 DESC LIMIT 1"));
    if (!rs || rs->Eof())
        return {};
    return {QDate::fromString(rs->Fields(0).value().toString(), Qt::ISODate), rs->Fields(1).value().toInt64()};
}

/// cnt_OpenPosition alone, as the report runs it; returns the rows read, -1 on failure.
qint64 runProcedure(const QString &connection, QDate day)
{
    data::Connection conn;
    conn.setMode(data::adModeRead);
    conn.setCursorLocation(data::adUseClient);
    if (!conn.Open(connection))
        return -1;
    data::Command cmd;
    cmd.setActiveConnection(&conn);
    cmd.setCommandType(data::adCmdStoredProc);
    cmd.setCommandText(QStringLiteral("cnt_OpenPosition"));
    cmd.Parameters().Refresh();
    cmd.Parameters().Item(QStringLiteral("@UserName"))->setValue(User);
    cmd.Parameters().Item(QStringLiteral("@DateReport"))->setValue(data::DateTime::fromDate(day));
    data::RecordsetPtr rs = cmd.Execute();
    const qint64 rows = rs ? rs->RecordCount() : -1;
    conn.Close();
    return rows;
}

/// One refresh of the control, RefreshData until UnActivProgress; ms.
double runReport(Marvolt &control)
{
    QEventLoop loop;
    bool ended = false;
    const QMetaObject::Connection done = QObject::connect(&control, &Marvolt::UnActivProgress, &loop, [&] {
        ended = true;
        loop.quit();
    });
    QElapsedTimer timer;
    timer.start();
    control.RefreshData();
    if (!ended)
        loop.exec();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    QObject::disconnect(done);
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QString db = DefaultDb;
    int runs = 7;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args.at(i) == QLatin1String("--db"))
            db = args.at(i + 1);
        else if (args.at(i) == QLatin1String("--runs"))
            runs = qMax(1, args.at(i + 1).toInt());
    }
    if (!QFileInfo::exists(db)) {
        out << "building " << db << " (1,000,000 deals) ..." << Qt::endl;
        db::DemoDatabase::Options options;
        options.out = db;
        options.deals = 1000000;
        options.seed = 1;
        options.today = QDate::currentDate();
        QString error;
        if (!db::DemoDatabase::build(options, nullptr, &error)) {
            out << "cannot build the demo database: " << error << Qt::endl;
            return 1;
        }
    }

    const auto [day, deals] = busiestDay(db);
    if (!day.isValid()) {
        out << "cannot read the deals of " << db << Qt::endl;
        return 1;
    }
    Clock::setToday(day);
    QTemporaryDir settings;
    RegistryAccess::instance().setPath(settings.filePath(QStringLiteral("registry.sqlite")));
    const QString connection = connectionString(db);
    if (!SessionContext::instance().OpenSession(connection)) {
        out << "cannot open " << db << Qt::endl;
        return 1;
    }
    SessionContext::instance().setCurrentUserName(User);

    Marvolt control;
    control.resize(1280, 800);
    control.setAttribute(Qt::WA_DontShowOnScreen);
    control.show();
    control.setProperty("TableName", QStringLiteral("Tickets"));
    control.setProperty("FormatRate", QStringLiteral("0.0000"));
    control.setProperty("FormatValue", QStringLiteral("#,##0.00"));
    control.setProperty("UserName", User);
    control.setProperty("WindowType", 0);
    QString error;
    if (!control.setQueryField(QStringLiteral("EndDate"), QStringLiteral("All"), &error)) {
        out << "cannot open the value date: " << error << Qt::endl;
        return 1;
    }

    // One run of each first: the file cache and the procedure catalog warm up,
    // and the report stores the user's selections the procedure reads.
    runReport(control);
    const qint64 rows = runProcedure(connection, day);
    if (rows < 0 || !MessageService::instance().lastMessage().isEmpty()) {
        out << "the report failed: " << MessageService::instance().lastMessage() << Qt::endl;
        return 1;
    }

    std::vector<double> reportMs;
    std::vector<double> procedureMs;
    std::vector<double> prepMs;
    std::vector<double> rebindMs;
    for (int i = 0; i < runs; ++i) {
        reportMs.push_back(runReport(control));
        QElapsedTimer timer;
        timer.start();
        runProcedure(connection, day);
        procedureMs.push_back(double(timer.nsecsElapsed()) / 1e6);
        // The filter-store writes alone, the part of the run that writes.
        timer.start();
        control.report()->PrepQuery();
        prepMs.push_back(double(timer.nsecsElapsed()) / 1e6);
        // The display filter and the grid's re-read of every row.
        timer.start();
        control.report()->RebindTable();
        rebindMs.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    const data::RecordsetPtr display = control.report()->DisplayRecordset();
    const double report = median(reportMs);
    const double procedure = median(procedureMs);
    const double share = report > 0 ? (report - procedure) / report * 100.0 : 0.0;

    out << "database " << db << ", day " << day.toString(Qt::ISODate) << ": " << deals << " deals, " << rows
        << " procedure rows, " << (display ? display->RecordCount() : 0) << " display rows, "
        << control.mainTable()->ItemCount() << " grid rows" << Qt::endl;
    out << "medians of " << runs << " runs:" << Qt::endl;
    out << QStringLiteral("  report end to end (RefreshData to UnActivProgress) %1 ms").arg(report, 0, 'f', 1)
        << Qt::endl;
    out << QStringLiteral("  cnt_OpenPosition alone                            %1 ms").arg(procedure, 0, 'f', 1)
        << Qt::endl;
    out << QStringLiteral("  of which PrepQuery (filter store writes)          %1 ms").arg(median(prepMs), 0, 'f', 1)
        << Qt::endl;
    out << QStringLiteral("  of which RebindTable (filter and grid rebind)      %1 ms").arg(median(rebindMs), 0, 'f', 1)
        << Qt::endl;
    out << QStringLiteral("  control's share (everything but the procedure)    %1 %  (goal: under 25 %)")
               .arg(share, 0, 'f', 1)
        << Qt::endl;
    return 0;
}

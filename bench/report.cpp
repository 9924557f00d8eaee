// bench_report: a report end to end in a real Marvolt control (RefreshData
// until UnActivProgress, the grid bound), side by side with its procedure
// alone, in the same process and on the same day, and the longest stall of
// the user-interface thread's event loop during a run.
//
//   bench_report [--report N] [--db FILE] [--connect STRING] [--deals N] [--runs N] [--day-size N]
//
// --report is the WindowType (default 0, the open position report).
//
// Without --db the 1,000,000-deal demo database /tmp/marvolt-bench-1m.db is
// used. A missing database is built first (--deals, default 1000000, --seed 1,
// as bench_procedures builds it); 125,000 deals give days of about 500 deals. The day is the one with the most deals; the
// clock is set to it so the report's default date (today) selects it, and the
// value date (the end of a report's date range) is left open. The procedure
// runs as a client runs it once: a fresh read-only connection, the catalog's
// parameters, and the report's date bounds in the connection's private filter
// tables (storing them is not timed: it is the report's own cost). It runs a
// second time on a connection kept open from run to run, as the report keeps
// its runs' connections, so that the report is also compared with the
// procedure's time without the open and close. Runs alternate (report,
// procedure, procedure on the kept connection); medians are printed, with the
// ratios and the longest stall.
//
// --connect runs the same again, after SQLite, on a PostgreSQL database that
// marvolt-demo-db --connect loaded from the same file (--out FILE --connect):
// the day and its deals come from the file.
//
// --day-size N first moves N deals of the database (a copy of it, beside it)
// onto the busiest day, for a result of about N deals: the stall of binding a
// large result (50,000 or 1,000,000) is measured that way.

#include "Marvolt.h"
#include "Report.h"

#include "Clock.h"
#include "FilterStore.h"
#include "MessageService.h"
#include "RegistryAccess.h"
#include "SessionContext.h"

#include "Grid.h"

#include "Command.h"
#include "Connection.h"
#include "DemoDatabase.h"
#include "ProcedureCatalog.h"
#include "Recordset.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

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

/// The report's procedure alone: a read-only connection with the report's
/// date bounds in place (stored in the connection's private filter tables,
/// untimed), the catalog's parameters. Without kept, a fresh connection is
/// opened and closed, and timed with the run; with kept, that connection is
/// used (opened on first use, untimed) and left open. Returns the ms, -1 on
/// failure; rows gets the rows read.
double runProcedure(const QString &connection, const Report &report, QDate day, qint64 *rows = nullptr,
                    data::Connection *kept = nullptr)
{
    QElapsedTimer timer;
    timer.start();
    data::Connection fresh;
    data::Connection &conn = kept ? *kept : fresh;
    if (conn.State() == data::adStateClosed) {
        conn.setMode(data::adModeRead);
        conn.setCursorLocation(data::adUseClient);
        if (!conn.Open(connection))
            return -1;
    }
    if (kept)
        timer.start();
    qint64 untimed = timer.nsecsElapsed();
    FilterStore store(conn, User, report.ownerNumber());
    RunQuery run;
    run.query = report.query();
    run.userName = User;
    run.today = day;
    if (!store.createRunScope() || !report.logic().storeSelections(store, run))
        return -1;
    untimed = timer.nsecsElapsed() - untimed;
    data::Command cmd;
    cmd.setActiveConnection(&conn);
    cmd.setCommandType(data::adCmdStoredProc);
    cmd.setCommandText(report.logic().procedure());
    cmd.Parameters().Refresh();
    report.logic().setParameters(cmd, run);
    data::RecordsetPtr rs = cmd.Execute();
    if (!rs)
        return -1;
    if (rows)
        *rows = rs->RecordCount();
    if (!kept)
        conn.Close();
    return double(timer.nsecsElapsed() - untimed) / 1e6;
}

struct RunTimes
{
    double total = 0;   ///< ms from RefreshData to UnActivProgress
    double stall = 0;   ///< the longest the event loop went without turning, ms
};

/// One refresh of the control, RefreshData until UnActivProgress. A precise
/// 1 ms timer ticks all along: the longest gap between two of its ticks (or
/// from RefreshData to the first) is the longest the user-interface thread
/// was busy in one go.
RunTimes runReport(Marvolt &control)
{
    QEventLoop loop;
    bool ended = false;
    const QMetaObject::Connection done = QObject::connect(&control, &Marvolt::UnActivProgress, &loop, [&] {
        ended = true;
        loop.quit();
    });
    QElapsedTimer timer;
    qint64 lastTurn = 0;
    qint64 longest = 0;
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    ticks.setInterval(1);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        const qint64 now = timer.nsecsElapsed();
        longest = std::max(longest, now - lastTurn);
        lastTurn = now;
    });
    ticks.start();
    timer.start();
    control.RefreshData();
    if (!ended)
        loop.exec();
    RunTimes times;
    times.total = double(timer.nsecsElapsed()) / 1e6;
    times.stall = double(std::max(longest, timer.nsecsElapsed() - lastTurn)) / 1e6;
    QObject::disconnect(done);
    return times;
}

/// A copy of db beside it with `count` deals moved onto `day`; empty on failure.
QString withDealsOnDay(const QString &db, QDate day, qint64 count)
{
    const QString copy = db + QStringLiteral(".day-%1.db").arg(count);
    if (QFileInfo::exists(copy))
        return copy;
    if (!QFile::copy(db, copy))
        return {};
    data::Connection connection;
    connection.setMode(data::adModeReadWrite);
    connection.setCommandTimeout(0);   // a million rows take their time
    if (!connection.Open(connectionString(copy)))
        return {};
    connection.Execute(QStringLiteral("UPDATE Tickets SET DealTime = '%1' || substr(DealTime, 11) "
                                      "WHERE TradeID IN (SELECT TradeID FROM Tickets ORDER BY TradeID LIMIT %2)")
                           .arg(day.toString(Qt::ISODate))
                           .arg(count));
    if (connection.lastError()) {
        out << "cannot move the deals: " << connection.lastError()->Description << Qt::endl;
        QFile::remove(copy);
        return {};
    }
    return copy;
}

/// The report and its procedure on one database, printed under label.
/// Returns 0, or 1 when the report cannot run.
int measure(const QString &label, const QString &connection, bool installProcedure, QDate day, int windowType,
            int runs)
{
    Clock::setToday(day);
    QTemporaryDir settings;
    RegistryAccess::instance().setPath(settings.filePath(QStringLiteral("registry.sqlite")));
    if (!SessionContext::instance().OpenSession(connection)) {
        out << "cannot open " << connection << Qt::endl;
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
    control.setProperty("WindowType", windowType);
    if (!control.report() || control.report()->logic().procedure().isEmpty()) {
        out << "report " << windowType << " has no query" << Qt::endl;
        return 1;
    }
    const QString procedureName = control.report()->logic().procedure();
    // A database built earlier may hold an older text of the procedure. (A
    // PostgreSQL database has the texts it was loaded with.)
    if (installProcedure) {
        data::Connection writer;
        writer.setMode(data::adModeReadWrite);
        data::ErrorPtr installError;
        if (!writer.Open(connection)
            || !data::ProcedureCatalog::installFile(
                writer, QStringLiteral(MARVOLT_SOURCE_DIR "/db/procedures/") + procedureName + QStringLiteral(".sql"),
                &installError)) {
            out << "cannot install " << procedureName << ": "
                << (installError ? installError->Description : QStringLiteral("the database cannot be written"))
                << Qt::endl;
            return 1;
        }
    }
    QString error;
    if (!control.setQueryField(QStringLiteral("EndDate"), QStringLiteral("All"), &error)) {
        out << "cannot open the value date: " << error << Qt::endl;
        return 1;
    }

    // One run of each first: the file cache and the procedure catalog warm up.
    runReport(control);
    qint64 rows = 0;
    if (runProcedure(connection, *control.report(), day, &rows) < 0 || !MessageService::instance().lastMessage().isEmpty()) {
        out << "the report failed: " << MessageService::instance().lastMessage() << Qt::endl;
        return 1;
    }

    std::vector<double> reportMs;
    std::vector<double> procedureMs;
    std::vector<double> keptMs;
    data::Connection kept;
    std::vector<double> rebindMs;
    double stall = 0;
    for (int i = 0; i < runs; ++i) {
        const RunTimes times = runReport(control);
        reportMs.push_back(times.total);
        stall = std::max(stall, times.stall);
        procedureMs.push_back(runProcedure(connection, *control.report(), day));
        keptMs.push_back(runProcedure(connection, *control.report(), day, nullptr, &kept));
        // The display filter and the grid's re-read of every row.
        QElapsedTimer timer;
        timer.start();
        control.report()->RebindTable();
        rebindMs.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    const data::RecordsetPtr display = control.report()->DisplayRecordset();
    const double report = median(reportMs);
    const double procedure = median(procedureMs);
    const double procedureKept = median(keptMs);

    out << label << ": " << rows << " procedure rows, " << (display ? display->RecordCount() : 0)
        << " display rows, " << control.mainTable()->ItemCount() << " grid rows; medians of " << runs << " runs:"
        << Qt::endl;
    out << QStringLiteral("  report end to end (RefreshData to UnActivProgress) %1 ms").arg(report, 0, 'f', 1)
        << Qt::endl;
    out << QStringLiteral("  %1 alone").arg(procedureName).leftJustified(52) << QStringLiteral("%1 ms").arg(procedure, 0, 'f', 1)
        << Qt::endl;
    out << QStringLiteral("  %1 alone, on a connection kept open").arg(procedureName).leftJustified(52)
        << QStringLiteral("%1 ms").arg(procedureKept, 0, 'f', 1) << Qt::endl;
    out << QStringLiteral("  RebindTable alone (filter and grid rebind)         %1 ms").arg(median(rebindMs), 0, 'f', 1)
        << Qt::endl;
    out << QStringLiteral("  end to end / procedure alone                       %1 x")
               .arg(procedure > 0 ? report / procedure : 0.0, 0, 'f', 2)
        << Qt::endl;
    out << QStringLiteral("  end to end / procedure on a kept connection        %1 x")
               .arg(procedureKept > 0 ? report / procedureKept : 0.0, 0, 'f', 2)
        << Qt::endl;
    out << QStringLiteral("  longest event-loop stall during a run (of all)     %1 ms").arg(stall, 0, 'f', 1)
        << Qt::endl;
    SessionContext::instance().CloseSession();
    return 0;
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
    qint64 daySize = 0;
    qint64 buildDeals = 1000000;
    int windowType = 0;
    QString postgres;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args.at(i) == QLatin1String("--db"))
            db = args.at(i + 1);
        else if (args.at(i) == QLatin1String("--runs"))
            runs = qMax(1, args.at(i + 1).toInt());
        else if (args.at(i) == QLatin1String("--day-size"))
            daySize = args.at(i + 1).toLongLong();
        else if (args.at(i) == QLatin1String("--report"))
            windowType = args.at(i + 1).toInt();
        else if (args.at(i) == QLatin1String("--connect"))
            postgres = args.at(i + 1);
        else if (args.at(i) == QLatin1String("--deals"))
            buildDeals = qMax<qint64>(1, args.at(i + 1).toLongLong());
    }
    if (!QFileInfo::exists(db)) {
        out << "building " << db << " (" << buildDeals << " deals) ..." << Qt::endl;
        db::DemoDatabase::Options options;
        options.out = db;
        options.deals = buildDeals;
        options.seed = 1;
        options.today = QDate::currentDate();
        QString error;
        if (!db::DemoDatabase::build(options, nullptr, &error)) {
            out << "cannot build the demo database: " << error << Qt::endl;
            return 1;
        }
    }

    auto [day, deals] = busiestDay(db);
    if (day.isValid() && daySize > 0) {
        db = withDealsOnDay(db, day, daySize);
        std::tie(day, deals) = busiestDay(db);
    }
    if (!day.isValid()) {
        out << "cannot read the deals of " << db << Qt::endl;
        return 1;
    }
    out << "database " << db << ", day " << day.toString(Qt::ISODate) << ": " << deals << " deals" << Qt::endl;
    int failed = measure(QStringLiteral("SQLite"), connectionString(db), true, day, windowType, runs);
    if (!postgres.isEmpty())
        failed |= measure(QStringLiteral("PostgreSQL"), postgres, false, day, windowType, runs);
    return failed;
}

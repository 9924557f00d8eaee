// bench_procedures: times report procedures through the data layer against the
// same result computed by plain SQL in the sqlite3 command-line shell.
//
//   bench_procedures [--db FILE] [--demo-db PATH] [--runs N] [--shell PATH]
//
// Without --db the 1,000,000-deal demo database is built once into
// /tmp/marvolt-bench-1m.db (marvolt-demo-db --deals 1000000 --seed 1) and reused
// by later runs. Each procedure runs synchronously through data::Command on a
// fresh read-only connection (as a report renews its connection for every query),
// every result set read to the end; the shell runs as a child process with its
// output sent to /dev/null and is timed from start to exit. Nothing is
// subtracted; the shell's own start-up (`select 1`) is printed beside.

#include "Command.h"
#include "Connection.h"
#include "ProcedureCatalog.h"
#include "Recordset.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

QTextStream out(stdout);

struct Options
{
    QString db;
    QString demoDb;
    QString shell = QStringLiteral("/usr/bin/sqlite3");
    int runs = 5;
};

const QString kUser = QStringLiteral("bench");

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

QString connectionString(const QString &file)
{
    return QStringLiteral("Provider=SQLite;Data Source=") + file;
}

/// Runs plain SQL on a read-write connection; prints the database's error and
/// returns null when it fails.
data::RecordsetPtr exec(data::Connection &conn, const QString &sql, bool *ok = nullptr)
{
    data::RecordsetPtr rs = conn.Execute(sql);
    const bool failed = conn.lastError() != nullptr;
    if (failed)
        out << "SQL failed: " << conn.lastError()->Description << "\n  " << sql << "\n" << Qt::flush;
    if (ok)
        *ok = !failed;
    return rs;
}

/// Milliseconds of one sqlite3 shell run of `sql` on `file`, output discarded.
double shellRun(const Options &opt, const QString &file, const QString &sql)
{
    // The text goes through standard input, where the shell also takes its
    // dot-commands (".parameter set"); an argument would be read as one statement.
    QProcess shell;
    shell.setProgram(opt.shell);
    shell.setArguments({QStringLiteral("-readonly"), QStringLiteral("-bail"), file});
    shell.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    shell.start();
    shell.write(sql.toUtf8() + '\n');
    shell.closeWriteChannel();
    if (!shell.waitForFinished(600000) || shell.exitCode() != 0) {
        out << QString::fromUtf8(shell.readAllStandardError());
        out << "sqlite3 failed (exit " << shell.exitCode() << ") on: " << sql.left(200) << "\n";
        return -1;
    }
    return timer.nsecsElapsed() / 1e6;
}

/// The shell's printed output of `sql` (for query plans).
QString shellOutput(const Options &opt, const QString &file, const QString &sql)
{
    QProcess shell;
    shell.start(opt.shell, {QStringLiteral("-readonly"), file});
    shell.write(sql.toUtf8() + '\n');
    shell.closeWriteChannel();
    shell.waitForFinished(600000);
    return QString::fromUtf8(shell.readAllStandardOutput() + shell.readAllStandardError());
}

struct ProcedureCall
{
    QString name;
    std::function<void(data::Command &)> setParameters;
};

/// Milliseconds of one procedure run through the data layer, from opening the
/// connection to the last row of the last result set; rows counted in *rows.
double procedureRun(const QString &file, const ProcedureCall &call, qint64 *rows)
{
    QElapsedTimer timer;
    timer.start();
    data::Connection conn;
    conn.setMode(data::adModeRead);
    conn.setCursorLocation(data::adUseClient);
    if (!conn.Open(connectionString(file))) {
        out << "open failed: " << conn.lastError()->Description << "\n";
        return -1;
    }
    data::Command cmd;
    cmd.setActiveConnection(&conn);
    cmd.setCommandType(data::adCmdStoredProc);
    cmd.setCommandText(call.name);
    cmd.setCommandTimeout(1200);
    if (!cmd.Parameters().Refresh()) {
        out << call.name << ": parameter refresh failed: " << cmd.lastError()->Description << "\n";
        return -1;
    }
    call.setParameters(cmd);
    data::RecordsetPtr rs = cmd.Execute();
    if (!rs && cmd.lastError()) {
        out << call.name << " failed: " << cmd.lastError()->Description << "\n";
        return -1;
    }
    qint64 count = 0;
    while (rs) {
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
            ++count;
        rs = rs->NextRecordset();
    }
    conn.Close();
    *rows = count;
    return timer.nsecsElapsed() / 1e6;
}

/// A procedure's statements as the catalog file holds them, header comments removed.
QString procedureText(const QString &name)
{
    QFile f(QStringLiteral(MARVOLT_SOURCE_DIR "/db/procedures/") + name + QStringLiteral(".sql"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList lines;
    for (const QString &line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n')))
        if (!line.startsWith(QLatin1String("--")))
            lines << line;
    return lines.join(QLatin1Char('\n'));
}

/// Shell text running `text` with the shell's own @name parameters set.
QString withShellParameters(const QList<QPair<QString, QString>> &params, const QString &text)
{
    QString sql;
    for (const auto &p : params)
        sql += QStringLiteral(".parameter set %1 %2\n").arg(p.first, p.second);
    return sql + text;
}

struct Case
{
    QString title;
    ProcedureCall call;
    QList<QPair<QString, QString>> shellParams;   ///< for running the procedure text in the shell
    QString plainSql;                              ///< the hand-written equivalent
};

void timeCase(const Options &opt, const QString &file, const Case &c, double shellStart)
{
    std::vector<double> proc, plain, text;
    qint64 rows = 0;
    for (int i = 0; i < opt.runs; ++i) {
        proc.push_back(procedureRun(file, c.call, &rows));
        plain.push_back(shellRun(opt, file, c.plainSql));
        const QString body = procedureText(c.call.name);
        if (!body.isEmpty())
            text.push_back(shellRun(opt, file, withShellParameters(c.shellParams, body)));
    }
    const double p = median(proc), s = median(plain);
    out << QStringLiteral("%1 (%2 rows)\n").arg(c.title).arg(rows);
    out << QStringLiteral("  data layer, procedure      %1 ms\n").arg(p, 9, 'f', 1);
    out << QStringLiteral("  sqlite3 shell, plain SQL   %1 ms\n").arg(s, 9, 'f', 1);
    if (!text.empty())
        out << QStringLiteral("  sqlite3 shell, proc. text  %1 ms\n").arg(median(text), 9, 'f', 1);
    out << QStringLiteral("  ratio procedure / plain    %1  (goal <= 1.50; shell start-up %2 ms)\n")
               .arg(s > 0 ? p / s : 0.0, 0, 'f', 2)
               .arg(shellStart, 0, 'f', 1)
        << Qt::flush;
}

/// The plain SQL a developer would write for one day's open position: the
/// day's FX legs ordered by pair, no filter store.
QString plainOpenPosition(const QString &day, const QString &next)
{
    return QStringLiteral(
               "SELECT PairID, TicketNum, ConfName, Bank1ID, ExchRate1, TCID, DealTime, Status, Volume1, VolumeP1C2,"
               " ValDateP1C1, ValDateP1C2, TradeID, 1 AS Leg FROM Tickets"
               " WHERE DealTime >= '%1' AND DealTime < '%2' AND PureDealType IN (2, 4, 8) AND Status >= 0"
               " UNION ALL"
               " SELECT PairID, TicketNum, ConfName, Bank1ID, ExchRate2, TCID, DealTime, Status, VolumeP2C1, VolumeP2C2,"
               " ValDateP2C1, ValDateP2C2, TradeID, 2 FROM Tickets"
               " WHERE DealTime >= '%1' AND DealTime < '%2' AND PureDealType = 8 AND Status >= 0"
               " ORDER BY 1, 7, 2, 13, 14;")
        .arg(day, next);
}

/// The plain SQL for the cash flow of a value-date range: the flows of the
/// deals found through the value-date indexes, summed per currency and day
/// with the running balance and a summary row, then the deals.
QString plainCashFlow(const QString &from, const QString &to)
{
    return QStringLiteral(
               "CREATE TEMP TABLE d AS SELECT TradeID, TicketNum, TCID, Bank1ID, DealerID, PureDealType, DealType,"
               " DealTime, Ccy1, Ccy2, Volume1, VolumeP1C2, VolumeP2C1, VolumeP2C2, ExchRate1, ExchRate2, DepoRate,"
               " ValDateP1C1, ValDateP1C2, ValDateP2C1, ValDateP2C2, Status FROM Tickets"
               " WHERE (ValDateP1C1 BETWEEN date('%1', '-7 days') AND date('%2', '+7 days')"
               "     OR ValDateP2C1 BETWEEN date('%1', '-7 days') AND date('%2', '+7 days'))"
               " AND PureDealType IN (2, 4, 8, 16) AND Status >= 0;"
               "CREATE TEMP TABLE f AS SELECT * FROM ("
               " SELECT TradeID, PureDealType AS Kind, Ccy1 AS Ccy, ValDateP1C1 AS ValDate, Volume1 AS Amount FROM d"
               " UNION ALL SELECT TradeID, PureDealType, Ccy2, ValDateP1C2, VolumeP1C2 FROM d WHERE PureDealType < 16"
               " UNION ALL SELECT TradeID, 8, Ccy1, ValDateP2C1, VolumeP2C1 FROM d WHERE PureDealType = 8"
               " UNION ALL SELECT TradeID, 8, Ccy2, ValDateP2C2, VolumeP2C2 FROM d WHERE PureDealType = 8"
               " UNION ALL SELECT TradeID, 16, Ccy1, ValDateP2C1, -Volume1 FROM d WHERE PureDealType = 16"
               " UNION ALL SELECT TradeID, 17, Ccy1, ValDateP2C1, VolumeP2C1 + Volume1 FROM d WHERE PureDealType = 16)"
               " WHERE ValDate BETWEEN '%1' AND '%2';"
               "CREATE TEMP TABLE g AS SELECT Ccy, ValDate, SUM(Amount) AS Daily,"
               " SUM(MIN(Amount, 0)) AS Daily_Sell, SUM(MAX(Amount, 0)) AS Daily_Buy,"
               " SUM(CASE WHEN Kind = 2 THEN Amount ELSE 0 END) AS Spot,"
               " SUM(CASE WHEN Kind = 2 AND Amount < 0 THEN Amount ELSE 0 END) AS Spot_Sell,"
               " SUM(CASE WHEN Kind = 2 AND Amount > 0 THEN Amount ELSE 0 END) AS Spot_Buy,"
               " SUM(CASE WHEN Kind = 4 THEN Amount ELSE 0 END) AS Outright,"
               " SUM(CASE WHEN Kind = 4 AND Amount < 0 THEN Amount ELSE 0 END) AS Outright_Sell,"
               " SUM(CASE WHEN Kind = 4 AND Amount > 0 THEN Amount ELSE 0 END) AS Outright_Buy,"
               " SUM(CASE WHEN Kind = 8 THEN Amount ELSE 0 END) AS Swap,"
               " SUM(CASE WHEN Kind = 8 AND Amount < 0 THEN Amount ELSE 0 END) AS Swap_Sell,"
               " SUM(CASE WHEN Kind = 8 AND Amount > 0 THEN Amount ELSE 0 END) AS Swap_Buy,"
               " SUM(CASE WHEN Kind = 16 THEN Amount ELSE 0 END) AS Deposit,"
               " SUM(CASE WHEN Kind = 16 AND Amount < 0 THEN Amount ELSE 0 END) AS Deposit_Give,"
               " SUM(CASE WHEN Kind = 16 AND Amount > 0 THEN Amount ELSE 0 END) AS Deposit_Take,"
               " SUM(CASE WHEN Kind = 17 THEN Amount ELSE 0 END) AS Interest,"
               " SUM(CASE WHEN Kind = 17 AND Amount < 0 THEN Amount ELSE 0 END) AS Ret,"
               " SUM(CASE WHEN Kind = 17 AND Amount > 0 THEN Amount ELSE 0 END) AS Tak,"
               " COUNT(DISTINCT TradeID) AS Deals FROM f GROUP BY Ccy, ValDate;"
               "SELECT Ccy, ValDate, Daily, Daily_Sell, Daily_Buy, SUM(Daily) OVER (PARTITION BY Ccy ORDER BY ValDate),"
               " Spot, Spot_Sell, Spot_Buy, Outright, Outright_Sell, Outright_Buy, Swap, Swap_Sell, Swap_Buy, Deposit,"
               " Deposit_Give, Deposit_Take, Interest, Ret, Tak, 0 AS Summary, Deals FROM g"
               " UNION ALL SELECT Ccy, MAX(ValDate), SUM(Daily), SUM(Daily_Sell), SUM(Daily_Buy), SUM(Daily),"
               " SUM(Spot), SUM(Spot_Sell), SUM(Spot_Buy), SUM(Outright), SUM(Outright_Sell), SUM(Outright_Buy),"
               " SUM(Swap), SUM(Swap_Sell), SUM(Swap_Buy), SUM(Deposit), SUM(Deposit_Give), SUM(Deposit_Take),"
               " SUM(Interest), SUM(Ret), SUM(Tak), 2, SUM(Deals) FROM g GROUP BY Ccy ORDER BY 1, 22, 2;"
               "SELECT * FROM d WHERE TradeID IN (SELECT TradeID FROM f) ORDER BY TradeID;")
        .arg(from, to);
}

/// Installs the timed procedures from the source tree (so that a reused file
/// runs the current ones) and stores the bench user's selections: the day for
/// the open position (owner 2) and profit and loss (11), the week of value
/// dates for the cash flow (6).
bool prepareDatabase(const QString &file, const QStringList &procedures, const QString &day,
                     const QString &weekEnd)
{
    data::Connection conn;
    conn.setMode(data::adModeReadWrite);
    if (!conn.Open(connectionString(file))) {
        out << "open failed: " << conn.lastError()->Description << "\n";
        return false;
    }
    for (const QString &name : procedures) {
        const QString path = QStringLiteral(MARVOLT_SOURCE_DIR "/db/procedures/") + name + QStringLiteral(".sql");
        data::ErrorPtr error;
        if (QFileInfo::exists(path) && !data::ProcedureCatalog::installFile(conn, path, &error)) {
            out << "installing " << path << " failed: " << (error ? error->Description : QString()) << "\n";
            return false;
        }
    }
    bool ok = true;
    for (const char *table : {"FilterDateRange", "FilterCondition", "FilterTCID", "FilterAttribute",
                              "FilterDealType", "FilterBank", "FilterCategory", "FilterStatus", "FilterPair",
                              "FilterCcy", "FilterDealer", "FilterNostro"}) {
        bool step = false;
        exec(conn, QStringLiteral("DELETE FROM %1 WHERE UserName = '%2'").arg(QLatin1String(table), kUser), &step);
        ok = ok && step;
    }
    bool step = false;
    exec(conn, QStringLiteral("INSERT INTO FilterDateRange (UserName, OwnerID, Kind, DateFrom, DateTo) VALUES"
                              " ('%1', 2, 1, '%2', '%2'), ('%1', 11, 1, '%2', '%2'), ('%1', 6, 2, '%2', '%3')")
                 .arg(kUser, day, weekEnd),
         &step);
    return ok && step;
}

/// The query plan of a procedure's statements as the shell reports it.
void printPlan(const Options &opt, const QString &file, const QString &title,
               const QList<QPair<QString, QString>> &params, const QString &statement)
{
    out << "EXPLAIN QUERY PLAN, " << title << ":\n";
    const QString plan = shellOutput(opt, file, withShellParameters(params, QStringLiteral("EXPLAIN QUERY PLAN ") + statement));
    for (const QString &line : plan.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        out << "    " << line << "\n";
    out << Qt::flush;
}

/// The statements of a procedure body, split at the ';' that end them (the
/// procedures keep ';' out of their texts and comments).
QStringList statementsOf(const QString &body)
{
    QStringList result;
    for (const QString &part : body.split(QLatin1Char(';'))) {
        QStringList lines;
        for (const QString &line : part.split(QLatin1Char('\n')))
            if (!line.trimmed().startsWith(QLatin1String("--")))
                lines << line;
        const QString text = lines.join(QLatin1Char('\n')).trimmed();
        if (!text.isEmpty())
            result << text;
    }
    return result;
}

int runBench(const Options &opt, const QString &file)
{
    data::Connection conn;
    conn.setMode(data::adModeRead);
    if (!conn.Open(connectionString(file))) {
        out << "open failed: " << conn.lastError()->Description << "\n";
        return 1;
    }
    // The trading day whose deal count is nearest to 5,000 (setup, not timed).
    data::RecordsetPtr pick = exec(conn, QStringLiteral(
        "SELECT substr(DealTime, 1, 10) AS Day, COUNT(*) AS Deals FROM Tickets"
        " GROUP BY Day ORDER BY ABS(COUNT(*) - 5000), Day LIMIT 1"));
    data::RecordsetPtr total = exec(conn, QStringLiteral("SELECT COUNT(*) AS N FROM Tickets"));
    if (!pick || pick->Eof() || !total) {
        out << "the database has no deals\n";
        return 1;
    }
    const QString day = pick->Fields(QStringLiteral("Day")).value().toString();
    const qint64 dayDeals = pick->Fields(QStringLiteral("Deals")).value().toInt64();
    conn.Close();
    const QDate date = QDate::fromString(day, Qt::ISODate);
    const QString next = date.addDays(1).toString(Qt::ISODate);
    const QString weekEnd = date.addDays(6).toString(Qt::ISODate);
    if (!prepareDatabase(file, {QStringLiteral("cnt_OpenPosition"), QStringLiteral("cnt_ProfitLoss"),
                                QStringLiteral("cnt_CashFlow")},
                         day, weekEnd))
        return 1;

    out << "database " << file << ": " << total->Fields(0).value().toInt64() << " deals; report date " << day
        << " (" << dayDeals << " deals); cash flow value dates " << day << " to " << weekEnd << "; "
        << opt.runs << " runs, medians\n";

    std::vector<double> starts;
    for (int i = 0; i < opt.runs; ++i)
        starts.push_back(shellRun(opt, file, QStringLiteral("select 1")));
    const double shellStart = median(starts);
    out << QStringLiteral("sqlite3 shell start-up (select 1): %1 ms\n\n").arg(shellStart, 0, 'f', 1) << Qt::flush;

    const QString quotedUser = QLatin1Char('\'') + kUser + QLatin1Char('\'');
    const QString quotedDay = QLatin1Char('\'') + day + QLatin1Char('\'');
    const auto user = [](data::Command &cmd) { cmd.Parameters().Item(QStringLiteral("@UserName"))->setValue(kUser); };

    const QList<QPair<QString, QString>> openParams = {{QStringLiteral("@UserName"), quotedUser},
                                                       {QStringLiteral("@DateReport"), quotedDay}};
    const QStringList openStatements = statementsOf(procedureText(QStringLiteral("cnt_OpenPosition")));
    if (!openStatements.isEmpty())
        printPlan(opt, file, QStringLiteral("cnt_OpenPosition (the day's deals)"), openParams, openStatements.last());
    const QStringList cashStatements = statementsOf(procedureText(QStringLiteral("cnt_CashFlow")));
    const QList<QPair<QString, QString>> cashParams = {{QStringLiteral("@UserName"), quotedUser},
                                                       {QStringLiteral("@DateReport"), quotedDay}};
    for (const QString &statement : cashStatements)
        if (statement.contains(QLatin1String("FROM Tickets"))) {
            // The query of "CREATE TEMP TABLE x AS <query>".
            QString query = statement;
            query.remove(QRegularExpression(QStringLiteral("^CREATE TEMP TABLE \\w+ AS\\s+")));
            printPlan(opt, file, QStringLiteral("cnt_CashFlow (the deals of the value dates)"), cashParams, query);
            break;
        }
    out << "\n";

    QList<Case> cases;
    cases << Case{QStringLiteral("cnt_OpenPosition, one day"),
                  {QStringLiteral("cnt_OpenPosition"),
                   [&](data::Command &cmd) {
                       user(cmd);
                       cmd.Parameters().Item(QStringLiteral("@DateReport"))->setValue(day);
                   }},
                  openParams,
                  plainOpenPosition(day, next)};
    const QString profitBody = procedureText(QStringLiteral("cnt_ProfitLoss"));
    if (!profitBody.isEmpty()) {
        // No hand-written equivalent: the shell runs the procedure's own text.
        const QList<QPair<QString, QString>> profitParams = {{QStringLiteral("@UserName"), quotedUser}};
        cases << Case{QStringLiteral("cnt_ProfitLoss, one day (reference: its own text in the shell)"),
                      {QStringLiteral("cnt_ProfitLoss"), user},
                      profitParams,
                      withShellParameters(profitParams, profitBody)};
    } else {
        out << "cnt_ProfitLoss is not in db/procedures: not timed\n";
    }
    cases << Case{QStringLiteral("cnt_CashFlow, a week of value dates"),
                  {QStringLiteral("cnt_CashFlow"),
                   [&](data::Command &cmd) {
                       user(cmd);
                       cmd.Parameters().Item(QStringLiteral("@DateReport"))->setValue(day);
                   }},
                  cashParams,
                  plainCashFlow(day, weekEnd)};
    for (const Case &c : cases)
        timeCase(opt, file, c, shellStart);
    return 0;
}

bool parseArguments(const QStringList &args, Options *opt)
{
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--db") && hasValue)
            opt->db = args.at(++i);
        else if (a == QLatin1String("--demo-db") && hasValue)
            opt->demoDb = args.at(++i);
        else if (a == QLatin1String("--shell") && hasValue)
            opt->shell = args.at(++i);
        else if (a == QLatin1String("--runs") && hasValue)
            opt->runs = std::max(1, args.at(++i).toInt());
        else
            return false;
    }
    return true;
}

bool buildDemoDatabase(const Options &opt, const QString &file)
{
    QString app = opt.demoDb;
    if (app.isEmpty())
        app = QCoreApplication::applicationDirPath() + QStringLiteral("/../apps/marvolt-demo-db");
    out << "building " << file << " with " << app << " (1,000,000 deals)...\n" << Qt::flush;
    QProcess demo;
    demo.setProcessChannelMode(QProcess::ForwardedChannels);
    demo.start(app, {QStringLiteral("--out"), file, QStringLiteral("--deals"),
                     QStringLiteral("1000000"), QStringLiteral("--seed"), QStringLiteral("1")});
    if (!demo.waitForFinished(-1) || demo.exitStatus() != QProcess::NormalExit || demo.exitCode() != 0) {
        out << "marvolt-demo-db failed; pass --demo-db PATH or --db FILE\n";
        QFile::remove(file);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Options opt;
    if (!parseArguments(app.arguments(), &opt)) {
        out << "usage: bench_procedures [--db FILE] [--demo-db PATH] [--runs N] [--shell PATH]\n";
        return 2;
    }
    QString file = opt.db;
    if (file.isEmpty()) {
        file = QDir::tempPath() + QStringLiteral("/marvolt-bench-1m.db");
        if (!QFileInfo::exists(file) && !buildDemoDatabase(opt, file))
            return 1;
    }
    if (!QFileInfo::exists(file)) {
        out << "no database file " << file << "\n";
        return 1;
    }
    return runBench(opt, file);
}

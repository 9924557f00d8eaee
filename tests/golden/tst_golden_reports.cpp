// Whole-report golden files. One small demo database is built per run; each
// case folder beside this file (<report>/<case>/ with `args`, one runner
// argument a line, and `expected.csv`) runs marvolt-report as a separate
// process, and its whole output must equal the reviewed expected text. A
// case with `expected-sheet1.xml` instead exports the report as a workbook,
// and the sheet's XML must equal that file. The
// open position files of the unfiltered days are checked in turn against
// figures this test recomputes from Tickets with SQL of its own.
//
// On the PostgreSQL backend the demo builder writes the same deals into a
// database of the run's own on the test server as well, the runner reads
// that one, and the output must equal the same reviewed files. With
// MARVOLT_TEST_PARTITION_SCRIPT (a script run on that database after the
// load, db/distribution/partition_deal_tables.sql) the reports read deal
// tables partitioned by deal date, and the files stay the same.

#include "../apps/ProgramRun.h"
#include "../support/TestBackend.h"

#include "Command.h"
#include "Connection.h"
#include "Recordset.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

namespace {

// 2,500 deals over 250 business days give about ten a day, enough for the
// day's pairs to hold buys only, sells only, both, and a swap whose legs
// cancel in the first currency; this seed's last day has each of them and a
// faulty deal. A few hundred deals would leave one or two deals a day.
const QString Today = QStringLiteral("2026-12-04");
const QString Deals = QStringLiteral("2500");
const QString Seed = QStringLiteral("6");
const QString User = QStringLiteral("golden");

using apptest::RunResult;

RunResult runProgram(const QString &program, const QStringList &arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return apptest::runProgram(program, arguments, environment);
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

/// A case's runner arguments: one a line; blank lines and lines starting with
/// '#' (what the case checks) are skipped. They follow the fixed arguments of
/// the run, so a case may give another value of one (the later one counts).
QStringList caseArguments(const QString &folder)
{
    QStringList arguments;
    for (const QString &line : readText(folder + QStringLiteral("/args")).split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty() && !line.startsWith(QLatin1Char('#')))
            arguments.append(line);
    }
    return arguments;
}

/// The first line where two texts differ, both sides shown; empty when equal.
QString firstDifference(const QString &actual, const QString &expected)
{
    const QStringList a = actual.split(QLatin1Char('\n'));
    const QStringList e = expected.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < qMax(a.size(), e.size()); ++i) {
        if (i < a.size() && i < e.size() && a.at(i) == e.at(i))
            continue;
        return QStringLiteral("first difference at line %1\n   actual: %2\n expected: %3")
            .arg(i + 1)
            .arg(i < a.size() ? a.at(i) : QStringLiteral("(end of output)"),
                 i < e.size() ? e.at(i) : QStringLiteral("(end of file)"));
    }
    return {};
}

/// The output with the time of the run, which every copy and export names,
/// replaced by a placeholder: the reviewed files cannot know it.
QString withoutRunTime(QString text)
{
    static const QRegularExpression runTime(QStringLiteral("Run: \\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d"));
    return text.replace(runTime, QStringLiteral("Run: (the time of the run)"));
}

/// A worksheet's XML with each row on a line of its own, so that a
/// difference names the row.
QString rowPerLine(QString xml)
{
    return xml.replace(QStringLiteral("<row "), QStringLiteral("\n<row ")).replace(QStringLiteral("</sheetData>"),
                                                                              QStringLiteral("\n</sheetData>"));
}

/// The cells of one CSV line; a quoted cell may hold commas and doubled quotes.
QStringList csvCells(const QString &line)
{
    QStringList cells(1);
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == QLatin1Char('"') && quoted && i + 1 < line.size() && line.at(i + 1) == QLatin1Char('"'))
            cells.last() += line.at(++i);
        else if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (c == QLatin1Char(',') && !quoted)
            cells.append(QString());
        else
            cells.last() += c;
    }
    return cells;
}

/// A money amount stored in ten-thousandths as the CSV writes it: no
/// thousands separator, no trailing zeros ("-5000000", "126799.45").
QString moneyText(qint64 raw)
{
    const qint64 magnitude = raw < 0 ? -raw : raw;
    QString text = (raw < 0 ? QStringLiteral("-") : QString()) + QString::number(magnitude / 10000);
    QString fraction = QString::number(magnitude % 10000).rightJustified(4, QLatin1Char('0'));
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    return fraction.isEmpty() ? text : text + QLatin1Char('.') + fraction;
}

/// A date or date-time text of the database as the CSV writes dates.
QString csvDate(const QString &iso)
{
    const QString date = QDate::fromString(iso.left(10), Qt::ISODate).toString(QStringLiteral("M/d/yyyy"));
    const QTime time = iso.size() > 10 ? QTime::fromString(iso.mid(11, 8), Qt::ISODate) : QTime(0, 0);
    return time == QTime(0, 0) ? date : date + time.toString(QStringLiteral(" H:mm:ss"));
}

QString rateText(const data::Value &value)
{
    return value.isNull() ? QString() : QString::number(value.toDouble(), 'g', 15);
}

// The display fields of the open position report, in their order.
const QString OpenPositionHeader = QStringLiteral(
    "TicketNum,DealerName,BankName,ValueDate1,ValueDate2,SellRate,BuyRate,BuyCcy1,SellCcy1,Rate,BuyCcy2,"
    "SellCcy2,Caption,Summary,TCID,ConfTime,Status");
// The computed average rates of a summary row, compared with a tolerance: the
// sums come out of SQLite here and out of the report's own arithmetic there.
const QList<int> SummaryRateCells = {5, 6, 9};

// One row per leg of the day's FX deals (spot 2, outright 4, swap 8) whose
// status is not negative: the near leg of every deal, the far leg of swaps.
// The pair comes from the deal's two currencies.
const QString DayLegs = QStringLiteral(R"(
WITH legs AS (
    SELECT p.PairID AS Pair, t.DealTime, t.TicketNum, t.TradeID, n.Leg, t.ConfName, t.Bank1ID, t.TCID, t.Status,
           CASE n.Leg WHEN 1 THEN t.Volume1 ELSE t.VolumeP2C1 END AS V1,
           CASE n.Leg WHEN 1 THEN t.VolumeP1C2 ELSE t.VolumeP2C2 END AS V2,
           CASE n.Leg WHEN 1 THEN t.ExchRate1 ELSE t.ExchRate2 END AS Rate,
           CASE n.Leg WHEN 1 THEN t.ValDateP1C1 ELSE t.ValDateP2C1 END AS ValDate1,
           CASE n.Leg WHEN 1 THEN COALESCE(t.ValDateP1C2, t.ValDateP1C1)
                ELSE COALESCE(t.ValDateP2C2, t.ValDateP2C1) END AS ValDate2
    FROM Tickets t
    JOIN Pairs p ON p.Ccy1 = t.Ccy1 AND p.Ccy2 = t.Ccy2
    JOIN (SELECT 1 AS Leg UNION ALL SELECT 2) n ON n.Leg = 1 OR t.PureDealType = 8
    WHERE date(t.DealTime) = @Day AND t.PureDealType IN (2, 4, 8) AND t.Status >= 0))");

// Per pair: A the sells' first-currency sum (negative), B the buys', C and D
// the second-currency sums of the sells and the buys, and the average rates.
const QString PairSums = QStringLiteral(R"(
, sums AS (
    SELECT Pair,
           SUM(CASE WHEN V1 < 0 THEN V1 ELSE 0 END) AS A, SUM(CASE WHEN V1 >= 0 THEN V1 ELSE 0 END) AS B,
           SUM(CASE WHEN V1 < 0 THEN V2 ELSE 0 END) AS C, SUM(CASE WHEN V1 >= 0 THEN V2 ELSE 0 END) AS D,
           SUM(CASE WHEN V1 < 0 THEN abs(Rate * V1) ELSE 0 END) AS E,
           SUM(CASE WHEN V1 >= 0 THEN abs(Rate * V1) ELSE 0 END) AS F
    FROM legs GROUP BY Pair)
SELECT Pair, A, B, C, D,
       CASE WHEN A <> 0 THEN abs(E / A) END AS SellRate,
       CASE WHEN B <> 0 THEN abs(F / B) END AS BuyRate,
       CASE WHEN A + B <> 0 AND C + D <> 0 THEN abs(1.0 * (C + D) / (A + B)) END AS Rate
FROM sums ORDER BY Pair)");

data::RecordsetPtr query(data::Connection &connection, const QString &sql, const QString &day)
{
    data::Command command;
    command.setActiveConnection(&connection);
    command.setCommandText(sql);
    command.Parameters().Append(data::Parameter(QStringLiteral("@Day"), data::DataType::VarWChar, data::adParamInput,
                                                10, data::Value(day)));
    data::RecordsetPtr rs = command.Execute();
    if (!rs)
        qWarning() << "recomputing the day:" << (command.lastError() ? command.lastError()->Description : QString());
    return rs;
}

} // namespace

class tst_GoldenReports : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void outputEqualsReviewedFile_data();
    void outputEqualsReviewedFile();
    void openPositionEqualsFiguresFromTickets_data();
    void openPositionEqualsFiguresFromTickets();

private:
    /// Runs the case's arguments, then extra.
    RunResult runCase(const QString &folder, const QStringList &extra = {});
    QStringList openPositionFromTickets(const QString &day);

    QTemporaryDir m_dir;
    QString m_db;
    std::unique_ptr<testbackend::ScratchDatabase> m_server;   // the PostgreSQL backend's database
    int m_runs = 0;
};

void tst_GoldenReports::initTestCase()
{
    MARVOLT_SKIP_WITHOUT_BACKEND();
    QVERIFY(m_dir.isValid());
    m_db = m_dir.filePath(QStringLiteral("demo.db"));
    QStringList arguments{QStringLiteral("--out"), m_db, QStringLiteral("--deals"), Deals,
                          QStringLiteral("--seed"), Seed, QStringLiteral("--today"), Today};
    if (testbackend::onPostgres()) {
        m_server = std::make_unique<testbackend::ScratchDatabase>(QStringLiteral("golden"));
        QVERIFY2(m_server->isValid(), qPrintable(m_server->error()));
        arguments << QStringLiteral("--connect") << m_server->connectionString();
    }
    const RunResult built = runProgram(QStringLiteral(MARVOLT_DEMO_DB_EXE), arguments);
    QVERIFY2(built.exitCode == 0, qPrintable(built.err));
    const QString partitionScript = qEnvironmentVariable("MARVOLT_TEST_PARTITION_SCRIPT");
    if (m_server && !partitionScript.isEmpty()) {
        data::Connection connection;
        QVERIFY(connection.Open(m_server->connectionString()));
        connection.Execute(readText(partitionScript));
        QVERIFY2(!connection.lastError(),
                 connection.lastError() ? qPrintable(connection.lastError()->Description) : "");
        const data::RecordsetPtr partitioned = connection.Execute(QStringLiteral(
            "SELECT count(*) FROM pg_partitioned_table p JOIN pg_class c ON c.oid = p.partrelid"
            " WHERE c.relname IN ('tickets', 'archive')"));
        QVERIFY(partitioned && !partitioned->Eof());
        QCOMPARE(partitioned->Fields().Item(0).value().toInt64(), Q_INT64_C(2));
    }
}

RunResult tst_GoldenReports::runCase(const QString &folder, const QStringList &extra)
{
    // A settings store of its own per run: the runner commits each run's query
    // there, and a user's stored filters must not reach a case.
    const QString settings = m_dir.filePath(QStringLiteral("settings-%1.sqlite").arg(++m_runs));
    QStringList arguments{m_server ? QStringLiteral("--connect") : QStringLiteral("--db"),
                          m_server ? m_server->connectionString() : m_db, QStringLiteral("--today"), Today,
                          QStringLiteral("--user"), User, QStringLiteral("--settings"), settings,
                          QStringLiteral("--format"), QStringLiteral("csv")};
    return runProgram(QStringLiteral(MARVOLT_REPORT_EXE), arguments + caseArguments(folder) + extra);
}

void tst_GoldenReports::outputEqualsReviewedFile_data()
{
    QTest::addColumn<QString>("folder");
    const QDir root(QStringLiteral(GOLDEN_CASES_DIR));
    for (const QString &report : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QDir cases(root.filePath(report));
        for (const QString &name : cases.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
            QTest::newRow(qPrintable(report + QLatin1Char('/') + name)) << cases.filePath(name);
    }
}

void tst_GoldenReports::outputEqualsReviewedFile()
{
    QFETCH(QString, folder);
    // A case reviews what the runner prints (expected.csv), or the sheet of
    // the workbook it exports (expected-sheet1.xml, rows one a line).
    const QString sheet = readText(folder + QStringLiteral("/expected-sheet1.xml"));
    if (!sheet.isEmpty()) {
        const QString workbook = m_dir.filePath(QStringLiteral("case-%1.xlsx").arg(m_runs + 1));
        const RunResult run = runCase(folder, {QStringLiteral("--format"), QStringLiteral("xlsx"),
                                               QStringLiteral("--out"), workbook});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        const RunResult unzipped = runProgram(QStringLiteral("unzip"), {QStringLiteral("-p"), workbook,
                                                                        QStringLiteral("xl/worksheets/sheet1.xml")});
        QVERIFY2(unzipped.exitCode == 0, qPrintable(QStringLiteral("unzip: ") + unzipped.err));
        const QString actual = rowPerLine(withoutRunTime(unzipped.out)) + QLatin1Char('\n');
        QVERIFY2(actual == sheet, qPrintable(firstDifference(actual, sheet)));
        return;
    }
    const QString expected = readText(folder + QStringLiteral("/expected.csv"));
    QVERIFY2(!expected.isEmpty(), qPrintable(folder + QStringLiteral(": no expected.csv")));
    const RunResult run = runCase(folder);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    const QString actual = withoutRunTime(run.out);
    QVERIFY2(actual == expected, qPrintable(firstDifference(actual, expected)));
}

QStringList tst_GoldenReports::openPositionFromTickets(const QString &day)
{
    data::Connection connection;
    if (!connection.Open(QStringLiteral("Provider=SQLite;Data Source=\"%1\"").arg(m_db)))
        return {};
    data::RecordsetPtr legs = query(connection, DayLegs + QStringLiteral(
        " SELECT * FROM legs ORDER BY Pair, DealTime, TicketNum, TradeID, Leg"), day);
    data::RecordsetPtr sums = query(connection, DayLegs + PairSums, day);
    if (!legs || !sums)
        return {};
    QStringList rows{OpenPositionHeader};
    const auto text = [](data::RecordsetPtr &rs, const char *name) {
        return rs->Fields(QString::fromLatin1(name)).value().toString();
    };
    const auto raw = [](data::RecordsetPtr &rs, const char *name) {
        return rs->Fields(QString::fromLatin1(name)).value().toInt64();
    };
    if (legs->RecordCount() > 0)
        legs->MoveFirst();
    for (sums->MoveFirst(); !sums->Eof(); sums->MoveNext()) {
        for (; !legs->Eof() && text(legs, "Pair") == text(sums, "Pair"); legs->MoveNext()) {
            // A deal row: a sell (negative volume) shows its first currency as
            // sold and its second as bought; a buy the other way round.
            const bool sell = raw(legs, "V1") < 0;
            const QString v1 = moneyText(raw(legs, "V1")), v2 = moneyText(raw(legs, "V2"));
            rows.append(QStringList{text(legs, "TicketNum"), text(legs, "ConfName").trimmed(),
                                    text(legs, "Bank1ID").trimmed(), csvDate(text(legs, "ValDate1")),
                                    csvDate(text(legs, "ValDate2")), QString(), QString(), sell ? QString() : v1,
                                    sell ? v1 : QString(), rateText(legs->Fields(QStringLiteral("Rate")).value()),
                                    sell ? v2 : QString(), sell ? QString() : v2, text(legs, "Pair"),
                                    QStringLiteral("False"), text(legs, "TCID"), csvDate(text(legs, "DealTime")),
                                    text(legs, "Status")}
                            .join(QLatin1Char(',')));
        }
        const qint64 a = raw(sums, "A"), b = raw(sums, "B"), c = raw(sums, "C"), d = raw(sums, "D");
        rows.append(QStringList{QStringLiteral("-1"), moneyText(a + b), moneyText(c + d), QString(), QString(),
                                rateText(sums->Fields(QStringLiteral("SellRate")).value()),
                                rateText(sums->Fields(QStringLiteral("BuyRate")).value()), moneyText(b),
                                moneyText(a), rateText(sums->Fields(QStringLiteral("Rate")).value()),
                                moneyText(c), moneyText(d), text(sums, "Pair"), QStringLiteral("True"), QString(),
                                QString(), QString()}
                        .join(QLatin1Char(',')));
    }
    return rows;
}

void tst_GoldenReports::openPositionEqualsFiguresFromTickets_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("day");
    QTest::addColumn<bool>("fromRunner");   // else the reviewed file
    const QString root = QStringLiteral(GOLDEN_CASES_DIR "/open_position/");
    const QString today = root + QStringLiteral("default-day");
    const QString earlier = root + QStringLiteral("relative-day-leaves-out-deposits");
    QTest::newRow("today-reviewed-file") << today << Today << false;
    QTest::newRow("today-runner-output") << today << Today << true;
    QTest::newRow("day-with-deposits-reviewed-file") << earlier << QStringLiteral("2026-12-01") << false;
    QTest::newRow("day-with-deposits-runner-output") << earlier << QStringLiteral("2026-12-01") << true;
}

void tst_GoldenReports::openPositionEqualsFiguresFromTickets()
{
    QFETCH(QString, folder);
    QFETCH(QString, day);
    QFETCH(bool, fromRunner);

    QString output;
    if (fromRunner) {
        const RunResult run = runCase(folder);
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        output = run.out;
    } else {
        output = readText(folder + QStringLiteral("/expected.csv"));
    }
    const QStringList actual = output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QStringList expected = openPositionFromTickets(day);
    QVERIFY2(expected.size() > 1, "the demo day has no FX deals");

    for (qsizetype i = 0; i < qMax(actual.size(), expected.size()); ++i) {
        const QStringList a = csvCells(actual.value(i)), e = csvCells(expected.value(i));
        bool same = a.size() == e.size();
        for (qsizetype c = 0; same && c < a.size(); ++c) {
            if (a.at(c) == e.at(c))
                continue;
            // Average rates: the same to twelve significant digits.
            bool okA = false, okE = false;
            const double x = a.at(c).toDouble(&okA), y = e.at(c).toDouble(&okE);
            same = SummaryRateCells.contains(int(c)) && e.value(13) == QLatin1String("True") && okA && okE
                   && std::abs(x - y) <= 1e-12 * std::max(1.0, std::abs(y));
        }
        QVERIFY2(same, qPrintable(QStringLiteral("line %1\n   report: %2\n  tickets: %3")
                                      .arg(i + 1)
                                      .arg(actual.value(i, QStringLiteral("(none)")),
                                           expected.value(i, QStringLiteral("(none)")))));
    }
}

QTEST_GUILESS_MAIN(tst_GoldenReports)
#include "tst_golden_reports.moc"

// marvolt-report and marvolt-host run as processes on a generated demo
// database: the open position summary rows against an independent SQL
// computation over Tickets, the grid and screenshot outputs, and the exit
// status and one-line reason of every failure.

#include "ProgramRun.h"

#include "Connection.h"
#include "Recordset.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Today = QStringLiteral("2026-12-04");

using apptest::RunResult;
using apptest::runProgram;

/// A money text of the CSV ("-2536692.66", "10000000") in ten-thousandths, exactly.
bool currencyUnits(const QString &text, qint64 *units)
{
    QString digits = text.trimmed();
    const bool negative = digits.startsWith(QLatin1Char('-'));
    if (negative)
        digits.remove(0, 1);
    const QStringList parts = digits.split(QLatin1Char('.'));
    if (parts.size() > 2 || parts.value(1).size() > 4)
        return false;
    bool ok = false;
    const qint64 whole = parts.at(0).toLongLong(&ok);
    if (!ok)
        return false;
    qint64 fraction = 0;
    if (parts.size() == 2) {
        fraction = parts.at(1).leftJustified(4, QLatin1Char('0')).toLongLong(&ok);
        if (!ok)
            return false;
    }
    *units = (whole * 10000 + fraction) * (negative ? -1 : 1);
    return true;
}

/// CSV lines of the runner (no field of the open position report holds a
/// comma or a quote except names, which the runner quotes).
QList<QStringList> parseCsv(const QString &text)
{
    QList<QStringList> rows;
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        QStringList cells;
        QString cell;
        bool quoted = false;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar c = line.at(i);
            if (quoted) {
                if (c == QLatin1Char('"') && i + 1 < line.size() && line.at(i + 1) == QLatin1Char('"')) {
                    cell += c;
                    ++i;
                } else if (c == QLatin1Char('"')) {
                    quoted = false;
                } else {
                    cell += c;
                }
            } else if (c == QLatin1Char('"')) {
                quoted = true;
            } else if (c == QLatin1Char(',')) {
                cells.append(cell);
                cell.clear();
            } else {
                cell += c;
            }
        }
        cells.append(cell);
        rows.append(cells);
    }
    return rows;
}

/// What one pair's summary row must hold, computed from the legs alone.
struct PairExpectation
{
    qint64 sells1 = 0, buys1 = 0, sells2 = 0, buys2 = 0;   // A, B, C, D
    double sellWeight = 0, buyWeight = 0;                  // E, F
    int legs = 0;
};

bool sameDouble(const QString &text, double expected)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && qAbs(value - expected) <= 1e-12 * qMax(1.0, qAbs(expected));
}

} // namespace

class tst_MarvoltReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void normalRunWritesNothingToStandardError();
    void realWarningsStillReachStandardError();
    void summaryRowsMatchIndependentSql_data();
    void summaryRowsMatchIndependentSql();
    void gridShowsPairGroupsWithCaptions();
    void screenshotIsTheWholeControl();
    void detailScreenshotIsTheDealWindow_data();
    void detailScreenshotIsTheDealWindow();
    void queryErrorIsOneLineWithTheMessage();
    void connectionStringRunsAsTheFileDoes();
    void badInputGivesOneLineReason_data();
    void badInputGivesOneLineReason();
    void hostWithoutDisplayPointsToRunner();
    void batchWritesEveryReportAndGoesPastAFailure();

private:
    QStringList baseArguments() const;
    RunResult runReport(const QStringList &arguments) const;
    QHash<qint64, PairExpectation> expectedPairs(const QString &day, const QString &dealTypes);

    QTemporaryDir m_dir;
    QString m_db;
    QString m_tempDir;   // the runner's TMPDIR
    QProcessEnvironment m_environment;
    int m_settingsCount = 0;
};

void tst_MarvoltReport::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_db = m_dir.filePath(QStringLiteral("demo.db"));
    const RunResult built = runProgram(QStringLiteral(MARVOLT_DEMO_DB_EXE),
                                       {QStringLiteral("--out"), m_db, QStringLiteral("--deals"), QStringLiteral("8000"),
                                        QStringLiteral("--seed"), QStringLiteral("5"), QStringLiteral("--today"), Today});
    QVERIFY2(built.exitCode == 0, qPrintable(built.err));

    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("empty-folder")));
    QFile empty(m_dir.filePath(QStringLiteral("empty.db")));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    QFile text(m_dir.filePath(QStringLiteral("notes.db")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(4096, 'x'));
    text.close();
    data::Connection other;
    QVERIFY(other.Open(QStringLiteral("Provider=SQLite;Data Source=\"%1\";Create=True")
                           .arg(m_dir.filePath(QStringLiteral("other.db")))));
    other.Execute(QStringLiteral("CREATE TABLE Notes (Text TEXT)"));
    QVERIFY(!other.lastError());
    other.Close();

    // As under cron, in a container or over ssh: no session runtime folder.
    m_tempDir = m_dir.filePath(QStringLiteral("tmp"));
    QVERIFY(QDir().mkpath(m_tempDir));
    m_environment = QProcessEnvironment::systemEnvironment();
    m_environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    m_environment.insert(QStringLiteral("TMPDIR"), m_tempDir);
}

RunResult tst_MarvoltReport::runReport(const QStringList &arguments) const
{
    return runProgram(QStringLiteral(MARVOLT_REPORT_EXE), arguments, m_environment);
}

QStringList tst_MarvoltReport::baseArguments() const
{
    // A settings store of its own per run: no stored query carries over.
    return {QStringLiteral("--db"),
            m_db,
            QStringLiteral("--today"),
            Today,
            QStringLiteral("--user"),
            QStringLiteral("tester"),
            QStringLiteral("--settings"),
            m_dir.filePath(QStringLiteral("settings-%1.sqlite").arg(const_cast<tst_MarvoltReport *>(this)->m_settingsCount++))};
}

QHash<qint64, PairExpectation> tst_MarvoltReport::expectedPairs(const QString &day, const QString &dealTypes)
{
    // The deals of the day of the FX kinds (spot 2, outright 4, swap 8) with
    // a status of 0 or more, one row per leg with a value date: near legs of
    // every deal, far legs of swaps. Each pair's sums are taken in SQL.
    const QString legs = QStringLiteral(
        "SELECT COALESCE(t.PairID, (SELECT p.PairID FROM Pairs p WHERE p.Ccy1 = t.Ccy1 AND p.Ccy2 = t.Ccy2)) AS pair, "
        "       t.Volume1 AS v1, t.VolumeP1C2 AS v2, t.ExchRate1 AS rate "
        "FROM Tickets t WHERE t.DealTime >= '%1' AND t.DealTime < date('%1', '+1 day') "
        "  AND t.PureDealType IN (%2) AND t.Status >= 0 AND t.ValDateP1C1 IS NOT NULL "
        "UNION ALL "
        "SELECT COALESCE(t.PairID, (SELECT p.PairID FROM Pairs p WHERE p.Ccy1 = t.Ccy1 AND p.Ccy2 = t.Ccy2)), "
        "       t.VolumeP2C1, t.VolumeP2C2, t.ExchRate2 "
        "FROM Tickets t WHERE t.DealTime >= '%1' AND t.DealTime < date('%1', '+1 day') "
        "  AND t.PureDealType = 8 AND 8 IN (%2) AND t.Status >= 0 AND t.ValDateP2C1 IS NOT NULL")
                               .arg(day, dealTypes);
    const QString sums = QStringLiteral(
        "SELECT pair, SUM(CASE WHEN v1 < 0 THEN v1 ELSE 0 END), SUM(CASE WHEN v1 >= 0 THEN v1 ELSE 0 END), "
        "       SUM(CASE WHEN v1 < 0 THEN v2 ELSE 0 END), SUM(CASE WHEN v1 >= 0 THEN v2 ELSE 0 END), "
        "       SUM(CASE WHEN v1 < 0 THEN abs(rate * v1) ELSE 0 END), "
        "       SUM(CASE WHEN v1 >= 0 THEN abs(rate * v1) ELSE 0 END), COUNT(*) "
        "FROM (%1) GROUP BY pair")
                             .arg(legs);
    QHash<qint64, PairExpectation> pairs;
    data::Connection connection;
    if (!connection.Open(QStringLiteral("Provider=SQLite;Data Source=\"%1\"").arg(m_db)))
        return pairs;
    data::RecordsetPtr rs = connection.Execute(sums);
    if (!rs) {
        qWarning() << "expected sums:" << (connection.lastError() ? connection.lastError()->Description : QString());
        return pairs;
    }
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        PairExpectation p;
        // Money columns are stored as whole ten-thousandths.
        p.sells1 = rs->Fields(1).value().toInt64();
        p.buys1 = rs->Fields(2).value().toInt64();
        p.sells2 = rs->Fields(3).value().toInt64();
        p.buys2 = rs->Fields(4).value().toInt64();
        p.sellWeight = rs->Fields(5).value().toDouble();
        p.buyWeight = rs->Fields(6).value().toDouble();
        p.legs = rs->Fields(7).value().toInt();
        pairs.insert(rs->Fields(0).value().toInt64(), p);
    }
    connection.Close();
    return pairs;
}

void tst_MarvoltReport::normalRunWritesNothingToStandardError()
{
    QStringList arguments = baseArguments();
    arguments << QStringLiteral("--format") << QStringLiteral("grid");
    const RunResult run = runReport(arguments);
    QCOMPARE(run.exitCode, 0);
    QVERIFY(!run.out.isEmpty());
    QCOMPARE(run.err, QString());
    // Whatever folder the run used for itself is gone.
    QCOMPARE(QDir(m_tempDir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
}

void tst_MarvoltReport::realWarningsStillReachStandardError()
{
    // A settings store of a layout the store cannot use is set aside with a
    // warning; the report still runs.
    QStringList arguments = baseArguments();
    const QString settings = arguments.at(arguments.indexOf(QStringLiteral("--settings")) + 1);
    data::Connection connection;
    QVERIFY(connection.Open(QStringLiteral("Provider=SQLite;Data Source=\"%1\";Create=True").arg(settings)));
    connection.Execute(QStringLiteral("CREATE TABLE registry_values (key TEXT, name TEXT, value)"));
    QVERIFY(!connection.lastError());
    connection.Close();

    const RunResult run = runReport(arguments);
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().contains(QStringLiteral("was unreadable")), qPrintable(run.err));
}

void tst_MarvoltReport::summaryRowsMatchIndependentSql_data()
{
    QTest::addColumn<QString>("day");
    QTest::addColumn<QStringList>("sets");
    QTest::addColumn<QString>("dealTypes");
    QTest::newRow("report-day-every-value-date") << Today << QStringList{} << QStringLiteral("2, 4, 8");
    QTest::newRow("earlier-day-absolute") << QStringLiteral("2026-12-01")
                                          << QStringList{QStringLiteral("Relative=False"),
                                                         QStringLiteral("ValDate=2026-12-01")}
                                          << QStringLiteral("2, 4, 8");
    QTest::newRow("relative-day-count") << QStringLiteral("2026-12-02")
                                        << QStringList{QStringLiteral("Relative=True"), QStringLiteral("ValLong=-2")}
                                        << QStringLiteral("2, 4, 8");
    QTest::newRow("swaps-only-two-legs-each") << Today << QStringList{QStringLiteral("Deal=Swap")}
                                              << QStringLiteral("8");
    QTest::newRow("spot-and-outright") << Today << QStringList{QStringLiteral("Deal=Spot|Outright")}
                                       << QStringLiteral("2, 4");
}

void tst_MarvoltReport::summaryRowsMatchIndependentSql()
{
    QFETCH(QString, day);
    QFETCH(QStringList, sets);
    QFETCH(QString, dealTypes);

    QStringList arguments = baseArguments();
    arguments << QStringLiteral("--set") << QStringLiteral("EndDate=All");
    for (const QString &set : sets)
        arguments << QStringLiteral("--set") << set;
    arguments << QStringLiteral("--format") << QStringLiteral("csv");
    const RunResult run = runReport(arguments);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));

    const QList<QStringList> rows = parseCsv(run.out);
    QVERIFY(!rows.isEmpty());
    const QStringList header = rows.first();
    const auto col = [&header](const char *name) { return header.indexOf(QString::fromLatin1(name)); };
    for (const char *name : {"TicketNum", "DealerName", "BankName", "SellRate", "BuyRate", "BuyCcy1", "SellCcy1",
                             "Rate", "BuyCcy2", "SellCcy2", "Caption", "Summary"})
        QVERIFY2(col(name) >= 0, name);

    const QHash<qint64, PairExpectation> expected = expectedPairs(day, dealTypes);
    QVERIFY2(!expected.isEmpty(), "the demo day has no deals of these kinds");

    QHash<qint64, int> dealRows;
    QSet<qint64> summaries;
    for (qsizetype r = 1; r < rows.size(); ++r) {
        const QStringList &row = rows.at(r);
        QCOMPARE(row.size(), header.size());
        const qint64 pair = row.at(col("Caption")).toLongLong();
        if (row.at(col("Summary")) == QLatin1String("False")) {
            ++dealRows[pair];
            continue;
        }
        QCOMPARE(row.at(col("Summary")), QStringLiteral("True"));
        QVERIFY2(expected.contains(pair), qPrintable(QStringLiteral("unexpected pair %1").arg(pair)));
        QVERIFY2(!summaries.contains(pair), qPrintable(QStringLiteral("two summaries for pair %1").arg(pair)));
        summaries.insert(pair);
        const PairExpectation &p = expected.value(pair);
        const QString where = QStringLiteral("pair %1: ").arg(pair);

        QCOMPARE(row.at(col("TicketNum")), QStringLiteral("-1"));
        const auto checkMoney = [&](const char *field, qint64 units) {
            qint64 actual = 0;
            QVERIFY2(currencyUnits(row.at(col(field)), &actual),
                     qPrintable(where + QLatin1String(field) + QLatin1String(" = ") + row.at(col(field))));
            QVERIFY2(actual == units, qPrintable(where + QLatin1String(field) + QLatin1String(" = ")
                                                 + row.at(col(field)) + QLatin1String(", expected units ")
                                                 + QString::number(units)));
        };
        checkMoney("SellCcy1", p.sells1);
        checkMoney("BuyCcy1", p.buys1);
        checkMoney("BuyCcy2", p.sells2);
        checkMoney("SellCcy2", p.buys2);
        checkMoney("DealerName", p.sells1 + p.buys1);
        checkMoney("BankName", p.sells2 + p.buys2);

        // Average rates: empty where their divisor is zero.
        const auto checkRate = [&](const char *field, bool defined, double value) {
            const QString text = row.at(col(field));
            if (!defined)
                QVERIFY2(text.isEmpty(), qPrintable(where + QLatin1String(field) + QLatin1String(" = ") + text));
            else
                QVERIFY2(sameDouble(text, value), qPrintable(where + QLatin1String(field) + QLatin1String(" = ")
                                                             + text + QLatin1String(", expected ")
                                                             + QString::number(value, 'g', 17)));
        };
        checkRate("SellRate", p.sells1 != 0, qAbs(p.sellWeight / double(p.sells1)));
        checkRate("BuyRate", p.buys1 != 0, qAbs(p.buyWeight / double(p.buys1)));
        const qint64 net1 = p.sells1 + p.buys1;
        const qint64 net2 = p.sells2 + p.buys2;
        checkRate("Rate", net1 != 0 && net2 != 0, qAbs(double(net2) / double(net1)));
    }
    // Every pair has its summary and all its legs.
    QCOMPARE(summaries.size(), expected.size());
    for (auto it = expected.begin(); it != expected.end(); ++it)
        QCOMPARE(dealRows.value(it.key()), it.value().legs);
}

void tst_MarvoltReport::gridShowsPairGroupsWithCaptions()
{
    QStringList arguments = baseArguments();
    arguments << QStringLiteral("--set") << QStringLiteral("EndDate=All") << QStringLiteral("--view")
              << QStringLiteral("summary") << QStringLiteral("--format") << QStringLiteral("grid");
    const RunResult run = runReport(arguments);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY(lines.size() > 2);
    // Summary view: the pair and the net amounts, not the deal columns.
    const QStringList captions = lines.first().split(QLatin1Char('\t'));
    QVERIFY2(captions.contains(QStringLiteral("Summary Ccy1")), qPrintable(lines.first()));
    QVERIFY2(!captions.contains(QStringLiteral("Ticket #")), qPrintable(lines.first()));
    // Group rows name the pair, and the summary rows show formatted amounts.
    QVERIFY2(run.out.contains(QStringLiteral("EUR/USD")), qPrintable(run.out.left(2000)));
    QVERIFY2(run.out.contains(QRegularExpression(QStringLiteral("\\d{1,3}(,\\d{3})+\\.\\d\\d"))),
             qPrintable(run.out.left(2000)));
}

void tst_MarvoltReport::screenshotIsTheWholeControl()
{
    const QString png = m_dir.filePath(QStringLiteral("control.png"));
    QStringList arguments = baseArguments();
    arguments << QStringLiteral("--screenshot") << png << QStringLiteral("--out")
              << m_dir.filePath(QStringLiteral("screenshot.csv"));
    const RunResult run = runReport(arguments);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    const QImage image(png);
    QCOMPARE(image.size(), QSize(1280, 800));
    QVERIFY(QFileInfo(m_dir.filePath(QStringLiteral("screenshot.csv"))).size() > 0);
}

void tst_MarvoltReport::detailScreenshotIsTheDealWindow_data()
{
    QTest::addColumn<QString>("report");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("forward position lists the deals of its first row") << "1" << 0;
    QTest::newRow("open position has no deal list window") << "0" << 1;
}

void tst_MarvoltReport::detailScreenshotIsTheDealWindow()
{
    QFETCH(QString, report);
    QFETCH(int, exitCode);
    const QString png = m_dir.filePath(QStringLiteral("details-%1.png").arg(report));
    QStringList arguments = baseArguments();
    arguments << QStringLiteral("--report") << report << QStringLiteral("--detail") << png << QStringLiteral("--out")
              << m_dir.filePath(QStringLiteral("details.csv"));
    const RunResult run = runReport(arguments);
    QVERIFY2(run.exitCode == exitCode, qPrintable(run.err));
    if (exitCode != 0) {
        QVERIFY2(run.err.contains(QStringLiteral("has no deal list window")), qPrintable(run.err));
        QVERIFY(!QFileInfo::exists(png));
        return;
    }
    // The window alone, not the control.
    QCOMPARE(QImage(png).size(), QSize(1000, 420));
}

void tst_MarvoltReport::queryErrorIsOneLineWithTheMessage()
{
    // The same database without the report's procedure.
    const QString broken = m_dir.filePath(QStringLiteral("broken.db"));
    QFile::remove(broken);
    QVERIFY(QFile::copy(m_db, broken));
    data::Connection connection;
    QVERIFY(connection.Open(QStringLiteral("Provider=SQLite;Data Source=\"%1\"").arg(broken)));
    connection.Execute(QStringLiteral("DELETE FROM sys_procedures WHERE name = 'cnt_OpenPosition'"));
    QVERIFY(!connection.lastError());
    connection.Close();

    QStringList arguments = baseArguments();
    arguments[1] = broken;
    const RunResult run = runReport(arguments);
    QCOMPARE(run.exitCode, 1);
    const QStringList lines = run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY(!lines.isEmpty());
    QVERIFY2(lines.last().startsWith(QStringLiteral("marvolt-report: Error Return Information. Error number: ")),
             qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
}

void tst_MarvoltReport::connectionStringRunsAsTheFileDoes()
{
    const RunResult byFile = runReport(baseArguments() + QStringList{QStringLiteral("--report"), QStringLiteral("4")});
    QCOMPARE(byFile.exitCode, 0);
    const QStringList connect{QStringLiteral("--connect"),
                              QStringLiteral("Provider=SQLite;Data Source=\"%1\";Busy Timeout=2000").arg(m_db)};
    const RunResult byString = runReport(baseArguments().mid(2) + connect + QStringList{QStringLiteral("--report"), QStringLiteral("4")});
    QCOMPARE(byString.exitCode, 0);
    QVERIFY(!byString.out.isEmpty());
    QCOMPARE(byString.out, byFile.out);
}

void tst_MarvoltReport::badInputGivesOneLineReason_data()
{
    QTest::addColumn<QStringList>("arguments");   // after the base arguments; "-db" drops --db
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no-database-option") << QStringList{QStringLiteral("-db")} << 2
                                        << "give either --db FILE or --connect STRING";
    QTest::newRow("file-and-connection-string")
        << QStringList{QStringLiteral("--connect"), QStringLiteral("Provider=SQLite;Data Source=x.db")} << 2
        << "give either --db FILE or --connect STRING";
    // The connection string names the database in the reason, its password hidden.
    QTest::newRow("connection-to-another-program")
        << QStringList{QStringLiteral("-db"), QStringLiteral("--connect"),
                       QStringLiteral("Provider=SQLite;Data Source=%1;Password=secret").arg(m_dir.filePath(QStringLiteral("other.db")))}
        << 1 << "Password=*** as a trading database: no such table: sys_procedures";
    QTest::newRow("missing-database-file") << QStringList{QStringLiteral("--db"), QStringLiteral("/nonexistent/x.db")}
                                           << 1 << "database not found";
    QTest::newRow("empty-database-file") << QStringList{QStringLiteral("--db"), m_dir.filePath(QStringLiteral("empty.db"))}
                                         << 1 << "empty.db is empty, not a trading database";
    QTest::newRow("database-is-a-folder")
        << QStringList{QStringLiteral("--db"), m_dir.filePath(QStringLiteral("empty-folder"))} << 1
        << "empty-folder is a directory";
    QTest::newRow("file-that-is-no-database") << QStringList{QStringLiteral("--db"), m_dir.filePath(QStringLiteral("notes.db"))}
                                              << 1 << "cannot open the database";
    QTest::newRow("database-of-another-program")
        << QStringList{QStringLiteral("--db"), m_dir.filePath(QStringLiteral("other.db"))} << 1
        << "other.db as a trading database: no such table: sys_procedures";
    QTest::newRow("unknown-option") << QStringList{QStringLiteral("--colour"), QStringLiteral("red")} << 2
                                    << "unknown option";
    QTest::newRow("option-without-value") << QStringList{QStringLiteral("--format")} << 2 << "needs a value";
    QTest::newRow("bad-today") << QStringList{QStringLiteral("--today"), QStringLiteral("4.12.2026")} << 2
                               << "not a date";
    QTest::newRow("report-without-class") << QStringList{QStringLiteral("--report"), QStringLiteral("6")} << 2
                                          << "has no report class";
    QTest::newRow("unknown-report-name") << QStringList{QStringLiteral("--report"), QStringLiteral("dmNothing")} << 2
                                         << "no report";
    QTest::newRow("unknown-query-field") << QStringList{QStringLiteral("--set"), QStringLiteral("Colour=Red")} << 2
                                         << "unknown query field";
    QTest::newRow("unknown-pair") << QStringList{QStringLiteral("--set"), QStringLiteral("Pair=XXX/YYY")} << 2
                                  << "is not in the list";
    QTest::newRow("unknown-stored-filter") << QStringList{QStringLiteral("--filter"), QStringLiteral("Evening")} << 2
                                           << "no stored filter";
    QTest::newRow("bad-view") << QStringList{QStringLiteral("--view"), QStringLiteral("pairs")} << 2 << "--view";
    QTest::newRow("workbook-to-standard-output") << QStringList{QStringLiteral("--format"), QStringLiteral("xlsx")} << 2
                                                 << "--format xlsx needs --out FILE";
    QTest::newRow("unreadable-batch") << QStringList{QStringLiteral("--batch"), QStringLiteral("/nonexistent/eod.txt")}
                                      << 2 << "cannot read the batch /nonexistent/eod.txt";
}

void tst_MarvoltReport::badInputGivesOneLineReason()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, reason);
    QStringList all = baseArguments();
    if (arguments.value(0) == QLatin1String("-db"))
        all = all.mid(2) + arguments.mid(1);
    else
        all += arguments;
    const RunResult run = runReport(all);
    QCOMPARE(run.exitCode, exitCode);
    // The reason alone: nothing before it for a script to read instead.
    const QStringList lines = run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY2(lines.size() == 1, qPrintable(run.err));
    QVERIFY2(lines.last().startsWith(QStringLiteral("marvolt-report: ")) && lines.last().contains(reason),
             qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
}

void tst_MarvoltReport::hostWithoutDisplayPointsToRunner()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    const RunResult run =
        runProgram(QStringLiteral(MARVOLT_HOST_EXE), {QStringLiteral("--db"), m_db}, environment);
    QVERIFY(run.exitCode > 0);
    QVERIFY2(run.err.contains(QStringLiteral("needs a display")), qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral("marvolt-report --db ") + m_db), qPrintable(run.err));
}

void tst_MarvoltReport::batchWritesEveryReportAndGoesPastAFailure()
{
    // An end-of-day list: five reports into a dated folder, the fourth asking
    // for a pair the desk does not trade.
    const QString out = m_dir.filePath(QStringLiteral("eod"));
    const QString batch = m_dir.filePath(QStringLiteral("eod.txt"));
    QFile file(batch);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Text));
    file.write(QStringLiteral(
                   "# End of day\n"
                   "--report 0 --format xlsx --out \"%1/{today}/open positions.xlsx\"\n"
                   "\n"
                   "--report 13 --set ValLong=-7 --format grid-csv --out %1/{today}/brokers-{today:yyyyMMdd}.csv\n"
                   "--report 0 --view summary --out %1/{today}/open-summary.csv\n"
                   "--report 0 --set Pair=XXX/YYY --out %1/{today}/never.csv\n"
                   "--report 0 --format grid --out %1/{today}/open-grid.txt\n")
                   .arg(out)
                   .toUtf8());
    file.close();

    const RunResult run = runReport(baseArguments() + QStringList{QStringLiteral("--batch"), batch});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.trimmed() == QStringLiteral("marvolt-report: 1 of 5 reports failed"), qPrintable(run.err));
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 5);
    const QString day = out + QLatin1Char('/') + Today;
    const QStringList files{day + QStringLiteral("/open positions.xlsx"), day + QStringLiteral("/brokers-20261204.csv"),
                            day + QStringLiteral("/open-summary.csv"), QString(), day + QStringLiteral("/open-grid.txt")};
    const QList<int> lineNumbers{2, 4, 5, 6, 7};
    for (int i = 0; i < 5; ++i) {
        const QString &line = lines.at(i);
        const QString label = QStringLiteral("line %1, report ").arg(lineNumbers.at(i));
        if (files.at(i).isEmpty()) {
            QVERIFY2(line.startsWith(QStringLiteral("FAILED  ") + label) && line.contains(QStringLiteral("not in the list")),
                     qPrintable(line));
            QVERIFY(!QFile::exists(day + QStringLiteral("/never.csv")));
            continue;
        }
        QVERIFY2(line.startsWith(QStringLiteral("ok      ") + label) && line.endsWith(files.at(i)), qPrintable(line));
        QVERIFY2(QFileInfo(files.at(i)).size() > 0, qPrintable(files.at(i)));
    }
    // The rows a line reports are the rows written: the grid CSV's lines
    // after its captions and context, the summary CSV's after its header.
    const auto rowsOf = [](const QString &line) { return line.section(QStringLiteral(": "), 1).section(u' ', 0, 0).toInt(); };
    QFile brokers(files.at(1));
    QVERIFY(brokers.open(QIODevice::ReadOnly));
    const QStringList brokerLines = QString::fromUtf8(brokers.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(rowsOf(lines.at(1)), int(brokerLines.size() - 1 - brokerLines.filter(QRegularExpression(QStringLiteral("^Context,"))).size()));
    QFile summary(files.at(2));
    QVERIFY(summary.open(QIODevice::ReadOnly));
    QCOMPARE(rowsOf(lines.at(2)), int(QString::fromUtf8(summary.readAll()).count(QLatin1Char('\n')) - 1));
    // The workbook is one a spreadsheet opens: a zip with the sheet inside.
    const RunResult listed = runProgram(QStringLiteral("unzip"), {QStringLiteral("-l"), files.at(0)});
    QVERIFY2(listed.exitCode == 0 && listed.out.contains(QStringLiteral("xl/worksheets/sheet1.xml")), qPrintable(listed.err));
}

QTEST_GUILESS_MAIN(tst_MarvoltReport)
#include "tst_marvolt_report.moc"

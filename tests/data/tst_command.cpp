#include "Command.h"
#include "Connection.h"
#include "DealFixture.h"
#include "ProcedureCatalog.h"
#include "../support/TestBackend.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

using namespace data;
using fixture::errText;
using fixture::rowTexts;

namespace {

QString fieldTypes(const RecordsetPtr &rs)
{
    QStringList types;
    for (int i = 0; i < rs->Fields().Count(); ++i)
        types << rs->Fields(i).Name() + u' ' + ProcedureCatalog::typeName(rs->Fields(i).Type());
    return types.join(QStringLiteral(", "));
}

// Counting in a recursive CTE keeps the database busy without touching any table.
QString countTo(qint64 n)
{
    return QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < %1)"
                          " SELECT count(*) AS N FROM c")
        .arg(n);
}

const qint64 kForever = 1000000000000;

struct Completion
{
    long recordsAffected = -1;
    ErrorPtr error;
    int status = 0;
    Command *command = nullptr;
    RecordsetPtr recordset;
    Connection *connection = nullptr;
    QThread *thread = nullptr;
    int count = 0;
};

void record(Connection &conn, Completion &out)
{
    QObject::connect(&conn, &Connection::ExecuteComplete, &conn,
                     [&out](long ra, ErrorPtr err, int status, Command *cmd, RecordsetPtr rs, Connection *c) {
                         out.recordsAffected = ra;
                         out.error = err;
                         out.status = status;
                         out.command = cmd;
                         out.recordset = rs;
                         out.connection = c;
                         out.thread = QThread::currentThread();
                         ++out.count;
                     });
}

int temporaryTableCount(Connection &conn)
{
    const RecordsetPtr rs = conn.Execute(testbackend::temporaryTablesQuery());
    return rs ? rs->RecordCount() : -1;
}

/// Statements that take and hold the write lock on Selections until ROLLBACK.
QString holdWriteLock()
{
    return testbackend::onPostgres() ? QStringLiteral("BEGIN; LOCK TABLE Selections IN EXCLUSIVE MODE")
                                     : QStringLiteral("BEGIN IMMEDIATE");
}

} // namespace

class tst_Command : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<testbackend::EmptyDatabase> m_database;
    QString m_cs;

    void install(Connection &conn, const QString &script)
    {
        ErrorPtr error;
        QVERIFY2(ProcedureCatalog::installScript(conn, script, &error), errText(error));
    }

    void prepare(Command &cmd, Connection &conn, const QString &procedure)
    {
        cmd.setActiveConnection(&conn);
        cmd.setCommandType(adCmdStoredProc);
        cmd.setCommandText(procedure);
        cmd.setCommandTimeout(1200);
        QVERIFY2(cmd.Parameters().Refresh(), errText(cmd.lastError()));
    }

    // A report's private connection, set up the way reports set it up.
    void openReportConnection(Connection &conn)
    {
        conn.setCommandTimeout(1200);
        conn.setConnectionTimeout(600);
        conn.setMode(adModeRead);
        conn.setCursorLocation(adUseClient);
        QVERIFY(conn.Open(m_cs, QString(), QString(), -1));
    }

private Q_SLOTS:
    void initTestCase()
    {
        MARVOLT_SKIP_WITHOUT_BACKEND();
        m_database = std::make_unique<testbackend::EmptyDatabase>(QStringLiteral("command"));
        QVERIFY2(m_database->isValid(), qPrintable(m_database->error()));
        m_cs = m_database->connectionString();
        if (!testbackend::onPostgres())
            m_cs += QStringLiteral(";Busy Timeout=300");
        Connection conn;
        QVERIFY(conn.Open(m_cs));
        // Money is whole ten-thousandths, as in the trading tables.
        conn.Execute(QStringLiteral(
            "CREATE TABLE Deals(TradeID BIGINT PRIMARY KEY, Ccy INT, Volume BIGINT, Rate DOUBLE PRECISION, ValDate TEXT);"
            "INSERT INTO Deals VALUES(1, 840, 10000, 1.5, '2026-12-04'), (2, 840, 25000, 1.25, '2026-12-05'),"
            " (3, 978, -5000, 0.3333, '2026-12-04');"
            "CREATE TABLE Selections(UserName TEXT, Ccy INT, UNIQUE(UserName, Ccy));"));
        QVERIFY2(!conn.lastError(), errText(conn.lastError()));

        install(conn, QStringLiteral(
            "-- procedure: cnt_Positions\n"
            "-- param: @UserName VarWChar 50\n"
            "-- param: @DateReport Date\n"
            "-- param: @Deals Integer output\n"
            "-- param: @Total Currency inputoutput\n"
            "-- result 1: Ccy Integer, Volume Currency, Revalued Currency, ValDate Date, Summary Boolean\n"
            "CREATE TEMP TABLE pos AS SELECT Ccy, Volume, Rate, ValDate FROM Deals WHERE ValDate <= @DateReport;\n"
            "SELECT count(*) AS \"@Deals\", sum(Volume) + coalesce(@Total, 0) AS \"@Total\" FROM pos;\n"
            "SELECT Ccy, sum(Volume) AS Volume, sum(Volume * Rate) AS Revalued, max(ValDate) AS ValDate,"
            " 0 AS Summary FROM pos GROUP BY Ccy ORDER BY Ccy;\n"
            "SELECT @Deals AS DealCount, @Total AS Total, @UserName AS UserName;\n"
            "SELECT TradeID FROM Deals WHERE 1 = 0;\n"));
        install(conn, QStringLiteral(
            "-- procedure: StoreCcy\n"
            "-- param: @UserName VarWChar 50\n"
            "-- param: @Ccy Integer\n"
            "DELETE FROM Selections WHERE UserName = @UserName;\n"
            "INSERT INTO Selections VALUES(@UserName, @Ccy);\n"
            "INSERT INTO Selections VALUES(@UserName, @Ccy + 1);\n"
            "INSERT INTO Selections SELECT UserName, Ccy FROM Selections WHERE @Ccy = 999;\n"));
        install(conn, QStringLiteral("-- procedure: cnt_Typo\n-- param: @UserName VarWChar\n"
                                     "SELECT * FROM Deals WHERE @UsreName IS NULL;"));
        install(conn, QStringLiteral("-- procedure: cnt_Slow\n-- param: @N BigInt\n"
                                     "CREATE TEMP TABLE big(x INTEGER);\n") + countTo(kForever) + u';');
        install(conn, QStringLiteral("-- procedure: cnt_Count\n-- param: @N BigInt\n"
                                     "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < @N)"
                                     " SELECT count(*) AS N FROM c;"));
    }

    void shouldRefreshParametersFromCatalog()
    {
        Connection conn;
        openReportConnection(conn);
        Command cmd;
        prepare(cmd, conn, QStringLiteral("cnt_positions"));
        QStringList params;
        for (int i = 0; i < cmd.Parameters().Count(); ++i) {
            const Parameter *p = cmd.Parameters().Item(i);
            params << QStringLiteral("%1 %2 %3 %4").arg(p->Name(), ProcedureCatalog::typeName(p->Type()))
                          .arg(p->Direction()).arg(p->Size());
        }
        QCOMPARE(params, QStringList({QStringLiteral("@UserName VarWChar 1 50"),
                                      QStringLiteral("@DateReport Date 1 0"),
                                      QStringLiteral("@Deals Integer 2 0"),
                                      QStringLiteral("@Total Currency 3 0")}));
        QVERIFY(cmd.Parameters().Item(QStringLiteral("@USERNAME")));
        QVERIFY(!cmd.Parameters().Item(QStringLiteral("UserName")));
    }

    void shouldNameUnknownProcedure_data()
    {
        QTest::addColumn<bool>("withCatalog");
        QTest::newRow("unknown-name") << true;
        QTest::newRow("database-without-catalog") << false;
    }

    void shouldNameUnknownProcedure()
    {
        QFETCH(bool, withCatalog);
        Connection conn;
        const testbackend::EmptyDatabase empty(QStringLiteral("command_empty"));
        if (withCatalog) {
            openReportConnection(conn);
        } else {
            QVERIFY2(empty.isValid(), qPrintable(empty.error()));
            QVERIFY(conn.Open(empty.connectionString()));
        }
        Command cmd;
        cmd.setActiveConnection(&conn);
        cmd.setCommandType(adCmdStoredProc);
        cmd.setCommandText(QStringLiteral("cnt_NoSuchReport"));
        QVERIFY(!cmd.Parameters().Refresh());
        QCOMPARE(cmd.lastError()->Number, int(Error::NoSuchProcedure));
        QVERIFY(cmd.lastError()->Description.contains(QStringLiteral("cnt_NoSuchReport")));
        QVERIFY(!cmd.Execute());
        QCOMPARE(cmd.lastError()->Number, int(Error::NoSuchProcedure));
    }

    void shouldReturnResultSetsInOrderWithOutputs()
    {
        Connection conn;
        openReportConnection(conn);
        Command cmd;
        prepare(cmd, conn, QStringLiteral("cnt_Positions"));
        cmd.Parameters().Item(QStringLiteral("@UserName"))->setValue(Value(QStringLiteral("dealer1")));
        cmd.Parameters().Item(QStringLiteral("@DateReport"))->setValue(Value(DateTime::fromIsoString(u"2026-12-04").value()));
        cmd.Parameters().Item(QStringLiteral("@Total"))->setValue(Value(Currency::fromRaw(1)));
        cmd.Parameters().Item(QStringLiteral("@Deals"))->setValue(Value(77));   // an output: not read

        long affected = -1;
        RecordsetPtr rs = cmd.Execute(&affected, adOptionUnspecified);
        QVERIFY2(rs, errText(cmd.lastError()));
        QCOMPARE(affected, 0L);   // the temp table fill counts as well? no: CREATE ... AS is not DML
        QCOMPARE(fieldTypes(rs), QStringLiteral("Ccy Integer, Volume Currency, Revalued Currency, ValDate Date, Summary Boolean"));
        // 10000 * 1.5 = 15000 raw; -5000 * 0.3333 = -1666.5 rounds away from zero to -1667.
        QCOMPARE(rowTexts(rs), QStringList({QStringLiteral("840|1|1.5|12/4/2026|False"),
                                            QStringLiteral("978|-0.5|-0.1667|12/4/2026|False")}));
        QCOMPARE(rs->ActiveConnection(), &conn);

        RecordsetPtr second = rs->NextRecordset();
        QVERIFY(second);
        // A later statement sees the values the assignment gave the variables.
        // An undeclared column that only repeats a Currency variable shows its
        // raw ten-thousandths: declare result columns to get the exact type.
        QCOMPARE(rowTexts(second), QStringList{QStringLiteral("2|5001|dealer1")});
        RecordsetPtr third = second->NextRecordset();
        QVERIFY(third);
        QCOMPARE(third->State(), int(adStateOpen));
        QVERIFY(third->Eof() && third->Bof());
        QVERIFY(!third->NextRecordset());

        QCOMPARE(cmd.Parameters().Item(QStringLiteral("@Deals"))->value().toInt(), 2);
        QCOMPARE(cmd.Parameters().Item(QStringLiteral("@Total"))->value().toCurrency().raw(), Q_INT64_C(5001));
        QCOMPARE(cmd.Parameters().Item(QStringLiteral("@Total"))->value().type(), DataType::Currency);

        // The working table went with the run; the connection keeps nothing.
        QCOMPARE(temporaryTableCount(conn), 0);
        // A second run of the same command starts from a null output again.
        cmd.Parameters().Item(QStringLiteral("@Total"))->setValue(Value());
        QVERIFY(cmd.Execute());
        QCOMPARE(cmd.Parameters().Item(QStringLiteral("@Total"))->value().toCurrency().raw(), Q_INT64_C(5000));
    }

    void shouldCommitProcedureWritesAtomically()
    {
        Connection conn;
        QVERIFY(conn.Open(m_cs));
        Command cmd;
        prepare(cmd, conn, QStringLiteral("StoreCcy"));
        cmd.Parameters().Item(QStringLiteral("@UserName"))->setValue(Value(QStringLiteral("u")));
        cmd.Parameters().Item(QStringLiteral("@Ccy"))->setValue(Value(840));
        long affected = 0;
        QVERIFY(!cmd.Execute(&affected));
        QVERIFY2(!cmd.lastError(), errText(cmd.lastError()));
        QCOMPARE(affected, 2L);

        Connection other;
        QVERIFY(other.Open(m_cs));
        QCOMPARE(rowTexts(other.Execute(QStringLiteral("SELECT Ccy FROM Selections WHERE UserName = 'u' ORDER BY Ccy"))),
                 QStringList({QStringLiteral("840"), QStringLiteral("841")}));

        // 999 makes the last statement violate the unique key: the DELETE and
        // the two INSERTs before it must be undone as well.
        cmd.Parameters().Item(QStringLiteral("@Ccy"))->setValue(Value(999));
        QVERIFY(!cmd.Execute());
        QCOMPARE(cmd.lastError()->Number, int(Error::ErrorsInCommand));
        QVERIFY2(cmd.lastError()->Description.startsWith(QStringLiteral("StoreCcy: ")), errText(cmd.lastError()));
        QCOMPARE(rowTexts(other.Execute(QStringLiteral("SELECT Ccy FROM Selections WHERE UserName = 'u' ORDER BY Ccy"))),
                 QStringList({QStringLiteral("840"), QStringLiteral("841")}));
    }

    void shouldFailProcedureRunWithItsCode_data()
    {
        QTest::addColumn<QString>("procedure");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("named");
        QTest::newRow("write-on-read-only-connection") << "StoreCcy" << int(Error::ReadOnly) << QString();
        QTest::newRow("misspelt-variable") << "cnt_Typo" << int(Error::ErrorsInCommand) << "@UsreName";
    }

    void shouldFailProcedureRunWithItsCode()
    {
        QFETCH(QString, procedure);
        QFETCH(int, number);
        QFETCH(QString, named);
        Connection conn;
        openReportConnection(conn);
        Command cmd;
        prepare(cmd, conn, procedure);
        QVERIFY(!cmd.Execute());
        QCOMPARE(cmd.lastError()->Number, number);
        QVERIFY2(cmd.lastError()->Description.contains(named), errText(cmd.lastError()));
    }

    void shouldStopAtCommandTimeout()
    {
        Connection conn;
        openReportConnection(conn);
        Command cmd;
        prepare(cmd, conn, QStringLiteral("cnt_Slow"));
        cmd.setCommandTimeout(1);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!cmd.Execute());
        QCOMPARE(cmd.lastError()->Number, int(Error::Timeout));
        QVERIFY(timer.elapsed() >= 900);
        QVERIFY(timer.elapsed() < 4000);
        // The interrupted run left no working table behind.
        QCOMPARE(temporaryTableCount(conn), 0);
        // Plain SQL obeys the connection's CommandTimeout.
        conn.setCommandTimeout(1);
        QVERIFY(!conn.Execute(countTo(kForever)));
        QCOMPARE(conn.lastError()->Number, int(Error::Timeout));
        // Run asynchronously, the time-out arrives with the completion event.
        Completion done;
        record(conn, done);
        cmd.Execute(nullptr, adAsyncExecute);
        QTRY_COMPARE_WITH_TIMEOUT(done.count, 1, 5000);
        QCOMPARE(done.status, int(adStatusErrorsOccurred));
        QCOMPARE(done.error->Number, int(Error::Timeout));
    }

    void shouldCompleteAsynchronouslyOnOwningThread()
    {
        Connection conn;
        openReportConnection(conn);
        Completion done;
        record(conn, done);
        Command cmd;
        prepare(cmd, conn, QStringLiteral("cnt_Count"));
        cmd.Parameters().Item(QStringLiteral("@N"))->setValue(Value(qint64(2000000)));

        int ticks = 0;
        QTimer ticker;
        ticker.setInterval(10);
        connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
        ticker.start();

        QVERIFY(!cmd.Execute(nullptr, adAsyncExecute));
        QVERIFY(!cmd.lastError());
        QCOMPARE(conn.State(), int(adStateOpen | adStateExecuting));
        QTRY_COMPARE_WITH_TIMEOUT(done.count, 1, 8000);
        QVERIFY2(ticks >= 3, qPrintable(QString::number(ticks)));   // the event loop kept running

        QCOMPARE(done.thread, QThread::currentThread());
        QCOMPARE(done.status, int(adStatusOK));
        QVERIFY(!done.error);
        QCOMPARE(done.command, &cmd);
        QCOMPARE(done.connection, &conn);
        QVERIFY(done.recordset);
        QCOMPARE(done.recordset->ActiveConnection(), &conn);
        QCOMPARE(rowTexts(done.recordset), QStringList{QStringLiteral("2000000")});
        QCOMPARE(conn.State(), int(adStateOpen));
        // The report detaches what it keeps.
        RecordsetPtr kept = done.recordset->Clone(adLockUnspecified);
        kept->setActiveConnection(nullptr);
        QVERIFY(!kept->ActiveConnection());
        QVERIFY(conn.Close());
    }

    void shouldDeliverOutputsAndFollowingResultsAsynchronously()
    {
        Connection conn;
        openReportConnection(conn);
        Completion done;
        // The outputs are in the Command by the time the handler runs.
        qint64 totalSeenInHandler = -1;
        Command cmd;
        connect(&conn, &Connection::ExecuteComplete, this, [&](long, ErrorPtr, int, Command *c, RecordsetPtr, Connection *) {
            totalSeenInHandler = c->Parameters().Item(QStringLiteral("@Total"))->value().toCurrency().raw();
        });
        record(conn, done);
        prepare(cmd, conn, QStringLiteral("cnt_Positions"));
        cmd.Parameters().Item(QStringLiteral("@DateReport"))->setValue(Value(DateTime::fromIsoString(u"2026-12-31").value()));
        cmd.Execute(nullptr, adAsyncExecute);
        QTRY_COMPARE_WITH_TIMEOUT(done.count, 1, 5000);
        QCOMPARE(done.status, int(adStatusOK));
        QCOMPARE(totalSeenInHandler, Q_INT64_C(30000));
        QCOMPARE(rowTexts(done.recordset).size(), 2);
        RecordsetPtr second = done.recordset->NextRecordset();
        QVERIFY(second);
        QCOMPARE(second->ActiveConnection(), &conn);
        QCOMPARE(rowTexts(second), QStringList{QStringLiteral("3|30000|<null>")});
    }

    void shouldReportAsyncErrorsThroughTheEvent()
    {
        Connection conn;
        openReportConnection(conn);
        Completion done;
        record(conn, done);
        Command cmd;
        prepare(cmd, conn, QStringLiteral("cnt_Typo"));
        QVERIFY(!cmd.Execute(nullptr, adAsyncExecute));
        QVERIFY(!cmd.lastError());   // starting worked; the failure comes with the event
        QTRY_COMPARE_WITH_TIMEOUT(done.count, 1, 5000);
        QCOMPARE(done.status, int(adStatusErrorsOccurred));
        QVERIFY(done.error);
        QCOMPARE(done.error->Number, int(Error::ErrorsInCommand));
        QVERIFY(!done.recordset);

        // Plain SQL runs asynchronously too, with no command.
        conn.Execute(QStringLiteral("SELECT 5 AS Five"), nullptr, adAsyncExecute);
        QTRY_COMPARE_WITH_TIMEOUT(done.count, 2, 5000);
        QCOMPARE(done.command, nullptr);
        QCOMPARE(rowTexts(done.recordset), QStringList{QStringLiteral("5")});
    }

    void shouldRefuseSecondAsyncRunAndCloseWhileRunning()
    {
        Connection conn;
        openReportConnection(conn);
        Completion done;
        record(conn, done);
        Command slow;
        prepare(slow, conn, QStringLiteral("cnt_Slow"));
        slow.Execute(nullptr, adAsyncExecute);
        QVERIFY(!slow.lastError());

        Command second;
        prepare(second, conn, QStringLiteral("cnt_Count"));
        QVERIFY(!second.Execute(nullptr, adAsyncExecute));
        QCOMPARE(second.lastError()->Number, int(Error::StillExecuting));
        // Synchronous work still runs: it has the connection's own handle.
        second.Parameters().Item(QStringLiteral("@N"))->setValue(Value(qint64(3)));
        QCOMPARE(rowTexts(second.Execute()), QStringList{QStringLiteral("3")});

        QVERIFY(!conn.Close());
        QCOMPARE(conn.lastError()->Number, int(Error::StillExecuting));
        QCOMPARE(conn.State(), int(adStateOpen | adStateExecuting));

        // What a report does before it starts again: cancel, then close.
        QElapsedTimer timer;
        timer.start();
        conn.Cancel();
        QVERIFY(conn.Close());
        QVERIFY(timer.elapsed() < 2000);
        QCOMPARE(conn.State(), int(adStateClosed));
        QTRY_COMPARE_WITH_TIMEOUT(done.count, 1, 2000);
        QCOMPARE(done.status, int(adStatusCancel));
    }

    void shouldCancelLongStatementQuickly_data()
    {
        QTest::addColumn<int>("waitMs");
        QTest::newRow("while-running") << 200;
        QTest::newRow("right-after-start") << 0;
    }

    void shouldCancelLongStatementQuickly()
    {
        QFETCH(int, waitMs);
        Connection conn;
        openReportConnection(conn);
        Completion done;
        record(conn, done);
        Command cmd;
        prepare(cmd, conn, QStringLiteral("cnt_Slow"));
        cmd.Execute(nullptr, adAsyncExecute);
        QTest::qWait(waitMs);
        QCOMPARE(done.count, 0);
        QElapsedTimer timer;
        timer.start();
        conn.Cancel();
        QTRY_COMPARE_WITH_TIMEOUT(done.count, 1, 3000);
        QVERIFY(timer.elapsed() < 1000);
        QCOMPARE(done.status, int(adStatusCancel));
        QVERIFY(done.error);
        QCOMPARE(done.error->Number, int(Error::Cancelled));
        QVERIFY(!done.recordset);
        QCOMPARE(conn.State(), int(adStateOpen));
        // The connection can run again after a cancel.
        cmd.setCommandText(QStringLiteral("cnt_Count"));
        QVERIFY(cmd.Parameters().Refresh());
        cmd.Parameters().Item(QStringLiteral("@N"))->setValue(Value(qint64(10)));
        cmd.Execute(nullptr, adAsyncExecute);
        QTRY_COMPARE_WITH_TIMEOUT(done.count, 2, 3000);
        QCOMPARE(done.status, int(adStatusOK));
        QCOMPARE(rowTexts(done.recordset), QStringList{QStringLiteral("10")});
    }

    void shouldWaitForLockOnlyUntilBusyTimeout()
    {
        if (testbackend::onPostgres())
            QSKIP("Busy Timeout is the SQLite file lock's wait; on a server a write waits for the CommandTimeout");
        Connection conn;
        QVERIFY(conn.Open(m_cs));
        Connection holder;
        QVERIFY(holder.Open(m_cs));
        holder.Execute(holdWriteLock());
        QVERIFY(!holder.lastError());

        Completion done;
        record(conn, done);
        Command cmd;
        prepare(cmd, conn, QStringLiteral("StoreCcy"));
        cmd.Parameters().Item(QStringLiteral("@UserName"))->setValue(Value(QStringLiteral("locked")));
        QElapsedTimer timer;
        timer.start();
        cmd.Execute(nullptr, adAsyncExecute);
        QTRY_COMPARE_WITH_TIMEOUT(done.count, 1, 5000);
        // The write waits the 300 ms Busy Timeout of the connection string, then fails.
        QVERIFY(timer.elapsed() >= 250);
        QCOMPARE(done.status, int(adStatusErrorsOccurred));
        QCOMPARE(done.error->Number, int(Error::Unspecified));
        QCOMPARE(done.error->NativeError & 0xff, 5);   // SQLITE_BUSY
        holder.Execute(QStringLiteral("ROLLBACK"));

        cmd.Execute(nullptr, adAsyncExecute);
        QTRY_COMPARE_WITH_TIMEOUT(done.count, 2, 5000);
        QCOMPARE(done.status, int(adStatusOK));
    }

    void shouldCancelWaitForLock()
    {
        Connection conn;
        QVERIFY(conn.Open(testbackend::onPostgres() ? m_cs : m_cs + QStringLiteral(";Busy Timeout=20000")));
        Connection holder;
        QVERIFY(holder.Open(m_cs));
        holder.Execute(holdWriteLock());
        QVERIFY2(!holder.lastError(), errText(holder.lastError()));

        Completion done;
        record(conn, done);
        Command cmd;
        prepare(cmd, conn, QStringLiteral("StoreCcy"));
        cmd.Execute(nullptr, adAsyncExecute);
        QTest::qWait(100);
        QElapsedTimer timer;
        timer.start();
        conn.Cancel();
        QTRY_COMPARE_WITH_TIMEOUT(done.count, 1, 3000);
        QVERIFY(timer.elapsed() < 1000);
        QCOMPARE(done.status, int(adStatusCancel));
        holder.Execute(QStringLiteral("ROLLBACK"));
    }

    void shouldKeepCallersTempTablesAcrossProcedureRuns()
    {
        Connection conn;
        openReportConnection(conn);
        // A server's read-only session makes its own tables in a read-write transaction.
        const QString mine = QStringLiteral("CREATE TEMP TABLE mine(a INTEGER); INSERT INTO mine VALUES(1);");
        conn.Execute(testbackend::onPostgres() ? QStringLiteral("BEGIN READ WRITE; ") + mine + QStringLiteral("COMMIT")
                                               : mine);
        QVERIFY2(!conn.lastError(), errText(conn.lastError()));
        Command cmd;
        prepare(cmd, conn, QStringLiteral("cnt_Positions"));
        QVERIFY(cmd.Execute());
        QCOMPARE(rowTexts(conn.Execute(testbackend::temporaryTablesQuery())), QStringList{QStringLiteral("mine")});
    }

    void shouldCompleteWithoutCommandWhenCommandIsGone()
    {
        Connection conn;
        openReportConnection(conn);
        Completion done;
        record(conn, done);
        auto *cmd = new Command;
        prepare(*cmd, conn, QStringLiteral("cnt_Count"));
        cmd->Parameters().Item(QStringLiteral("@N"))->setValue(Value(qint64(200000)));
        cmd->Execute(nullptr, adAsyncExecute);
        delete cmd;
        QTRY_COMPARE_WITH_TIMEOUT(done.count, 1, 5000);
        QCOMPARE(done.command, nullptr);
        QCOMPARE(done.status, int(adStatusOK));
        QCOMPARE(rowTexts(done.recordset), QStringList{QStringLiteral("200000")});
    }

    void shouldSurviveDestructionWhileRunning()
    {
        int delivered = 0;
        QElapsedTimer timer;
        timer.start();
        {
            auto *conn = new Connection;
            openReportConnection(*conn);
            connect(conn, &Connection::ExecuteComplete, this, [&] { ++delivered; });
            Command cmd;
            prepare(cmd, *conn, QStringLiteral("cnt_Slow"));
            cmd.Execute(nullptr, adAsyncExecute);
            QTest::qWait(100);
            delete conn;   // interrupts and joins the worker
        }
        QVERIFY(timer.elapsed() < 3000);
        // A completion posted just before the destruction must not arrive.
        {
            auto *conn = new Connection;
            openReportConnection(*conn);
            connect(conn, &Connection::ExecuteComplete, this, [&] { ++delivered; });
            conn->Execute(QStringLiteral("SELECT 1"), nullptr, adAsyncExecute);
            QThread::msleep(200);   // the worker is done and has posted by now
            delete conn;
        }
        QTest::qWait(50);
        QCOMPARE(delivered, 0);
    }
};

QTEST_GUILESS_MAIN(tst_Command)
#include "tst_command.moc"

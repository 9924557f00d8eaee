// Stored procedures on PostgreSQL through the data layer: the procedure
// catalog on the server, the rules the SQLite driver keeps (declared types,
// variables, output parameters, one transaction per run), the session's
// transaction control and a report's asynchronous run with its cancel. Each
// run has a database of its own on the test server (MARVOLT_PG_CONNECT);
// without one the cases are skipped.

#include "../support/TestBackend.h"

#include "Command.h"
#include "Connection.h"
#include "ProcedureCatalog.h"
#include "Recordset.h"

#include <QElapsedTimer>
#include <QTest>

#include <memory>

using namespace data;

namespace {

// A procedure of every rule: declared parameters, an assignment, two result
// sets with declared types, an output parameter. The body's own column
// names are lower case, as the server returns unquoted names.
const char *const Positions = R"(-- procedure: cnt_Positions
-- param: @UserName VarWChar 50
-- param: @DateReport Date
-- param: @Deals Integer output
-- param: @Total Currency output
-- result 1: Ccy Integer, Volume Currency, ValDate Date, Settled Boolean
-- result 2: Deals BigInt, Total Currency
SELECT count(*) AS "@Deals", COALESCE(SUM(volume), 0) AS "@Total" FROM deals WHERE valdate <= @DateReport;
SELECT ccy, volume, valdate, CASE WHEN valdate < @DateReport THEN 1 ELSE 0 END AS settled
FROM deals WHERE valdate <= @DateReport ORDER BY ccy, valdate;
SELECT @Deals AS deals, @Total AS total;
)";

// Writes, then fails on its second statement: nothing of it may last.
const char *const FailsHalfway = R"(-- procedure: cnt_FailsHalfway
-- param: @Ccy Integer
INSERT INTO deals (ccy, volume, valdate) VALUES (@Ccy, 10000, '2026-12-01');
SELECT 1 / 0 AS boom;
)";

// Working tables, as the report procedures keep them, and a write besides.
const char *const WithWorkingTable = R"(-- procedure: cnt_WithWorkingTable
-- result 1: N BigInt
CREATE TEMP TABLE work AS SELECT ccy FROM deals;
INSERT INTO audit (note) VALUES ('ran');
SELECT count(*) AS n FROM work;
)";

const char *const Slow = R"(-- procedure: cnt_Slow
-- result 1: Done Integer
SELECT 1 AS done FROM pg_sleep(30);
)";

QString rowsOf(const RecordsetPtr &rs)
{
    QStringList rows;
    if (!rs)
        return QStringLiteral("(none)");
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        QStringList cells;
        for (int i = 0; i < rs->Fields().Count(); ++i) {
            const Value v = rs->Fields().Item(i).value();
            cells << (v.isNull() ? QStringLiteral("-")
                      : v.type() == DataType::Date ? v.toDate().toIsoString()
                                                  : v.toString());
        }
        rows << cells.join(u'|');
    }
    return rows.join(u'\n');
}

QString fieldsOf(const RecordsetPtr &rs)
{
    QStringList fields;
    for (int i = 0; rs && i < rs->Fields().Count(); ++i)
        fields << rs->Fields().Item(i).Name() + u' ' + ProcedureCatalog::typeName(rs->Fields().Item(i).Type());
    return fields.join(QStringLiteral(", "));
}

} // namespace

class tst_PostgresProcedures final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<testbackend::ScratchDatabase> m_server;

    QString connectionString() const { return m_server->connectionString(); }

    QString scalar(Connection &connection, const QString &sql)
    {
        const RecordsetPtr rs = connection.Execute(sql);
        if (connection.lastError())
            return connection.lastError()->Description;
        return rs && !rs->Eof() ? rs->Fields().Item(0).value().toString() : QStringLiteral("(no row)");
    }

    void prepare(Command &command, Connection &connection, const QString &procedure)
    {
        command.setActiveConnection(&connection);
        command.setCommandType(adCmdStoredProc);
        command.setCommandText(procedure);
        QVERIFY2(command.Parameters().Refresh(),
                 command.lastError() ? qPrintable(command.lastError()->Description) : "");
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (testbackend::serverString().isEmpty())
            QSKIP("no PostgreSQL server: set MARVOLT_PG_CONNECT, or run scripts/test.sh, which starts one");
        m_server = std::make_unique<testbackend::ScratchDatabase>(QStringLiteral("procedures_driver"));
        QVERIFY2(m_server->isValid(), qPrintable(m_server->error()));
        Connection connection;
        QVERIFY(connection.Open(connectionString()));
        connection.Execute(QStringLiteral(
            "CREATE TABLE deals (ccy bigint, volume bigint, valdate text);"
            "CREATE TABLE audit (note text);"
            "INSERT INTO deals VALUES (2, 1000000000, '2026-12-01'), (1, -25000, '2026-12-04 10:30:00'),"
            " (2, 5, '2026-12-09')"));
        QVERIFY(!connection.lastError());
        for (const char *script : {Positions, FailsHalfway, WithWorkingTable, Slow}) {
            ErrorPtr error;
            QVERIFY2(ProcedureCatalog::installScript(connection, QString::fromUtf8(script), &error),
                     error ? qPrintable(error->Description) : "");
        }
    }

    void declaredParametersComeFromTheServersCatalog()
    {
        Connection connection;
        QVERIFY(connection.Open(connectionString()));
        Command command;
        prepare(command, connection, QStringLiteral("CNT_POSITIONS"));   // names compare without case
        QStringList parameters;
        for (int i = 0; i < command.Parameters().Count(); ++i) {
            const Parameter *p = command.Parameters().Item(i);
            parameters << QStringLiteral("%1 %2 %3").arg(p->Name(), ProcedureCatalog::typeName(p->Type())).arg(p->Direction());
        }
        QCOMPARE(parameters, QStringList({QStringLiteral("@UserName VarWChar 1"), QStringLiteral("@DateReport Date 1"),
                                          QStringLiteral("@Deals Integer 2"), QStringLiteral("@Total Currency 2")}));
        command.setCommandText(QStringLiteral("cnt_NoSuchThing"));
        QVERIFY(!command.Parameters().Refresh());
        QCOMPARE(command.lastError()->Number, int(Error::NoSuchProcedure));
    }

    // Result sets in order, with the declared names and types; variables
    // assigned by a statement reach later statements and the outputs.
    void resultSetsAndOutputsFollowTheDeclaration()
    {
        Connection connection;
        connection.setMode(adModeRead);
        QVERIFY(connection.Open(connectionString()));
        Command command;
        prepare(command, connection, QStringLiteral("cnt_Positions"));
        command.Parameters().Item(QStringLiteral("@UserName"))->setValue(Value(QStringLiteral("tester")));
        command.Parameters().Item(QStringLiteral("@DateReport"))
            ->setValue(Value(*DateTime::fromIsoString(QStringLiteral("2026-12-04 23:59:59"))));
        RecordsetPtr rs = command.Execute();
        QVERIFY2(!command.lastError(), command.lastError() ? qPrintable(command.lastError()->Description) : "");
        QCOMPARE(fieldsOf(rs), QStringLiteral("Ccy Integer, Volume Currency, ValDate Date, Settled Boolean"));
        QCOMPARE(rowsOf(rs), QStringLiteral("1|-2.5|2026-12-04 10:30:00|True\n2|100000|2026-12-01|True"));
        rs = rs->NextRecordset();
        QCOMPARE(fieldsOf(rs), QStringLiteral("Deals BigInt, Total Currency"));
        QCOMPARE(rowsOf(rs), QStringLiteral("2|99997.5"));
        QVERIFY(!rs->NextRecordset());
        QCOMPARE(command.Parameters().Item(QStringLiteral("@Deals"))->value().toInt64(), Q_INT64_C(2));
        QCOMPARE(command.Parameters().Item(QStringLiteral("@Total"))->value().toCurrency().raw(), Q_INT64_C(999975000));
    }

    void aFailingRunLeavesNothingBehind_data()
    {
        QTest::addColumn<bool>("inCallersTransaction");
        QTest::newRow("own-transaction") << false;
        QTest::newRow("savepoint-in-callers-transaction") << true;
    }

    void aFailingRunLeavesNothingBehind()
    {
        QFETCH(bool, inCallersTransaction);
        Connection connection;
        QVERIFY(connection.Open(connectionString()));
        if (inCallersTransaction)
            connection.Execute(QStringLiteral("BEGIN; INSERT INTO audit VALUES ('caller')"));
        Command command;
        prepare(command, connection, QStringLiteral("cnt_FailsHalfway"));
        command.Parameters().Item(QStringLiteral("@Ccy"))->setValue(Value(qint64(9)));
        command.Execute();
        QVERIFY(command.lastError());
        QVERIFY2(command.lastError()->Description.contains(QStringLiteral("22012")),
                 qPrintable(command.lastError()->Description));
        // The caller's own work survives the procedure's failure.
        if (inCallersTransaction) {
            QCOMPARE(scalar(connection, QStringLiteral("SELECT count(*) FROM audit WHERE note = 'caller'")),
                     QStringLiteral("1"));
            connection.Execute(QStringLiteral("ROLLBACK"));
        }
        QCOMPARE(scalar(connection, QStringLiteral("SELECT count(*) FROM deals WHERE ccy = 9")), QStringLiteral("0"));
    }

    // A read-write session commits the procedure's writes and drops its
    // working tables; a read-only one runs it all the same and keeps nothing.
    void workingTablesGoAndReadOnlySessionsWriteNothing_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("auditRows");
        QTest::newRow("read-write") << int(adModeReadWrite) << "1";
        QTest::newRow("read-only") << int(adModeRead) << "0";
    }

    void workingTablesGoAndReadOnlySessionsWriteNothing()
    {
        QFETCH(int, mode);
        QFETCH(QString, auditRows);
        Connection writer;
        QVERIFY(writer.Open(connectionString()));
        writer.Execute(QStringLiteral("DELETE FROM audit"));
        Connection connection;
        connection.setMode(mode);
        QVERIFY(connection.Open(connectionString()));
        for (int run = 0; run < 2; ++run) {   // the second run finds no table left by the first
            Command command;
            prepare(command, connection, QStringLiteral("cnt_WithWorkingTable"));
            const RecordsetPtr rs = command.Execute();
            QVERIFY2(!command.lastError(), command.lastError() ? qPrintable(command.lastError()->Description) : "");
            QCOMPARE(rowsOf(rs), QStringLiteral("3"));
        }
        QCOMPARE(scalar(connection, QStringLiteral("SELECT to_regclass('pg_temp.work') IS NULL")),
                 QStringLiteral("True"));
        QCOMPARE(scalar(writer, QStringLiteral("SELECT count(*) FROM audit")), mode == adModeRead ? auditRows
                                                                                                 : QStringLiteral("2"));
        // Plain writes stay refused on the read-only session.
        if (mode == adModeRead) {
            connection.Execute(QStringLiteral("INSERT INTO audit VALUES ('direct')"));
            QVERIFY(connection.lastError());
            QVERIFY2(connection.lastError()->Description.contains(QStringLiteral("25006")),
                     qPrintable(connection.lastError()->Description));
        }
    }

    // A savepoint outside a transaction begins one, and releasing it commits,
    // as on SQLite; rolling back to it first keeps nothing.
    void savepointsWorkAsOnSqlite()
    {
        Connection connection;
        QVERIFY(connection.Open(connectionString()));
        Connection other;
        QVERIFY(other.Open(connectionString()));
        connection.Execute(QStringLiteral("DELETE FROM audit; SAVEPOINT outer_work; INSERT INTO audit VALUES ('kept')"));
        QVERIFY(!connection.lastError());
        QCOMPARE(scalar(other, QStringLiteral("SELECT count(*) FROM audit")), QStringLiteral("0"));   // not yet committed
        connection.Execute(QStringLiteral("RELEASE outer_work"));
        QCOMPARE(scalar(other, QStringLiteral("SELECT count(*) FROM audit")), QStringLiteral("1"));
        connection.Execute(QStringLiteral("SAVEPOINT second; INSERT INTO audit VALUES ('dropped');"
                                          " ROLLBACK TO second; RELEASE second"));
        QVERIFY(!connection.lastError());
        QCOMPARE(scalar(other, QStringLiteral("SELECT string_agg(note, ',') FROM audit")), QStringLiteral("kept"));
        // A transaction that failed does not pass its release off as a commit.
        connection.Execute(QStringLiteral("SAVEPOINT third; INSERT INTO audit VALUES ('lost')"));
        connection.Execute(QStringLiteral("SELECT 1 / 0"));
        connection.Execute(QStringLiteral("RELEASE third"));
        QVERIFY(connection.lastError());
        QCOMPARE(scalar(other, QStringLiteral("SELECT string_agg(note, ',') FROM audit")), QStringLiteral("kept"));
    }

    // A report's run: asynchronous on a read-only connection, cancelled while
    // the server works on it. The run ends as cancelled and the server stops.
    void cancelStopsTheServerWithinASecond()
    {
        Connection connection;
        connection.setMode(adModeRead);
        connection.setCursorLocation(adUseClient);
        QVERIFY(connection.Open(connectionString(), QString(), QString(), -1));
        int completions = 0;
        ErrorPtr outcome;
        int status = 0;
        connect(&connection, &Connection::ExecuteComplete, this,
                [&](long, ErrorPtr error, int adStatus, Command *, RecordsetPtr, Connection *) {
                    outcome = error;
                    status = adStatus;
                    ++completions;
                });
        Command command;
        prepare(command, connection, QStringLiteral("cnt_Slow"));
        command.Execute(nullptr, adAsyncExecute);
        Connection watcher;
        QVERIFY(watcher.Open(connectionString()));
        const QString running = QStringLiteral(
            "SELECT count(*) FROM pg_stat_activity WHERE datname = current_database() AND state = 'active'"
            " AND query LIKE '%pg_sleep%' AND pid <> pg_backend_pid()");
        QTRY_COMPARE_WITH_TIMEOUT(scalar(watcher, running), QStringLiteral("1"), 5000);
        QElapsedTimer timer;
        timer.start();
        connection.Cancel();
        QTRY_COMPARE_WITH_TIMEOUT(completions, 1, 3000);
        QCOMPARE(status, int(adStatusCancel));
        QVERIFY(outcome);
        QCOMPARE(outcome->Number, int(Error::Cancelled));
        QTRY_COMPARE_WITH_TIMEOUT(scalar(watcher, running), QStringLiteral("0"), 1000);
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
    }
};

QTEST_GUILESS_MAIN(tst_PostgresProcedures)
#include "tst_procedures.moc"

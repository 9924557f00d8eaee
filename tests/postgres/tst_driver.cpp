// The PostgreSQL driver on a real server: every column type read from the
// binary format, money exact, named parameters, several statements, the
// server's errors with their SQLSTATE, read-only sessions, and a cancel or
// time-out that stops the server's work. The statement splitting runs
// without a server. The server comes from MARVOLT_PG_CONNECT (scripts/test.sh
// starts a throwaway cluster); without one the server cases are skipped.

#include "postgres/PostgresDriver.h"
#include "postgres/PostgresStatements.h"

#include "Connection.h"
#include "ConnectionString.h"
#include "ExecutionControl.h"
#include "Recordset.h"

#include <QElapsedTimer>
#include <QTest>

#include <thread>

using namespace data;

namespace {

QString serverString()
{
    return qEnvironmentVariable("MARVOLT_PG_CONNECT");
}

std::unique_ptr<Driver> openDriver(int mode = adModeUnknown)
{
    ErrorPtr error;
    std::unique_ptr<Driver> driver = Driver::create(serverString(), &error);
    if (!driver || !driver->open(mode, &error))
        qWarning("cannot open %s: %s", qPrintable(serverString()), error ? qPrintable(error->Description) : "");
    return driver && driver->isOpen() ? std::move(driver) : nullptr;
}

ExecuteResult run(Driver &driver, const QString &sql, const QList<Parameter> &parameters = {})
{
    ExecutionControl control;
    return driver.execute({sql, adCmdText, parameters}, control);
}

Value cell(const RecordsetPtr &rs, const char *name)
{
    return rs->Fields(QString::fromLatin1(name)).value();
}

} // namespace

class TestPostgresDriver final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void statementsSplitAndParametersNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QStringList>("names");   // of the last statement
        QTest::newRow("two statements") << "SELECT 1; SELECT @A, @b, @a" << QStringList{"SELECT 1", " SELECT $1, $2, $1"}
                                        << QStringList{"@a", "@b"};
        QTest::newRow("quotes and comments are text")
            << "SELECT ';@A' AS \"x;@y\" -- ; @c\n, 2 /* ; @d */"
            << QStringList{"SELECT ';@A' AS \"x;@y\" -- ; @c\n, 2 /* ; @d */"} << QStringList{};
        QTest::newRow("a doubled quote") << "SELECT 'O''Brien;' || @Name" << QStringList{"SELECT 'O''Brien;' || $1"}
                                         << QStringList{"@name"};
        QTest::newRow("dollar-quoted body") << "DO $body$ BEGIN PERFORM 1; END $body$; SELECT 2"
                                            << QStringList{"DO $body$ BEGIN PERFORM 1; END $body$", " SELECT 2"}
                                            << QStringList{};
        QTest::newRow("operators keep their @") << "SELECT a @> b, c @@ d, @ -1" << QStringList{"SELECT a @> b, c @@ d, @ -1"}
                                                << QStringList{};
        QTest::newRow("empty statements go") << " ; -- only a comment\n;" << QStringList{} << QStringList{};
    }
    void statementsSplitAndParametersNumber()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, statements);
        QFETCH(QStringList, names);
        const QList<PostgresStatement> split = splitPostgresStatements(text);
        QStringList texts;
        for (const PostgresStatement &s : split)
            texts.append(s.text);
        QCOMPARE(texts, statements);
        QCOMPARE(split.isEmpty() ? QStringList{} : split.last().parameterNames, names);
    }

    void settingsBecomeLibpqKeywords()
    {
        const auto settings = ConnectionString::parse(
            QStringLiteral("Provider=PostgreSQL;Host=/tmp/x y;Port=5433;Database=trading;User=o'neil;sslmode=disable"));
        QVERIFY(settings);
        ErrorPtr error;
        const auto driver = PostgresDriver::create(*settings, &error);
        QCOMPARE(driver->conninfo(),
                 QByteArray("dbname='trading' host='/tmp/x y' port='5433' sslmode='disable' user='o\\'neil'"));
        QCOMPARE(driver->providerName(), QStringLiteral("PostgreSQL"));
    }

    void init()
    {
        if (serverString().isEmpty() && QByteArray(QTest::currentTestFunction()) != "statementsSplitAndParametersNumber"
            && QByteArray(QTest::currentTestFunction()) != "settingsBecomeLibpqKeywords")
            QSKIP("no PostgreSQL server: set MARVOLT_PG_CONNECT, or run scripts/test.sh, which starts one");
    }

    void readsEveryTypeExactly()
    {
        const auto driver = openDriver();
        QVERIFY(driver);
        const ExecuteResult r = run(*driver, QStringLiteral(
            "SELECT 7::int2 AS s, -8::int4 AS i, 9007199254740993::int8 AS b, 1.25::float8 AS d, 0.5::float4 AS f, "
            "-12345678901234.5678::numeric AS m, 1.23456::numeric AS r, true AS t, DATE '2026-12-04' AS day, "
            "TIMESTAMP '1999-12-31 23:59:59' AS ts, 'O''Brien – Zürich'::text AS txt, 'x'::char(3) AS c, "
            "NULL::int8 AS n"));
        QVERIFY2(!r.error, r.error ? qPrintable(r.error->Description) : "");
        QCOMPARE(r.results.size(), size_t(1));
        const RecordsetPtr &rs = r.results.front();
        QCOMPARE(rs->RecordCount(), 1);
        QCOMPARE(rs->Fields(QStringLiteral("s")).Type(), DataType::SmallInt);
        QCOMPARE(cell(rs, "s").toInt(), 7);
        QCOMPARE(cell(rs, "i").toInt(), -8);
        QCOMPARE(cell(rs, "b").toInt64(), Q_INT64_C(9007199254740993));
        QCOMPARE(cell(rs, "d").toDouble(), 1.25);
        QCOMPARE(cell(rs, "f").toDouble(), 0.5);
        // Money stays whole ten-thousandths, past double's precision.
        QCOMPARE(rs->Fields(QStringLiteral("m")).Type(), DataType::Currency);
        QCOMPARE(cell(rs, "m").toCurrency().raw(), Q_INT64_C(-123456789012345678));
        QCOMPARE(cell(rs, "r").toCurrency().raw(), Q_INT64_C(12346));
        QCOMPARE(cell(rs, "t").toBool(), true);
        QCOMPARE(cell(rs, "day").toDate().toIsoString(), QStringLiteral("2026-12-04"));
        QCOMPARE(cell(rs, "ts").toDate().toIsoString(), QStringLiteral("1999-12-31 23:59:59"));
        QCOMPARE(cell(rs, "txt").toString(), QStringLiteral("O'Brien – Zürich"));
        QCOMPARE(cell(rs, "c").toString(), QStringLiteral("x  "));
        QVERIFY(cell(rs, "n").isNull());
    }

    void repeatedAndDistinctTextsReadAsSent()
    {
        // Texts that repeat (the cache hands them on), then texts that never
        // do (the cache gives up): every row has its own text.
        const auto driver = openDriver();
        QVERIFY(driver);
        const ExecuteResult r = run(*driver, QStringLiteral(
            "SELECT g, (ARRAY['EUR','USD','Zürich AG'])[1 + g % 3] || CASE WHEN g > 1500 THEN ' ' || g ELSE '' END AS t "
            "FROM generate_series(1, 3000) g ORDER BY g"));
        QVERIFY2(!r.error, r.error ? qPrintable(r.error->Description) : "");
        const RecordsetPtr &rs = r.results.front();
        QCOMPARE(rs->RecordCount(), 3000);
        const QStringList names{QStringLiteral("EUR"), QStringLiteral("USD"), QStringLiteral("Zürich AG")};
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            const int g = cell(rs, "g").toInt();
            const QString expected = names[g % 3] + (g > 1500 ? u' ' + QString::number(g) : QString());
            QCOMPARE(cell(rs, "t").toString(), expected);
        }
    }

    void aTypeItCannotReadIsNamed()
    {
        const auto driver = openDriver();
        QVERIFY(driver);
        const ExecuteResult r = run(*driver, QStringLiteral("SELECT '{1,2}'::int[] AS list"));
        QVERIFY(r.error);
        QCOMPARE(r.error->Number, int(Error::TypeMismatch));
        QVERIFY2(r.error->Description.contains(QStringLiteral("\"list\"")), qPrintable(r.error->Description));
    }

    void namedParametersAndSeveralStatements()
    {
        const auto driver = openDriver();
        QVERIFY(driver);
        const QList<Parameter> parameters{
            Parameter(QStringLiteral("@Name"), DataType::VarWChar, adParamInput, 0, Value(QStringLiteral("O'Brien"))),
            Parameter(QStringLiteral("@Amount"), DataType::Currency, adParamInput, 0,
                      Value(Currency::fromRaw(Q_INT64_C(1234567)))),
            Parameter(QStringLiteral("@Day"), DataType::Date, adParamInput, 0,
                      Value(DateTime::fromDate(QDate(2026, 12, 4)))),
        };
        const ExecuteResult r = run(*driver, QStringLiteral(
            "CREATE TEMP TABLE t (name text, amount bigint, day date); "
            "INSERT INTO t VALUES (@Name, @Amount, @Day), (@name || '2', @Amount * 2, @Day + 1); "
            "SELECT name, amount FROM t WHERE name = @Name; "
            "SELECT count(*) AS n, max(day) AS last, @Missing::text AS missing FROM t; DROP TABLE t"),
            parameters);
        QVERIFY2(!r.error, r.error ? qPrintable(r.error->Description) : "");
        QCOMPARE(r.results.size(), size_t(2));
        QCOMPARE(r.recordsAffected, 2L);
        QCOMPARE(cell(r.results[0], "name").toString(), QStringLiteral("O'Brien"));
        QCOMPARE(cell(r.results[0], "amount").toInt64(), Q_INT64_C(1234567));
        QCOMPARE(cell(r.results[1], "n").toInt64(), Q_INT64_C(2));
        QCOMPARE(cell(r.results[1], "last").toDate().toIsoString(), QStringLiteral("2026-12-05"));
        QVERIFY(cell(r.results[1], "missing").isNull());
    }

    void serverErrorsCarryTheirSqlstate_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("sqlstate");
        QTest::newRow("unknown table") << "SELECT * FROM no_such_table" << "42P01";
        QTest::newRow("syntax") << "SELEC 1" << "42601";
        QTest::newRow("division by zero, after a good statement") << "SELECT 1; SELECT 1/0" << "22012";
        QTest::newRow("division by zero, after rows were sent")
            << "SELECT 10 / (500 - g) AS x FROM generate_series(1, 1000) g" << "22012";
    }
    void serverErrorsCarryTheirSqlstate()
    {
        QFETCH(QString, sql);
        QFETCH(QString, sqlstate);
        const auto driver = openDriver();
        QVERIFY(driver);
        const ExecuteResult r = run(*driver, sql);
        QVERIFY(r.error);
        QCOMPARE(r.error->Number, int(Error::ErrorsInCommand));
        QCOMPARE(r.error->Source, QStringLiteral("PostgreSQL"));
        QVERIFY2(r.error->Description.contains(sqlstate), qPrintable(r.error->Description));
        QCOMPARE(r.error->NativeError, sqlstate.toInt(nullptr, 36));
        // The connection goes on after the error.
        QVERIFY(!run(*driver, QStringLiteral("SELECT 1")).error);
    }

    void aReadOnlySessionRefusesWrites()
    {
        const auto driver = openDriver(adModeRead);
        QVERIFY(driver);
        const ExecuteResult r = run(*driver, QStringLiteral("CREATE TABLE refused (x int)"));
        QVERIFY(r.error);
        QVERIFY2(r.error->Description.contains(QStringLiteral("25006")), qPrintable(r.error->Description));
    }

    void cancelAndTimeoutStopTheServer_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("cancel") << true;
        QTest::newRow("time-out") << false;
    }
    void cancelAndTimeoutStopTheServer()
    {
        QFETCH(bool, cancel);
        const auto driver = openDriver();
        const auto watcher = openDriver();
        QVERIFY(driver && watcher);
        const int pid = static_cast<PostgresDriver &>(*driver).backendPid();
        ExecutionControl control(cancel ? 0 : 1);
        ExecuteResult result;
        QElapsedTimer timer;
        timer.start();
        std::thread worker([&] { result = driver->execute({QStringLiteral("SELECT pg_sleep(30)"), adCmdText, {}}, control); });
        if (cancel) {
            QTest::qWait(300);
            control.cancel();
        }
        worker.join();
        QVERIFY2(timer.elapsed() < (cancel ? 1300 : 2000), qPrintable(QString::number(timer.elapsed())));
        QVERIFY(result.error);
        QCOMPARE(result.error->Number, int(cancel ? Error::Cancelled : Error::Timeout));
        // The server no longer works on it.
        const ExecuteResult activity = run(*watcher, QStringLiteral("SELECT state FROM pg_stat_activity WHERE pid = @Pid"),
                                           {Parameter(QStringLiteral("@Pid"), DataType::Integer, adParamInput, 0, Value(pid))});
        QVERIFY(!activity.error);
        QCOMPARE(cell(activity.results.front(), "state").toString(), QStringLiteral("idle"));
    }

    void chosenByItsProviderBehindTheConnection()
    {
        Connection connection;
        QVERIFY(connection.Open(serverString()));
        const RecordsetPtr rs = connection.Execute(QStringLiteral("SELECT current_database() AS db, 40 + 2 AS answer"));
        QVERIFY(rs && !rs->Eof());
        QCOMPARE(cell(rs, "answer").toInt(), 42);
    }
};

QTEST_MAIN(TestPostgresDriver)
#include "tst_driver.moc"

#include "Command.h"
#include "Connection.h"
#include "DealFixture.h"
#include "ConnectionString.h"
#include "../support/TestBackend.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

using namespace data;
using fixture::errText;
using fixture::rowTexts;

namespace {

QString sqliteString(const QString &path, const QString &extra = {})
{
    return QStringLiteral("Provider=SQLite;Data Source=%1").arg(path) + extra;
}

} // namespace

// Cases about the SQLite driver's own ground (files, locks, type affinity, its
// connection string) run on SQLite only; the server driver's are in tests/postgres.
#define SQLITE_ONLY()                                                                               \
    do {                                                                                            \
        if (testbackend::onPostgres())                                                              \
            QSKIP("the SQLite driver's own behaviour; the PostgreSQL driver's is in tests/postgres"); \
    } while (false)

class tst_Connection : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_dbPath;   // on SQLite
    std::unique_ptr<testbackend::ScratchDatabase> m_server;   // on PostgreSQL
    QString m_cs;       // the database on the run's backend

private Q_SLOTS:
    void initTestCase()
    {
        MARVOLT_SKIP_WITHOUT_BACKEND();
        QVERIFY(m_dir.isValid());
        Connection conn;
        if (testbackend::onPostgres()) {
            m_server = std::make_unique<testbackend::ScratchDatabase>(QStringLiteral("connection"));
            QVERIFY2(m_server->isValid(), qPrintable(m_server->error()));
            m_cs = m_server->connectionString();
            QVERIFY(conn.Open(m_cs));
            conn.Execute(QStringLiteral(
                "CREATE TABLE Deals(TradeID BIGINT PRIMARY KEY, Volume BIGINT, ValDate TEXT,"
                " Rate DOUBLE PRECISION, Checked BOOLEAN, Bank1ID TEXT, Ccy INT, Kind SMALLINT);"));
        } else {
            m_dbPath = m_dir.filePath(QStringLiteral("trading.db"));
            m_cs = sqliteString(m_dbPath);
            QVERIFY(conn.Open(sqliteString(m_dbPath, QStringLiteral(";Create=True"))));
            // The declared types give the columns' types (MONEY is Currency).
            conn.Execute(QStringLiteral(
                "CREATE TABLE Deals(TradeID INTEGER PRIMARY KEY, Volume MONEY, ValDate DATE,"
                " Rate REAL, Checked BOOLEAN, Bank1ID TEXT, Ccy INT, Kind SMALLINT);"));
        }
        QVERIFY2(!conn.lastError(), errText(conn.lastError()));
        conn.Execute(QStringLiteral(
            "INSERT INTO Deals VALUES(1, 12500005000, '2026-12-04', 1.08425, TRUE, 'BANK A', 840, 2);"
            "INSERT INTO Deals VALUES(2, -3, '2026-12-04 10:31:07', 0.5, FALSE, '', 978, 4);"
            "INSERT INTO Deals VALUES(3, NULL, NULL, NULL, NULL, NULL, NULL, NULL);"));
        QVERIFY2(!conn.lastError(), errText(conn.lastError()));
    }

    void shouldParseConnectionStrings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << QStringLiteral("Provider=SQLite;Data Source=/a/b.db") << QStringLiteral("data source") << QStringLiteral("/a/b.db");
        QTest::newRow("key-case-and-blanks") << QStringLiteral(" provider = SQLite ; DATA SOURCE = x.db ;") << QStringLiteral("Data Source") << QStringLiteral("x.db");
        QTest::newRow("quoted-with-semicolon") << QStringLiteral("Data Source=\"/tmp/a;b.db\";Provider=SQLite") << QStringLiteral("Data Source") << QStringLiteral("/tmp/a;b.db");
        QTest::newRow("doubled-quote") << QStringLiteral("Data Source=\"say \"\"hi\"\"\"") << QStringLiteral("data source") << QStringLiteral("say \"hi\"");
        QTest::newRow("later-key-wins") << QStringLiteral("Busy Timeout=1;busy timeout=2") << QStringLiteral("Busy Timeout") << QStringLiteral("2");
    }

    void shouldParseConnectionStrings()
    {
        SQLITE_ONLY();
        QFETCH(QString, text);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const auto cs = ConnectionString::parse(text);
        QVERIFY(cs);
        QCOMPARE(cs->value(key), value);
    }

    void shouldRejectBadConnectionStrings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("no-provider") << QStringLiteral("Data Source=%1");
        QTest::newRow("unknown-provider") << QStringLiteral("Provider=SQLOLEDB;Data Source=%1");
        QTest::newRow("no-data-source") << QStringLiteral("Provider=SQLite;Comment=%1");
        QTest::newRow("segment-without-value") << QStringLiteral("Provider=SQLite;Data Source=%1;Create");
        QTest::newRow("unterminated-quote") << QStringLiteral("Provider=SQLite;Data Source=\"%1");
        QTest::newRow("bad-busy-timeout") << QStringLiteral("Provider=SQLite;Data Source=%1;Busy Timeout=soon");
        QTest::newRow("bad-create") << QStringLiteral("Provider=SQLite;Data Source=%1;Create=maybe");
    }

    void shouldRejectBadConnectionStrings()
    {
        SQLITE_ONLY();
        QFETCH(QString, text);
        Connection conn;
        QVERIFY(!conn.Open(text.arg(m_dbPath)));
        QVERIFY(conn.lastError());
        QVERIFY(!conn.lastError()->Description.isEmpty());
        QCOMPARE(conn.State(), int(adStateClosed));
    }

    void shouldOpenAndCloseWithState()
    {
        Connection conn;
        conn.setCommandTimeout(1200);
        conn.setConnectionTimeout(600);
        conn.setMode(adModeRead);
        conn.setCursorLocation(adUseClient);
        QCOMPARE(conn.State(), int(adStateClosed));
        QVERIFY(conn.Open(m_cs, QString(), QString(), -1));
        QCOMPARE(conn.State(), int(adStateOpen));
        QVERIFY(!conn.Open(m_cs));
        QCOMPARE(conn.lastError()->Number, int(Error::ObjectOpen));
        QVERIFY(conn.Close());
        QCOMPARE(conn.State(), int(adStateClosed));
        QVERIFY(!conn.Close());
        QCOMPARE(conn.lastError()->Number, int(Error::ObjectClosed));
        // An empty string reopens with the kept ConnectionString.
        QVERIFY(conn.Open());
        QCOMPARE(conn.State(), int(adStateOpen));
    }

    void shouldRefuseMissingFileUnlessCreating()
    {
        SQLITE_ONLY();
        const QString missing = m_dir.filePath(QStringLiteral("missing.db"));
        for (int mode : {int(adModeUnknown), int(adModeRead)}) {
            Connection conn;
            conn.setMode(mode);
            QVERIFY(!conn.Open(sqliteString(missing)));
            QCOMPARE(conn.lastError()->Number, int(Error::Unspecified));
            QVERIFY(conn.lastError()->Description.contains(missing));
            QVERIFY(!QFile::exists(missing));
        }
        Connection conn;
        QVERIFY(conn.Open(sqliteString(missing, QStringLiteral(";Create=True"))));
        QVERIFY(QFile::exists(missing));
        QCOMPARE(rowTexts(conn.Execute(QStringLiteral("PRAGMA journal_mode"))), QStringList{QStringLiteral("wal")});
    }

    void shouldLetWriterCommitWhileReaderHoldsSnapshot()
    {
        SQLITE_ONLY();
        Connection reader;
        reader.setMode(adModeRead);
        QVERIFY(reader.Open(sqliteString(m_dbPath)));
        reader.Execute(QStringLiteral("BEGIN"));
        QCOMPARE(rowTexts(reader.Execute(QStringLiteral("SELECT count(*) FROM Deals"))), QStringList{QStringLiteral("3")});

        Connection writer;
        QVERIFY(writer.Open(sqliteString(m_dbPath, QStringLiteral(";Busy Timeout=100"))));
        writer.Execute(QStringLiteral("INSERT INTO Deals(TradeID) VALUES(50); DELETE FROM Deals WHERE TradeID = 50"));
        QVERIFY2(!writer.lastError(), errText(writer.lastError()));
        reader.Execute(QStringLiteral("COMMIT"));
    }

    void shouldRefuseFileThatIsNoDatabase()
    {
        SQLITE_ONLY();
        const QString path = m_dir.filePath(QStringLiteral("notes.txt"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
        f.close();
        Connection conn;
        QVERIFY(!conn.Open(sqliteString(path)));
        QCOMPARE(conn.lastError()->NativeError & 0xff, SQLITE_NOTADB);
    }

    void shouldReadFieldTypesAndValues()
    {
        SQLITE_ONLY();
        Connection conn;
        QVERIFY(conn.Open(sqliteString(m_dbPath)));
        RecordsetPtr rs = conn.Execute(QStringLiteral(
            "SELECT TradeID, Volume, ValDate, Rate, Checked, Bank1ID, Ccy, Kind FROM Deals ORDER BY TradeID"));
        QVERIFY2(rs, errText(conn.lastError()));
        QCOMPARE(rs->ActiveConnection(), &conn);
        const QList<DataType> expected{DataType::BigInt, DataType::Currency, DataType::Date,
                                       DataType::Double, DataType::Boolean, DataType::VarWChar,
                                       DataType::Integer, DataType::SmallInt};
        QCOMPARE(rs->Fields().Count(), expected.size());
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(rs->Fields(i).Type(), expected[i]);
        QCOMPARE(rowTexts(rs),
                 QStringList({QStringLiteral("1|1250000.5|12/4/2026|1.08425|True|BANK A|840|2"),
                              QStringLiteral("2|-0.0003|12/4/2026 10:31:07|0.5|False||978|4"),
                              QStringLiteral("3|<null>|<null>|<null>|<null>|<null>|<null>|<null>")}));
        rs->MoveFirst();
        QCOMPARE(rs->Fields(QStringLiteral("Volume")).value().toCurrency().raw(), Q_INT64_C(12500005000));
    }

    void shouldTypeComputedColumnsFromTheirValues_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("rows");
        QTest::newRow("integer-expression") << QStringLiteral("SELECT 1 + 1 AS X") << int(DataType::BigInt) << QStringLiteral("2");
        QTest::newRow("real-expression") << QStringLiteral("SELECT 1.5 * 2 AS X") << int(DataType::Double) << QStringLiteral("3");
        QTest::newRow("text-expression") << QStringLiteral("SELECT 'a' || 'b' AS X") << int(DataType::VarWChar) << QStringLiteral("ab");
        // The type comes from the first non-null value, even in a later row.
        QTest::newRow("null-first") << QStringLiteral("SELECT NULL AS X UNION ALL SELECT 2.5")
                                    << int(DataType::Double) << QStringLiteral("<null>,2.5");
        QTest::newRow("null-throughout") << QStringLiteral("SELECT NULL AS X") << int(DataType::VarWChar) << QStringLiteral("<null>");
        QTest::newRow("aggregate-of-money") << QStringLiteral("SELECT SUM(Volume) AS X FROM Deals")
                                            << int(DataType::BigInt) << QStringLiteral("12500004997");
        QTest::newRow("no-rows-keeps-declared-type")
            << QStringLiteral("SELECT Volume AS X FROM Deals WHERE 0") << int(DataType::Currency) << QString();
    }

    void shouldTypeComputedColumnsFromTheirValues()
    {
        SQLITE_ONLY();
        QFETCH(QString, sql);
        QFETCH(int, type);
        QFETCH(QString, rows);
        Connection conn;
        QVERIFY(conn.Open(sqliteString(m_dbPath)));
        RecordsetPtr rs = conn.Execute(sql);
        QVERIFY(rs);
        QCOMPARE(int(rs->Fields(0).Type()), type);
        QCOMPARE(rowTexts(rs).join(u','), rows);
    }

    void shouldKeepRepeatedColumnNamesReachable()
    {
        Connection conn;
        QVERIFY(conn.Open(m_cs));
        RecordsetPtr rs = conn.Execute(QStringLiteral("SELECT 1 AS \"ID\", 2 AS \"id\", 3 AS \"ID\""));
        QVERIFY(rs);
        QCOMPARE(rs->Fields(0).Name(), QStringLiteral("ID"));
        QCOMPARE(rs->Fields(1).Name(), QStringLiteral("id_2"));
        QCOMPARE(rs->Fields(2).Name(), QStringLiteral("ID_3"));
    }

    void shouldCountAffectedRowsAndReturnNullWithoutRows()
    {
        Connection conn;
        QVERIFY(conn.Open(m_cs));
        long affected = -1;
        RecordsetPtr rs = conn.Execute(QStringLiteral(
                                           "CREATE TEMP TABLE w(a INTEGER);"
                                           "INSERT INTO w VALUES(1),(2),(3);"
                                           "UPDATE w SET a = a + 1 WHERE a > 1;"),
                                       &affected);
        QVERIFY(!rs);
        QVERIFY(!conn.lastError());
        QCOMPARE(affected, 5L);
        // Plain SQL keeps its temp tables: the caller made them on purpose.
        QCOMPARE(rowTexts(conn.Execute(QStringLiteral("SELECT sum(a) FROM w"))), QStringList{QStringLiteral("8")});
    }

    void shouldReportSqlErrors_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::newRow("syntax") << QStringLiteral("SELEC 1");
        QTest::newRow("constraint") << QStringLiteral("INSERT INTO Deals(TradeID) VALUES(1)");
        QTest::newRow("second-statement-fails") << QStringLiteral("SELECT 1; SELECT * FROM Nowhere");
    }

    void shouldReportSqlErrors()
    {
        QFETCH(QString, sql);
        Connection conn;
        QVERIFY(conn.Open(m_cs));
        QVERIFY(!conn.Execute(sql));
        QVERIFY(conn.lastError());
        QCOMPARE(conn.lastError()->Number, int(Error::ErrorsInCommand));
        QCOMPARE(conn.lastError()->Source, testbackend::name());
        QVERIFY(!conn.lastError()->Description.isEmpty());
        // The connection stays usable after a failed statement.
        QCOMPARE(rowTexts(conn.Execute(QStringLiteral("SELECT 7"))), QStringList{QStringLiteral("7")});
        QVERIFY(!conn.lastError());
    }

    void shouldRefuseWritesWhenReadOnlyButAllowTempTables()
    {
        Connection conn;
        conn.setMode(adModeRead);
        QVERIFY(conn.Open(m_cs));
        QVERIFY(!conn.Execute(QStringLiteral("INSERT INTO Deals(TradeID) VALUES(99)")));
        QCOMPARE(conn.lastError()->Number, int(Error::ReadOnly));
        QVERIFY(!conn.Execute(QStringLiteral("CREATE TABLE NewTable(a INTEGER)")));
        QCOMPARE(conn.lastError()->Number, int(Error::ReadOnly));

        // Report procedures build working tables: TEMP tables live outside the
        // file; a server's read-only session makes them in a read-write transaction.
        const QString work = QStringLiteral("CREATE TEMP TABLE work(a INTEGER); INSERT INTO work SELECT TradeID FROM Deals;");
        conn.Execute(testbackend::onPostgres() ? QStringLiteral("BEGIN READ WRITE; ") + work + QStringLiteral("COMMIT")
                                               : work);
        QVERIFY2(!conn.lastError(), errText(conn.lastError()));
        QCOMPARE(rowTexts(conn.Execute(QStringLiteral("SELECT count(*) FROM work"))), QStringList{QStringLiteral("3")});

        Connection writer;
        QVERIFY(writer.Open(m_cs));
        QCOMPARE(rowTexts(writer.Execute(QStringLiteral("SELECT count(*) FROM Deals WHERE TradeID = 99"))),
                 QStringList{QStringLiteral("0")});
    }

    void shouldBindTextCommandParametersByName()
    {
        Connection conn;
        QVERIFY(conn.Open(m_cs));
        Command cmd;
        cmd.setActiveConnection(&conn);
        cmd.setCommandText(QStringLiteral(
            "SELECT TradeID FROM Deals WHERE Bank1ID = @Bank OR ValDate = @Day OR Volume = @Money"
            " OR coalesce(@Missing, 'null') <> 'null'"));
        cmd.Parameters().Append(Parameter(QStringLiteral("@Bank"), DataType::VarWChar, adParamInput, 50,
                                          Value(QStringLiteral("BANK A'; DROP TABLE Deals; --"))));
        cmd.Parameters().Append(Parameter(QStringLiteral("@day"), DataType::Date, adParamInput, 0,
                                          Value(DateTime::fromIsoString(u"2026-12-04 10:31:07").value())));
        cmd.Parameters().Append(Parameter(QStringLiteral("@MONEY"), DataType::Currency, adParamInput, 0,
                                          Value(Currency::fromRaw(12500005000))));
        RecordsetPtr rs = cmd.Execute();
        QVERIFY2(rs, errText(cmd.lastError()));
        QCOMPARE(rowTexts(rs), QStringList({QStringLiteral("1"), QStringLiteral("2")}));
    }

    void shouldFailOnLockedDatabaseInsteadOfHanging_data()
    {
        QTest::addColumn<QString>("journalMode");
        QTest::newRow("write-ahead-log") << QStringLiteral("wal");
        QTest::newRow("rollback-journal") << QStringLiteral("delete");
    }

    void shouldFailOnLockedDatabaseInsteadOfHanging()
    {
        SQLITE_ONLY();
        QFETCH(QString, journalMode);
        const QString path = m_dir.filePath(QStringLiteral("locked-%1.db").arg(journalMode));
        {
            Connection setup;
            QVERIFY(setup.Open(sqliteString(path, QStringLiteral(";Create=True"))));
            setup.Execute(QStringLiteral("PRAGMA journal_mode=%1; CREATE TABLE t(a); INSERT INTO t VALUES(1);")
                              .arg(journalMode));
            QVERIFY2(!setup.lastError(), errText(setup.lastError()));
        }
        // Another process-like connection holds the write lock.
        sqlite3 *holder = nullptr;
        QCOMPARE(sqlite3_open(path.toUtf8().constData(), &holder), SQLITE_OK);
        QCOMPARE(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

        Connection conn;
        const bool opened = conn.Open(sqliteString(path, QStringLiteral(";Busy Timeout=200")));
        if (journalMode == u"wal") {
            // Readers never wait for a writer in write-ahead-log mode.
            QVERIFY2(opened, errText(conn.lastError()));
            QCOMPARE(rowTexts(conn.Execute(QStringLiteral("SELECT a FROM t"))), QStringList{QStringLiteral("1")});
            conn.Close();
        } else {
            // A rollback journal's exclusive lock shuts readers out, Open included.
            QVERIFY(!opened);
            QCOMPARE(conn.lastError()->Number, int(Error::Unspecified));
            QCOMPARE(conn.lastError()->NativeError & 0xff, SQLITE_BUSY);
        }

        sqlite3_exec(holder, "ROLLBACK; BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        QVERIFY(conn.Open(sqliteString(path, QStringLiteral(";Busy Timeout=200"))));
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!conn.Execute(QStringLiteral("UPDATE t SET a = a + 1")));
        QCOMPARE(conn.lastError()->Number, int(Error::Unspecified));
        QCOMPARE(conn.lastError()->NativeError & 0xff, SQLITE_BUSY);
        QVERIFY(conn.lastError()->Description.contains(QStringLiteral("locked")));
        QVERIFY(timer.elapsed() >= 150);
        QVERIFY(timer.elapsed() < 3000);

        sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(holder);
        QVERIFY(!conn.Execute(QStringLiteral("UPDATE t SET a = a + 1")));
        QVERIFY(!conn.lastError());
    }

    void shouldRefuseWorkOnClosedConnection()
    {
        Connection conn;
        QVERIFY(!conn.Execute(QStringLiteral("SELECT 1")));
        QCOMPARE(conn.lastError()->Number, int(Error::ObjectClosed));
        Command cmd;
        QVERIFY(!cmd.Execute());
        QCOMPARE(cmd.lastError()->Number, int(Error::ObjectClosed));
        cmd.setActiveConnection(&conn);
        cmd.setCommandType(adCmdStoredProc);
        cmd.setCommandText(QStringLiteral("cnt_Anything"));
        QVERIFY(!cmd.Parameters().Refresh());
        QCOMPARE(cmd.lastError()->Number, int(Error::ObjectClosed));
        QVERIFY(!cmd.Execute(nullptr, adAsyncExecute));
        QCOMPARE(cmd.lastError()->Number, int(Error::ObjectClosed));
    }
};

QTEST_GUILESS_MAIN(tst_Connection)
#include "tst_connection.moc"

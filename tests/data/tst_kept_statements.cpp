// A procedure run again on the same connection reuses its prepared
// statements: these tests guard what must still hold on the second run.
#include "Command.h"
#include "Connection.h"
#include "ProcedureCatalog.h"

#include <QTemporaryDir>
#include <QTest>

using namespace data;

namespace {

const char *errText(const ErrorPtr &error)
{
    return error ? qPrintable(error->Description) : "";
}

/// Every field of every row, "a,b;c,d", so a failure shows the values.
QString texts(RecordsetPtr rs)
{
    if (!rs)
        return QStringLiteral("<none>");
    QStringList rows;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        QStringList fields;
        for (int i = 0; i < rs->Fields().Count(); ++i)
            fields.append(rs->Fields(i).value().toString());
        rows.append(fields.join(u','));
    }
    return rows.join(u';');
}

} // namespace

class tst_KeptStatements : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_files = 0;

    QString newDatabase()
    {
        return QStringLiteral("Provider=SQLite;Data Source=%1;Create=True")
            .arg(m_dir.filePath(QStringLiteral("t%1.db").arg(++m_files)));
    }

    static void install(Connection &conn, const QString &script)
    {
        ErrorPtr error;
        QVERIFY2(ProcedureCatalog::installScript(conn, script, &error), errText(error));
    }

    /// Runs procedure with the named values; the first result set as text, or
    /// "error" when the run fails.
    static QString run(Connection &conn, const QString &procedure, const QVariantMap &values = {})
    {
        Command cmd;
        cmd.setActiveConnection(&conn);
        cmd.setCommandType(adCmdStoredProc);
        cmd.setCommandText(procedure);
        if (!cmd.Parameters().Refresh())
            return QStringLiteral("error");
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            cmd.Parameters().Item(it.key())->setValue(Value::fromVariant(it.value()));
        RecordsetPtr rs = cmd.Execute();
        return cmd.lastError() ? QStringLiteral("error") : texts(rs);
    }

private Q_SLOTS:
    // A procedure that drops and creates its working table on every run, as
    // the filter-store procedures do, and whose values change between runs.
    void shouldGiveEachRunItsOwnValues()
    {
        Connection conn;
        QVERIFY(conn.Open(newDatabase()));
        install(conn, QStringLiteral("-- procedure: SplitList\n-- param: @List VarWChar 100\n"
                                     "DROP TABLE IF EXISTS temp.Work;\n"
                                     "CREATE TEMP TABLE Work (Entry TEXT);\n"
                                     "INSERT INTO temp.Work SELECT value FROM json_each('[' || @List || ']');\n"
                                     "SELECT group_concat(Entry, '+') AS Entries FROM temp.Work;\n"
                                     "DROP TABLE temp.Work;"));
        QCOMPARE(run(conn, QStringLiteral("SplitList"), {{QStringLiteral("@List"), QStringLiteral("1,2")}}),
                 QStringLiteral("1+2"));
        QCOMPARE(run(conn, QStringLiteral("SplitList"), {{QStringLiteral("@List"), QStringLiteral("3")}}),
                 QStringLiteral("3"));
        // Unset: null, not the value bound by the run before.
        QCOMPARE(run(conn, QStringLiteral("SplitList")), QString());
    }

    void shouldRunWhatTheCatalogHoldsNow_data()
    {
        QTest::addColumn<QString>("reinstalled");
        QTest::addColumn<QString>("expected");
        QTest::newRow("new-body") << QStringLiteral("-- param: @X Integer\nSELECT @X + 1 AS V;") << "8";
        // Same statements, but "7" now stays text: the declarations are read again.
        QTest::newRow("same-body-new-parameter-type")
            << QStringLiteral("-- param: @X VarWChar 10\nSELECT typeof(@X) AS V;") << "text";
    }

    void shouldRunWhatTheCatalogHoldsNow()
    {
        QFETCH(QString, reinstalled);
        QFETCH(QString, expected);
        Connection conn;
        QVERIFY(conn.Open(newDatabase()));
        const QString header = QStringLiteral("-- procedure: Probe\n");
        install(conn, header + QStringLiteral("-- param: @X Integer\nSELECT typeof(@X) AS V;"));
        const QVariantMap seven{{QStringLiteral("@X"), QStringLiteral("7")}};
        QCOMPARE(run(conn, QStringLiteral("Probe"), seven), QStringLiteral("integer"));
        // Installed through another connection, as a database update would be.
        Connection installer;
        QVERIFY(installer.Open(conn.ConnectionString()));
        install(installer, header + reinstalled);
        QCOMPARE(run(conn, QStringLiteral("Probe"), seven), expected);
    }

    void shouldSeeTableChanges_data()
    {
        QTest::addColumn<bool>("sameConnection");
        QTest::newRow("altered-on-this-connection") << true;
        QTest::newRow("altered-on-another-connection") << false;
    }

    // SELECT * gets the column added after the statement was first prepared.
    void shouldSeeTableChanges()
    {
        QFETCH(bool, sameConnection);
        Connection conn;
        QVERIFY(conn.Open(newDatabase()));
        conn.Execute(QStringLiteral("CREATE TABLE T (a); INSERT INTO T VALUES (1);"));
        QVERIFY2(!conn.lastError(), errText(conn.lastError()));
        install(conn, QStringLiteral("-- procedure: AllOfT\nSELECT * FROM T;"));
        QCOMPARE(run(conn, QStringLiteral("AllOfT")), QStringLiteral("1"));
        Connection other;
        QVERIFY(other.Open(conn.ConnectionString()));
        (sameConnection ? conn : other).Execute(QStringLiteral("ALTER TABLE T ADD COLUMN b DEFAULT 2"));
        QVERIFY(!(sameConnection ? conn : other).lastError());
        QCOMPARE(run(conn, QStringLiteral("AllOfT")), QStringLiteral("1,2"));
    }

    // After a failed run, a reopened handle, and between runs: statements kept
    // from an earlier run must not break the next one nor hold the file.
    void shouldKeepNoStateBetweenRuns()
    {
        Connection conn;
        QVERIFY(conn.Open(newDatabase()));
        conn.Execute(QStringLiteral("CREATE TABLE T (v INTEGER NOT NULL)"));
        QVERIFY2(!conn.lastError(), errText(conn.lastError()));
        // The assignment reads only the first row: its statement stops mid-way.
        install(conn, QStringLiteral("-- procedure: AddOne\n-- param: @V Integer\n"
                                     "INSERT INTO T VALUES (@V);\nSELECT v AS \"@First\" FROM T;\n"
                                     "SELECT count(*) AS N FROM T;"));
        QCOMPARE(run(conn, QStringLiteral("AddOne")), QStringLiteral("error"));   // NOT NULL
        QCOMPARE(run(conn, QStringLiteral("AddOne"), {{QStringLiteral("@V"), 1}}), QStringLiteral("1"));
        QCOMPARE(run(conn, QStringLiteral("AddOne"), {{QStringLiteral("@V"), 2}}), QStringLiteral("2"));

        // A statement left open would keep a read transaction and block a full checkpoint.
        Connection other;
        QVERIFY(other.Open(conn.ConnectionString()));
        QCOMPARE(texts(other.Execute(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"))).section(u',', 0, 0),
                 QStringLiteral("0"));

        // Reopened read only: the write must fail, not go through a statement
        // of the handle that was closed.
        QVERIFY(conn.Close());
        conn.setMode(adModeRead);
        QVERIFY(conn.Open(conn.ConnectionString()));
        QCOMPARE(run(conn, QStringLiteral("AddOne"), {{QStringLiteral("@V"), 3}}), QStringLiteral("error"));
    }
};

QTEST_GUILESS_MAIN(tst_KeptStatements)
#include "tst_kept_statements.moc"

#include "Command.h"
#include "Connection.h"
#include "ProcedureCatalog.h"
#include "../support/TestBackend.h"

#include <QTemporaryDir>
#include <QTest>

using namespace data;

namespace {

QString createString(const QTemporaryDir &dir)
{
    return QStringLiteral("Provider=SQLite;Data Source=%1;Create=True").arg(dir.filePath(QStringLiteral("t.db")));
}

QString paramText(const Parameter &p)
{
    return QStringLiteral("%1 %2 %3 %4")
        .arg(p.Name(), ProcedureCatalog::typeName(p.Type()))
        .arg(p.Direction())
        .arg(p.Size());
}

const char *const kProfitLoss =
    "-- procedure: cnt_ProfitLoss\n"
    "-- param: @UserName VarWChar 50\n"
    "-- param: @DateReport Date\n"
    "-- param: @TotalCom Currency output\n"
    "-- param: @Counter integer 4 InputOutput\n"
    "-- result 1: Ccy Integer, ValDate Date, Volume Currency, Rate Double, Summary Boolean\n"
    "-- result 2: TradeID BigInt, Bank1ID VarWChar\n"
    "-- Profit and loss per currency (free comment text).\n"
    "\n"
    "SELECT 1 AS Ccy;\n"
    "SELECT 2 AS TradeID;\n";

} // namespace

class tst_ProcedureCatalog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldParseHeaderAndBody()
    {
        ErrorPtr error;
        const auto def = ProcedureCatalog::parse(QString::fromUtf8(kProfitLoss), &error);
        QVERIFY2(def, error ? qPrintable(error->Description) : "");
        QCOMPARE(def->name, QStringLiteral("cnt_ProfitLoss"));
        QStringList params;
        for (const Parameter &p : def->parameters)
            params << paramText(p);
        QCOMPARE(params, QStringList({QStringLiteral("@UserName VarWChar 1 50"),
                                      QStringLiteral("@DateReport Date 1 0"),
                                      QStringLiteral("@TotalCom Currency 2 0"),
                                      QStringLiteral("@Counter Integer 3 4")}));
        QCOMPARE(def->resultSets.size(), 2);
        QStringList columns;
        for (const auto &set : def->resultSets) {
            for (const ProcedureColumn &c : set)
                columns << c.name + u' ' + ProcedureCatalog::typeName(c.type);
            columns << QStringLiteral("|");
        }
        QCOMPARE(columns.join(u','),
                 QStringLiteral("Ccy Integer,ValDate Date,Volume Currency,Rate Double,Summary Boolean,|,"
                                "TradeID BigInt,Bank1ID VarWChar,|"));
        QCOMPARE(def->body, QStringLiteral("SELECT 1 AS Ccy;\nSELECT 2 AS TradeID;"));
    }

    void shouldRejectMalformedHeader_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("line");
        const QString body = QStringLiteral("\nSELECT 1;");
        QTest::newRow("no-procedure-line") << QStringLiteral("-- param: @A Integer") + body << 1;
        QTest::newRow("unknown-type") << QStringLiteral("-- procedure: p\n-- param: @A Integr") + body << 2;
        QTest::newRow("name-without-at") << QStringLiteral("-- procedure: p\n-- param: A Integer") + body << 2;
        QTest::newRow("missing-type") << QStringLiteral("-- procedure: p\n-- param: @A") + body << 2;
        QTest::newRow("bad-direction") << QStringLiteral("-- procedure: p\n-- param: @A Integer outptu") + body << 2;
        QTest::newRow("duplicate-param")
            << QStringLiteral("-- procedure: p\n-- param: @A Integer\n-- param: @a Date") + body << 3;
        QTest::newRow("misspelt-key") << QStringLiteral("-- procedure: p\n-- parm: @A Integer") + body << 2;
        QTest::newRow("result-without-number") << QStringLiteral("-- procedure: p\n-- result: A Integer") + body << 2;
        QTest::newRow("result-column-without-type")
            << QStringLiteral("-- procedure: p\n\n-- result 1: A Integer, B") + body << 3;
        QTest::newRow("result-trailing-comma")
            << QStringLiteral("-- procedure: p\n-- result 1: A Integer,\n-- result 1: B Date") + body << 2;
        QTest::newRow("result-unknown-type") << QStringLiteral("-- procedure: p\n-- result 1: A Money") + body << 2;
        QTest::newRow("result-column-declared-twice")
            << QStringLiteral("-- procedure: p\n-- result 1: A Integer\n-- result 1: a Date") + body << 3;
        QTest::newRow("declaration-after-prose")
            << QStringLiteral("-- procedure: p\n-- Free text.\n-- param: @A Integer") + body << 3;
        QTest::newRow("second-procedure-line") << QStringLiteral("-- procedure: p\n-- procedure: q") + body << 2;
        QTest::newRow("procedure-name-with-blank") << QStringLiteral("-- procedure: my proc") + body << 1;
        QTest::newRow("no-body") << QStringLiteral("-- procedure: p\n-- param: @A Integer\n") << 3;
    }

    void shouldRejectMalformedHeader()
    {
        QFETCH(QString, script);
        QFETCH(int, line);
        ErrorPtr error;
        QVERIFY(!ProcedureCatalog::parse(script, &error));
        QVERIFY(error);
        QCOMPARE(error->Number, int(Error::InvalidArgument));
        QVERIFY2(error->Description.contains(QStringLiteral("line %1:").arg(line)),
                 qPrintable(error->Description));
    }

    void shouldTreatCommentTextAfterDeclarationsAsProse()
    {
        ErrorPtr error;
        const auto ok = ProcedureCatalog::parse(
            QStringLiteral("-- procedure: p\n"
                           "-- result 1: A Integer\n"
                           "-- result 1: B Date\n"
                           "-- Flows: each leg pays on its value date.\n"
                           "-- Result 1: one row per currency, then the summary.\n"
                           "SELECT 1 AS A, '2026-01-02' AS B;"),
            &error);
        QVERIFY2(ok, error ? qPrintable(error->Description) : "");
        QCOMPARE(ok->resultSets.size(), 1);
        QCOMPARE(ok->resultSets[0].size(), 2);
        QCOMPARE(ok->resultSets[0][1].type, DataType::Date);
        QCOMPARE(ok->body, QStringLiteral("SELECT 1 AS A, '2026-01-02' AS B;"));
    }

    void shouldMapTypeNamesBothWays()
    {
        for (DataType t : {DataType::SmallInt, DataType::Integer, DataType::BigInt, DataType::Boolean,
                           DataType::Double, DataType::Currency, DataType::Date, DataType::BStr,
                           DataType::VarChar, DataType::VarWChar, DataType::Variant}) {
            const QString name = ProcedureCatalog::typeName(t);
            QVERIFY(!name.isEmpty());
            QCOMPARE(ProcedureCatalog::typeFromName(name.toUpper()), std::optional<DataType>(t));
        }
        QVERIFY(!ProcedureCatalog::typeFromName(u"Empty"));
        QVERIFY(!ProcedureCatalog::typeFromName(u"Int"));
    }

    void shouldInstallAndReplaceProcedure()
    {
        MARVOLT_SKIP_WITHOUT_BACKEND();
        const testbackend::EmptyDatabase database(QStringLiteral("catalog"));
        QVERIFY2(database.isValid(), qPrintable(database.error()));
        Connection conn;
        QVERIFY(conn.Open(database.connectionString()));
        ErrorPtr error;
        QVERIFY2(ProcedureCatalog::installScript(conn, QString::fromUtf8(kProfitLoss), &error),
                 error ? qPrintable(error->Description) : "");

        Command cmd;
        cmd.setActiveConnection(&conn);
        cmd.setCommandType(adCmdStoredProc);
        cmd.setCommandText(QStringLiteral("CNT_PROFITLOSS"));   // names are not case sensitive
        QVERIFY(cmd.Parameters().Refresh());
        QCOMPARE(cmd.Parameters().Count(), 4);
        QCOMPARE(paramText(*cmd.Parameters().Item(2)), QStringLiteral("@TotalCom Currency 2 0"));

        // A second install of the same name replaces parameters and columns
        // instead of adding to them.
        QVERIFY(ProcedureCatalog::installScript(
            conn, QStringLiteral("-- procedure: Cnt_ProfitLoss\n-- param: @Only Date\nSELECT @Only AS D;"),
            &error));
        QVERIFY(cmd.Parameters().Refresh());
        QCOMPARE(cmd.Parameters().Count(), 1);
        QCOMPARE(paramText(*cmd.Parameters().Item(0)), QStringLiteral("@Only Date 1 0"));
        RecordsetPtr rs = conn.Execute(QStringLiteral(
            "SELECT (SELECT count(*) FROM sys_procedures), (SELECT count(*) FROM sys_procedure_columns)"));
        QVERIFY(rs);
        QCOMPARE(rs->Fields(0).value().toInt(), 1);
        QCOMPARE(rs->Fields(1).value().toInt(), 0);
    }

    void shouldLeaveCatalogUnchangedWhenInstallFails()
    {
        MARVOLT_SKIP_WITHOUT_BACKEND();
        const testbackend::EmptyDatabase database(QStringLiteral("catalog"));
        QVERIFY2(database.isValid(), qPrintable(database.error()));
        Connection conn;
        QVERIFY(conn.Open(database.connectionString()));
        QVERIFY(ProcedureCatalog::installScript(conn, QString::fromUtf8(kProfitLoss)));
        // A trigger makes the third parameter row fail half-way through the install.
        const QString refuse =
            testbackend::onPostgres()
                ? QStringLiteral("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                                 "IF NEW.ordinal = 3 THEN RAISE EXCEPTION 'refused'; END IF; RETURN NEW; END $$; "
                                 "CREATE TRIGGER refuse BEFORE INSERT ON sys_procedure_params "
                                 "FOR EACH ROW EXECUTE FUNCTION refuse()")
                : QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON sys_procedure_params "
                                 "WHEN NEW.ordinal = 3 BEGIN SELECT RAISE(ABORT, 'refused'); END");
        QVERIFY(conn.Execute(refuse) == nullptr);
        QVERIFY(!conn.lastError());
        ProcedureDefinition def = *ProcedureCatalog::parse(QString::fromUtf8(kProfitLoss));
        def.body = QStringLiteral("SELECT 42 AS Changed;");
        ErrorPtr error;
        QVERIFY(!ProcedureCatalog::install(conn, def, &error));
        QVERIFY(error && error->Description.contains(QStringLiteral("refused")));

        RecordsetPtr rs = conn.Execute(QStringLiteral(
            "SELECT body, (SELECT count(*) FROM sys_procedure_params) FROM sys_procedures"));
        QVERIFY(rs);
        QCOMPARE(rs->Fields(0).value().toString(), QStringLiteral("SELECT 1 AS Ccy;\nSELECT 2 AS TradeID;"));
        QCOMPARE(rs->Fields(1).value().toInt(), 4);
    }

    void shouldNameTheFileInParseErrors()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bad.sql"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("-- procedure: p\n-- param: @X Nope\nSELECT 1;\n");
        f.close();
        Connection conn;
        QVERIFY(conn.Open(createString(dir)));
        ErrorPtr error;
        QVERIFY(!ProcedureCatalog::installFile(conn, path, &error));
        QVERIFY(error->Description.startsWith(path));
        QVERIFY(error->Description.contains(QStringLiteral("line 2")));
    }
};

QTEST_GUILESS_MAIN(tst_ProcedureCatalog)
#include "tst_procedure_catalog.moc"

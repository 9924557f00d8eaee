// The execution library: named execution objects running a stored procedure
// on a connection of their own and raising ExComplete with every result set
// and output parameter on the owner's thread; failures with the database's
// reason (missing procedure or file, a locked file, a time-out); cancelling a
// running statement promptly; only the newest run of a name delivered; two
// names at once; a manager destroyed while its runs go.

#include "TestTradingDatabase.h"

#include "ExecManager.h"

#include "Connection.h"
#include "ProcedureCatalog.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QThread>

#include <memory>

namespace {

const qint64 kForever = 1000000000000;   // counting this far takes hours

/// Every ExComplete of the commands watched, in order.
struct Completions
{
    struct One
    {
        QString name;
        QList<data::Parameter> outputs;
        QList<data::RecordsetPtr> results;
        QThread *thread = nullptr;
    };
    QList<One> all;

    void watch(ExecCommand *command)
    {
        QObject::connect(command, &ExecCommand::ExComplete, command,
                         [this, command](const QList<data::Parameter> &outputs,
                                         const QList<data::RecordsetPtr> &results) {
                             all.append({command->Name(), outputs, results, QThread::currentThread()});
                         });
    }
    int count() const { return int(all.size()); }
};

/// Every row of a result set, fields joined with ",".
QStringList rowTexts(const data::RecordsetPtr &rs)
{
    QStringList rows;
    if (!rs)
        return {QStringLiteral("(none)")};
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        QStringList fields;
        for (int i = 0; i < rs->Fields().Count(); ++i)
            fields.append(rs->Fields(i).value().toString());
        rows.append(fields.join(QLatin1Char(',')));
    }
    return rows;
}

/// Waits, without running the event loop (so posted completions stay
/// queued), until every worker has ended.
bool workersEndWithoutEvents(const ExecManager &manager)
{
    QDeadlineTimer deadline(10000);
    while (manager.activeWorkers() > 0) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(2);
    }
    return true;
}

/// The threads of this process, or -1 where the system does not tell.
int processThreads()
{
    const QDir tasks(QStringLiteral("/proc/self/task"));
    return tasks.exists() ? int(tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot).size()) : -1;
}

QString errorText(const data::Error &error)
{
    return QStringLiteral("%1: %2").arg(error.Number).arg(error.Description);
}

} // namespace

class TestExecManager final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestTradingDatabase> m_db;

    void install(const QString &script)
    {
        data::ErrorPtr error;
        QVERIFY2(data::ProcedureCatalog::installScript(*SessionContext::instance().SessionConnection(),
                                                       script, &error),
                 qPrintable(error ? error->Description : QString()));
    }

    /// A run of cnt_ExecCount on the command: counting to n.
    static void startCount(ExecCommand *command, qint64 n)
    {
        command->SetParameter(QStringLiteral("@N"), data::Value(n));
        QVERIFY(command->ExecuteAsync());
    }

    static ExecCommand::Preparation tagging(const QString &tag)
    {
        return [tag](data::Connection &connection) {
            connection.Execute(QStringLiteral("CREATE TEMP TABLE run_tag(tag TEXT); "
                                              "INSERT INTO run_tag VALUES('%1')")
                                   .arg(tag));
            return connection.lastError();
        };
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<TestTradingDatabase>();
        QVERIFY2(m_db->create(), qPrintable(m_db->error()));
        for (const char *name : {"cnt_ExecCount", "cnt_ExecCountB", "cnt_ExecCountC"}) {
            install(QStringLiteral("-- procedure: %1\n"
                                   "-- param: @N BigInt\n"
                                   "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < @N)"
                                   " SELECT count(*) AS N FROM c;\n")
                        .arg(QLatin1String(name)));
        }
        install(QStringLiteral(
            "-- procedure: cnt_ExecTotals\n"
            "-- param: @UserName VarWChar 50\n"
            "-- param: @Total Currency inputoutput\n"
            "-- param: @Count Integer output\n"
            "SELECT 3 AS \"@Count\", coalesce(@Total, 0) + 25000 AS \"@Total\";\n"
            "SELECT @UserName AS UserName;\n"
            "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < @Count)"
            " SELECT x AS Line FROM c;\n"
            "SELECT 1 AS Empty WHERE 0;\n"));
        install(QStringLiteral("-- procedure: cnt_ExecBroken\nSELECT * FROM NoSuchTable;\n"));
        install(QStringLiteral("-- procedure: cnt_ExecTagA\nSELECT tag FROM run_tag;\n"));
        install(QStringLiteral("-- procedure: cnt_ExecTagB\nSELECT tag FROM run_tag;\n"));
    }
    void cleanupTestCase() { m_db.reset(); }

    void shouldDeliverResultSetsAndOutputsOnOwnerThread()
    {
        Completions done;
        ExecManager manager(m_db->connectionString());
        ExecCommand *command = manager.GetCommand(QStringLiteral("cnt_ExecTotals"));
        QVERIFY(command);
        done.watch(command);
        command->SetParameter(QStringLiteral("@UserName"), data::Value(QStringLiteral("alice")));
        command->SetParameter(QStringLiteral("@total"), data::Value(data::Currency::fromDouble(10)));
        // A parameter the procedure does not have is skipped, not an error.
        command->SetParameter(QStringLiteral("@R1"), data::Value(2));
        QVERIFY(command->ExecuteAsync());
        QVERIFY(command->isExecuting());
        QCOMPARE(done.count(), 0);   // never synchronously

        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 10000);
        QVERIFY2(command->GetLastError().Number == 0, qPrintable(errorText(command->GetLastError())));
        QVERIFY(!command->isExecuting());
        QCOMPARE(done.all[0].thread, QThread::currentThread());

        const QList<data::RecordsetPtr> &results = done.all[0].results;
        QCOMPARE(results.size(), 3);
        QCOMPARE(rowTexts(results[0]), QStringList{QStringLiteral("alice")});
        QCOMPARE(rowTexts(results[1]), (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
        QVERIFY(results[2]->Eof() && results[2]->Bof());   // an empty result set keeps its place
        for (const data::RecordsetPtr &rs : results)
            QCOMPARE(rs->ActiveConnection(), nullptr);

        QStringList outputs;
        for (const data::Parameter &p : done.all[0].outputs)
            outputs.append(p.Name() + u'=' + p.value().toString());
        QCOMPARE(outputs, (QStringList{QStringLiteral("@Total=12.5"), QStringLiteral("@Count=3")}));
        QCOMPARE(command->GetParameter(QStringLiteral("@TOTAL")).toCurrency(), data::Currency::fromDouble(12.5));
        QVERIFY(command->GetParameter(QStringLiteral("@UserName")).isNull());

        // A second run of the same object starts from the same parameters.
        QVERIFY(command->ExecuteAsync());
        QVERIFY(command->GetParameter(QStringLiteral("@Total")).isNull());
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 2, 10000);
        QCOMPARE(command->GetParameter(QStringLiteral("@Total")).toCurrency(), data::Currency::fromDouble(12.5));
    }

    void shouldReportFailureWithDatabaseReason_data()
    {
        QTest::addColumn<QString>("procedure");
        QTest::addColumn<QString>("connectionString");   // empty: the test database
        QTest::addColumn<bool>("lockDatabase");
        QTest::addColumn<int>("timeoutSeconds");
        QTest::addColumn<bool>("refusePreparation");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("reason");

        const QString count = QStringLiteral("cnt_ExecCount");
        QTest::newRow("missing-procedure") << QStringLiteral("cnt_Nowhere") << QString() << false << 0 << false
                                           << int(data::Error::NoSuchProcedure) << QStringLiteral("cnt_Nowhere");
        QTest::newRow("error-in-procedure") << QStringLiteral("cnt_ExecBroken") << QString() << false << 0
                                            << false << int(data::Error::ErrorsInCommand)
                                            << QStringLiteral("no such table");
        QTest::newRow("missing-database-file")
            << count << QStringLiteral("Provider=SQLite;Data Source=/nonexistent/trading.db") << false << 0
            << false << int(data::Error::Unspecified) << QStringLiteral("/nonexistent/trading.db");
        QTest::newRow("locked-database") << count << QStringLiteral(";Busy Timeout=200") << true << 0 << false
                                         << int(data::Error::Unspecified) << QStringLiteral("database is locked");
        QTest::newRow("command-timeout") << count << QString() << false << 1 << false
                                         << int(data::Error::Timeout) << QString();
        QTest::newRow("preparation-refused") << count << QString() << false << 0 << true
                                             << int(data::Error::InvalidArgument)
                                             << QStringLiteral("refused by preparation");
    }

    void shouldReportFailureWithDatabaseReason()
    {
        QFETCH(QString, procedure);
        QFETCH(QString, connectionString);
        QFETCH(bool, lockDatabase);
        QFETCH(int, timeoutSeconds);
        QFETCH(bool, refusePreparation);
        QFETCH(int, number);
        QFETCH(QString, reason);

        data::Connection holder;
        if (lockDatabase) {
            // Holding the file exclusively keeps even a write-ahead-log reader
            // out; the holder can take it only while no other connection is open.
            SessionContext::instance().CloseSession();
            QVERIFY(holder.Open(m_db->connectionString()));
            holder.Execute(QStringLiteral("PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE"));
            QVERIFY(!holder.lastError());
        }
        if (connectionString.isEmpty() || connectionString.startsWith(u';'))
            connectionString.prepend(m_db->connectionString());

        Completions done;
        ExecManager manager(connectionString);
        ExecCommand *command = manager.GetCommand(procedure);
        done.watch(command);
        command->SetParameter(QStringLiteral("@N"), data::Value(timeoutSeconds > 0 ? kForever : qint64(5)));
        if (timeoutSeconds > 0)
            command->setCommandTimeout(timeoutSeconds);
        if (refusePreparation) {
            command->setPreparation([](data::Connection &) {
                return data::makeError(data::Error::InvalidArgument, QStringLiteral("refused by preparation"));
            });
        }
        QVERIFY(command->ExecuteAsync());
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 15000);
        if (lockDatabase) {
            holder.Execute(QStringLiteral("ROLLBACK"));
            QVERIFY(holder.Close());
            QVERIFY(SessionContext::instance().OpenSession(m_db->connectionString()));
        }

        QVERIFY(done.all[0].results.isEmpty());
        QVERIFY(done.all[0].outputs.isEmpty());
        const data::Error error = command->GetLastError();
        QCOMPARE(error.Number, number);
        QVERIFY2(error.Description.contains(reason, Qt::CaseInsensitive), qPrintable(error.Description));
        if (lockDatabase)
            QCOMPARE(error.NativeError & 0xff, 5);   // SQLITE_BUSY
        QVERIFY(!command->isExecuting());
    }

    void shouldRefuseToStartWithoutConnectionString()
    {
        Completions done;
        ExecManager manager{QString()};
        ExecCommand *command = manager.GetCommand(QStringLiteral("cnt_ExecCount"));
        done.watch(command);
        QVERIFY(!command->ExecuteAsync());
        QCOMPARE(command->GetLastError().Number, int(data::Error::ObjectClosed));
        QVERIFY(!command->isExecuting());
        QCoreApplication::processEvents();
        QCOMPARE(done.count(), 0);
        QVERIFY(!manager.GetCommand(QStringLiteral("  ")));
    }

    void shouldCancelRunningStatementPromptly_data()
    {
        QTest::addColumn<int>("waitMs");
        QTest::newRow("while-counting") << 300;
        QTest::newRow("right-after-start") << 0;
    }

    void shouldCancelRunningStatementPromptly()
    {
        QFETCH(int, waitMs);
        Completions done;
        ExecManager manager(m_db->connectionString());
        ExecCommand *command = manager.GetCommand(QStringLiteral("cnt_ExecCount"));
        done.watch(command);
        startCount(command, kForever);
        QTest::qWait(waitMs);
        QVERIFY(command->isExecuting());

        command->Cancel();
        QVERIFY(!command->isExecuting());
        QCOMPARE(command->GetLastError().Number, int(data::Error::Cancelled));
        // The statement would count for hours: its worker ending shows it was interrupted.
        QTRY_COMPARE_WITH_TIMEOUT(manager.activeWorkers(), 0, 5000);
        QCoreApplication::processEvents();
        QCOMPARE(done.count(), 0);

        // The object runs again after a cancel.
        startCount(command, 7);
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 10000);
        QCOMPARE(rowTexts(done.all[0].results.value(0)), QStringList{QStringLiteral("7")});
        QCOMPARE(command->GetLastError().Number, 0);
    }

    void shouldDeliverOnlyTheNewRunUnderTheSameName_data()
    {
        QTest::addColumn<QString>("how");
        // What a report does before it starts again.
        QTest::newRow("cancel-release-get-again") << QStringLiteral("release");
        QTest::newRow("execute-again-while-running") << QStringLiteral("again");
        QTest::newRow("get-again-while-running") << QStringLiteral("get");
        // The first run's result is already posted when it is cancelled.
        QTest::newRow("cancel-after-result-posted") << QStringLiteral("posted");
    }

    void shouldDeliverOnlyTheNewRunUnderTheSameName()
    {
        QFETCH(QString, how);
        const QString name = QStringLiteral("cnt_ExecCount");
        Completions done;
        ExecManager manager(m_db->connectionString());
        QPointer<ExecCommand> first = manager.GetCommand(name);
        done.watch(first);
        if (how == QLatin1String("posted")) {
            startCount(first, 3);
            QVERIFY(workersEndWithoutEvents(manager));
        } else {
            startCount(first, kForever);
            QTest::qWait(100);
        }

        ExecCommand *second = first;
        if (how == QLatin1String("release") || how == QLatin1String("posted")) {
            first->Cancel();
            manager.ReleaseCommand(name);
            second = manager.GetCommand(name);
            QVERIFY(second != first);
            done.watch(second);
        } else if (how == QLatin1String("get")) {
            second = manager.GetCommand(name.toUpper());
            QCOMPARE(second, first.data());
        }
        startCount(second, 10);

        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 10000);
        QCOMPARE(rowTexts(done.all[0].results.value(0)), QStringList{QStringLiteral("10")});
        // Exactly once: nothing more comes after every worker has ended.
        QTRY_COMPARE_WITH_TIMEOUT(manager.activeWorkers(), 0, 5000);
        QCoreApplication::processEvents();
        QCOMPARE(done.count(), 1);
        if (second != first.data()) {
            QVERIFY(!first);   // the released object is gone once the event loop has run
            QCOMPARE(manager.GetCommand(name), second);
        }
    }

    void shouldRunTwoNamesAtOnceEachOnItsOwnConnection()
    {
        Completions done;
        ExecManager manager(m_db->connectionString());
        ExecCommand *slow = manager.GetCommand(QStringLiteral("cnt_ExecCount"));
        ExecCommand *a = manager.GetCommand(QStringLiteral("cnt_ExecTagA"));
        ExecCommand *b = manager.GetCommand(QStringLiteral("cnt_ExecTagB"));
        for (ExecCommand *command : {slow, a, b})
            done.watch(command);
        // Each preparation leaves its tag in a temporary table of its connection:
        // a shared connection would give both procedures the same table.
        a->setPreparation(tagging(QStringLiteral("A")));
        b->setPreparation(tagging(QStringLiteral("B")));
        startCount(slow, kForever);
        QVERIFY(a->ExecuteAsync());
        QVERIFY(b->ExecuteAsync());

        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 2, 10000);
        QVERIFY(slow->isExecuting());   // the other two did not wait for it
        QStringList tags;
        for (const Completions::One &one : std::as_const(done.all))
            tags.append(one.name + u':' + rowTexts(one.results.value(0)).join(u'|'));
        tags.sort();
        QCOMPARE(tags, (QStringList{QStringLiteral("cnt_ExecTagA:A"), QStringLiteral("cnt_ExecTagB:B")}));
        slow->Cancel();
        QTRY_COMPARE_WITH_TIMEOUT(manager.activeWorkers(), 0, 5000);
    }

    void shouldDestroyManagerWhileRunning_data()
    {
        QTest::addColumn<int>("waitMs");
        QTest::newRow("while-counting") << 300;
        QTest::newRow("right-after-start") << 0;
    }

    void shouldDestroyManagerWhileRunning()
    {
        QFETCH(int, waitMs);
        const int threadsBefore = processThreads();
        Completions done;
        auto manager = std::make_unique<ExecManager>(m_db->connectionString());
        QPointer<ExecCommand> a = manager->GetCommand(QStringLiteral("cnt_ExecCount"));
        QPointer<ExecCommand> b = manager->GetCommand(QStringLiteral("cnt_ExecCountB"));
        done.watch(a);
        done.watch(b);
        startCount(a, kForever);
        startCount(b, kForever);
        // A released object whose worker may still be ending its statement.
        ExecCommand *released = manager->GetCommand(QStringLiteral("cnt_ExecCountC"));
        startCount(released, kForever);
        manager->ReleaseCommand(QStringLiteral("cnt_ExecCountC"));
        QTest::qWait(waitMs);

        QElapsedTimer timer;
        timer.start();
        manager.reset();
        QVERIFY2(timer.elapsed() < 10000, "the interrupted statements should end at once");
        QVERIFY(!a && !b);
        QCoreApplication::processEvents();
        QCOMPARE(done.count(), 0);
        // No worker outlives the manager (an idle pool thread of an earlier
        // case may end meanwhile, so the count may also drop below).
        if (threadsBefore > 0)
            QTRY_VERIFY_WITH_TIMEOUT(processThreads() <= threadsBefore, 5000);
    }
};

QTEST_GUILESS_MAIN(TestExecManager)
#include "tst_exec_manager.moc"

// Two marvolt-report processes of the same user on the same database, each
// with its own counterparty, started together again and again: each must
// print exactly what it prints when it runs alone. On the PostgreSQL backend
// the database is one on the test server, which both processes share.

#include "../db/DemoDayBanks.h"
#include "../support/TestBackend.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

/// database: a file, or a PostgreSQL connection string.
QStringList runnerArguments(const QString &database, const QString &settings, const QString &bank)
{
    return {testbackend::onPostgres() ? QStringLiteral("--connect") : QStringLiteral("--db"), database,
            QStringLiteral("--today"), QStringLiteral("2026-12-04"),
            QStringLiteral("--user"), QStringLiteral("dealer"), QStringLiteral("--settings"), settings,
            QStringLiteral("--set"), QStringLiteral("Bank=") + bank};
}

/// Starts the runner; wait with finish().
void start(QProcess &process, const QStringList &arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(MARVOLT_REPORT_EXE), arguments);
}

QString finish(QProcess &process)
{
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        return QStringLiteral("failed: ") + QString::fromUtf8(process.readAllStandardError());
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class tst_ConcurrentProcesses : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { MARVOLT_SKIP_WITHOUT_BACKEND(); }

    void twoProcessesOfOneUserSeeOnlyTheirOwnFilter()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString db = dir.filePath(QStringLiteral("trading.db"));
        QStringList demoArguments{QStringLiteral("--out"), db, QStringLiteral("--deals"), QStringLiteral("3000"),
                                  QStringLiteral("--seed"), QStringLiteral("5"), QStringLiteral("--today"),
                                  QStringLiteral("2026-12-04")};
        std::unique_ptr<testbackend::ScratchDatabase> server;
        if (testbackend::onPostgres()) {
            server = std::make_unique<testbackend::ScratchDatabase>(QStringLiteral("concurrent"));
            QVERIFY2(server->isValid(), qPrintable(server->error()));
            demoArguments << QStringLiteral("--connect") << server->connectionString();
        }
        const QString database = server ? server->connectionString() : db;
        QProcess demo;
        demo.start(QStringLiteral(MARVOLT_DEMO_DB_EXE), demoArguments);
        QVERIFY(demo.waitForFinished(120000) && demo.exitCode() == 0);

        // Each process has a settings store of its own, as two hosts on two
        // desks would; the filter store on the server is what they share.
        const QStringList banks =
            reporttest::busiestBanks(QStringLiteral("Provider=SQLite;Data Source=") + db, QDate(2026, 12, 4));
        QVERIFY(banks.size() >= 2);
        const QStringList first = runnerArguments(database, dir.filePath(QStringLiteral("a.sqlite")), banks.at(0));
        const QStringList second = runnerArguments(database, dir.filePath(QStringLiteral("b.sqlite")), banks.at(1));
        QProcess alone;
        start(alone, first);
        const QString firstAlone = finish(alone);
        start(alone, second);
        const QString secondAlone = finish(alone);
        QVERIFY2(firstAlone.count(u'\n') > 2 && secondAlone.count(u'\n') > 2, qPrintable(firstAlone + secondAlone));
        QVERIFY(firstAlone != secondAlone);

        for (int round = 0; round < 30; ++round) {
            QProcess a, b;
            start(a, first);
            start(b, second);
            QCOMPARE(finish(a), firstAlone);
            QCOMPARE(finish(b), secondAlone);
        }
    }
};

QTEST_GUILESS_MAIN(tst_ConcurrentProcesses)
#include "tst_concurrent_processes.moc"

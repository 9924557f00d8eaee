// The connections a report's runs leave for the next: handed from one worker
// thread to another and still usable there, never handed out for another
// database or for a file that was replaced since it opened, and never more
// kept than the pool holds.

#include "RunConnectionPool.h"

#include "Connection.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cstdio>
#include <thread>

namespace {

QString connectionString(const QString &file)
{
    return QStringLiteral("Provider=SQLite;Data Source=") + file;
}

/// A database file whose one table holds the one value given.
bool createDatabase(const QString &file, int value)
{
    data::Connection connection;
    if (!connection.Open(connectionString(file) + QStringLiteral(";Create=True")))
        return false;
    connection.Execute(QStringLiteral("CREATE TABLE T (V INTEGER); INSERT INTO T VALUES (%1);").arg(value));
    return !connection.lastError() && connection.Close();
}

std::unique_ptr<data::Connection> openConnection(const QString &text)
{
    auto connection = std::make_unique<data::Connection>();
    connection->setMode(data::adModeRead);
    return connection->Open(text) ? std::move(connection) : nullptr;
}

int valueOf(data::Connection &connection)
{
    data::RecordsetPtr rs = connection.Execute(QStringLiteral("SELECT V FROM T"));
    return rs && !rs->Eof() ? rs->Fields(0).value().toInt() : -1;
}

} // namespace

class tst_RunConnectionPool : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_file = m_dir.filePath(QStringLiteral("a.db"));
        QFile::remove(m_file);
        QVERIFY(createDatabase(m_file, 1));
    }

    void connectionGoesFromOneWorkerToTheNext()
    {
        RunConnectionPool pool;
        QCOMPARE(pool.take(connectionString(m_file)), nullptr);
        data::Connection *given = nullptr;
        std::thread([&] {
            std::unique_ptr<data::Connection> connection = openConnection(connectionString(m_file));
            given = connection.get();
            pool.give(std::move(connection));
        }).join();
        QCOMPARE(pool.idleCount(), size_t(1));

        data::Connection *taken = nullptr;
        int value = -1;
        bool ownedByTaker = false;
        std::thread([&] {
            std::unique_ptr<data::Connection> connection = pool.take(connectionString(m_file));
            if (!connection)
                return;
            taken = connection.get();
            ownedByTaker = connection->thread() == QThread::currentThread();
            value = valueOf(*connection);
        }).join();
        QCOMPARE(taken, given);
        QVERIFY(ownedByTaker);
        QCOMPARE(value, 1);
        QCOMPARE(pool.idleCount(), size_t(0));
    }

    void connectionIsNotHandedOutForAnotherDatabase_data()
    {
        QTest::addColumn<bool>("replaceFile");
        QTest::newRow("another connection string") << false;
        QTest::newRow("file replaced at the same path") << true;
    }
    void connectionIsNotHandedOutForAnotherDatabase()
    {
        QFETCH(bool, replaceFile);
        RunConnectionPool pool;
        pool.give(openConnection(connectionString(m_file)));
        QString wanted = connectionString(m_file);
        if (replaceFile) {
            // A new database written to the side and moved over the old one,
            // as a restore does: the kept handle still reads the old file.
            const QString next = m_dir.filePath(QStringLiteral("next.db"));
            QVERIFY(createDatabase(next, 2));
            QVERIFY(::rename(QFile::encodeName(next).constData(), QFile::encodeName(m_file).constData()) == 0);
        } else {
            const QString other = m_dir.filePath(QStringLiteral("other.db"));
            QVERIFY(createDatabase(other, 3));
            wanted = connectionString(other);
        }
        QCOMPARE(pool.take(wanted), nullptr);
        // The unusable connection was closed, not kept.
        QCOMPARE(pool.idleCount(), size_t(0));
    }

    void poolKeepsOnlyItsCapacity()
    {
        RunConnectionPool pool;
        for (size_t i = 0; i < RunConnectionPool::Capacity + 2; ++i)
            pool.give(openConnection(connectionString(m_file)));
        pool.give(std::make_unique<data::Connection>());   // closed: not kept
        QCOMPARE(pool.idleCount(), RunConnectionPool::Capacity);
    }

private:
    QTemporaryDir m_dir;
    QString m_file;
};

QTEST_GUILESS_MAIN(tst_RunConnectionPool)
#include "tst_run_connection_pool.moc"

// The market-rate program: which quote answers a currency and a day, the
// program over a real trading database (start, refresh, queries from many
// threads while it reloads, close), and a program that cannot start.

#include "TestTradingDatabase.h"

#include "MarketRateProgram.h"
#include "RateBook.h"

#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <thread>
#include <vector>

using services::MarketRateProgram;
using services::RateBook;
using services::RateQuote;

namespace {

RateBook::Quote quoteAt(const QString &time, double bid, double ask, int status)
{
    return {*data::DateTime::fromIsoString(time), bid, ask, status};
}

/// EUR: firm on 12-01, unusable on 12-02, indicative at 10:00 on 12-03 (given
/// out of order); RUB: one unusable quote on 12-02.
RateBook sampleBook()
{
    std::vector<RateBook::Currency> currencies(2);
    currencies[0] = {2, QStringLiteral("EUR"), true,
                     {quoteAt(QStringLiteral("2026-12-03 10:00:00"), 1.10, 1.11, 1),
                      quoteAt(QStringLiteral("2026-12-01"), 1.08, 1.09, 0),
                      quoteAt(QStringLiteral("2026-12-02"), 1.50, 1.60, 2)}};
    currencies[1] = {3, QStringLiteral("RUB"), false, {quoteAt(QStringLiteral("2026-12-02"), 90, 91, 3)}};
    return RateBook(std::move(currencies));
}

QString text(const std::optional<RateQuote> &quote)
{
    return quote ? QStringLiteral("%1 %2 %3").arg(quote->status).arg(quote->bid).arg(quote->ask)
                 : QStringLiteral("none");
}

QString connectionString(const QString &file)
{
    return QStringLiteral("Provider=SQLite;Data Source=") + file;
}

} // namespace

class tst_RateProgram : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void quoteIsTheLatestUsableOnOrBeforeTheDay_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("expected");
        QTest::newRow("day-before-the-first-quote") << "EUR" << QDate(2026, 11, 30) << "none";
        QTest::newRow("quote-counts-all-its-day") << "EUR" << QDate(2026, 12, 3) << "1 1.1 1.11";
        QTest::newRow("unusable-quote-gives-way-to-an-earlier-one") << "EUR" << QDate(2026, 12, 2) << "0 1.08 1.09";
        QTest::newRow("later-day-keeps-the-last-quote") << "EUR" << QDate(2026, 12, 10) << "1 1.1 1.11";
        QTest::newRow("only-unusable-quotes-answer-as-they-are") << "RUB" << QDate(2026, 12, 5) << "3 90 91";
        QTest::newRow("code-ignores-case") << "eur" << QDate(2026, 12, 1) << "0 1.08 1.09";
        QTest::newRow("unknown-code") << "XXX" << QDate(2026, 12, 3) << "none";
        QTest::newRow("invalid-day") << "EUR" << QDate() << "none";
    }
    void quoteIsTheLatestUsableOnOrBeforeTheDay()
    {
        QFETCH(QString, code);
        QFETCH(QDate, day);
        QFETCH(QString, expected);
        QCOMPARE(text(sampleBook().quote(code, day)), expected);
    }

    void programAnswersFromTheDatabaseAndRereadsIt()
    {
        TestTradingDatabase db;
        QVERIFY2(db.create() && db.fillDirectories(), qPrintable(db.error()));
        QVERIFY2(db.exec(QStringLiteral("INSERT INTO MarketRates (CcyID, RateDate, Bid, Ask, Status) VALUES "
                                        "(2, '2026-12-03', 1.08, 1.09, 0), (3, '2026-12-03', 30.10, 30.30, 1)")),
                 qPrintable(db.error()));
        const std::unique_ptr<MarketRateProgram> program = MarketRateProgram::start(db.connectionString());
        QVERIFY(program);
        const QDate day(2026, 12, 4);
        QCOMPARE(text(program->QueryRate(QStringLiteral("RUB"), day)), QStringLiteral("1 30.1 30.3"));
        QCOMPARE(text(program->QueryRate(QStringLiteral("USD"), day)), QStringLiteral("0 1 1"));
        QCOMPARE(text(program->QueryRate(QStringLiteral("CNY"), day)), QStringLiteral("none"));

        // Queries from report workers go on while the quotes are read again:
        // each answer is the old quote or the new one, never anything else.
        QVERIFY2(db.exec(QStringLiteral("INSERT INTO MarketRates (CcyID, RateDate, Bid, Ask, Status) VALUES "
                                        "(2, '2026-12-04', 1.10, 1.12, 0)")),
                 qPrintable(db.error()));
        QTest::qWait(0);   // the first load's loadFinished
        QSignalSpy loaded(program.get(), &MarketRateProgram::loadFinished);
        std::atomic<bool> reading{true};
        std::atomic<int> strange{0};
        std::vector<std::thread> workers;
        for (int i = 0; i < 4; ++i) {
            workers.emplace_back([&] {
                while (reading) {
                    const QString answer = text(program->QueryRate(QStringLiteral("EUR"), day));
                    if (answer != QLatin1String("0 1.08 1.09") && answer != QLatin1String("0 1.1 1.12"))
                        ++strange;
                }
            });
        }
        QVERIFY(program->refresh());
        QVERIFY(!program->refresh());   // one load at a time
        QVERIFY(loaded.wait(10000));
        reading = false;
        for (std::thread &worker : workers)
            worker.join();
        QCOMPARE(strange.load(), 0);
        QCOMPARE(loaded.first().first().toBool(), true);
        QCOMPARE(text(program->QueryRate(QStringLiteral("EUR"), day)), QStringLiteral("0 1.1 1.12"));
    }

    void closingTheProgramRaisesRateCloseOnceAndStopsIt()
    {
        TestTradingDatabase db;
        QVERIFY2(db.create() && db.fillDirectories(), qPrintable(db.error()));
        QVERIFY2(db.exec(QStringLiteral("INSERT INTO MarketRates (CcyID, RateDate, Bid, Ask, Status) VALUES "
                                        "(2, '2026-12-03', 1.08, 1.09, 0)")),
                 qPrintable(db.error()));
        const std::unique_ptr<MarketRateProgram> program = MarketRateProgram::start(db.connectionString());
        QVERIFY(program);
        QSignalSpy closed(program.get(), &services::RateProgram::RateClose);
        program->CloseProgram();
        program->CloseProgram();
        QCOMPARE(closed.count(), 1);
        QVERIFY(program->isClosed());
        QCOMPARE(text(program->QueryRate(QStringLiteral("EUR"), QDate(2026, 12, 4))), QStringLiteral("none"));
        QVERIFY(!program->refresh());
        program->ShowWindow();   // no window after the close, and nothing raised
        QCOMPARE(program->view(), nullptr);
        QCOMPARE(closed.count(), 1);
    }

    void programDoesNotStartWithoutItsTables_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("no-database-file") << "remove";
        QTest::newRow("no-market-rate-table") << "DROP TABLE MarketRates";
        QTest::newRow("no-currency-table") << "DROP TABLE Currencies";
    }
    void programDoesNotStartWithoutItsTables()
    {
        QFETCH(QString, damage);
        TestTradingDatabase db;
        QVERIFY2(db.create(), qPrintable(db.error()));
        const QString path = db.path();
        SessionContext::resetInstance();
        if (damage == QLatin1String("remove")) {
            QVERIFY(QFile::remove(path));
        } else {
            data::Connection connection;
            QVERIFY(connection.Open(connectionString(path)));
            connection.Execute(QStringLiteral("PRAGMA foreign_keys = OFF; ") + damage);
            QVERIFY(!connection.lastError());
        }
        data::ErrorPtr error;
        // Create=True must not make the program create a missing file.
        QCOMPARE(MarketRateProgram::start(connectionString(path) + QStringLiteral(";Create=True"), nullptr, &error),
                 nullptr);
        QVERIFY(error);
        QCOMPARE(services::startRateProgram(connectionString(path)), nullptr);
        QCOMPARE(QFile::exists(path), damage != QLatin1String("remove"));
    }
};

QTEST_GUILESS_MAIN(tst_RateProgram)
#include "tst_rate_program.moc"

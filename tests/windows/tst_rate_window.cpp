// The rate program's window: a row per currency with its latest quote and
// the marks for quotes the reports cannot use, numeric sorting, refresh, and
// closing by the user against hiding and closing by the program. On a demo
// database it keeps a picture (screenshots/rate-window.png in the test's
// working folder) for a person to look at.

#include "../services/TestTradingDatabase.h"

#include "RateWindow.h"

#include "DemoDatabase.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

using services::MarketRateProgram;

namespace {

const QDate Today(2026, 12, 4);

/// Every row as the window shows it, cells joined with '|', red rows marked "!".
QStringList rowTexts(const QAbstractItemModel &model)
{
    QStringList rows;
    for (int r = 0; r < model.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model.columnCount(); ++c)
            cells << model.index(r, c).data().toString();
        const bool red = model.index(r, 0).data(Qt::ForegroundRole).value<QBrush>().color() == Qt::red;
        rows << (red ? QStringLiteral("!") : QString()) + cells.join(u'|');
    }
    return rows;
}

} // namespace

class tst_RateWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_db = std::make_unique<TestTradingDatabase>();
        QVERIFY2(m_db->create() && m_db->fillDirectories(), qPrintable(m_db->error()));
        // EUR firm today, RUB indicative yesterday, CNY unusable, RUR and CNH without quotes.
        QVERIFY2(m_db->exec(QStringLiteral(
                     "INSERT INTO MarketRates (CcyID, RateDate, Bid, Ask, Status) VALUES "
                     "(2, '2026-12-04', 1.08, 1.09, 0), (3, '2026-12-03', 9.5, 9.7, 1), "
                     "(5, '2026-12-04', 10.2, 10.4, 2)")),
                 qPrintable(m_db->error()));
        RateWindow::install();
        m_program = MarketRateProgram::start(m_db->connectionString());
        QVERIFY(m_program && m_program->waitForLoad());
        QTest::qWait(0);   // the first load's loadFinished
        m_program->ShowWindow();
        m_window = dynamic_cast<RateWindow *>(m_program->view());
        QVERIFY(m_window && m_window->isVisible());
        m_window->setDay(Today);
    }
    void cleanup()
    {
        m_program.reset();
        m_db.reset();
    }

    void listsEveryCurrencyWithItsMarks()
    {
        QAbstractItemModelTester tester(m_window->rows());
        QCOMPARE(rowTexts(*m_window->rows()),
                 (QStringList{"!CNH|||||No quote", "!CNY|10.2000|10.4000||2026-12-04|Unusable (2)",
                              "EUR|1.08000|1.09000|1.08500|2026-12-04|Firm",
                              "RUB|9.50000|9.70000|9.60000|2026-12-03|Indicative, stale",
                              "!RUR|||||No quote"}));
        QVERIFY(m_window->rows()->index(3, 0).data(Qt::FontRole).value<QFont>().italic());
        QVERIFY(m_window->stateLabel()->text().startsWith(QStringLiteral("Quotes on 2026-12-04")));

        // Numbers sort as numbers: 9.5 before 10.2 (as text it would follow
        // it); currencies without a quote come last.
        m_window->table()->sortByColumn(RateWindow::BidColumn, Qt::AscendingOrder);
        QStringList bids;
        for (const QString &row : rowTexts(*m_window->rows()))
            bids << row.section(u'|', 1, 1);
        QCOMPARE(bids, (QStringList{"1.08000", "9.50000", "10.2000", "", ""}));
    }

    void refreshShowsTheNewQuotes()
    {
        QVERIFY2(m_db->exec(QStringLiteral("INSERT INTO MarketRates (CcyID, RateDate, Bid, Ask, Status) VALUES "
                                           "(3, '2026-12-04', 9.6, 9.8, 0)")),
                 qPrintable(m_db->error()));
        QSignalSpy loaded(m_program.get(), &MarketRateProgram::loadFinished);
        QPushButton *refresh = m_window->findChild<QPushButton *>();
        QVERIFY(refresh);
        refresh->click();
        QVERIFY(!refresh->isEnabled());
        QVERIFY(loaded.wait(10000));
        QVERIFY(refresh->isEnabled());
        QVERIFY(rowTexts(*m_window->rows()).contains(
            QStringLiteral("RUB|9.60000|9.80000|9.70000|2026-12-04|Firm")));
    }

    void userClosingTheWindowRaisesRateCloseAndKeepsTheProgram()
    {
        QSignalSpy closed(m_program.get(), &services::RateProgram::RateClose);
        m_program->HideWindow();
        QVERIFY(!m_window->isVisible());
        QTest::qWait(0);
        QCOMPARE(closed.count(), 0);   // hidden by the program: nothing raised

        m_program->ShowWindow();
        QTest::keyClick(m_window, Qt::Key_Escape);
        QVERIFY(!m_window->isVisible());
        QVERIFY(closed.wait(1000));
        QCOMPARE(closed.count(), 1);
        QVERIFY(!m_program->isClosed());
        QVERIFY(m_program->QueryRate(QStringLiteral("EUR"), Today));

        m_program->ShowWindow();
        QVERIFY(m_window->isVisible());
        m_program->CloseProgram();
        QVERIFY(!m_window->isVisible());
        QTest::qWait(0);
        QCOMPARE(closed.count(), 2);
    }

    void demoDatabaseShowsEveryKindOfGap()
    {
        QTemporaryDir dir;
        db::DemoDatabase::Options options;
        options.out = dir.filePath(QStringLiteral("demo.db"));
        options.deals = 500;
        options.seed = 7;
        options.today = Today;
        QString error;
        QVERIFY2(db::DemoDatabase::build(options, nullptr, &error), qPrintable(error));
        const std::unique_ptr<MarketRateProgram> program =
            MarketRateProgram::start(QStringLiteral("Provider=SQLite;Data Source=") + options.out);
        QVERIFY(program && program->waitForLoad());
        program->ShowWindow();
        auto *window = dynamic_cast<RateWindow *>(program->view());
        QVERIFY(window);
        window->setDay(Today);
        QStringList marks;
        for (const QString &row : rowTexts(*window->rows())) {
            const QString code = row.section(u'|', 0, 0);
            if (QStringList{"!MXN", "!TRY", "NOK", "EUR"}.contains(code))
                marks << code + u' ' + row.section(u'|', 5);
        }
        QCOMPARE(marks, (QStringList{"EUR Firm", "!MXN No quote", "NOK Firm, stale", "!TRY Unusable (3)"}));
        QVERIFY(QDir().mkpath(QStringLiteral("screenshots")));
        QVERIFY(window->grab().save(QStringLiteral("screenshots/rate-window.png")));
    }

private:
    std::unique_ptr<TestTradingDatabase> m_db;
    std::unique_ptr<MarketRateProgram> m_program;
    RateWindow *m_window = nullptr;
};

QTEST_MAIN(tst_RateWindow)
#include "tst_rate_window.moc"

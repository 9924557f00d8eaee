// The cash-flow reports end to end on a generated demo database: every flow
// row against sums this test computes from Tickets with SQL of its own (the
// legs of the FX deals, a deposit's principal out and back and its interest),
// the running balance, every summary row, the row filters against the deals
// behind the flows; and the report's own behaviour around its execution
// object: a replaced run, a failed run, the deal-type columns and the views.

#include "ReportHost.h"

#include "CashFlow.h"
#include "DealersReport.h"
#include "ExecCommand.h"

#include "Command.h"
#include "Connection.h"
#include "DateTime.h"
#include "DealVocabulary.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using reporttest::Host;

namespace {

const QDate Today(2026, 12, 4);

// Every flow of the deals with a value date in [@From, @To]: an FX leg's two
// currency amounts, a deposit's principal on its start (Kind 16) and back
// on its maturity, and its interest there (Kind 17); each with the
// counterparty and whether it has a netting agreement.
const QString Flows = QStringLiteral(R"(
WITH d AS (
    SELECT t.*, (SELECT c.Netting FROM Counterparties c WHERE c.CPID = t.CPID) = 2 AS Nets
    FROM Tickets t WHERE PureDealType IN (2, 4, 8, 16) AND Status >= 0),
f AS (
    SELECT TradeID, CPID, Nets, PureDealType AS Kind, Ccy1 AS Ccy, ValDateP1C1 AS ValDate, Volume1 AS Amount FROM d
    UNION ALL SELECT TradeID, CPID, Nets, PureDealType, Ccy2, COALESCE(ValDateP1C2, ValDateP1C1), VolumeP1C2
              FROM d WHERE PureDealType < 16
    UNION ALL SELECT TradeID, CPID, Nets, 8, Ccy1, ValDateP2C1, VolumeP2C1 FROM d WHERE PureDealType = 8
    UNION ALL SELECT TradeID, CPID, Nets, 8, Ccy2, COALESCE(ValDateP2C2, ValDateP2C1), VolumeP2C2 FROM d WHERE PureDealType = 8
    UNION ALL SELECT TradeID, CPID, Nets, 16, Ccy1, ValDateP2C1, -Volume1 FROM d WHERE PureDealType = 16
    UNION ALL SELECT TradeID, CPID, Nets, 17, Ccy1, ValDateP2C1, VolumeP2C1 + Volume1 FROM d WHERE PureDealType = 16),
r AS (SELECT ROW_NUMBER() OVER () AS Flow, * FROM f
      WHERE ValDate BETWEEN @From AND @To AND Kind IN (SELECT value FROM json_each(@Kinds)))
)");

// Per currency and day; with @Net 1 what a counterparty with a netting
// agreement pays and receives is settled net before the day's pay and
// receive are summed, with @Roll 1 a counterparty's principal given and
// taken back on one day.
const QString Days = Flows + QStringLiteral(R"(,
settled AS (SELECT Ccy, ValDate, SUM(Amount) AS Amount FROM r
            GROUP BY Ccy, ValDate, CASE WHEN @Net = '1' AND Nets THEN -CPID ELSE Flow END),
principal AS (SELECT Ccy, ValDate, SUM(Amount) AS Amount FROM r WHERE Kind = 16
              GROUP BY Ccy, ValDate, CASE WHEN @Roll = '1' THEN -CPID ELSE Flow END),
sides AS (
    SELECT Ccy, ValDate, SUM(MIN(Amount, 0)) AS Pay, SUM(MAX(Amount, 0)) AS Receive, 0 AS Give, 0 AS Take FROM settled
    GROUP BY Ccy, ValDate
    UNION ALL
    SELECT Ccy, ValDate, 0, 0, SUM(MIN(Amount, 0)), SUM(MAX(Amount, 0)) FROM principal GROUP BY Ccy, ValDate),
totals AS (
    SELECT Ccy, ValDate, SUM(Amount) AS Daily,
           SUM(CASE WHEN Kind = 8 THEN Amount ELSE 0 END) AS Swap,
           SUM(CASE WHEN Kind = 16 THEN Amount ELSE 0 END) AS Deposit,
           SUM(CASE WHEN Kind = 17 THEN Amount ELSE 0 END) AS Interest,
           COUNT(DISTINCT TradeID) AS Deals
    FROM r GROUP BY Ccy, ValDate)
SELECT t.*, SUM(s.Pay) AS Pay, SUM(s.Receive) AS Receive, SUM(s.Give) AS Give, SUM(s.Take) AS Take
FROM totals t JOIN sides s ON s.Ccy = t.Ccy AND s.ValDate = t.ValDate
GROUP BY t.Ccy, t.ValDate ORDER BY t.Ccy, t.ValDate
)");

const QString CurrencyDeals = Flows + QStringLiteral("SELECT Ccy, COUNT(DISTINCT TradeID) AS Deals FROM r GROUP BY Ccy");

data::Value f(const data::RecordsetPtr &rs, const char *name)
{
    return rs->Fields(QString::fromLatin1(name)).value();
}

QString money(const data::Value &v)
{
    return v.isNull() ? QStringLiteral("0.00") : v.toCurrency().toString();
}

QString money(qint64 raw)
{
    return data::Currency::fromRaw(raw).toString();
}

} // namespace

class TestCashFlow final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QString error;
        m_connectionString = reporttest::startDemoReportTests(m_dir, 2500, Today, QStringLiteral("Cash Flow"), &error);
        QVERIFY2(!m_connectionString.isEmpty(), qPrintable(error));
    }

    void cleanupTestCase()
    {
        SessionContext::resetInstance();
        Clock::reset();
    }

    void init()
    {
        // Each case starts from the first-run query: no switch a case before stored.
        MessageService::instance().clearMessages();
        RegistryAccess::instance().DeleteKey(QueryKey(QStringLiteral("Cash Flow"), QStringLiteral("Query")).path());
    }

    void rowsEqualFlowsFromTickets_data()
    {
        QTest::addColumn<bool>("dealers");
        QTest::addColumn<QString>("dealTypes");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");   // null: open
        QTest::addColumn<QString>("turnedOn");   // the cash flow's switch turned on, if any
        QTest::newRow("every-value-date-from-today") << false << QStringLiteral("All") << Today << QDate() << QString();
        QTest::newRow("swaps-and-deposits-of-december")
            << false << QStringLiteral("Swap|Deposit") << QDate(2026, 12, 1) << QDate(2026, 12, 31) << QString();
        QTest::newRow("dealers-report-spot-next-month")
            << true << QStringLiteral("Spot") << QDate(2026, 12, 7) << QDate(2027, 1, 6) << QString();
        QTest::newRow("november-with-netting")
            << false << QStringLiteral("All") << QDate(2026, 11, 1) << QDate(2026, 11, 30) << QStringLiteral("WithNetting");
        QTest::newRow("november-with-rollover")
            << false << QStringLiteral("All") << QDate(2026, 11, 1) << QDate(2026, 11, 30) << QStringLiteral("WithRollower");
    }
    void rowsEqualFlowsFromTickets()
    {
        QFETCH(bool, dealers);
        QFETCH(QString, dealTypes);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QString, turnedOn);
        std::unique_ptr<Report> report;
        if (dealers)
            report = std::make_unique<DealersReport>();
        else
            report = std::make_unique<CashFlow>();
        Host host;
        host.wire(*report, vwAll);
        if (!turnedOn.isEmpty())
            QVERIFY(report->setProperty(qPrintable(turnedOn), true));
        QVERIFY(report->setQueryField(QStringLiteral("Relative"), false));
        const QVariant end = to.isValid() ? QVariant(to) : QVariant(QStringLiteral("All"));
        QVERIFY(report->setQueryField(QStringLiteral("ValDate"), from)
                && report->setQueryField(QStringLiteral("ValLong"), int(Today.daysTo(from))));
        QVERIFY(report->setQueryField(QStringLiteral("EndDate"), end)
                && report->setQueryField(QStringLiteral("EndLong"), to.isValid() ? QVariant(int(Today.daysTo(to))) : end));
        QVERIFY(report->setQueryField(QStringLiteral("Deal"), dealTypes.split(u'|')));
        QVERIFY(host.run(*report));
        QVERIFY2(MessageService::instance().messages().isEmpty(),
                 qPrintable(MessageService::instance().messages().join(u'\n')));
        const data::RecordsetPtr rows = report->DisplayRecordset();
        QVERIFY(rows && rows->RecordCount() > 0);

        QStringList kinds;
        for (const QString &type : dealTypes.split(u'|')) {
            if (type == QLatin1String("All"))
                kinds << QStringLiteral("2") << QStringLiteral("4") << QStringLiteral("8") << QStringLiteral("16")
                      << QStringLiteral("17");
            else if (type == QLatin1String("Deposit"))
                kinds << QStringLiteral("16") << QStringLiteral("17");
            else
                kinds << QString::number(DealVocabulary::DealTypeCode(type));
        }
        const QList<QPair<QString, QString>> params = {
            {QStringLiteral("@From"), from.toString(Qt::ISODate)},
            {QStringLiteral("@To"), to.isValid() ? to.toString(Qt::ISODate) : QStringLiteral("9999-12-31")},
            {QStringLiteral("@Kinds"), QLatin1Char('[') + kinds.join(u',') + QLatin1Char(']')},
            {QStringLiteral("@Net"), turnedOn == QLatin1String("WithNetting") ? QStringLiteral("1") : QStringLiteral("0")},
            {QStringLiteral("@Roll"), turnedOn == QLatin1String("WithRollower") ? QStringLiteral("1") : QStringLiteral("0")}};
        data::RecordsetPtr days = reporttest::query(m_connectionString, Days, params);
        data::RecordsetPtr currencyDeals = reporttest::query(m_connectionString, CurrencyDeals, params);
        QVERIFY(days && currencyDeals && days->RecordCount() > 0);
        QHash<int, qint64> dealsOf;
        for (currencyDeals->MoveFirst(); !currencyDeals->Eof(); currencyDeals->MoveNext())
            dealsOf.insert(f(currencyDeals, "Ccy").toInt(), f(currencyDeals, "Deals").toInt64());

        int groups = 0;
        days->MoveFirst();
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
            const int currency = f(rows, "Caption").toInt();
            data::Currency balance, daily, pay, receive;
            for (; !rows->Eof() && !f(rows, "Summary").toBool(); rows->MoveNext(), days->MoveNext()) {
                QVERIFY2(!days->Eof(), "the report shows more value dates than Tickets hold");
                const QString shown =
                    QStringList{f(rows, "Caption").toString(), f(rows, "Date").toDate().toIsoString(),
                                money(f(rows, "Daily")), money(f(rows, "Daily_Sell")), money(f(rows, "Daily_Buy")),
                                money(f(rows, "Swap")), money(f(rows, "Deposit")), money(f(rows, "Deposit_Give")),
                                money(f(rows, "Deposit_Take")), money(f(rows, "Interest")), f(rows, "Deals").toString()}
                        .join(u'|');
                const QString computed =
                    QStringList{f(days, "Ccy").toString(), f(days, "ValDate").toString(),
                                money(f(days, "Daily").toInt64()), money(f(days, "Pay").toInt64()),
                                money(f(days, "Receive").toInt64()), money(f(days, "Swap").toInt64()),
                                money(f(days, "Deposit").toInt64()), money(f(days, "Give").toInt64()),
                                money(f(days, "Take").toInt64()), money(f(days, "Interest").toInt64()),
                                f(days, "Deals").toString()}
                        .join(u'|');
                QCOMPARE(shown, computed);
                QCOMPARE(f(rows, "Caption").toInt(), currency);
                balance += f(rows, "Daily").toCurrency();
                QCOMPARE(money(f(rows, "Cumulated")), balance.toString());
                QCOMPARE(f(rows, "Take").toCurrency() + f(rows, "Return").toCurrency(), f(rows, "Interest").toCurrency());
                daily += f(rows, "Daily").toCurrency();
                pay += f(rows, "Daily_Sell").toCurrency();
                receive += f(rows, "Daily_Buy").toCurrency();
            }
            QVERIFY2(!rows->Eof(), "a currency without its summary row");
            ++groups;
            QCOMPARE(f(rows, "Caption").toInt(), currency);
            QCOMPARE(money(f(rows, "Daily")), daily.toString());
            QCOMPARE(money(f(rows, "Daily_Sell")), pay.toString());
            QCOMPARE(money(f(rows, "Daily_Buy")), receive.toString());
            QCOMPARE(money(f(rows, "Cumulated")), balance.toString());
            QCOMPARE(f(rows, "NegSumm").toBool(), balance < data::Currency());
            // Distinct deals: a swap or a deposit with both dates in the range counts once.
            QCOMPARE(f(rows, "Deals").toInt64(), dealsOf.value(currency));
        }
        QVERIFY2(days->Eof(), "Tickets hold value dates the report does not show");
        QCOMPARE(report->NumTable, groups);
        QCOMPARE(report->NumDeal, int(report->DetRecordset->RecordCount()));

        // Each row's filter lists the deals with a leg in its currency (on its date).
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
            data::RecordsetPtr detail = report->DetRecordset->Clone();
            const QString criteria = f(rows, "CurrentFilter").toString();
            QVERIFY2(detail->setFilter(criteria), qPrintable(criteria));
            const bool summary = f(rows, "Summary").toBool();
            QSet<qint64> deals;
            for (detail->MoveFirst(); !detail->Eof(); detail->MoveNext()) {
                deals.insert(f(detail, "TradeID").toInt64());
                const int currency = f(rows, "Caption").toInt();
                QVERIFY(f(detail, "Ccy1").toInt() == currency || f(detail, "Ccy2").toInt() == currency);
            }
            QVERIFY2(summary || deals.size() >= f(rows, "Deals").toInt64(), qPrintable(criteria));
            QVERIFY2(!summary || deals.size() == f(rows, "Deals").toInt64(), qPrintable(criteria));
        }

        // Only the selected types' columns; the summary rows read "Summary" and sort last.
        const bool all = dealTypes == QLatin1String("All");
        QCOMPARE(host.grid.columns.value(QStringLiteral("Swap")).visible, all || dealTypes.contains(u"Swap"));
        QCOMPARE(host.grid.columns.value(QStringLiteral("Interest")).visible, all || dealTypes.contains(u"Deposit"));
        QCOMPARE(host.grid.columns.value(QStringLiteral("Outright_Buy")).visible, all);
        for (int row = 0; row < int(rows->RecordCount()); ++row) {
            QVector<QVariant> values;
            report->readRow(row, values);
            const int date = host.grid.columns.value(QStringLiteral("Date")).index;
            if (f(rows, "Summary").toBool()) {
                QCOMPARE(values.at(date).toString(), QStringLiteral("Summary"));
                QCOMPARE(report->FitchData(date, row),
                         gridCellValue(data::Value(data::DateTime::fromDate(QDate(5000, 1, 1)))));
            } else {
                QCOMPARE(values.at(date), gridCellValue(f(rows, "Date")));
            }
        }
    }

    void summaryViewShowsCurrenciesOnly()
    {
        CashFlow report;
        Host host;
        host.wire(report, vwSummary);
        QVERIFY(host.run(report));
        const data::RecordsetPtr rows = report.DisplayRecordset();
        QVERIFY(rows && rows->RecordCount() == report.NumTable);
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext())
            QVERIFY(f(rows, "Summary").toBool());
        QVERIFY(host.grid.columns.value(QStringLiteral("Caption")).visible);
        QVERIFY(!host.grid.columns.value(QStringLiteral("Date")).visible);
        QVERIFY(!host.grid.columns.value(QStringLiteral("Daily")).visible);
        QCOMPARE(host.grid.boldHighlights.value(QStringLiteral("NegSumm")), false);
    }

    void switchesReachTheProcedureAndAreStored()
    {
        Host host;
        {
            CashFlow report;
            host.wire(report);
            QVERIFY(host.toolbar.visible_.value(QStringLiteral("ID_WithNetting")));
            QVERIFY(!host.toolbar.visible_.value(QStringLiteral("ID_Recalculate")));
            QVERIFY(report.setProperty("WithNetting", true));
            QCOMPARE(host.toolbar.states.value(QStringLiteral("ID_WithNetting")), 1);
            QVERIFY(host.run(report));
            QVERIFY(report.NumTable > 0);
            report.ClearUtil();
        }
        CashFlow again;
        again.ReadQueryPar(QStringLiteral("Query"));
        QVERIFY(again.WithNetting);
        QVERIFY(!again.WithRollower);
    }

    void newRunReplacesTheExecutionGoing()
    {
        CashFlow report;
        Host host;
        host.wire(report);
        QSignalSpy done(&host.events, &EventClass::UnActivProgress);
        report.StartAnalyser();
        const QPointer<ExecCommand> first = report.ExObj();
        QVERIFY(first);
        report.StartAnalyser();
        QVERIFY(report.ExObj() != nullptr);
        QTRY_VERIFY(!first);   // released
        QVERIFY(done.wait(20000));
        QTRY_VERIFY(!report.isRunning());
        QVERIFY(!report.ExObj());
        QVERIFY(report.NumTable > 0);
        QVERIFY(MessageService::instance().messages().isEmpty());
    }

    void failedRunShowsTheServersReasonAndKeepsItsObject()
    {
        // A database whose procedure is missing: the server's reason reaches the user.
        const QString broken = m_dir.filePath(QStringLiteral("broken.db"));
        QVERIFY(QFile::copy(m_dir.filePath(QStringLiteral("demo.db")), broken));
        {
            data::Connection connection;
            connection.setMode(data::adModeReadWrite);
            QVERIFY(connection.Open(QStringLiteral("Provider=SQLite;Data Source=") + broken));
            long removed = 0;
            connection.Execute(QStringLiteral("DELETE FROM sys_procedures WHERE name = 'cnt_CashFlow'"), &removed);
            QCOMPARE(removed, 1L);
        }
        SessionContext::instance().CloseSession();
        QVERIFY(reporttest::openReportSession(QStringLiteral("Provider=SQLite;Data Source=") + broken,
                                              QStringLiteral("demo"), QStringLiteral("Cash Flow")));
        CashFlow report;
        Host host;
        host.wire(report);
        QVERIFY(host.run(report));
        QVERIFY(!report.isRunning());
        QVERIFY(report.ExObj());   // kept until the next run releases it
        QVERIFY(!report.DisplayRecordset());
        const QStringList messages = MessageService::instance().messages();
        QVERIFY(!messages.isEmpty());
        QVERIFY2(messages.last().startsWith(QStringLiteral("Error Return Information. Error number: ")),
                 qPrintable(messages.last()));
        QVERIFY(messages.last().contains(QStringLiteral("cnt_CashFlow")));
        QVERIFY(!host.toolbar.enabled_.value(QStringLiteral("ID_expand"), true));
        SessionContext::instance().CloseSession();
        QVERIFY(reporttest::openReportSession(m_connectionString, QStringLiteral("demo"), QStringLiteral("Cash Flow")));
    }

private:
    QTemporaryDir m_dir;
    QString m_connectionString;
};

QTEST_MAIN(TestCashFlow)
#include "tst_cash_flow.moc"

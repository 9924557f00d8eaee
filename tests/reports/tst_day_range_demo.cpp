// The forward position and single currency reports end to end on a generated
// demo database: their day rows against sums this test computes from Tickets
// with SQL of its own, every summary row against the day rows above it, and
// every row's CurrentFilter against the deal result the detail window filters.

#include "ReportHost.h"

#include "ForwardPosition.h"
#include "SingleCurrency.h"

#include "Command.h"
#include "Connection.h"

#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <optional>

using reporttest::Host;

namespace {

const QDate Today(2026, 12, 4);

// Both reports' deals: FX deals with a status that is not negative, one row
// per currency amount (first leg's two currencies, a swap's far leg's two),
// each with its value date.
const QString Amounts = QStringLiteral(R"(
WITH d AS (
    SELECT t.*, COALESCE(t.PairID, p.PairID) AS Pair, date(t.DealTime) AS Day
    FROM Tickets t LEFT JOIN Pairs p ON p.Ccy1 = t.Ccy1 AND p.Ccy2 = t.Ccy2
    WHERE t.DealTime >= @From AND t.DealTime < date(@To, '+1 day')
      AND t.PureDealType IN (2, 4, 8) AND t.Status >= 0),
legs AS (
    SELECT Pair, Day, TradeID, Ccy1, Ccy2, Volume1 AS V1, VolumeP1C2 AS V2,
           ValDateP1C1 AS ValDate, COALESCE(ValDateP1C2, ValDateP1C1) AS ValDate2 FROM d
    UNION ALL
    SELECT Pair, Day, TradeID, Ccy1, Ccy2, VolumeP2C1, VolumeP2C2,
           ValDateP2C1, COALESCE(ValDateP2C2, ValDateP2C1) FROM d WHERE PureDealType = 8),
amounts AS (
    SELECT Ccy1 AS Ccy, Day, TradeID, V1 AS V, ValDate FROM legs
    UNION ALL
    SELECT Ccy2, Day, TradeID, V2, ValDate2 FROM legs)
)");

// Per pair and trade day: the legs whose first value date is in the range.
const QString ForwardDays = Amounts + QStringLiteral(R"(
SELECT Pair AS Grp, Day, SUM(V1) AS A, SUM(V2) AS B, COUNT(DISTINCT TradeID) AS Deals
FROM legs WHERE ValDate BETWEEN @ValueFrom AND @ValueTo
GROUP BY Pair, Day ORDER BY Pair, Day
)");

// Per currency and trade day: the amounts whose value date is in the range.
const QString SingleDays = Amounts + QStringLiteral(R"(
SELECT Ccy AS Grp, Day, SUM(CASE WHEN V > 0 THEN 0 ELSE V END) AS A, SUM(V) AS B,
       COUNT(DISTINCT TradeID) AS Deals
FROM amounts WHERE ValDate BETWEEN @ValueFrom AND @ValueTo
GROUP BY Ccy, Day ORDER BY Ccy, Day
)");

QString money(const data::Value &v)
{
    return v.isNull() ? QStringLiteral("-") : v.toCurrency().toString();
}

std::optional<double> rateOf(data::Currency ccy1, data::Currency ccy2)
{
    if (ccy1 == data::Currency() || ccy2 == data::Currency())
        return std::nullopt;
    return std::abs(ccy2.toDouble() / ccy1.toDouble());
}

bool sameRate(const data::Value &shown, const std::optional<double> &expected)
{
    if (!expected)
        return shown.isNull();
    return !shown.isNull() && std::abs(shown.toDouble() - *expected) <= 1e-12 * std::max(1.0, *expected);
}

} // namespace

class TestDayRangeDemo final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QString error;
        m_connectionString = reporttest::startDemoReportTests(m_dir, 2500, Today, QStringLiteral("Position History"), &error);
        QVERIFY2(!m_connectionString.isEmpty(), qPrintable(error));
    }

    void cleanupTestCase()
    {
        SessionContext::resetInstance();
        Clock::reset();
    }

    void rowsEqualSumsFromTickets_data()
    {
        QTest::addColumn<int>("windowType");
        QTest::addColumn<QDate>("tradeFrom");
        QTest::addColumn<QDate>("tradeTo");
        QTest::addColumn<QVariant>("valueFrom");   // a date or "All"
        QTest::addColumn<QVariant>("valueTo");
        const QVariant all = QStringLiteral("All");
        for (int type : {1, 2}) {
            const QByteArray report = type == 1 ? "forward-" : "single-";
            QTest::newRow(QByteArray(report + "four-weeks-every-value-date").constData())
                << type << QDate(2026, 11, 9) << QDate(2026, 12, 4) << all << all;
            QTest::newRow(QByteArray(report + "four-weeks-value-dates-of-december").constData())
                << type << QDate(2026, 11, 9) << QDate(2026, 12, 4) << QVariant(QDate(2026, 12, 1))
                << QVariant(QDate(2026, 12, 31));
            QTest::newRow(QByteArray(report + "whole-year-up-to-a-value-date").constData())
                << type << QDate(2025, 12, 1) << QDate(2026, 12, 4) << all << QVariant(QDate(2026, 6, 30));
        }
    }
    void rowsEqualSumsFromTickets()
    {
        QFETCH(int, windowType);
        QFETCH(QDate, tradeFrom);
        QFETCH(QDate, tradeTo);
        QFETCH(QVariant, valueFrom);
        QFETCH(QVariant, valueTo);
        const bool forward = windowType == 1;
        std::unique_ptr<Report> report;
        if (forward)
            report = std::make_unique<ForwardPosition>();
        else
            report = std::make_unique<SingleCurrency>();
        Host host;
        host.wire(*report);
        QVERIFY(report->setQueryField(QStringLiteral("Relative"), false));
        const QVariant bounds[] = {tradeFrom, tradeTo, valueFrom, valueTo};
        const int slots[] = {fcDateReport0, fcDateReport1, fcDateReport2, fcDateReport3};
        for (int i = 0; i < 4; ++i) {
            const DateSlotFields *fields = dateSlotFields(slots[i]);
            const QVariant &bound = bounds[i];
            const QVariant offset = bound.typeId() == QMetaType::QDate ? QVariant(int(Today.daysTo(bound.toDate()))) : bound;
            QVERIFY(report->setQueryField(QString::fromLatin1(fields->date), bound)
                    && report->setQueryField(QString::fromLatin1(fields->offset), offset));
        }
        QVERIFY(host.run(*report));
        QVERIFY2(MessageService::instance().messages().isEmpty(),
                 qPrintable(MessageService::instance().messages().join(u'\n')));
        data::RecordsetPtr rows = report->DisplayRecordset();
        QVERIFY(rows && rows->RecordCount() > 0);

        // The day rows, from Tickets.
        data::Connection connection;
        QVERIFY(connection.Open(m_connectionString));
        data::Command command;
        command.setActiveConnection(&connection);
        command.setCommandText(forward ? ForwardDays : SingleDays);
        const auto text = [](const QVariant &bound, const char *open) {
            return bound.toString() == QLatin1String("All") ? QString::fromLatin1(open)
                                                            : bound.toDate().toString(Qt::ISODate);
        };
        const QList<QPair<QString, QString>> params = {
            {QStringLiteral("@From"), tradeFrom.toString(Qt::ISODate)},
            {QStringLiteral("@To"), tradeTo.toString(Qt::ISODate)},
            {QStringLiteral("@ValueFrom"), text(valueFrom, "")},
            {QStringLiteral("@ValueTo"), text(valueTo, "9999-12-31")}};
        for (const auto &[name, value] : params)
            command.Parameters().Append(
                data::Parameter(name, data::DataType::VarWChar, data::adParamInput, 10, data::Value(value)));
        data::RecordsetPtr days = command.Execute();
        QVERIFY2(days, qPrintable(command.lastError() ? command.lastError()->Description : QString()));
        QVERIFY(days->RecordCount() > 0);

        const auto f = [](data::RecordsetPtr &rs, const char *name) { return rs->Fields(QString::fromLatin1(name)).value(); };
        const char *first = forward ? "Ccy1" : "Sell";
        const char *second = forward ? "Ccy2" : "Total";
        days->MoveFirst();
        rows->MoveFirst();
        int dayRows = 0, summaries = 0;
        qint64 shownDeals = 0;
        while (!rows->Eof()) {
            const int group = f(rows, "Caption").toInt();
            data::Currency sumA, sumB;
            qint64 deals = 0;
            std::optional<double> previousRate;
            for (; !rows->Eof() && !f(rows, "Summary").toBool(); rows->MoveNext(), days->MoveNext(), ++dayRows) {
                QVERIFY2(!days->Eof(), "the report shows more days than Tickets hold");
                const QString shown = QStringList{f(rows, "Caption").toString(), f(rows, "Date").toDate().toIsoString(),
                                                  money(f(rows, first)), money(f(rows, second)),
                                                  f(rows, "Deals").toString()}
                                          .join(u'|');
                const QString computed =
                    QStringList{f(days, "Grp").toString(), f(days, "Day").toString(),
                                data::Currency::fromRaw(f(days, "A").toInt64()).toString(),
                                data::Currency::fromRaw(f(days, "B").toInt64()).toString(), f(days, "Deals").toString()}
                        .join(u'|');
                QCOMPARE(shown, computed);
                QCOMPARE(f(rows, "Caption").toInt(), group);
                const data::Currency a = f(rows, first).toCurrency(), b = f(rows, second).toCurrency();
                sumA += a;
                sumB += b;
                deals += f(rows, "Deals").toInt64();
                if (forward) {
                    const std::optional<double> rate = rateOf(a, b);
                    QVERIFY2(sameRate(f(rows, "Rate"), rate), qPrintable(shown));
                    const std::optional<double> diff =
                        rate && previousRate ? std::optional<double>(*rate - *previousRate) : std::nullopt;
                    QVERIFY2(sameRate(f(rows, "SwapDiff"), diff), qPrintable(shown));
                    if (rate)
                        previousRate = rate;
                } else {
                    QVERIFY(!f(rows, "NegSumm").toBool());
                }
            }
            QVERIFY2(!rows->Eof(), "a group without its summary row");
            // The summary row, from the day rows above it.
            QCOMPARE(f(rows, "Caption").toInt(), group);
            QCOMPARE(money(f(rows, first)), sumA.toString());
            QCOMPARE(money(f(rows, second)), sumB.toString());
            QCOMPARE(f(rows, "Deals").toInt64(), deals);
            QVERIFY(f(rows, "Date").isNull());
            if (forward)
                QVERIFY(sameRate(f(rows, "Rate"), rateOf(sumA, sumB)));
            else
                QCOMPARE(f(rows, "NegSumm").toBool(), sumB < data::Currency());
            shownDeals += deals;
            ++summaries;
            rows->MoveNext();
        }
        QVERIFY2(days->Eof(), "Tickets hold days the report does not show");
        QCOMPARE(report->NumTable, summaries);
        QCOMPARE(report->NumDeal, int(shownDeals));
        QVERIFY(dayRows > summaries);

        // Every row's filter selects its deals in the deal result, in its group only.
        const char *groupField = forward ? "PairCcy" : "Ccy";
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
            data::RecordsetPtr detail = report->MainRecordset->Clone();
            const QString criteria = f(rows, "CurrentFilter").toString();
            QVERIFY2(detail->setFilter(criteria), qPrintable(criteria));
            QSet<qint64> deals;
            for (detail->MoveFirst(); !detail->Eof(); detail->MoveNext()) {
                deals.insert(f(detail, "TradeID").toInt64());
                QCOMPARE(f(detail, groupField).toInt(), f(rows, "Caption").toInt());
                if (!f(rows, "Date").isNull())
                    QCOMPARE(f(detail, "DealTime").toDate().date(), f(rows, "Date").toDate().date());
            }
            QVERIFY2(deals.size() == f(rows, "Deals").toInt64(), qPrintable(criteria));
        }
    }

private:
    QTemporaryDir m_dir;
    QString m_connectionString;
};

QTEST_GUILESS_MAIN(TestDayRangeDemo)
#include "tst_day_range_demo.moc"

// The counterparty position end to end on a generated demo database: every
// row of both views against sums this test computes from Tickets with SQL of
// its own (the legs of the FX deals in the value-date range, per
// counterparty and currency or pair), the netting filter, each row's filter
// against the deals it names; and the view switch's controls and columns.

#include "ReportHost.h"

#include "Netting.h"

#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using reporttest::Host;

namespace {

const QDate Today(2026, 12, 4);

// The legs of the FX deals with a value date in [@From, @To], each with its
// counterparty, currency, pair and the amounts of its own and its other
// currency; @Netting 1 keeps the counterparties with a netting agreement only.
const QString Legs = QStringLiteral(R"(
WITH d AS (
    SELECT t.*, COALESCE(t.CPID, (SELECT c.CPID FROM Counterparties c WHERE c.ShortName = t.Bank1ID)) AS Cp,
           COALESCE(t.PairID, (SELECT p.PairID FROM Pairs p WHERE p.Ccy1 = t.Ccy1 AND p.Ccy2 = t.Ccy2)) AS Pair
    FROM Tickets t
    WHERE t.PureDealType IN (2, 4, 8) AND t.Status >= 0
      AND (@Netting = '0' OR (SELECT c.Netting FROM Counterparties c WHERE c.CPID = t.CPID) = 2)),
legs AS (
    SELECT TradeID, Cp, Pair, Ccy1 AS Ccy, Volume1 AS Own, VolumeP1C2 AS Other, ValDateP1C1 AS Day, 1 AS First FROM d
    UNION ALL SELECT TradeID, Cp, Pair, Ccy2, VolumeP1C2, Volume1, COALESCE(ValDateP1C2, ValDateP1C1), 0 FROM d
    UNION ALL SELECT TradeID, Cp, Pair, Ccy1, VolumeP2C1, VolumeP2C2, ValDateP2C1, 1 FROM d WHERE PureDealType = 8
    UNION ALL SELECT TradeID, Cp, Pair, Ccy2, VolumeP2C2, VolumeP2C1, COALESCE(ValDateP2C2, ValDateP2C1), 0
              FROM d WHERE PureDealType = 8),
r AS (SELECT * FROM legs WHERE Day BETWEEN @From AND @To)
)");

const QString PerCurrency = Legs + QStringLiteral(R"(
SELECT Cp AS Caption, Ccy AS "Key", SUM(Own) AS Volume, SUM(Other) AS Volume2, COUNT(DISTINCT TradeID) AS Deals
FROM r GROUP BY Cp, Ccy ORDER BY Cp, Ccy
)");

// A pair's first-currency legs carry both of its amounts.
const QString PerPair = Legs + QStringLiteral(R"(
SELECT Cp AS Caption, Pair AS "Key", SUM(Own) AS Volume, SUM(Other) AS Volume2, COUNT(DISTINCT TradeID) AS Deals
FROM r WHERE First = 1 GROUP BY Cp, Pair ORDER BY Cp, Pair
)");

data::Value f(const data::RecordsetPtr &rs, const char *name)
{
    return rs->Fields(QString::fromLatin1(name)).value();
}

/// A row as "counterparty|key|volume|volume 2|deals"; the SQL sums are the
/// stored raw amounts (ten-thousandths).
QString row(const data::RecordsetPtr &rs, const char *key, bool rawSums = false)
{
    const auto money = [rawSums](const data::Value &v) {
        if (v.isNull())
            return data::Currency().toString();
        return rawSums ? data::Currency::fromRaw(v.toInt64()).toString() : v.toCurrency().toString();
    };
    return QStringList{f(rs, "Caption").toString(), f(rs, key).toString(), money(f(rs, "Volume")),
                       money(f(rs, "Volume2")), QString::number(f(rs, "Deals").toInt64())}
        .join(u'|');
}

} // namespace

class TestNetting final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QString error;
        m_connectionString = reporttest::startDemoReportTests(m_dir, 2500, Today, QStringLiteral("Counterparty Position"), &error);
        QVERIFY2(!m_connectionString.isEmpty(), qPrintable(error));
    }

    void cleanupTestCase()
    {
        SessionContext::resetInstance();
        Clock::reset();
    }

    void init() { MessageService::instance().clearMessages(); }

    void rowsEqualVolumesFromTickets_data()
    {
        QTest::addColumn<bool>("pairs");
        QTest::addColumn<QString>("netting");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");   // null: open
        QTest::newRow("currencies-from-today") << false << QStringLiteral("All") << Today << QDate();
        QTest::newRow("currencies-netting-agreements-of-december")
            << false << QStringLiteral("Yes") << QDate(2026, 12, 1) << QDate(2026, 12, 31);
        // The pair view ignores the netting filter.
        QTest::newRow("pairs-of-december") << true << QStringLiteral("Yes") << QDate(2026, 12, 1) << QDate(2026, 12, 31);
    }
    void rowsEqualVolumesFromTickets()
    {
        QFETCH(bool, pairs);
        QFETCH(QString, netting);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        Netting report;
        Host host;
        host.wire(report);
        report.SetNewPair(pairs ? 1 : 0);
        QVERIFY(report.setQueryField(QStringLiteral("Relative"), false));
        const QVariant end = to.isValid() ? QVariant(to) : QVariant(QStringLiteral("All"));
        QVERIFY(report.setQueryField(QStringLiteral("ValDate"), from)
                && report.setQueryField(QStringLiteral("ValLong"), int(Today.daysTo(from))));
        QVERIFY(report.setQueryField(QStringLiteral("EndDate"), end)
                && report.setQueryField(QStringLiteral("EndLong"), to.isValid() ? QVariant(int(Today.daysTo(to))) : end));
        QVERIFY(report.setQueryField(QStringLiteral("Netting"), netting));
        QVERIFY(host.run(report));
        QVERIFY2(MessageService::instance().messages().isEmpty(),
                 qPrintable(MessageService::instance().messages().join(u'\n')));
        const data::RecordsetPtr rows = report.DisplayRecordset();
        QVERIFY(rows && rows->RecordCount() > 0);

        const bool agreementsOnly = !pairs && netting == QLatin1String("Yes");
        const data::RecordsetPtr expected = reporttest::query(
            m_connectionString, pairs ? PerPair : PerCurrency,
            {{QStringLiteral("@From"), from.toString(Qt::ISODate)},
             {QStringLiteral("@To"), to.isValid() ? to.toString(Qt::ISODate) : QStringLiteral("9999-12-31")},
             {QStringLiteral("@Netting"), agreementsOnly ? QStringLiteral("1") : QStringLiteral("0")}});
        QVERIFY(expected);
        QCOMPARE(rows->RecordCount(), expected->RecordCount());
        QSet<QString> counterparties;
        qint64 deals = 0;
        expected->MoveFirst();
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext(), expected->MoveNext()) {
            QCOMPARE(row(rows, "Ccy"), row(expected, "Key", true));
            counterparties.insert(f(rows, "Caption").toString());
            deals += f(rows, "Deals").toInt64();
        }
        QCOMPARE(report.NumTable, int(counterparties.size()));
        QCOMPARE(report.NumDeal, int(deals));

        // Each row's filter names exactly the deals it sums, after the
        // netting condition when there is one.
        const QString prefix = agreementsOnly ? QStringLiteral("NETTING = 2 AND ") : QString();
        QCOMPARE(report.nettingCondition(), agreementsOnly ? QStringLiteral("NETTING = 2") : QString());
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
            const QString criteria = f(rows, "CurrentFilter").toString();
            QVERIFY2(criteria.startsWith(prefix + QStringLiteral("CounterPartyID = ")), qPrintable(criteria));
            data::RecordsetPtr detail = report.DetRecordset->Clone();
            QVERIFY2(detail->setFilter(criteria), qPrintable(criteria));
            QCOMPARE(detail->RecordCount(), f(rows, "Deals").toInt64());
        }
    }

    void viewSwitchSetsControlsColumnsAndColours()
    {
        Netting report;
        Host host;
        host.wire(report);
        const auto enabled = [&host](int index) { return host.role(index, "enabled").toBool(); };
        const auto captionEnabled = [&host](int index) {
            return host.captions[size_t(index)]->property("enabled").toBool();
        };
        QCOMPARE(report.pairView(), 0);
        QVERIFY(!enabled(fcPairBox) && !captionEnabled(fcPairBox));
        QVERIFY(enabled(fcCcyBox) && enabled(fcComboNetting));
        QVERIFY(!host.grid.columns.value(QStringLiteral("Volume2")).visible);
        QCOMPARE(host.grid.highlightColors.value(QStringLiteral("Negative")), 0x0000FFu);
        QVERIFY(host.toolbar.visible_.value(QStringLiteral("ID_CurrencyPair")));
        QVERIFY(!host.toolbar.visible_.value(QStringLiteral("ID_ShowSummary"), true));

        report.SetNewPair(1);
        QCOMPARE(report.pairView(), 1);
        QCOMPARE(report.property("PairView").toInt(), 1);
        QVERIFY(enabled(fcPairBox) && captionEnabled(fcPairBox));
        QVERIFY(!enabled(fcCcyBox) && !enabled(fcComboNetting));
        QVERIFY(host.grid.columns.value(QStringLiteral("Volume2")).visible);
        QCOMPARE(report.logic().procedure(), QStringLiteral("cnt_NettingPair"));
        // Negative volumes are not marked in the pair view.
        QCOMPARE(host.grid.highlightColors.value(QStringLiteral("Negative")), 0x80000008u);

        // Another value changes nothing.
        report.SetNewPair(7);
        QCOMPARE(report.pairView(), 1);
        QVERIFY(enabled(fcPairBox));

        report.SetNewPair(0);
        QCOMPARE(report.logic().procedure(), QStringLiteral("cnt_Netting"));
        QVERIFY(!enabled(fcPairBox) && enabled(fcCcyBox));
        QVERIFY(!host.grid.columns.value(QStringLiteral("Volume2")).visible);
    }

    void unknownNettingTextKeepsTheCondition()
    {
        Netting report;
        Host host;
        host.wire(report);
        QVERIFY(report.setQueryField(QStringLiteral("Netting"), QStringLiteral("no")));
        QVERIFY(host.run(report));
        QCOMPARE(report.nettingCondition(), QStringLiteral("NETTING <> 2"));
        QVERIFY(report.setQueryField(QStringLiteral("Netting"), QStringLiteral("Maybe")));
        QVERIFY(host.run(report));
        QCOMPARE(report.nettingCondition(), QStringLiteral("NETTING <> 2"));
        const data::RecordsetPtr rows = report.DisplayRecordset();
        QVERIFY(rows && rows->RecordCount() > 0);
        QVERIFY(f(rows, "CurrentFilter").toString().startsWith(QStringLiteral("NETTING <> 2 AND ")));
    }

private:
    QTemporaryDir m_dir;
    QString m_connectionString;
};

QTEST_MAIN(TestNetting)
#include "tst_netting.moc"

// The profit and loss procedures (cnt_ProfitLoss, cnt_ProfitLossUR,
// cnt_ProfitLossRange, cnt_ProfitLossDepo, cnt_ProfitLossDepoRange,
// cnt_ProfitCurrency) on one small hand-built trading database, run through
// the data layer the way the reports run them: a read-only connection, a
// stored-procedure command whose parameters come from the catalog, selections
// stored beforehand through the Store* procedures. Every data row uses its own
// user name, so the selections of one row never leak into another.
//
// Rows are compared whole, as "a|b|c" texts of the chosen columns: money in
// units, dates ISO, rates with ten significant digits, null as "-".

#include "DateTime.h"
#include "ReportProcedureFixture.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

using reporttest::cellText;
using Rows = QList<QString>;
using Calls = QStringList;

namespace {

// The directories, rates and deals every test reads. Amounts are written in
// whole units and stored as ten-thousandths.
const char *const kData = R"SQL(
INSERT INTO Currencies (CcyID, Ccy, Name, DirectQuote, DepoBase) VALUES
    (1, 'USD', 'US Dollar', 0, 360), (2, 'EUR', 'Euro', 1, 360), (3, 'RUB', 'Rouble', 0, 365),
    (4, 'GBP', 'Pound', 1, 365), (5, 'JPY', 'Yen', 0, 360);
INSERT INTO Pairs (PairID, Ccy1, Ccy2, Name) VALUES
    (10, 2, 1, 'EUR/USD'), (11, 1, 3, 'USD/RUB'), (12, 4, 1, 'GBP/USD'), (13, 1, 5, 'USD/JPY');
INSERT INTO Categories (CategoryID, Name) VALUES (1, 'Banks');
INSERT INTO Counterparties (CPID, ShortName, FullBankName, CategoryID) VALUES
    (100, 'BANKA', 'Bank A', 1), (101, 'BANKB', 'Bank B', NULL);
INSERT INTO Staff (StaffID, ShortName, FullName, IsDealer) VALUES (7, 'JD', 'John Doe', 1), (8, 'AS', 'Ann Smith', 1);
INSERT INTO Brokers (BrID, ShortName, FullName, CommissionRate, CommissionCcy) VALUES
    (1, 'EBS', 'EBS', 20, 'USD'), (2, 'ICAP', 'ICAP', 10, 'EUR');
INSERT INTO AdminRates (CcyID, RateDate, Rate) VALUES
    (2, '2026-12-03', 1.1), (2, '2026-12-04', 1.2), (3, '2026-12-03', 90), (3, '2026-12-04', 100),
    (5, '2026-12-04', 120);
INSERT INTO CBRates (CcyID, RateDate, Rate) VALUES (2, '2026-12-04', 1.25), (4, '2026-12-04', 1.3);
INSERT INTO DepoTaxes (CcyID, GiveTax, TakeTax, MaxTakeRate, FixedRate) VALUES (3, 0.1, 0.5, 0.10, 7.5);
CREATE TEMP TABLE d (TradeID, Status, DealTime, DealerID, StaffID, Bank1ID, CPID, PureDealType, DealType,
    PairID, Ccy1, Ccy2, Volume1, VolumeP1C2, VolumeP2C1, VolumeP2C2, ExchRate1, ExchRate2,
    ValDateP1C1, ValDateP2C1, DepoRate, Commission, CommissionCcy, BrokerID, ClDeal);
INSERT INTO d VALUES
    -- 1: EUR/USD spot bought through EBS, no commission booked (tariff 20 USD)
    (1, 3, '2026-12-04 10:00:00', 'JD', 7, 'BANKA', 100, 2, 1, 10, 2, 1, 1000000, -1100000, NULL, NULL, 1.1, NULL,
     '2026-12-08', NULL, NULL, NULL, NULL, 1, 0),
    -- 2: USD/JPY spot sold to a client through ICAP, 25 EUR commission booked
    (2, 3, '2026-12-04 11:00:00', 'JD', 7, 'BANKA', 100, 2, 2, 13, 1, 5, -500, 60000, NULL, NULL, 120, NULL,
     '2026-12-08', NULL, NULL, 25, 'EUR', 2, 2),
    -- 3: EUR/USD swap, near leg bought, far leg sold
    (3, 3, '2026-12-04 12:00:00', 'AS', 8, 'BANKB', 101, 8, 1, 10, 2, 1, 500, -550, -500, 560, 1.1, 1.12,
     '2026-12-08', '2027-01-08', NULL, NULL, NULL, NULL, 0),
    -- 4: USD/RUB done the day before, settling after it: carried into 2026-12-04
    (4, 3, '2026-12-03 11:00:00', 'JD', 7, 'BANKA', 100, 2, 1, 11, 1, 3, 1000, -90000, NULL, NULL, 90, NULL,
     '2026-12-07', NULL, NULL, NULL, NULL, NULL, 0),
    -- 5: EUR/USD settled before 2026-12-04: not carried
    (5, 3, '2026-12-01 09:00:00', 'JD', 7, 'BANKA', 100, 2, 1, 10, 2, 1, 200, -210, NULL, NULL, 1.05, NULL,
     '2026-12-03', NULL, NULL, NULL, NULL, NULL, 0),
    -- 6: deleted
    (6, -1, '2026-12-04 09:30:00', 'JD', 7, 'BANKA', 100, 2, 1, 10, 2, 1, 999, -1198.8, NULL, NULL, 1.2, NULL,
     '2026-12-08', NULL, NULL, NULL, NULL, NULL, 0),
    -- 8: GBP/USD, GBP has no administrator's rate
    (8, 3, '2026-12-04 13:00:00', 'AS', 8, 'BANKB', 101, 2, 1, 12, 4, 1, 100, -130, NULL, NULL, 1.3, NULL,
     '2026-12-08', NULL, NULL, NULL, NULL, NULL, 0),
    -- 9: USD/RUB of the next day through EBS (tariff 0.04 USD)
    (9, 3, '2026-12-05 10:00:00', 'AS', 8, 'BANKB', 101, 2, 2, 11, 1, 3, -2000, 202000, NULL, NULL, 101, NULL,
     '2026-12-09', NULL, NULL, NULL, NULL, 1, 0),
    -- deposits: 10 EUR given, 11 EUR taken, 12 RUB given, 14 EUR matured 2026-12-03, 15 EUR from 2026-12-10
    (10, 3, '2026-12-01 10:00:00', 'JD', 7, 'BANKA', 100, 16, 2, NULL, 2, NULL, -1000000, 1003888.89, NULL, NULL,
     NULL, NULL, '2026-12-02', '2026-12-30', 5.0, NULL, NULL, NULL, 0),
    (11, 3, '2026-12-01 10:30:00', 'JD', 7, 'BANKA', 100, 16, 1, NULL, 2, NULL, 500000, -500583.33, NULL, NULL,
     NULL, NULL, '2026-12-02', '2026-12-16', 3.0, NULL, NULL, NULL, 0),
    (12, 3, '2026-12-01 11:00:00', 'AS', 8, 'BANKB', 101, 16, 2, NULL, 3, NULL, -1000000, 1009205.48, NULL, NULL,
     NULL, NULL, '2026-12-02', '2026-12-30', 12.0, NULL, NULL, NULL, 0),
    (14, 3, '2026-11-19 10:00:00', 'JD', 7, 'BANKA', 100, 16, 2, NULL, 2, NULL, -300000, 300583.33, NULL, NULL,
     NULL, NULL, '2026-11-20', '2026-12-03', 4.0, NULL, NULL, NULL, 0),
    (15, 3, '2026-12-04 14:00:00', 'JD', 7, 'BANKA', 100, 16, 2, NULL, 2, NULL, -200000, 200388.89, NULL, NULL,
     NULL, NULL, '2026-12-10', '2027-01-20', 3.5, NULL, NULL, NULL, 0);
INSERT INTO Tickets (TradeID, TicketNum, TCID, Status, DealTime, DealerID, StaffID, Bank1ID, CPID, PureDealType,
    DealType, PairID, Ccy1, Ccy2, Volume1, VolumeP1C2, VolumeP2C1, VolumeP2C2, ExchRate1, ExchRate2,
    ValDateP1C1, ValDateP1C2, ValDateP2C1, ValDateP2C2, DepoRate, YearLength, Commission, CommissionCcy, BrokerID,
    BrokerName, ClDeal)
SELECT TradeID, TradeID, 'T1', Status, DealTime, DealerID, StaffID, Bank1ID, CPID, PureDealType,
    DealType, PairID, Ccy1, Ccy2, CAST(ROUND(Volume1 * 10000) AS INTEGER),
    CASE WHEN PureDealType = 16 THEN NULL ELSE CAST(ROUND(VolumeP1C2 * 10000) AS INTEGER) END,
    CASE WHEN PureDealType = 16 THEN CAST(ROUND(VolumeP1C2 * 10000) AS INTEGER)
         ELSE CAST(ROUND(VolumeP2C1 * 10000) AS INTEGER) END,
    CAST(ROUND(VolumeP2C2 * 10000) AS INTEGER), ExchRate1, ExchRate2,
    ValDateP1C1, CASE WHEN Ccy2 IS NULL THEN NULL ELSE ValDateP1C1 END, ValDateP2C1,
    CASE WHEN Ccy2 IS NULL THEN NULL ELSE ValDateP2C1 END, DepoRate,
    CASE WHEN PureDealType = 16 THEN 360 END, CAST(ROUND(Commission * 10000) AS INTEGER), CommissionCcy, BrokerID,
    CASE BrokerID WHEN 1 THEN 'EBS' WHEN 2 THEN 'ICAP' END, ClDeal
FROM d;
DROP TABLE d;
)SQL";

} // namespace

class tst_ProfitProcedures final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void profitLoss_data();
    void profitLoss();
    void profitLossDeals();
    void profitLossRange_data();
    void profitLossRange();
    void profitLossDepo_data();
    void profitLossDepo();
    void profitLossDepoRange();
    void profitCurrency_data();
    void profitCurrency();

private:
    QString connectionString() const
    {
        return m_server ? m_server->connectionString() : QStringLiteral("Provider=SQLite;Data Source=") + m_path;
    }
    /// Runs "Procedure;@Param=value;..." for the user; dates are ISO texts.
    bool store(const QString &user, const QString &call);
    /// Stores the calls, then runs the procedure on a read-only connection and
    /// returns one text per row of each result set, of the given columns
    /// (columns[i] for result set i; all columns when it is missing).
    bool run(const QString &procedure, const QString &user, const Calls &calls,
             const QList<QStringList> &columns, QList<Rows> *sets,
             data::Value *totalCom = nullptr, const data::Value &dateReport = data::Value());
    static Rows rowTexts(data::Recordset &rs, const QStringList &columns);

    QTemporaryDir m_dir;
    QString m_path;
    std::unique_ptr<testbackend::ScratchDatabase> m_server;   // the PostgreSQL backend's copy
    QString m_error;
};

void tst_ProfitProcedures::initTestCase()
{
    MARVOLT_SKIP_WITHOUT_BACKEND();
    QVERIFY(m_dir.isValid());
    m_path = m_dir.path() + QStringLiteral("/trading.db");
    QString error;
    QVERIFY2(db::TradingDatabase::create(m_path, &error), qPrintable(error));
    data::Connection rw;
    rw.setMode(data::adModeReadWrite);
    QVERIFY(rw.Open(connectionString()));
    rw.Execute(QString::fromUtf8(kData));
    QVERIFY2(!rw.lastError(), qPrintable(rw.lastError() ? rw.lastError()->Description : QString()));
    rw.Close();
    if (testbackend::onPostgres()) {
#ifdef MARVOLT_HAVE_POSTGRES
        m_server = std::make_unique<testbackend::ScratchDatabase>(QStringLiteral("profit"));
        QVERIFY2(m_server->isValid(), qPrintable(m_server->error()));
        QVERIFY2(db::PostgresCopy::copyFile(m_path, m_server->connectionString(), &error), qPrintable(error));
#endif
    }
}

bool tst_ProfitProcedures::store(const QString &user, const QString &call)
{
    const QStringList parts = call.split(QLatin1Char(';'));
    data::Connection rw;
    rw.setMode(data::adModeReadWrite);
    if (!rw.Open(connectionString())) {
        m_error = rw.lastError()->Description;
        return false;
    }
    data::Command cmd;
    cmd.setActiveConnection(&rw);
    cmd.setCommandType(data::adCmdStoredProc);
    cmd.setCommandText(parts.first());
    if (!cmd.Parameters().Refresh()) {
        m_error = cmd.lastError()->Description;
        return false;
    }
    cmd.Parameters().Item(QStringLiteral("@UserName"))->setValue(user);
    for (const QString &p : parts.mid(1)) {
        const qsizetype eq = p.indexOf(QLatin1Char('='));
        data::Parameter *param = cmd.Parameters().Item(p.left(eq));
        if (!param) {
            m_error = QStringLiteral("no parameter ") + p.left(eq) + QStringLiteral(" of ") + parts.first();
            return false;
        }
        const QString text = p.mid(eq + 1);
        if (param->Type() == data::DataType::Date)
            param->setValue(data::DateTime::fromIsoString(text).value_or(data::DateTime()));
        else
            param->setValue(text);
    }
    cmd.Execute();
    if (cmd.lastError()) {
        m_error = call + QStringLiteral(": ") + cmd.lastError()->Description;
        return false;
    }
    return true;
}

Rows tst_ProfitProcedures::rowTexts(data::Recordset &rs, const QStringList &columns)
{
    QStringList names = columns;
    if (names.isEmpty()) {
        for (int i = 0; i < rs.Fields().Count(); ++i)
            names << rs.Fields().Item(i).Name();
    }
    Rows rows;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
        QStringList cells;
        for (const QString &name : names) {
            const data::Field f = rs.Fields(name);
            cells << (f.isValid() ? cellText(f.value()) : QStringLiteral("<no field ") + name + QLatin1Char('>'));
        }
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

bool tst_ProfitProcedures::run(const QString &procedure, const QString &user, const Calls &calls,
                               const QList<QStringList> &columns, QList<Rows> *sets,
                               data::Value *totalCom, const data::Value &dateReport)
{
    for (const QString &call : calls) {
        if (!store(user, call))
            return false;
    }
    data::Connection conn;
    conn.setMode(data::adModeRead);
    conn.setCursorLocation(data::adUseClient);
    if (!conn.Open(connectionString())) {
        m_error = conn.lastError()->Description;
        return false;
    }
    data::Command cmd;
    cmd.setActiveConnection(&conn);
    cmd.setCommandType(data::adCmdStoredProc);
    cmd.setCommandText(procedure);
    cmd.setCommandTimeout(1200);
    if (!cmd.Parameters().Refresh()) {
        m_error = cmd.lastError()->Description;
        return false;
    }
    cmd.Parameters().Item(QStringLiteral("@UserName"))->setValue(user);
    if (data::Parameter *p = cmd.Parameters().Item(QStringLiteral("@TotalCom")))
        p->setValue(data::Currency::fromUnits(0));
    if (!dateReport.isNull())
        cmd.Parameters().Item(QStringLiteral("@DateReport"))->setValue(dateReport);
    data::RecordsetPtr rs = cmd.Execute();
    if (cmd.lastError()) {
        m_error = cmd.lastError()->Description;
        return false;
    }
    sets->clear();
    for (int i = 0; rs; ++i, rs = rs->NextRecordset())
        sets->append(rowTexts(*rs, columns.value(i)));
    if (totalCom)
        *totalCom = cmd.Parameters().Item(QStringLiteral("@TotalCom"))->value();
    return true;
}

// ---- cnt_ProfitLoss and cnt_ProfitLossUR: result set 2 (positions) and @TotalCom

void tst_ProfitProcedures::profitLoss_data()
{
    QTest::addColumn<QString>("procedure");
    QTest::addColumn<Calls>("calls");
    QTest::addColumn<Rows>("positions");   // Caption|ValDate|Sell|Buy|Comission|moveOVP|StartRate|CurrentRate|Deals
    QTest::addColumn<QString>("totalCom");

    const QString day = QStringLiteral("StoreDateRange;@ownID=11;@Kind=1;@DateFrom=2026-12-04;@DateTo=2026-12-04");
    // The report date: the day's deals by currency and value date; USD/RUB
    // done the day before for 2026-12-07 is the start position, and RUB has
    // only that row; the deal settled before the day and the deleted one are
    // left out; GBP has no rate; JPY has no rate before the day; the 25 EUR
    // commission of the yen deal is on the EUR row; EBS's tariff for deal 1
    // is the 20 USD of @TotalCom.
    QTest::newRow("report-date")
        << "cnt_ProfitLoss" << Calls{day}
        << Rows{QStringLiteral("1|2026-12-07|0|0|0|1000|1|1|0"),
                QStringLiteral("1|2026-12-08|-1101180|0|0|0|1|1|4"),
                QStringLiteral("1|2027-01-08|0|560|0|0|1|1|1"),
                QStringLiteral("2|2026-12-08|0|1000500|25|0|1.1|1.2|2"),
                QStringLiteral("2|2027-01-08|-500|0|0|0|1.1|1.2|1"),
                QStringLiteral("3|2026-12-07|0|0|0|-90000|90|100|0"),
                QStringLiteral("4|2026-12-08|0|100|0|0|0|0|1"),
                QStringLiteral("5|2026-12-08|0|60000|0|0|0|120|1")}
        << QStringLiteral("20");
    // Without a report date every deal is the day's, nothing is carried, and
    // both rates are the latest.
    QTest::newRow("all-dates")
        << "cnt_ProfitLoss" << Calls{}
        << Rows{QStringLiteral("1|2026-12-03|-210|0|0|0|1|1|1"),
                QStringLiteral("1|2026-12-07|0|1000|0|0|1|1|1"),
                QStringLiteral("1|2026-12-08|-1101180|0|0|0|1|1|4"),
                QStringLiteral("1|2026-12-09|-2000|0|0|0|1|1|1"),
                QStringLiteral("1|2027-01-08|0|560|0|0|1|1|1"),
                QStringLiteral("2|2026-12-03|0|200|0|0|1.2|1.2|1"),
                QStringLiteral("2|2026-12-08|0|1000500|25|0|1.2|1.2|2"),
                QStringLiteral("2|2027-01-08|-500|0|0|0|1.2|1.2|1"),
                QStringLiteral("3|2026-12-07|-90000|0|0|0|100|100|1"),
                QStringLiteral("3|2026-12-09|0|202000|0|0|100|100|1"),
                QStringLiteral("4|2026-12-08|0|100|0|0|0|0|1"),
                QStringLiteral("5|2026-12-08|0|60000|0|0|120|120|1")}
        << QStringLiteral("20.04");
    // The currency selection keeps the EUR amounts, the booked commission in
    // EUR included; the tariff counts for the deals that have an EUR amount.
    QTest::newRow("currency-selection")
        << "cnt_ProfitLoss" << Calls{day, QStringLiteral("StoreCcyF;@ownID=11;@CcyIDs=2")}
        << Rows{QStringLiteral("2|2026-12-08|0|1000500|25|0|1.1|1.2|2"),
                QStringLiteral("2|2027-01-08|-500|0|0|0|1.1|1.2|1")}
        << QStringLiteral("20");
    QTest::newRow("client-deals")
        << "cnt_ProfitLoss"
        << Calls{day, QStringLiteral("StoreCondition;@ownID=11;@Kind=5;@Condition=ClDeal = 2")}
        << Rows{QStringLiteral("1|2026-12-08|-500|0|0|0|1|1|1"),
                QStringLiteral("2|2026-12-08|0|0|25|0|1.1|1.2|0"),
                QStringLiteral("5|2026-12-08|0|60000|0|0|0|120|1")}
        << QStringLiteral("0");
    QTest::newRow("dealer-condition")
        << "cnt_ProfitLoss"
        << Calls{day, QStringLiteral("StoreCondition;@ownID=11;@Kind=1;@Condition=DealerID = 'AS'")}
        << Rows{QStringLiteral("1|2026-12-08|-680|0|0|0|1|1|2"),
                QStringLiteral("1|2027-01-08|0|560|0|0|1|1|1"),
                QStringLiteral("2|2026-12-08|0|500|0|0|1.1|1.2|1"),
                QStringLiteral("2|2027-01-08|-500|0|0|0|1.1|1.2|1"),
                QStringLiteral("4|2026-12-08|0|100|0|0|0|0|1")}
        << QStringLiteral("0");
    // A stored dealer name is compared as a value, never run as SQL.
    QTest::newRow("dealer-name-is-data")
        << "cnt_ProfitLoss"
        << Calls{day, QStringLiteral("StoreCondition;@ownID=11;@Kind=1;@Condition=DealerID = 'x') OR 1=1 --'")}
        << Rows{} << QStringLiteral("0");
    // An explicit status selection brings the deleted deal back.
    QTest::newRow("deleted-status-selected")
        << "cnt_ProfitLoss"
        << Calls{day, QStringLiteral("StoreStatusF;@ownID=11;@StatusIDs=-1;@StatusNames=Deleted")}
        << Rows{QStringLiteral("1|2026-12-08|-1198.8|0|0|0|1|1|1"),
                QStringLiteral("2|2026-12-08|0|999|0|0|1.1|1.2|1")}
        << QStringLiteral("0");
    QTest::newRow("deal-type-swap")
        << "cnt_ProfitLoss" << Calls{day, QStringLiteral("StoreDealTypeF;@ownID=11;@DealTypes=8")}
        << Rows{QStringLiteral("1|2026-12-08|-550|0|0|0|1|1|1"),
                QStringLiteral("1|2027-01-08|0|560|0|0|1|1|1"),
                QStringLiteral("2|2026-12-08|0|500|0|0|1.1|1.2|1"),
                QStringLiteral("2|2027-01-08|-500|0|0|0|1.1|1.2|1")}
        << QStringLiteral("0");
    QTest::newRow("counterparty-category")
        << "cnt_ProfitLoss" << Calls{day, QStringLiteral("StoreCategoryF;@ownID=11;@Categories=Banks")}
        << Rows{QStringLiteral("1|2026-12-07|0|0|0|1000|1|1|0"),
                QStringLiteral("1|2026-12-08|-1100500|0|0|0|1|1|2"),
                QStringLiteral("2|2026-12-08|0|1000000|25|0|1.1|1.2|1"),
                QStringLiteral("3|2026-12-07|0|0|0|-90000|90|100|0"),
                QStringLiteral("5|2026-12-08|0|60000|0|0|0|120|1")}
        << QStringLiteral("20");
    // cnt_ProfitLossUR: the US dollar / rouble deals only.
    QTest::newRow("usd-rub-day")
        << "cnt_ProfitLossUR"
        << Calls{QStringLiteral("StoreDateRange;@ownID=30;@Kind=1;@DateFrom=2026-12-05;@DateTo=2026-12-05")}
        << Rows{QStringLiteral("1|2026-12-07|0|0|0|1000|1|1|0"),
                QStringLiteral("1|2026-12-09|-2000|0|0|0|1|1|1"),
                QStringLiteral("3|2026-12-07|0|0|0|-90000|100|100|0"),
                QStringLiteral("3|2026-12-09|0|202000|0|0|100|100|1")}
        << QStringLiteral("0.04");
    // No USD/RUB deal that day (the deals of other pairs do not count): only
    // the start position of the deal done before it, whose tariff is not the
    // day's.
    QTest::newRow("usd-rub-carried-only")
        << "cnt_ProfitLossUR"
        << Calls{QStringLiteral("StoreDateRange;@ownID=30;@Kind=1;@DateFrom=2026-12-08;@DateTo=2026-12-08")}
        << Rows{QStringLiteral("1|2026-12-09|0|0|0|-2000|1|1|0"),
                QStringLiteral("3|2026-12-09|0|0|0|202000|100|100|0")}
        << QStringLiteral("0");
}

void tst_ProfitProcedures::profitLoss()
{
    QFETCH(QString, procedure);
    QFETCH(Calls, calls);
    QFETCH(Rows, positions);
    QFETCH(QString, totalCom);
    QList<Rows> sets;
    data::Value total;
    const QStringList columns{QStringLiteral("Caption"), QStringLiteral("ValDate"), QStringLiteral("Sell"),
                              QStringLiteral("Buy"), QStringLiteral("Comission"), QStringLiteral("moveOVP"),
                              QStringLiteral("StartRate"), QStringLiteral("CurrentRate"), QStringLiteral("Deals")};
    QVERIFY2(run(procedure, QString::fromUtf8(QTest::currentDataTag()), calls, {{}, columns}, &sets, &total),
             qPrintable(m_error));
    QCOMPARE(sets.size(), 2);
    QCOMPARE(sets.at(1), positions);
    QCOMPARE(total.type(), data::DataType::Currency);
    QCOMPARE(total.toString(), totalCom);
}

// Result set 1 is the deal list of the rows: one row per currency amount of
// the day's deals, in the order of the position rows; the booked commission
// of the yen deal, in euros, is a row of its own with no amount.
void tst_ProfitProcedures::profitLossDeals()
{
    QList<Rows> sets;
    QVERIFY2(run(QStringLiteral("cnt_ProfitLoss"), QStringLiteral("deals"),
                 {QStringLiteral("StoreDateRange;@ownID=11;@Kind=1;@DateFrom=2026-12-04;@DateTo=2026-12-04")},
                 {{QStringLiteral("Ccy"), QStringLiteral("ValDate"), QStringLiteral("TradeID"),
                   QStringLiteral("Bank1ID"), QStringLiteral("Volume"), QStringLiteral("Commission"),
                   QStringLiteral("Rate")}},
                 &sets),
             qPrintable(m_error));
    QCOMPARE(sets.at(0), (Rows{QStringLiteral("1|2026-12-08|1|BANKA|-1100000|0|1.1"),
                               QStringLiteral("1|2026-12-08|2|BANKA|-500|0|120"),
                               QStringLiteral("1|2026-12-08|3|BANKB|-550|0|1.1"),
                               QStringLiteral("1|2026-12-08|8|BANKB|-130|0|1.3"),
                               QStringLiteral("1|2027-01-08|3|BANKB|560|0|1.12"),
                               QStringLiteral("2|2026-12-08|1|BANKA|1000000|0|1.1"),
                               QStringLiteral("2|2026-12-08|2|BANKA|0|25|120"),
                               QStringLiteral("2|2026-12-08|3|BANKB|500|0|1.1"),
                               QStringLiteral("2|2027-01-08|3|BANKB|-500|0|1.12"),
                               QStringLiteral("4|2026-12-08|8|BANKB|100|0|1.3"),
                               QStringLiteral("5|2026-12-08|2|BANKA|60000|0|120")}));
}

// ---- cnt_ProfitLossRange: per dealer over a value-date range

void tst_ProfitProcedures::profitLossRange_data()
{
    QTest::addColumn<Calls>("calls");
    QTest::addColumn<Rows>("rows");   // Caption|StaffID|BrClientDealVolume|ClientCount|BrDealVolume|DealCount|ProfitLoss

    const QString range = QStringLiteral("StoreDateRange;@ownID=13;@Kind=2;@DateFrom=2026-12-07;@DateTo=2026-12-08");
    // JD: EUR/USD 1.2M - 1.1M = 100000, USD/JPY -500 + 60000/120 = 0,
    // USD/RUB 1000 - 90000/100 = 100. AS: the swap's USD legs +10, the
    // pound without a rate -130 (and no volume).
    QTest::newRow("value-date-range")
        << Calls{range}
        << Rows{QStringLiteral("0|7|500|1|1201500|3|100100"), QStringLiteral("0|8|0|0|600|2|-120")};
    QTest::newRow("interbank-only")
        << Calls{range, QStringLiteral("StoreCondition;@ownID=13;@Kind=5;@Condition=ClDeal <> 2")}
        << Rows{QStringLiteral("0|7|0|0|1201000|2|100100"), QStringLiteral("0|8|0|0|600|2|-120")};
    QTest::newRow("one-dealer")
        << Calls{range, QStringLiteral("StoreCondition;@ownID=13;@Kind=1;@Condition=DealerID IN ('AS', 'ZZ')")}
        << Rows{QStringLiteral("0|8|0|0|600|2|-120")};
}

void tst_ProfitProcedures::profitLossRange()
{
    QFETCH(Calls, calls);
    QFETCH(Rows, rows);
    QList<Rows> sets;
    QVERIFY2(run(QStringLiteral("cnt_ProfitLossRange"), QString::fromUtf8(QTest::currentDataTag()), calls, {},
                 &sets),
             qPrintable(m_error));
    QCOMPARE(sets.size(), 1);
    QCOMPARE(sets.at(0), rows);
}

// ---- cnt_ProfitLossDepo and cnt_ProfitLossDepoRange

namespace {
const QStringList kDepoColumns{QStringLiteral("Ccy"), QStringLiteral("ValDate"), QStringLiteral("MatDate"),
                               QStringLiteral("TradeID"), QStringLiteral("PayReceive"), QStringLiteral("Volume"),
                               QStringLiteral("Rate"), QStringLiteral("Duration"), QStringLiteral("GiveTax"),
                               QStringLiteral("TakeTax"), QStringLiteral("MaxTakeRate"),
                               QStringLiteral("FixedRate"), QStringLiteral("CurrentRate"),
                               QStringLiteral("DepoBase")};
}

void tst_ProfitProcedures::profitLossDepo_data()
{
    QTest::addColumn<Calls>("calls");
    QTest::addColumn<QString>("dateReport");
    QTest::addColumn<Rows>("rows");

    // Outstanding on 2026-12-04: the deposit that matured on 2026-12-03 and
    // the one starting on 2026-12-10 are left out. EUR's rate 1.2 USD per
    // euro is delivered as 1/1.2 euro per dollar; RUB has its tax terms.
    const Rows onDay{QStringLiteral("2|2026-12-02|2026-12-30|10|2|1000000|5|28|0|0|0|0|0.8333333333|360"),
                     QStringLiteral("2|2026-12-02|2026-12-16|11|1|500000|3|14|0|0|0|0|0.8333333333|360"),
                     QStringLiteral("3|2026-12-02|2026-12-30|12|2|1000000|12|28|0.1|0.5|0.1|7.5|100|365")};
    QTest::newRow("stored-report-date")
        << Calls{QStringLiteral("StoreDateRange;@ownID=12;@Kind=1;@DateFrom=2026-12-04;@DateTo=2026-12-04")}
        << QString() << onDay;
    QTest::newRow("today-without-stored-date") << Calls{} << QStringLiteral("2026-12-04") << onDay;
    // On its maturity date a deposit is no longer outstanding.
    QTest::newRow("maturity-day")
        << Calls{} << QStringLiteral("2026-12-03")
        << Rows{QStringLiteral("2|2026-12-02|2026-12-30|10|2|1000000|5|28|0|0|0|0|0.9090909091|360"),
                QStringLiteral("2|2026-12-02|2026-12-16|11|1|500000|3|14|0|0|0|0|0.9090909091|360"),
                QStringLiteral("3|2026-12-02|2026-12-30|12|2|1000000|12|28|0.1|0.5|0.1|7.5|90|365")};
    // A currency with only given deposits: every row has PayReceive 2.
    QTest::newRow("given-side-only")
        << Calls{QStringLiteral("StoreCcyF;@ownID=12;@CcyIDs=3")} << QStringLiteral("2026-12-04")
        << Rows{QStringLiteral("3|2026-12-02|2026-12-30|12|2|1000000|12|28|0.1|0.5|0.1|7.5|100|365")};
    // The FX deal types of the profit report's box do not hide deposits.
    QTest::newRow("deal-type-selection-ignored")
        << Calls{QStringLiteral("StoreDealTypeF;@ownID=12;@DealTypes=2|4|8"),
                 QStringLiteral("StoreBankF;@ownID=12;@Banks=BANKB")}
        << QStringLiteral("2026-12-04")
        << Rows{QStringLiteral("3|2026-12-02|2026-12-30|12|2|1000000|12|28|0.1|0.5|0.1|7.5|100|365")};
}

void tst_ProfitProcedures::profitLossDepo()
{
    QFETCH(Calls, calls);
    QFETCH(QString, dateReport);
    QFETCH(Rows, rows);
    QList<Rows> sets;
    const data::Value date = dateReport.isEmpty()
        ? data::Value()
        : data::Value(data::DateTime::fromIsoString(dateReport).value_or(data::DateTime()));
    QVERIFY2(run(QStringLiteral("cnt_ProfitLossDepo"), QString::fromUtf8(QTest::currentDataTag()), calls,
                 {kDepoColumns}, &sets, nullptr, date),
             qPrintable(m_error));
    QCOMPARE(sets.size(), 1);
    QCOMPARE(sets.at(0), rows);
}

// Deposits starting within the range, by start date and then currency.
void tst_ProfitProcedures::profitLossDepoRange()
{
    QList<Rows> sets;
    QVERIFY2(run(QStringLiteral("cnt_ProfitLossDepoRange"), QStringLiteral("depo-range"),
                 {QStringLiteral("StoreDateRange;@ownID=14;@Kind=2;@DateFrom=2026-12-01;@DateTo=2026-12-10")},
                 {kDepoColumns}, &sets),
             qPrintable(m_error));
    QCOMPARE(sets.size(), 1);
    QCOMPARE(sets.at(0),
             (Rows{QStringLiteral("2|2026-12-02|2026-12-30|10|2|1000000|5|28|0|0|0|0|0.8333333333|360"),
                   QStringLiteral("2|2026-12-02|2026-12-16|11|1|500000|3|14|0|0|0|0|0.8333333333|360"),
                   QStringLiteral("3|2026-12-02|2026-12-30|12|2|1000000|12|28|0.1|0.5|0.1|7.5|100|365"),
                   QStringLiteral("2|2026-12-10|2027-01-20|15|2|200000|3.5|41|0|0|0|0|0.8333333333|360")}));
}

// ---- cnt_ProfitCurrency: amounts, the two totals, the deals

void tst_ProfitProcedures::profitCurrency_data()
{
    QTest::addColumn<Calls>("calls");
    QTest::addColumn<Rows>("amounts");   // Ccy|ValDate|Volume|USDVol1|USDVol2|TradeID
    QTest::addColumn<Rows>("totals");
    QTest::addColumn<Rows>("deals");     // TradeID|Bank1ID

    const QString day = QStringLiteral("StoreDateRange;@ownID=20;@Kind=1;@DateFrom=2026-12-04;@DateTo=2026-12-04");
    QTest::newRow("deal-date")
        << Calls{day}
        << Rows{QStringLiteral("1|2026-12-08|-1100000|-1100000|-1100000|1"),
                QStringLiteral("1|2026-12-08|-500|-500|-500|2"),
                QStringLiteral("1|2026-12-08|-550|-550|-550|3"),
                QStringLiteral("1|2026-12-08|-130|-130|-130|8"),
                QStringLiteral("1|2027-01-08|560|560|560|3"),
                QStringLiteral("2|2026-12-08|1000000|1200000|1250000|1"),
                QStringLiteral("2|2026-12-08|500|600|625|3"),
                QStringLiteral("2|2027-01-08|-500|-600|-625|3"),
                QStringLiteral("4|2026-12-08|100|0|130|8"),
                QStringLiteral("5|2026-12-08|60000|500|0|2")}
        << Rows{QStringLiteral("99880|149510")}
        << Rows{QStringLiteral("1|BANKA"), QStringLiteral("2|BANKA"), QStringLiteral("3|BANKB"),
                QStringLiteral("8|BANKB")};
    // A day with one deal of volume -500: the swap's far euro leg.
    QTest::newRow("one-deal-day")
        << Calls{day, QStringLiteral("StoreDateRange;@ownID=20;@Kind=2;@DateFrom=2027-01-08;@DateTo=2027-01-08"),
                 QStringLiteral("StoreCcyF;@ownID=20;@CcyIDs=2")}
        << Rows{QStringLiteral("2|2027-01-08|-500|-600|-625|3")}
        << Rows{QStringLiteral("-600|-625")}
        << Rows{QStringLiteral("3|BANKB")};
    // Nothing selected: the totals are still one row, of zeros.
    QTest::newRow("nothing")
        << Calls{QStringLiteral("StoreDateRange;@ownID=20;@Kind=1;@DateFrom=2026-11-01;@DateTo=2026-11-01")}
        << Rows{} << Rows{QStringLiteral("0|0")} << Rows{};
}

void tst_ProfitProcedures::profitCurrency()
{
    QFETCH(Calls, calls);
    QFETCH(Rows, amounts);
    QFETCH(Rows, totals);
    QFETCH(Rows, deals);
    QList<Rows> sets;
    QVERIFY2(run(QStringLiteral("cnt_ProfitCurrency"), QString::fromUtf8(QTest::currentDataTag()), calls,
                 {{QStringLiteral("Ccy"), QStringLiteral("ValDate"), QStringLiteral("Volume"),
                   QStringLiteral("USDVol1"), QStringLiteral("USDVol2"), QStringLiteral("TradeID")},
                  {QStringLiteral("Prl1"), QStringLiteral("Prl2")},
                  {QStringLiteral("TradeID"), QStringLiteral("Bank1ID")}},
                 &sets),
             qPrintable(m_error));
    QCOMPARE(sets.size(), 3);
    QCOMPARE(sets.at(0), amounts);
    QCOMPARE(sets.at(1), totals);
    QCOMPARE(sets.at(2), deals);
}

QTEST_GUILESS_MAIN(tst_ProfitProcedures)
#include "tst_profitprocedures.moc"

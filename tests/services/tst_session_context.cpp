#include "TestTradingDatabase.h"

#include "MessageService.h"
#include "SessionContext.h"

#include <QLoggingCategory>
#include <QTest>

#include <memory>

namespace {

/// Log lines of one category captured while it lives.
class LogCapture final
{
public:
    explicit LogCapture(const char *category)
    {
        s_category = category;
        s_lines.clear();
        m_previous = qInstallMessageHandler(&LogCapture::handler);
    }
    ~LogCapture() { qInstallMessageHandler(m_previous); }
    static QStringList lines() { return s_lines; }

private:
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (context.category && qstrcmp(context.category, s_category) == 0)
            s_lines.append(QString::number(int(type)) + QLatin1Char(':') + text);
    }
    static inline const char *s_category = nullptr;
    static inline QStringList s_lines;
    QtMessageHandler m_previous = nullptr;
};

} // namespace

class TestSessionContext final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_db = std::make_unique<TestTradingDatabase>();
        QVERIFY2(m_db->create(), qPrintable(m_db->error()));
    }
    void cleanup() { m_db.reset(); }

    void listStoresReplaceEarlierSelections_data();
    void listStoresReplaceEarlierSelections();
    void storesAreKeptApartByUserAndOwner();
    void dateRangeKeepsOpenBounds_data();
    void dateRangeKeepsOpenBounds();
    void conditionTextIsStoredAsData_data();
    void conditionTextIsStoredAsData();
    void rejectedCallKeepsEarlierSelectionAndReportsIt();
    void entryHoldingTheSeparatorIsRefused();
    void statusesStoreCodesWithNames();
    void categoriesTravelOneKeyALine();
    void storeWithoutSessionFailsAndReports();
    void reportErrorLogsAndShows();
    void traceLinesGoToTheTraceCategory();
    void attributeListIsOrderedByName();

private:
    std::unique_ptr<TestTradingDatabase> m_db;
};

using StoreCall = std::function<bool(SessionContext &, const QStringList &)>;
Q_DECLARE_METATYPE(StoreCall)

void TestSessionContext::listStoresReplaceEarlierSelections_data()
{
    QTest::addColumn<StoreCall>("store");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("first");
    QTest::addColumn<QStringList>("second");
    QTest::addColumn<QStringList>("expected");

    const auto ids = [](const QStringList &texts) {
        QVariantList list;
        for (const QString &t : texts)
            list.append(t.toLongLong());
        return list;
    };
    const StoreCall tcid = [](SessionContext &s, const QStringList &l) { return s.StoreTCIDF(l, 2); };
    const StoreCall bank = [](SessionContext &s, const QStringList &l) { return s.StoreBankF(l, 2); };
    const StoreCall pair = [ids](SessionContext &s, const QStringList &l) {
        return s.StorePairF(l.value(0) == QLatin1String("All") ? QVariantList{QStringLiteral("All")} : ids(l), 2);
    };
    const StoreCall ccy = [ids](SessionContext &s, const QStringList &l) { return s.StoreCcyF(ids(l), 2); };
    const StoreCall attr = [ids](SessionContext &s, const QStringList &l) {
        return s.StoreAttributeF(ids(l), 2);
    };
    const StoreCall dealType = [](SessionContext &s, const QStringList &l) {
        QList<int> codes;
        for (const QString &t : l)
            codes.append(t.toInt());
        return s.StoreDealTypeF(codes, 2);
    };
    const QString tcidSql = QStringLiteral("SELECT TCID FROM FilterTCID WHERE UserName = 'alice' AND OwnerID = 2 ORDER BY TCID");
    const QString bankSql = QStringLiteral("SELECT Bank1ID FROM FilterBank WHERE UserName = 'alice' AND OwnerID = 2 ORDER BY Bank1ID");
    const QString pairSql = QStringLiteral("SELECT PairID FROM FilterPair WHERE UserName = 'alice' AND OwnerID = 2 ORDER BY PairID");
    const QString ccySql = QStringLiteral("SELECT CcyID FROM FilterCcy WHERE UserName = 'alice' AND OwnerID = 2 ORDER BY CcyID");
    const QString attrSql = QStringLiteral("SELECT AttributeID FROM FilterAttribute WHERE UserName = 'alice' AND OwnerID = 2 ORDER BY AttributeID");
    const QString dealSql = QStringLiteral("SELECT DealType FROM FilterDealType WHERE UserName = 'alice' AND OwnerID = 2 ORDER BY DealType");

    QTest::newRow("tcids-replaced") << tcid << tcidSql << QStringList{"REUT1", "EBS2"}
                                    << QStringList{"EBS2"} << QStringList{"EBS2"};
    QTest::newRow("banks-quote-kept") << bank << bankSql << QStringList{"DBK"}
                                      << QStringList{"O'Neil", "SBR"} << QStringList{"O'Neil", "SBR"};
    QTest::newRow("pairs-all-clears") << pair << pairSql << QStringList{"10"}
                                      << QStringList{"All"} << QStringList{};
    QTest::newRow("currencies-two") << ccy << ccySql << QStringList{"1"}
                                    << QStringList{"3", "2"} << QStringList{"2", "3"};
    QTest::newRow("attributes-empty-clears") << attr << attrSql << QStringList{"1", "2"}
                                             << QStringList{} << QStringList{};
    QTest::newRow("deal-types-codes") << dealType << dealSql << QStringList{"2"}
                                      << QStringList{"4", "8"} << QStringList{"4", "8"};
}

void TestSessionContext::listStoresReplaceEarlierSelections()
{
    QFETCH(StoreCall, store);
    QFETCH(QString, query);
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);
    QFETCH(QStringList, expected);

    SessionContext &session = SessionContext::instance();
    QVERIFY(store(session, first));
    QCOMPARE(m_db->rows(query).size(), first.size());
    QVERIFY(store(session, second));
    QCOMPARE(m_db->rows(query), expected);
    QCOMPARE(MessageService::instance().messages(), QStringList());
}

void TestSessionContext::storesAreKeptApartByUserAndOwner()
{
    SessionContext &session = SessionContext::instance();
    QVERIFY(session.StoreTCIDF({"REUT1"}, 2));
    QVERIFY(session.StoreTCIDF({"EBS2"}, 11));
    session.setCurrentUserName(QStringLiteral("bob"));
    QVERIFY(session.StoreTCIDF({"All"}, 2));   // bob's "All" must not clear alice's selection
    QCOMPARE(m_db->rows(QStringLiteral("SELECT UserName, OwnerID, TCID FROM FilterTCID ORDER BY OwnerID")),
             (QStringList{"alice,2,REUT1", "alice,11,EBS2"}));
}

void TestSessionContext::dateRangeKeepsOpenBounds_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("both-bounds") << QDate(2026, 12, 4) << QDate(2026, 12, 5)
                                 << QStringList{"1,2026-12-04,2026-12-05"};
    QTest::newRow("open-start") << QDate() << QDate(2026, 12, 5) << QStringList{"1,NULL,2026-12-05"};
    QTest::newRow("open-end") << QDate(2026, 12, 4) << QDate() << QStringList{"1,2026-12-04,NULL"};
    QTest::newRow("both-open-clears") << QDate() << QDate() << QStringList{};
}

void TestSessionContext::dateRangeKeepsOpenBounds()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QStringList, expected);

    SessionContext &session = SessionContext::instance();
    QVERIFY(session.StoreDateRange(QDate(2020, 1, 1), QDate(2020, 1, 2), 2, 1));
    QVERIFY(session.StoreDateRange(QDate(2026, 1, 1), QDate(2026, 1, 1), 2, 2));
    QVERIFY(session.StoreDateRange(from, to, 2, 1));
    QCOMPARE(m_db->rows(QStringLiteral("SELECT Kind, DateFrom, DateTo FROM FilterDateRange "
                                       "WHERE OwnerID = 2 AND Kind = 1")),
             expected);
    // The other kind is a separate key and stays.
    QCOMPARE(m_db->rows(QStringLiteral("SELECT DateFrom FROM FilterDateRange WHERE Kind = 2")),
             QStringList{"2026-01-01"});
}

void TestSessionContext::conditionTextIsStoredAsData_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("dealer-injection-is-a-name")
        << "DealerID = 'x') OR 1=1 --'" << 1 << QStringList{"DealerID,=,x') OR 1=1 --"};
    QTest::newRow("client-not") << "ClDeal <> 2" << 5 << QStringList{"ClDeal,<>,2"};
    QTest::newRow("empty-clears") << "" << 1 << QStringList{};
}

void TestSessionContext::conditionTextIsStoredAsData()
{
    QFETCH(QString, text);
    QFETCH(int, kind);
    QFETCH(QStringList, expected);

    SessionContext &session = SessionContext::instance();
    QVERIFY(session.StoreCondition(kind == 5 ? QStringLiteral("ClDeal = 2") : QStringLiteral("DealerID = 'OLEG'"),
                                   2, kind));
    QVERIFY(session.StoreCondition(text, 2, kind));
    QCOMPARE(m_db->rows(QStringLiteral("SELECT Field, Op, Value FROM FilterCondition "
                                       "WHERE UserName = 'alice' AND OwnerID = 2 ORDER BY Value")),
             expected);
}

void TestSessionContext::rejectedCallKeepsEarlierSelectionAndReportsIt()
{
    SessionContext &session = SessionContext::instance();
    QVERIFY(session.StorePairF({10, 11}, 2));
    QVERIFY(!session.StorePairF({QStringLiteral("EUR/USD")}, 2));
    QCOMPARE(m_db->rows(QStringLiteral("SELECT PairID FROM FilterPair ORDER BY PairID")),
             (QStringList{"10", "11"}));
    QVERIFY(session.lastError());
    QCOMPARE(MessageService::instance().messages().size(), 1);
    QCOMPARE(MessageService::instance().lastMessage(),
             QStringLiteral("Marvolt. StorePairF. \r\n") + session.lastError()->Description);
    QVERIFY(session.lastError()->Description.contains(QStringLiteral("whole numbers")));
}

void TestSessionContext::entryHoldingTheSeparatorIsRefused()
{
    SessionContext &session = SessionContext::instance();
    QVERIFY(session.StoreBankF({"DBK"}, 2));
    // Joined with "|" this would silently become the two banks "A" and "B".
    QVERIFY(!session.StoreBankF({"A|B"}, 2));
    QCOMPARE(m_db->rows(QStringLiteral("SELECT Bank1ID FROM FilterBank")), QStringList{"DBK"});
    QVERIFY(MessageService::instance().lastMessage().startsWith(QStringLiteral("Marvolt. StoreBankF. \r\n")));
}

void TestSessionContext::statusesStoreCodesWithNames()
{
    SessionContext &session = SessionContext::instance();
    TwoRowTable statuses;
    statuses.append(QStringLiteral("Checked"), 3);
    statuses.append(QStringLiteral("Deleted"), -1);
    QVERIFY(session.StoreStatusF(statuses, 11));
    QCOMPARE(m_db->rows(QStringLiteral("SELECT StatusID, StatusName FROM FilterStatus "
                                       "WHERE OwnerID = 11 ORDER BY StatusID")),
             (QStringList{"-1,Deleted", "3,Checked"}));
    QVERIFY(session.StoreStatusF(TwoRowTable(), 11));
    QCOMPARE(m_db->rows(QStringLiteral("SELECT StatusID FROM FilterStatus")), QStringList());
}

void TestSessionContext::categoriesTravelOneKeyALine()
{
    SessionContext &session = SessionContext::instance();
    const QStringList table =
        SessionContext::CategoryFilter({"Banks|Country|RU", "Funds", " Banks|Rating ", "Funds"});
    QVERIFY(session.StoreCategoryF(table, 2));
    QCOMPARE(m_db->rows(QStringLiteral("SELECT Category, Attribute, Value FROM FilterCategory "
                                       "ORDER BY Category, Attribute, Value")),
             (QStringList{"Banks,Country,RU", "Banks,Rating,", "Funds,,"}));
    QVERIFY(session.StoreCategoryF(SessionContext::CategoryFilter({"All"}), 2));
    QCOMPARE(m_db->rows(QStringLiteral("SELECT Category FROM FilterCategory")), QStringList());
}

void TestSessionContext::storeWithoutSessionFailsAndReports()
{
    SessionContext::instance().CloseSession();
    QVERIFY(!SessionContext::instance().StoreTCIDF({"REUT1"}, 2));
    QVERIFY(MessageService::instance().lastMessage().startsWith(QStringLiteral("Marvolt. StoreTCIDF. ")));
}

void TestSessionContext::reportErrorLogsAndShows()
{
    struct RecordingSink final : MessageSink
    {
        QStringList *shown;
        explicit RecordingSink(QStringList *s) : shown(s) {}
        void show(const QString &text) override { shown->append(text); }
    };
    QStringList shown;
    MessageService::instance().setSink(std::make_unique<RecordingSink>(&shown));
    {
        LogCapture log("marvolt.session");
        SessionContext::instance().ReportError(-2147217900, QStringLiteral("Marvolt. Retrive Broker Info. \rno table"));
        QCOMPARE(LogCapture::lines().size(), 1);
        QVERIFY(LogCapture::lines().constFirst().contains(QStringLiteral("-2147217900")));
    }
    QCOMPARE(shown, QStringList{"Marvolt. Retrive Broker Info. \rno table"});
    QCOMPARE(MessageService::instance().lastMessage(), shown.constFirst());
}

void TestSessionContext::traceLinesGoToTheTraceCategory()
{
    LogCapture log("marvolt.trace");
    SessionContext::instance().Trace(QStringLiteral("Start Set Util"));
    SessionContext::instance().Trace(QStringLiteral("End Set Util"));
    QCOMPARE(LogCapture::lines(),
             (QStringList{QString::number(QtInfoMsg) + ":Start Set Util",
                          QString::number(QtInfoMsg) + ":End Set Util"}));
    QCOMPARE(MessageService::instance().messages(), QStringList());
}

void TestSessionContext::attributeListIsOrderedByName()
{
    QVERIFY2(m_db->fillDirectories(), qPrintable(m_db->error()));
    const TwoRowTable attributes = SessionContext::instance().AttributeList();
    QCOMPARE(attributes.texts(), (QList<QString>{"Hedge", "Proprietary"}));
    QCOMPARE(attributes.id(0).toInt(), 1);
    QCOMPARE(attributes.id(1).toInt(), 2);
}

QTEST_GUILESS_MAIN(TestSessionContext)
#include "tst_session_context.moc"

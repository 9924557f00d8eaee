#include "Clock.h"
#include "QueryKey.h"
#include "RegistryAccess.h"
#include "RegistrySettings.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString App = QStringLiteral("Currency Pairs");
const QDate SavedOn(2026, 12, 1);
const QDate ReadOn(2026, 12, 4);

QString describe(const QueryDate &d)
{
    return d.isAll() ? QStringLiteral("All") : QStringLiteral("%1 (%2)").arg(d.date().toString(Qt::ISODate)).arg(d.offset());
}

QueryDate dateOf(const QueryValues &q)
{
    return QueryDate::fromFields(q.ValDate, q.ValLong, q.Relative);
}

QueryDate valueDateOf(const QueryValues &q)
{
    return QueryDate::fromFields(q.EndDate, q.EndLong, q.Relative);
}

void setDate(QueryValues &q, const QueryDate &date)
{
    q.ValDate = date.dateValue();
    q.ValLong = date.offsetValue();
}

void setValueDate(QueryValues &q, const QueryDate &date)
{
    q.EndDate = date.dateValue();
    q.EndLong = date.offsetValue();
}

QString describe(const QueryValues &q)
{
    return QStringLiteral("Relative=%1 Date=%2 ValueDate=%3 Dealer=%4 Deal=%5 Bank=%6 Attributes=%7 Pair=%8 "
                          "Netting=%9 Category=%10 Status=%11 TCID=%12 Client=%13")
        .arg(q.Relative)
        .arg(describe(dateOf(q)), describe(valueDateOf(q)), q.Dealer.join(u';'), q.Deal.join(u';'), q.Bank.join(u';'),
             q.Attributes.join(u';'), q.Pair.join(u';'), q.Netting)
        .arg(q.Category.join(u';'), q.Status.join(u';'), q.TCID.join(u';'), q.Client.join(u';'));
}

} // namespace

class TstStoredQueries final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void shouldReadTheDefaultQueryOnFirstRun();
    void shouldRebuildDatesAgainstANewToday_data();
    void shouldRebuildDatesAgainstANewToday();
    void shouldStoreOneDateFormWithItsType();
    void shouldReadAQueryStoredByTheEarlierVersion();
    void shouldBuildDatesFromReportFields_data();
    void shouldBuildDatesFromReportFields();
    void shouldUseTheDefaultForAnUnusableStoredDate();
    void shouldJoinAndSplitListsAtPipes_data();
    void shouldJoinAndSplitListsAtPipes();
    void shouldReplaceCategoriesInIndexOrder();
    void shouldTreatQueryAsTheCurrentQueryKey();
    void shouldRefuseUnusableStoredFilterNames_data();
    void shouldRefuseUnusableStoredFilterNames();
    void shouldSaveListAndDeleteStoredFilters();
    void shouldNotListAFilterWhoseQueryWasNotWritten();
    void shouldWriteNoQueryWithoutAppName();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TstStoredQueries::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    RegistryAccess::instance().setPath(m_dir->filePath(QStringLiteral("registry.sqlite")));
    Clock::setToday(SavedOn);
}

void TstStoredQueries::cleanup()
{
    Clock::reset();
}

void TstStoredQueries::shouldReadTheDefaultQueryOnFirstRun()
{
    const QueryValues q = QueryKey(App, QStringLiteral("Query")).read();
    QCOMPARE(describe(q), QStringLiteral("Relative=1 Date=2026-12-01 (0) ValueDate=All Dealer=All Deal=All Bank=All "
                                         "Attributes=All Pair=All Netting=All Category= Status=All TCID=All Client=All"));
    QCOMPARE(q, QueryValues());
}

void TstStoredQueries::shouldRebuildDatesAgainstANewToday_data()
{
    QTest::addColumn<bool>("relative");
    QTest::addColumn<QDate>("date");          // invalid: "All"
    QTest::addColumn<QString>("readBack");    // on ReadOn, three days later
    QTest::newRow("relative-yesterday-moves-with-today") << true << SavedOn.addDays(-1) << QStringLiteral("2026-12-03 (-1)");
    QTest::newRow("relative-today-is-today") << true << SavedOn << QStringLiteral("2026-12-04 (0)");
    QTest::newRow("absolute-keeps-its-date") << false << SavedOn.addDays(-1) << QStringLiteral("2026-11-30 (-4)");
    QTest::newRow("relative-all-stays-all") << true << QDate() << QStringLiteral("All");
}

void TstStoredQueries::shouldRebuildDatesAgainstANewToday()
{
    QFETCH(bool, relative);
    QFETCH(QDate, date);
    QFETCH(QString, readBack);
    QueryValues q;
    q.Relative = relative;
    setDate(q, QueryDate::fromDate(date));
    setValueDate(q, QueryDate::fromDate(date));
    const QueryKey key(App, QStringLiteral("Query"));
    QVERIFY(key.write(q));

    Clock::setToday(ReadOn);
    const QueryValues read = key.read();
    QCOMPARE(read.Relative, relative);
    QCOMPARE(describe(dateOf(read)), readBack);
    QCOMPARE(describe(valueDateOf(read)), readBack);
}

void TstStoredQueries::shouldStoreOneDateFormWithItsType()
{
    RegistryAccess &store = RegistryAccess::instance();
    const QueryKey key(App, QStringLiteral("Query"));
    QueryValues q;
    setDate(q, QueryDate::fromOffset(-2));
    setValueDate(q, QueryDate::all());
    QVERIFY(key.write(q));
    QCOMPARE(store.ReadValue(key.path(), QStringLiteral("Date")), QVariant(-2));
    QCOMPARE(store.ReadValue(key.path(), QStringLiteral("Value Date")), QVariant(QStringLiteral("All")));
    QCOMPARE(store.ReadValue(key.path(), QStringLiteral("Relative")), QVariant(true));

    q.Relative = false;
    QVERIFY(key.write(q));
    QCOMPARE(store.ReadValue(key.path(), QStringLiteral("Date")), QVariant(QDate(2026, 11, 29)));
    QCOMPARE(store.ReadValue(key.path(), QStringLiteral("Relative")), QVariant(false));
}

// A user's store keeps the values earlier versions wrote, value by value and
// type by type: they read back as the same query.
void TstStoredQueries::shouldReadAQueryStoredByTheEarlierVersion()
{
    RegistryAccess &store = RegistryAccess::instance();
    const QString path = RegistrySettings::StoredFiltersKey(App) + QStringLiteral("\\Week");
    const QList<QPair<QString, QVariant>> written = {
        {"Relative", false},         {"Date", QDate(2026, 11, 30)},   {"Value Date", QStringLiteral("All")},
        {"Dealer", "JD|O'BRIEN"},    {"Deal", "Spot|Swap"},           {"Advanced Attributes", "All"},
        {"Bank", "NORTMU"},          {"Pair", "EUR/USD"},             {"Netting", "All"},
        {"Status", "Checked|Manual"}, {"Local TCID", "All"},         {"Client", "Non Client"}};
    for (const auto &[name, value] : written)
        QVERIFY(store.WriteValue(path, name, value));
    QVERIFY(store.WriteValues(path + QStringLiteral("\\Category"), {{"1", "Funds"}, {"0", "Banks|Country|DE"}}));

    const QueryValues q = QueryKey(App, QStringLiteral("Week")).read();
    QCOMPARE(describe(q), QStringLiteral("Relative=0 Date=2026-11-30 (-1) ValueDate=All Dealer=JD;O'BRIEN "
                                         "Deal=Spot;Swap Bank=NORTMU Attributes=All Pair=EUR/USD Netting=All "
                                         "Category=Banks|Country|DE;Funds Status=Checked;Manual TCID=All "
                                         "Client=Non Client"));
}

void TstStoredQueries::shouldBuildDatesFromReportFields_data()
{
    QTest::addColumn<QVariant>("date");
    QTest::addColumn<QVariant>("offset");
    QTest::addColumn<bool>("relative");
    QTest::addColumn<QString>("expected");
    // The form the query uses wins; the other one is rebuilt from it.
    QTest::newRow("relative-uses-offset") << QVariant(QDate(2020, 1, 1)) << QVariant(3) << true << QStringLiteral("2026-12-04 (3)");
    QTest::newRow("absolute-uses-date") << QVariant(QDate(2026, 12, 2)) << QVariant(30) << false << QStringLiteral("2026-12-02 (1)");
    QTest::newRow("relative-without-offset-uses-date") << QVariant(QDate(2026, 12, 2)) << QVariant() << true << QStringLiteral("2026-12-02 (1)");
    QTest::newRow("all-text") << QVariant(QStringLiteral("All")) << QVariant(QStringLiteral("All")) << true << QStringLiteral("All");
    QTest::newRow("nothing-set") << QVariant() << QVariant() << false << QStringLiteral("All");
}

void TstStoredQueries::shouldBuildDatesFromReportFields()
{
    QFETCH(QVariant, date);
    QFETCH(QVariant, offset);
    QFETCH(bool, relative);
    QFETCH(QString, expected);
    const QueryDate d = QueryDate::fromFields(date, offset, relative);
    QCOMPARE(describe(d), expected);
    if (!d.isAll()) {
        QCOMPARE(d.dateValue(), QVariant(d.date()));
        QCOMPARE(d.offsetValue(), QVariant(d.offset()));
    } else {
        QCOMPARE(d.dateValue(), QVariant(QStringLiteral("All")));
        QCOMPARE(d.offsetValue(), QVariant(QStringLiteral("All")));
    }
}

void TstStoredQueries::shouldUseTheDefaultForAnUnusableStoredDate()
{
    const QueryKey key(App, QStringLiteral("Query"));
    QVERIFY(RegistryAccess::instance().WriteValue(key.path(), QStringLiteral("Date"), QStringLiteral("yesterday")));
    // An offset written as text by another tool still means that offset.
    QVERIFY(RegistryAccess::instance().WriteValue(key.path(), QStringLiteral("Value Date"), QStringLiteral("-1")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("unusable Date value yesterday")));
    const QueryValues q = key.read();
    QCOMPARE(describe(dateOf(q)), QStringLiteral("2026-12-01 (0)"));
    QCOMPARE(describe(valueDateOf(q)), QStringLiteral("2026-11-30 (-1)"));
}

void TstStoredQueries::shouldJoinAndSplitListsAtPipes_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QString>("stored");
    QTest::newRow("all") << QStringList{QStringLiteral("All")} << QStringLiteral("All");
    QTest::newRow("two-dealers") << QStringList{QStringLiteral("IVANOV"), QStringLiteral("PETROV")} << QStringLiteral("IVANOV|PETROV");
    QTest::newRow("empty-selection") << QStringList{} << QString();
    QTest::newRow("one-blank-entry") << QStringList{QStringLiteral(" ")} << QStringLiteral(" ");
}

void TstStoredQueries::shouldJoinAndSplitListsAtPipes()
{
    QFETCH(QStringList, list);
    QFETCH(QString, stored);
    const QueryKey key(App, QStringLiteral("Query"));
    QVERIFY(key.writeList(QStringLiteral("Dealer"), list));
    QCOMPARE(RegistryAccess::instance().ReadValue(key.path(), QStringLiteral("Dealer")), QVariant(stored));
    QCOMPARE(key.readList(QStringLiteral("Dealer")), list);
}

void TstStoredQueries::shouldReplaceCategoriesInIndexOrder()
{
    const QueryKey key(App, QStringLiteral("Query"));
    QStringList many;
    for (int i = 0; i < 12; ++i)
        many.append(QStringLiteral("Category %1").arg(i));
    QVERIFY(key.writeCategory(many));
    QCOMPARE(key.readCategory(), many);   // "10" and "11" after "9"
    QCOMPARE(RegistryAccess::instance().ReadValue(key.categoryPath(), QStringLiteral("11")),
             QVariant(QStringLiteral("Category 11")));

    QVERIFY(key.writeCategory({QStringLiteral("Banks")}));
    QCOMPARE(key.readCategory(), QStringList{QStringLiteral("Banks")});
    QVERIFY(key.writeCategory({}));
    QVERIFY(key.readCategory().isEmpty());
}

void TstStoredQueries::shouldTreatQueryAsTheCurrentQueryKey()
{
    QCOMPARE(QueryKey(App, QStringLiteral("Query")).path(), QStringLiteral("Software\\Quorvex, Ltd.\\Currency Pairs\\Query"));
    QCOMPARE(QueryKey(App, QStringLiteral("Morning")).path(),
             QStringLiteral("Software\\Quorvex, Ltd.\\Currency Pairs\\Stored Filters\\Morning"));

    QueryValues current;
    current.Pair = {QStringLiteral("EUR/USD")};
    QVERIFY(QueryKey(App, QStringLiteral("Query")).write(current));

    // Saving a stored filter named "Query" would overwrite the current query:
    // it is refused and nothing changes.
    bool queryWritten = false;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot be named Query")));
    QVERIFY(!RegistrySettings::SaveStoredFilter(QStringLiteral("Query"), QStringLiteral("mine"), App,
                                                [&](const QString &) { return queryWritten = true; }));
    QVERIFY(!queryWritten);
    QVERIFY(RegistrySettings::ListStoredFilters(App).isEmpty());
    QCOMPARE(QueryKey(App, QStringLiteral("Query")).read(), current);

    // Deleting a (legacy) stored filter named "Query" leaves the current query alone.
    QVERIFY(RegistryAccess::instance().WriteValue(RegistrySettings::StoredFiltersKey(App), QStringLiteral("Query"), QStringLiteral("old")));
    QVERIFY(RegistrySettings::DeleteStoredFilter(QStringLiteral("Query"), App));
    QVERIFY(RegistrySettings::ListStoredFilters(App).isEmpty());
    QCOMPARE(QueryKey(App, QStringLiteral("Query")).read(), current);
}

void TstStoredQueries::shouldRefuseUnusableStoredFilterNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("valid");
    QTest::newRow("plain") << QStringLiteral("Morning EUR") << true;
    QTest::newRow("slash") << QStringLiteral("EUR/USD only") << true;
    QTest::newRow("lower-case-query") << QStringLiteral("query") << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("current-query") << QStringLiteral("Query") << false;
    QTest::newRow("backslash") << QStringLiteral("A\\Category") << false;
}

void TstStoredQueries::shouldRefuseUnusableStoredFilterNames()
{
    QFETCH(QString, name);
    QFETCH(bool, valid);
    QCOMPARE(RegistrySettings::IsValidStoredFilterName(name), valid);
}

void TstStoredQueries::shouldSaveListAndDeleteStoredFilters()
{
    QueryValues morning;
    morning.Relative = false;
    setDate(morning, QueryDate::fromDate(QDate(2026, 11, 20)));
    morning.Pair = {QStringLiteral("EUR/USD"), QStringLiteral("USD/RUB")};
    morning.Category = {QStringLiteral("Banks"), QStringLiteral("Funds")};
    morning.Netting = QStringLiteral("Netting only");
    auto writer = [](const QueryValues &q) {
        return [q](const QString &name) { return QueryKey(App, name).write(q); };
    };
    QVERIFY(RegistrySettings::SaveStoredFilter(QStringLiteral("EUR/USD only"), QStringLiteral("Morning pairs"), App, writer(morning)));
    QVERIFY(RegistrySettings::SaveStoredFilter(QStringLiteral("Second"), QString(), App, writer(QueryValues())));

    const RegistryValues expected{{QStringLiteral("EUR/USD only"), QStringLiteral("Morning pairs")},
                                  {QStringLiteral("Second"), QString()}};
    QCOMPARE(RegistrySettings::ListStoredFilters(App), expected);
    QCOMPARE(describe(QueryKey(App, QStringLiteral("EUR/USD only")).read()), describe(morning));
    // The current query is untouched by stored filters.
    QCOMPARE(QueryKey(App, QStringLiteral("Query")).read(), QueryValues());

    QVERIFY(RegistrySettings::DeleteStoredFilter(QStringLiteral("EUR/USD only"), App));
    QCOMPARE(RegistrySettings::ListStoredFilters(App), expected.mid(1));
    QVERIFY(RegistryAccess::instance().ReadValues(QueryKey(App, QStringLiteral("EUR/USD only")).path()).isEmpty());
    QVERIFY(QueryKey(App, QStringLiteral("EUR/USD only")).readCategory().isEmpty());
    // Deleting again, with everything gone, completes quietly.
    QVERIFY(RegistrySettings::DeleteStoredFilter(QStringLiteral("EUR/USD only"), App));
}

void TstStoredQueries::shouldNotListAFilterWhoseQueryWasNotWritten()
{
    QVERIFY(!RegistrySettings::SaveStoredFilter(QStringLiteral("Half"), QStringLiteral("desc"), App,
                                                [](const QString &) { return false; }));
    QVERIFY(RegistrySettings::ListStoredFilters(App).isEmpty());
}

void TstStoredQueries::shouldWriteNoQueryWithoutAppName()
{
    const QueryKey key(QString(), QStringLiteral("Query"));
    QVERIFY(key.isNull());
    QueryValues q;
    q.Dealer = {QStringLiteral("IVANOV")};
    QVERIFY(key.write(q));
    QCOMPARE(key.read(), QueryValues());
    QVERIFY(RegistryAccess::instance().ReadValues(QStringLiteral("Software\\Quorvex, Ltd.\\Query")).isEmpty());
    QVERIFY(RegistryAccess::instance().ReadValues(QStringLiteral("Software\\Quorvex, Ltd.")).isEmpty());
}

QTEST_GUILESS_MAIN(TstStoredQueries)
#include "tst_stored_queries.moc"

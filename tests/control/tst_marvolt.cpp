// The Marvolt control against a real demo trading database: its published
// interface, report creation and replacement, the archive probe, progress
// relay and auto refresh, unloading, and the query fields a host sets.

#include "Marvolt.h"

#include "EventClass.h"
#include "Report.h"

#include "Clock.h"
#include "MessageService.h"
#include "RegistryAccess.h"
#include "RegistrySettings.h"
#include "SessionContext.h"
#include "SharedValues.h"
#include "TextTable.h"

#include "CheckCombo.h"
#include "Grid.h"
#include "GridColumn.h"
#include "RelDate.h"
#include "ToolBar.h"

#include "Connection.h"
#include "DemoDatabase.h"

#include <QApplication>
#include <QMetaMethod>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QDate Today(2026, 12, 4);        // a Friday with deals
const QDate Sunday(2026, 11, 29);      // no deals on a Sunday
const QString Pairs = QStringLiteral("Currency Pairs");

const QStringList ResultTools = {
    QStringLiteral("ID_expand"),        QStringLiteral("ID_collapse"),   QStringLiteral("ID_Expand_Selection"),
    QStringLiteral("ID_ShowSummary"),   QStringLiteral("ID_ShowDetails"), QStringLiteral("ID_PrintSelection"),
    QStringLiteral("ID_PrintAll"),
};

QString connectionString(const QString &path)
{
    return QStringLiteral("Provider=SQLite;Data Source=\"%1\"").arg(path);
}

/// Runs the control's report and waits for the end of its query.
bool runAndWait(Marvolt &control)
{
    QSignalSpy ended(&control, &Marvolt::UnActivProgress);
    control.RefreshData();
    return !ended.isEmpty() || ended.wait(30000);
}

/// A fresh session on db, as a host opens it before it creates the control.
void openSession(const QString &db)
{
    SessionContext::resetInstance();
    SessionContext::instance().OpenSession(connectionString(db));
    SessionContext::instance().setCurrentUserName(QStringLiteral("tester"));
}

widgets::Tool *toolOf(const Marvolt &control, const char *id)
{
    return control.mainMenu()->Tools(QString::fromLatin1(id));
}

} // namespace

class tst_Marvolt : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void shouldPublishInterfaceInTableOrder();
    void shouldReturnIdentityValuesAsWritten_data();
    void shouldReturnIdentityValuesAsWritten();
    void shouldStartWithFirstRunDefaults();
    void shouldWireReportBeforeSetUtil();
    void shouldReplaceReportWithoutClearUtil();
    void shouldNotLeaveThePreviousReportsToolsAndDisabledFilters();
    void shouldLeaveNoReportForValuesWithoutClass_data();
    void shouldLeaveNoReportForValuesWithoutClass();
    void shouldCreateUsdRubReportForWindowType7();
    void shouldProbeArchiveUnlessTableIsArchive_data();
    void shouldProbeArchiveUnlessTableIsArchive();
    void shouldStoreFormatsForSessionAndReport();
    void shouldSaveLayoutAndDefaultsOnUnloadEachTime();
    void shouldRelayProgressAndRestartAutoRefreshOnlyAtEnd();
    void shouldSkipRelayOfCountersBeyond16Bits();
    void shouldShowTheBusyLookOnlyForARunThatLasts();
    void shouldEndBusyStateWhenReportReplacedMidQuery();
    void shouldEnableResultToolsOnlyWithData();
    void shouldSetQueryFieldsLikeThePanel_data();
    void shouldSetQueryFieldsLikeThePanel();
    void shouldRefuseUnknownStoredFilter();
    void shouldPutHintInStatusBarText_data();
    void shouldPutHintInStatusBarText();
    void shouldLocaliseToolsFromTextTable();

private:
    QTemporaryDir m_dir;
    QString m_db;
    int m_registryCount = 0;
};

void tst_Marvolt::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_db = m_dir.filePath(QStringLiteral("trading.db"));
    db::DemoDatabase::Options options;
    options.out = m_db;
    options.deals = 5000;
    options.seed = 11;
    options.today = Today;
    QString error;
    QVERIFY2(db::DemoDatabase::build(options, nullptr, &error), qPrintable(error));
    Clock::setToday(Today);
}

void tst_Marvolt::init()
{
    // Every test starts with a user who never ran the control.
    RegistryAccess::instance().setPath(m_dir.filePath(QStringLiteral("registry-%1.sqlite").arg(++m_registryCount)));
    SharedValues::reset();
    MessageService::instance().clearMessages();
    openSession(m_db);
    QVERIFY(SessionContext::instance().isOpen());
}

void tst_Marvolt::cleanup()
{
    SessionContext::resetInstance();
}

void tst_Marvolt::shouldPublishInterfaceInTableOrder()
{
    const QMetaObject *meta = &Marvolt::staticMetaObject;
    QStringList properties;
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
        properties.append(QString::fromLatin1(meta->property(i).name()));
    QCOMPARE(properties.join(QLatin1Char(' ')),
             QStringLiteral("App_Name StatBarText TableName FormatRate FormatValue WindowType UserName ReutersID "
                            "ManageOP BankArray DelayTime GMTCorrection"));

    QStringList methods;
    QStringList signals_;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() == QMetaMethod::Signal)
            signals_.append(QString::fromLatin1(method.methodSignature()));
        else if (method.methodType() == QMetaMethod::Method && method.access() == QMetaMethod::Public)
            methods.append(QString::fromLatin1(method.methodSignature()));
    }
    QCOMPARE(methods.join(QLatin1Char(' ')),
             QStringLiteral("StopProgress() RefreshData() RefreshDirectory() Control_Unload() UnloadRecalc()"));
    QCOMPARE(signals_.join(QLatin1Char(' ')),
             QStringLiteral("ClickDate() ReSelectTabl(QString,short,short) MouseMove() InitProgress(short) "
                            "StepProgress(short) UnActivProgress() Quite() ShowTableProperties(QObject*)"));
}

void tst_Marvolt::shouldReturnIdentityValuesAsWritten_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QVariant>("initial");
    QTest::addColumn<QVariant>("written");
    QTest::newRow("user-name") << QByteArray("UserName") << QVariant(QString()) << QVariant(QStringLiteral("JSM"));
    QTest::newRow("reuters-id") << QByteArray("ReutersID") << QVariant(QString()) << QVariant(QStringLiteral("R 1"));
    QTest::newRow("manage-op") << QByteArray("ManageOP") << QVariant(false) << QVariant(true);
    QTest::newRow("gmt-negative") << QByteArray("GMTCorrection") << QVariant::fromValue<short>(0)
                                  << QVariant::fromValue<short>(-720);
    QTest::newRow("gmt-largest") << QByteArray("GMTCorrection") << QVariant::fromValue<short>(0)
                                 << QVariant::fromValue<short>(32767);
}

void tst_Marvolt::shouldReturnIdentityValuesAsWritten()
{
    QFETCH(QByteArray, name);
    QFETCH(QVariant, initial);
    QFETCH(QVariant, written);
    Marvolt control;
    QCOMPARE(control.property(name.constData()), initial);
    QVERIFY(control.setProperty(name.constData(), written));
    QCOMPARE(control.property(name.constData()), written);
}

void tst_Marvolt::shouldStartWithFirstRunDefaults()
{
    Marvolt control;
    QVERIFY(!control.report());
    QVERIFY(control.App_Name.isEmpty());
    control.setWindowType(0);
    QVERIFY(control.report());
    QCOMPARE(control.viewSettings(), AllSettings());
    QCOMPARE(toolOf(control, "ID_ShowSummary")->State(), 1);
    QCOMPARE(toolOf(control, "ID_ShowDetails")->State(), 1);
    QCOMPARE(toolOf(control, "ID_Filter")->State(), 1);
    QCOMPARE(toolOf(control, "ID_ExpandAfterRefresh")->State(), 0);
    // No stored filters yet: nothing to delete, nothing to choose.
    QVERIFY(!toolOf(control, "ID_Delete")->Enabled());
    QCOMPARE(toolOf(control, "ID_ListParams")->ListCount(), 0);
    QCOMPARE(control.autoRefreshInterval(), 10000);
    QVERIFY(!control.isAutoRefreshTimerActive());
}

void tst_Marvolt::shouldWireReportBeforeSetUtil()
{
    // A stored summary view with the panel hidden: SetUtil must already see it.
    AllSettings stored;
    stored.DisplaySetting = vwSummary;
    stored.QPVisible = false;
    QVERIFY(RegistrySettings::SaveViewSetting(Pairs, stored));
    RegistrySettings::SaveStoredFilter(QStringLiteral("Morning"), QStringLiteral("EUR only"), Pairs,
                                       [](const QString &) { return true; });

    Marvolt control;
    control.setWindowType(0);
    Report *report = control.report();
    QVERIFY(report);
    QCOMPARE(control.App_Name, Pairs);
    QVERIFY(report->Main_Menu);
    QVERIFY(report->Main_Table);
    for (int i = 0; i < FilterControlCount; ++i) {
        QCOMPARE(report->QPControl(i).Common.data(), control.filterControl(i).Common.data());
        QCOMPARE(report->QPControl(i).lbCaption.data(), control.filterControl(i).lbCaption.data());
    }
    QCOMPARE(report->ViewSetting(), stored);
    // SetUtil built the columns on the grid and rebound them in summary mode.
    QCOMPARE(control.mainTable()->ColumnCount(), 19);
    QVERIFY(control.mainTable()->Columns(QStringLiteral("Caption"))->Visible());
    QVERIFY(!control.mainTable()->Columns(QStringLiteral("TicketNum"))->Visible());
    QCOMPARE(toolOf(control, "ID_ShowSummary")->State(), 1);
    QCOMPARE(toolOf(control, "ID_ShowDetails")->State(), 0);
    QCOMPARE(toolOf(control, "ID_Filter")->State(), 0);
    // The stored filters fill the combo, with nothing chosen.
    QCOMPARE(toolOf(control, "ID_ListParams")->ListCount(), 1);
    QCOMPARE(toolOf(control, "ID_ListParams")->List(0), QStringLiteral("Morning"));
    QCOMPARE(toolOf(control, "ID_ListParams")->ListIndex(), -1);
    QVERIFY(toolOf(control, "ID_Delete")->Enabled());
    // The filters the report uses are shown, the others hidden.
    QVERIFY(!control.filterWidget(fcDealerBox)->isHidden());
    QVERIFY(control.filterWidget(fcCcyBox)->isHidden());
}

void tst_Marvolt::shouldReplaceReportWithoutClearUtil()
{
    Marvolt control;
    control.setWindowType(0);
    QPointer<Report> first = control.report();
    control.setWindowType(9);
    QVERIFY(first.isNull());
    QCOMPARE(QString::fromLatin1(control.report()->metaObject()->className()), QStringLiteral("Profit_Loss"));
    QCOMPARE(control.App_Name, QStringLiteral("Profit/Loss"));
    // ClearUtil would have saved the first report's view and column layout.
    QVERIFY(RegistrySettings::LoadColumnLayout(Pairs).isEmpty());
    QVERIFY(RegistryAccess::instance().ReadValues(RegistrySettings::PropertyKey(Pairs)).isEmpty());
}

void tst_Marvolt::shouldNotLeaveThePreviousReportsToolsAndDisabledFilters()
{
    Marvolt control;
    const auto shown = [&control](const char *id) { return control.mainMenu()->Tools(QString::fromLatin1(id))->Visible(); };
    // The cash flow brings its switches; the counterparty position in its
    // pair view disables the currency box.
    control.setWindowType(4);
    QVERIFY(shown("ID_WithNetting") && shown("ID_WithRollower"));
    control.setWindowType(8);
    QVERIFY(!shown("ID_WithNetting") && !shown("ID_WithRollower"));
    QVERIFY(shown("ID_CurrencyPair"));
    QVERIFY(QMetaObject::invokeMethod(control.report(), "SetNewPair", Q_ARG(int, 1)));
    QVERIFY(!control.filterWidget(fcCcyBox)->isEnabled());
    control.setWindowType(5);
    QVERIFY(!shown("ID_CurrencyPair"));
    QVERIFY(control.filterWidget(fcCcyBox)->isEnabled());
    QVERIFY(!control.filterWidget(fcCcyBox)->isHidden());
}

void tst_Marvolt::shouldLeaveNoReportForValuesWithoutClass_data()
{
    QTest::addColumn<int>("windowType");
    QTest::newRow("currency-counterparty-6") << 6;
    QTest::newRow("beyond-table-15") << 15;
    QTest::newRow("negative") << -1;
}

void tst_Marvolt::shouldLeaveNoReportForValuesWithoutClass()
{
    QFETCH(int, windowType);
    Marvolt control;
    control.setWindowType(0);
    control.setWindowType(windowType);
    QVERIFY(!control.report());
    QVERIFY(!control.CurrentActiv());
    QCOMPARE(control.App_Name, Pairs);   // keeps the previous report's name
    QCOMPARE(control.mainTable()->ItemCount(), 0);

    QSignalSpy started(&control, &Marvolt::InitProgress);
    QVERIFY(QMetaObject::invokeMethod(&control, "RefreshData"));
    QVERIFY(QMetaObject::invokeMethod(&control, "RefreshDirectory"));
    QVERIFY(started.isEmpty());
    QVERIFY(control.isEnabled());

    control.setProperty("FormatRate", QStringLiteral("0.000"));
    QCOMPARE(SharedValues::FormatRate(), QStringLiteral("0.000"));
    QCOMPARE(SessionContext::instance().RateFormat(), QStringLiteral("0.000"));
}

void tst_Marvolt::shouldCreateUsdRubReportForWindowType7()
{
    Marvolt control;
    control.setProperty("WindowType", 7);
    QVERIFY(control.report());
    QCOMPARE(QString::fromLatin1(control.report()->metaObject()->className()), QStringLiteral("Profit_LossUSDRUB"));
    QCOMPARE(control.property("WindowType").toInt(), 7);
}

void tst_Marvolt::shouldProbeArchiveUnlessTableIsArchive_data()
{
    QTest::addColumn<QString>("database");   // "demo", "no-archive" or "" for a closed session
    QTest::addColumn<QString>("table");
    QTest::addColumn<bool>("available");
    QTest::newRow("tickets-with-archive-table") << "demo" << "Tickets" << true;
    QTest::newRow("archive-itself") << "demo" << "Archive" << false;
    QTest::newRow("archive-other-case-probes") << "demo" << "archive" << true;
    QTest::newRow("database-without-archive") << "no-archive" << "Tickets" << false;
    QTest::newRow("no-session") << "" << "Tickets" << false;
}

void tst_Marvolt::shouldProbeArchiveUnlessTableIsArchive()
{
    QFETCH(QString, database);
    QFETCH(QString, table);
    QFETCH(bool, available);
    if (database == QLatin1String("no-archive")) {
        const QString path = m_dir.filePath(QStringLiteral("no-archive.db"));
        QFile::remove(path);
        data::Connection connection;
        QVERIFY(connection.Open(connectionString(path) + QStringLiteral(";Create=True")));
        connection.Execute(QStringLiteral("CREATE TABLE Tickets (TCID TEXT)"));
        QVERIFY(!connection.lastError());
        connection.Close();
        openSession(path);
    } else if (database.isEmpty()) {
        SessionContext::resetInstance();
    }

    Marvolt control;
    control.setWindowType(0);
    // Start from the opposite answer, so a write that skips the probe shows.
    SharedValues::setArchiveAvailable(!available);
    toolOf(control, "ID_WithArchive")->setEnabled(!available);
    control.setProperty("TableName", table);
    QCOMPARE(control.property("TableName").toString(), table);
    QCOMPARE(SharedValues::ArchiveAvailable(), available);
    QCOMPARE(toolOf(control, "ID_WithArchive")->Enabled(), available);
}

void tst_Marvolt::shouldStoreFormatsForSessionAndReport()
{
    Marvolt control;
    control.setProperty("FormatValue", QStringLiteral("#,##0"));
    control.setWindowType(0);
    // The report created later reads the stored value format.
    QCOMPARE(control.mainTable()->Columns(QStringLiteral("BuyCcy1"))->Format(), QStringLiteral("#,##0"));
    control.setProperty("FormatRate", QStringLiteral("0.000000"));
    QCOMPARE(SharedValues::FormatRate(), QStringLiteral("0.000000"));
    QCOMPARE(SessionContext::instance().RateFormat(), QStringLiteral("0.000000"));
    QCOMPARE(control.mainTable()->Columns(QStringLiteral("Rate"))->Format(), QStringLiteral("0.000000"));
    QCOMPARE(control.property("FormatRate").toString(), QStringLiteral("0.000000"));
}

void tst_Marvolt::shouldSaveLayoutAndDefaultsOnUnloadEachTime()
{
    Marvolt control;
    control.setWindowType(0);
    control.mainTable()->Columns(QStringLiteral("Rate"))->setCaption(QStringLiteral("Deal Rate"));
    QVERIFY(QMetaObject::invokeMethod(&control, "Control_Unload"));
    QVERIFY(!control.report());
    QVERIFY(!control.filterControl(fcDateReport0).Common);
    const RegistryValues property = RegistryAccess::instance().ReadValues(RegistrySettings::PropertyKey(Pairs));
    QStringList names;
    for (const RegistryValue &value : property)
        names.append(value.name);
    QVERIFY2(names.contains(QStringLiteral("Default Form")) && names.contains(QStringLiteral("Default Dir")),
             qPrintable(names.join(QLatin1Char(','))));

    // The second control shows the saved caption; a second change is saved over it.
    Marvolt second;
    second.setWindowType(0);
    QCOMPARE(second.mainTable()->Columns(QStringLiteral("Rate"))->Caption(), QStringLiteral("Deal Rate"));
    second.mainTable()->Columns(QStringLiteral("Rate"))->setCaption(QStringLiteral("Price"));
    second.Control_Unload();
    QString caption;
    for (const ColumnLayoutEntry &entry : RegistrySettings::LoadColumnLayout(Pairs)) {
        if (entry.key == QLatin1String("Rate"))
            caption = entry.caption;
    }
    QCOMPARE(caption, QStringLiteral("Price"));
    // A second unload has nothing left to release.
    second.Control_Unload();
    QVERIFY(!second.report());
}

void tst_Marvolt::shouldRelayProgressAndRestartAutoRefreshOnlyAtEnd()
{
    Marvolt control;
    control.setWindowType(0);
    toolOf(control, "ID_AutoRefresh")->action()->trigger();
    QVERIFY(control.isAutoRefreshOn());
    QVERIFY(control.isAutoRefreshTimerActive());
    control.setProperty("DelayTime", 3);

    QSignalSpy started(&control, &Marvolt::InitProgress);
    QSignalSpy ended(&control, &Marvolt::UnActivProgress);
    control.RefreshData();
    QCOMPARE(started.count(), 1);
    // While the query runs: disabled, no tick pending, and clicks are lost.
    QVERIFY(!control.isEnabled());
    QVERIFY(control.isQueryRunning());
    QVERIFY(!control.isAutoRefreshTimerActive());
    QVERIFY(ended.wait(30000));
    QVERIFY(control.isEnabled());
    QVERIFY(control.isAutoRefreshTimerActive());
    QCOMPARE(control.autoRefreshInterval(), 10000);

    // Switching it off stops the timer; the end of the next query does not restart it.
    toolOf(control, "ID_AutoRefresh")->action()->trigger();
    QVERIFY(!control.isAutoRefreshTimerActive());
    QVERIFY(runAndWait(control));
    QVERIFY(!control.isAutoRefreshTimerActive());
}

void tst_Marvolt::shouldSkipRelayOfCountersBeyond16Bits()
{
    Marvolt control;
    control.setWindowType(0);
    EventClass *relay = control.CurrentActiv();
    QVERIFY(relay);
    QSignalSpy started(&control, &Marvolt::InitProgress);
    QSignalSpy stepped(&control, &Marvolt::StepProgress);
    QSignalSpy reselected(&control, &Marvolt::ReSelectTabl);

    relay->RaiseInitProgress(40000);
    QVERIFY(started.isEmpty());
    QVERIFY(!control.isEnabled());   // the other steps still run
    relay->RaiseStepProgress(-40000);
    relay->RaiseStepProgress(32767);
    QCOMPARE(stepped.count(), 1);
    QCOMPARE(stepped.at(0).at(0).value<short>(), short(32767));
    relay->RaiseReselect(QStringLiteral("EUR/USD"), 70000, 1);
    relay->RaiseReselect(QStringLiteral("EUR/USD"), 12, 3);
    QCOMPARE(reselected.count(), 1);
    QCOMPARE(reselected.at(0).at(0).toString(), QStringLiteral("EUR/USD"));
    QCOMPARE(reselected.at(0).at(1).value<short>(), short(12));
    relay->RaiseUnActiv();
    QVERIFY(control.isEnabled());
}

void tst_Marvolt::shouldShowTheBusyLookOnlyForARunThatLasts()
{
    Marvolt control;
    control.setWindowType(0);
    EventClass *relay = control.CurrentActiv();
    QVERIFY(relay);
    // A quick run: disabled, but not painted so, and painted again at its end.
    relay->RaiseInitProgress(0);
    QVERIFY(!control.isEnabled());
    QVERIFY(!control.updatesEnabled());
    relay->RaiseUnActiv();
    QVERIFY(control.isEnabled());
    QVERIFY(control.updatesEnabled());
    // A run that lasts shows the disabled control and the animation meanwhile.
    relay->RaiseInitProgress(0);
    QTRY_VERIFY_WITH_TIMEOUT(control.updatesEnabled(), 2000);
    QVERIFY(!control.isEnabled());
    relay->RaiseUnActiv();
    QVERIFY(control.isEnabled());
    QVERIFY(control.updatesEnabled());
}

void tst_Marvolt::shouldEndBusyStateWhenReportReplacedMidQuery()
{
    Marvolt control;
    control.setWindowType(0);
    control.CurrentActiv()->RaiseInitProgress(0);
    QVERIFY(!control.isEnabled());
    QSignalSpy ended(&control, &Marvolt::UnActivProgress);
    control.setWindowType(9);
    QCOMPARE(ended.count(), 1);
    QVERIFY(control.isEnabled());
    QVERIFY(!control.isQueryRunning());
}

void tst_Marvolt::shouldEnableResultToolsOnlyWithData()
{
    Marvolt control;
    control.setWindowType(0);
    QString error;
    QVERIFY2(control.setQueryField(QStringLiteral("Relative"), QStringLiteral("False"), &error), qPrintable(error));
    QVERIFY2(control.setQueryField(QStringLiteral("ValDate"), Sunday.toString(Qt::ISODate), &error),
             qPrintable(error));
    QVERIFY(runAndWait(control));
    QCOMPARE(control.mainTable()->ItemCount(), 0);
    for (const QString &id : ResultTools)
        QVERIFY2(!control.mainMenu()->Tools(id)->Enabled(), qPrintable(id));

    QVERIFY(control.setQueryField(QStringLiteral("ValDate"), Today.toString(Qt::ISODate), &error));
    QVERIFY(runAndWait(control));
    QVERIFY(control.mainTable()->ItemCount() > 0);
    for (const QString &id : ResultTools)
        QVERIFY2(control.mainMenu()->Tools(id)->Enabled(), qPrintable(id));
    QVERIFY(MessageService::instance().messages().isEmpty());
}

void tst_Marvolt::shouldSetQueryFieldsLikeThePanel_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("unknown-field") << "Colour" << "Red" << false << QByteArray() << QVariant();
    QTest::newRow("unknown-deal-type") << "Deal" << "Spot|Option" << false << QByteArray() << QVariant();
    QTest::newRow("empty-list") << "Deal" << " | " << false << QByteArray() << QVariant();
    QTest::newRow("bad-date") << "ValDate" << "31.12.2026" << false << QByteArray() << QVariant();
    QTest::newRow("bad-boolean") << "Relative" << "maybe" << false << QByteArray() << QVariant();
    QTest::newRow("report-date-cannot-be-all") << "ValDate" << "All" << false << QByteArray() << QVariant();
    QTest::newRow("committed-field-is-not-set-from-outside") << "StDeal" << "Spot" << false << QByteArray()
                                                             << QVariant();
    QTest::newRow("entries-any-case-take-the-list-spelling")
        << "Deal" << "spot|SWAP" << true << QByteArray("Deal")
        << QVariant(QStringList{QStringLiteral("Spot"), QStringLiteral("Swap")});
    QTest::newRow("dealer-any-case") << "Dealer" << "o'brien" << true << QByteArray("Dealer")
                                     << QVariant(QStringList{QStringLiteral("O'BRIEN")});
    QTest::newRow("deal-types") << "Deal" << "Spot|Swap" << true << QByteArray("Deal")
                                << QVariant(QStringList{QStringLiteral("Spot"), QStringLiteral("Swap")});
    QTest::newRow("field-name-any-case") << "deal" << "Swap" << true << QByteArray("Deal")
                                         << QVariant(QStringList{QStringLiteral("Swap")});
    QTest::newRow("value-date-all") << "EndDate" << "All" << true << QByteArray("EndLong")
                                    << QVariant(QStringLiteral("All"));
    QTest::newRow("iso-date-gives-offset") << "ValDate" << "2026-12-01" << true << QByteArray("ValLong")
                                           << QVariant(-3);
    QTest::newRow("day-count-gives-date") << "ValLong" << "-1" << true << QByteArray("ValDate")
                                          << QVariant(QDate(2026, 12, 3));
    QTest::newRow("absolute-dates") << "Relative" << "False" << true << QByteArray("Relative") << QVariant(false);
    QTest::newRow("counterparties") << "Bank" << "NORTMU|DELTSH" << true << QByteArray("Bank")
                                    << QVariant(QStringList{QStringLiteral("NORTMU"), QStringLiteral("DELTSH")});
}

void tst_Marvolt::shouldSetQueryFieldsLikeThePanel()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(bool, accepted);
    QFETCH(QByteArray, property);
    QFETCH(QVariant, expected);
    Marvolt control;
    QString error;
    QVERIFY(!control.setQueryField(field, value, &error));   // no report yet
    control.setWindowType(0);
    const QVariantMap before = [&control] {
        QVariantMap map;
        for (const char *name : {"Deal", "ValDate", "ValLong", "Relative"})
            map.insert(QString::fromLatin1(name), control.report()->property(name));
        return map;
    }();
    QCOMPARE(control.setQueryField(field, value, &error), accepted);
    if (!accepted) {
        QVERIFY(!error.isEmpty());
        for (auto it = before.begin(); it != before.end(); ++it)
            QCOMPARE(control.report()->property(qPrintable(it.key())), it.value());
        return;
    }
    QCOMPARE(control.report()->property(property.constData()), expected);
}

void tst_Marvolt::shouldRefuseUnknownStoredFilter()
{
    Marvolt control;
    QString error;
    QVERIFY(!control.loadStoredFilter(QStringLiteral("Query"), &error));   // no report
    control.setWindowType(0);
    QVERIFY(!control.loadStoredFilter(QStringLiteral("Evening"), &error));
    QVERIFY(error.contains(QStringLiteral("Evening")));
    QVERIFY(control.loadStoredFilter(QStringLiteral("Query"), &error));
}

void tst_Marvolt::shouldPutHintInStatusBarText_data()
{
    QTest::addColumn<QString>("widget");   // object name inside the control
    QTest::addColumn<int>("textId");       // 0: the previous text stays
    QTest::newRow("deal-type-box") << "DealBox" << 1033;
    QTest::newRow("counterparty-button") << "CptyBox" << 1036;
    QTest::newRow("second-range-start-picker") << "DateReport2" << 1031;
    QTest::newRow("caption-of-start-date") << "ValLabel0" << 1029;
    QTest::newRow("caption-of-currency") << "ValLabel8" << 1035;
    QTest::newRow("caption-without-hint") << "ValLabel12" << 0;
    QTest::newRow("query-panel") << "QueryPanel" << 1020;
    QTest::newRow("hide-button") << "CloseFilter" << 13018;
}

void tst_Marvolt::shouldPutHintInStatusBarText()
{
    QFETCH(QString, widget);
    QFETCH(int, textId);
    Marvolt control;
    auto *target = control.findChild<QWidget *>(widget);
    QVERIFY(target);
    SharedValues::setStatBarText(QStringLiteral("previous"));
    QSignalSpy moved(&control, &Marvolt::MouseMove);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(target, &enter);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(control.property("StatBarText").toString(),
             textId > 0 ? TextTable::LoadText(textId) : QStringLiteral("previous"));
}

void tst_Marvolt::shouldLocaliseToolsFromTextTable()
{
    TextTable::setLanguage(TextTable::Language::German);
    Marvolt control;
    TextTable::setLanguage(TextTable::Language::English);
    widgets::Tool *refresh = toolOf(control, "ID_refresh");
    QCOMPARE(refresh->Caption(), TextTable::LoadText(13028, TextTable::Language::German));
    QCOMPARE(refresh->ToolTipText(), TextTable::LoadText(13029, TextTable::Language::German));
    QCOMPARE(refresh->Description(), TextTable::LoadText(13030, TextTable::Language::German));
    // Tools without a tag keep their built-in texts.
    QCOMPARE(toolOf(control, "ID_WithNetting")->Caption(), QStringLiteral("With Netting"));
    QCOMPARE(toolOf(control, "ID_WithNetting")->ToolTipText(), QStringLiteral("With Netting Agreements"));
    // The description is the host's status-bar hint when the mouse enters a tool.
    QSignalSpy moved(&control, &Marvolt::MouseMove);
    Q_EMIT control.mainMenu()->MouseEnter(refresh);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(control.property("StatBarText").toString(), refresh->Description());
}

QTEST_MAIN(tst_Marvolt)
#include "tst_marvolt.moc"

// The detail window over a demo trading database, for the reports that have
// one: on every data row the window lists the deals the row counts (a deal
// with two legs there lists both legs and counts once), and on every group
// row none.

#include "ControlTestSession.h"

#include "Marvolt.h"

#include "DetailWindow.h"
#include "TicketWindow.h"
#include "Report.h"
#include "ReportFactory.h"

#include "Clock.h"
#include "MessageService.h"
#include "SessionContext.h"

#include "Grid.h"
#include "GridModel.h"
#include "Tool.h"
#include "ToolBar.h"

#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QDate Today(2026, 12, 4);

bool runAndWait(Marvolt &control)
{
    QSignalSpy ended(&control, &Marvolt::UnActivProgress);
    control.RefreshData();
    return !ended.isEmpty() || ended.wait(30000);
}

} // namespace

class tst_DetailWindowDemo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void listsTheDealsEachRowCounts_data();
    void listsTheDealsEachRowCounts();
    void aListedDealOpensItsTicket_data();
    void aListedDealOpensItsTicket();

private:
    /// A fresh user's control showing report `windowType` run with the
    /// query fields given, and its deal list window open; null on failure.
    frmDetails *showWithDealList(Marvolt &control, int windowType,
                                 std::initializer_list<std::pair<const char *, const char *>> fields);

    controltest::DemoSession m_demo;
};

void tst_DetailWindowDemo::initTestCase()
{
    QString error;
    QVERIFY2(m_demo.build(3000, 7, Today, &error), qPrintable(error));
    Clock::setToday(Today);
}

void tst_DetailWindowDemo::cleanup()
{
    SessionContext::resetInstance();
}

frmDetails *tst_DetailWindowDemo::showWithDealList(
    Marvolt &control, int windowType, std::initializer_list<std::pair<const char *, const char *>> fields)
{
    if (!m_demo.startFreshUser())
        return nullptr;
    control.resize(1000, 700);
    control.setWindowType(windowType);
    if (!control.report())
        return nullptr;
    for (const auto &[field, value] : fields) {
        QString error;
        if (!control.setQueryField(QString::fromLatin1(field), QString::fromLatin1(value), &error)) {
            qWarning().noquote() << error;
            return nullptr;
        }
    }
    if (!runAndWait(control))
        return nullptr;
    control.show();
    if (!QTest::qWaitForWindowExposed(&control))
        return nullptr;
    widgets::Tool *tool = control.mainMenu()->Tools(QStringLiteral("ID_DetailWIndow"));
    if (!tool->Enabled())
        return nullptr;
    tool->action()->trigger();
    return qobject_cast<frmDetails *>(control.detailWindow());
}

void tst_DetailWindowDemo::listsTheDealsEachRowCounts_data()
{
    QTest::addColumn<int>("windowType");
    QTest::newRow("forward position: a pair's day and its summary") << 1;
    QTest::newRow("single currency: a currency's day and its summary") << 2;
}

void tst_DetailWindowDemo::listsTheDealsEachRowCounts()
{
    QFETCH(int, windowType);
    Marvolt control;
    // A week of trade dates, every value date.
    frmDetails *window = showWithDealList(control, windowType,
                                          {{"Relative", "False"},
                                           {"ValDate", "2026-11-27"},
                                           {"EndDate", "2026-12-04"},
                                           {"ValDate1", "All"},
                                           {"EndDate1", "All"}});
    QVERIFY(window);

    Report *report = control.report();
    widgets::Grid *grid = control.mainTable();
    grid->expandAllGroups();
    int dataRows = 0;
    for (int row = 0; row < grid->visibleRowCount(); ++row) {
        grid->setRow(row);
        QCOMPARE(grid->Row(), row);
        if (grid->IsGroupItem()) {
            QCOMPARE(window->mainTable()->ItemCount(), 0);
            continue;
        }
        data::RecordsetPtr display = report->DisplayRecordset();
        QVERIFY(display->setAbsolutePosition(grid->currentBookmark() + 1));
        const qint64 deals = display->Fields(QStringLiteral("Deals")).value().toInt64();
        const widgets::Grid *listed = window->mainTable();
        const int tradeColumn = listed->gridModel()->columnIndex(QStringLiteral("TradeID"));
        QVERIFY(tradeColumn >= 0);
        QSet<qint64> trades;
        for (int i = 0; i < listed->ItemCount(); ++i)
            trades.insert(listed->gridModel()->index(i, tradeColumn).data(widgets::GridModel::RawValueRole).toLongLong());
        QVERIFY2(trades.size() == deals,
                 qPrintable(QStringLiteral("row %1 (%2): the window lists %3 deals in %4 rows, the row counts %5")
                                .arg(row)
                                .arg(window->windowTitle())
                                .arg(trades.size())
                                .arg(listed->ItemCount())
                                .arg(deals)));
        ++dataRows;
    }
    QVERIFY(dataRows > 0);
}

void tst_DetailWindowDemo::aListedDealOpensItsTicket_data()
{
    QTest::addColumn<int>("windowType");
    QTest::newRow("forward position") << 1;
    QTest::newRow("cash flow") << 4;
    QTest::newRow("counterparty position") << 8;
    QTest::newRow("deposit position") << 3;
}

void tst_DetailWindowDemo::aListedDealOpensItsTicket()
{
    QFETCH(int, windowType);
    Marvolt control;
    frmDetails *window = showWithDealList(control, windowType, {{"Relative", "False"}, {"ValDate", "2026-11-01"}});
    QVERIFY(window);
    widgets::Grid *grid = control.mainTable();
    grid->expandAllGroups();
    for (int row = 0; row < grid->visibleRowCount() && window->mainTable()->ItemCount() == 0; ++row)
        grid->setRow(row);
    QVERIFY(window->mainTable()->ItemCount() > 0);
    widgets::Grid *listed = window->mainTable();
    listed->expandAllGroups();
    for (int row = 0; row < listed->visibleRowCount() && (row == 0 || listed->IsGroupItem()); ++row)
        listed->setRow(row);
    QVERIFY(!listed->IsGroupItem());

    MessageService::instance().clearMessages();
    Q_EMIT listed->DblClick();
    frmTicket *ticket = nullptr;
    QTRY_VERIFY2_WITH_TIMEOUT((ticket = window->findChild<frmTicket *>()) && ticket->isVisible(),
                              qPrintable(MessageService::instance().messages().join(u'\n')
                                         + QStringLiteral(" ticket: %1").arg(window->findChild<frmTicket *>() != nullptr)),
                              5000);
    QVERIFY2(MessageService::instance().messages().isEmpty(),
             qPrintable(MessageService::instance().messages().join(u'\n')));
    QVERIFY(ticket->windowTitle().startsWith(QStringLiteral("Ticket # ")));
    ticket->reject();
}

QTEST_MAIN(tst_DetailWindowDemo)
#include "tst_detail_window_demo.moc"
